// The view's commands that forward to one operation of the current file's
// editing window: caret and selection moves, scrolling, deleting, the
// clipboard, undo and redo, completion and overwrite. The key bindings
// name these commands, so they are what the keys do.
#pragma once

#include <windows.h>

class CCmdUI;
class CEditCtrl;

// Runs (ui null) or updates (ui set) command id on editor; false when the
// command is none of these.
bool RunEditorCommand(CEditCtrl& editor, UINT id, CCmdUI* ui);
