// A modal property sheet over the system's, holding CPropertyPage objects.
// The sheet window is routed through the object while it runs, so a test
// can answer it through the modal-dialog seam like any dialog of ours.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/dialog.h"

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const wchar_t* caption, HWND parent = nullptr, UINT firstPage = 0);

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const { return pages_[static_cast<size_t>(index)]; }
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    BOOL SetActivePage(int index);
    // Presses OK or Cancel as a person would (the pages validate).
    void PressButton(int button);

    // Runs the sheet; IDOK when it closed with OK (every page applied),
    // IDCANCEL otherwise, -1 when it could not be shown. The header's
    // flags may be added to before (PSH_NOAPPLYNOW).
    virtual INT_PTR DoModal();
    PROPSHEETHEADERW m_psh{};

private:
    friend class CPropertyPage;
    void PageApplied(bool applied) { applied_ = applied_ && applied, anyApplied_ = true; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lParam);

    std::wstring caption_;
    std::vector<CPropertyPage*> pages_;
    bool applied_ = true;
    bool anyApplied_ = false;
};
