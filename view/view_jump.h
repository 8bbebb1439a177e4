// The view's jumps: the tag jump (the file and line named by the caret
// line, opened here or in the editor that has the file) and the line-jump
// dialog.
#pragma once

#include <windows.h>

class CCmdUI;
class CPavinView;

// Runs (ui null) or updates (ui set) the tag-jump and line-jump commands;
// false for other ids.
bool RunJumpCommand(CPavinView& view, UINT id, CCmdUI* ui);

// Jumps to the place the current file's caret line names; false when the
// line names no existing file.
bool TagJump(CPavinView& view);
