// The view's text operations on the selection: indentation, comments,
// quoting, trimming, joins and breaks, sorting, reversing, de-duplication,
// case and width conversion, tab/space conversion and small insertions.
#pragma once

#include <windows.h>

class CCmdUI;
class CEditCtrl;
class CPavinView;

// Runs (ui null) or updates (ui set) command id on the view's current file;
// false when the command is none of these.
bool RunTextOpCommand(CPavinView& view, UINT id, CCmdUI* ui);
// The same on one editing window.
bool RunTextOpCommand(CEditCtrl& editor, UINT id, CCmdUI* ui);

// The common frame of most of them: the pattern replaced by the template
// within the selection (widened to whole lines first when wholeLines).
// Without a selection the caret line is processed and the selection
// dropped again; the caret returns to its place when nothing changed.
void ReplaceInSelectedLines(CEditCtrl& editor, const wchar_t* pattern, const wchar_t* replacement, bool wholeLines);
