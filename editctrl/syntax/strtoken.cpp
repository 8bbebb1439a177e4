#include "editctrl/syntax/strtoken.h"

#include "editctrl/syntax/syntax_files.h"
#include "textengine/utf16.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

char16_t LowerAscii(char16_t u) { return (u >= u'A' && u <= u'Z') ? char16_t(u + 32) : u; }
char16_t UpperAscii(char16_t u) { return (u >= u'a' && u <= u'z') ? char16_t(u - 32) : u; }

// The regex engine's case fold, used to pick the index bucket.
char16_t CaseFold(char16_t u) {
    if (u >= u'A' && u <= u'Z') return char16_t(u + 32);
    if (u >= 0xFF21 && u <= 0xFF3A) return char16_t(u + 32);
    return u;
}

std::u16string LowerAsciiCopy(std::u16string_view s) {
    std::u16string out(s);
    for (auto& u : out) u = LowerAscii(u);
    return out;
}

int BucketOf(char16_t first) { return first < 128 ? first : 128; }

bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// A keyword line's class: the decimal number after its first ','.
int ParseClass(std::u16string_view digits) {
    std::size_t i = 0;
    while (i < digits.size() && (digits[i] == u' ' || digits[i] == u'\t')) ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == u'+' || digits[i] == u'-')) negative = digits[i++] == u'-';
    long value = 0;
    for (; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9'; ++i) {
        value = value * 10 + (digits[i] - u'0');
        if (value > 1000) break;  // anything this large is class 1 anyway
    }
    if (negative) value = -value;
    return (value == 1 || value == 2) ? int(value) : 1;
}

std::u16string_view CutLineEnd(std::u16string_view line) {
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
    return line;
}

std::u16string_view CutTrailingBlanks(std::u16string_view line) {
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r' || line.back() == u' '))
        line.remove_suffix(1);
    return line;
}

}  // namespace

CStrToken::CStrToken() { Reset(); }

CStrToken::~CStrToken() = default;

void CStrToken::Reset() {
    FreeCommentStrings();
    FreeKeywords();
    m_keywordNocase = true;
    m_tagLanguageMode = false;
    for (Table* t : {&m_break, &m_quote, &m_commentStart, &m_bracket, &m_operator, &m_keywordPrefix})
        std::memset(*t, 0, sizeof(Table));
    m_bracketChars.clear();
    m_escapeChar = 0;
    for (char16_t u : {u'\0', u'\t', u'\n', u'\r', u' '}) m_break[u] = 1;
}

void CStrToken::FreeKeywords() {
    std::vector<KeywordRecord>().swap(m_keywords);
    m_keywordText.reset();
    m_longestKeyword = 0;
    m_scratchSize = 128;
    m_scratch.clear();
    m_smallestFirst = 0xFFFF;
    m_largestFirst = 0;
    for (auto& b : m_index) b = IndexBucket{};
}

void CStrToken::FreeCommentStrings() {
    m_openComment.clear();
    m_closeComment.clear();
    for (auto& s : m_rowComments) s.clear();
    m_rowCommentCount = 0;
}

void CStrToken::Mark(Table& table, std::u16string_view chars, std::uint16_t mark) {
    for (char16_t u : chars)
        if (u < 256) table[u] = mark;
}

void CStrToken::SetBreakChars(std::u16string_view chars) { MarkBreak(chars); }

void CStrToken::SetOperatorChars(std::u16string_view chars) {
    Mark(m_operator, chars, 1);
    MarkBreak(chars);
}

void CStrToken::SetQuoteChars(std::u16string_view chars) {
    for (char16_t u : chars)
        if (u < 256) m_quote[u] = u;
    Mark(m_commentStart, chars, 1);
    MarkBreak(chars);
}

void CStrToken::SetCommentChars(std::u16string_view chars) {
    Mark(m_commentStart, chars, 1);
    MarkBreak(chars);
}

void CStrToken::SetBracketChars(std::u16string_view closing) {
    m_bracketChars.assign(closing);
    for (char16_t u : closing) {
        if (u >= 256) continue;
        m_bracket[u] = 1;
        m_break[u] = 1;
        char16_t opener = 0;
        switch (u) {
        case u')': opener = u'('; break;
        case u'>': opener = u'<'; break;
        case u']': opener = u'['; break;
        case u'}': opener = u'{'; break;
        default: break;
        }
        if (opener) {
            m_bracket[opener] = 2;
            m_break[opener] = 1;
        }
    }
}

