// The pages' shared exchange with the binding table and their swatches.
#include "view/option_sheet.h"

#include <cwchar>

#include "app/profile/setting_ranges.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

// A number as typed so far; false while it isn't one yet.
bool PeekNumber(HWND field, int& value) {
    wchar_t text[32] = {};
    ::GetWindowTextW(field, text, 32);
    wchar_t* end = nullptr;
    const long long n = std::wcstoll(text, &end, 10);
    if (end == text || *end || n < INT_MIN || n > INT_MAX) return false;
    value = static_cast<int>(n);
    return true;
}

}  // namespace

COptionPage::COptionPage(UINT templateId, OptionPage page, CAppSettings& values)
    : CPropertyPage(templateId), values_(values), page_(page) {}

void COptionPage::DoDataExchange(CDataExchange* dx) {
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        if (b->page != page_) continue;
        switch (b->kind) {
        case OptionControl::Check:
            DDX_Check(dx, b->controlId, values_.*b->number);
            break;
        case OptionControl::Number: {
            int value = values_.*b->number;
            DDX_Text(dx, b->controlId, value);
            if (const SettingRange* range = FindSettingRange(b->number); range && dx->m_bSaveAndValidate) {
                // A count whose nonsense values have a meaning is brought
                // into range; any other number must be typed within it.
                if (range->belowMin != range->min)
                    value = ClampToRange(*range, value);
                else
                    DDV_MinMaxInt(dx, b->controlId, value, range->min, range->max);
            }
            if (!dx->failed) values_.*b->number = value;
            break;
        }
        case OptionControl::Text: {
            CString text(AsWide((values_.*b->text).c_str()));
            DDX_Text(dx, b->controlId, text);
            if (!dx->failed) values_.*b->text = AsU16(text.GetString());
            break;
        }
        case OptionControl::Colour:
        case OptionControl::List:
            break;
        }
    }
}

CAppSettings COptionPage::PeekValues() const {
    CAppSettings peeked = values_;
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        if (b->page != page_) continue;
        HWND control = GetDlgItem(b->controlId);
        if (!control) continue;
        if (b->kind == OptionControl::Check)
            peeked.*b->number = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        else if (b->kind == OptionControl::Number)
            PeekNumber(control, peeked.*b->number);
    }
    return peeked;
}

uint32_t* COptionPage::SwatchColour(int id) {
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b)
        if (b->page == page_ && b->controlId == id && b->kind == OptionControl::Colour) return &(values_.*b->colour);
    return nullptr;
}

bool COptionPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (uint32_t* colour = SwatchColour(id); colour && code == BN_CLICKED) {
        ColorDialogRequest request{m_hWnd, *colour};
        if (ShowColorDialog(request)) {
            *colour = request.color & 0xFFFFFF;
            ::InvalidateRect(GetDlgItem(id), nullptr, TRUE);
            OnColourChanged(id);
        }
        return true;
    }
    if (code == BN_CLICKED || code == EN_CHANGE) OnControlChanged(id);
    return CPropertyPage::OnCommand(wParam, lParam);
}

LRESULT COptionPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (const uint32_t* colour = SwatchColour(static_cast<int>(item->CtlID))) {
            RECT r = item->rcItem;
            ::DrawEdge(item->hDC, &r, EDGE_BUMP, BF_RECT);
            ::InflateRect(&r, -2, -2);
            ::SetBkColor(item->hDC, *colour);
            ::ExtTextOutW(item->hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
            if (item->itemState & ODS_FOCUS) {
                RECT focus = item->rcItem;
                ::InflateRect(&focus, -1, -1);
                ::DrawFocusRect(item->hDC, &focus);
            }
            return TRUE;
        }
    }
    return CPropertyPage::WindowProc(msg, wParam, lParam);
}
