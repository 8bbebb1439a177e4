// Window tests put text on the clipboard and read back what a command put
// there, as CF_UNICODETEXT.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

namespace wtest {

// Empties the clipboard and puts text on it (nothing for null); false when
// the clipboard could not be opened.
inline bool SetClipboardText(const wchar_t* text, HWND owner = nullptr) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    if (text) {
        const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
        if (HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            std::memcpy(::GlobalLock(block), text, bytes);
            ::GlobalUnlock(block);
            ::SetClipboardData(CF_UNICODETEXT, block);
        }
    }
    ::CloseClipboard();
    return true;
}

// The clipboard's text; empty when it holds none or cannot be opened.
inline std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(::GlobalLock(h));
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return text;
}

}  // namespace wtest
