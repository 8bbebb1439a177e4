#include "textengine/bytestream.h"
#include "textengine/utf16.h"

#include "textengine/file_replace.h"

#include <cerrno>
#include <cstring>

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

constexpr size_t kFileBufferSize = 64 * 1024;

#ifdef _WIN32
const wchar_t* WidePath(const std::u16string& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }
long long SysRead(int fd, void* b, size_t n) { return _read(fd, b, static_cast<unsigned>(n)); }
// Through the handle: the C runtime reports a short write on a full disk
// as an invalid argument, the system says what it is.
long long SysWrite(int fd, const void* b, size_t n) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(n < 0x40000000 ? n : 0x40000000);
    if (::WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), b, want, &wrote, nullptr)) return wrote;
    const DWORD error = ::GetLastError();
    errno = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
            : error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ? EACCES
                                                                           : EIO;
    return -1;
}
bool SysSync(int fd) { return _commit(fd) == 0; }
int SysClose(int fd) { return _close(fd); }
bool SysRewind(int fd) { return _lseeki64(fd, 0, SEEK_SET) == 0; }
long long SysSize(int fd) {
    struct _stati64 st;
    return _fstati64(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}
int OpenRead(const std::u16string& p) { return _wsopen(WidePath(p), _O_RDONLY | _O_BINARY, _SH_DENYNO); }
// 0 for a regular file, else why it can't be read as a file.
int CheckRegular(int fd) {
    struct _stati64 st;
    if (_fstati64(fd, &st) != 0) return errno;
    if (st.st_mode & _S_IFDIR) return EISDIR;
    return (st.st_mode & _S_IFMT) == _S_IFREG ? 0 : kNotRegularFile;
}
int OpenCreate(const std::u16string& p, bool exclusive) {
    int flags = _O_RDWR | _O_CREAT | _O_BINARY | (exclusive ? _O_EXCL : _O_TRUNC);
    return _wsopen(WidePath(p), flags, _SH_DENYRW, _S_IREAD | _S_IWRITE);
}
void RemoveFile(const std::u16string& p) { _wremove(WidePath(p)); }
#else
long long SysRead(int fd, void* b, size_t n) {
    ssize_t r;
    do r = ::read(fd, b, n); while (r < 0 && errno == EINTR);
    return r;
}
long long SysWrite(int fd, const void* b, size_t n) {
    ssize_t r;
    do r = ::write(fd, b, n); while (r < 0 && errno == EINTR);
    return r;
}
bool SysSync(int fd) { return ::fsync(fd) == 0; }
int SysClose(int fd) { return ::close(fd); }
bool SysRewind(int fd) { return ::lseek(fd, 0, SEEK_SET) == 0; }
long long SysSize(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}
// Without blocking: a pipe or device is seen, and refused, before any read.
int OpenRead(const std::u16string& p) {
    return ::open(PathToUtf8(p.c_str()).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}
int CheckRegular(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return kNotRegularFile;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0 ? errno : 0;
}
int OpenCreate(const std::u16string& p, bool exclusive) {
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    return ::open(PathToUtf8(p.c_str()).c_str(), flags, 0666);
}
void RemoveFile(const std::u16string& p) { ::unlink(PathToUtf8(p.c_str()).c_str()); }
#endif

}  // namespace

size_t CMemoryStream::Read(void* buffer, size_t n) {
    size_t k = std::min(n, m_bytes.size() - m_pos);
    std::memcpy(buffer, m_bytes.data() + m_pos, k);
    m_pos += k;
    return k;
}

bool CMemoryStream::Write(const void* data, size_t n) {
    m_bytes.append(static_cast<const char*>(data), n);
    m_pos = m_bytes.size();
    return true;
}

CFileStream::~CFileStream() { Close(); }

bool CFileStream::Open(const char16_t* path, Mode mode) {
    Close();
    m_failed = false;
    m_error = 0;
    std::u16string p(path ? path : u"");
    m_fd = mode == ReadOnly ? OpenRead(p) : OpenCreate(p, false);
    if (m_fd < 0) {
        Fail(errno);
        return false;
    }
    if (mode == ReadOnly) {
        if (const int error = CheckRegular(m_fd)) {
            SysClose(m_fd);
            m_fd = -1;
            Fail(error);
            return false;
        }
    }
    m_writing = mode == Create;
    m_begin = m_end = 0;
    return true;
}

uint8_t* CFileStream::Buffer() {
    // Made on first use and left uninitialised: a reader that takes whole
    // files in large reads never needs it.
    if (!m_buffer) m_buffer.reset(new uint8_t[kFileBufferSize]);
    return m_buffer.get();
}

void CFileStream::Fail(int error) {
    if (!m_failed) m_error = error ? error : EIO;
    m_failed = true;
}

bool CFileStream::Close() {
    if (m_fd < 0) return !m_failed;
    bool ok = !m_writing || FlushBuffer();
    if (SysClose(m_fd) != 0) {
        Fail(errno);
        ok = false;
    }
    m_fd = -1;
    m_begin = m_end = 0;
    return ok && !m_failed;
}

size_t CFileStream::Read(void* buffer, size_t n) {
    if (m_fd < 0 || m_writing) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < n) {
        if (m_begin == m_end) {
            if (n - done >= kFileBufferSize) {  // large reads bypass the buffer
                long long r = SysRead(m_fd, out + done, n - done);
                if (r < 0) Fail(errno);
                if (r <= 0) break;
                done += static_cast<size_t>(r);
                continue;
            }
            long long r = SysRead(m_fd, Buffer(), kFileBufferSize);
            if (r < 0) Fail(errno);
            if (r <= 0) break;
            m_begin = 0;
            m_end = static_cast<size_t>(r);
        }
        size_t k = std::min(n - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer.get() + m_begin, k);
        m_begin += k;
        done += k;
    }
    return done;
}

