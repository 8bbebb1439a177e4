// Folders and files of the window tests: a folder of the test's own under
// the temp folder, a program folder with the shipped data, whole files
// written and read back, and UTF-8 for the test's own texts.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace wtest {

inline std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                              nullptr);
    return out;
}

inline std::wstring FromUtf8(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         out.data(), static_cast<int>(out.size()))));
    return out;
}

#ifdef TEST_DATA_DIR
// A path inside the source tree ("data", "scmlib/init.scm"): every test
// folder is tests/<component>/<topic>, its testdata four levels down.
inline std::wstring SourcePath(const char* relative) {
    std::wstring path;
    for (const char* s = TEST_DATA_DIR "/../../../../"; *s; ++s) path += static_cast<wchar_t>(*s == '/' ? '\\' : *s);
    for (const char* s = relative; *s; ++s) path += static_cast<wchar_t>(*s == '/' ? '\\' : *s);
    return path;
}
#endif

// <temp>\<name><process id>, made if missing, in the temp folder's long
// form and without a trailing backslash.
inline std::wstring MakeTempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    ::GetLongPathNameW(temp, temp, MAX_PATH);
    const std::wstring folder = std::wstring(temp) + name + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The folder with everything in it, read-only files too; the process
// leaves it first (a current folder cannot be removed).
inline void RemoveFolder(const std::wstring& folder) {
    ::SetCurrentDirectoryW(L"C:\\");
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring p = folder + L"\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (fd.cFileName[0] != L'.') RemoveFolder(p);
                continue;
            }
            ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(p.c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// Copies the folder (by its name) into the other one.
inline void CopyFolder(const std::wstring& from, const std::wstring& into) {
    SHFILEOPSTRUCTW op{};
    const std::wstring f = from + L'\0', t = into + L'\0';
    op.wFunc = FO_COPY;
    op.pFrom = f.c_str();
    op.pTo = t.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

#ifdef TEST_DATA_DIR
// A program folder of the test's own (with its trailing backslash) holding
// the shipped data folder and no settings files: process ids come again
// under Wine, and an earlier run's settings must not be read.
inline std::wstring MakeProgramFolder(const std::wstring& name) {
    const std::wstring dir = MakeTempFolder(name) + L"\\";
    for (const wchar_t* ini : {L"wendrel.ini", L"wendrel_local.ini"}) ::DeleteFileW((dir + ini).c_str());
    CopyFolder(SourcePath("data"), dir);
    return dir;
}
#endif

inline void WriteBytes(const std::wstring& path, const void* bytes, size_t size) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    ::WriteFile(f, bytes, static_cast<DWORD>(size), &n, nullptr);
    ::CloseHandle(f);
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    WriteBytes(path, bytes.data(), bytes.size());
}

// Writes the file of that name into the folder; its path.
inline std::wstring WriteFileIn(const std::wstring& folder, const std::wstring& name, const std::string& bytes) {
    const std::wstring path = folder + L"\\" + name;
    WriteBytes(path, bytes);
    return path;
}

// The file's bytes, or "<missing>" when it does not open.
inline std::string ReadBytes(const std::wstring& path) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(f, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
    ::CloseHandle(f);
    return bytes;
}

// A UTF-16LE file's text after its signature, as narrow ASCII (enough to
// look for settings keys).
inline std::string AsciiOfUtf16(const std::string& bytes) {
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i + 1] == 0) out += bytes[i];
    return out;
}

}  // namespace wtest
