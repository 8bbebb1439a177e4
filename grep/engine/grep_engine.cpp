#include "grep/engine/grep_engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "grep/engine/grep_lines.h"
#include "grep/engine/grep_masks.h"
#include "grep/engine/grep_prefilter.h"
#include "grep/engine/grep_text.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/regex/regex.h"

namespace {

constexpr char16_t kCancelledText[] = u"検索を中断しました\n";
constexpr char16_t kBadPatternText[] = u"不正な正規表現です";
constexpr char16_t kSearchFailedText[] = u"正規表現の照合が複雑すぎるため、検索を中断しました\n";
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

void SetMessage(GrepParams& p, std::u16string text) {
    if (text.size() > std::size_t(kGrepMessageUnits - 1)) text.resize(kGrepMessageUnits - 1);
    p.messageText = std::move(text);
}

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

void Write(GrepParams& p, const std::u16string& text) {
    if (p.resultView) p.resultView->Append(text);
}

// Waits out a pause; GREP_CANCELLED (with its message) when the user cancels.
int Poll(GrepParams& p) {
    if (!p.progress) return GREP_DONE;
    for (;;) {
        const int state = p.progress->QueryState();
        if (state == GrepProgress::kPaused) {
            p.progress->PauseWait();
            continue;
        }
        if (state == GrepProgress::kCancelled) {
            SetMessage(p, kCancelledText);
            return GREP_CANCELLED;
        }
        return GREP_DONE;
    }
}

std::u16string Join(const GrepFileSystem& fs, const std::u16string& folder, const std::u16string& name) {
    if (!folder.empty() && (folder.back() == fs.Separator() || folder.back() == u'\\' || folder.back() == u'/'))
        return folder + name;
    return folder + fs.Separator() + name;
}

std::u16string ErrorLine(const std::u16string& path, const std::u16string& reason) {
    std::u16string r = reason;
    while (!r.empty() && (r.back() == u'\r' || r.back() == u'\n')) r.pop_back();
    return u"Error " + path + u": " + r + u"\n";
}

// Buffers a search reuses from file to file. Each search owns its own, so
// workers on several threads share none.
struct Scratch {
    std::string bytes;   // the file
    GrepText text;       // the whole file decoded
    GrepText line;       // one line decoded
    std::u16string out;  // a result line
};

// The compiled masks and pattern of one search, shared by every folder level.
struct Search {
    GrepMasks masks;
    CompiledRegex* pattern = nullptr;
    GrepPrefilter prefilter;
    Scratch scratch;
};

int SearchFile(const std::u16string& path, GrepParams& p, CompiledRegex* pattern, const GrepPrefilter* prefilter,
               Scratch& scratch);

int SearchFolder(GrepParams& p, const std::u16string& folder, Search& s) {
    GrepFileSystem& fs = FileSystemOf(p);
    if (p.progress) p.progress->SetStatus(1, u"フォルダ: " + folder);
    int result = GREP_DONE;
    std::u16string reason;
    const bool listed = fs.ListFolder(
        folder,
        [&](const GrepDirEntry& e) {
            if ((result = Poll(p)) != GREP_DONE) return false;
            if (e.name == u"." || e.name == u"..") return true;
            const std::u16string path = Join(fs, folder, e.name);
            if (e.directory) {
                if (!p.searchSubfolders || e.link) return true;
                result = SearchFolder(p, path, s);
                if (p.progress) p.progress->SetStatus(1, u"フォルダ: " + folder);
                return result == GREP_DONE;
            }
            if (e.link || e.special) return true;
            if (!s.masks.Selects(e.name)) return true;
            result = SearchFile(path, p, s.pattern, &s.prefilter, s.scratch);
            return result == GREP_DONE;
        },
        reason);
    if (!listed) Write(p, ErrorLine(folder, reason));
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
        SetMessage(p, kBadMasksText);
        return GREP_BAD_MASKS;
    }
    const int flags = (p.distinguishCase ? 0 : 1) | (p.distinguishWidth ? 0 : 2);
    RegexPtr pattern(p.regularExpression ? regex_compile(p.searchText.c_str(), flags)
                                         : regex_compile_literal(p.searchText.c_str(), flags));
    if (!pattern) {
        SetMessage(p, kBadPatternText);
        return GREP_BAD_PATTERN;
    }
    s.pattern = pattern.get();
    s.prefilter.Build(p.searchText, p.regularExpression != 0, !p.distinguishCase, !p.distinguishWidth, p.encoding);
    return SearchFolder(p, folder, s);
}

