// The framework string: a wide string with the few members window code calls.
#pragma once

#include <cstdarg>
#include <string>

#include "framework/wide.h"

class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : s_(s ? s : L"") {}
    CString(const wchar_t* s, int n) : s_(s, static_cast<size_t>(n)) {}
    CString(std::wstring s) : s_(std::move(s)) {}
    explicit CString(std::u16string_view s) : s_(ToWide(s)) {}

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    const wchar_t* GetString() const { return s_.c_str(); }
    operator const wchar_t*() const { return s_.c_str(); }
    const std::wstring& str() const { return s_; }
    wchar_t operator[](int i) const { return s_[static_cast<size_t>(i)]; }

    // printf-style formatting; wide string arguments take "%ls" (the C
    // runtime here reads "%s" as a narrow string).
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    CString& operator+=(const CString& o) { s_ += o.s_; return *this; }
    CString& operator+=(const wchar_t* o) { s_ += o; return *this; }
    CString& operator+=(wchar_t c) { s_ += c; return *this; }
    friend CString operator+(CString a, const CString& b) { return a += b; }
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator!=(const CString& a, const CString& b) { return a.s_ != b.s_; }

private:
    std::wstring s_;
};