void CStrToken::SetLanguageKeywordChars(std::u16string_view chars) { Mark(m_keywordPrefix, chars, 1); }

void CStrToken::SetOpenComment(std::u16string_view text) {
    m_openComment.assign(text);
    Mark(m_commentStart, text, 1);
    MarkBreak(text);
}

void CStrToken::SetCloseComment(std::u16string_view text) {
    m_closeComment.assign(text);
    Mark(m_commentStart, text, 1);
    MarkBreak(text);
}

bool CStrToken::AddRowComment(std::u16string_view text) {
    if (m_rowCommentCount >= kMaxRowComments) return false;
    m_rowComments[m_rowCommentCount++].assign(text);
    return true;
}

void CStrToken::SetEscapeChar(char16_t ch) {
    if (ch >= 256) return;
    m_escapeChar = ch;
    if (ch) m_break[ch] = 1;
}

bool CStrToken::IsBreakChar(char32_t cp) const {
    if (cp < 256) return m_break[cp] != 0;
    return (cp >= 0x3000 && cp <= 0x3002) || cp == 0xFF0C || cp == 0xFF0E;
}

int CStrToken::IsQuoteChar(std::u16string_view text) const {
    if (text.empty() || text[0] >= 256) return 0;
    return m_quote[text[0]];
}

int CStrToken::IsClosingQuote(std::u16string_view text, int quote, int& length) const {
    length = 1;
    if (text.empty()) return 0;
    if (text[0] == quote) return 1;
    if (m_escapeChar && text[0] == m_escapeChar && text.size() > 1 && text[1] == quote) length = 2;
    return 0;
}

int CStrToken::GetQuotedLength(std::u16string_view text, bool stopAtLf) const {
    if (text.empty()) return 0;
    const char16_t quote = text[0];
    std::size_t i = 1;
    while (i < text.size()) {
        char16_t u = text[i];
        if (stopAtLf && u == u'\n') return int(i);
        if (u == quote) return int(i + 1);
        // An escape or a high surrogate takes the next unit along, but never
        // one beyond the end of the text.
        if ((m_escapeChar && u == m_escapeChar) || utf16_is_high_surrogate(u))
            i = std::min(i + 2, text.size());
        else
            ++i;
    }
    return int(text.size());
}

int CStrToken::GetWordLength(std::u16string_view text) const {
    std::size_t i = 0;
    while (i < text.size()) {
        int units;
        char32_t cp = utf16_decode(text.data(), i, text.size(), &units);
        if (IsBreakChar(cp)) break;
        i += units;
    }
    return int(i);
}

int CStrToken::GetTokenLength(std::u16string_view text) const {
    if (text.empty()) return 0;
    if (IsQuoteChar(text)) return GetQuotedLength(text, true);
    int n = GetWordLength(text);
    if (n > 0) return n;
    int units;
    utf16_decode(text.data(), 0, text.size(), &units);
    return units;
}

bool CStrToken::IsLineCommentAt(std::u16string_view text) const {
    for (int i = 0; i < m_rowCommentCount; ++i)
        if (!m_rowComments[i].empty() && StartsWith(text, m_rowComments[i])) return true;
    return false;
}

bool CStrToken::IsOpenCommentAt(std::u16string_view text) const {
    return !m_openComment.empty() && StartsWith(text, m_openComment);
}

bool CStrToken::IsCloseCommentAt(std::u16string_view text) const {
    return !m_closeComment.empty() && StartsWith(text, m_closeComment);
}

// ---- keyword table ----

int CStrToken::initDefaultKeyword(std::u16string_view fileName, std::u16string& message) {
    if (fileName.empty()) return 0;
    TextLines lines;
    if (!ReadTextFileLines(fileName, lines)) {
        message = u"CStrToken::initDefaultKeyword(): fopen error(" + std::u16string(fileName) + u")";
        FreeKeywords();
        return 1;
    }
    return SetKeywordLines(lines, message);
}

