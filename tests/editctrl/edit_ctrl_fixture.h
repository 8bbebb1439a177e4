// An editing window on a text inside the shared test host.
#pragma once

#include <windows.h>

#include <cwchar>
#include <map>
#include <memory>
#include <string>

#include "editctrl/edit_ctrl.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "tests/framework/window_test_support.h"

namespace etest {

inline CFont MakeFont(int height = -16, const wchar_t* face = L"ＭＳ ゴシック") {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // colours are checked pixel by pixel
    std::wcscpy(lf.lfFaceName, face);
    CFont font;
    font.CreateFontIndirect(lf);
    return font;
}

// The shipped data folder (keyword files), from this test's data folder.
inline std::u16string ShippedData() {
    std::u16string s;
    for (const char* c = TEST_DATA_DIR "/../../../../data"; *c; ++c) s += static_cast<char16_t>(*c);
    return s;
}

// A built-in language with its shipped keywords, made once per tag.
inline const CStrToken& Language(const std::u16string& tag) {
    static std::map<std::u16string, std::unique_ptr<CStrToken>> made;
    std::unique_ptr<CStrToken>& t = made[tag];
    if (!t) {
        t = std::make_unique<CStrToken>();
        LoadBuiltinLanguage(tag, ShippedData(), *t);
    }
    return *t;
}

inline const CStrToken& Cpp() { return Language(u"<cpp>"); }

// n lines "line 1" ... "line n" (no line end after the last).
inline std::u16string NumberedLines(int n) {
    std::u16string s;
    for (int i = 1; i <= n; ++i) {
        s += u"line ";
        for (char c : std::to_string(i)) s += static_cast<char16_t>(c);
        if (i < n) s += u'\n';
    }
    return s;
}

struct EditFixture {
    CEditData data;
    CEditCtrl ctrl;

    explicit EditFixture(const std::u16string& text, DWORD style = 0, int width = 400, int height = 300,
                         HWND parent = nullptr) {
        if (!parent) parent = wtest::SharedHost();
        ctrl.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, width, height), parent, 7);
        CFont font = MakeFont();
        ctrl.SetFont(font);
        data.InsertText(text.c_str(), 1);
        data.SetCaretPos(0, 0);
        ctrl.SetEditData(&data);
        ctrl.SetStyle(style);
        ctrl.Relayout(0);
    }
    // The control goes first (members die in reverse order) and destroys
    // its window itself.

    int Pos(int bar) const {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_POS;
        ::GetScrollInfo(ctrl, bar, &si);
        return si.nPos;
    }
    // A stream selection from anchor to caret (either way round), the caret
    // at caret.
    void Select(EditPos anchor, EditPos caret) {
        CEditDispData& d = data.GetDispData();
        d.selAnchor = anchor;
        d.selStart = anchor < caret ? anchor : caret;
        d.selEnd = anchor < caret ? caret : anchor;
        data.SetCaretPos(caret.line, caret.column);
    }
    // The picture WM_PRINTCLIENT paints.
    wtest::Pixels Print() { return wtest::RenderClient(ctrl.m_hWnd); }
};

}  // namespace etest
