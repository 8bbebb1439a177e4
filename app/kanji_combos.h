// The encoding and line-end combo boxes of the file dialogs, the file-format
// dialog and the option pages: names and item data from the file codec.
#pragma once

#include <windows.h>

#include "textengine/kanjicode.h"

// "自動判別" (Detect) first when withDetect, then the nine encodings in
// display order, each with its code's number as item data; selects the item
// of selected. Returns the selected index, -1 when no item has that code.
int FillKanjiCodeCombo(HWND combo, KanjiCode selected, bool withDetect);
// The code of the combo's selection, or fallback when none is selected.
KanjiCode SelectedKanjiCode(HWND combo, KanjiCode fallback);
// The three line ends with their numbers as item data; selects selected.
int FillLineEndCombo(HWND combo, LineEndType selected);
// The line end of the combo's selection, or fallback when none is selected.
LineEndType SelectedLineEnd(HWND combo, LineEndType fallback);