int CStrToken::SetKeywordLines(const TextLines& lines, std::u16string& message) {
    FreeKeywords();
    auto counted = [](std::u16string_view line) {
        line = CutLineEnd(line);
        return !line.empty() && !StartsWith(line, u"//");
    };
    std::size_t count = 0, units = 0;
    for (std::size_t n = 0; n < lines.Count(); ++n) {
        if (!counted(lines[n])) continue;
        ++count;
        units += lines[n].size();
    }
    char16_t* pool = nullptr;
    try {
        m_keywords.reserve(count);
        // Each record keeps its text and its lower-cased copy here.
        m_keywordText.reset(new char16_t[2 * units + 1]);
        pool = m_keywordText.get();
    } catch (const std::bad_alloc&) {
        message = u"CStrToken::alloc_keywords(): memory allocate error";
        FreeKeywords();
        return 1;
    }
    for (std::size_t n = 0; n < lines.Count(); ++n) {
        std::u16string_view line = lines[n];
        if (!counted(line)) continue;
        int keywordClass = 1;
        std::size_t comma = line.find(u',');
        if (comma != std::u16string_view::npos) {
            keywordClass = ParseClass(line.substr(comma + 1));
            line = line.substr(0, comma);
        }
        line = CutTrailingBlanks(line);
        char16_t* text = pool;
        char16_t* lower = pool + line.size();
        for (std::size_t k = 0; k < line.size(); ++k) {
            text[k] = line[k];
            lower[k] = LowerAscii(line[k]);
        }
        pool += 2 * line.size();
        KeywordRecord kw{m_keywordNocase ? lower : text, text, lower, std::int32_t(line.size()), keywordClass};
        if (kw.length > 0) {
            m_longestKeyword = std::max(m_longestKeyword, kw.length);
            m_smallestFirst = std::min(m_smallestFirst, kw.compare()[0]);
            m_largestFirst = std::max(m_largestFirst, kw.compare()[0]);
        }
        m_keywords.push_back(kw);
    }
    // A token may start in upper case where the folded keywords do not.
    if (m_keywordNocase && m_smallestFirst >= u'a' && m_smallestFirst <= u'z')
        m_smallestFirst = UpperAscii(m_smallestFirst);
    m_scratchSize = std::max<std::size_t>(std::size_t(m_longestKeyword) + 2, 128);
    m_scratch.assign(m_scratchSize, u'\0');
    auto before = [](const KeywordRecord& a, const KeywordRecord& b) {
        int c = a.compare().compare(b.compare());
        return c != 0 ? c < 0 : a.keywordClass < b.keywordClass;
    };
    // Keyword files are usually written sorted already.
    if (!std::is_sorted(m_keywords.begin(), m_keywords.end(), before))
        std::stable_sort(m_keywords.begin(), m_keywords.end(), before);
    BuildIndex();
    return 0;
}

void CStrToken::BuildIndex() {
    for (auto& b : m_index) b = IndexBucket{};
    for (std::size_t i = 0; i < m_keywords.size(); ++i) {
        const std::u16string_view form = m_keywords[i].compare();
        if (form.empty()) continue;  // a blank line's keyword: never matches
        IndexBucket& b = m_index[BucketOf(form[0])];
        if (b.first < 0) b.first = std::int32_t(i);
        b.last = std::int32_t(i);
        if (b.breakKind == 2) continue;
        for (std::size_t k = 0; k < form.size(); ++k) {
            if (form[k] < 256 && m_break[form[k]]) {
                b.breakKind = k < 2 ? 2 : std::max(b.breakKind, 1);
                if (b.breakKind == 2) break;
            }
        }
    }
}

std::size_t CStrToken::LowerBound(std::u16string_view prefix, std::size_t lo, std::size_t hi) const {
    auto it = std::lower_bound(m_keywords.begin() + lo, m_keywords.begin() + hi, prefix,
                               [](const KeywordRecord& kw, std::u16string_view p) {
                                   return kw.compare() < p;
                               });
    return std::size_t(it - m_keywords.begin());
}

bool CStrToken::KeywordFollowsAt(const KeywordRecord& kw, std::u16string_view text) const {
    if (text.size() < kw.compare().size()) return false;
    for (std::size_t k = 0; k < kw.compare().size(); ++k) {
        char16_t u = m_keywordNocase ? LowerAscii(text[k]) : text[k];
        if (u != kw.compare()[k]) return false;
    }
    if (text.size() == kw.compare().size()) return true;  // the line's end breaks too
    int units;
    return IsBreakChar(utf16_decode(text.data(), kw.compare().size(), text.size(), &units));
}

