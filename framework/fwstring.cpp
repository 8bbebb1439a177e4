#include "framework/fwstring.h"

#include <cwchar>
#include <vector>

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) {
    // vswprintf reports only failure, not the needed size: grow until it fits.
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buf.size()) {
            s_.assign(buf.data(), static_cast<size_t>(n));
            return;
        }
        if (buf.size() >= (1u << 24)) {
            s_.clear();
            return;
        }
        buf.resize(buf.size() * 4);
    }
}
