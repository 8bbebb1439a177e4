// Loading, inserting and saving a text buffer through CKanjiTextFile.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/edit_data.h"
#include "textengine/file_replace.h"
#include "textengine/kanjitextfile.h"
#include "textengine/prefetch.h"

namespace {

// Detects what the caller left open: Detect becomes the guess (Shift_JIS
// when nothing tells), and the line end is always detected.
void DetectFor(CKanjiTextFile& file, KanjiCode& code, LineEndType& lineEnd) {
    if (!IsKnownKanjiCode(code)) code = file.DetectKanjiCode(KanjiCode::SJIS);
    file.SetKanjiCode(code);
    lineEnd = file.DetectLineEnd();
}

// Index of the first CR or LF in text[from, count), or count. Eight units
// are compared at once where SSE2 is there, else four: a word with no unit
// below 0x0E holds neither.
int FindLineBreak(const char16_t* text, int from, int count) {
    int i = from;
#if defined(__SSE2__) && defined(__GNUC__)
    const __m128i cr = _mm_set1_epi16(u'\r'), lf = _mm_set1_epi16(u'\n');
    for (; i + 8 <= count; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(x, cr), _mm_cmpeq_epi16(x, lf)));
        if (hits) return i + __builtin_ctz(static_cast<unsigned>(hits)) / 2;
    }
#else
    constexpr uint64_t kOnes = 0x0001000100010001ull, kHigh = 0x8000800080008000ull;
    while (i < count) {
        for (; i + 4 <= count; i += 4) {
            uint64_t w;
            std::memcpy(&w, text + i, sizeof w);
            if (((w - kOnes * 0x0E) & ~w & kHigh) != 0) break;
        }
        for (const int stop = i + 4 < count ? i + 4 : count; i < stop; ++i)
            if (text[i] == u'\r' || text[i] == u'\n') return i;
    }
#endif
    for (; i < count; ++i)
        if (text[i] == u'\r' || text[i] == u'\n') return i;
    return count;
}

bool HasNul(const char16_t* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (text[i] == 0) return true;
    return false;
}

// Places the first unit written as '?' (an index among all units written)
// in the lines seen so far: line at, which began at unit lineStart, or one
// before it when the unit lies before that.
void PlaceFirstReplaced(const CKanjiTextFile& file, int line, unsigned long long lineStart,
                        const CEditData& data, TextLossReport& loss) {
    if (loss.firstReplaced.line >= 0 || file.ReplacedChars() == 0) return;
    const auto unit = static_cast<unsigned long long>(file.FirstReplacedUnit());
    if (unit < lineStart && line > 0) {
        // A high surrogate that ended the line before, found at its line end.
        loss.firstReplaced = {data.GetLineLength(line - 1) - 1, line - 1};
        return;
    }
    const unsigned long long column = unit - lineStart;
    const int length = data.GetLineLength(line);
    loss.firstReplaced = {column < static_cast<unsigned long long>(length) ? static_cast<int>(column) : length - 1,
                          line};
}

bool WriteLines(const CEditData& data, CByteStream& out, KanjiCode code, LineEndType lineEnd,
                TextLossReport* loss) {
    if (!IsKnownKanjiCode(code)) return false;
    CKanjiTextFile file(&out, code, lineEnd);
    const int last = data.GetLineCount() - 1;
    TextLossReport found;
    unsigned long long unitsWritten = 0;
    bool ok = true;
    // After a sort the lines' records and texts lie anywhere in memory:
    // each record is asked for well ahead, its text once the record is near.
    constexpr int kTextAhead = 8, kRecordAhead = 16;
    for (int i = 0; ok && i <= last; ++i) {
        if (i + kRecordAhead <= last) PrefetchForRead(data.GetLine(i + kRecordAhead));
        if (i + kTextAhead <= last) PrefetchForRead(data.GetLineText(i + kTextAhead));
        const auto length = static_cast<size_t>(data.GetLineLength(i));
        ok = i < last ? file.WriteLine(data.GetLineText(i), length) : file.WriteText(data.GetLineText(i), length);
        PlaceFirstReplaced(file, i, unitsWritten, data, found);
        unitsWritten += length;
        if (i < last) unitsWritten += lineEnd == LineEndType::CRLF ? 2 : 1;
    }
    ok = file.FinishText() && ok;
    PlaceFirstReplaced(file, last + 1, unitsWritten, data, found);
    found.replacedChars = file.ReplacedChars();
    if (loss) *loss = found;
    return ok;
}

// Frees the records of lines read for a load that did not finish.
struct LoadedLines {
    CEditLineArray lines;
    int charCount = 0;
    ~LoadedLines() {
        for (int i = 0; i < lines.Count(); ++i) CEditLine::Destroy(lines.At(i));
        lines.RemoveAll();
    }
};

