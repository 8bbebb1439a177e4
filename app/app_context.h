// The editor's state that lives as long as the program: the settings record,
// the encoding offered for the next open, what the status panes show, the
// fonts made from the settings, the current edit mode's language, the macro
// host, the keyboard macro, the printer last chosen and the seams the
// application and the view install for the document.
// The application object owns the one context and hands it by reference to
// the document, the frame and the view; a test builds its own, so nothing
// carries over between tests or between two editors in one process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/key_macro.h"
#include "app/macro_calls.h"
#include "app/macro_host_win.h"
#include "app/profile/app_settings.h"
#include "editctrl/syntax/strtoken.h"
#include "framework/gdi.h"
#include "textengine/kanjicode.h"

// The printer chosen by the print dialog's last OK in this run, with a copy
// of its driver settings.
struct PrinterMemory {
    std::wstring name;
    std::vector<BYTE> devMode;
    void Clear() {
        name.clear();
        devMode.clear();
    }
};

class CDocEditModes;
class CEditModeTable;
class CIniProfile;

// The question before each modified file when several close: IDYES, IDNO,
// 4 (save this and every following one), 5 (discard them) or IDCANCEL.
using DocCloseQuestion = int (*)(HWND owner, const std::wstring& text);

// The caret's place for the status bar: display column + 1 and line + 1.
struct CaretPositionStatus {
    int column = 0;
    int line = 0;
};

struct CAppContext {
    CAppContext() = default;
    CAppContext(const CAppContext&) = delete;
    CAppContext& operator=(const CAppContext&) = delete;

    // Read from the settings store at start-up and written back by the
    // options command, the font commands and at exit.
    CAppSettings settings;
    // The settings store, where the dialogs keep their histories and
    // choices; the application's (null where a test has none).
    CIniProfile* profile = nullptr;
    // The code proposed for the next file opened: Detect at start, then
    // FILE_OPEN_KANJI_CODE whenever that is loaded or changed, and whatever
    // the open dialogs pick.
    KanjiCode openKanjiCode = KanjiCode::Detect;
    // The status pane's text of the current file's encoding and line end.
    std::wstring formatStatusText;
    CaretPositionStatus caretPosition;
    // Every open file's editing window shows editorFont; the tab strip tabFont
    // (app/editor_fonts_win.h makes them).
    CFont editorFont;
    CFont tabFont;
    // The language of the current edit mode: one tokenizer that every open
    // file's buffer reads for colouring and indenting. Selecting an edit
    // mode loads its language into it.
    CStrToken modeLanguage;
    // The edit modes as the document sees them, and their list for the file
    // dialogs' filter; the application sets both once the list is read.
    CDocEditModes* editModes = nullptr;
    const CEditModeTable* editModeTable = nullptr;
    // Asks about each modified file when several close; the view installs
    // its dialog, without one a message box asks.
    DocCloseQuestion closeQuestion = nullptr;
    // The macro host as the frame, the view and the commands call it.
    CMacroLink macros;
    // The interpreter behind it, from InitMacro to ExitMacro.
    std::unique_ptr<CAppMacro> macroHost;
    // app-input-box's dialog; without one the program's own box asks.
    MacroInputBoxHandler inputBox;
    // Where a macro's search goes besides the editor.
    MacroSearchConditionWriter searchWriter = nullptr;
    PrinterMemory printerMemory;
    // The keyboard macro of this run, recorded, loaded or playing.
    CKeyMacros keyMacros;
};
