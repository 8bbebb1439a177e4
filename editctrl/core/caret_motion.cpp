#include "editctrl/core/caret_motion.h"

#include <utility>

namespace motion {

namespace {

const char32_t kBlanks[3] = {U' ', U'\t', U'\x3000'};

}  // namespace

EditPos CharStep(const CEditData& d, EditPos from, int n) { return d.MovePos(d.ClampPos(from), n); }

EditPos WordLeft(const CEditData& d, EditPos from) { return d.WordStepFrom(d.BlanksSkippedFrom(from, -1), -1); }

EditPos WordRight(const CEditData& d, EditPos from, WordStop stop) {
    if (stop == WordStop::NextWordStart) return d.BlanksSkippedFrom(d.WordStepFrom(from, 1), 1);
    return d.WordStepFrom(d.BlanksSkippedFrom(from, 1), 1);
}

EditPos WordEndStep(const CEditData& d, EditPos from, int direction) {
    return d.WordStepFrom(from, direction > 0 ? 1 : -1);
}

EditPos BlankStep(const CEditData& d, EditPos from, int direction) {
    return d.BlankRunFrom(from, direction > 0 ? 1 : -1, kBlanks);
}

EditPos LineStart(const CEditData& d, EditPos from, bool smart) {
    from = d.ClampPos(from);
    int column = 0;
    if (smart) {
        const char16_t* text = d.GetLineText(from.line);
        const int length = d.GetLineLength(from.line);
        while (column < length && d.GetWordCharType(text[column]) == 2) ++column;
        if (column == from.column && from.column != 0) column = 0;
    }
    return {column, from.line};
}

EditPos LineEnd(const CEditData& d, EditPos from) {
    const int line = d.ClampPos(from).line;
    return {d.GetLineLength(line), line};
}

EditPos TextStart() { return {0, 0}; }

EditPos TextEnd(const CEditData& d) {
    const int last = d.GetLineCount() - 1;
    return {d.GetLineLength(last), last};
}

EditPos PastLine(const CEditData& d, int line) {
    return line + 1 < d.GetLineCount() ? EditPos{0, line + 1} : EditPos{d.GetLineLength(line), line};
}

EditPos WordEdge(const CEditData& d, EditPos from, int n) {
    return n > 0 ? WordRight(d, from, WordStop::NextWordStart) : WordLeft(d, from);
}

std::pair<EditPos, EditPos> WordAt(const CEditData& d, EditPos pos) {
    const EditPos end = d.WordStepFrom(pos, 1);
    return {d.WordStepFrom(end, -1), end};
}

}  // namespace motion
