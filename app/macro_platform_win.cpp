// What the interpreter takes from Windows: the fatal-error box, the cancel
// key, files by UTF-16 path, Shift_JIS through our own table, file times,
// program starts and the clipboard.
#include "app/macro_platform_win.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/cp932.h"

namespace {

void FatalBox(void*, const char16_t* text) {
    ShowMessageBox(nullptr, AsWide(text), L"scheme fatal error", MB_OK | MB_ICONERROR);
}

bool KeyDown(void*, int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

void* FileOpen(void*, const char16_t* path, const char* mode) {
    return _wfopen(AsWide(path), mode[0] == 'w' ? L"wb" : L"rb");
}

std::size_t FileRead(void*, void* file, void* buf, std::size_t bytes) {
    return std::fread(buf, 1, bytes, static_cast<FILE*>(file));
}

// Standard streams take UTF-8 (a GUI program mostly has none); files take
// the UTF-16 units as they are.
void FileWrite(void*, void* file, const char16_t* text, std::size_t units) {
    auto* fp = static_cast<FILE*>(file);
    if (fp == stdout || fp == stderr) {
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(units), nullptr, 0, nullptr,
                                            nullptr);
        std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
        if (n > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(units), bytes.data(), n, nullptr,
                                  nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), fp);
        return;
    }
    std::fwrite(text, sizeof(char16_t), units, fp);
}

void FileClose(void*, void* file) { std::fclose(static_cast<FILE*>(file)); }

bool FileExists(void*, const char16_t* path) {
    const DWORD attributes = ::GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::size_t MbDecode(void*, const char* bytes, std::size_t n, char16_t* out, std::size_t* used, bool at_end) {
    std::size_t i = 0, k = 0;
    while (i < n) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (!cp932::IsLead(c)) {
            if (const char16_t u = c < 0x80 ? c : cp932::kSingle[c]) out[k++] = u;
            ++i;
            continue;
        }
        if (i + 1 >= n) {
            if (at_end) ++i;  // a lone lead byte at the very end is dropped
            break;
        }
        const auto t = static_cast<uint8_t>(bytes[i + 1]);
        if (cp932::IsTrail(t)) {
            if (const char16_t u = cp932::DecodePair(c, t)) out[k++] = u;
            i += 2;
        } else {
            ++i;
        }
    }
    *used = i;
    return k;
}

bool FileStat(void*, const char16_t* path, int64_t* size, int64_t* atime, int64_t* mtime, int64_t* ctime) {
    struct _stat64 st;
    if (_wstat64(AsWide(path), &st) != 0) return false;
    *size = st.st_size;
    *atime = st.st_atime;
    *mtime = st.st_mtime;
    *ctime = st.st_ctime;
    return true;
}

bool Exec(void*, const char16_t* commandLine) { return StartProcess(AsWide(commandLine), nullptr, false); }

char16_t* ClipboardText(void*, std::size_t* units) {
    *units = 0;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(nullptr)) return nullptr;
    char16_t* copy = nullptr;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const char16_t*>(::GlobalLock(h))) {
            const std::size_t cap = ::GlobalSize(h) / sizeof(char16_t);
            std::size_t n = 0;
            while (n < cap && p[n]) ++n;
            copy = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
            if (copy) {
                std::memcpy(copy, p, n * sizeof(char16_t));
                copy[n] = 0;
                *units = n;
            }
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return copy;
}

}  // namespace

scheme_host MacroPlatformWin() {
    scheme_host host;
    host.fatal_box = FatalBox;
    host.key_down = KeyDown;
    host.file_open = FileOpen;
    host.file_read = FileRead;
    host.file_write = FileWrite;
    host.file_close = FileClose;
    host.file_exists = FileExists;
    host.mb_decode = MbDecode;
    host.std_in = stdin;
    host.std_out = stdout;
    host.std_err = stderr;
    host.file_stat = FileStat;
    host.exec = Exec;
    host.clipboard_text = ClipboardText;
    return host;
}
