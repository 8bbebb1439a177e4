#include <filesystem>
#include <memory>
#include <system_error>

#include "grep/engine/grep_engine.h"
#include "textengine/bytestream.h"

bool GrepFileSystem::ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason) {
    CFileStream file;
    if (!file.Open(path.c_str(), CFileStream::ReadOnly)) {
        reason = FileErrorMessage(file.Error());
        return false;
    }
    bytes.clear();
    // Appending from a chunk never clears memory that the file then fills.
    constexpr std::size_t kStep = 1 << 16;
    thread_local std::unique_ptr<char[]> chunk(new char[kStep]);
    for (;;) {
        const std::size_t got = file.Read(chunk.get(), kStep);
        bytes.append(chunk.get(), got);
        if (got < kStep) break;
    }
    if (file.Failed()) {
        reason = FileErrorMessage(file.Error());
        return false;
    }
    return true;
}

namespace {

namespace fs = std::filesystem;

// The codec's Japanese sentence for the errno the library reports.
std::u16string ReasonOf(const std::error_code& ec) { return FileErrorMessage(ec.value()); }

class StdFileSystem : public GrepFileSystem {
public:
    char16_t Separator() const override { return fs::path::preferred_separator; }

    bool ListFolder(const std::u16string& folder, const std::function<bool(const GrepDirEntry&)>& visit,
                    std::u16string& reason) override {
        std::error_code ec;
        fs::directory_iterator it(fs::path(folder), ec);
        if (ec) {
            reason = ReasonOf(ec);
            return false;
        }
        GrepDirEntry e;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            e.name = it->path().filename().u16string();
            std::error_code ignored;
            e.link = it->is_symlink(ignored);
            e.directory = it->is_directory(ignored);
            if (!visit(e)) return true;
        }
        if (ec) {
            reason = ReasonOf(ec);
            return false;
        }
        return true;
    }
};

}  // namespace

GrepFileSystem& StdGrepFileSystem() {
    static StdFileSystem fs;
    return fs;
}
