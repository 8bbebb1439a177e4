#include "util/tag_line.h"

#include <climits>

#include "util/pathutil.h"

namespace {

constexpr std::size_t npos = std::u16string_view::npos;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The number right after the separator: no digit there is line 0; n is line
// n - 1, n = 0 fails. A number beyond int stops at INT_MAX, not wrapping
// round to a line the user never named.
bool ReadLine(std::u16string_view after, int& line) {
    if (after.empty() || !IsDigit(after.front())) {
        line = 0;
        return true;
    }
    long long n = 0;
    for (std::size_t i = 0; i < after.size() && IsDigit(after[i]); ++i) {
        n = n * 10 + (after[i] - u'0');
        if (n > INT_MAX) n = INT_MAX;
    }
    if (n < 1) return false;
    line = static_cast<int>(n - 1);
    return true;
}

}  // namespace

bool ParseTagLine(std::u16string_view text, const TagLineFiles& files, std::u16string& path, int& line) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == u' ' || text[start] == u'\t')) ++start;
    // A drive letter's colon is part of the name.
    const std::size_t from = (start + 1 < text.size() && text[start + 1] == u':') ? start + 2 : start;
    const std::size_t colon = text.find(u':', from);
    const std::size_t firstParen = text.find(u'(', from);
    std::size_t sep = (firstParen != npos && (colon == npos || firstParen < colon)) ? firstParen : colon;
    if (sep == npos) sep = text.size();
    std::size_t paren = firstParen;
    for (;;) {
        const std::u16string_view candidate = Trim(text.substr(start, sep - start));
        if (candidate.size() >= static_cast<std::size_t>(kMaxPath)) return false;
        std::u16string full(candidate);
        if (files.makeFull) files.makeFull(full);
        const std::size_t nul = full.find(char16_t(0));
        if (nul != std::u16string::npos) full.resize(nul);
        if (!full.empty() && files.isFile && files.isFile(full)) {
            const std::u16string_view after = sep < text.size() ? text.substr(sep + 1) : std::u16string_view();
            if (!ReadLine(after, line)) return false;
            path = full;
            return true;
        }
        // Then each '(' after the first in turn.
        if (paren == npos) return false;
        paren = text.find(u'(', paren + 1);
        if (paren == npos) return false;
        sep = paren;
    }
}
