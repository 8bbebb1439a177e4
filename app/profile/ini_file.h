// How the settings store reaches its file: a lock shared with every other
// program that uses the same file, whole-file reads, and replacement that
// never leaves a half-written file behind. The Windows programs use a named
// mutex and ReplaceFileW (app/base/ini_file_win.h); PlainIniFile serves tools and
// tests without a lock.
#pragma once

#include <string>
#include <string_view>

enum class IniReadResult {
    Ok,
    Missing,  // no such file: nothing to lose by writing it
    Failed,   // the file is there but could not be read
};

class CIniFileAccess {
public:
    virtual ~CIniFileAccess() = default;
    // Waits until no other program uses the file; false when the lock can't
    // be had. Every true is matched by one Unlock.
    virtual bool Lock() = 0;
    virtual void Unlock() = 0;
    virtual IniReadResult Read(const std::u16string& path, std::string& bytes) = 0;
    // Writes bytes as the whole new file; when this fails the old file is
    // still there, unchanged.
    virtual bool Replace(const std::u16string& path, const std::string& bytes) = 0;
};

// Files through the text engine's byte streams; the lock does nothing.
class CPlainIniFile : public CIniFileAccess {
public:
    bool Lock() override { return true; }
    void Unlock() override {}
    IniReadResult Read(const std::u16string& path, std::string& bytes) override;
    bool Replace(const std::u16string& path, const std::string& bytes) override;
};

// The name of the mutex that guards the file at path between programs: the
// full path with every backslash turned into '_' (object names can't hold one).
std::u16string IniMutexName(std::u16string_view path);
