// The window-system side of a text's display data, shared by every control
// that shows the text: the registered views, the colour table with its pens,
// the character width table, the cached measuring DC, the line attribute
// cache and the coloured caret bitmap.
#pragma once

#include <windows.h>

#include "editctrl/gdi_text_metrics.h"
#include "editctrl/core/edit_colors.h"
#include "editctrl/core/line_attr_cache.h"
#include "framework/gdi.h"
#include "textengine/edit_disp_data.h"

class CEditData;

class CEditDispGdi : public CEditDispExtension {
public:
    static constexpr int kMaxViews = 4;

    explicit CEditDispGdi(CEditData* owner);
    ~CEditDispGdi() override;

    // The GDI side of a text, made on first use.
    static CEditDispGdi& Of(CEditData& data);

    // The slot the window took, or kMaxViews when all are taken (the window
    // then gets no pane messages).
    int AddView(HWND view);
    // The slot the window held, or kMaxViews.
    int RemoveView(HWND view);
    HWND GetView(int slot) const { return slot >= 0 && slot < kMaxViews ? views_[slot] : nullptr; }
    // Sends to every registered view but the sender, in slot order.
    void BroadcastMessage(HWND sender, UINT msg, WPARAM wParam, LPARAM lParam) const;

    COLORREF GetColor(int index) const { return colors_[index]; }
    // Stores a colour; the mark and ruler pens follow their colours. False
    // when it was already so. Nothing is repainted.
    bool SetColor(int index, COLORREF color);
    HPEN GetMarkPen();
    HPEN GetRulerPen();

    // The measuring DC of a control with its font, kept between measurings.
    HDC GetMeasuringDC(HWND control, HFONT font);
    CEditCtrlDC& MeasuringDC() { return measuringDC_; }
    // Gives the DC back when it belongs to the control (before the control
    // deletes the font selected into it).
    void ReleaseMeasuringDC(HWND control);
    void OnResetSelection() override { measuringDC_.Release(); }

    // The text's width table, and its measuring source over the measuring DC.
    CCharWidthTable& Widths() { return *widths_; }
    CGdiTextMetrics& Metrics() { return metrics_; }
    CLineAttrCache& AttrCache() { return attrCache_; }

    // Caret x (pixels from the row start) and display row at the last caret update.
    int caretX = 0;
    int caretRow = 0;
    // The bracket flashed after typing (partner, typed) and the pair drawn
    // bold around the caret; line -1 = none.
    EditPos flashBracket[2] = {{-1, -1}, {-1, -1}};
    EditPos boldBracket[2] = {{-1, -1}, {-1, -1}};

    // What a window's edit tells the other panes of the text (lines before,
    // caret line, its rows before, first line to re-measure); the pane
    // message carries this block's address.
    int lineChange[4] = {0, 0, 0, 0};
    // A drag out of one of the text's windows is running, and its text was
    // dropped into this same text (the drop moved it already).
    bool dragRunning = false;
    bool droppedIntoSameText = false;

    // The coloured caret and what it was made for (width, height, IME open).
    CBitmap caretBitmap;
    int caretBitmapKey[3] = {-1, -1, -1};

private:
    HWND views_[kMaxViews] = {};
    COLORREF colors_[EDIT_COLOR_COUNT];
    CPen markPen_, rulerPen_;
    CEditCtrlDC measuringDC_;
    CGdiTextMetrics metrics_{&measuringDC_};
    CCharWidthTable* widths_;
    CLineAttrCache attrCache_;
};