bool CFileStream::FlushBuffer() {
    while (m_begin < m_end) {
        long long r = SysWrite(m_fd, m_buffer.get() + m_begin, m_end - m_begin);
        if (r <= 0) {
            Fail(r < 0 ? errno : ENOSPC);
            m_begin = m_end = 0;
            return false;
        }
        m_begin += static_cast<size_t>(r);
    }
    m_begin = m_end = 0;
    return true;
}

bool CFileStream::Write(const void* data, size_t n) {
    if (m_fd < 0 || !m_writing || m_failed) return false;
    auto* in = static_cast<const uint8_t*>(data);
    while (n > 0) {
        if (m_end == kFileBufferSize && !FlushBuffer()) return false;
        size_t k = std::min(n, kFileBufferSize - m_end);
        std::memcpy(Buffer() + m_end, in, k);
        m_end += k;
        in += k;
        n -= k;
    }
    return true;
}

uint8_t* CFileStream::WriteRoom(size_t n) {
    if (m_fd < 0 || !m_writing || m_failed || n > kFileBufferSize) return nullptr;
    if (kFileBufferSize - m_end < n && !FlushBuffer()) return nullptr;
    return Buffer() + m_end;
}

bool CFileStream::Rewind() {
    if (m_fd < 0) return false;
    if (m_writing && !FlushBuffer()) return false;
    m_begin = m_end = 0;
    if (!SysRewind(m_fd)) {
        Fail(errno);
        return false;
    }
    return true;
}

long long CFileStream::Size() const { return m_fd >= 0 ? SysSize(m_fd) : -1; }

bool CFileStream::Flush() {
    if (m_fd < 0 || !m_writing) return !m_failed;
    return FlushBuffer();
}

bool CFileStream::Sync() {
    if (!Flush()) return false;
    if (m_fd >= 0 && m_writing && !SysSync(m_fd)) {
        Fail(errno);
        return false;
    }
    return true;
}

CReplacingFileStream::~CReplacingFileStream() { Abandon(); }

bool CReplacingFileStream::Open(const char16_t* path) {
    Abandon();
    m_target = path ? path : u"";
    SaveTarget target;
    if (const int error = ResolveSaveTarget(m_target, target)) {
        SetError(error);
        return false;
    }
    m_resolved = target.path;
    m_exists = target.exists;
    m_hardLinked = target.hardLinked;
    // A new name beside the file written: same folder, so the final rename
    // never crosses volumes.
    size_t slash = m_resolved.find_last_of(u"/\\");
    std::u16string dir = slash == std::u16string::npos ? u"" : m_resolved.substr(0, slash + 1);
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "~wdsave" + std::to_string(++serial) + "_" + std::to_string(attempt) + ".tmp";
        std::u16string temp = dir + std::u16string(name.begin(), name.end());
        if (TryCreate(temp)) {
            m_temp = temp;
            return true;
        }
        if (Error() != EEXIST) return false;
    }
    return false;
}

bool CFileStream::TryCreate(const std::u16string& path) {
    Close();
    m_failed = false;
    m_error = 0;
    m_fd = OpenCreate(path, true);
    if (m_fd < 0) {
        Fail(errno);
        return false;
    }
    m_writing = true;
    m_begin = m_end = 0;
    return true;
}

bool CReplacingFileStream::Commit() {
    if (m_temp.empty()) return false;
    bool ok = Sync();
    ok = Close() && ok;
    if (ok) {
        const SaveTarget target{m_resolved, m_exists, m_hardLinked};
        // A file with other names is written in place, so they all see the
        // new text; the temporary file then only proves it all fit.
        if (const int error = m_hardLinked ? OverwriteFromTemp(m_temp, target) : ReplaceWithTemp(m_temp, target)) {
            SetError(error);
            ok = false;
        } else if (!m_hardLinked) {
            m_temp.clear();
        }
    }
    Abandon();
    return ok;
}

void CReplacingFileStream::Abandon() {
    Close();
    if (!m_temp.empty()) RemoveFile(m_temp);
    m_temp.clear();
}

std::u16string PathFromHost(const std::string& name) {
    std::u16string out;
    out.reserve(name.size());
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t n = name.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        const size_t len = b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        char32_t c = len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
        bool good = len > 0 && i + len <= n;
        for (size_t k = 1; good && k < len; ++k) {
            good = (p[i + k] & 0xC0) == 0x80;
            c = c << 6 | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are no UTF-8 either.
        good = good && !(len == 3 && c < 0x800) && !(len == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
               !(c >= 0xD800 && c < 0xE000);
        if (!good) {
            out += static_cast<char16_t>(0xDC00 + b);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += len;
    }
    return out;
}

std::string PathToUtf8(const char16_t* path) {
    std::string out;
    if (!path) return out;
    // Runs of text go through the converter; a byte of a name that was no
    // UTF-8 (U+DC80..U+DCFF standing alone) goes back as that byte.
    const char16_t* run = path;
    for (const char16_t* p = path;; ++p) {
        const bool escaped = *p >= 0xDC80 && *p <= 0xDCFF && !(p > path && utf16_is_high_surrogate(p[-1]));
        if (!*p || escaped) {
            out += Utf16ToUtf8(std::u16string_view(run, std::size_t(p - run)));
            if (!*p) return out;
            out += static_cast<char>(*p - 0xDC00);
            run = p + 1;
        }
    }
}
