// The colour picker: a modeless dialog with the 64-colour grid, the chosen
// colour shown and written as text ("#rrggbb" or "RGB(…)"), the platform's
// colour dialog for the selected cell, and an eyedropper that takes the
// colour of any pixel on the screen. "挿入" sends the text to the opener;
// closing keeps the colours and the format in [COLORDIALOG].
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "view/color_grid_wnd.h"

class CIniProfile;

class CSelectColorDlg : public CDialog {
public:
    explicit CSelectColorDlg(CIniProfile& profile) : m_profile(profile) {}

    // Shows the picker for opener, which gets message with the colour text
    // (wParam: the text, valid during the send). The window is made on the
    // first call; the colours are read from the settings when the picker
    // is not showing already, so changes not yet kept are not lost.
    bool Open(HWND owner, HWND opener, UINT message);

    CColorGridWnd& Grid() { return m_grid; }
    COLORREF CurrentColor() const { return m_current; }
    const CString& ColorText() const { return m_text; }
    int Format() const { return m_format; }
    bool IsEyedropperOn() const { return m_eyedropper; }
    // Where the eyedropper is picked up and where the colour shows, in
    // client coordinates.
    RECT EyedropperRect() const;
    RECT ResultRect() const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    void SetUp(bool load);
    // The colour shown and written; the grid stays as it is.
    void ShowColor(COLORREF color);
    void ChooseWithColorDialog();
    void Paint(HDC dc);
    void StartEyedropper();
    // Ends the eyedropper: with keep the pixel's colour goes to the
    // selected cell, else the colour shown before it started comes back.
    void EndEyedropper(bool keep);
    void TakeScreenPixel();

    CIniProfile& m_profile;
    CColorGridWnd m_grid;
    CString m_text;
    int m_format = 0;
    COLORREF m_current = 0;
    HWND m_opener = nullptr;
    UINT m_message = 0;
    bool m_eyedropper = false;
    COLORREF m_beforeEyedropper = 0;
};
