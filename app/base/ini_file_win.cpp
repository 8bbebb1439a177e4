#include "app/base/ini_file_win.h"

#include <algorithm>
#include <new>

#include "framework/wide.h"

namespace {

// Larger settings files are taken as damaged rather than read into memory.
constexpr LONGLONG kMaxSettingsFileBytes = 64LL * 1024 * 1024;

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    bool Close() {
        bool ok = !Valid() || CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, want, &wrote, nullptr) || wrote != want) return false;
        done += wrote;
    }
    return FlushFileBuffers(file) != 0;
}

// A new file beside path holding bytes, every write checked; its name in temp.
bool WriteTemporaryBeside(const wchar_t* path, const std::string& bytes, std::wstring& temp) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = std::wstring(path) + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++serial) +
               L".tmp";
        FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        const bool written = WriteAll(file.Get(), bytes);
        if (file.Close() && written) return true;
        DeleteFileW(temp.c_str());
        return false;
    }
    return false;
}

bool PutInPlace(const wchar_t* path, const std::string& bytes, DWORD moveFlags) {
    std::wstring temp;
    if (!WriteTemporaryBeside(path, bytes, temp)) return false;
    if (MoveFileExW(temp.c_str(), path, moveFlags | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

}  // namespace

IniReadResult ReadWholeFile(const wchar_t* path, std::string& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? IniReadResult::Missing
                                                                              : IniReadResult::Failed;
    }
    // A device or a pipe of that name is no settings file.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return IniReadResult::Failed;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxSettingsFileBytes) return IniReadResult::Failed;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return IniReadResult::Failed;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return IniReadResult::Failed;
        if (got == 0) break;  // shortened while we read: what is there
        done += got;
    }
    bytes.resize(done);
    return IniReadResult::Ok;
}

bool ReplaceFileContents(const wchar_t* path, const std::string& bytes) {
    return PutInPlace(path, bytes, MOVEFILE_REPLACE_EXISTING);
}

bool CreateFileWithContents(const wchar_t* path, const std::string& bytes) { return PutInPlace(path, bytes, 0); }

CWinIniFile::CWinIniFile(const std::wstring& path) {
    m_mutex = CreateMutexW(nullptr, FALSE, AsWide(IniMutexName(AsU16(path.c_str())).c_str()));
}

CWinIniFile::~CWinIniFile() {
    if (m_mutex) CloseHandle(m_mutex);
}

bool CWinIniFile::Lock() {
    if (!m_mutex) return false;
    const DWORD r = WaitForSingleObject(m_mutex, INFINITE);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void CWinIniFile::Unlock() { ReleaseMutex(m_mutex); }

IniReadResult CWinIniFile::Read(const std::u16string& path, std::string& bytes) {
    return ReadWholeFile(AsWide(path.c_str()), bytes);
}

bool CWinIniFile::Replace(const std::u16string& path, const std::string& bytes) {
    return ReplaceFileContents(AsWide(path.c_str()), bytes);
}
