// The editor's one document: every open file as a per-file record with its
// text, editing window, encoding and line end; opening, reading, reloading
// in another encoding, saving, closing with its questions, the title with
// the modified mark and the status text. The views hear of changes through
// the update hints below.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_context.h"
#include "app/doccore/doc_file_list.h"
#include "app/resource.h"
#include "assist/code_assist_edit_ctrl.h"
#include "editctrl/edit_ctrl.h"
#include "framework/doc.h"

class CByteStream;

enum ViewUpdateHint : int {
    HINT_FILE_ADDED = 100,         // hint object: the file's id
    HINT_FILE_CLOSED = 101,
    HINT_TEXT_CHANGED = 110,
    HINT_FILE_SAVED = 111,
    HINT_SETTINGS_CHANGED = 112,
    HINT_EDIT_MODE_CHANGED = 114,
    HINT_FRAME_MOVED = 115,
    HINT_FONT_CHANGED = 116,
    HINT_FILE_ACTIVATED = 120,     // hint object: the file's id
    HINT_SELECT_TAB = 121,         // hint object: the file's id
    HINT_TAB_TITLES = 125,
    HINT_MODIFIED_CHANGED = 130,
    HINT_SAVE_ALL = 200,
};

// File ids travel as the hint object.
inline CCmdTarget* HintObjectOfId(int id) { return reinterpret_cast<CCmdTarget*>(static_cast<INT_PTR>(id)); }
inline int IdOfHintObject(CCmdTarget* object) { return static_cast<int>(reinterpret_cast<INT_PTR>(object)); }

class CDocFile : public CDocFileRecord {
public:
    using CDocFileRecord::CDocFileRecord;
    void ShowEditor(bool show) override;
    bool IsEditorVisible() const override;
    CCodeAssistEditCtrl editor;  // the view makes its window on HINT_FILE_ADDED
};

// What the document needs of the edit modes; the application installs it in
// the context.
class CDocEditModes {
public:
    virtual ~CDocEditModes() = default;
    virtual int Current() const = 0;
    virtual void Select(int index) = 0;
    // Each mode's ";"-separated file patterns, in list order.
    virtual std::vector<std::u16string> Patterns() const = 0;
    // The mode a new file starts in; -1 keeps the current one.
    virtual int ForNewFile() const = 0;
    // The index of the mode of that name; -1 when there is none.
    virtual int Find(std::u16string_view) const { return -1; }
};

// Pushes the editing settings of the record into a file's text: word wrap at word ends,
// the characters that may not begin or end a line, the indent mode (C-style
// only where the edit mode allows it) and tabs typed as blanks.
void ApplyEditSettings(const CAppSettings& settings, CEditData& data, bool modeAllowsCStyleIndent);

class CPavinDoc : public CDocument {
public:
    explicit CPavinDoc(CAppContext& context);
    ~CPavinDoc() override;

    CAppContext& Context() const { return context_; }

    CDocFileList& Files() { return files_; }
    CDocFile& Current() { return static_cast<CDocFile&>(files_.Current()); }
    // Appends a record and makes it current; returns its id.
    int AddFile(const std::wstring& path);
    bool ActivateFileById(int id, bool keepMode, bool fireEvent);
    bool ActivateFileByPath(const std::wstring& path);
    std::wstring GetCurrentPath() const;

    void BuildTitle();
    // The modified mark follows the current file's modified state: called
    // when it may have flipped (the editing window's modified-changed
    // event, a format change, the end of a macro's undo group).
    void UpdateTitle();
    void UpdateFormatStatus();
    // The window title is this title with the modified mark while the file is modified.
    void SetTitle(const wchar_t* title) override;
    const std::wstring& PlainTitle() const { return plainTitle_; }