// Takes what is written and keeps nothing: what a save would replace.
class CDiscardStream : public CByteStream {
public:
    size_t Read(void*, size_t) override { return 0; }
    bool Write(const void*, size_t) override { return true; }
    bool Rewind() override { return true; }
};

}  // namespace

// Ends a line of a file being loaded: the text of earlier chunks, open in
// the load's arena, followed by n units of text.
bool CEditData::EndLoadedLine(CTextArena& arena, CEditLine* line, const char16_t* text, int n, size_t atMost,
                              int& charCount) {
    const size_t total = arena.OpenLength() + static_cast<size_t>(n);
    if (total > static_cast<size_t>(INT_MAX - charCount) || total >= INT_MAX / sizeof(char16_t) - 1) return false;
    if (!arena.Append(text, static_cast<size_t>(n), atMost)) return false;
    // An empty line keeps the shared empty text: capacity 0 says the text is
    // not its own.
    char16_t* block = arena.Close();
    if (!block) return true;
    line->text = block;
    line->length = static_cast<int>(total) + 1;
    line->flags |= CEditLine::FlagTextChanged;
    charCount += static_cast<int>(total);
    return true;
}

// The whole file into lines, an empty array on entry: the same lines as
// inserting chunk after chunk into an empty buffer, but every line is built
// once, in place in the arena as its pieces are read, with no undo recording
// or change marking (the records stay unmarked, as saving would leave them),
// and the line array is sized from the file's size instead of doubling.
bool CEditData::ReadLines(CKanjiTextFile& file, long long fileSize, CTextArena& arena, CEditLineArray& lines,
                          int& charCount, const LoadProgress& progress) {
    CEditLine* line = CEditLine::Create();  // the line being read
    if (!line) return false;
    if (lines.Insert(0, &line, 1) != 0) {
        CEditLine::Destroy(line);
        return false;
    }
    // No byte left in the file gives more than one unit (and a few read
    // ahead are held back): the most the text can still grow by, for sizing
    // a long line's room; 0 when the size is unknown.
    auto unitsLeft = [&]() -> size_t {
        const unsigned long long read = file.BytesRead();
        if (fileSize <= 0 || static_cast<unsigned long long>(fileSize) <= read) return 0;
        const unsigned long long left = static_cast<unsigned long long>(fileSize) - read + 8;
        return left < SIZE_MAX / 8 ? static_cast<size_t>(left) : 0;
    };
    // Without a listener the next report never comes: one comparison a chunk.
    unsigned long long nextReport = progress ? kLoadProgressBytes : ULLONG_MAX, reported = ULLONG_MAX;
    auto report = [&](unsigned long long read) {
        const unsigned long long size = fileSize > 0 ? static_cast<unsigned long long>(fileSize) : 0;
        progress(read, read > size ? read : size);
        reported = read;
        nextReport = read + kLoadProgressBytes;
    };
    size_t n;
    while (const char16_t* chunk = file.ReadChunk(&n)) {
        if (n > static_cast<size_t>(INT_MAX)) return false;
        // Before the chunk's pool lock: the listener may paint.
        if (file.BytesRead() >= nextReport) report(file.BytesRead());
        const int count = static_cast<int>(n);
        MPoolLock lock;  // once for the chunk's lines, not twice a line
        int at = 0;
        for (;;) {
            const int end = FindLineBreak(chunk, at, count);
            if (end == count) {
                const size_t piece = static_cast<size_t>(count - at);
                if (arena.OpenLength() + piece > static_cast<size_t>(INT_MAX - charCount)) return false;
                if (!arena.Append(chunk + at, piece, unitsLeft())) return false;
                break;
            }
            if (!EndLoadedLine(arena, line, chunk + at, end - at, unitsLeft() + static_cast<size_t>(count - end),
                               charCount))
                return false;
            // The reader never ends a chunk with a CR while more follows, so a
            // CR LF is always whole here.
            at = end + (chunk[end] == u'\r' && end + 1 < count && chunk[end + 1] == u'\n' ? 2 : 1);
            const int have = lines.Count();
            if (have + 6 >= lines.Capacity()) {
                // Lines so far scaled to the whole file, with a tenth to spare.
                const unsigned long long read = file.BytesRead();
                long long want = 1;
                if (fileSize > 0 && read > 0 && static_cast<unsigned long long>(fileSize) > read)
                    want = static_cast<long long>(have * (static_cast<double>(fileSize) / read) * 1.1) - have;
                if (want > INT_MAX - have - 6) want = INT_MAX - have - 6;
                if (lines.Reserve(want > 1 ? static_cast<int>(want) : 1) != 0 && lines.Reserve(1) != 0) return false;
            }
            line = CEditLine::CreateLocked();
            if (!line) return false;
            line->flags = CEditLine::FlagTextChanged;
            lines.Append(line);  // cannot fail: room was made above
        }
    }
    if (!EndLoadedLine(arena, line, nullptr, 0, 0, charCount)) return false;
    if (progress && reported != file.BytesRead()) report(file.BytesRead());
    return true;
}

