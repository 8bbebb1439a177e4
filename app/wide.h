// wchar_t (16 bits on Windows) meets the engine's char16_t here.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows code only");

inline std::u16string ToU16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
inline std::u16string ToU16(const wchar_t* s) { return ToU16(std::wstring(s ? s : L"")); }
inline std::wstring ToWide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
