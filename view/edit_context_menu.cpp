#include "view/edit_context_menu.h"

#include <string>

#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/resource_text.h"

namespace {

constexpr UINT kLinkItemsAt = 10;

bool CaretOnLink(CEditCtrl& editor) {
    const std::wstring link = editor.GetLinkAtCaret();
    return !link.empty() && CEditCtrl::IsUrlScheme(link.c_str());
}

}  // namespace

std::wstring CommandShortName(UINT id) {
    const std::wstring prompt = LoadResourceString(id).str();
    const size_t lf = prompt.find(L'\n');
    return lf == std::wstring::npos ? prompt : prompt.substr(lf + 1);
}

CEditContextMenu::CEditContextMenu(CEditCtrl& editor) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    m_menu = ::LoadMenuW(inst, MAKEINTRESOURCEW(IDR_EDIT_MENU));
    if (!m_menu) return;
    m_popup = ::GetSubMenu(m_menu, 0);
    if (!CaretOnLink(editor)) return;
    m_linkMenu = ::LoadMenuW(inst, MAKEINTRESOURCEW(IDR_LINK_MENU));
    HMENU links = m_linkMenu ? ::GetSubMenu(m_linkMenu, 0) : nullptr;
    if (!links) return;
    ::InsertMenuW(m_popup, kLinkItemsAt, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    const std::wstring open = CommandShortName(ID_LINK_OPEN);
    ::InsertMenuW(m_popup, kLinkItemsAt + 1, MF_BYPOSITION | MF_POPUP | MF_STRING,
                  reinterpret_cast<UINT_PTR>(links), open.c_str());
    // The edit menu owns the submenu from now on.
    ::RemoveMenu(m_linkMenu, 0, MF_BYPOSITION);
    const std::wstring copy = CommandShortName(ID_LINK_COPY);
    ::InsertMenuW(m_popup, kLinkItemsAt + 2, MF_BYPOSITION | MF_STRING, ID_LINK_COPY, copy.c_str());
}

CEditContextMenu::~CEditContextMenu() {
    if (m_menu) ::DestroyMenu(m_menu);
    if (m_linkMenu) ::DestroyMenu(m_linkMenu);
}

bool ShowEditContextMenu(CEditCtrl& editor, HWND owner, int x, int y) {
    if (!editor.IsWindow()) return false;
    const bool keyboard = y < 0;
    if (!keyboard) {
        const POINT p{x, y};
        const CRect area = editor.GetWindowRect();
        if (!::PtInRect(&area, p)) return false;
    }
    CEditContextMenu menu(editor);
    if (!menu.Popup()) return false;
    UINT flags = TPM_RIGHTBUTTON;
    if (keyboard) {
        // At the caret: below its row, or above it when the menu would
        // pass the bottom of the screen.
        POINT caret{editor.GetLeftMargin() + editor.GetCaretX() - editor.GetScrollPos(SB_HORZ) * editor.GetCharWidth(),
                    (editor.GetCaretRow() - editor.GetScrollPos(SB_VERT)) * editor.GetRowHeight() +
                        editor.GetTopMargin()};
        editor.ClientToScreen(&caret);
        x = caret.x;
        y = caret.y + editor.GetRowHeight();
        if (caret.y + CEditCtrl::GetMenuHeight(menu.Popup()) > ::GetSystemMetrics(SM_CYSCREEN)) {
            flags |= TPM_BOTTOMALIGN;
            y = caret.y;
        }
    }
    ::TrackPopupMenu(menu.Popup(), flags, x, y, 0, owner, nullptr);
    return true;
}
