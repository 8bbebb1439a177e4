// A dockable bar whose inner edges the user drags to resize it. The sizing
// bars of a dock row share its length; each keeps a size for horizontal
// rows, one for vertical rows and one for floating, stored in the profile
// between runs. Docked, it shows a gripper with a close button.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/barcore/sizing_sizes.h"
#include "framework/controlbar.h"

// Sizing-bar style bits: the edges that can be dragged now, edges drawn
// inset, no close button, no dragging the bar by its client area.
constexpr DWORD SCBS_EDGELEFT = 0x01;
constexpr DWORD SCBS_EDGERIGHT = 0x02;
constexpr DWORD SCBS_EDGETOP = 0x04;
constexpr DWORD SCBS_EDGEBOTTOM = 0x08;
constexpr DWORD SCBS_EDGEALL = 0x0F;
constexpr DWORD SCBS_SHOWEDGES = 0x10;
constexpr DWORD SCBS_NOCLOSE = 0x40;
constexpr DWORD SCBS_NODRAG = 0x80;

class CSizingControlBar : public CControlBar {
public:
    CSizingControlBar();
    ~CSizingControlBar() override;

    // Every live sizing bar, in the order their windows were made.
    static const std::vector<CSizingControlBar*>& AllBars();

    // style: window style bits; bit 22 of it and the low 16 bits are kept
    // as the bar's own style.
    virtual BOOL Create(const wchar_t* title, CWnd* parent, CSize size, BOOL hasGripper, UINT id,
                        DWORD style = WS_CHILD | WS_VISIBLE);
    // The six sizes in the section "<profileName>-SCBar-<id>".
    virtual void LoadState(const wchar_t* profileName);
    virtual void SaveState(const wchar_t* profileName);

    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd* target) override;
    bool IsSizingBar() const override { return true; }

    SizingBarSizes& Sizes() { return sizes_; }
    bool IsHorzDocked() const { return IsHorizontalDock(dockBarId_); }
    bool IsVertDocked() const { return dockBarId_ == AFX_IDW_DOCKBAR_LEFT || dockBarId_ == AFX_IDW_DOCKBAR_RIGHT; }
    DWORD GetSCBStyle() const { return scbStyle_; }
    bool IsTracking() const { return tracking_; }
    // The close button in window coordinates (empty without one).
    CRect GetCloseButtonRect() const { return closeRect_; }
    bool IsClosePushed() const { return closePushed_; }
    bool IsCloseHot() const { return closeHot_; }
    // The system's full-window drag setting, re-read on a settings change.
    void ReadDragFullWindows();

protected:
    virtual void OnTrackBegin(UINT hit);
    virtual void OnTrackEnd();
    virtual void OnTrackUpdateSize(POINT screen);
    virtual void OnTrackInvertTracker();
    virtual void NcPaintGripper(HDC dc, const CRect& client);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;

    SizingBarSizes sizes_;
    int edgeWidth_ = 5;
    int gripperWidth_ = 0;

private:
    // Row neighbours in the dock bar: the sizing bars of this bar's row.
    std::vector<CSizingControlBar*> RowSizingBars() const;
    void NegotiateRow(bool horizontal);
    void CalcNcRects(CRect& window, bool computeEdges);
    UINT NcHitTest(POINT screen) const;
    void NcPaint();
    CRect EdgeRect(DWORD edge) const;  // window coordinates
    CRect TrackerRect() const;         // frame client coordinates

    DWORD scbStyle_ = 0;
    UINT dockBarId_ = 0;
    bool rowNeedsNegotiation_ = false;
    bool keepSize_ = false;
    bool dragFullWindows_ = true;
    CRect closeRect_;
    bool closePushed_ = false;
    bool closeHot_ = false;
    bool tracking_ = false;
    UINT trackHit_ = 0;
    int trackStartSize_ = 0;
    CPoint trackStart_;
    int trackMin_ = 0, trackMax_ = 0;
    CSizingControlBar* trackNeighbour_ = nullptr;
    int neighbourStartSize_ = 0;
};
