#include "framework/resource_text.h"

CString LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size the call hands out the text in place.
    int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (n <= 0 || !text) return CString();
    return CString(text, n);
}
