#include "textengine/file_replace.h"

#include <cerrno>
#include <vector>

#include "textengine/bytestream.h"

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kCopyBlock = 1 << 20;

#ifdef _WIN32
const wchar_t* Wide(const std::u16string& p) { return reinterpret_cast<const wchar_t*>(p.c_str()); }

// "\\?\C:\x" as "C:\x" and "\\?\UNC\server\share" as "\\server\share": the
// forms every other call of ours takes.
std::u16string WithoutLongPrefix(const std::u16string& p) {
    if (p.rfind(u"\\\\?\\UNC\\", 0) == 0) return u"\\" + p.substr(7);
    if (p.rfind(u"\\\\?\\", 0) == 0 && p.size() >= 6 && p[5] == u':') return p.substr(4);
    return p;
}

int ErrnoFromSystem(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    default: return EIO;
    }
}

int OpenForCopy(const std::u16string& p, bool write) {
    return _wsopen(Wide(p), (write ? _O_WRONLY : _O_RDONLY) | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
}
long long ReadAt(int fd, void* b, size_t n) { return _read(fd, b, static_cast<unsigned>(n)); }
// Through the handle, so that a full disk is told as such (see bytestream.cpp).
long long WriteAt(int fd, const void* b, size_t n) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(n < 0x40000000 ? n : 0x40000000);
    if (WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), b, want, &wrote, nullptr)) return wrote;
    errno = ErrnoFromSystem(GetLastError());
    return -1;
}
long long FileSize(int fd) { return _filelengthi64(fd); }
// Growing a file on Windows allocates its clusters: the disk space is taken.
int Reserve(int fd, long long oldSize, long long newSize) {
    return newSize > oldSize ? _chsize_s(fd, newSize) : 0;
}
int Truncate(int fd, long long size) { return _chsize_s(fd, size); }
bool SyncFile(int fd) { return _commit(fd) == 0; }
void CloseFile(int fd) { _close(fd); }
#else
std::string Native(const std::u16string& p) { return PathToUtf8(p.c_str()); }

int OpenForCopy(const std::u16string& p, bool write) {
    return ::open(Native(p).c_str(), (write ? O_WRONLY : O_RDONLY) | O_CLOEXEC | O_NOCTTY);
}
long long ReadAt(int fd, void* b, size_t n) {
    ssize_t r;
    do r = ::read(fd, b, n); while (r < 0 && errno == EINTR);
    return r;
}
long long WriteAt(int fd, const void* b, size_t n) {
    ssize_t r;
    do r = ::write(fd, b, n); while (r < 0 && errno == EINTR);
    return r;
}
long long FileSize(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}
int Reserve(int fd, long long oldSize, long long newSize) {
    if (newSize <= oldSize) return 0;
    const int r = ::posix_fallocate(fd, oldSize, newSize - oldSize);
    // A file system that cannot reserve space is written as it comes.
    return r == EOPNOTSUPP || r == EINVAL ? 0 : r;
}
int Truncate(int fd, long long size) { return ::ftruncate(fd, size) == 0 ? 0 : errno; }
bool SyncFile(int fd) { return ::fsync(fd) == 0; }
void CloseFile(int fd) { ::close(fd); }
#endif

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) CloseFile(fd);
    }
};

}  // namespace

#ifdef _WIN32

int ResolveSaveTarget(const std::u16string& path, SaveTarget& target) {
    target = SaveTarget{path, false, false};
    HANDLE h = CreateFileW(Wide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A new file, or one the temporary file's creation will explain.
        target.exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return 0;
    }
    target.exists = true;
    int result = 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        result = kNotRegularFile;
    } else if (GetFileInformationByHandle(h, &info)) {
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) result = EISDIR;
        target.hardLinked = info.nNumberOfLinks > 1;
    }
    if (result == 0) {
        // The file the opened handle ends at: the end of any symbolic links,
        // whether or not the system marks the name as a link.
        std::vector<wchar_t> buffer(MAX_PATH);
        DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (n >= buffer.size()) {
            buffer.resize(n + 1);
            n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        }
        if (n > 0 && n < buffer.size())
            target.path = WithoutLongPrefix(std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), n));
    }
    CloseHandle(h);
    return result;
}

int ReplaceWithTemp(const std::u16string& temp, const SaveTarget& target) {
    if (target.exists &&
        ReplaceFileW(Wide(target.path), Wide(temp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return 0;
    const DWORD replaceError = target.exists ? GetLastError() : 0;
    if (MoveFileExW(Wide(temp), Wide(target.path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return ErrnoFromSystem(replaceError ? replaceError : GetLastError());
}

#else

int ResolveSaveTarget(const std::u16string& path, SaveTarget& target) {
    target = SaveTarget{path, false, false};
    std::string p = Native(path);
    // As many links as the system itself follows.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT) return errno;
            target.path = Utf8ToUtf16(p);  // a new file, or a link to one
            return 0;
        }
        if (S_ISLNK(st.st_mode)) {
            std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
            const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
            if (n < 0) return errno;
            std::string next(link.data(), static_cast<size_t>(n));
            const size_t slash = p.find_last_of('/');
            if (next.empty() || next[0] != '/') next = (slash == std::string::npos ? "" : p.substr(0, slash + 1)) + next;
            p = next;
            continue;
        }
        target.path = Utf8ToUtf16(p);
        target.exists = true;
        if (S_ISDIR(st.st_mode)) return EISDIR;
        if (!S_ISREG(st.st_mode)) return kNotRegularFile;
        target.hardLinked = st.st_nlink > 1;
        return 0;
    }
    return ELOOP;
}

int ReplaceWithTemp(const std::u16string& temp, const SaveTarget& target) {
    const std::string from = Native(temp), to = Native(target.path);
    struct stat st;
    if (target.exists && ::stat(to.c_str(), &st) == 0) {
        // Keep the original's owner (where allowed) and permission bits.
        if (::chown(from.c_str(), st.st_uid, st.st_gid) != 0) {
            // Not allowed for others' files: the new file stays the saver's.
        }
        ::chmod(from.c_str(), st.st_mode & 07777);
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

#endif

int OverwriteFromTemp(const std::u16string& temp, const SaveTarget& target) {
    FdCloser in{OpenForCopy(temp, false)};
    if (in.fd < 0) return errno ? errno : EIO;
    FdCloser out{OpenForCopy(target.path, true)};
    if (out.fd < 0) return errno ? errno : EIO;
    const long long newSize = FileSize(in.fd), oldSize = FileSize(out.fd);
    if (newSize < 0 || oldSize < 0) return kNotRegularFile;
    if (const int r = Reserve(out.fd, oldSize, newSize)) return r;
    std::vector<char> block(kCopyBlock);
    for (long long done = 0; done < newSize;) {
        const long long got = ReadAt(in.fd, block.data(), block.size());
        if (got <= 0) return got < 0 ? errno : EIO;
        for (long long put = 0; put < got;) {
            const long long r = WriteAt(out.fd, block.data() + put, static_cast<size_t>(got - put));
            if (r <= 0) return r < 0 ? errno : ENOSPC;
            put += r;
        }
        done += got;
    }
    if (newSize < oldSize) {
        if (const int r = Truncate(out.fd, newSize)) return r;
    }
    if (!SyncFile(out.fd)) return errno ? errno : EIO;
    return 0;
}
