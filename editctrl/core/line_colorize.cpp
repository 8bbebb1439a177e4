#include "editctrl/core/line_colorize.h"

#include <string_view>

#include "editctrl/core/edit_colors.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_line.h"
#include "textengine/utf16.h"

namespace {

constexpr uint32_t kNoCommentSyntax = 0x80;
constexpr uint32_t kTagLanguage = 0x100;

void Fill(LineAttrItem* items, int count, int from, int n, uint32_t color) {
    for (int i = from; i < from + n && i < count; ++i) items[i].color = color;
}

}  // namespace

void ColorizeLine(LineAttrItem* items, int count, const char16_t* text, int lineFlags, const CStrToken* lang,
                  uint32_t style, EditColorTable colors) {
    if (!lang) {
        Fill(items, count, 0, count, colors[TEXT_COLOR]);
        items[count].kind = kAttrLineEnd;
        return;
    }
    const std::u16string_view all(text, static_cast<size_t>(count));
    const bool tagMode = (style & kTagLanguage) != 0;
    bool inBlock = (lineFlags & CEditLine::FlagInBlockComment) && !(style & kNoCommentSyntax);
    bool inTag = (lineFlags & CEditLine::FlagInTag) && tagMode;
    bool rowComment = false;
    bool operatorFlag = false;
    const int openLen = static_cast<int>(lang->OpenComment().size());
    const int closeLen = static_cast<int>(lang->CloseComment().size());
    int p = 0;
    while (p < count) {
        const std::u16string_view rest = all.substr(static_cast<size_t>(p));
        const bool quoteChar = lang->IsQuoteChar(rest) != 0;
        int n;
        if (quoteChar) {
            n = lang->GetQuotedLength(rest, true);
        } else {
            n = lang->GetWordLength(rest);
            if (n == 0) n = p + 1 < count && utf16_is_pair(text + p) ? 2 : 1;
        }
        if (n <= 0 || text[p] == '\n') break;
        bool quoted = quoteChar;
        if (quoteChar && (inBlock || (tagMode && !inTag))) {
            n = 1;
            quoted = false;
        }
        const bool closesHere = inBlock && closeLen > 0 && lang->IsCloseCommentAt(rest);
        if (closesHere) {
            n = closeLen;
        } else if (!quoted && !inBlock) {
            if (lang->IsLineCommentAt(rest)) {
                rowComment = true;
            } else if (openLen > 0 && lang->IsOpenCommentAt(rest)) {
                n = openLen;
                inBlock = true;
            }
        }
        int keyword = 0, keywordLength = n;
        bool closeTag = false;
        if (!tagMode) {
            keyword = lang->GetKeywordClass(rest, keywordLength, n);
            operatorFlag = text[p] < 256 && lang->IsOperatorChar(text[p]);
        } else if (inBlock) {
            // The operator flag of the token before stays.
        } else {
            if (text[p] == '<' && !(openLen > 0 && lang->IsOpenCommentAt(rest))) inTag = true;
            if (inTag) {
                keyword = lang->GetKeywordClass(rest, keywordLength, n);
                operatorFlag = text[p] < 256 && lang->IsOperatorChar(text[p]);
                closeTag = text[p] == '>';
            } else {
                operatorFlag = false;
                quoted = false;
            }
        }
        uint32_t color;
        if (rowComment || inBlock) {
            color = colors[COMMENT_COLOR];
        } else if (keyword == 1 || keyword == 2) {
            color = colors[keyword == 1 ? KEYWORD_COLOR : KEYWORD2_COLOR];
            if (keywordLength > 0) n = keywordLength;
        } else if (quoted) {
            color = colors[QUOTE_COLOR];
        } else if (operatorFlag) {
            color = colors[OPERATOR_COLOR];
        } else {
            color = colors[TEXT_COLOR];
        }
        Fill(items, count, p, n, color);
        if (closesHere) inBlock = false;
        if (closeTag) inTag = false;
        p += n;
    }
    items[p < count ? p : count].kind = kAttrLineEnd;
}

void MarkBlankKinds(LineAttrItem* items, int count, const char16_t* text) {
    for (int i = 0; i < count; ++i) {
        switch (text[i]) {
        case u'\x3000': items[i].kind = kAttrFullWidthSpace; break;
        case u'\t': items[i].kind = kAttrTab; break;
        case u' ': items[i].kind = kAttrSpace; break;
        default: break;
        }
    }
}

namespace {

bool IsAsciiAlnum(char16_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Units skipped when deciding whether a bracket belongs to a link.
bool IsLinkFiller(char16_t c) {
    return c <= 8 || (c >= 10 && c <= 31) || c == '!' || (c >= '#' && c <= '-') || c == ':' || c == ';' ||
           c == '=' || c == '?' || c == '@' || c == '\\' || (c >= '^' && c <= '`') || (c >= '{' && c <= 127);
}

bool EndsLink(char16_t c) {
    return c >= 128 || c == '\t' || c == ' ' || c == '"' || c == '<' || c == '>' || c == '[' || c == ']';
}

bool IsMailLocal(char16_t c) { return IsAsciiAlnum(c) || c == '+' || c == '-' || c == '.' || c == '_'; }
bool IsMailDomain(char16_t c) { return IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_'; }

void MarkLink(LineAttrItem* items, int from, int to, uint32_t color) {
    for (int i = from; i < to; ++i) {
        items[i].flags |= kAttrLink;
        items[i].color = color;
    }
}

}  // namespace

void MarkLinks(LineAttrItem* items, int count, const char16_t* text, uint32_t linkColor) {
    const std::u16string_view line(text, static_cast<size_t>(count));
    static const std::u16string_view kPrefixes[] = {u"http://", u"https://", u"ftp://", u"www."};
    for (std::u16string_view prefix : kPrefixes) {
        size_t from = 0;
        for (;;) {
            const size_t start = line.find(prefix, from);
            if (start == std::u16string_view::npos) break;
            int end = static_cast<int>(start + prefix.size());
            while (end < count) {
                const char16_t c = text[end];
                if (EndsLink(c)) break;
                if (c == '(' || c == ')') {
                    int k = end + 1;
                    while (k < count && IsLinkFiller(text[k])) ++k;
                    if (k >= count || !(text[k] == '.' || text[k] == '/' || IsAsciiAlnum(text[k]))) break;
                }
                ++end;
            }
            if (end - static_cast<int>(start) > static_cast<int>(prefix.size()))
                MarkLink(items, static_cast<int>(start), end, linkColor);
            from = static_cast<size_t>(end) > start ? static_cast<size_t>(end) : start + 1;
        }
    }
    for (int at = 0; at < count; ++at) {
        if (text[at] != '@') continue;
        int local = at;
        while (local > 0 && IsMailLocal(text[local - 1])) --local;
        int domain = at + 1;
        while (domain < count && IsMailDomain(text[domain])) ++domain;
        if (local < at && domain > at + 1) MarkLink(items, local, domain, linkColor);
    }
}
