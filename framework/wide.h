// The one place where the platform's wchar_t meets the engine's char16_t.
// Both are 16-bit UTF-16 units on Windows, so text crosses without copying.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* AsWide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* AsWide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const char16_t* AsU16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* AsU16(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }

inline std::wstring ToWide(std::u16string_view s) { return std::wstring(AsWide(s.data()), s.size()); }
inline std::u16string ToU16(std::wstring_view s) { return std::u16string(AsU16(s.data()), s.size()); }
