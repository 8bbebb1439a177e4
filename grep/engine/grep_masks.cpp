#include "grep/engine/grep_masks.h"

#include "textengine/regex/regex.h"

namespace {

// Characters that have a meaning of their own in a regular expression.
bool IsRegexSyntax(char16_t c) {
    return std::u16string_view(u"\\^$.|?*+()[]{}").find(c) != std::u16string_view::npos;
}

bool IsNeverInAName(char16_t c) { return std::u16string_view(u"\\/:\"<>|").find(c) != std::u16string_view::npos; }

// One mask as an alternative of the whole-name pattern.
void AppendMask(std::u16string& out, std::u16string_view mask) {
    if (!out.empty()) out += u'|';
    size_t i = 0;
    if (!mask.empty() && mask[0] == u'*') {
        i = 1;  // any characters before the rest, none included
    } else {
        out += u'^';
    }
    for (; i < mask.size(); ++i) {
        const char16_t c = mask[i];
        if (c == u'*') {
            out += u".+";
        } else if (c == u'?') {
            out += u'.';
        } else {
            if (IsRegexSyntax(c)) out += u'\\';
            out += c;
        }
    }
    out += u'$';
}

}  // namespace

void GrepMasks::Deleter::operator()(CompiledRegex* re) const { regex_free(re); }

GrepMasks::GrepMasks() = default;
GrepMasks::~GrepMasks() = default;

bool GrepMasks::Set(const std::u16string& masks) {
    m_regex.reset();
    m_all = true;
    std::u16string pattern;
    for (size_t start = 0; start <= masks.size();) {
        size_t end = masks.find(u';', start);
        if (end == std::u16string::npos) end = masks.size();
        const std::u16string_view mask(masks.data() + start, end - start);
        for (char16_t c : mask)
            if (IsNeverInAName(c)) return false;
        if (mask == u"*.*") return true;
        if (!masks.empty()) AppendMask(pattern, mask);
        start = end + 1;
    }
    if (masks.empty()) return true;
    m_regex.reset(regex_compile(pattern.c_str(), 1));  // letters in either case
    m_all = false;
    return m_regex != nullptr;
}

bool GrepMasks::Selects(const std::u16string& name) const {
    return m_all || (m_regex && regex_search_string_from_start(m_regex.get(), name.c_str()) == 1);
}
