// Fuzz target: any text as the editor's and as sulki's command line, read
// as UTF-16LE units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grep/engine/grep_cmdline.h"
#include "util/cmdline_files.h"

namespace {

// The file system as parsing sees it: relative paths go under one folder,
// shortcuts resolve to a fixed file, long names are the names themselves.
class FakePaths : public CCmdLinePaths {
public:
    void MakeFullPath(std::u16string& path) const override {
        if (path.size() < 2 || path[1] != u':') path = u"C:\\work\\" + path;
    }
    bool ResolveShortcut(const std::u16string& link, std::u16string& target) const override {
        target = u"C:\\target.txt";
        return link.size() % 2 == 0;
    }
    bool GetLongPath(const std::u16string& path, std::u16string& out) const override {
        out = path;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    CCommandLineFiles files;
    std::u16string error;
    const bool parsed = files.Parse(text, error, FakePaths());
    if (parsed && !error.empty()) std::abort();
    for (const CCmdLineEntry& e : files.Entries())
        if (e.path.empty()) std::abort();
    SulkiCommandLine sulki;
    if (!ParseSulkiCommandLine(text, u"C:\\work", sulki) &&
        !(sulki.searchText.empty() && sulki.folder.empty() && sulki.encodingName.empty()))
        std::abort();
    return 0;
}
