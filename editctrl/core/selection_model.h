// The selection of a text as positions: which end anchors it while it
// grows, which lines change when it moves, whether a position lies inside
// it, and where a moved text lands once its source is removed.
// The editing window maps all of it to rows and pixels.
#pragma once

#include <utility>
#include <vector>

#include "textengine/edit_data.h"

namespace selmodel {

inline bool HasSelection(const CEditDispData& d) { return d.selStart.line >= 0 && d.selStart != d.selEnd; }

// Moves the selection's free end to pos: the anchor follows the initial
// range (a double-clicked word stays selected as the selection grows either
// way, a position inside it selects exactly it), then start/end are the
// anchor and the position in order. Returns the position the caret takes.
EditPos ExtendTo(CEditDispData& d, EditPos pos);

// Inclusive line ranges to repaint after a stream selection moved from
// [oldStart, oldEnd] to [newStart, newEnd]: the lines that entered or left
// it plus the lines of both ends and of the anchor; merged and ordered.
// No selection before: oldStart.line is -1 and the new range is returned.
std::vector<std::pair<int, int>> StreamRedrawLines(EditPos oldStart, EditPos oldEnd, EditPos newStart,
                                                   EditPos newEnd, int anchorLine);

// Whether pos lies in the selection: a box by the line's box columns, a
// stream with inclusive ends when inclusiveEnd, else with the end excluded
// on a selection over several lines.
bool Contains(const CEditData& data, EditPos pos, bool inclusiveEnd);

// Where a moved text is inserted once its source is deleted: target as it
// was before the deletion of the stream [start, end], or of a box over the
// lines start.line..end.line whose columns on the target's line are
// [boxFrom, boxTo).
EditPos AfterStreamRemoval(EditPos target, EditPos start, EditPos end);
EditPos AfterBoxRemoval(EditPos target, int firstLine, int lastLine, int boxFrom, int boxTo);

}  // namespace selmodel
