// Painting of the editing window: the client area is composed off screen,
// row by row in runs of equal attributes, and copied out in one BitBlt.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "editctrl/edit_ctrl.h"
#include "editctrl/text_drawer.h"
#include "framework/wide.h"
#include "textengine/utf16.h"

class CEditPainter {
public:
    CEditPainter(CEditCtrl& c, CDC& dc, const CRect& clip)
        : ctrl_(c), dc_(dc), clip_(clip), disp_(c.Disp()), data_(*c.GetEditData()), measure_(c.Measure()),
          res_(c.GetPaintResources()), style_(c.GetStyleWord()) {
        client_ = c.GetScrollClientRect();
        client_.OffsetRect(-client_.left, -client_.top);
        hScroll_ = c.GetScrollPos(SB_HORZ);
        vScroll_ = c.GetScrollPos(SB_VERT);
        charWidth_ = c.GetCharWidth();
        rowHeight_ = c.GetRowHeight();
        textHeight_ = c.GetTextHeight();
        bodyBottom_ = client_.bottom - c.GetBottomMargin();
        textLeft_ = c.GetLeftMargin() - hScroll_ * charWidth_;
        xCell_ = measure_.Advance('x');
        background_ = disp_.GetColor(BG_COLOR);
    }
    ~CEditPainter() { disp_.MeasuringDC().Release(); }

    void DrawAll();

private:
    bool Visible(const RECT& r) const {
        RECT out;
        return ::IntersectRect(&out, &r, &clip_) != 0;
    }
    void FillBackground(const RECT& r, COLORREF color);
    void FillBackground(int l, int t, int r, int b, COLORREF color) { FillBackground(CRect(l, t, r, b), color); }
    void Line(int x1, int y1, int x2, int y2) {
        dc_.MoveTo(x1, y1);
        dc_.LineTo(x2, y2);
    }
    int DrawLine(int line, int y);
    void DrawLineRows(LineAttrSlot* slot, int line, int y);
    int DrawRun(const char16_t* text, int from, int to, int x, int y);
    void DrawRowEnd(LineAttrSlot* slot, int line, int rowOffset, int y, int x);
    void DrawRuler();
    int DrawTabbedText(const char16_t* text, int n, int x, int y, int clipRight, bool opaque);
    int DrawSmoothText(const char16_t* text, int n, int x, int y);
    void InvertBracket(const EditPos& p);
    bool IsCaretLine(int line) const { return data_.GetCaretPos().line == line; }
    COLORREF Inverted(COLORREF c) const { return (style_ & ECS_KEEP_SELECTED_COLORS) ? c : (c ^ 0xFFFFFF); }

    CEditCtrl& ctrl_;
    CDC& dc_;
    CRect clip_;
    CEditDispGdi& disp_;
    CEditData& data_;
    CMeasure measure_;
    const CEditCtrl::PaintResources res_;
    const DWORD style_;
    CRect client_;
    int hScroll_, vScroll_;  // scroll positions in columns and rows
    int charWidth_, rowHeight_, textHeight_, bodyBottom_;
    int textLeft_;  // x of column 0 with the horizontal scroll applied
    int xCell_;     // advance of an 'x'
    COLORREF background_;
    int row_ = 0;  // display row being drawn
};

void CEditPainter::FillBackground(const RECT& r, COLORREF color) {
    if (r.right <= r.left || r.bottom <= r.top || !Visible(r)) return;
    if (res_.backBuffer.IsCreated() && color == background_) {
        dc_.BitBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, res_.backBuffer, r.left, r.top);
        return;
    }
    dc_.FillSolidRect(r, color);
}

int CEditPainter::DrawTabbedText(const char16_t* text, int n, int x, int y, int clipRight, bool opaque) {
    const CRect rows(x, y - res_.textOffset, clipRight, y - res_.textOffset + rowHeight_);
    return CTextDrawer().DrawTabbedText(dc_, clip_, text, n, rows, measure_, x, y, textLeft_,
                                        ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0));
}

