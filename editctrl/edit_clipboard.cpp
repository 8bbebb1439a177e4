// The system clipboard (stream and box text), replacing the selection with
// text, and the Undo/Redo commands.
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
    if (HasSelection()) {
        CopyTextToClipboard(DispData().selStart, DispData().selEnd, DispData().boxSelection != 0);
    } else if (m_style & ECS_ROW_COPY_AT_NO_SEL) {
        CopyLine();
    }
}

void CEditCtrl::CopyAndClear() {
    Copy();
    if ((m_style & ECS_CLEAR_AFTER_COPY) && HasSelection()) ClearSelection(true);
}

void CEditCtrl::Cut() {
    if (IsReadOnly() || !HasSelection()) return;
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
    if (IsReadOnly() || !m_data) return;
    std::u16string text;
    bool box = false;
    if (!ReadClipboardText(m_hWnd, text, box)) return;
    if (raw) {
        const EditSnapshot before = m_model.Snapshot();
        m_data->InsertText(text.c_str(), 1);
        AfterEdit(before, before.caretLine, false);
        return;
    }
    ReplaceSelection(text.c_str(), asBox || box);
}

bool CEditCtrl::CanPaste() const {
    return !IsReadOnly() && (::IsClipboardFormatAvailable(CF_UNICODETEXT) || ::IsClipboardFormatAvailable(CF_TEXT) ||
                           ::IsClipboardFormatAvailable(CF_OEMTEXT));
}

void CEditCtrl::ReplaceSelection(const char16_t* text, bool asBox) {
    if (IsReadOnly() || !m_data || !text) return;
    const EditSnapshot before = m_model.Snapshot();
    int firstLine = before.caretLine;
    bool severalLines = false;
    if (asBox && !HasSelection()) {
        PasteBox(text);
        severalLines = true;
    } else if (!HasSelection()) {
        m_data->InsertText(text, 1);
    } else {
        CEditDispData& d = DispData();
        const EditPos start = d.selStart, end = d.selEnd;
        firstLine = start.line;
        severalLines = start.line != end.line || d.boxSelection;
        if (d.boxSelection)
            m_data->InsertBoxText(text);
        else
            m_data->ReplaceRange(start, end, text);
        MirrorInvalidateLines(start.line, end.line);
        d.ResetSelection();
        SendParent(WM_EDIT_SELCHANGED);
    }
    AfterEdit(before, firstLine, severalLines);
}

void CEditCtrl::PasteBox(const char16_t* text) {
    if (!m_data || !text) return;
    CEditDispData& d = DispData();
    if (!HasSelection()) {
        const EditPos c = m_data->GetCaretPos();
        d.boxRequest = 1;
        BeginSelection(c.column, c.line);
        ExtendSelectionTo(0, c.column, c.line);
        d.selAnchor = c;
    }
    m_data->InsertBoxText(text);
    d.ResetSelection();
}

std::u16string CEditCtrl::GetSelectedText() const {
    if (!HasSelection()) return {};
    return DispData().boxSelection ? m_data->GetBoxSelectionString() : m_data->GetSelectedText();
}

std::size_t CEditCtrl::GetSelectedSize() const {
    if (!HasSelection()) return 0;
    const CEditDispData& d = DispData();
    return d.boxSelection ? m_data->GetBoxSelectionSize() : m_data->GetRangeSize(d.selStart, d.selEnd);
}

void CEditCtrl::Undo() { Replay(-1); }

void CEditCtrl::Redo() { Replay(1); }

void CEditCtrl::Replay(int direction) {
    if (IsReadOnly() || !m_data) return;
    if (direction < 0)
        m_data->Undo();
    else
        m_data->Redo();
    ClearSelection(true);
    m_model.ResetCompletion();
    Relayout(1);
}
