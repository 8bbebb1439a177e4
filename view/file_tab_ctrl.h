// The row of file tabs: one tab per open file, owner-drawn in the
// configured colours, with close buttons, a tip with the file's full path,
// middle-click and drag reordering. The strip knows nothing of files: each
// tab carries its file's id as item data, and the strip tells its parent
// what the user did through WM_NOTIFY codes (FileTabNotify).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ole.h"
#include "framework/wnd.h"
#include "grid/tip_wnd.h"
#include "view/close_btn.h"

enum FileTabNotify : UINT {
    TABN_MIDDLECLICK = 0x8501,  // idFrom: the clicked tab
    TABN_MOVED = 0x8502,        // idFrom: the new index of the selected (dragged) tab
    TABN_CLOSEBUTTON = 0x8503,  // idFrom: the tab of the clicked close button
    TABN_GETTOOLTIP = 0x8504,   // idFrom: the tab under the mouse; the parent fills text
};

// TABN_GETTOOLTIP's record: the parent writes at most 1023 characters and
// a NUL; an empty text shows no tip.
struct FileTabTipRequest {
    NMHDR hdr;
    wchar_t text[1024];
};

enum FileTabFlag : int {
    TABF_DRAG_MOVE = 0x1,
    TABF_TOOLTIP = 0x2,
    TABF_SELECTED_CLOSE_BUTTON = 0x4,
    TABF_CLOSE_BUTTON_ON_TABS = 0x10,
};

class CFileTabCtrl : public CWnd {
public:
    static constexpr UINT kCloseButtonId = 294;

    CFileTabCtrl();
    ~CFileTabCtrl() override;

    // The tab control as a child of parent, with its drop target, single
    // close button and tip window.
    BOOL CreateStrip(DWORD style, const RECT& rect, HWND parent, UINT id);

    // Items; each change re-places the close buttons.
    int GetItemCount() const;
    int GetCurSel() const;
    void SetCurSel(int index);
    int InsertItem(int index, const std::wstring& text, int fileId);
    void DeleteItem(int index);
    std::wstring GetItemText(int index) const;
    void SetItemText(int index, const std::wstring& text);
    // The file id of a tab; -1 for an index out of range.
    int GetItemFileId(int index) const;
    CRect GetItemRect(int index) const;
    int GetRowCount() const;
    // The tab at a point in client coordinates; -1 when none.
    int HitTest(POINT point) const;

    void DrawItem(const DRAWITEMSTRUCT& item);
    void PlaceCloseButtons(bool redraw = false);
    int CloseButtonCount() const { return int(tabButtons_.size()); }
    const CCloseBtn& TabCloseButton(int i) const { return *tabButtons_[size_t(i)]; }
    const CCloseBtn& SingleCloseButton() const { return closeButton_; }

    // Drop target handlers (points in client coordinates).
    DWORD OnDragOver(IDataObject* data, DWORD keys, POINT point);
    void OnDragLeave();
    bool Drop(IDataObject* data, DWORD effect, POINT point);
    static UINT TabIndexFormat();

    CTipWnd& Tip() { return tip_; }

    int flags = 0;
    COLORREF textColor;
    COLORREF activeColor;
    COLORREF inactiveColor;
    COLORREF buttonColor;
    int buttonOffsetY = 0;  // 1 with buttons on the tabs
    int insertIndex = -1;   // where a dragged tab would go; -1: none
    // The tab this strip is dragging now; -1 when no drag of ours runs
    // (drops of tab indexes are taken only then).
    int dragSource = -1;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Notify(UINT code, int index);
    void PlaceButton(CCloseBtn& button, int index);
    void OnLButtonDown(WPARAM wParam, LPARAM lParam);
    void StartDrag(int index);
    void OnMouseMove(POINT point);
    void OnTipTimer();
    void SetInsertIndex(int index);

    CCloseBtn closeButton_;
    std::vector<std::unique_ptr<CCloseBtn>> tabButtons_;
    DropTargetTmpl<CFileTabCtrl> dropTarget_{this};
    CTipWnd tip_;
    POINT middleDown_{-1, -1};
    bool middleCaptured_ = false;
    POINT tipPoint_{-1, -1};
    int tipTab_ = -1;
};
