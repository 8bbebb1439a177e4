#include "grep/engine/grep_engine.h"

#include <cstdint>

#include "textengine/bytestream.h"
#include "textengine/file_replace.h"
#include "textengine/kanjicodec.h"
#include "util/file_error_text.h"

#ifdef __unix__
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>
#endif

namespace {

constexpr char16_t kTooBigText[] = u"ファイルが大きすぎます";

// Makes room for size bytes. Natively a large buffer is backed by huge pages
// where the system offers them, so filling it costs a fault per 2 MiB, not
// per 4 KiB (the Windows program takes plain pages: large pages need a
// privilege users lack).
void Reserve(std::string& bytes, std::size_t size) {
    if (size <= bytes.capacity()) return;
    // Half as much again while that is small, so a search whose files grow
    // little by little moves and faults in its buffer a few times only.
    constexpr std::size_t kGrowFreely = std::size_t(16) << 20;
    const std::size_t more = bytes.capacity() + bytes.capacity() / 2;
    bytes.reserve(size < more && more <= kGrowFreely ? more : size);
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(bytes.data()) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(bytes.data()) + bytes.capacity()) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

// Reads a whole file whose size the system told into the front of buffer,
// which the last file left and which only grows (so its bytes are never
// cleared again): the bytes read, or -1 with a reason. The buffer keeps a
// byte of room past the told size, so a read that stops short of filling
// it has met the end and no further read is needed to find it; a file that
// grows meanwhile is read on to its end. read(to, n, error) returns the
// bytes read, 0 at the end, or -1 (error set).
template <class Read>
long long ReadKnownSizeInto(long long size, std::string& buffer, Read read, std::u16string& reason) {
    if (size > kGrepMaxFileBytes) {
        reason = kTooBigText;
        return -1;
    }
    const std::size_t told = std::size_t(size);
    if (buffer.size() < told + 1) {
        Reserve(buffer, told + 1);
        buffer.resize(told + 1);
    }
    std::size_t done = 0;
    for (;;) {
        if (done == buffer.size()) {  // past the told size: a file still growing
            if (done > std::size_t(kGrepMaxFileBytes)) {
                reason = kTooBigText;
                return -1;
            }
            buffer.resize(done + (done < 4096 ? 4096 : done / 2));
        }
        const std::size_t asked = buffer.size() - done;
        int error = 0;
        const long long got = read(buffer.data() + done, asked, error);
        if (got < 0) {
            reason = FileErrorMessage(error);
            return -1;
        }
        if (got == 0) break;
        done += std::size_t(got);
        if (std::size_t(got) < asked && done == told) break;
    }
    if (done > std::size_t(kGrepMaxFileBytes)) {
        reason = kTooBigText;
        return -1;
    }
    return static_cast<long long>(done);
}

// ReadKnownSizeInto with bytes cut to the file.
template <class Read>
bool ReadKnownSize(long long size, std::string& bytes, Read read, std::u16string& reason) {
    const long long got = ReadKnownSizeInto(size, bytes, read, reason);
    if (got < 0) return false;
    bytes.resize(std::size_t(got));
    return true;
}

}  // namespace

bool GrepFileSystem::ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason) {
    CFileStream file;
    if (!file.Open(path.c_str(), CFileStream::ReadOnly)) {
        reason = FileErrorMessage(file.Error());
        return false;
    }
    return ReadKnownSize(file.Size() > 0 ? file.Size() : 0, bytes,
                         [&](char* to, std::size_t n, int& error) -> long long {
                             const std::size_t got = file.Read(to, n);
                             if (file.Failed()) {
                                 error = file.Error();
                                 return -1;
                             }
                             return static_cast<long long>(got);
                         },
                         reason);
}

bool GrepFileSystem::ReadFileBlocks(const std::u16string& path, std::string& buffer, const BlockTaker& take,
                                    std::u16string& reason) {
    if (!ReadFile(path, buffer, reason)) return false;
    take(buffer.data(), buffer.size(), true);
    return true;
}

#ifdef __unix__

