// Template dialogs and property-sheet pages bind their objects before their
// first handler runs, run modal and modeless, and exchange control values.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/dialog.h"
#include "framework/seams.h"
#include "tests/framework/dialog_template.h"
#include "tests/framework/window_test_support.h"

namespace {

using wtest::DialogTemplate;

const UINT WM_TEST_PING = WM_APP + 1;
enum { IDC_NAME = 100, IDC_COUNT = 101, IDC_CHECK = 102, IDC_RADIO1 = 103, IDC_RADIO2 = 104, IDC_COMBO = 105 };

DialogTemplate FormTemplate(DWORD style) {
    DialogTemplate t(style | DS_MODALFRAME | WS_POPUP | WS_CAPTION, 200, 120, L"設定");
    t.Item(ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 5, 5, 100, 12, IDC_NAME, DialogTemplate::kEdit)
        .Item(ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 5, 20, 50, 12, IDC_COUNT, DialogTemplate::kEdit)
        .Item(BS_AUTOCHECKBOX | WS_TABSTOP, 5, 35, 80, 10, IDC_CHECK, DialogTemplate::kButton, L"折り返す")
        .Item(BS_AUTORADIOBUTTON | WS_GROUP, 5, 50, 60, 10, IDC_RADIO1, DialogTemplate::kButton, L"前")
        .Item(BS_AUTORADIOBUTTON, 70, 50, 60, 10, IDC_RADIO2, DialogTemplate::kButton, L"後")
        .Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP, 5, 65, 80, 60, IDC_COMBO, DialogTemplate::kComboBox)
        .Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 5, 50, 14, IDOK, DialogTemplate::kButton, L"OK");
    return t;
}

class FormDialog : public CDialog {
public:
    CString name = L"既定";
    int count = 3, check = 1, radio = 1, combo = 2;
    HWND hwndAtInit = nullptr;
    CWnd* foundAtInit = nullptr;
    UINT firstMessage = 0;
    // Typed and posted at WM_INITDIALOG, so a modal loop ends on its own.
    const wchar_t* typedAtInit = nullptr;
    const wchar_t* typedCountAtInit = nullptr;
    std::vector<WPARAM> commandsAtInit;

protected:
    BOOL OnInitDialog() override {
        hwndAtInit = m_hWnd;
        foundAtInit = CWnd::FromHandle(m_hWnd);
        HWND combo = GetDlgItem(IDC_COMBO);
        for (const wchar_t* s : {L"一", L"二", L"三"}) ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        BOOL result = CDialog::OnInitDialog();
        if (typedAtInit) SetDlgItemText(IDC_NAME, typedAtInit);
        if (typedCountAtInit) SetDlgItemText(IDC_COUNT, typedCountAtInit);
        for (WPARAM c : commandsAtInit) PostMessage(WM_COMMAND, c);
        return result;
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_NAME, name);
        DDX_Text(dx, IDC_COUNT, count);
        DDX_Check(dx, IDC_CHECK, check);
        DDX_Radio(dx, IDC_RADIO1, radio);
        DDX_CBIndex(dx, IDC_COMBO, combo);
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (!firstMessage) firstMessage = msg;
        if (msg == WM_TEST_PING) return wParam + 1;
        return CDialog::WindowProc(msg, wParam, lParam);
    }
};

