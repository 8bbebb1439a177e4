#include "editctrl/syntax/syntax_files.h"

#include "util/pathutil.h"
#include "textengine/kanjitextfile.h"

#include <filesystem>
#include <system_error>

namespace {

bool IsSeparator(char16_t u) { return u == u'\\' || u == u'/'; }

// A drive letter, or a server path with either kind of separator.
bool IsFullPath(std::u16string_view name) {
    return HasDriveLetter(name) || (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1]));
}

std::filesystem::path ToFsPath(std::u16string_view path) { return std::filesystem::path(std::u16string(path)); }

}  // namespace

std::u16string JoinPath(std::u16string_view dir, std::u16string_view name) {
    if (dir.empty() || IsFullPath(name)) return std::u16string(name);
    while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
    std::u16string out(dir);
    if (!IsSeparator(out.back())) out += kPathSeparator;
    out += name;
    return out;
}

bool IsExistingFile(std::u16string_view path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(ToFsPath(path), ec);
}

void TextLines::Assign(std::u16string&& text) {
    m_text = std::move(text);
    m_ends.clear();
    const std::size_t n = m_text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (m_text[i] == u'\n' || (m_text[i] == u'\r' && !(i + 1 < n && m_text[i + 1] == u'\n')))
            m_ends.push_back(i + 1);
    }
    if (n > (m_ends.empty() ? 0 : m_ends.back())) m_ends.push_back(n);  // a last line without line end
}

bool ReadTextFileLines(std::u16string_view path, TextLines& lines) {
    lines.Clear();
    CKanjiTextFile file;
    if (!file.Open(std::u16string(path).c_str(), "r")) return false;
    std::u16string text;
    // No encoding gives more units than bytes: one allocation for the text.
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(ToFsPath(path), ec);
    if (!ec && bytes < (std::uintmax_t(1) << 30)) text.reserve(std::size_t(bytes));
    std::size_t length = 0;
    while (const char16_t* chunk = file.ReadChunk(&length)) text.append(chunk, length);
    // A folder opens on some systems and then fails to read.
    const bool failed = file.Failed();
    file.Close();
    if (failed) return false;
    lines.Assign(std::move(text));
    return true;
}
