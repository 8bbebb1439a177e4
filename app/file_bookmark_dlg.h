// The favourites: a list of files kept in [BOOKMARK] of the settings, with
// buttons to add, remove and reorder them; the chosen ones are opened.
#pragma once

#include <string>
#include <vector>

#include "framework/dialog.h"

class CIniProfile;

class CFileBookMarkDlg : public CDialog {
public:
    explicit CFileBookMarkDlg(CIniProfile& profile);

    // Several rows may be chosen at once (the favourites command sets it).
    bool m_multiSelect = false;
    // Filled by "ファイルを開く": folder\name of every chosen row in list order.
    std::vector<std::wstring> m_paths;

    // The rows as (name, folder), top to bottom.
    std::vector<std::pair<std::wstring, std::wstring>> Rows() const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND List() const { return GetDlgItem(1221); }
    void Load();
    void Save();
    void AddRow(const std::wstring& name, const std::wstring& folder);
    void UpdateButtons();
    void OnAdd();
    void OnDelete();
    void OnMove(int step);
    std::wstring CellText(int row, int column) const;

    CIniProfile& profile_;
    bool modified_ = false;
};
