#include "editctrl/edit_transfer.h"

#include "editctrl/core/transfer_text.h"
#include "editctrl/edit_ctrl.h"
#include "framework/ole.h"

bool TextOfGlobal(HGLOBAL block, UINT format, std::u16string& text) {
    const CGlobalLock lock(block);
    if (!lock.data()) return false;
    if (format == CF_UNICODETEXT) {
        text = transfer::TextOfBlock(lock.data(), lock.size());
        return true;
    }
    const char* narrow = static_cast<const char*>(lock.data());
    const int n = static_cast<int>(std::min<std::size_t>(transfer::NarrowLengthOfBlock(narrow, lock.size()), 0x7FFFFFF0));
    const UINT page = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    text.clear();
    if (n == 0) return true;
    const int units = ::MultiByteToWideChar(page, 0, narrow, n, nullptr, 0);
    if (units <= 0) return false;
    text.resize(static_cast<std::size_t>(units));
    ::MultiByteToWideChar(page, 0, narrow, n, reinterpret_cast<wchar_t*>(text.data()), units);
    return true;
}

bool MarkerOfGlobal(HGLOBAL block) {
    const CGlobalLock lock(block);
    return lock.data() && transfer::MarkerSaysBox(lock.data(), lock.size());
}

namespace {

// Closes the clipboard when the scope ends.
struct ClipboardOpen {
    bool ok;
    explicit ClipboardOpen(HWND owner) : ok(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardOpen() {
        if (ok) ::CloseClipboard();
    }
};

const UINT kTextFormats[] = {CF_UNICODETEXT, CF_OEMTEXT, CF_TEXT};

}  // namespace

bool ReadClipboardText(HWND owner, std::u16string& text, bool& box) {
    const ClipboardOpen clipboard(owner);
    if (!clipboard.ok) return false;
    bool found = false;
    for (UINT format : kTextFormats) {
        if (!::IsClipboardFormatAvailable(format)) continue;
        found = TextOfGlobal(::GetClipboardData(format), format, text);
        break;
    }
    if (!found) return false;
    const UINT marker = GetBoxClipboardFormat();
    box = marker && ::IsClipboardFormatAvailable(marker) && MarkerOfGlobal(::GetClipboardData(marker));
    return true;
}

namespace {

bool GetGlobal(IDataObject* data, UINT format, STGMEDIUM& medium) {
    FORMATETC fmt{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    medium = STGMEDIUM{};
    if (FAILED(data->GetData(&fmt, &medium))) return false;
    if (medium.tymed != TYMED_HGLOBAL) {
        ::ReleaseStgMedium(&medium);
        return false;
    }
    return true;
}

}  // namespace

bool ReadDataText(IDataObject* data, std::u16string& text, bool& box) {
    if (!data) return false;
    bool found = false;
    for (UINT format : kTextFormats) {
        STGMEDIUM medium;
        if (!GetGlobal(data, format, medium)) continue;
        found = TextOfGlobal(medium.hGlobal, format, text);
        ::ReleaseStgMedium(&medium);
        if (found) break;
    }
    if (!found) return false;
    box = false;
    STGMEDIUM medium;
    if (GetBoxClipboardFormat() && GetGlobal(data, GetBoxClipboardFormat(), medium)) {
        box = MarkerOfGlobal(medium.hGlobal);
        ::ReleaseStgMedium(&medium);
    }
    return true;
}

bool DataOffersText(IDataObject* data) {
    if (!data) return false;
    for (UINT format : {UINT(CF_UNICODETEXT), UINT(CF_TEXT)}) {
        FORMATETC fmt{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (data->QueryGetData(&fmt) == S_OK) return true;
    }
    return false;
}
