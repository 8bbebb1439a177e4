#include "grep/engine/grep_file_search.h"

#include <cstring>
#include <new>
#include <optional>

#include "grep/engine/grep_lines.h"
#include "grep/engine/grep_prefilter.h"
#include "textengine/kanjicode.h"
#include "textengine/regex/regex.h"

std::u16string GrepErrorLine(const std::u16string& path, const std::u16string& reason) {
    std::u16string r = reason;
    while (!r.empty() && (r.back() == u'\r' || r.back() == u'\n')) r.pop_back();
    return u"Error " + path + u": " + r + u"\n";
}

namespace {

// Reports a regex give-up on line (0-based) of path.
int SearchFailed(GrepFileSink& sink, const std::u16string& path, int line) {
    std::u16string number;
    for (unsigned v = unsigned(line) + 1; v; v /= 10) number.insert(number.begin(), char16_t(u'0' + v % 10));
    sink.Error(GrepErrorLine(path, u"正規表現の照合が複雑すぎます (" + number + u"行目)"));
    return GREP_SEARCH_FAILED;
}

// Hands a hit to the sink, which tells whether to go on.
int Hit(GrepFileSink& sink, const std::u16string& path, int line, const char16_t* text, int length,
        std::u16string& out) {
    out.clear();
    AppendGrepHitLine(out, path, line + 1, text, length);
    return sink.Hit(out) == GREP_DONE ? GREP_DONE : GREP_CANCELLED;
}

struct FileSearch {
    const std::u16string& path;
    const GrepFileJob& job;
    GrepFileSink& sink;

    // The file's lines that hold the needle, each decoded and searched alone.
    // Used only when no match can reach beyond its line. endLine (when given)
    // gets the number of the line after the bytes.
    int NeedleLines(KanjiCode code, std::string_view bytes, int firstLine, std::size_t start, std::size_t first,
                    int* endLine) {
        const GrepPrefilter& filter = *job.prefilter;
        GrepText& one = job.scratch.line;
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
                found = job.pattern->search(job.pattern, &ops, &pos, &end, RegexPos{0, 0x7FFFFFFF});
                if (found < 0) return SearchFailed(sink, path, line);
                found = found == 1 && pos.line == 0;
            }
            if (found) {
                int length;
                const char16_t* text = one.LineText(0, &length);
                if (Hit(sink, path, line, text, length, job.scratch.out) != GREP_DONE) return GREP_CANCELLED;
            }
            at = le < n && b[le] == '\r' && le + 1 < n && b[le + 1] == '\n' ? le + 2 : le + 1;
        }
        if (endLine) *endLine = line + int(CountLineEnds(b, n, counted, n));
        return GREP_DONE;
    }

    // Searches bytes[start, size), lines numbered from firstLine, in code.
    // endLine (when given) gets the number of the line after the bytes. The
    // bytes of a block but a file's last end with a line end, and the empty
    // text after it is no line yet.
    int Range(KanjiCode code, std::string_view bytes, int firstLine, std::size_t start, int* endLine = nullptr,
              bool last = true) {
        const GrepPrefilter* prefilter = job.prefilter;
        // Encodings the needle has no form in (JIS, UTF-16) take the full path,
        // as do NULs (read as blanks) where the needle holds a blank.
        if (prefilter && prefilter->HasForm(code) &&
            !(prefilter->NulsMatter(code) && std::memchr(bytes.data() + start, 0, bytes.size() - start))) {
            const std::size_t first = prefilter->FindFrom(code, bytes, start);
            if (first == std::string::npos) {
                if (endLine)
                    *endLine = firstLine + int(CountLineEnds(bytes.data(), bytes.size(), start, bytes.size()));
                return GREP_DONE;
            }
            if (prefilter->LineLocal()) return NeedleLines(code, bytes, firstLine, start, first, endLine);
        }
        GrepText& text = job.scratch.text;
        text.DecodeRange(bytes.data() + start, bytes.size() - start, code);
        if (endLine) {
            // Lines are numbered as the text decodes, as when the file is
            // read whole (a malformed byte run may decode to a line end); a
            // search with a needle counts the bytes' line ends throughout.
            const bool decoded = !prefilter || !prefilter->HasForm(code);
            *endLine = firstLine + (decoded ? text.LineCount() - 1
                                            : int(CountLineEnds(bytes.data(), bytes.size(), start, bytes.size())));
        }
        const RegexTextOps ops = RegexLineOps(text);
        const int count = text.LineCount() - (last ? 0 : 1);
        RegexPos pos{0, 0};
        while (pos.line < count) {
            RegexPos end;
            const int found = job.pattern->search(job.pattern, &ops, &pos, &end, RegexPos{-1, -1});
            if (found < 0) return SearchFailed(sink, path, firstLine + pos.line);
            if (found == 0 || pos.line >= count) break;
            int length;
            const char16_t* line = text.LineText(pos.line, &length);
            if (Hit(sink, path, firstLine + pos.line, line, length, job.scratch.out) != GREP_DONE)
                return GREP_CANCELLED;
            pos = RegexPos{pos.line + 1, 0};
        }
        return GREP_DONE;
    }
};

// Codes whose line ends are single bytes no character holds: a file in one
// of them can be searched block by block, cut after a line end.
bool LinesCutBetweenBytes(KanjiCode code) {
    return code == KanjiCode::SJIS || code == KanjiCode::EUC || IsUTF8Code(code);
}

// A file met in blocks, each ending after a line end (but the last), when no
// match reaches beyond its line: the code is resolved from the first block,
// and a line's number carried over. Falls back (whole is set) when the code
// has no single-byte line ends.
struct BlockSearch {
    FileSearch& search;
    KanjiCode encoding;
    std::optional<KanjiCode> code = std::nullopt;  // once resolved
    int line = 0;
    int result = GREP_DONE;
    bool whole = false;

    bool Take(const char* b, std::size_t n, bool last) {
        const std::string_view bytes(b, n);
        std::size_t skip = 0;
        if (!code) {
            code = GrepText::ResolveCode(bytes, encoding, &skip);
            if (!LinesCutBetweenBytes(*code)) {
                whole = true;
                return false;
            }
        }
        result = search.Range(*code, bytes, line, skip, &line, last);
        return result == GREP_DONE;
    }
};

}  // namespace

int SearchGrepFile(const std::u16string& path, const GrepFileJob& job, GrepFileSink& sink) {
    std::string& bytes = job.scratch.bytes;
    std::u16string reason;
    int result = GREP_DONE;
    FileSearch search{path, job, sink};
    try {
        BlockSearch blocks{search, job.encoding};
        if (job.pattern && job.prefilter && job.prefilter->LineLocal()) {
            if (!job.fs.ReadFileBlocks(
                    path, bytes, [&](const char* b, std::size_t n, bool last) { return blocks.Take(b, n, last); },
                    reason)) {
                sink.Error(GrepErrorLine(path, reason));
                return GREP_DONE;
            }
            if (!blocks.whole) return blocks.result;
        }
        if (!job.fs.ReadFile(path, bytes, reason)) {
            sink.Error(GrepErrorLine(path, reason));
        } else if (bytes.size() > std::size_t(kGrepMaxFileBytes)) {
            sink.Error(GrepErrorLine(path, u"ファイルが大きすぎます"));
        } else if (job.pattern) {
            std::size_t skip;
            const KanjiCode code = GrepText::ResolveCode(bytes, job.encoding, &skip);
            result = search.Range(code, bytes, 0, skip);
        }
    } catch (const std::bad_alloc&) {
        sink.Error(GrepErrorLine(path, u"メモリが確保できません"));
    }
    return result;
}
