#include "app/kanji_combos.h"

#include "framework/wide.h"
#include "textengine/bytestream.h"
#include "textengine/kanjicode.h"

namespace {

int AddItem(HWND combo, const char* utf8Name, int data) {
    const std::wstring name = ToWide(Utf8ToUtf16(utf8Name));
    const LRESULT index = ::SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    if (index >= 0) ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

// The item data of the combo's selection, or fallback when none is selected.
int SelectedComboData(HWND combo, int fallback) {
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return fallback;
    return static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

}  // namespace

int FillKanjiCodeCombo(HWND combo, KanjiCode selected, bool withDetect) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    int found = -1;
    auto add = [&](KanjiCode code) {
        const int index = AddItem(combo, KanjiCodeName(code), KanjiCodeNumber(code));
        if (code == selected) found = index;
    };
    if (withDetect) add(KanjiCode::Detect);
    for (KanjiCode code : kKanjiCodeOrder)
        if (code != KanjiCode::Detect) add(code);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    return found;
}

KanjiCode SelectedKanjiCode(HWND combo, KanjiCode fallback) {
    return KanjiCodeFromNumber(SelectedComboData(combo, KanjiCodeNumber(fallback))).value_or(fallback);
}

int FillLineEndCombo(HWND combo, LineEndType selected) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    int found = -1;
    for (LineEndType type : kLineEndTypes) {
        const int index = AddItem(combo, LineEndTypeName(type), LineEndTypeNumber(type));
        if (type == selected) found = index;
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    return found;
}

LineEndType SelectedLineEnd(HWND combo, LineEndType fallback) {
    return LineEndTypeFromNumber(SelectedComboData(combo, LineEndTypeNumber(fallback))).value_or(fallback);
}
