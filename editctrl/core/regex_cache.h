// The compiled search pattern of an editing window (the grid keeps one
// too), reused while the pattern and its options stay the same, and the
// switch of the search-hit highlight that reads it.
#pragma once

#include <string>

#include "textengine/regex/regex.h"

// The flags for a search: case and width folded unless they must match.
inline int SearchRegexFlags(bool matchCase, bool matchWidth) {
    return (matchCase ? 0 : REGEX_COMPILE_ICASE) | (matchWidth ? 0 : REGEX_COMPILE_IWIDTH);
}

// A fresh compile of a search pattern (as a regular expression or as the
// text itself); null for a pattern that does not compile. Free with regex_free.
CompiledRegex* CompileSearchPattern(const std::u16string& pattern, bool matchCase, bool matchWidth, bool useRegex);

class CRegexCache {
public:
    CRegexCache() = default;
    ~CRegexCache();
    CRegexCache(const CRegexCache&) = delete;
    CRegexCache& operator=(const CRegexCache&) = delete;

    // The cached regex when pattern and options are those of the last
    // successful compile; otherwise a new compile (null, nothing cached,
    // when the pattern does not compile).
    CompiledRegex* Compile(const std::u16string& pattern, bool matchCase, bool matchWidth, bool useRegex);
    CompiledRegex* Get() const { return m_regex; }
    void Clear();

    bool highlightOn = false;

private:
    std::u16string m_pattern;
    bool m_matchCase = false;
    bool m_matchWidth = false;
    bool m_useRegex = false;
    CompiledRegex* m_regex = nullptr;
};
