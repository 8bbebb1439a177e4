// What the find, replace and filter dialogs share: the view's request, the
// search text combo with its history and option checks, the fixed height,
// widening with the buttons kept at the right edge, centring when shown,
// and the search-text history's load and save. Each dialog adds its own
// controls, button rules and actions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "view/core/search_condition.h"
#include "view/core/search_history.h"

class CIniProfile;

// What the view hands a dialog when it opens it.
struct SearchDlgRequest {
    bool initialise = false;  // take up the condition
    HWND owner = nullptr;
    UINT findMessage = 0;
    CSearchCondition* condition = nullptr;
};

// The histories the three dialogs share, and the store they live in.
struct SearchHistories {
    explicit SearchHistories(CIniProfile& store) : profile(store) {}
    CIniProfile& profile;
    CSearchHistory search{kSearchTextSection, true};
    CSearchHistory replace{kReplaceTextSection, false};
};

class CSearchDlgBase : public CDialog {
public:
    CSearchDlgBase(UINT templateId, SearchHistories& histories) : CDialog(templateId), histories_(histories) {}

    void SetRequest(const SearchDlgRequest& request) { request_ = request; }
    // Takes up the condition, the histories and the remembered width as
    // the request says.
    void InitFromCondition();
    // The combo rule: an existing entry is selected, a new non-empty text
    // goes on top; then the search box gets the focus.
    void PutSearchText(const std::u16string& text);
    void FocusSearchText();
    int FixedHeight() const { return fixedHeight_; }

    // The combo text exchange: the read and write rules.
    static std::u16string ComboItemText(HWND combo, int index);
    // The selected item's text (which may hold a line break the edit field
    // can't show), else the edit field's; typing drops the selection.
    static std::u16string ReadComboText(HWND combo);
    static void WriteComboText(HWND combo, const std::u16string& text);
    static void LoadCombo(HWND combo, const CSearchHistory& history);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

    // The dialog's own part of initialising, after the search text and
    // checks are settled (textWasEmpty: the condition gave no text).
    virtual void InitOwnControls(bool textWasEmpty) {}
    virtual void ApplyButtonRules() = 0;
    // Resizable dialogs: their minimum width and the section of DLG_WIDTH.
    virtual int MinWidth() const { return 0; }
    virtual const char16_t* WidthSection() const { return nullptr; }
    // The search dialog takes the newest entry's options on every opening.
    virtual bool ChecksAlwaysFromHistory() const { return false; }
    // A command of the dialog's own; true when handled.
    virtual bool OnOwnCommand(int id, int code) { return false; }

    HWND Item(int id) const { return GetDlgItem(id); }
    void EnableItem(int id, bool on) { ::EnableWindow(GetDlgItem(id), on ? TRUE : FALSE); }
    // The search box's text as it stands now.
    std::u16string SearchBoxText() const;
    // Reads the search text and the checks into the members.
    void ReadControls();
    void WriteChecks();
    SearchOptions Options() const { return {regex_, matchCase_, widthSensitive_}; }
    // Reads the controls and puts the text, the options and direction into
    // the condition; null when there is no text to search (or no condition).
    CSearchCondition* TakeCondition(int direction);
    // The owner is gone: the dialog hides, and false.
    bool OwnerAlive();
    LRESULT SendToOwner(UINT msg) const;
    // Saves the search text with its options and shows the history again.
    void SaveSearchHistory();

    SearchHistories& histories_;
    SearchDlgRequest request_;
    std::u16string text_;
    int matchCase_ = 0, regex_ = 0, widthSensitive_ = 0;

private:
    void ChooseHistoryEntry();
    void RecordAnchors();
    void PlaceAnchored();
    void CentreOverOwner();

    int fixedHeight_ = 0;
    struct Anchor {
        int id;
        int fromRight;  // left edge's distance from the client's right edge
    };
    std::vector<Anchor> buttons_;
    std::vector<int> combos_;
};
