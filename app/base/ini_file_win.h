// The settings file on Windows: a named mutex shared by every editor and
// grep program that uses the same file, and whole-file writes that go to a
// temporary file in the same folder and replace the original only once
// every byte is on disk.
#pragma once

#include <windows.h>

#include <string>

#include "app/profile/ini_file.h"

class CWinIniFile : public CIniFileAccess {
public:
    // Creates (or opens) the mutex named after path at once, so it exists
    // before anything looks at the file.
    explicit CWinIniFile(const std::wstring& path);
    ~CWinIniFile() override;
    CWinIniFile(const CWinIniFile&) = delete;
    CWinIniFile& operator=(const CWinIniFile&) = delete;

    // Waits without time-out; a mutex its last owner left without releasing
    // counts as held. The same thread may lock again (matched by Unlock).
    bool Lock() override;
    void Unlock() override;
    IniReadResult Read(const std::u16string& path, std::string& bytes) override;
    bool Replace(const std::u16string& path, const std::string& bytes) override;

    HANDLE Mutex() const { return m_mutex; }

private:
    HANDLE m_mutex = nullptr;
};

// Whole-file reads and writes shared with the local profile conversion and
// the registry migration.
IniReadResult ReadWholeFile(const wchar_t* path, std::string& bytes);
// Writes bytes to a new file beside path, then puts it in place of path;
// on any failure the temporary file is removed and path is untouched.
bool ReplaceFileContents(const wchar_t* path, const std::string& bytes);
// The same, but only when path does not exist yet: an existing file is
// never replaced (false then).
bool CreateFileWithContents(const wchar_t* path, const std::string& bytes);
