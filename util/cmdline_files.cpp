#include "util/cmdline_files.h"

#include <algorithm>

#include "util/strutil.h"

namespace {

constexpr auto npos = std::u16string_view::npos;
const char16_t kBadLineNumber[] = u"起動オプションエラー：/rのあとは数字の指定が必要です";

void SkipBlanks(std::u16string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == u' ') ++pos;
}

void TrimBlanks(std::u16string& s) {
    const auto first = s.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        s.clear();
        return;
    }
    s.erase(s.find_last_not_of(u' ') + 1);
    s.erase(0, first);
}

// Where an unquoted path token ends (exclusive): before a second UNC path,
// before the blank and drive letter of a second path, after the blank
// before an option, before a quote. The drive colon and UNC prefix of the
// token's own start don't count.
std::size_t UnquotedTokenEnd(std::u16string_view text, std::size_t start) {
    std::size_t end = text.size();
    const auto earlier = [&](std::size_t at, std::size_t cut) {
        if (at != npos) end = std::min(end, cut);
    };
    std::size_t at = text.find(u"\\\\", start + 2);
    earlier(at, at);
    at = text.find(u':', start + 2);
    earlier(at, at - 1);
    // A blank or quote right after a one-letter name ends it too.
    at = text.find(u" /", start + 1);
    earlier(at, at + 1);
    at = text.find(u'"', start + 1);
    earlier(at, at);
    return end;
}

// A quoted run up to the next quote (the rest of the text without one);
// pos moves behind the closing quote.
std::u16string ReadQuoted(std::u16string_view text, std::size_t& pos) {
    const std::size_t close = text.find(u'"', pos + 1);
    const std::size_t end = close == npos ? text.size() : close;
    std::u16string run(text.substr(pos + 1, end - pos - 1));
    pos = close == npos ? text.size() : close + 1;
    return run;
}

// A path token (files and "/d").
std::u16string ReadPathToken(std::u16string_view text, std::size_t& pos, const CCmdLinePaths& paths) {
    SkipBlanks(text, pos);
    std::u16string token;
    if (pos < text.size() && text[pos] == u'"') {
        token = ReadQuoted(text, pos);
    } else if (pos < text.size()) {
        const std::size_t end = UnquotedTokenEnd(text, pos);
        token.assign(text.substr(pos, end - pos));
        pos = end;
    }
    SkipBlanks(text, pos);
    std::replace(token.begin(), token.end(), u'/', u'\\');
    TrimBlanks(token);
    paths.MakeFullPath(token);
    return token;
}

// An option value: quoted up to the next quote, else up to the next blank.
std::u16string ReadOptionValue(std::u16string_view text, std::size_t& pos) {
    SkipBlanks(text, pos);
    std::u16string value;
    if (pos < text.size() && text[pos] == u'"') {
        value = ReadQuoted(text, pos);
    } else {
        std::size_t end = text.find(u' ', pos);
        if (end == npos) end = text.size();
        value.assign(text.substr(pos, end - pos));
        pos = end;
    }
    TrimBlanks(value);
    return value;
}

// Digits up to a blank or the end; false on anything else. Numbers too
// large for a line are clamped.
bool ReadLineNumber(std::u16string_view text, std::size_t& pos, long long& n) {
    SkipBlanks(text, pos);
    n = 0;
    for (; pos < text.size() && text[pos] != u' '; ++pos) {
        const char16_t c = text[pos];
        if (c < u'0' || c > u'9') return false;
        n = std::min<long long>(n * 10 + (c - u'0'), kCmdLineMaxLine);
    }
    return true;
}

bool HasShortcutExtension(const std::u16string& path) {
    const auto name = path.find_last_of(u'\\');
    const auto dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (name != std::u16string::npos && dot < name)) return false;
    return EqualsNoCase(std::u16string_view(path).substr(dot), u".lnk");
}

std::u16string AsText(long long n) {
    std::u16string s;
    do {
        s.insert(s.begin(), char16_t(u'0' + n % 10));
        n /= 10;
    } while (n > 0);
    return s;
}

}  // namespace

std::u16string CCmdLineEntry::GetOption(std::u16string_view letter) const {
    const auto it = options.find(std::u16string(letter));
    return it == options.end() ? std::u16string() : it->second;
}

std::u16string CCommandLineFiles::GetDirOption() const {
    const auto it = m_options.find(u"d");
    return it == m_options.end() ? std::u16string() : it->second;
}

void CCommandLineFiles::SetOption(std::u16string_view letter, std::u16string value) {
    m_options[std::u16string(letter)] = std::move(value);
}

bool CCommandLineFiles::Parse(std::u16string_view text, std::u16string& error, const CCmdLinePaths& paths) {
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
        if (text[pos] == u'/') {
            if (!ParseOption(text, pos, error, paths)) return false;
        } else {
            AddFile(ReadPathToken(text, pos, paths), paths);
        }
    }
    return true;
}

void CCommandLineFiles::AddFile(const std::u16string& token, const CCmdLinePaths& paths) {
    if (token.empty()) return;
    std::u16string path = token;
    std::u16string resolved;
    if (HasShortcutExtension(path) && paths.ResolveShortcut(path, resolved)) path = resolved;
    if (paths.GetLongPath(path, resolved)) path = resolved;
    m_entries.push_back(CCmdLineEntry{path, {}});
}

bool CCommandLineFiles::ParseOption(std::u16string_view text, std::size_t& pos, std::u16string& error,
                                    const CCmdLinePaths& paths) {
    ++pos;  // the slash
    // A slash without a letter is dropped.
    if (pos >= text.size() || text[pos] == u' ') {
        SkipBlanks(text, pos);
        return true;
    }
    std::size_t letter_units = 1;
    if (text[pos] >= 0xD800 && text[pos] < 0xDC00 && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 &&
        text[pos + 1] < 0xE000)
        letter_units = 2;
    const std::u16string letter(text.substr(pos, letter_units));
    pos += letter_units;
    CmdLineOptions* file_options = m_entries.empty() ? nullptr : &m_entries.back().options;
    if (letter == u"d") {
        m_options[letter] = ReadPathToken(text, pos, paths);
    } else if (letter == u"r") {
        long long n = 0;
        if (!ReadLineNumber(text, pos, n)) {
            error = kBadLineNumber;
            return false;
        }
        if (file_options) (*file_options)[letter] = AsText(n > 0 ? n - 1 : 0);
    } else if (letter == u"m") {
        (file_options ? *file_options : m_options)[letter] = ReadOptionValue(text, pos);
    } else {
        m_options[letter] = ReadOptionValue(text, pos);
    }
    SkipBlanks(text, pos);
    return true;
}
