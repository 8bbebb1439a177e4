// The editor's print dialog: the printer (with its driver's properties),
// margins, what to print besides the text, the font, and whether only the
// selection is printed. It shows how many rows and characters a page holds
// with these settings, keeps them in [PRINT] of the settings store, and
// remembers the chosen printer and its driver settings for the rest of the
// run. After OK it owns the printer's device context the command prints on.
#pragma once

#include <windows.h>

#include "app/app_context.h"
#include "framework/dialog.h"
#include "framework/fwstring.h"
#include "textengine/edit_disp_data.h"
#include "view/printer_access.h"

class CIniProfile;

class CPrintDlg : public CDialog {
public:
    // memory: the printer of the last OK, offered first and set by this OK.
    CPrintDlg(CIniProfile& profile, PrinterMemory& memory);
    ~CPrintDlg() override;

    CString m_printerName;
    int m_spaceTop = 20;
    int m_spaceBottom = 15;
    int m_spaceLeft = 15;
    int m_spaceRight = 15;
    int m_pageNumber = 0;
    int m_title = 1;
    int m_lineNumber = 0;
    int m_date = 0;
    int m_selectionOnly = 0;
    CString m_infoText;
    CString m_pointText;
    CString m_fontFace;
    int m_fontSize = 110;  // tenths of a point
    // Given by the caller.
    int m_digits = 2;
    WrapMode m_wrapMode = WrapMode::None;
    int m_wrapColumn = 80;

    // The selected printer's device context; null when there is none.
    HDC PrinterDC() const { return dc_; }
    // Rows of that many characters in the dialog's wrap mode, else -1.
    int WrapColumn() const { return m_wrapMode == WrapMode::FixedColumns ? m_wrapColumn : -1; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // Fetches the selected printer's record (with the remembered driver
    // settings when asked and they are its own) and makes its device
    // context; false after telling the user what failed.
    bool OpenPrinter(bool withRememberedSettings);
    void ReleasePrinter();
    void OnPrinterChanged();
    void OnProperties();
    void OnFont();
    void ClampMargins();
    void UpdateInfoText();
    void UpdateButtons();
    void ReportError(DWORD error);
    int MarginFromEdit(int id, int fallback) const;

    CIniProfile& profile_;
    PrinterMemory& memory_;
    CPrinterInfo info_;
    HDC dc_ = nullptr;
};
