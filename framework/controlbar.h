// Dockable control bars: a bar sits in one of the frame's dock bars (rows of
// bars along the frame's edges, laid out by the frame's RecalcLayout) or
// floats in a small frame window of its own. A bar is dragged to another
// edge or to the open screen through its dock context.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cmdids.h"
#include "framework/wnd.h"

class CFrameWnd;
class CMiniDockFrameWnd;

// Which edges a bar may dock at.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

// What a dynamic layout asks of a bar.
constexpr DWORD LM_STRETCH = 0x01;
constexpr DWORD LM_HORZ = 0x02;
constexpr DWORD LM_MRUWIDTH = 0x04;
constexpr DWORD LM_HORZDOCK = 0x08;
constexpr DWORD LM_VERTDOCK = 0x10;
constexpr DWORD LM_LENGTHY = 0x20;
constexpr DWORD LM_COMMIT = 0x40;

inline bool IsDockBarId(UINT id) { return id >= AFX_IDW_DOCKBAR_TOP && id <= AFX_IDW_DOCKBAR_BOTTOM; }
inline bool IsHorizontalDock(UINT id) { return id == AFX_IDW_DOCKBAR_TOP || id == AFX_IDW_DOCKBAR_BOTTOM; }

class CControlBar;

// The bars docked at one edge of a frame: rows between null entries.
class CDockBar {
public:
    explicit CDockBar(UINT id) : id_(id) {}
    UINT GetId() const { return id_; }
    bool IsHorizontal() const { return IsHorizontalDock(id_); }
    std::vector<CControlBar*> m_arrBars;
    // Where the frame put this edge's area (frame client coordinates).
    CRect m_rect;

    // A new row of its own at the edge's inner end.
    void Insert(CControlBar* bar);
    void Remove(CControlBar* bar);
    int Find(const CControlBar* bar) const;
    // Lays the rows out from the outer edge of free inwards, taking their
    // room off free.
    void Layout(CRect& free, HDWP& batch);

private:
    UINT id_;
};

class CControlBar : public CWnd {
public:
    // Edges the bar may dock at (CBRS_ALIGN_*).
    DWORD m_dwDockStyle = 0;
    void EnableDocking(DWORD align) { m_dwDockStyle = align; }

    // Size across a dock row (stretch: the whole row) or along one.
    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horizontal);
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    // Brought up to date while the program idles.
    virtual void OnUpdateCmdUI(CFrameWnd* target) {}
    // Sizing bars share their row's length; others keep their size.
    virtual bool IsSizingBar() const { return false; }

    bool IsVisible() const;
    bool IsFloating() const { return m_pDockBar == nullptr && m_pDockSite != nullptr; }
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    CMiniDockFrameWnd* GetFloatingFrame() const { return floatFrame_; }
    // The edge the bar is docked at, else AFX_IDW_DOCKBAR_FLOAT.
    UINT GetDockBarId() const { return m_pDockBar ? m_pDockBar->GetId() : AFX_IDW_DOCKBAR_FLOAT; }
    // The edge it was docked at last (where a floating bar goes back).
    UINT GetLastDockBarId() const { return lastDockId_; }

    // Dragging the bar: started from a button press at a screen point,
    // fed the mouse while it has the capture, dropped on an edge (docked
    // there) or elsewhere (floating there).
    void StartDrag(POINT screen);
    bool IsDragging() const { return dragging_; }
    // Docked: float it where it was last floated; floating: dock it back.
    void ToggleDocking();

    CFrameWnd* m_pDockSite = nullptr;
    CDockBar* m_pDockBar = nullptr;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    friend class CFrameWnd;
    friend class CMiniDockFrameWnd;
    void DragTo(POINT screen);
    void EndDrag(bool drop, POINT screen);
    void InvertDragRect();

    CMiniDockFrameWnd* floatFrame_ = nullptr;
    UINT lastDockId_ = AFX_IDW_DOCKBAR_LEFT;
    CPoint floatPos_{100, 100};
    bool dragging_ = false;
    CPoint dragStart_;
    CPoint dragGrab_;  // the grab point's offset in the bar
    CRect dragRect_;   // the outline shown, in screen coordinates
    bool dragShown_ = false;
};

// The small frame that holds a floating bar.
class CMiniDockFrameWnd : public CWnd {
public:
    BOOL Create(CFrameWnd* dockSite, CControlBar* bar, POINT screen);
    CControlBar* GetBar() const { return bar_; }
    // The frame's size for a bar client of size client.
    static CSize FrameSizeFor(CSize client);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override { delete this; }

private:
    friend class CControlBar;
    friend class CFrameWnd;
    CFrameWnd* dockSite_ = nullptr;
    CControlBar* bar_ = nullptr;
    bool moving_ = false;  // the frame was moved, not only sized
};
