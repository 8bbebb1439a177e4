#include "grep/engine/grep_cmdline.h"

#include "util/cmdline_files.h"
#include "util/pathutil.h"

namespace {

// Tokens stay as written: the folder is made absolute afterwards, and the
// search text is never a path.
class AsWrittenPaths : public CCmdLinePaths {
public:
    void MakeFullPath(std::u16string&) const override {}
    bool ResolveShortcut(const std::u16string&, std::u16string&) const override { return false; }
    bool GetLongPath(const std::u16string&, std::u16string&) const override { return false; }
};

// The first token as typed: a quoted run, or the text up to the next blank.
std::u16string FirstToken(std::u16string_view text) {
    std::size_t at = text.find_first_not_of(u' ');
    if (at == std::u16string_view::npos || text[at] == u'/') return {};
    if (text[at] == u'"') {
        const std::size_t close = text.find(u'"', at + 1);
        return std::u16string(text.substr(at + 1, close == std::u16string_view::npos ? close : close - at - 1));
    }
    const std::size_t end = text.find(u' ', at);
    return std::u16string(text.substr(at, end == std::u16string_view::npos ? end : end - at));
}

}  // namespace

bool ParseSulkiCommandLine(std::u16string_view text, const std::u16string& currentDir, SulkiCommandLine& out) {
    out = SulkiCommandLine{};
    CCommandLineFiles files;
    std::u16string error;
    if (!files.Parse(text, error, AsWrittenPaths())) return false;
    if (!files.Entries().empty()) out.searchText = FirstToken(text);
    out.folder = files.GetDirOption();
    if (!out.folder.empty()) MakeFullPathIn(out.folder, currentDir);
    const auto c = files.GlobalOptions().find(u"c");
    if (c != files.GlobalOptions().end()) out.encodingName = c->second;
    return true;
}

std::u16string BuildSulkiCommandLine(const std::u16string& programPath, const std::u16string& searchText,
                                     const std::u16string& folder, std::size_t maxUnits) {
    const std::u16string program = u"\"" + programPath + u"\"";
    const std::u16string folderOption = folder.empty() ? u"" : u"/d \"" + folder + u"\"";
    const bool passable = !searchText.empty() && searchText.find_first_of(u"\"\r\n") == std::u16string::npos;
    if (passable) {
        std::u16string line = program + u" \"" + searchText + u"\" " + folderOption;
        if (line.size() <= maxUnits) return line;
    }
    return program + u" " + folderOption;
}