    // While a close question (and the save it may lead to) is open, the file
    // asked about stays current: activating or opening another is refused.
    bool IsAskingToClose() const { return askedFileId_ != 0; }
    // While a file is read (the windows repaint meanwhile), it stays current
    // and no other is opened or activated.
    bool IsReading() const { return reading_; }
    class CloseQuestionScope {
    public:
        explicit CloseQuestionScope(CPavinDoc& doc);
        ~CloseQuestionScope();
        CloseQuestionScope(const CloseQuestionScope&) = delete;
        CloseQuestionScope& operator=(const CloseQuestionScope&) = delete;
        void End();

    private:
        CPavinDoc& doc_;
        int outer_;
        bool ended_ = false;
    };

    // While deferring, the reasons an open failed are kept, not shown: a
    // request from another program is answered first, the user told after.
    void DeferReports(bool defer) { deferReports_ = defer; }
    std::vector<std::wstring> TakeDeferredReports();

    // Asks about unsaved changes of the current file (unless ask is false),
    // then closes it; false when the user (or a failed save) stops the close.
    bool CloseCurrentFile(bool ask = true);
    // Closes every file, asking for each modified one; false stops.
    bool QuerySaveFile();
    // Closes the files of these ids in turn, with the same questions; the
    // file that was current stays current when it is not among them.
    // False when the user (or a failed save) stopped.
    bool CloseFiles(const std::vector<int>& ids);
    bool NeedsSaveAs();
    // name null: ask for one (Save As). false when cancelled or failed.
    bool DoSave(const wchar_t* name, bool replace);
    bool OnFileSave();
    // Reads the current file again in code (Detect guesses it, none keeps
    // the file's own); the old text stays when reading fails.
    bool ReloadWithCharset(std::optional<KanjiCode> code);
    // Asks for a file and inserts it at the caret, read in the context's
    // open encoding.
    bool OnInsertFile();
    // The file-format dialog for the current file; a chosen encoding that
    // cannot hold the text is asked about first. False when nothing changed.
    bool OnFileFormat();

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const wchar_t* path) override;
    BOOL OnSaveDocument(const wchar_t* path) override;
    void SetPathName(const wchar_t* path) override;
    BOOL SaveModified() override;
    BOOL CanCloseFrame(CFrameWnd* frame) override;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

protected:
    // The macro events (on-open-file, on-close-file, on-file-saved,
    // on-tab-changed), through the macro host.
    virtual void FireEvent(const char* name);
    // A short text in the main frame's message pane.
    virtual void ShowStatusMessage(const std::wstring& text);
    // What the message pane shows now (empty without a frame).
    std::wstring StatusMessage() const;
    HWND OwnerWindow() const;

private:
    // The title shown: the plain title, marked while the document is modified.
    void ShowTitle();
    std::wstring plainTitle_;
    // Answers that hold for the rest of a close of several files.
    enum class BatchAnswer { None, SaveAll, DiscardAll };
    // Asks about the current file as one of several (unless an earlier
    // answer holds for all), saves it or lets its changes go, and closes it.
    bool CloseCurrentOfSeveral(BatchAnswer& all);
    void SetPathName(const wchar_t* path, bool addToRecent);
    bool ReadFile(const std::wstring& path);
    bool LoadWithCharset(CByteStream& in, KanjiCode code, CEditData& data);
    // Shows the main frame when it is still hidden (at start-up the first
    // file is read before it is shown).
    void ShowOwnerFrame();
    bool SaveCurrentTo(const std::wstring& path);
    bool AskBeforeLossySave(const std::wstring& path, KanjiCode code);
    void SelectEditMode(int index);
    int CurrentEditMode() const;
    bool HasRealFile() const { return files_.Count() > 1; }
    void ReportOpenFailure(const std::wstring& path, const std::wstring& reason);

    CAppContext& context_;
    CDocFileList files_;
    int nextId_ = 1;
    int askedFileId_ = 0;
    bool deferReports_ = false;
    bool reading_ = false;
    std::vector<std::wstring> deferredReports_;
};