TEST(Dialog, ModelessDialogIsBoundFromItsFirstMessageAndFillsItsControls) {
    DialogTemplate t = FormTemplate(0);
    FormDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), wtest::SharedHost()));
    EXPECT_EQ(dlg.hwndAtInit, dlg.m_hWnd);
    EXPECT_EQ(dlg.foundAtInit, &dlg);
    EXPECT_NE(dlg.firstMessage, 0u);
    EXPECT_EQ(dlg.SendMessage(WM_TEST_PING, 9), 10);
    EXPECT_TRUE(IsDialogWindow(dlg));

    EXPECT_EQ(dlg.GetDlgItemText(IDC_NAME), CString(L"既定"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COUNT), CString(L"3"));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHECK), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO1), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO2), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(::SendMessageW(dlg.GetDlgItem(IDC_COMBO), CB_GETCURSEL, 0, 0), 2);

    // Changed controls are read back.
    dlg.SetDlgItemText(IDC_NAME, L"変更");
    dlg.SetDlgItemText(IDC_COUNT, L" -12 ");
    dlg.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
    dlg.CheckDlgButton(IDC_RADIO2, BST_UNCHECKED);
    dlg.CheckDlgButton(IDC_RADIO1, BST_CHECKED);
    ::SendMessageW(dlg.GetDlgItem(IDC_COMBO), CB_SETCURSEL, 0, 0);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.name, CString(L"変更"));
    EXPECT_EQ(dlg.count, -12);
    EXPECT_EQ(dlg.check, 0);
    EXPECT_EQ(dlg.radio, 0);
    EXPECT_EQ(dlg.combo, 0);

    HWND hwnd = dlg.m_hWnd;
    ASSERT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Dialog, NumberFieldRefusesWhatIsNotAnInteger) {
    DialogTemplate t = FormTemplate(0);
    FormDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), wtest::SharedHost()));
    std::vector<std::wstring> boxes;
    auto previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        boxes.push_back(r.text);
        return IDOK;
    });
    for (const wchar_t* bad : {L"", L"12a", L"99999999999", L"--1"}) {
        dlg.SetDlgItemText(IDC_COUNT, bad);
        dlg.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
        EXPECT_FALSE(dlg.UpdateData(TRUE)) << static_cast<const void*>(bad);
        EXPECT_EQ(dlg.count, 3);
        EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(IDC_COUNT));
        // Members after the refused one keep their values.
        EXPECT_EQ(dlg.check, 1);
    }
    EXPECT_EQ(boxes.size(), 4u);
    SetMessageBoxHandler(previous);
    dlg.DestroyWindow();
}

TEST(Dialog, ModalDialogEndsWithItsCommandAndReadsItsValues) {
    DialogTemplate t = FormTemplate(0);
    struct Case {
        std::vector<WPARAM> commands;
        const wchar_t* typedCount;
        INT_PTR result;
        const wchar_t* nameAfter;
        int boxes;
    } cases[] = {
        {{IDOK}, nullptr, IDOK, L"入力", 0},
        {{IDCANCEL}, nullptr, IDCANCEL, L"既定", 0},
        // A refused value keeps the dialog open until the user cancels.
        {{IDOK, IDCANCEL}, L"x", IDCANCEL, L"入力", 1},
    };
    int boxes = 0;
    auto previous = SetMessageBoxHandler([&](const MessageBoxRequest&) { return ++boxes, IDOK; });
    for (const Case& c : cases) {
        boxes = 0;
        FormDialog dlg;
        dlg.SetTemplate(t.Get());
        dlg.typedAtInit = L"入力";
        dlg.typedCountAtInit = c.typedCount;
        dlg.commandsAtInit = c.commands;
        EXPECT_EQ(dlg.DoModal(wtest::SharedHost()), c.result);
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        EXPECT_EQ(dlg.foundAtInit, &dlg);
        EXPECT_EQ(dlg.name, CString(c.nameAfter));
    }
    SetMessageBoxHandler(previous);
}

class Page : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    CWnd* foundAtInit = nullptr;
    CString name = L"頁";

protected:
    BOOL OnInitDialog() override {
        foundAtInit = CWnd::FromHandle(m_hWnd);
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_NAME, name); }
};

TEST(Dialog, PropertySheetPageIsBoundAtItsInitialisation) {
    DialogTemplate t(WS_CHILD | WS_CAPTION | DS_CONTROL, 150, 60, L"編集");
    t.Item(WS_BORDER, 5, 5, 100, 12, IDC_NAME, DialogTemplate::kEdit);
    Page page(t.Get());
    PROPSHEETPAGEW record = page.MakePage();
    HPROPSHEETPAGE pages[] = {::CreatePropertySheetPageW(&record)};
    ASSERT_NE(pages[0], nullptr);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.hwndParent = wtest::SharedHost();
    header.pszCaption = L"オプション";
    header.nPages = 1;
    header.phpage = pages;
    HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(page.m_hWnd, nullptr);
    EXPECT_EQ(page.foundAtInit, &page);
    EXPECT_EQ(::GetParent(page.m_hWnd), sheet);
    EXPECT_EQ(page.GetDlgItemText(IDC_NAME), CString(L"頁"));
    ::DestroyWindow(sheet);
    EXPECT_EQ(page.m_hWnd, nullptr);
}

}  // namespace
