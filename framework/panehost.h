// A window that lays out scrolling panes in rows and columns and lends them
// shared scroll bars. A pane is a child of a pane view whose parent is the
// host; the pane view answers GetScrollBarCtrl with the shared bars.
#pragma once

#include <windows.h>

class CPaneHost {
public:
    // WS_VSCROLL / WS_HSCROLL: which shared bars the host shows.
    virtual DWORD GetScrollStyle() const = 0;
    virtual void SetScrollStyle(DWORD style) = 0;
    virtual int GetRowCount() const = 0;
    virtual int GetColumnCount() const = 0;
    virtual void RecalcLayout() = 0;

protected:
    ~CPaneHost() = default;
};
