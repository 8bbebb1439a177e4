// sulki's one window: search text, file types, folder, encoding and four
// options above an embedded editing control that shows the hits; a
// double-click on a hit hands it to the editor.
#pragma once

#include <windows.h>

#include <string>

#include "editctrl/edit_ctrl.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "grep/ui/sulki_handoff.h"
#include "textengine/edit_data.h"
#include "textengine/kanjicode.h"

// The dialog's own messages.
enum SulkiDlgMessage : UINT {
    // From the search worker: lParam points to text for the result view.
    WM_SULKI_APPEND = WM_APP + 0x20,
};

// Window text of the result view, by which a second start finds the first.
inline constexpr wchar_t kSulkiWindowName[] = L"SULKI_WINDOW_NAME";

// The result view: the editing window, except that Esc, which it would
// take as a key of its own, closes the dialog as from any other field.
class CSulkiResultView : public CEditCtrl {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class CSulkiDlg : public CDialog {
public:
    CSulkiDlg();
    ~CSulkiDlg() override;

    // Before the dialog runs: the command line's arguments (without the
    // program) and the folder the editor and its settings file sit in
    // (with a trailing '\'; the program's own folder by default).
    void SetCommandLine(std::wstring arguments) { commandLine_ = std::move(arguments); }
    void SetProgramDir(std::wstring dir) { programDir_ = std::move(dir); }

    CEditCtrl& ResultView() { return resultView_; }
    CEditData& ResultData() { return resultData_; }
    int EditorProtocol() const { return editorProtocol_; }
    const SulkiSearchSpec& LastSearch() const { return lastSearch_; }

    // The search button's work, the browse button's, the search button's
    // enabling (selectedCombo: the combo whose selection just changed, its
    // selected item counting as its text).
    void Search();
    void Browse();
    void UpdateSearchButton(int selectedCombo = 0);
    // Start-up steps: the command line into the fields, the stored
    // rectangle kept on the screen.
    void ApplyCommandLine();
    void PlaceWindow();

    // Histories: keys "0"-"9" of a profile section into a combo; a text to
    // the top (once); the first ten items back to the section.
    static void LoadHistory(HWND combo, const wchar_t* section);
    static void AddHistory(HWND combo, const std::wstring& text);
    static void SaveHistory(HWND combo, const wchar_t* section);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FillEncodings();
    void LoadOptions();
    void SaveOptions();
    void CreateResultView();
    void SubclassFolderEdit();
    void SaveWindowRect();
    void LayoutResultView();
    CRect PlaceholderRect() const;
    void AppendToView(const wchar_t* text);
    void HandOffLine(int line);
    KanjiCode SelectedEncoding() const;
    void ShowAbout();

    HWND encoding_ = nullptr, text_ = nullptr, folder_ = nullptr, fileType_ = nullptr;
    std::wstring commandLine_;
    std::wstring programDir_;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    CEditData resultData_;
    CSulkiResultView resultView_;
    CFont resultFont_;
    int editorProtocol_ = kOlderEditor;
    KanjiCode encoding_code_ = KanjiCode::Detect;
    SulkiSearchSpec lastSearch_;
};

// The about box: the program's version.
class CSulkiAboutDlg : public CDialog {
public:
    CSulkiAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