int CStrToken::FindKeyword(std::u16string_view text, int tokenLength, int& length) const {
    char16_t first = m_keywordNocase ? CaseFold(text[0]) : text[0];
    const IndexBucket& b = m_index[BucketOf(first)];
    if (b.first < 0) return 0;
    std::u16string_view token = text.substr(0, std::size_t(tokenLength));
    if (m_keywordNocase) {
        // The caller has checked that the token is no longer than the longest keyword.
        for (std::size_t k = 0; k < token.size(); ++k) m_scratch[k] = LowerAscii(token[k]);
        token = std::u16string_view(m_scratch.data(), token.size());
    }
    const std::size_t lo = std::size_t(b.first), hi = std::size_t(b.last) + 1;
    if (tokenLength == 1 && b.breakKind != 2) {
        const KeywordRecord& kw = m_keywords[lo];
        if (kw.length != 1 || kw.compare()[0] != token[0]) return 0;
        length = 1;
        return kw.keywordClass;
    }
    std::size_t i = LowerBound(token, lo, hi);
    if (b.breakKind == 0) {
        if (i < hi && m_keywords[i].compare() == token) {
            length = m_keywords[i].length;
            return m_keywords[i].keywordClass;
        }
        return 0;
    }
    // Keywords may hold break characters ("end if"): every keyword starting
    // with the token is tried against the text; the longest that fits wins.
    int found = 0;
    for (; i < hi && StartsWith(m_keywords[i].compare(), token); ++i) {
        if (KeywordFollowsAt(m_keywords[i], text)) {
            found = m_keywords[i].keywordClass;
            length = m_keywords[i].length;
        }
    }
    return found;
}

int CStrToken::GetKeywordClass(std::u16string_view text, int& length, int tokenLength) const {
    int result = 0;
    length = 0;
    if (text.empty()) return 0;
    tokenLength = std::clamp(tokenLength, 0, int(text.size()));
    // A language-keyword prefix ("$name") colours the word behind it.
    if (IsLanguageKeywordChar(text[0]) && text.size() > 1) {
        char16_t next = text[1];
        if (next != 0 && next != u'\t' && next != u'\n' && next != u' ') {
            int n = GetWordLength(text.substr(1));
            if (n > 0) {
                result = 2;
                length = n + 1;
            }
        }
    }
    if (m_keywords.empty() || tokenLength == 0 || text[0] < m_smallestFirst || text[0] > m_largestFirst ||
        tokenLength > m_longestKeyword)
        return result;
    int kwLength = 0;
    int found = FindKeyword(text, tokenLength, kwLength);
    if (found) {
        length = kwLength;
        return found;
    }
    return result;
}

int CStrToken::NextKeywordByPrefix(std::u16string_view prefix, int cycle, char16_t* out, std::size_t outBytes,
                                   bool backwards) const {
    if (m_keywords.empty() || prefix.size() > std::size_t(m_longestKeyword)) return -1;
    const bool upper = m_keywordNocase && !prefix.empty() && prefix[0] >= u'A' && prefix[0] <= u'Z';
    std::u16string folded;
    if (m_keywordNocase) {
        folded = LowerAsciiCopy(prefix);
        prefix = folded;
    }
    const std::size_t first = LowerBound(prefix, 0, m_keywords.size());
    std::size_t end = first;
    while (end < m_keywords.size() && StartsWith(m_keywords[end].compare(), prefix)) ++end;
    const int run = int(end - first);
    const int next = backwards ? (cycle < 0 ? run - 1 : cycle - 1) : cycle + 1;
    if (next < 0 || next >= run) return -1;
    const std::u16string_view form = m_keywords[first + std::size_t(next)].compare();
    if (out == nullptr || form.size() + 1 > outBytes / sizeof(char16_t)) return -1;
    for (std::size_t k = 0; k < form.size(); ++k) out[k] = upper ? UpperAscii(form[k]) : form[k];
    out[form.size()] = 0;
    return next;
}

int CStrToken::GetKeywordList(std::u16string_view prefix, KeywordListTarget& list) const {
    if (prefix.size() > std::size_t(m_longestKeyword) || prefix.size() >= m_scratchSize) return 0;
    list.ResetList();
    const std::u16string lowered = LowerAsciiCopy(prefix);
    int rows = 0;
    auto add = [&](const KeywordRecord& kw) {
        list.AddRow(kw.text(), kw.label());
        ++rows;
    };
    if (m_keywordNocase) {
        // The compare forms are the lower-cased copies: the matches are one run.
        for (std::size_t i = LowerBound(lowered, 0, m_keywords.size());
             i < m_keywords.size() && StartsWith(m_keywords[i].lower(), lowered); ++i)
            add(m_keywords[i]);
    } else {
        for (const auto& kw : m_keywords)
            if (StartsWith(kw.lower(), lowered)) add(kw);
    }
    return rows > 0 ? 1 : 0;
}
