// Deleting runs of adjacent equal lines in one linear pass. The result, the
// count, the caret and the selection rules are those of replacing
// "^(.*)$\n(?:^\1$(\n?))+" by "\1\2" within the same range (the view's
// command once ran that replacement), without its backtracking: a run of
// equal lines keeps its first line and the line end of its last.
#pragma once

#include "textengine/edit_data.h"

// Within selStart-selEnd (both null: the whole text). A run is taken only
// when it starts at a line start inside the range and ends inside it; the
// first run that reaches past the range's end stops the pass. One undo
// group; none when nothing was found.
// *count is the number of runs shortened. 0, or 1 when an edit failed.
int DeleteDuplicateLines(CEditData& data, const EditPos* selStart, const EditPos* selEnd, int* count);
