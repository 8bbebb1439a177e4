// CCodeAssistWnd: the completion popup, a borderless top-most grid owned by
// one editor control, showing the candidates of a CCodeAssistList. A click
// never keeps the keyboard focus: it goes back to the owner at once.
#pragma once

#include "assist/core/code_assist_list.h"
#include "assist/core/code_assist_word.h"
#include "grid/grid_ctrl.h"

inline constexpr UINT WM_CODEASSIST_ACCEPT = WM_APP + 0x511;  // a row double-clicked
inline constexpr UINT WM_CODEASSIST_CLOSE = WM_APP + 0x512;   // wParam: the activation flag

class CCodeAssistWnd : public CGridCtrl, public CodeAssistListView {
public:
    static constexpr UINT_PTR kFocusTimer = 1000;

    CCodeAssistWnd();
    ~CCodeAssistWnd() override;

    // The hidden popup window of owner.
    BOOL CreatePopup(HWND owner);
    CCodeAssistList& List() { return m_list; }
    // Where the list goes (screen), then size and place it.
    void SetPlacement(const CodeAssistPlacement& at) { m_placement = at; }

    // CodeAssistListView
    void ShowTable(CCodeAssistData& table) override;
    void SetRowHighlight(bool on) override;
    void Repaint() override;
    void Reposition() override;
    void CurrentRowChanged() override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    CCodeAssistList m_list;
    HWND m_owner = nullptr;
    UINT_PTR m_focusTimer = 0;
    CodeAssistPlacement m_placement;
};
