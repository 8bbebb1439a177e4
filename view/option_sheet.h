// The options sheet: four pages over one working copy of the settings
// record. The options command fills the copy before the sheet runs and
// takes it back after OK (TakeOptionValues); Cancel leaves it unused.
#pragma once

#include <windows.h>

#include "app/app_context.h"
#include "app/profile/app_settings.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/syntax/strtoken.h"
#include "framework/gdi.h"
#include "framework/property_sheet.h"
#include "textengine/edit_data.h"
#include "view/core/option_values.h"

// What the pages share: the controls of the binding table exchanged with
// the working copy (numbers checked against the settings' ranges when the
// page is left or OK is pressed), and the colour swatches.
class COptionPage : public CPropertyPage {
public:
    COptionPage(UINT templateId, OptionPage page, CAppSettings& values);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A check box or a number field changed (not during the page's own
    // filling of its controls).
    virtual void OnControlChanged(int id) {}
    // A swatch's colour changed.
    virtual void OnColourChanged(int id) {}
    // The colour a swatch shows; null for a control that is no swatch.
    uint32_t* SwatchColour(int id);
    // The values as the controls show them now, without a box for a
    // number being typed: what cannot be read yet keeps its value.
    CAppSettings PeekValues() const;

    CAppSettings& values_;
    const OptionPage page_;
};

class CEditorOptionPage : public COptionPage {
public:
    // The preview shows the text in font (when it is made).
    CEditorOptionPage(CAppSettings& values, const CFont& font);
    CEditCtrl& Preview() { return preview_; }
    CEditData& PreviewData() { return previewData_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnControlChanged(int id) override;
    void OnColourChanged(int id) override;

private:
    void SetUpLanguage();
    void CreatePreview();
    void ApplyToPreview();

    CStrToken language_;
    CEditData previewData_;
    const CFont& font_;
    CEditCtrl preview_;
    CAppSettings shown_;  // what the preview shows
};

class CEditorOptionPage2 : public COptionPage {
public:
    explicit CEditorOptionPage2(CAppSettings& values);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnControlChanged(int id) override;

private:
    void UpdateEnabled();
};

class CSetupPage : public COptionPage {
public:
    // modes: the edit-mode list the default mode is chosen from (may be null).
    CSetupPage(CAppSettings& values, const CEditModeTable* modes);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void BrowseFolder();
    void BrowseProgram(int editId);

    const CEditModeTable* modes_;
};

class CSetupPage2 : public COptionPage {
public:
    explicit CSetupPage2(CAppSettings& values);

protected:
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class COptionSheet : public CPropertySheet {
public:
    // The pages edit a copy of the context's settings; the editor page's
    // preview shows its font, the setup page lists its edit modes.
    COptionSheet(HWND parent, const CAppContext& context);
    INT_PTR DoModal() override;

    CAppSettings m_values;  // the working copy the pages edit
    CEditorOptionPage m_editorPage;
    CEditorOptionPage2 m_editPage;
    CSetupPage m_setupPage;
    CSetupPage2 m_setupPage2;
};