bool CEditData::Load(CByteStream& in, KanjiCode& code, LineEndType& lineEnd, TextLossReport* loss, LoadFailure* why,
                     const LoadProgress& progress) {
    if (why) *why = LoadFailure::None;
    bool outOfMemory = false, ok = true;
    KanjiCode detectedCode = code;
    LineEndType detectedLineEnd = lineEnd;
    unsigned long long undecoded = 0;
    CTextArena freshText;  // outlives the records of a failed load
    LoadedLines fresh;
    try {
        CKanjiTextFile file(&in, code, LineEndType::CRLF);
        DetectFor(file, detectedCode, detectedLineEnd);
        if (!ReadLines(file, in.Size(), freshText, fresh.lines, fresh.charCount, progress)) {
            outOfMemory = true;
            ok = false;
        }
        ok = ok && !file.Failed();
        undecoded = file.UndecodedBytes();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
        ok = false;
    }
    if (!ok) {
        // The text on screen stays: a failed reload must not cost unsaved work.
        if (why) *why = outOfMemory ? LoadFailure::OutOfMemory : LoadFailure::ReadError;
        return false;
    }
    try {
        Reset();
    } catch (const std::bad_alloc&) {
        // Only its one empty line failed, and that is replaced here anyway.
    }
    FreeLines(0, m_lines.Count());
    m_lines.Swap(fresh.lines);
    m_loadedText.Swap(freshText);  // the old file's texts go when freshText does
    m_charCount = fresh.charCount;
    fresh.charCount = 0;
    m_widestLine = m_lines.At(0);
    m_widestWidth = 0;
    code = detectedCode;
    lineEnd = detectedLineEnd;
    if (loss) *loss = TextLossReport{undecoded, 0, {-1, -1}};
    SetCaretPos(0, 0);
    // Every line is unmarked already: empty the undo ring and take its serial
    // as the saved point without visiting the lines again.
    m_undo->Reset();
    m_savedPoint = m_undo->GetCurrentSerial();
    ReportModifiedChange();
    return true;
}

bool CEditData::InsertFile(CByteStream& in, KanjiCode& code, LineEndType& lineEnd, TextLossReport* loss) {
    const EditPos caret = m_caret;
    bool ok = true;
    try {
        CKanjiTextFile file(&in, code, LineEndType::CRLF);
        DetectFor(file, code, lineEnd);
        CUndoGroupGuard group(m_undo, 0);
        size_t n;
        while (ok) {
            const char16_t* chunk = file.ReadChunk(&n);
            if (!chunk) break;
            if (!HasNul(chunk, n)) {
                ok = InsertText(chunk, 0);
                continue;
            }
            // InsertText stops at a NUL: the same insertion by length.
            ++m_editCounter;
            if (!OpenRecord(UndoKindInsert, m_caret)) {
                ok = false;
                break;
            }
            if (m_maxLength <= 0) {
                ok = InsertBlock(chunk, static_cast<int>(n));
            } else {
                for (size_t i = 0; i < n && ok; ++i) {
                    if (chunk[i] == u'\n' && i > 0 && chunk[i - 1] == u'\r') continue;
                    ok = InputChar(chunk[i] == u'\n' ? u'\r' : chunk[i]);
                }
            }
            m_undo->CloseCoalescing();
            NotifyChanged();
        }
        if (ok && file.Failed()) ok = false;
        if (loss) *loss = TextLossReport{file.UndecodedBytes(), 0, {-1, -1}};
        const EditPos back = ClampPos(caret);
        SetCaretPos(back.line, back.column);
        RecordCaretForUndo();
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    NotifyChanged();
    return ok;
}

bool CEditData::Save(CByteStream& out, KanjiCode code, LineEndType lineEnd, TextLossReport* loss) {
    if (!WriteLines(*this, out, code, lineEnd, loss)) return false;
    MarkSaved();
    return true;
}

TextLossReport CEditData::CheckSave(KanjiCode code) const {
    TextLossReport loss;
    CDiscardStream nowhere;
    WriteLines(*this, nowhere, code, LineEndType::CRLF, &loss);
    return loss;
}

bool CEditData::Save(const char16_t* path, KanjiCode code, LineEndType lineEnd, int* error, TextLossReport* loss) {
    auto fail = [&](int why) {
        if (error) *error = why;
        return false;
    };
    if (error) *error = 0;
    if (!IsKnownKanjiCode(code)) return fail(kUnknownEncoding);
    CReplacingFileStream file;
    if (!file.Open(path)) return fail(file.Error());
    bool written = false;
    try {
        written = WriteLines(*this, file, code, lineEnd, loss);
    } catch (const std::bad_alloc&) {
        file.Abandon();
        return fail(ENOMEM);
    }
    if (!written || !file.Commit()) {
        const int why = file.Error() ? file.Error() : EIO;
        file.Abandon();
        return fail(why);
    }
    MarkSaved();
    return true;
}
