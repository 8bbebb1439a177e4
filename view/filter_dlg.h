// The modeless filter dialog: finds its text, or keeps only (or deletes)
// the lines that match, in the selected lines or the whole text.
#pragma once

#include "view/search_dlg_common.h"

class CFilterDlg : public CSearchDlgBase {
public:
    explicit CFilterDlg(SearchHistories& histories);
    void SetRunMessage(UINT msg) { runMessage_ = msg; }

    // The conditions of the list, in its order.
    enum Action { kKeepMatching = 0, kDeleteMatching = 1 };

protected:
    BOOL OnInitDialog() override;
    void InitOwnControls(bool textWasEmpty) override;
    void ApplyButtonRules() override;
    bool OnOwnCommand(int id, int code) override;

private:
    void Find();
    void Run();
    UINT runMessage_ = 0;
};
