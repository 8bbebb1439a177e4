// Line texts exchanged in place, and runs of whole lines deleted, each as one
// compact undo record: a replace-all or a line filter over many lines keeps
// one copy of the old texts instead of records per match or per run, and
// exchanged lines keep their records (flags, bookmarks).
#include <cstring>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/mpool.h"

namespace {

// Entry header: line and length, each as two units.
constexpr int kHeaderUnits = 4;

void PutInt(char16_t* p, int v) {
    p[0] = char16_t(unsigned(v) & 0xFFFF);
    p[1] = char16_t(unsigned(v) >> 16);
}
int GetInt(const char16_t* p) { return int(unsigned(p[0]) | unsigned(p[1]) << 16); }

// Gives the line the text; false (line unchanged) when memory is short.
bool SetLineText(CEditLine* line, const char16_t* text, int length) {
    const int bytes = (length + 1) * int(sizeof(char16_t));
    if (length > 0 && bytes > line->capacity && line->SetCapacity(bytes) != 0) return false;
    if (line->capacity > 0 || !line->IsSharedText()) {  // a loaded text is written within its own units
        std::memmove(line->text, text, std::size_t(length) * sizeof(char16_t));
        line->text[length] = 0;
    }
    line->length = length + 1;
    line->flags |= CEditLine::FlagTextChanged;
    BumpLayoutGeneration();
    return true;
}

}  // namespace

bool CEditData::BeginLineTexts(long long oldUnits) {
    ++m_editCounter;
    if (!OpenRecord(UndoKindLineTexts, m_caret)) return false;
    const long long bytes = oldUnits * static_cast<long long>(sizeof(char16_t));
    // Room for all of it at once: no doubling copies of a large record.
    return bytes <= 0 || (bytes < 0x7FFFFFFF && m_undo->SetRecordCapacity(int(bytes)) == 0);
}

bool CEditData::ExchangeLineText(int line, const char16_t* text, int length) {
    if (line < 0 || line >= m_lines.Count() || m_undo->GetOpenKind() != UndoKindLineTexts) return false;
    CEditLine* rec = m_lines.At(line);
    const int old = rec->Length();
    char16_t header[kHeaderUnits];
    PutInt(header, line);
    PutInt(header + 2, old);
    UndoRecord* undo = m_undo->GetCurrentRecord();
    const int recorded = undo->length;
    if (m_undo->AppendRecordText(header, kHeaderUnits) != 0 || m_undo->AppendRecordText(rec->text, old) != 0 ||
        !SetLineText(rec, text, length)) {
        undo->length = recorded;  // the entry goes with the failed change
        return false;
    }
    m_charCount += length - old;
    MarkLine(rec);
    return true;
}

bool CEditData::ReplayLineTexts(UndoRecord* rec) {
    // Each stored text goes into its line; the line's present text is kept
    // for the other direction. Every block is had first, so a shortage of
    // memory changes nothing.
    long long units = 0;
    for (int at = 0; at + kHeaderUnits <= rec->length;) {
        const int line = GetInt(rec->text + at), length = GetInt(rec->text + at + 2);
        if (line < 0 || line >= m_lines.Count() || length < 0 || at + kHeaderUnits + length > rec->length)
            return false;
        CEditLine* target = m_lines.At(line);
        const int bytes = (length + 1) * int(sizeof(char16_t));
        if (length > 0 && bytes > target->capacity && target->SetCapacity(bytes) != 0) return false;
        units += kHeaderUnits + target->Length();
        at += kHeaderUnits + length;
    }
    auto* swapped = static_cast<char16_t*>(
        mpool_alloc(&UndoTextPool, std::size_t(units > 0 ? units : 1) * sizeof(char16_t)));
    if (!swapped) return false;
    int out = 0;
    for (int at = 0; at + kHeaderUnits <= rec->length;) {
        const int line = GetInt(rec->text + at), length = GetInt(rec->text + at + 2);
        CEditLine* target = m_lines.At(line);
        const int now = target->Length();
        PutInt(swapped + out, line);
        PutInt(swapped + out + 2, now);
        std::memcpy(swapped + out + kHeaderUnits, target->text, std::size_t(now) * sizeof(char16_t));
        SetLineText(target, rec->text + at + kHeaderUnits, length);  // room was made above
        m_charCount += length - now;
        MarkLine(target);
        out += kHeaderUnits + now;
        at += kHeaderUnits + length;
    }
    mpool_free(rec->text);
    rec->text = swapped;
    rec->capacity = int(mpool_block_size(swapped));
    rec->length = out;
    return true;
}

bool CEditData::DeleteLineRuns(const std::pair<int, int>* runs, int count) {
    ++m_editCounter;
    long long units = 0, lines = 0;
    for (int r = 0; r < count; ++r) {
        if (runs[r].first < 0 || runs[r].second < runs[r].first || runs[r].second >= m_lines.Count() ||
            (r > 0 && runs[r].first <= runs[r - 1].second))
            return false;
        for (int line = runs[r].first; line <= runs[r].second; ++line) units += kHeaderUnits + GetLineLength(line);
        lines += runs[r].second - runs[r].first + 1;
    }
    if (lines == 0) return true;
    if (lines >= m_lines.Count() || units * 2 >= 0x7FFFFFFF) return false;
    if (!OpenRecord(UndoKindLineRuns, m_caret) || m_undo->SetRecordCapacity(int(units * 2)) != 0) return false;
    char16_t header[kHeaderUnits];
    for (int r = 0; r < count; ++r) {
        for (int line = runs[r].first; line <= runs[r].second; ++line) {
            PutInt(header, line);
            PutInt(header + 2, GetLineLength(line));
            m_undo->AppendRecordText(header, kHeaderUnits);  // room was made above
            m_undo->AppendRecordText(GetLineText(line), GetLineLength(line));
        }
    }
    m_undo->CloseCoalescing();
    // From the last run back, so the indices before stay valid.
    for (int r = count - 1; r >= 0; --r) {
        for (int line = runs[r].first; line <= runs[r].second; ++line) m_charCount -= GetLineLength(line);
        FreeLines(runs[r].first, runs[r].second - runs[r].first + 1);
    }
    m_caret = ClampPos(m_caret);
    return true;
}

bool CEditData::ReplayLineRuns(const UndoRecord* rec, int direction) {
    struct Entry {
        int line, at, length;
    };
    std::vector<Entry> entries;
    for (int at = 0; at + kHeaderUnits <= rec->length;) {
        const int line = GetInt(rec->text + at), length = GetInt(rec->text + at + 2);
        if (line < 0 || length < 0 || at + kHeaderUnits + length > rec->length) return false;
        entries.push_back(Entry{line, at + kHeaderUnits, length});
        at += kHeaderUnits + length;
    }
    if (direction == 1) {
        // Undo: the lines come back in ascending order, each at its index.
        for (const Entry& e : entries) {
            if (e.line > m_lines.Count() || m_lines.Reserve(1) != 0) return false;
            CEditLine* line = CEditLine::Create();
            if (!line) return false;
            if (e.length > 0 && line->InsertChars(0, rec->text + e.at, e.length) != 0) {
                CEditLine::Destroy(line);
                return false;
            }
            line->flags = CEditLine::FlagTextChanged;
            m_lines.Insert(e.line, &line, 1);
            m_charCount += e.length;
            MarkLine(line);
        }
    } else {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->line >= m_lines.Count() - 1 && m_lines.Count() == 1) return false;
            m_charCount -= GetLineLength(it->line);
            FreeLines(it->line, 1);
        }
    }
    m_caret = ClampPos(m_caret);
    return true;
}
