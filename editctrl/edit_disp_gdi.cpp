#include "editctrl/edit_disp_gdi.h"

#include <memory>

#include "textengine/edit_data.h"

CEditDispGdi::CEditDispGdi(const CEditData* owner) : attrCache_(owner) {
    for (int i = 0; i < EDIT_COLOR_COUNT; ++i) colors_[i] = kDefaultEditColors[i];
}

CEditDispGdi::~CEditDispGdi() { measuringDC_.Release(); }

CEditDispGdi& CEditDispGdi::Of(CEditData& data) {
    CEditDispData& disp = data.GetDispData();
    if (auto* gdi = dynamic_cast<CEditDispGdi*>(disp.GetExtension())) return *gdi;
    auto gdi = std::make_unique<CEditDispGdi>(&data);
    CEditDispGdi& result = *gdi;
    disp.SetExtension(std::move(gdi));
    return result;
}

int CEditDispGdi::AddView(HWND view) {
    for (int i = 0; i < kMaxViews; ++i) {
        if (!views_[i]) {
            views_[i] = view;
            return i;
        }
    }
    return kMaxViews;
}

int CEditDispGdi::RemoveView(HWND view) {
    for (int i = 0; i < kMaxViews; ++i) {
        if (views_[i] == view) {
            views_[i] = nullptr;
            return i;
        }
    }
    return kMaxViews;
}

void CEditDispGdi::BroadcastMessage(HWND sender, UINT msg, WPARAM wParam, LPARAM lParam) const {
    for (HWND view : views_)
        if (view && view != sender) ::SendMessageW(view, msg, wParam, lParam);
}

bool CEditDispGdi::SetColor(int index, COLORREF color) {
    if (index < 0 || index >= EDIT_COLOR_COUNT || colors_[index] == color) return false;
    colors_[index] = color;
    if (index == PEN_COLOR) markPen_.CreatePen(PS_SOLID, 0, color);
    if (index == RULER_COLOR) rulerPen_.CreatePen(PS_SOLID, 0, color);
    // The caret bitmap is painted in the background and IME colours.
    if (index == BG_COLOR || index == IME_CARET_COLOR) {
        caretBitmap.DeleteObject();
        caretBitmapKey[0] = caretBitmapKey[1] = caretBitmapKey[2] = -1;
    }
    return true;
}

HPEN CEditDispGdi::GetMarkPen() {
    if (!markPen_) markPen_.CreatePen(PS_SOLID, 0, colors_[PEN_COLOR]);
    return markPen_;
}

HPEN CEditDispGdi::GetRulerPen() {
    if (!rulerPen_) rulerPen_.CreatePen(PS_SOLID, 0, colors_[RULER_COLOR]);
    return rulerPen_;
}

HDC CEditDispGdi::GetMeasuringDC(HWND control, HFONT font) {
    measuringDC_.Set(control, font);
    return measuringDC_.Get();
}

void CEditDispGdi::ReleaseMeasuringDC(HWND control) {
    if (measuringDC_.GetWindow() == control) measuringDC_.Release();
}
