// Dialog windows from templates (a resource id or a template in memory),
// modal and modeless, and property-sheet pages.
//
// A template dialog is created by the system, not by CWnd::CreateEx, so it
// binds through its dialog procedure: the first message that procedure sees
// (WM_NCCREATE, WM_SETFONT or WM_INITDIALOG, whichever the system sends
// first) attaches the object being created and routes the window through
// CWnd's procedure from then on, so handlers see ordinary messages and
// results. A property-sheet page, created by the sheet, binds at
// WM_INITDIALOG from the page record that names its object.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId) : templateId_(templateId) {}

    // Modeless creation from the dialog's own template, a resource id or a
    // template in memory. The window is visible when the template says so.
    using CWnd::Create;
    BOOL Create(UINT templateId, HWND parent);
    BOOL CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent);
    // Runs the dialog modally; IDOK/IDCANCEL or what EndDialog gave, -1 when
    // the dialog could not be created.
    INT_PTR DoModal(HWND parent = nullptr);
    void SetTemplate(UINT templateId) { templateId_ = templateId, indirect_ = nullptr; }
    void SetTemplate(const DLGTEMPLATE* dialogTemplate) { indirect_ = dialogTemplate; }

    // Modal: ends the loop with the result. Modeless: hides the dialog.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }
    // Dialog navigation (Tab, Enter, Esc, mnemonics) of a modeless dialog.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Moves values between the controls and the members DoDataExchange
    // names; false when a value does not validate (the control has the focus).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    CString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }

protected:
    // Fills the controls (UpdateData(FALSE)); TRUE lets the system set focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx) {}
    // The IDOK and IDCANCEL commands: validate and end / end.
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND; true when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Attaches the object to its dialog window and makes CWnd's procedure
    // the window's, keeping the dialog class's for the default processing.
    static void Bind(HWND hwnd, CDialog* dialog);
    static INT_PTR BindAndDispatch(HWND hwnd, CDialog* dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    UINT templateId_ = 0;
    const DLGTEMPLATE* indirect_ = nullptr;
    bool modal_ = false;
    INT_PTR result_ = 0;
};

class CPropertySheet;

// One page of a property sheet; the sheet creates its window when the page
// is first shown.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId), templateId_(templateId) {}
    explicit CPropertyPage(const DLGTEMPLATE* dialogTemplate) : dialogTemplate_(dialogTemplate) {}
    // The page record to hand to the sheet; binds this object when the
    // sheet creates the page.
    PROPSHEETPAGEW MakePage();
    // The sheet the page was added to, or null.
    CPropertySheet* GetSheet() const { return sheet_; }

    // The sheet's notifications. Leaving the page (another page chosen, or
    // OK) validates it: false keeps it. OK applies every page that was
    // shown: false keeps the sheet open on this page.
    virtual BOOL OnSetActive() { return TRUE; }
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    virtual BOOL OnApply() {
        OnOK();
        return TRUE;
    }
    virtual void OnReset() {}

protected:
    // Ending is the sheet's: a page's OK and Cancel only take its values.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    UINT templateId_ = 0;
    const DLGTEMPLATE* dialogTemplate_ = nullptr;
    CPropertySheet* sheet_ = nullptr;
};

// Direction and target of one data exchange.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    // Set when a value did not validate: the exchange stops there.
    bool failed = false;
    // Marks the control that failed and gives it the focus.
    void Fail(int id);
};

// Exchanges for the control kinds the dialogs use. A failed exchange leaves
// the member as it was.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// An integer in an edit box; text that is not one is refused with a box.
void DDX_Text(CDataExchange* dx, int id, int& value);
// After DDX_Text of an integer: a value outside min..max is refused with a
// box naming the range.
void DDV_MinMaxInt(CDataExchange* dx, int id, int value, int min, int max);
void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked button in the group that starts at id (-1: none).
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// The edit text of a combo box.
void DDX_CBString(CDataExchange* dx, int id, CString& value);

inline bool IsDialogWindow(HWND hwnd) {
    if (!hwnd) return false;
    if (WndCast<CDialog>(hwnd)) return true;
    wchar_t name[16] = {};
    return ::GetClassNameW(hwnd, name, 16) && wcscmp(name, L"#32770") == 0;
}
