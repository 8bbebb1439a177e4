#include "editctrl/core/selection_model.h"

#include <algorithm>

namespace selmodel {

EditPos ExtendTo(CEditDispData& d, EditPos pos) {
    EditPos anchor = d.selAnchor;
    const EditPos first = d.initialRange[0], second = d.initialRange[1];
    if (first.line >= 0 && second.line >= 0) {
        if (pos < first) {
            anchor = second;
        } else if (second < pos) {
            anchor = first;
        } else {
            anchor = first;
            pos = second;
        }
        d.selAnchor = anchor;
    }
    if (pos < anchor) {
        d.selStart = pos;
        d.selEnd = anchor;
    } else {
        d.selStart = anchor;
        d.selEnd = pos;
    }
    return pos;
}

std::vector<std::pair<int, int>> StreamRedrawLines(EditPos oldStart, EditPos oldEnd, EditPos newStart,
                                                   EditPos newEnd, int anchorLine) {
    std::vector<std::pair<int, int>> spans;
    if (oldStart.line < 0 || oldStart == oldEnd) {
        spans.push_back({newStart.line, newEnd.line});
        return spans;
    }
    // Lines in one range and not the other: the symmetric difference.
    auto addDifference = [&](int a0, int a1, int b0, int b1) {
        if (a0 < b0) spans.push_back({a0, std::min(a1, b0 - 1)});
        if (a1 > b1) spans.push_back({std::max(a0, b1 + 1), a1});
    };
    addDifference(oldStart.line, oldEnd.line, newStart.line, newEnd.line);
    addDifference(newStart.line, newEnd.line, oldStart.line, oldEnd.line);
    for (int line : {oldStart.line, oldEnd.line, newStart.line, newEnd.line, anchorLine})
        if (line >= 0) spans.push_back({line, line});
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& s : spans) {
        if (!merged.empty() && s.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    return merged;
}

bool Contains(const CEditData& data, EditPos pos, bool inclusiveEnd) {
    const CEditDispData& d = data.GetDispData();
    if (!HasSelection(d)) return false;
    if (pos.line < d.selStart.line || pos.line > d.selEnd.line) return false;
    if (d.boxSelection) {
        int from, to;
        data.GetBoxColumns(pos.line, from, to);
        return from <= pos.column && pos.column <= to;
    }
    if (d.selStart.line == d.selEnd.line || inclusiveEnd)
        return !(pos < d.selStart) && !(d.selEnd < pos);
    if (pos.line == d.selStart.line) return pos.column >= d.selStart.column;
    if (pos.line == d.selEnd.line) return pos.column < d.selEnd.column;
    return true;
}

EditPos AfterStreamRemoval(EditPos target, EditPos start, EditPos end) {
    if (!(end < target) && target != end) {
        // Before the selection, or inside it: only what lies after moves.
        return target < start ? target : start;
    }
    if (target.line == end.line) return {start.column + target.column - end.column, start.line};
    return {target.column, target.line - (end.line - start.line)};
}

EditPos AfterBoxRemoval(EditPos target, int firstLine, int lastLine, int boxFrom, int boxTo) {
    if (target.line < firstLine || target.line > lastLine || target.column <= boxFrom) return target;
    if (target.column >= boxTo) return {target.column - (boxTo - boxFrom), target.line};
    return {boxFrom, target.line};
}

}  // namespace selmodel
