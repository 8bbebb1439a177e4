// The attributes of a line for drawing: cached colours with the selection,
// search hits and bold brackets marked on top.
#include <algorithm>

#include "editctrl/edit_ctrl.h"
#include "editctrl/core/line_colorize.h"


LineAttrSlot* CEditCtrl::GetLineAttributes(int line) {
    CEditDispGdi& disp = Disp();
    CLineAttrCache& cache = disp.AttrCache();
    if (LineAttrSlot* slot = cache.Get(line)) {
        MarkSelection(slot, line);
        MarkBoldBrackets(slot, line);
        return slot;
    }
    LineAttrSlot* slot = cache.Allocate(line);
    if (!slot) return nullptr;
    const CEditLine* rec = m_data->GetLine(line);
    uint32_t colors[EDIT_COLOR_COUNT];
    for (int i = 0; i < EDIT_COLOR_COUNT; ++i) colors[i] = disp.GetColor(i);
    ColorizeLine(slot->items, slot->count, rec->text, rec->flags, LanguageOf(m_data->GetSyntaxRules()), m_style, colors);
    MarkSelection(slot, line);
    MarkSearchHits(slot, line);
    MarkBlankKinds(slot->items, slot->count, rec->text);
    if (m_style & ECS_CLICKABLE_URL) MarkLinks(slot->items, slot->count, rec->text, colors[KEYWORD_COLOR]);
    MarkBoldBrackets(slot, line);
    cache.Validate(slot, line);
    return slot;
}

void CEditCtrl::MarkSelection(LineAttrSlot* slot, int line) {
    const CEditDispData& disp = DispData();
    if (disp.selStart.line < 0 || disp.selStart == disp.selEnd) return;
    if (line < disp.selStart.line || line > disp.selEnd.line) return;
    int from, to;
    if (disp.boxSelection) {
        Measure();  // the text's measuring source serves this window's font
        m_data->GetBoxColumns(line, from, to);
    } else {
        from = line == disp.selStart.line ? disp.selStart.column : 0;
        to = line == disp.selEnd.line ? disp.selEnd.column : slot->count;
    }
    from = std::max(from, 0);
    to = std::min(to, slot->count);
    for (int i = from; i < to; ++i) slot->items[i].flags |= kAttrSelected;
}

void CEditCtrl::ClearSelectionFlags(LineAttrSlot* slot, int line) {
    const CEditDispData& disp = DispData();
    if (disp.selStart.line < 0 || disp.selStart == disp.selEnd) return;
    if (line < disp.selStart.line || line > disp.selEnd.line) return;
    for (int i = 0; i <= slot->count; ++i) slot->items[i].flags &= ~kAttrSelected;
}

void CEditCtrl::MarkSearchHits(LineAttrSlot* slot, int line) {
    if (!m_highlight) return;
    int at = 0, start = 0, end = 0;
    while (at <= slot->count && m_highlight->Find(*m_data, line, at, &start, &end)) {
        if (end <= start) break;  // an empty match marks nothing and would not advance
        const bool pastEnd = end > slot->count;
        for (int i = std::max(start, 0); i < std::min(end, slot->count); ++i) slot->items[i].flags |= kAttrSearchHit;
        if (pastEnd) {
            slot->items[slot->count].flags |= kAttrSearchHit;
            break;
        }
        at = end;
    }
}

void CEditCtrl::MarkBoldBrackets(LineAttrSlot* slot, int line) {
    for (const EditPos& p : Disp().boldBracket)
        if (p.line == line && p.column >= 0 && p.column < slot->count) slot->items[p.column].flags |= kAttrBoldBracket;
}
