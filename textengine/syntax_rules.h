// The lexical questions the layout asks of a buffer's language (comment
// states, syntax classes for colouring and bracket matching). The syntax
// tables answer them; the text engine only holds this interface, so it does
// not depend on them.
#pragma once

#include <string_view>

class CSyntaxRules {
public:
    virtual ~CSyntaxRules() = default;
    // Every query reads text from the position asked up to the view's end.
    virtual bool IsBreakChar(char32_t cp) const = 0;
    // A token the language measures itself (quoted text), else one break
    // character or the run of non-break characters; at least 1 for a
    // non-empty text.
    virtual int GetTokenLength(std::u16string_view text) const = 0;
    // Whether the token at text[0] is one the language claims (quoted text).
    virtual bool IsClaimedTokenAt(std::u16string_view text) const = 0;
    virtual bool IsLineCommentAt(std::u16string_view text) const = 0;
    virtual bool IsOpenCommentAt(std::u16string_view text) const = 0;
    virtual bool IsCloseCommentAt(std::u16string_view text) const = 0;
    // Units of the block-comment opener and closer (0 when there are none).
    virtual int OpenCommentLength() const = 0;
    virtual int CloseCommentLength() const = 0;
};
