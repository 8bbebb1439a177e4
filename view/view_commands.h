// The view's editing commands on the current file's editing window: caret
// and selection moves, scrolling, deleting, the clipboard, undo and redo,
// completion, wrap modes, bookmarks, brackets and overwrite, with the rules
// that enable and check their menu items. The key bindings name these
// commands, so they are what the keys do.
#pragma once

#include <windows.h>

class CCmdUI;
class CEditCtrl;
struct CAppSettings;

// Runs (ui null) or updates (ui set) command id on editor; false when the
// command is none of these. A wrap command keeps its mode in settings as the
// one for new files.
bool RunEditorCommand(CEditCtrl& editor, UINT id, CCmdUI* ui, CAppSettings& settings);
