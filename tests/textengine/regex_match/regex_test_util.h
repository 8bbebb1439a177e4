// Helpers shared by the regex tests: UTF-8 in, UTF-16 to the engine.
#pragma once

#include <string>

#include "textengine/regex/regex.h"
#include "textengine/bytestream.h"

inline std::u16string u16(const char* utf8) { return Utf8ToUtf16(utf8); }
inline std::string u8(const std::u16string& s) { return Utf16ToUtf8(s); }

struct RegexPtr {
    CompiledRegex* re;
    explicit RegexPtr(CompiledRegex* r) : re(r) {}
    ~RegexPtr() { regex_free(re); }
    RegexPtr(const RegexPtr&) = delete;
    RegexPtr& operator=(const RegexPtr&) = delete;
    CompiledRegex* get() const { return re; }
    explicit operator bool() const { return re != nullptr; }
};
