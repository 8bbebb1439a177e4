// The frame's control bars: a toolbar at the top and a status bar at the
// bottom, both common controls wrapped as CWnd objects.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/wnd.h"

class CCmdTarget;

class CStatusBar : public CWnd {
public:
    BOOL Create(HWND parent, UINT id = 0xE801);
    // Pane ids in order; ID_SEPARATOR (0) is the stretching message pane.
    // Other panes take the width of their indicator text (a string
    // resource of the same id) unless SetPaneWidth says otherwise.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(panes_.size()); }
    UINT GetItemID(int index) const { return panes_[static_cast<size_t>(index)].id; }
    int CommandToIndex(UINT id) const;
    void SetPaneWidth(int index, int width);
    // Widens the pane (never narrows it) so that each text fits in the bar's font.
    void FitPaneToTexts(int index, const std::vector<std::wstring>& texts);
    void SetPaneText(int index, const wchar_t* text);
    CString GetPaneText(int index) const;
    // An indicator pane shows its text only while enabled.
    void SetPaneEnabled(int index, bool on);
    // The message pane's text.
    void SetMessageText(const wchar_t* text) { SetPaneText(0, text); }
    // Updates every pane but the message pane through target.
    void UpdatePanes(CCmdTarget* target);
    // Re-places the parts after the bar was sized.
    void RecalcParts();

private:
    struct Pane {
        UINT id;
        int width;
        CString indicator;  // the text an enabled indicator shows
        CString text;
    };
    std::vector<Pane> panes_;
};

class CToolBar : public CWnd {
public:
    // A flat toolbar; buttons from LoadToolBar.
    BOOL Create(HWND parent, UINT id = 0xE800, DWORD extraStyle = TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);
    // A toolbar resource (type 241: version, image width, height, count,
    // then command ids, 0 for a separator) with the bitmap of the same id.
    BOOL LoadToolBar(UINT resourceId);
    // Buttons showing the system's standard images: one standard image
    // index per command, -1 for a separator.
    BOOL SetStandardButtons(const UINT* ids, const int* images, int count);
    int GetButtonCount() const;
    // Updates every button's state through target.
    void UpdateButtons(CCmdTarget* target);
    int Height() const;
};
