// The view's print command: the print dialog, then the current file (or its
// selection) on the chosen printer.
#pragma once

#include <windows.h>

class CCmdUI;
class CPavinView;

// Runs (ui null) or updates (ui set) the print command; false for other ids.
bool RunPrintCommand(CPavinView& view, UINT id, CCmdUI* ui);
