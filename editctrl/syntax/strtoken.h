// The lexical description of one language: break, operator, quote, bracket
// and comment characters, comment markers, the escape character and a sorted
// keyword table with a first-character index. Colouring, word movement,
// bracket matching and completion all ask it.
//
// Every query takes the text from the position asked up to the end of the
// line as a view and never reads past it, so a line need not be terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textengine/syntax_rules.h"

class TextLines;

// The texts live in one block owned by the CStrToken that loaded them; a
// record is kept small because keyword files run to tens of thousands of words.
struct KeywordRecord {
    const char16_t* comparePtr;  // lowerPtr under KeywordNocase, else textPtr
    const char16_t* textPtr;     // as written in the keyword file
    const char16_t* lowerPtr;    // ASCII-lower-cased copy
    std::int32_t length;         // of each of the three forms
    std::int32_t keywordClass;   // 1 or 2

    std::u16string_view compare() const { return {comparePtr, std::size_t(length)}; }
    std::u16string_view text() const { return {textPtr, std::size_t(length)}; }
    std::u16string_view lower() const { return {lowerPtr, std::size_t(length)}; }
    const char16_t* label() const { return keywordClass == 2 ? u"KEYWORD2" : u"KEYWORD"; }
    // Handed to the completion list with the keyword; none from keyword files.
    std::u16string_view extra() const { return {}; }
};

// Receives the rows of a completion list (the code-assist table fills it).
class KeywordListTarget {
public:
    virtual ~KeywordListTarget() = default;
    virtual void ResetList() = 0;
    virtual void AddRow(std::u16string_view text, std::u16string_view label) = 0;
};

// A buffer holds its language as the text engine's CSyntaxRules; the
// overrides are final, so calls on a CStrToken stay direct.
class CStrToken : public CSyntaxRules {
public:
    static constexpr int kMaxRowComments = 4;
    static constexpr int kIndexBuckets = 129;  // one per unit 0-127, one for 128 up

    CStrToken();
    ~CStrToken() override;
    CStrToken(const CStrToken&) = delete;
    CStrToken& operator=(const CStrToken&) = delete;

    void Reset();
    void FreeKeywords();
    void FreeCommentStrings();

    void SetBreakChars(std::u16string_view chars);
    void SetOperatorChars(std::u16string_view chars);
    void SetQuoteChars(std::u16string_view chars);
    void SetCommentChars(std::u16string_view chars);
    void SetBracketChars(std::u16string_view closing);
    void SetLanguageKeywordChars(std::u16string_view chars);
    void SetOpenComment(std::u16string_view text);
    void SetCloseComment(std::u16string_view text);
    // False when four markers exist already (the new one is ignored).
    bool AddRowComment(std::u16string_view text);
    void SetEscapeChar(char16_t ch);
    void SetKeywordNocase(bool on) { m_keywordNocase = on; }
    void SetTagLanguageMode(bool on) { m_tagLanguageMode = on; }

    // Loads a keyword file (encoding detected); an empty name loads nothing.
    // 0 on success; on failure message says why and no keywords are left.
    int initDefaultKeyword(std::u16string_view fileName, std::u16string& message);
    // The same from lines already read (line ends may still be attached).
    int SetKeywordLines(const TextLines& lines, std::u16string& message);

    // Character tests: code points of 256 and above are never quotes,
    // operators, brackets or comment starters.
    bool IsBreakChar(char32_t cp) const final;
    bool IsOperatorChar(char32_t cp) const { return cp < 256 && m_operator[cp] != 0; }
    bool IsCommentStartChar(char32_t cp) const { return cp < 256 && m_commentStart[cp] != 0; }
    bool IsLanguageKeywordChar(char32_t cp) const { return cp < 256 && m_keywordPrefix[cp] != 0; }
    // 1 closing, 2 opening, 0 neither.
    int GetBracketKind(char32_t cp) const { return cp < 256 ? m_bracket[cp] : 0; }

