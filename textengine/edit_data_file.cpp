// Loading, inserting and saving a text buffer through CKanjiTextFile.
#include <cerrno>
#include <climits>
#include <new>

#include "textengine/edit_data.h"
#include "textengine/kanjitextfile.h"
#include "textengine/platform_hooks.h"

namespace {

const char16_t kNoMemory[] = u"メモリが確保できません";
const char16_t kMessageCaption[] = u"メッセージ";

// Detects what the caller left open: code 9 becomes the guess (Shift_JIS
// when nothing tells), and the line end is always detected.
void DetectFor(CKanjiTextFile& file, int& code, int& lineEnd) {
    if (code == KanjiCode::Auto || !IsKnownKanjiCode(code)) code = file.DetectKanjiCode(KanjiCode::SJIS);
    file.SetKanjiCode(code);
    lineEnd = file.DetectLineEnd();
}

bool HasNul(const char16_t* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (text[i] == 0) return true;
    return false;
}

bool WriteLines(const CEditData& data, CByteStream& out, int code, int lineEnd) {
    if (!IsKnownKanjiCode(code)) return false;
    CKanjiTextFile file(&out, code, lineEnd);
    const int last = data.GetLineCount() - 1;
    bool ok = true;
    for (int i = 0; ok && i <= last; ++i) {
        ok = file.WriteText(data.GetLineText(i), static_cast<size_t>(data.GetLineLength(i)));
        if (ok && i < last) ok = file.WriteLineEnd();
    }
    return file.FinishText() && ok;
}

}  // namespace

int CEditData::Load(CByteStream& in, int& code, int& lineEnd) {
    bool outOfMemory = false, ok = true;
    try {
        CKanjiTextFile file(&in, code, 1);
        DetectFor(file, code, lineEnd);
        Reset();
        size_t n;
        while (ok) {
            const char16_t* chunk = file.ReadChunk(&n);
            if (!chunk) break;
            m_undo->CloseCoalescing();
            if (n > static_cast<size_t>(INT_MAX) - static_cast<size_t>(m_charCount)) {
                outOfMemory = true;  // beyond what a buffer can count
                ok = false;
            } else if (InsertBlock(chunk, static_cast<int>(n)) != 0) {
                outOfMemory = true;
                ok = false;
            }
        }
        ok = ok && !file.Failed();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
        ok = false;
    }
    if (!ok) {
        // Never show part of a file as if it were the file.
        Reset();
        te_message_box(outOfMemory ? kNoMemory : u"ファイルの読み込みに失敗しました。", kMessageCaption,
                       kBoxIconInformation);
        return 1;
    }
    SetCaretPos(0, 0);
    ResetUndo();
    return 0;
}

int CEditData::InsertFile(CByteStream& in, int& code, int& lineEnd) {
    const EditPos caret = m_caret;
    int result = 0;
    try {
        CKanjiTextFile file(&in, code, 1);
        DetectFor(file, code, lineEnd);
        CUndoGroupGuard group(m_undo, 0);
        size_t n;
        while (result == 0) {
            const char16_t* chunk = file.ReadChunk(&n);
            if (!chunk) break;
            if (!HasNul(chunk, n)) {
                result = InsertText(chunk, 0);
                continue;
            }
            // InsertText stops at a NUL: the same insertion by length.
            ++m_editCounter;
            if (OpenRecord(UndoKindInsert, m_caret) != 0) {
                result = 1;
                break;
            }
            if (m_maxLength <= 0) {
                result = InsertBlock(chunk, static_cast<int>(n));
            } else {
                for (size_t i = 0; i < n && result == 0; ++i) {
                    if (chunk[i] == u'\n' && i > 0 && chunk[i - 1] == u'\r') continue;
                    result = InputChar(chunk[i] == u'\n' ? u'\r' : chunk[i]);
                }
            }
            m_undo->CloseCoalescing();
            NotifyChanged();
        }
        if (result == 0 && file.Failed()) result = 1;
        const EditPos back = ClampPos(caret);
        SetCaretPos(back.line, back.column);
        RecordCaretForUndo();
    } catch (const std::bad_alloc&) {
        result = 1;
    }
    NotifyChanged();
    return result;
}

int CEditData::Save(CByteStream& out, int code, int lineEnd) {
    if (!WriteLines(*this, out, code, lineEnd)) return 1;
    MarkSaved();
    return 0;
}

int CEditData::Save(const char16_t* path, int code, int lineEnd, std::u16string* message) {
    auto fail = [&](int error) {
        if (message) {
            *message = u"ファイルを保存できません。\n";
            *message += path ? path : u"";
            *message += u"\n";
            *message += error ? FileErrorMessage(error) : u"文字コードが正しくありません。";
        }
        return 1;
    };
    if (!IsKnownKanjiCode(code)) return fail(0);
    CReplacingFileStream file;
    if (!file.Open(path)) return fail(file.Error());
    bool written = false;
    try {
        written = WriteLines(*this, file, code, lineEnd);
    } catch (const std::bad_alloc&) {
        file.Abandon();
        return fail(ENOMEM);
    }
    if (!written || !file.Commit()) {
        int error = file.Error() ? file.Error() : EIO;
        file.Abandon();
        return fail(error);
    }
    MarkSaved();
    return 0;
}
