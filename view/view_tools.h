// The view's tools that reach outside the editor: sulki started on the
// selected text, the current file previewed in a browser, the link under
// the caret copied or opened, the selected text run as a macro, and the
// colour picker whose text is inserted at the caret.
#pragma once

#include <windows.h>

class CCmdUI;
class CPavinView;

// The picker's request to insert its text (wParam: the text).
constexpr UINT WM_INSERT_COLOR_TEXT = WM_USER + 150;

// Runs (ui null) or updates (ui set) a tool command; false when id is none.
bool RunToolCommand(CPavinView& view, UINT id, CCmdUI* ui);

// Inserts text at the current editor's caret, replacing a selection, as one
// undo step.
void InsertColorText(CPavinView& view, const wchar_t* text);
