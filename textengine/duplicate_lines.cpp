#include "textengine/duplicate_lines.h"

#include <cstring>
#include <vector>

#include "textengine/undo_data.h"

namespace {

bool SameLine(const CEditData& data, int a, int b) {
    const int length = data.GetLineLength(a);
    return data.GetLineLength(b) == length &&
           std::memcmp(data.GetLineText(a), data.GetLineText(b), std::size_t(length) * sizeof(char16_t)) == 0;
}

inline void PrefetchForRead(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

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
    while (line < lineCount - 1) {
        PrefetchLine(data, line + 1, lineCount);
        if (!SameLine(data, line, line + 1)) {
            ++line;
            continue;
        }
        int last = line + 1;
        while (last + 1 < lineCount && (PrefetchLine(data, last + 1, lineCount), SameLine(data, line, last + 1))) ++last;
        // The run takes the line end after its last line when there is one.
        const EditPos end = last + 1 < lineCount ? EditPos{0, last + 1} : EditPos{data.GetLineLength(last), last};
        if (inSelection && limit < end) break;
        runs.push_back(Run{line, last});
        line = last + 1;
    }
    if (runs.empty()) return 0;

    CUndoGroupGuard group(data.GetUndo(), 0);
    int result = 0;
    int done = 0;
    // From the last run back, so earlier positions stay valid. Deleting from
    // the end of the first line to the end of the last leaves the first line
    // and the last's line end.
    constexpr std::ptrdiff_t kRunsAhead = 4;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (runs.rend() - it > kRunsAhead) {
            const Run& next = it[kRunsAhead];
            for (int i = next.first; i <= next.last && i < next.first + 4; ++i) {
                PrefetchForRead(data.GetLine(i));
                PrefetchForRead(data.GetLineText(i));
            }
        }
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
