// The view's side of the file tabs: the strip kept in step with the
// document's files (one tab per file, its id as item data), what the
// strip's notifications ask for, and the tab commands: switch, move, sort,
// close one or several (with one question for the rest), save all.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/geometry.h"
#include "view/close_btn.h"
#include "view/file_tab_ctrl.h"

class CCmdUI;
class CCmdTarget;
class CPavinView;
class CPavinDoc;

// The tab text of a path: its file name, or with withParent the parent
// folder and file name; a path without a backslash after its first
// character is its own title.
std::wstring TabTitleOf(const std::wstring& path, bool withParent);

class CViewTabs {
public:
    static constexpr int kCloseButtonWidth = 20;

    explicit CViewTabs(CPavinView& view) : view_(view) {}

    // The strip and the view's close button, in the view's WM_CREATE.
    bool Create();
    // Places the strip and the view's close button; returns the strip
    // height, where the editor starts.
    int Layout(const CRect& client);
    int StripHeight() const { return height_; }
    // Colours and flags from the settings (re-measures the strip when the
    // flags change); the tab font.
    void ApplySettings();
    void ApplyFont();

    // The document's hints that concern the tabs.
    void OnUpdate(LPARAM hint, CCmdTarget* hintObject);
    // Messages of the view that belong to the tab row: the strip's
    // notifications and drawing, the view's close button, the context menu
    // and double-click on the tab row, the row's background.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool RunCommand(UINT id, CCmdUI* ui);

    void SelectTabOf(int fileId);
    void ActivateTab(int index);
    void MoveTab(int from, int to);
    void SortTabs();
    void CloseTab(int index);
    enum class Side { Left, Right, Others };
    void CloseSeveral(Side side);
    void SaveAll();
    void UpdateTitles();

    CFileTabCtrl& Strip() { return strip_; }
    CCloseBtn& CloseButton() { return closeButton_; }
    // The file ids in tab order.
    std::vector<int> FileIds() const;

private:
    CPavinDoc* Doc() const;
    std::wstring PathOf(int fileId) const;
    std::wstring TitleOfTab(int index) const;
    int IndexOf(int fileId) const;
    void UpdateCloseButtonState();
    void OnNotify(NMHDR& hdr);
    bool OnContextMenu(HWND from, CPoint screen);
    void Paint();

    CPavinView& view_;
    CFileTabCtrl strip_;
    CCloseBtn closeButton_;
    int height_ = 0;
};