int GrepFile(const std::u16string& path, GrepParams& p, CompiledRegex* pattern) {
    Scratch scratch;
    return SearchFile(path, p, pattern, nullptr, scratch);
}

namespace {

// Reports a regex give-up on line (0-based) of path.
int SearchFailed(GrepParams& p, const std::u16string& path, int line) {
    Write(p, ErrorLine(path, u"正規表現の照合が複雑すぎます (" + Decimal(line + 1) + u"行目)"));
    SetMessage(p, kSearchFailedText);
    return GREP_SEARCH_FAILED;
}

// Writes a hit and asks the dialog whether to go on.
int Hit(GrepParams& p, const std::u16string& path, int line, const char16_t* text, int length, std::u16string& out) {
    out.clear();
    AppendGrepHitLine(out, path, line + 1, text, length);
    Write(p, out);
    ++p.hitCount;
    return Poll(p) == GREP_DONE ? GREP_DONE : GREP_CANCELLED;
}

// The file's lines that hold the needle, each decoded and searched alone.
// Used only when no match can reach beyond its line. endLine (when given)
// gets the number of the line after the bytes.
int SearchNeedleLines(const std::u16string& path, GrepParams& p, CompiledRegex* pattern, const GrepPrefilter& filter,
                      int code, std::string_view bytes, int firstLine, std::size_t start, std::size_t first,
                      Scratch& scratch, int* endLine) {
    GrepText& one = scratch.line;
    const char* b = bytes.data();
    const std::size_t n = bytes.size();
    const bool exact = filter.Exact(code);  // the needle's line is a hit
    int line = firstLine;                    // of the byte at counted
    std::size_t counted = start;
    for (std::size_t at = start, hit = first; hit != std::string::npos;
         hit = at < n ? filter.FindFrom(code, bytes, at) : std::string::npos) {
        const std::size_t ls = LineStartOf(b, at, hit), le = LineEndFrom(b, n, hit);
        line += int(CountLineEnds(b, n, counted, ls));
        counted = ls;
        one.DecodeLine(b + ls, le - ls, code);
        int found = 1;
        if (!exact) {
            const RegexTextOps ops = RegexLineOps(one);
            RegexPos pos{0, 0}, end;
            found = pattern->search(pattern, &ops, &pos, &end, RegexPos{0, 0x7FFFFFFF});
            if (found < 0) return SearchFailed(p, path, line);
            found = found == 1 && pos.line == 0;
        }
        if (found) {
            int length;
            const char16_t* text = one.LineText(0, &length);
            if (Hit(p, path, line, text, length, scratch.out) != GREP_DONE) return GREP_CANCELLED;
        }
        at = le < n && b[le] == '\r' && le + 1 < n && b[le + 1] == '\n' ? le + 2 : le + 1;
    }
    if (endLine) *endLine = line + int(CountLineEnds(b, n, counted, n));
    return GREP_DONE;
}

// Searches bytes[start, size), lines numbered from firstLine, in code.
// endLine (when given) gets the number of the line after the bytes.
int SearchRange(const std::u16string& path, GrepParams& p, CompiledRegex* pattern, const GrepPrefilter* prefilter,
                int code, std::string_view bytes, int firstLine, std::size_t start, Scratch& scratch,
                int* endLine = nullptr) {
    // Encodings the needle has no form in (JIS, UTF-16) take the full path,
    // as do NULs (read as blanks) where the needle holds a blank.
    if (prefilter && prefilter->HasForm(code) &&
        !(prefilter->NulsMatter(code) && std::memchr(bytes.data() + start, 0, bytes.size() - start))) {
        const std::size_t first = prefilter->FindFrom(code, bytes, start);
        if (first == std::string::npos) {
            if (endLine) *endLine = firstLine + int(CountLineEnds(bytes.data(), bytes.size(), start, bytes.size()));
            return GREP_DONE;
        }
        if (prefilter->LineLocal())
            return SearchNeedleLines(path, p, pattern, *prefilter, code, bytes, firstLine, start, first, scratch,
                                     endLine);
    }
    if (endLine) *endLine = firstLine + int(CountLineEnds(bytes.data(), bytes.size(), start, bytes.size()));
    GrepText& text = scratch.text;
    text.DecodeRange(bytes.data() + start, bytes.size() - start, code);
    const RegexTextOps ops = RegexLineOps(text);
    const int count = text.LineCount();
    RegexPos pos{0, 0};
    while (pos.line < count) {
        RegexPos end;
        const int found = pattern->search(pattern, &ops, &pos, &end, RegexPos{-1, -1});
        if (found < 0) return SearchFailed(p, path, firstLine + pos.line);
        if (found == 0) break;
        int length;
        const char16_t* line = text.LineText(pos.line, &length);
        if (Hit(p, path, firstLine + pos.line, line, length, scratch.out) != GREP_DONE) return GREP_CANCELLED;
        pos = RegexPos{pos.line + 1, 0};
    }
    return GREP_DONE;
}

// Codes whose line ends are single bytes no character holds: a file in one
// of them can be searched block by block, cut after a line end.
bool LinesCutBetweenBytes(int code) {
    return code == KanjiCode::SJIS || code == KanjiCode::EUC || IsUTF8Code(code);
}

// A file met in blocks, each ending after a line end (but the last), when no
// match reaches beyond its line: the code is resolved from the first block,
// and a line's number carried over. Falls back (whole is set) when the code
// has no single-byte line ends.
struct BlockSearch {
    const std::u16string& path;
    GrepParams& p;
    CompiledRegex* pattern;
    const GrepPrefilter* prefilter;
    Scratch& scratch;
    int code = -1;
    int line = 0;
    int result = GREP_DONE;
    bool whole = false;

