#include "textengine/duplicate_lines.h"

#include <cstring>
#include <vector>

#include "textengine/prefetch.h"
#include "textengine/undo_data.h"

namespace {

// A line's text, looked up once for all the comparisons it takes part in.
struct LineText {
    const char16_t* text;
    int length;
    LineText(const CEditData& data, int line) : text(data.GetLineText(line)), length(data.GetLineLength(line)) {}
    bool operator==(const LineText& other) const {
        return length == other.length && std::memcmp(text, other.text, std::size_t(length) * sizeof(char16_t)) == 0;
    }
};

// After a sort the lines' records and texts lie anywhere in memory: the
// record of a line well ahead is asked for, then its text once it is near.
constexpr int kTextAhead = 8, kRecordAhead = 16;

void PrefetchLine(const CEditData& data, int line, int lineCount) {
    if (line + kRecordAhead < lineCount) PrefetchForRead(data.GetLine(line + kRecordAhead));
    if (line + kTextAhead < lineCount) PrefetchForRead(data.GetLineText(line + kTextAhead));
}

struct Run {
    int first, last;  // lines first..last are equal, last > first
};

}  // namespace

int DeleteDuplicateLines(CEditData& data, const EditPos* selStart, const EditPos* selEnd, int* count) {
    if (count) *count = 0;
    const bool inSelection = selStart && selEnd;
    const EditPos caret = data.GetCaretPos();
    EditPos limit = inSelection ? *selEnd : EditPos{0, 0};
    const int lineCount = data.GetLineCount();

    // A run starts at a line start: a range starting inside a line starts
    // with the next one.
    int line = inSelection ? selStart->line + (selStart->column > 0 ? 1 : 0) : 0;
    std::vector<Run> runs;
    if (line >= lineCount - 1) return 0;
    LineText first(data, line);
    while (line < lineCount - 1) {
        PrefetchLine(data, line + 1, lineCount);
        LineText next(data, line + 1);
        if (!(next == first)) {
            ++line;
            first = next;
            continue;
        }
        int last = line + 1;
        while (last + 1 < lineCount) {
            PrefetchLine(data, last + 1, lineCount);
            next = LineText(data, last + 1);
            if (!(next == first)) break;
            ++last;
        }
        // The run takes the line end after its last line when there is one.
        const EditPos end = last + 1 < lineCount ? EditPos{0, last + 1} : EditPos{data.GetLineLength(last), last};
        if (inSelection && limit < end) break;
        runs.push_back(Run{line, last});
        line = last + 1;
        first = next;  // the line after the run, when there is one
    }
    if (runs.empty()) return 0;

    CUndoGroupGuard group(data.GetUndo(), 0);
    int result = 0;
    int done = 0;
    // From the last run back, so earlier positions stay valid. Deleting from
    // the end of the first line to the end of the last leaves the first line
    // and the last's line end.
    // A run's records are asked for some runs before its texts; its first
    // lines are enough to start on.
    constexpr std::ptrdiff_t kRunTextsAhead = 4, kRunRecordsAhead = 8;
    auto prefetchRun = [&data](const Run& run, bool texts) {
        constexpr int kLines = 4;
        for (int i = run.first; i <= run.last && i < run.first + kLines; ++i)
            PrefetchForRead(texts ? static_cast<const void*>(data.GetLineText(i)) : data.GetLine(i));
    };
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (runs.rend() - it > kRunRecordsAhead) prefetchRun(it[kRunRecordsAhead], false);
        if (runs.rend() - it > kRunTextsAhead) prefetchRun(it[kRunTextsAhead], true);
        const int length = data.GetLineLength(it->first);
        if (!data.DeleteText(EditPos{length, it->first}, EditPos{length, it->last}, 1)) {
            result = 1;
            break;
        }
        ++done;
        limit.line -= it->last - it->first;
    }
    if (count) *count = done;
    EditPos back = inSelection && caret == *selEnd ? limit : caret;
    back = data.ClampPos(back);
    data.SetCaretPos(back.line, back.column);
    return result;
}
