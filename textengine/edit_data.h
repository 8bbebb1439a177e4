// The text of one open file (or grid cell, or macro scratch text): a gap
// array of line records, the caret, line-end mode, line-break character sets,
// an optional maximum length, the undo store, the modified state and one
// listener told after every change.
//
// Conventions: operations return 0 on success and 1 on failure; any line
// index is accepted, and lines outside the text read as one shared empty line.
#pragma once

#include <string>

#include "textengine/edit_disp_data.h"
#include "textengine/edit_line.h"
#include "textengine/edit_line_array.h"
#include "textengine/edit_pos.h"
#include "textengine/undo_data.h"

class CStrToken;  // the syntax of an edit mode (editor control's syntax tables)
class CByteStream;
class CKanjiTextFile;

enum LineEndType : int { LineEndCRLF = 1, LineEndLF = 2, LineEndCR = 3 };

// Told after each completed change (the editor control re-measures, re-wraps
// and repaints).
class CEditDataListener {
public:
    virtual ~CEditDataListener() = default;
    virtual void OnEditDataChanged() = 0;
};

class CEditData {
public:
    // Word-break test of a language, used to coalesce typing into undo steps.
    // The syntax tables install theirs; without one (or without a language)
    // the default break characters apply.
    using BreakCharTest = bool (*)(const CStrToken* language, char32_t cp);
    static void SetBreakCharTest(BreakCharTest test);
    static bool IsDefaultBreakChar(char32_t cp);
    // Called after a typed trigger character when the indent mode is on
    // (CR for mode 1; CR, '{', '}' and ':' for mode 2), inside the typing's
    // undo group. Filled in by the editor control's smart indenter.
    using IndentHook = void (*)(CEditData& data, char32_t ch);
    static void SetIndentHook(IndentHook hook);

    CEditData();
    virtual ~CEditData();
    CEditData(const CEditData&) = delete;
    CEditData& operator=(const CEditData&) = delete;

    // State ------------------------------------------------------------------
    void Clear();
    void Reset();
    void SetLineEndType(int type);
    int GetLineEndType() const { return m_lineEndType; }
    const char16_t* GetLineEndChars() const { return m_lineEndChars; }
    int GetLineEndLength() const { return m_lineEndLength; }
    void SetLastConfinementStr(const char16_t* s);
    void SetFirstConfinementStr(const char16_t* s);
    const char16_t* GetLastConfinementStr() const { return m_lastConfinement; }
    const char16_t* GetFirstConfinementStr() const { return m_firstConfinement; }
    void SetWordWrapAtWordEnds(int on);
    int GetWordWrapAtWordEnds() const { return m_wordWrap; }
    int GetBreakAdjustment() const { return m_breakAdjust; }
    bool IsEmpty() const;
    bool IsModified() const;
    void MarkSaved();
    void SetListener(CEditDataListener* listener) { m_listener = listener; }
    CEditDataListener* GetListener() const { return m_listener; }
    void NotifyChanged();
    void SetWidestLine(int line);
    int GetWidestLineWidth() const { return m_widestWidth; }
    CEditLine* GetWidestLine() const { return m_widestLine; }
    int GetMaxLength() const { return m_maxLength; }
    void SetMaxLength(int max) { m_maxLength = max; }
    int GetTabAsSpace() const { return m_tabAsSpace; }
    void SetTabAsSpace(int on) { m_tabAsSpace = on; }
    int GetIndentMode() const { return m_indentMode; }
    void SetIndentMode(int mode) { m_indentMode = mode; }
    const CStrToken* GetLanguage() const { return m_language; }
    void SetLanguage(const CStrToken* language) { m_language = language; }
    bool IsBreakChar(char32_t cp) const;
    int GetCaretX() const { return m_caretX; }
    void SetCaretX(int x) { m_caretX = x; }
    int GetEditCounter() const { return m_editCounter; }
    int GetReplayDirection() const { return m_replayDirection; }
    CEditDispData& GetDispData() { return m_disp; }
    const CEditDispData& GetDispData() const { return m_disp; }
    CUndoData* GetUndo() const { return m_undo; }

    // Lines ------------------------------------------------------------------
    int GetLineCount() const { return m_lines.Count(); }
    int GetCharCount() const { return m_charCount; }
    CEditLine* GetLine(int i) const;
    const char16_t* GetLineText(int i) const { return GetLine(i)->text; }
    int GetLineLength(int i) const { return GetLine(i)->length - 1; }
    int GetLineFlags(int i, int mask) const { return GetLine(i)->flags & mask; }
    bool IsLineModified(int i) const { return GetLine(i)->changeMark != -1; }
    int GetLineRowCount(int i) const { return GetLine(i)->rowCount; }

