// The editor's side of the macro language: the one interpreter of the
// process with its start-up scripts, the app- and editor- procedures, the
// events, the keys and timers that scripts install, the capture of what a
// run prints, and the wrapping of every run (undo group, status text,
// report). Platform-free: whatever it needs of the windows it asks of a
// CMacroHostUi, which the program (or a test) fills in.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scheme/scheme.h"
#include "textengine/edit_pos.h"

class CEditData;

enum class MacroBoxIcon { Information, Warning };

// The current file's editing window, as the editor- procedures drive it.
class CMacroEditor {
public:
    virtual ~CMacroEditor() = default;
    virtual CEditData& Data() = 0;
    // Display column of a position, measured with the editor's font.
    virtual int DisplayColumn(int line, int column) = 0;
    virtual int ColumnFromDisplayColumn(int line, int displayColumn) = 0;
    // Drops the selection (redrawn, the parent told), forgets the remembered
    // columns and puts the caret at pos (already clamped), scrolled into view.
    virtual void SetCaret(EditPos pos) = 0;
    virtual void SelectRange(EditPos from, EditPos to, bool box) = 0;
    // One undo step each.
    virtual void ReplaceSelection(const std::u16string& text) = 0;
    virtual void DeleteSelection() = 0;
    // The find operation's result (0 found and selected, 1 not found).
    virtual int Find(const std::u16string& pattern, bool matchCase) = 0;
    // Number of replacements (0 when the pattern is bad: the user was told).
    virtual int ReplaceAll(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                           bool inSelection) = 0;
    // Stream or box, with the buffer's line end as it is now.
    virtual std::u16string SelectedText() = 0;
    // count > 0 right / down, < 0 left / up.
    virtual void MoveChars(int count, bool extend) = 0;
    virtual void MoveRows(int count, bool extend) = 0;
};

// What the host needs of the program's windows.
class CMacroHostUi {
public:
    virtual ~CMacroHostUi() = default;
    virtual bool HasMainWindow() = 0;
    virtual void SetStatusText(const std::u16string& text) = 0;
    virtual void ShowBox(const std::u16string& text, const char16_t* caption, MacroBoxIcon icon) = 0;
    // The main window back from its minimised state (before a box).
    virtual void RestoreMainWindow() = 0;
    // OK: true with text edited in place.
    virtual bool InputBox(const std::u16string& caption, std::u16string& text) = 0;
    virtual std::u16string ToolDir() = 0;  // with its trailing backslash
    virtual std::u16string CommandLine() = 0;
    // A key text ("Ctrl+F2") as fVirt and virtual key; false when it names none.
    virtual bool ParseKey(const std::u16string& text, int& fVirt, int& vk) = 0;
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool HasDocument() = 0;
    virtual std::u16string DocumentPath() = 0;
    // The view's search record takes a macro's search (false: no view).
    virtual bool SetSearchCondition(const std::u16string& pattern, bool matchCase) = 0;
    // Null without a document, view or editing window.
    virtual CMacroEditor* ActiveEditor() = 0;
    // A run's undo group: begun on the current file (its id, or -1 when
    // there is none) and ended on that same file, whatever is current then;
    // ending also refreshes the title.
    virtual int BeginUndoGroup() = 0;
    virtual void EndUndoGroup(int fileId) = 0;
};

struct MacroKeyBinding {
    std::u16string keyText;
    std::u16string description;
    scheme_cell* procedure;
};

struct MacroEvent {
    int id;
    const char* name;
    scheme_cell* procedure;  // null: none
};

constexpr int kMacroEventCount = 7;

class CMacroHost {
public:
    explicit CMacroHost(CMacroHostUi& ui);
    ~CMacroHost();
    CMacroHost(const CMacroHost&) = delete;
    CMacroHost& operator=(const CMacroHost&) = delete;

    // Creates the interpreter on the platform's services, defines
    // *load-path*, installs the port writers, registers the procedures and
    // loads scmlib\init.scm and scmlib\wendrel.scm. False (after the
    // failure box) when the program cannot start.
    bool Init(const scheme_host& platform);
    scheme_context* Context() const { return ctx_; }
    CMacroHostUi& Ui() { return ui_; }

    // One wrapped run each.
    void CallProcedure(scheme_cell* procedure);
    void RunString(const std::u16string& source);
    void RunFile(const std::u16string& path);
    // The procedure bound to (fVirt << 16) | vk runs; false when none is.
    bool RunKey(uint32_t binding);
    bool HasEventHandler(const char* name) const;
    // Runs nested deeper than this (events during boxes of runs) are refused.
    static constexpr int kMaxMacroRunDepth = 8;
    void FireEvent(const char* name);
    // A timer's tick; skipped while any run is active.
    void OnTimer(int id);

    // The steps of a run, also taken one by one by the run-selection command.
    void BeforeRun();
    void ResetOutput();
    void ShowRunning();
    void ReportResult();
    void ClearStatus();
    void AfterRun();

    int FindEvent(const char16_t* name) const;

    // State the procedures work on.
    int errorFlag = 0;
    int messageShown = 0;
    std::u16string errorText;
    CEditData& Output() { return *output_; }
    std::map<uint32_t, MacroKeyBinding> keys;
    std::map<uint16_t, scheme_cell*> timers;
    MacroEvent events[kMacroEventCount];

    // Raises "message" as a Scheme error of the running procedure.
    void RaiseError(const std::u16string& message);

private:
    template <class Body>
    void Run(Body body);
    bool LoadStartupScript(const std::u16string& path);
    bool RegisterProcedures();

    CMacroHostUi& ui_;
    scheme_context* ctx_ = nullptr;
    std::unique_ptr<CEditData> output_;
    std::vector<int> undoFiles_;       // the file each open run's group began on
    int depth_ = 0;
};

// The host of a context (its host pointer).
inline CMacroHost& MacroHostOf(scheme_context* ctx) { return *static_cast<CMacroHost*>(ctx->host_data); }

// The character of (row, col) clamped into the text, for
// editor-get-row-col-char: the code point there (a surrogate pair joined),
// -1 for the end of the text, '\n' at the end of any other line.
int32_t MacroCharAt(const CEditData& data, int row, int col);

// The text app-msg-box and app-status-bar-msg show for an argument list's
// display form: the outer parentheses taken off.
std::u16string MacroBoxText(const std::u16string& displayForm);

// Each argument's backslashes doubled, for a path inside Scheme source.
std::u16string MacroDoubleBackslashes(const std::u16string& text);
