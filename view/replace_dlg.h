// The modeless replace dialog: finds, replaces one match and finds the
// next, or replaces all in the whole text or the selection; keeps a
// history of replacement texts beside the search texts.
#pragma once

#include "view/search_dlg_common.h"

class CReplaceDlg : public CSearchDlgBase {
public:
    explicit CReplaceDlg(SearchHistories& histories);
    void SetReplaceMessage(UINT msg) { replaceMessage_ = msg; }
    // The selection range may not be chosen.
    void SetRangeFixed(bool on) { rangeFixed_ = on; }

protected:
    void InitOwnControls(bool textWasEmpty) override;
    void ApplyButtonRules() override;
    int MinWidth() const override { return 550; }
    const char16_t* WidthSection() const override { return u"REPLACE_DLG"; }
    bool OnOwnCommand(int id, int code) override;

private:
    enum Range { kSelection = 0, kWhole = 1 };
    int RangeNow() const;
    // Fills the condition from the controls; false when there is no text
    // to search.
    bool TakeReplaceCondition(int direction, bool replaceAll);
    void Find(int direction);
    void Replace(bool all);
    void AfterAction();

    UINT replaceMessage_ = 0;
    bool rangeFixed_ = false;
    std::u16string replacement_;
    int range_ = kWhole;
};
