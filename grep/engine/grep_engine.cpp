#include "grep/engine/grep_engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "grep/engine/grep_file_search.h"
#include "grep/engine/grep_masks.h"
#include "grep/engine/grep_prefilter.h"
#include "grep/engine/grep_ordered_files.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/regex/regex.h"

namespace {

constexpr char16_t kCancelledText[] = u"検索を中断しました\n";
constexpr char16_t kBadPatternText[] = u"不正な正規表現です";
constexpr char16_t kBadMasksText[] =
    u"ファイルの種類の指定が不正です\n\nファイルの種類の設定例\n"
    u"  (1)全てのファイルを検索対象にする場合 -> *.*\n"
    u"  (2)拡張子を指定する場合 -> *.txt\n"
    u"  (3)ファイル名の一部を指定する場合 -> 200704*.txt\n"
    u"  (4)複数の条件を指定する場合は;で区切ります -> *.txt;*.log\n";

struct RegexDeleter {
    void operator()(CompiledRegex* re) const { regex_free(re); }
};
using RegexPtr = std::unique_ptr<CompiledRegex, RegexDeleter>;

// n's digits appended to out, without a temporary string.
void AppendDecimal(std::u16string& out, int n) {
    char16_t digits[12];
    char16_t* d = digits + 12;
    unsigned v = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do *--d = char16_t(u'0' + v % 10);
    while (v /= 10);
    if (n < 0) *--d = u'-';
    out.append(d, std::size_t(digits + 12 - d));
}

std::u16string Decimal(int n) {
    std::u16string s;
    AppendDecimal(s, n);
    return s;
}

#ifdef __unix__
GrepFileSystem& FileSystemOf(const GrepParams& p) { return p.fileSystem ? *p.fileSystem : StdGrepFileSystem(); }
#else
GrepFileSystem& FileSystemOf(const GrepParams& p) { return *p.fileSystem; }
#endif

std::u16string Join(const GrepFileSystem& fs, const std::u16string& folder, const std::u16string& name) {
    if (!folder.empty() && (folder.back() == fs.Separator() || folder.back() == u'\\' || folder.back() == u'/'))
        return folder + name;
    return folder + fs.Separator() + name;
}

// The compiled masks of one search, shared by every folder level, and the
// queue its files' results are written through.
struct Search {
    GrepMasks masks;
    GrepOrderedFiles* files = nullptr;
};

int SearchFolder(GrepParams& p, const std::u16string& folder, Search& s) {
    GrepFileSystem& fs = FileSystemOf(p);
    int result = s.files->FolderStatus(folder);
    if (result != GREP_DONE) return result;
    std::u16string reason;
    const bool listed = fs.ListFolder(
        folder,
        [&](const GrepDirEntry& e) {
            if ((result = GrepPoll(p)) != GREP_DONE) return false;
            if (e.name == u"." || e.name == u"..") return true;
            const std::u16string path = Join(fs, folder, e.name);
            if (e.directory) {
                if (!p.searchSubfolders || e.link) return true;
                result = SearchFolder(p, path, s);
                if (result == GREP_DONE) result = s.files->FolderStatus(folder);
                return result == GREP_DONE;
            }
            if (e.link || e.special) return true;
            if (!s.masks.Selects(e.name)) return true;
            result = s.files->File(path);
            return result == GREP_DONE;
        },
        reason);
    if (!listed && result == GREP_DONE) result = s.files->Error(GrepErrorLine(folder, reason));
    return result;
}

}  // namespace

void GrepProgress::PauseWait() { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }

void AppendGrepHitLine(std::u16string& out, const std::u16string& path, int lineNumber, const char16_t* text,
                       int length) {
    out.reserve(out.size() + path.size() + std::size_t(length) + 16);
    out += path;
    out += u'(';
    AppendDecimal(out, lineNumber);
    out += u"): ";
    out.append(text, std::size_t(length));
    out += u'\n';
}

int GrepFolder(GrepParams& p, const std::u16string& folder) {
    Search s;
    if (!s.masks.Set(p.masks)) {
        SetGrepMessage(p, kBadMasksText);
        return GREP_BAD_MASKS;
    }
    const int flags = (p.distinguishCase ? 0 : 1) | (p.distinguishWidth ? 0 : 2);
    RegexPtr pattern(p.regularExpression ? regex_compile(p.searchText.c_str(), flags)
                                         : regex_compile_literal(p.searchText.c_str(), flags));
    if (!pattern) {
        SetGrepMessage(p, kBadPatternText);
        return GREP_BAD_PATTERN;
    }
    GrepPrefilter prefilter;
    prefilter.Build(p.searchText, p.regularExpression, !p.distinguishCase, !p.distinguishWidth, p.encoding);
    GrepOrderedFiles files(p, FileSystemOf(p), pattern.get(), flags, &prefilter);
    s.files = &files;
    const int result = SearchFolder(p, folder, s);
    return result == GREP_DONE ? files.Finish() : result;
}

int GrepFile(const std::u16string& path, GrepParams& p, CompiledRegex* pattern) {
    GrepOrderedFiles files(p, FileSystemOf(p), pattern, 0, nullptr);  // one file: no helpers
    return files.File(path);
}

int GrepThreadProc(GrepParams& p) {
    p.hitCount = 0;
    p.result = GrepFolder(p, p.folder);
    if (p.progress) {
        int state;
        while ((state = p.progress->QueryState()) == GrepProgress::kPaused) p.progress->PauseWait();
        if (state == GrepProgress::kCancelled && p.result == GREP_DONE) {
            SetGrepMessage(p, kCancelledText);
            p.result = GREP_CANCELLED;
        }
    }
    if (p.result == GREP_DONE) SetGrepMessage(p, Decimal(p.hitCount) + u"個，検索されました。\n");
    if (p.progress) p.progress->Finished(p.result);
    return p.result;
}
