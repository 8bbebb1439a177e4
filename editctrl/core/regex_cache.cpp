#include "editctrl/core/regex_cache.h"

#include "textengine/regex/regex.h"

CompiledRegex* CompileSearchPattern(const std::u16string& pattern, bool matchCase, bool matchWidth, bool useRegex) {
    const int flags = SearchRegexFlags(matchCase, matchWidth);
    return useRegex ? regex_compile_n(pattern.c_str(), static_cast<int>(pattern.size()), flags)
                    : regex_compile_literal(pattern.c_str(), flags);
}

CRegexCache::~CRegexCache() { Clear(); }

void CRegexCache::Clear() {
    regex_free(m_regex);
    m_regex = nullptr;
    m_pattern.clear();
}

CompiledRegex* CRegexCache::Compile(const std::u16string& pattern, bool matchCase, bool matchWidth, bool useRegex) {
    if (m_regex && pattern == m_pattern && matchCase == m_matchCase && matchWidth == m_matchWidth &&
        useRegex == m_useRegex)
        return m_regex;
    Clear();
    m_regex = CompileSearchPattern(pattern, matchCase, matchWidth, useRegex);
    if (!m_regex) return nullptr;
    m_pattern = pattern;
    m_matchCase = matchCase;
    m_matchWidth = matchWidth;
    m_useRegex = useRegex;
    return m_regex;
}
