// The editor's state that lives as long as the program: the settings record,
// the encoding offered for the next open, what the status panes show and the
// fonts made from the settings.
// The application object owns the one context and hands it by reference to
// the document, the frame and the view; a test builds its own, so nothing
// carries over between tests or between two editors in one process.
#pragma once

#include <string>

#include "app/profile/app_settings.h"
#include "framework/gdi.h"

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
    // The KanjiCode proposed for the next file opened: 9 (detect) at start,
    // then FILE_OPEN_KANJI_CODE whenever that is loaded or changed, and
    // whatever the open dialogs pick.
    int openKanjiCode = 9;
    // The status pane's text of the current file's encoding and line end.
    std::wstring formatStatusText;
    CaretPositionStatus caretPosition;
    // Every open file's editing window shows editorFont; the tab strip tabFont
    // (app/editor_fonts_win.h makes them).
    CFont editorFont;
    CFont tabFont;
};
