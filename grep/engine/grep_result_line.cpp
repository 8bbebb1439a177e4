#include "grep/engine/grep_result_line.h"

#include <climits>

namespace {

constexpr std::size_t kMaxPathUnits = 260;

bool IsPathStart(std::u16string_view path) {
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') return true;
    if (!path.empty() && path[0] == u'.') return true;
    if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') {
        const char16_t d = path[0];
        return (d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z');
    }
    return false;
}

}  // namespace

bool ParseGrepResultLine(std::u16string_view text, std::u16string& path, int& line) {
    std::size_t from = 0;
    if (!(text.substr(0, 1) == u"\\" || text.substr(0, 1) == u".")) {
        const std::size_t colon = text.find(u':');
        if (colon == std::u16string_view::npos) return false;
        from = colon + 1;
    }
    const std::size_t colon = text.find(u':', from);
    if (colon == std::u16string_view::npos || colon == 0) return false;
    const std::size_t open = text.rfind(u'(', colon);
    if (open == std::u16string_view::npos || open == 0) return false;
    // The number runs to the ")" right before the ":" and is all digits.
    if (text[colon - 1] != u')' || colon - 1 == open + 1) return false;
    long long number = 0;
    for (std::size_t i = open + 1; i < colon - 1; ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') return false;
        number = number * 10 + (c - u'0');
        if (number > INT_MAX) return false;
    }
    if (number < 1) return false;
    const std::u16string_view p = text.substr(0, open);
    if (p.size() >= kMaxPathUnits || !IsPathStart(p)) return false;
    path.assign(p);
    line = static_cast<int>(number - 1);
    return true;
}
