// A completing editor control on a small keyword table inside the shared
// test host, as the view makes one for an open file.
#pragma once

#include <windows.h>

#include <string>

#include "assist/code_assist_edit_ctrl.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "tests/framework/window_test_support.h"

namespace atest {

// SELECT, SELF (second group), set, from, where under C++'s syntax.
inline const CStrToken& SmallKeywords() {
    static CStrToken* t = [] {
        auto* made = new CStrToken;
        LoadBuiltinLanguage(u"<cpp>", u"no such folder", *made);
        TextLines lines;
        for (const char16_t* k : {u"SELECT", u"SELF,2", u"set", u"from", u"where"}) lines.Add(k);
        std::u16string message;
        made->SetKeywordLines(lines, message);
        return made;
    }();
    return *t;
}

struct AssistFixture {
    CEditData data;
    CCodeAssistEditCtrl ctrl;

    explicit AssistFixture(const std::u16string& text, const CStrToken& language = SmallKeywords(),
                           int width = 400, int height = 300) {
        ctrl.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, width, height), wtest::SharedHost(), 7);
        CFont font = etest::MakeFont();
        ctrl.SetFont(font);
        data.InsertText(text.c_str(), 1);
        data.SetSyntaxRules(&language);
        ctrl.SetEditData(&data);
        ctrl.Relayout(0);
        const int last = data.GetLineCount() - 1;
        data.SetCaretPos(last, data.GetLineLength(last));
        ctrl.UpdateCaret(1);
        ctrl.SetStyle(ECS_HOST_MAPS_KEYS);  // as in the program: the view maps the keys
        ::SetFocus(ctrl);
    }
    std::u16string Line(int i = 0) const { return {data.GetLineText(i), std::size_t(data.GetLineLength(i))}; }
    void Type(const std::u16string& s) {
        for (char16_t c : s) ctrl.SendMessage(WM_CHAR, c, 0);
    }
    bool PopupVisible() { return ::IsWindowVisible(ctrl.AssistWnd().m_hWnd) != FALSE; }
    int CurrentRow() { return ctrl.AssistWnd().List().CurrentRow(); }
    std::u16string CurrentText() {
        CCodeAssistList& list = ctrl.AssistWnd().List();
        const int row = list.CurrentRow();
        return row < 0 ? u"" : list.Shown()->GetCellText(row, 0);
    }
};

}  // namespace atest
