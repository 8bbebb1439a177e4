// The system clipboard (stream and box text) and replacing the selection
// with text.
#include <algorithm>

#include "editctrl/core/transfer_text.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/edit_transfer.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/undo_data.h"

namespace {

void Tell(HWND owner, const wchar_t* text) { ShowMessageBox(owner, text, L"メッセージ", MB_OK | MB_ICONEXCLAMATION); }

}  // namespace

void CEditCtrl::Copy() {
    if (!m_data) return;
    if (m_model.HasSelection()) {
        CopyTextToClipboard(DispData().selStart, DispData().selEnd, DispData().boxSelection != 0);
    } else if (m_style & ECS_ROW_COPY_AT_NO_SEL) {
        CopyLine();
    }
}

void CEditCtrl::CopyAndClear() {
    Copy();
    if ((m_style & ECS_CLEAR_AFTER_COPY) && m_model.HasSelection()) m_model.ClearSelection(true);
}

void CEditCtrl::Cut() {
    if (m_model.IsReadOnly() || !m_model.HasSelection()) return;
    // The text goes only once the clipboard holds it.
    if (!CopyTextToClipboard(DispData().selStart, DispData().selEnd, DispData().boxSelection != 0)) return;
    m_model.DeleteSelection();
}

bool CEditCtrl::CopyTextToClipboard(EditPos start, EditPos end, bool box) {
    if (!m_data) return false;
    const std::u16string text = box ? m_data->GetBoxSelectionString() : m_data->GetTextRange(start, end);
    HGLOBAL textBlock = GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    char marker[transfer::kBoxMarkerBytes];
    transfer::FillMarker(marker, box);
    HGLOBAL markerBlock = GlobalFromBytes(marker, sizeof(marker));
    auto release = [&] {
        if (textBlock) ::GlobalFree(textBlock);
        if (markerBlock) ::GlobalFree(markerBlock);
    };
    if (!textBlock || !markerBlock) {
        release();
        Tell(m_hWnd, L"Unable to set Clipboard data");
        return false;
    }
    if (!::OpenClipboard(m_hWnd)) {
        release();
        Tell(m_hWnd, L"Cannot open the Clipboard");
        return false;
    }
    if (!::EmptyClipboard()) {
        ::CloseClipboard();
        release();
        Tell(m_hWnd, L"Cannot empty the Clipboard");
        return false;
    }
    // Each block the clipboard takes is its own from then on.
    bool ok = ::SetClipboardData(CF_UNICODETEXT, textBlock) != nullptr;
    if (ok) textBlock = nullptr;
    ok = ok && ::SetClipboardData(GetBoxClipboardFormat(), markerBlock) != nullptr;
    if (ok) markerBlock = nullptr;
    ::CloseClipboard();
    release();
    if (!ok) Tell(m_hWnd, L"Unable to set Clipboard data");
    return ok;
}

void CEditCtrl::Paste(bool raw, bool asBox) {
    if (m_model.IsReadOnly() || !m_data) return;
    std::u16string text;
    bool box = false;
    if (!ReadClipboardText(m_hWnd, text, box)) return;
    if (raw) {
        const EditSnapshot before = m_model.Snapshot();
        m_data->InsertText(text.c_str(), 1);
        TextEdited(before, before.caretLine, false);
        return;
    }
    m_model.ReplaceSelection(text.c_str(), asBox || box);
}

bool CEditCtrl::CanPaste() const {
    return !m_model.IsReadOnly() && (::IsClipboardFormatAvailable(CF_UNICODETEXT) ||
                                     ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_OEMTEXT));
}