namespace {

// Blocks of a big file: large enough that a search's start-up cost per block
// vanishes, small enough that the block stays in the cache, where the
// kernel's copy into it and the search after it are cheapest.
constexpr std::size_t kBlockBytes = std::size_t(128) << 10;

// Where a block of filled bytes may end: just after its last LF, or after
// its last CR when that is not the final byte (an LF may follow). 0 when the
// bytes hold no line end that can be cut after.
std::size_t CutAfterLineEnd(const char* b, std::size_t filled) {
    for (std::size_t i = filled; i > 0; --i)
        if (b[i - 1] == '\n') return i;
    // After a CR only where a plain byte follows: a malformed run behind it
    // could decode to the LF of a CR LF.
    for (std::size_t i = filled - 1; i > 0; --i)
        if (b[i - 1] == '\r' && static_cast<unsigned char>(b[i]) < 0x80) return i;
    return 0;
}

long long ReadRetrying(int fd, char* to, std::size_t n, int& error) {
    for (;;) {
        const ssize_t got = read(fd, to, n);
        if (got >= 0) return got;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

// Folders through opendir and files through openat on the folder being
// listed, so opening a file walks one name, not the whole path.
class PosixFileSystem : public GrepFileSystem {
public:
    char16_t Separator() const override { return u'/'; }
    bool ReadsOnAnyThread() const override { return true; }

    bool ListFolder(const std::u16string& folder, const std::function<bool(const GrepDirEntry&)>& visit,
                    std::u16string& reason) override {
        DIR* dir = opendir(PathToUtf8(folder.c_str()).c_str());
        if (!dir) {
            reason = FileErrorMessage(errno);
            return false;
        }
        // Closed and taken off the stack however the walk ends, a throwing
        // visitor included.
        struct Listing {
            std::vector<OpenFolder>& open;
            DIR* dir;
            bool pushed = false;
            ~Listing() {
                if (pushed) open.pop_back();
                closedir(dir);
            }
        } listing{open_, dir};
        open_.push_back({folder, dirfd(dir)});
        listing.pushed = true;
        GrepDirEntry e;
        bool go = true;
        int error = 0;
        for (;;) {
            errno = 0;
            const dirent* d = readdir(dir);
            if (!d) {
                error = errno;
                break;
            }
            unsigned char type = d->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                type = fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ? DT_UNKNOWN
                       : S_ISDIR(st.st_mode)                                         ? DT_DIR
                       : S_ISREG(st.st_mode)                                         ? DT_REG
                       : S_ISLNK(st.st_mode)                                         ? DT_LNK
                                                                                     : DT_FIFO;
            }
            e.name = PathFromHost(d->d_name);
            e.directory = type == DT_DIR;
            e.link = type == DT_LNK;
            e.special = type != DT_DIR && type != DT_LNK && type != DT_REG;
            if (!(go = visit(e))) break;
        }
        if (go && error) {
            reason = FileErrorMessage(error);
            return false;
        }
        return true;
    }

    bool ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason) override {
        long long size;
        const int fd = OpenRegular(path, size, reason);
        if (fd < 0) return false;
        struct Closer {
            int fd;
            ~Closer() { close(fd); }
        } closer{fd};
        return ReadKnownSize(size, bytes, [fd](char* to, std::size_t n, int& error) { return ReadRetrying(fd, to, n, error); },
                             reason);
    }

    bool ReadFileBlocks(const std::u16string& path, std::string& buffer, const BlockTaker& take,
                        std::u16string& reason) override {
        long long size;
        const int fd = OpenRegular(path, size, reason);
        if (fd < 0) return false;
        struct Closer {
            int fd;
            ~Closer() { close(fd); }
        } closer{fd};
        if (size <= static_cast<long long>(2 * kBlockBytes)) {
            const long long got = ReadKnownSizeInto(
                size, buffer, [fd](char* to, std::size_t n, int& error) { return ReadRetrying(fd, to, n, error); },
                reason);
            if (got < 0) return false;
            take(buffer.data(), std::size_t(got), true);
            return true;
        }
        // The same few blocks' worth of memory from block to block, so the
        // bytes read stay in the cache; a longer line widens the window.
        std::size_t window = kBlockBytes;
        if (buffer.size() < window) buffer.resize(window);
        std::size_t filled = 0;
        for (;;) {
            int error = 0;
            const long long got = ReadRetrying(fd, buffer.data() + filled, window - filled, error);
            if (got < 0) {
                reason = FileErrorMessage(error);
                return false;
            }
            filled += std::size_t(got);
            if (got == 0) {  // the end: what is left is the last block
                if (filled) take(buffer.data(), filled, true);
                return true;
            }
            if (filled < window) continue;
            const std::size_t cut = CutAfterLineEnd(buffer.data(), filled);
            if (cut == 0) {  // one line longer than the window
                if (window >= std::size_t(kGrepMaxFileBytes)) {
                    reason = u"ファイルが大きすぎます";
                    return false;
                }
                window *= 2;
                if (buffer.size() < window) buffer.resize(window);
                continue;
            }
            if (!take(buffer.data(), cut, false)) return true;
            std::memmove(buffer.data(), buffer.data() + cut, filled - cut);
            filled -= cut;
        }
    }

private:
    // Opens a file without blocking, and keeps it only when the opened
    // handle is a regular file no larger than the limit: an entry replaced
    // by a pipe since the listing can't hold the search up. The descriptor,
    // or -1 with a reason.
    int OpenRegular(const std::u16string& path, long long& size, std::u16string& reason) {
        constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
        int fd = -1;
        const std::size_t slash = path.rfind(u'/');
        // The folders being listed are this thread's: another thread opens by path.
        if (std::this_thread::get_id() == owner_ && !open_.empty() && slash != std::u16string::npos && path.compare(0, slash, open_.back().folder) == 0 &&
            slash == open_.back().folder.size())
            fd = openat(open_.back().fd, PathToUtf8(path.c_str() + slash + 1).c_str(), kFlags);
        else
            fd = open(PathToUtf8(path.c_str()).c_str(), kFlags);
        if (fd < 0) {
            reason = FileErrorMessage(errno);
            return -1;
        }
        struct stat st;
        int error = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : !S_ISREG(st.st_mode) ? kNotRegularFile : 0;
        if (!error && st.st_size > kGrepMaxFileBytes) {
            close(fd);
            reason = u"ファイルが大きすぎます";
            return -1;
        }
        if (error) {
            close(fd);
            reason = FileErrorMessage(error);
            return -1;
        }
        size = st.st_size;
        return fd;
    }

    struct OpenFolder {
        std::u16string folder;
        int fd;
    };
    std::vector<OpenFolder> open_;  // the folders being listed, innermost last
    const std::thread::id owner_ = std::this_thread::get_id();
};

}  // namespace

GrepFileSystem& StdGrepFileSystem() {
    thread_local PosixFileSystem fs;  // each worker its own open folders
    return fs;
}

#endif