int CEditPainter::DrawSmoothText(const char16_t* text, int n, int x, int y) {
    const COLORREF t = ::GetTextColor(dc_), g = dc_.GetBkColor();
    TEXTMETRICW tm{};
    dc_.GetTextMetrics(&tm);
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    std::vector<BYTE> heap;
    BYTE stack[8192];
    for (int i = 0; i < n;) {
        int u;
        const char32_t cp = utf16_decode(text, std::size_t(i), std::size_t(n), &u);
        const int tab = measure_.TabStop();
        const int w = cp == '\t' ? tab - (x - textLeft_) % std::max(1, tab) : measure_.Advance(cp);
        FillBackground(x, y - res_.textOffset, x + w, y - res_.textOffset + rowHeight_, g);
        if (cp != ' ' && cp != '\t') {
            GLYPHMETRICS gm{};
            const DWORD size = ::GetGlyphOutlineW(dc_, cp, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
            if (size != GDI_ERROR && size > 0) {
                BYTE* buf = stack;
                if (size > sizeof(stack)) {
                    heap.resize(size);
                    buf = heap.data();
                }
                if (::GetGlyphOutlineW(dc_, cp, GGO_GRAY8_BITMAP, &gm, size, buf, &identity) != GDI_ERROR) {
                    const int pitch = (static_cast<int>(gm.gmBlackBoxX) + 3) & ~3;
                    for (UINT row = 0; row < gm.gmBlackBoxY; ++row) {
                        for (UINT col = 0; col < gm.gmBlackBoxX; ++col) {
                            const int v = buf[row * pitch + col];
                            if (v < 1 || v > 64) continue;
                            auto mix = [v](int a, int b) { return v * a / 64 + (64 - v) * b / 64; };
                            const COLORREF px = RGB(mix(GetRValue(t), GetRValue(g)), mix(GetGValue(t), GetGValue(g)),
                                                    mix(GetBValue(t), GetBValue(g)));
                            dc_.SetPixel(x + gm.gmptGlyphOrigin.x + static_cast<int>(col),
                                         y + tm.tmAscent - gm.gmptGlyphOrigin.y + static_cast<int>(row), px);
                        }
                    }
                }
            }
        }
        x += w;
        i += u;
    }
    return x;
}

int CEditPainter::DrawRun(const char16_t* text, int from, int to, int x, int y) {
    const int ty = y + res_.textOffset;
    if (res_.trueType && (style_ & ECS_SMOOTH_TEXT)) return DrawSmoothText(text + from, to - from, x, ty);
    const bool opaque = !(res_.backBuffer.IsCreated() && dc_.GetBkColor() == background_);
    return DrawTabbedText(text + from, to - from, x, ty, client_.right, opaque);
}

void CEditPainter::DrawAll() {
    dc_.SelectObject(res_.font);
    dc_.SetBkColor(background_);
    if (style_ & ECS_SHOW_COL_NUM) DrawRuler();
    const int rows = data_.GetDispData().displayRows;
    const int firstLine = ctrl_.GetLineOfRow(vScroll_);
    const int lastRow = vScroll_ + ctrl_.GetVisibleRows() - 1;
    const int lastLine = lastRow < rows ? ctrl_.GetLineOfRow(lastRow) : data_.GetLineCount() - 1;
    int y = ctrl_.GetTopMargin() + (ctrl_.GetFirstRowOfLine(firstLine) - vScroll_) * rowHeight_;
    for (int line = firstLine; line <= lastLine && y < bodyBottom_; ++line) y = DrawLine(line, y);
    if (style_ & ECS_SHOW_ROW_LINE) {
        const int ly = ctrl_.GetTopMargin() + (ctrl_.GetCaretRow() - vScroll_ + 1) * rowHeight_ - 1;
        int right = client_.right;
        if (data_.GetDispData().wrapMode == WrapMode::FixedColumns) {
            const long long wrapColumns = data_.GetDispData().wrapColumns;
            const long long wrapRight = ctrl_.GetLeftMargin() + (wrapColumns - hScroll_) * charWidth_;
            if (wrapRight < right) right = static_cast<int>(wrapRight);
        }
        if (ly > ctrl_.GetTopMargin() && ly < client_.bottom) {
            dc_.SelectObject(disp_.GetRulerPen());
            Line(ctrl_.GetLeftMargin(), ly, right, ly);
        }
    }
    FillBackground(0, std::max(y, ctrl_.GetTopMargin()), client_.right, client_.bottom, background_);
    FillBackground(0, 0, client_.right, res_.topBase, background_);
}

int CEditPainter::DrawLine(int line, int y) {
    const int next = y + data_.GetLineRowCount(line) * rowHeight_;
    const int bottom = std::min(bodyBottom_, next);
    if (bottom > ctrl_.GetTopMargin() && Visible(CRect(0, y, client_.right, bottom))) {
        if (LineAttrSlot* slot = ctrl_.GetLineAttributes(line)) {
            DrawLineRows(slot, line, y);
            ctrl_.ClearSelectionFlags(slot, line);
        }
    }
    return next;
}

void CEditPainter::DrawLineRows(LineAttrSlot* slot, int line, int y) {
    const LineRows rows = data_.GetLineRows(line);
    const char16_t* text = rows.text;
    const int count = slot->count;
    const int rowCount = rows.count;
    int x = textLeft_;
    int rowOff = 0;
    int i = 0;
    if (y < ctrl_.GetTopMargin()) {
        rowOff = std::min(rowCount - 1, (ctrl_.GetTopMargin() - y + rowHeight_ - 1) / rowHeight_);
        i = rows.Start(rowOff);
        y += rowOff * rowHeight_;
    }
    row_ = ctrl_.GetFirstRowOfLine(line) + rowOff;
    auto rowEnd = [&]() { return rowOff + 1 < rowCount ? rows.Start(rowOff + 1) : count; };
    auto nextRow = [&]() {
        // A run that goes on past the row end keeps its colours and font:
        // the row end draws the line number with its own.
        const int saved = ::SaveDC(dc_.GetSafeHdc());
        DrawRowEnd(slot, line, rowOff, y, x);
        ::RestoreDC(dc_.GetSafeHdc(), saved);
        ++rowOff;
        ++row_;
        y += rowHeight_;
        x = textLeft_;
    };
    const LineAttrItem* items = slot->items;
    const COLORREF selected = disp_.GetColor(SELECTED_COLOR), hit = disp_.GetColor(SEARCH_COLOR);
    while (i < count && text[i] != '\n' && y < bodyBottom_) {
        if (x > client_.right && rowOff == rowCount - 1) break;
        if (i >= rowEnd() && rowOff + 1 < rowCount) {
            nextRow();
            continue;
        }
        const LineAttrItem& a = items[i];
        int j = i + 1;
        if (a.kind == kAttrOrdinary) {
            while (j < count && items[j].color == a.color && items[j].kind == a.kind && items[j].flags == a.flags) ++j;
            if (j < count && utf16_is_high_surrogate(text[j - 1])) ++j;  // a pair stays whole
        }
        if (a.flags & kAttrSelected) {
            dc_.SetBkColor(selected);
            dc_.SetTextColor(Inverted(a.color));
        } else {
            dc_.SetBkColor((a.flags & kAttrSearchHit) ? hit : background_);
            dc_.SetTextColor(a.color);
        }
        dc_.SelectObject((a.flags & kAttrLink)          ? res_.underlineFont
                         : (a.flags & kAttrBoldBracket) ? res_.boldFont
                                                        : res_.font);
        const int mb = y + textHeight_ - 1;
        const bool inBody = x >= ctrl_.GetLeftMargin() && x < res_.body.right;
        switch (a.kind) {
        case kAttrSpace: {
            const int w = measure_.Advance(' ');
            x = DrawRun(u" ", 0, 1, x, y);
            if ((style_ & ECS_SHOW_SPACE) && inBody) {
                dc_.SelectObject(disp_.GetMarkPen());
                const POINT pts[4] = {{x - w, mb - 1}, {x - w, mb}, {x - w + w - 2, mb}, {x - w + w - 2, mb - 2}};
                dc_.Polyline(pts, 4);
            }
            break;
        }
        case kAttrTab: {
            const int start = x;
            x = DrawRun(text, i, i + 1, x, y);
            if ((style_ & ECS_SHOW_TAB) && inBody) {
                dc_.SelectObject(disp_.GetMarkPen());
                const int cc = xCell_, mid = y + textHeight_ / 2;
                Line(start + cc - cc / 4 - 1, mid, start + cc / 4, mid + textHeight_ / 4);
                Line(start + cc - cc / 4 - 1, mid, start + cc / 4, mid - textHeight_ / 4);
            }
            break;
        }
        case kAttrFullWidthSpace: {
            const int start = x;
            const int w = measure_.Advance(0x3000);
            x = DrawRun(text, i, i + 1, x, y);
            if ((style_ & ECS_SHOW_2BYTE_SPACE) && inBody) {
                dc_.SelectObject(disp_.GetMarkPen());
                const int l = start + 1, t = y + 2, r = start + 1 + w - 3, b = y + textHeight_ - 2;
                const POINT pts[5] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
                dc_.Polyline(pts, 5);
            }
            break;
        }
        default:
            // The run may cross row ends: each part on its own row.
            for (int from = i; from < j;) {
                int cut = std::min(j, rowOff + 1 < rowCount ? rowEnd() : j);
                if (cut > from && cut < j && utf16_is_high_surrogate(text[cut - 1])) --cut;
                if (cut <= from) cut = j;
                x = DrawRun(text, from, cut, x, y);
                from = cut;
                if (from < j) nextRow();
                if (y >= bodyBottom_) break;
            }
            break;
        }
        i = j;
    }
    dc_.SetBkColor(background_);
    dc_.SelectObject(res_.font);
    if (y < bodyBottom_) DrawRowEnd(slot, line, rowOff, y, x);
    for (const EditPos& p : disp_.flashBracket)
        if (p.line == line) InvertBracket(p);
}

void CEditPainter::DrawRowEnd(LineAttrSlot* slot, int line, int rowOffset, int y, int x) {
    if (y < ctrl_.GetTopMargin()) return;
    const CEditLine* rec = data_.GetLine(line);
    const bool lastRow = rowOffset >= data_.GetLineRowCount(line) - 1;
    const CEditDispData& dd = data_.GetDispData();
    FillBackground(std::max(x, ctrl_.GetLeftMargin()), y, client_.right, y + rowHeight_, background_);
    if (x >= ctrl_.GetLeftMargin() && x < res_.body.right) {
        const int cc = xCell_, mid = y + textHeight_ / 2;
        if (lastRow) {
            const bool selected = !dd.boxSelection && dd.selStart.line >= 0 && dd.selStart != dd.selEnd &&
                                  dd.selStart.line <= line && line < dd.selEnd.line;
            if (selected)
                FillBackground(x, y, x + charWidth_, y + rowHeight_, disp_.GetColor(SELECTED_COLOR));
            else if (slot->items[slot->count].flags & kAttrSearchHit)
                FillBackground(x, y, x + charWidth_, y + rowHeight_, disp_.GetColor(SEARCH_COLOR));
            if (style_ & ECS_SHOW_LINE_FEED) {
                dc_.SelectObject(disp_.GetMarkPen());
                if (line == data_.GetLineCount() - 1) {
                    if (x + 2 * cc <= res_.body.right) {
                        const int tipX = x + cc / 4 + 1;
                        Line(x + 2 * cc - charWidth_ / 4 - 3, mid, tipX, mid);
                        Line(tipX, mid, tipX + cc / 2, mid - textHeight_ / 4);
                        Line(tipX, mid, tipX + cc / 2, mid + textHeight_ / 4);
                    }
                } else {
                    const int g = textHeight_ / 8;
                    const int ax = x + cc / 2 + 1, b = y + textHeight_ - g - 2;
                    Line(ax, y + g + 2, ax, b);
                    Line(ax, b, ax + cc / 2, b - textHeight_ / 4);
                    Line(ax, b, x + 1, b - textHeight_ / 4);
                }
            }
        } else if (style_ & ECS_SHOW_LINE_END) {
            dc_.SelectObject(disp_.GetMarkPen());
            const int tail = x + cc - charWidth_ / 4 - 1;
            Line(x + cc / 4, mid, tail, mid + textHeight_ / 4);
            Line(x + cc / 4, mid, tail, mid - textHeight_ / 4);
        }
    }
    FillBackground(0, y, ctrl_.GetLeftMargin(), y + rowHeight_, background_);
    const int leftBase = res_.leftBase;
    if (leftBase > 1) {
        if (rowOffset == 0 && (rec->flags & CEditLine::FlagBookmark))
            FillBackground(1, y, leftBase / 2 + 1, y + rowHeight_, disp_.GetColor(QUOTE_COLOR));
        if ((style_ & ECS_SHOW_EDIT_ROW) && rec->changeMark != -1)
            FillBackground(leftBase / 2 + 1, y, leftBase, y + rowHeight_, disp_.GetColor(KEYWORD_COLOR));
    }
    if (style_ & ECS_SHOW_ROW_NUM) {
        const bool caretRow = row_ == ctrl_.GetCaretRow();
        if (caretRow)
            FillBackground(leftBase, y, ctrl_.GetLeftMargin() - ctrl_.GetDigitWidth(), y + rowHeight_,
                           disp_.GetColor(SELECTED_COLOR));
        if (rowOffset == 0) {
            wchar_t number[16];
            const int len = std::swprintf(number, 16, L"%d", line + 1);
            const int nx = (ctrl_.GetLineNumberDigits() - len + 1) * ctrl_.GetDigitWidth() + leftBase;
            dc_.SelectObject(res_.font);
            dc_.SetBkMode(TRANSPARENT);
            dc_.SetTextColor(caretRow ? Inverted(disp_.GetColor(KEYWORD_COLOR)) : disp_.GetColor(RULER_COLOR));
            const CRect r(nx, y, ctrl_.GetLeftMargin(), y + rowHeight_);
            dc_.ExtTextOut(nx, y + res_.textOffset, ETO_CLIPPED, &r, number, len);
        }
        dc_.SelectObject(disp_.GetRulerPen());
        const int lx = ctrl_.GetLeftMargin() - charWidth_ / 2 - 1;
        Line(lx, y, lx, y + rowHeight_);
    }
}

void CEditPainter::InvertBracket(const EditPos& p) {
    if (p.line < 0 || p.line >= data_.GetLineCount() || p.column < 0 || p.column >= data_.GetLineLength(p.line)) return;
    const LineRows rows = data_.GetLineRows(p.line);
    int offset = 0;
    while (offset + 1 < rows.count && rows.starts[offset] <= p.column) ++offset;
    const int start = rows.Start(offset);
    const int x = textLeft_ + measure_.TextWidth(rows.text + start, p.column - start);
    const int row = ctrl_.GetFirstRowOfLine(p.line) + offset - vScroll_;
    const int y = ctrl_.GetTopMargin() + row * rowHeight_ + res_.textOffset;
    int u;
    const char32_t cp = utf16_decode(rows.text, std::size_t(p.column), std::size_t(rows.length), &u);
    dc_.InvertRect(CRect(x, y, x + measure_.Advance(cp), y + textHeight_));
}

void CEditPainter::DrawRuler() {
    const int top = res_.topBase, bottom = ctrl_.GetTopMargin() - 2, base = bottom - 1;
    const int right = client_.right - ctrl_.GetRightMargin();
    const int wrapCols = data_.GetDispData().wrapColumns;
    const int caretX = ctrl_.GetLeftMargin() + ctrl_.GetCaretX() - hScroll_ * charWidth_;
    const CRect caretCell(caretX + 1, top, std::min(right, caretX + charWidth_), base);
    const COLORREF selected = disp_.GetColor(SELECTED_COLOR), ruler = disp_.GetColor(RULER_COLOR);
    dc_.SetBkMode(TRANSPARENT);
    // Chunks of ten columns, from the first one that shows.
    int count = std::max(0, (hScroll_ / 10) * 10);
    int x = textLeft_ + count * charWidth_;
    int lastX = x;
    for (; x < right; count += 10, x += 10 * charWidth_) {
        const int xr = std::min(x + 10 * charWidth_, right);
        FillBackground(x, top, xr, base + 1, background_);
        const bool caretHere = caretX >= x && caretX < xr;
        if (caretHere) FillBackground(caretCell, selected);
        wchar_t digits[16];
        const int len = std::swprintf(digits, 16, L"%d", count);
        for (int k = 0; k < len; ++k) {
            const int dx = x + k * charWidth_ + 2;
            if (caretHere && dx <= caretX && caretX < dx + charWidth_) {
                dc_.SetBkColor(selected);
                dc_.SetTextColor(Inverted(disp_.GetColor(KEYWORD_COLOR)));
                dc_.ExtTextOut(dx, top, ETO_CLIPPED | ETO_OPAQUE, &caretCell, digits + k, 1);
            } else {
                dc_.SetTextColor(ruler);
                const CRect r(dx, top, std::min(dx + charWidth_, right), base);
                dc_.ExtTextOut(dx, top, ETO_CLIPPED, &r, digits + k, 1);
            }
        }
        dc_.SelectObject(disp_.GetRulerPen());
        const bool passesWrap = static_cast<long long>(count) + 10 > wrapCols;
        const int baseEnd = passesWrap ? std::min(xr, x + (wrapCols % 10) * charWidth_ + 1) : xr;
        Line(x, base, baseEnd, base);
        Line(x, top, x, base);
        for (int k = 1; k <= 9 && count + k <= wrapCols && x + k * charWidth_ < right; ++k) {
            const int tx = x + k * charWidth_;
            Line(tx, base, tx, base - (k == 5 ? rowHeight_ / 2 : rowHeight_ / 4));
        }
        lastX = xr;
        if (passesWrap) break;  // the chunk holding the wrap column is the last
    }
    dc_.SetBkColor(background_);
    FillBackground(0, base + 1, client_.right, ctrl_.GetTopMargin(), background_);
    FillBackground(0, 0, ctrl_.GetLeftMargin(), ctrl_.GetTopMargin(), background_);
    dc_.SelectObject(disp_.GetRulerPen());
    Line(res_.leftBase, base, ctrl_.GetLeftMargin(), base);
    FillBackground(lastX, top, client_.right, base + 1, background_);
}

void CEditCtrl::PaintTo(HDC target) {
    if (!m_data) return;
    const CRect client = GetScrollClientRect();
    const int w = client.Width(), h = client.Height();
    if (w <= 0 || h <= 0 || !::RectVisible(target, CRect(0, 0, w, h))) return;
    CRect clip;
    if (::GetClipBox(target, &clip) == NULLREGION || clip.IsRectEmpty()) clip = CRect(0, 0, w, h);
    CMemoryDC mem(target, w, h);
    if (!mem.IsCreated()) return;
    mem.SetBkMode(TRANSPARENT);
    CEditDispGdi& disp = Disp();
    if (m_style & ECS_SHOW_RULED_LINE) {
        if (m_backBuffer.GetSize() != CSize(w, h)) {
            m_backBuffer.Create(target, w, h);
            m_backBuffer.FillSolidRect(CRect(0, 0, w, h), disp.GetColor(BG_COLOR));
            CPen pen;
            pen.CreatePen(PS_SOLID, 0, disp.GetColor(RULED_LINE_COLOR));
            m_backBuffer.SelectObject(pen.GetSafeHandle());
            const bool fixed = DispData().wrapMode == WrapMode::FixedColumns;
            const int right = fixed ? m_leftMargin + DispData().wrapWidth : w - m_rightMargin;
            for (int i = 1; i <= m_visibleRows; ++i) {
                const int y = m_topMargin + i * m_rowHeight;
                if (y > h - m_bottomMargin) break;
                m_backBuffer.MoveTo(m_leftBase, y - 1);
                m_backBuffer.LineTo(right, y - 1);
            }
            m_backBuffer.SelectObject(::GetStockObject(BLACK_PEN));
        }
        mem.BitBlt(0, 0, w, h, m_backBuffer, 0, 0);
    } else {
        mem.FillSolidRect(CRect(0, 0, w, h), disp.GetColor(BG_COLOR));
    }
    {
        CEditPainter painter(*this, mem, clip);
        painter.DrawAll();
    }
    if ((m_style & ECS_IDLE_POINTER) && m_idleCountdown > 0) {
        CBrush brush(disp.GetColor(RULED_LINE_COLOR));
        const bool fixed = DispData().wrapMode == WrapMode::FixedColumns;
        const int right = (fixed ? m_leftBase + DispData().wrapWidth : w - m_rightMargin) + 10;
        mem.FrameRect(CRect(m_leftBase - 10, m_topBase - 10, right, h - m_bottomMargin + 10), brush);
    }
    ::BitBlt(target, 0, 0, w, h, mem, 0, 0, SRCCOPY);
}
