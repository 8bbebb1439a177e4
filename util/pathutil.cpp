#include "util/pathutil.h"

#include "util/strutil.h"

#include <algorithm>

void RemoveTrailingBackslash(std::u16string& path) {
    // A low surrogate is never 0x5C, so the last unit can't be half a pair.
    if (!path.empty() && path.back() == u'\\') path.pop_back();
}

void CutLastPathElement(std::u16string& path) {
    RemoveTrailingBackslash(path);
    const auto at = path.rfind(u'\\');
    if (at == std::u16string::npos || at == 0) return;
    path.resize(at);
}

bool IsUncPath(std::u16string_view path) {
    return path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
}

bool HasDriveLetter(std::u16string_view path) {
    if (path.size() < 2 || path[1] != u':') return false;
    const char16_t c = path[0];
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

namespace {

// "C:" of "C:\a\b", "\\server\share" of "\\server\share\a".
std::u16string RootOf(const std::u16string& dir) {
    if (IsUncPath(dir)) {
        auto server_end = dir.find(u'\\', 2);
        if (server_end == std::u16string::npos) return dir;
        auto share_end = dir.find(u'\\', server_end + 1);
        return dir.substr(0, share_end);
    }
    return dir.substr(0, 2);
}

}  // namespace

void MakeFullPathIn(std::u16string& path, const std::u16string& currentDir) {
    if (path.empty() || path.size() > std::size_t(kMaxPath - 1) || IsUncPath(path) || HasDriveLetter(path)) return;
    if (path[0] == u'\\') {
        path = RootOf(currentDir) + path;
        return;
    }
    std::u16string dir = currentDir;
    RemoveTrailingBackslash(dir);
    std::size_t at = 0;
    for (;;) {
        if (path.compare(at, 3, u"..\\") == 0) {
            CutLastPathElement(dir);
            at += 3;
        } else if (path.compare(at, 2, u".\\") == 0) {
            at += 2;
        } else {
            break;
        }
    }
    path = dir + u'\\' + path.substr(at);
}

bool MatchFileExt(const std::u16string& fileName, const std::u16string& list) {
    const auto name_start = fileName.find_last_of(u"\\/");
    const auto dot = fileName.rfind(u'.');
    std::u16string ext;
    if (dot != std::u16string::npos && (name_start == std::u16string::npos || dot > name_start)) ext = fileName.substr(dot);
    ToLowerAscii(ext);
    std::size_t pos = 0;
    while (pos < list.size()) {
        auto end = list.find(u';', pos);
        if (end == std::u16string::npos) end = list.size();
        const auto item_dot = list.find(u'.', pos);
        if (item_dot != std::u16string::npos && item_dot < end) {
            std::u16string item = list.substr(item_dot, end - item_dot);
            if (item == u".*") return true;
            ToLowerAscii(item);
            if (!ext.empty() && item == ext) return true;
        }
        pos = end + 1;
    }
    return false;
}

std::u16string QuoteArgument(const std::u16string& arg) {
    std::u16string quoted = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote they are doubled as well.
    quoted.append(backslashes * 2, u'\\');
    return quoted + u"\"";
}

ProgramCommand BuildProgramCommand(const std::u16string& program, const std::u16string& target) {
    ProgramCommand command;
    std::u16string arguments;
    if (!program.empty() && program.front() == u'"') {
        const std::size_t close = program.find(u'"', 1);
        command.application = program.substr(1, close == std::u16string::npos ? close : close - 1);
        if (close != std::u16string::npos) arguments = program.substr(close + 1);
    } else {
        command.application = program;
    }
    command.commandLine = u"\"" + command.application + u"\"" + arguments + u" " + QuoteArgument(target);
    return command;
}

std::u16string BuildOpenUrlItem(const std::u16string& target) {
    if (target.find(u"://") != std::u16string::npos) return u"\"" + target + u"\",,0xFFFFFFFF,0x03";
    return u"\"file://" + target + u"\",,0xFFFFFFFF,0x03";
}

std::u16string AppendPathElement(std::u16string_view base, std::u16string_view name) {
    std::u16string path(base);
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    path += name;
    return path;
}

std::vector<std::u16string> SplitDrivePath(std::u16string_view path) {
    std::vector<std::u16string> elements;
    if (!HasDriveLetter(path)) return elements;
    elements.push_back(std::u16string(path.substr(0, 2)) + u'\\');
    std::size_t at = 2;
    while (at < path.size()) {
        std::size_t end = path.find(u'\\', at);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > at) elements.emplace_back(path.substr(at, end - at));
        at = end + 1;
    }
    return elements;
}

namespace {

char16_t FoldNameUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return char16_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 32);
    return c;
}

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

}  // namespace

bool SamePathElement(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldNameUnit(a[i]) != FoldNameUnit(b[i])) return false;
    return true;
}

void SortFileNames(std::vector<std::u16string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char16_t x, char16_t y) { return LowerAscii(x) < LowerAscii(y); });
    });
}
