#include "grep/engine/grep_engine.h"
#include "textengine/bytestream.h"
#include "textengine/kanjicodec.h"

#ifdef __unix__
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace {

// Read into a block on the stack and appended: no memory that the file then
// fills is cleared first, and nothing stays behind after the search. As
// large as the file stream's own buffer, so its reads bypass that.
constexpr std::size_t kReadStep = 64 * 1024;

}  // namespace

bool GrepFileSystem::ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason) {
    CFileStream file;
    if (!file.Open(path.c_str(), CFileStream::ReadOnly)) {
        reason = FileErrorMessage(file.Error());
        return false;
    }
    bytes.clear();
    char chunk[kReadStep];
    for (;;) {
        const std::size_t got = file.Read(chunk, sizeof chunk);
        bytes.append(chunk, got);
        if (got < sizeof chunk) break;
    }
    if (file.Failed()) {
        reason = FileErrorMessage(file.Error());
        return false;
    }
    return true;
}

#ifdef __unix__

namespace {

// Folders through opendir and files through openat on the folder being
// listed, so opening a file walks one name, not the whole path.
class PosixFileSystem : public GrepFileSystem {
public:
    char16_t Separator() const override { return u'/'; }

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
            e.name = Utf8ToUtf16(d->d_name);
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
        int fd = -1;
        const std::size_t slash = path.rfind(u'/');
        if (!open_.empty() && slash != std::u16string::npos && path.compare(0, slash, open_.back().folder) == 0 &&
            slash == open_.back().folder.size())
            fd = openat(open_.back().fd, PathToUtf8(path.c_str() + slash + 1).c_str(), O_RDONLY | O_CLOEXEC);
        else
            fd = open(PathToUtf8(path.c_str()).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            reason = FileErrorMessage(errno);
            return false;
        }
        bytes.clear();
        char chunk[kReadStep];
        int error = 0;
        for (;;) {
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) error = errno;
            if (got <= 0) break;
            bytes.append(chunk, std::size_t(got));
        }
        close(fd);
        if (error) {
            reason = FileErrorMessage(error);
            return false;
        }
        return true;
    }

private:
    struct OpenFolder {
        std::u16string folder;
        int fd;
    };
    std::vector<OpenFolder> open_;  // the folders being listed, innermost last
};

}  // namespace

GrepFileSystem& StdGrepFileSystem() {
    thread_local PosixFileSystem fs;  // each worker its own open folders
    return fs;
}

#endif
