// The key-assignment dialog: commands by category from the fixed
// catalogue, the keys of the chosen command, and a key field that takes the
// next key pressed as its text. It edits only its own copy of the bindings;
// the caller installs that copy after OK.
#pragma once

#include <windows.h>

#include <string>

#include "app/accel_table.h"
#include "framework/dialog.h"

// A command's name and description, from the two parts of its prompt.
std::wstring GetCommandName(UINT command);
std::wstring GetCommandDescription(UINT command);

class CAcceleratorDlg : public CDialog {
public:
    CAcceleratorDlg();
    // The working copy: filled by the caller, edited by the dialog.
    CAcceleratorTable m_table;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK KeyEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND Categories() const { return GetDlgItem(IDC_CATEGORIES); }
    HWND Commands() const { return GetDlgItem(IDC_COMMANDS); }
    HWND Keys() const { return GetDlgItem(IDC_KEYS); }
    void FillCategories();
    void FillCommands();
    void FillKeys();
    void RefreshKeyColumn();
    void UpdateButtons();
    void UpdateInformation();
    // The chosen command, or 0.
    WORD SelectedCommand() const;
    std::wstring KeyFieldText() const;
    void OnAssign();
    void OnRemove();
    void OnDefaults();

    static constexpr int IDC_CATEGORIES = 2082;
    static constexpr int IDC_COMMANDS = 2083;
    static constexpr int IDC_KEYS = 2084;
};
