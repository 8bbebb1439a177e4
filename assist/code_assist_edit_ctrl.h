// CCodeAssistEditCtrl: the editor control of an open file, with keyword
// completion. The completion command takes the word before the caret and
// inserts its only keyword at once or opens the candidate list under it;
// while the list is open typing narrows it, the cursor and page keys move its
// row, Tab, Enter or a double-click accept, and Esc, leaving the word, a
// click elsewhere or losing the focus close it.
#pragma once

#include <string>

#include "assist/code_assist_frame_hook.h"
#include "assist/code_assist_wnd.h"
#include "assist/core/code_assist_data.h"
#include "assist/core/code_assist_list_maker.h"
#include "assist/core/code_assist_word.h"
#include "editctrl/edit_ctrl.h"

class CCodeAssistEditCtrl : public CEditCtrl, private CodeAssistFrameHook::Client {
public:
    CCodeAssistEditCtrl();
    ~CCodeAssistEditCtrl() override;

    // Off: the command cycles keywords in place.
    void SetUseKeywordWindow(bool on) { m_useKeywordWindow = on; }
    bool UseKeywordWindow() const { return m_useKeywordWindow; }

    // The completion command, forward or backward.
    void KeywordComplete(bool reverse);
    // Tab, LF or CR first serve the open list; true when the key was used.
    bool ProcessKey(UINT ch);
    void HideAssistWnd();
    bool IsAssistShown() const { return m_shown; }
    // The word typed since the list opened (from the word's edge).
    std::u16string GetAssistWord() const;
    // Where the word began when the list opened.
    EditPos AssistAnchor() const { return {m_word.Start(), m_word.Line()}; }
    CCodeAssistWnd& AssistWnd() { return m_assist; }
    // The main window hooked while the list is shown (null otherwise).
    HWND HookedFrame() const { return m_frameHook.Frame(); }
    // What fills the list when it opens by itself; null goes back to the
    // default maker.
    void SetListMaker(CCodeAssistListMaker* maker) { m_listMaker = maker ? maker : &m_defaultListMaker; }
    CCodeAssistListMaker* ListMaker() const { return m_listMaker; }

    // List moves while it is shown; false when hidden (the editor moves).
    bool ListLineUp(bool byWord);
    bool ListLineDown(bool byWord);
    bool ListPageUp();
    bool ListPageDown();
    bool ListFirst();
    bool ListLast();

    void CloseAssistWnd() override { HideAssistWnd(); }
    virtual void InsertCandidate(const char16_t* text, const char16_t* kind, const char16_t* extra);
    virtual bool IsAssistChar(UINT ch);

    // Esc closes the open list before the key's command runs.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnCaretMoved() override;
    void SetFont(HFONT font) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;

private:
    void ShowAssistWnd();
    bool AcceptRow(int row);
    void ChooseFirstRow();
    int LineLength(int line) const;
    HWND AssistPopup() const override { return m_assist.m_hWnd; }

    CCodeAssistWnd m_assist;
    CCodeAssistData m_source;
    CCodeAssistWord m_word;
    bool m_useKeywordWindow = true;
    bool m_shown = false;
    CodeAssistFrameHook m_frameHook{*this};
    CCodeAssistListMaker m_defaultListMaker;
    CCodeAssistListMaker* m_listMaker = &m_defaultListMaker;
};