    // Caret and positions ----------------------------------------------------
    EditPos GetCaretPos() const { return m_caret; }
    char32_t GetCaretChar() const;
    // At column 0 of a later line the line break reads as CR; 0 at (0,0).
    char32_t GetCharBeforeCaret() const;
    char32_t GetCharAt(int line, int column) const;
    bool IsCaretAtLineEnd() const;
    bool IsCaretAtTextEnd() const;
    EditPos ClampPos(EditPos pos) const;
    EditPos MovePos(EditPos pos, int n) const;
    void SetCaretPos(int line, int column);
    void MoveCaretChars(int n);
    void MoveCaretLines(int n);
    void MoveCaretLinesHome(int n);

    // Editing ----------------------------------------------------------------
    int InputChar(char16_t ch);
    int NewLine();
    int TypeChar(char32_t ch);
    // Typing TAB. With tab-as-space on, blanks up to the next tab stop are
    // typed instead; the metrics come from the window's width table: the
    // caret's pixel x, the advance of one blank and the tab-stop width.
    int InsertTab(int caretX, int blankWidth, int tabStopWidth);
    virtual int InsertText(const char16_t* text, int updateCaretX);
    int InsertBlock(const char16_t* text);
    int InsertBlock(const char16_t* text, int count);
    int Backspace();
    int DeleteCharAtCaret();
    int DeleteText(EditPos from, EditPos to, int record);
    int ReplaceRange(EditPos from, EditPos to, const char16_t* text);
    int SwapLines(int a, int b, int record);

    // Files (edit_data_file.cpp) ------------------------------------------------
    // code 9 is replaced by the detected code, and lineEnd by the detected
    // line end; the caller sets the buffer's own line-end type. Load replaces
    // the text and empties undo; on failure (out of memory, a read error) the
    // buffer is left empty, a message box says why, and 1 is returned.
    int Load(CByteStream& in, int& code, int& lineEnd);
    // Inserts the file at the caret as one undo group; the caret stays.
    int InsertFile(CByteStream& in, int& code, int& lineEnd);
    // Writes every line, the line end between lines, and marks the text saved.
    int Save(CByteStream& out, int code, int lineEnd);
    // Saves to path through a new file in the same folder that replaces the
    // old one only when all of it was written; on failure the old file is
    // untouched and message (when given) says why.
    int Save(const char16_t* path, int code, int lineEnd, std::u16string* message);

    // Undo -------------------------------------------------------------------
    void ResetUndo();
    void SetUndoUnlimited();
    int RecordCaretForUndo();
    int Undo();
    int Redo();

private:
    int CheckMaxLength(char16_t ch) const;
    void MarkLine(CEditLine* line);
    int RecordText(const char16_t* text, int count);
    int OpenRecord(int kind, EditPos pos);
    int DeleteRange(EditPos from, EditPos to, int record);
    int JoinWithPrevious(int line);
    void FreeLines(int at, int n);
    void RemoveLastRecordedUnit(char16_t unit);
    int DeleteForward(EditPos pos, int units);
    int ReplayRecord(UndoRecord* rec, int direction);
    void AfterReplay();
    void CopyIndentation();
    int ReadLines(CKanjiTextFile& file, long long fileSize);
    int AppendLoadedLine(CEditLine* line, const std::u16string& head, const char16_t* text, int n);

    CEditLineArray m_lines;
    int m_charCount = 0;
    int m_maxLength = -1;
    CUndoData* m_undo = nullptr;
    EditPos m_caret{0, 0};
    int m_tabAsSpace = 0;
    int m_indentMode = 0;
    int m_widestWidth = 0;
    CEditLine* m_widestLine = nullptr;
    int m_caretX = 0;
    const CStrToken* m_language = nullptr;
    int m_savedPoint = 0;
    int m_replayDirection = 0;
    int m_replaySerial = 0;
    int m_editCounter = 0;
    char32_t m_lastTyped = 0;
    // Where the open typing, backspace or delete record goes on: a record is
    // replayed as one run, so it continues only at that position (vertical
    // caret moves leave the record open).
    EditPos m_typedEnd{-1, -1};
    CEditDispData m_disp;
    char16_t* m_lastConfinement = nullptr;
    char16_t* m_firstConfinement = nullptr;
    int m_wordWrap = 0;
    int m_breakAdjust = 0;
    int m_lineEndType = LineEndCRLF;
    char16_t m_lineEndChars[4] = {u'\r', u'\n', 0, 0};
    int m_lineEndLength = 2;
    CEditDataListener* m_listener = nullptr;
};

// Restores the buffer's line-end type when the scope ends.
class CLineEndTypeGuard {
public:
    explicit CLineEndTypeGuard(CEditData* data) : m_data(data), m_type(data ? data->GetLineEndType() : 1) {}
    CLineEndTypeGuard(CEditData* data, int type) : m_data(data), m_type(type) {}
    ~CLineEndTypeGuard() {
        if (m_data) m_data->SetLineEndType(m_type);
    }
    CLineEndTypeGuard(const CLineEndTypeGuard&) = delete;
    CLineEndTypeGuard& operator=(const CLineEndTypeGuard&) = delete;

private:
    CEditData* m_data;
    int m_type;
};
