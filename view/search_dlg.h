// The modeless find dialog: searches forward or backward for the text of
// its combo box with its options, and may close itself once found.
#pragma once

#include "view/search_dlg_common.h"

class CSearchDlg : public CSearchDlgBase {
public:
    explicit CSearchDlg(SearchHistories& histories);
    // SEARCH_DLG_CLOSE_AT_FOUND: hide after a search that found.
    void SetCloseWhenFound(bool on) { closeWhenFound_ = on; }

protected:
    void ApplyButtonRules() override;
    int MinWidth() const override { return 450; }
    const char16_t* WidthSection() const override { return u"SEARCH_DLG"; }
    bool ChecksAlwaysFromHistory() const override { return true; }
    bool OnOwnCommand(int id, int code) override;

private:
    void Find(int direction);
    bool closeWhenFound_ = false;
};
