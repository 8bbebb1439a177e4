#include "grep/winfs/grep_folder_win.h"

#include <windows.h>

#include "framework/wide.h"

namespace {

std::u16string SystemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string reason;
    if (n && text) reason = ToU16(std::wstring_view(text, n));
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == u'\r' || reason.back() == u'\n' || reason.back() == u' '))
        reason.pop_back();
    if (reason.empty()) reason = u"エラー " + ToU16(std::to_wstring(error));
    return reason;
}

class WinFileSystem : public GrepFileSystem {
public:
    char16_t Separator() const override { return u'\\'; }
    // Files are read through the base class, one stream per call.
    bool ReadsOnAnyThread() const override { return true; }

    bool ListFolder(const std::u16string& folder, const std::function<bool(const GrepDirEntry&)>& visit,
                    std::u16string& reason) override {
        std::wstring pattern = ToWide(folder);
        if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
        pattern += L"*.*";
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) return true;  // an empty drive root
            reason = SystemReason(error);
            return false;
        }
        GrepDirEntry e;
        bool go = true;
        do {
            e.name = ToU16(fd.cFileName);
            e.directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // A folder reparse point (junction, link, mount) could loop; a
            // file symbolic link would list its target twice. Other file
            // reparse points (cloud, dedup) are ordinary files to read.
            const bool reparse = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            e.link = reparse && (e.directory || fd.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
            go = visit(e);
        } while (go && FindNextFileW(h, &fd));
        const DWORD error = go ? GetLastError() : ERROR_NO_MORE_FILES;
        FindClose(h);
        if (error != ERROR_NO_MORE_FILES) {
            reason = SystemReason(error);
            return false;
        }
        return true;
    }
};

}  // namespace

GrepFileSystem& WinGrepFileSystem() {
    static WinFileSystem fs;
    return fs;
}