    // The quote mark of the first character (0 when none, or an empty text).
    virtual int IsQuoteChar(std::u16string_view text) const;
    // 1 when text starts with quote (length 1); the escape character followed
    // by the quote gives 0 with length 2; otherwise 0 with length 1.
    virtual int IsClosingQuote(std::u16string_view text, int quote, int& length) const;
    virtual int NextKeywordByPrefix(std::u16string_view prefix, int cycle, char16_t* out,
                                    std::size_t outBytes, bool backwards) const;
    virtual int GetKeywordList(std::u16string_view prefix, KeywordListTarget& list) const;
    // Units from the opening quote at text[0] through the closing one, or to
    // the end of the text (or the LF when stopAtLf) when unterminated.
    virtual int GetQuotedLength(std::u16string_view text, bool stopAtLf) const;
    // Whether the completion list shows its wide column.
    virtual bool WantsWideColumn() const { return false; }

    // 0, 1 or 2 for the token of tokenLength units at text[0]; length gets
    // the coloured length (the keyword's, which may run past the token).
    int GetKeywordClass(std::u16string_view text, int& length, int tokenLength) const;
    // A quoted token's length, else one break character or the run of
    // non-break characters; 0 for an empty text.
    int GetTokenLength(std::u16string_view text) const final;
    // The run of non-break characters at text[0] (a surrogate pair is one).
    int GetWordLength(std::u16string_view text) const;
    bool IsLineCommentAt(std::u16string_view text) const final;
    bool IsOpenCommentAt(std::u16string_view text) const final;
    bool IsCloseCommentAt(std::u16string_view text) const final;
    bool IsClaimedTokenAt(std::u16string_view text) const final { return IsQuoteChar(text) != 0; }
    int OpenCommentLength() const final { return int(m_openComment.size()); }
    int CloseCommentLength() const final { return int(m_closeComment.size()); }

    bool KeywordNocase() const { return m_keywordNocase; }
    bool TagLanguageMode() const { return m_tagLanguageMode; }
    int EscapeChar() const { return m_escapeChar; }
    const std::u16string& BracketChars() const { return m_bracketChars; }
    const std::u16string& OpenComment() const { return m_openComment; }
    const std::u16string& CloseComment() const { return m_closeComment; }
    int RowCommentCount() const { return m_rowCommentCount; }
    const std::u16string& RowComment(int i) const { return m_rowComments[i]; }
    const std::vector<KeywordRecord>& Keywords() const { return m_keywords; }
    int LongestKeyword() const { return m_longestKeyword; }

private:
    struct IndexBucket {
        std::int32_t first = -1;  // 32-bit: keyword files may hold more than 32,767 words
        std::int32_t last = -1;
        int breakKind = 0;        // 0 no break char, 1 one somewhere, 2 as first or second unit
    };
    using Table = std::uint16_t[256];

    static void Mark(Table& table, std::u16string_view chars, std::uint16_t mark);
    void MarkBreak(std::u16string_view chars) { Mark(m_break, chars, 1); }
    void BuildIndex();
    int FindKeyword(std::u16string_view text, int tokenLength, int& length) const;
    bool KeywordFollowsAt(const KeywordRecord& kw, std::u16string_view text) const;
    // First keyword whose compare form starts with prefix in [lo, hi), or hi.
    std::size_t LowerBound(std::u16string_view prefix, std::size_t lo, std::size_t hi) const;

    std::size_t m_scratchSize = 128;  // longest keyword + 2, at least 128
    mutable std::u16string m_scratch;  // a token folded for lookup
    char16_t m_smallestFirst = 0xFFFF;
    char16_t m_largestFirst = 0;
    IndexBucket m_index[kIndexBuckets];
    int m_longestKeyword = 0;
    std::vector<KeywordRecord> m_keywords;
    std::unique_ptr<char16_t[]> m_keywordText;  // every record's texts

    Table m_break{};
    Table m_quote{};
    Table m_commentStart{};
    Table m_bracket{};
    Table m_operator{};
    Table m_keywordPrefix{};
    std::u16string m_bracketChars;
    bool m_keywordNocase = true;
    std::u16string m_openComment;
    std::u16string m_closeComment;
    std::u16string m_rowComments[kMaxRowComments];
    int m_rowCommentCount = 0;
    int m_escapeChar = 0;
    bool m_tagLanguageMode = false;
};

// The editor's syntax tables behind a buffer's rules; null when the buffer
// has none or rules of another kind.
inline const CStrToken* LanguageOf(const CSyntaxRules* rules) { return dynamic_cast<const CStrToken*>(rules); }