    bool Take(const char* b, std::size_t n) {
        const std::string_view bytes(b, n);
        std::size_t skip = 0;
        if (code < 0) {
            code = GrepText::ResolveCode(bytes, p.encoding, &skip);
            if (!LinesCutBetweenBytes(code)) {
                whole = true;
                return false;
            }
        }
        result = SearchRange(path, p, pattern, prefilter, code, bytes, line, skip, scratch, &line);
        return result == GREP_DONE;
    }
};

int SearchFile(const std::u16string& path, GrepParams& p, CompiledRegex* pattern, const GrepPrefilter* prefilter,
               Scratch& scratch) {
    if (p.progress) p.progress->SetStatus(2, u"ファイル: " + path);
    std::string& bytes = scratch.bytes;
    std::u16string reason;
    int result = GREP_DONE;
    try {
        BlockSearch blocks{path, p, pattern, prefilter, scratch};
        if (pattern && prefilter && prefilter->LineLocal()) {
            if (!FileSystemOf(p).ReadFileBlocks(path, bytes, [&](const char* b, std::size_t n) { return blocks.Take(b, n); },
                                                reason)) {
                Write(p, ErrorLine(path, reason));
                return GREP_DONE;
            }
            if (!blocks.whole) return blocks.result;
        }
        if (!FileSystemOf(p).ReadFile(path, bytes, reason)) {
            Write(p, ErrorLine(path, reason));
        } else if (bytes.size() > std::size_t(kGrepMaxFileBytes)) {
            Write(p, ErrorLine(path, u"ファイルが大きすぎます"));
        } else if (pattern) {
            std::size_t skip;
            const int code = GrepText::ResolveCode(bytes, p.encoding, &skip);
            result = SearchRange(path, p, pattern, prefilter, code, bytes, 0, skip, scratch);
        }
    } catch (const std::bad_alloc&) {
        Write(p, ErrorLine(path, u"メモリが確保できません"));
    }
    return result;
}

}  // namespace

int GrepThreadProc(GrepParams& p) {
    p.hitCount = 0;
    p.result = GrepFolder(p, p.folder);
    if (p.progress) {
        int state;
        while ((state = p.progress->QueryState()) == GrepProgress::kPaused) p.progress->PauseWait();
        if (state == GrepProgress::kCancelled && p.result == GREP_DONE) {
            SetMessage(p, kCancelledText);
            p.result = GREP_CANCELLED;
        }
    }
    if (p.result == GREP_DONE) SetMessage(p, Decimal(p.hitCount) + u"個，検索されました。\n");
    if (p.progress) p.progress->Finished(p.result);
    return p.result;
}
