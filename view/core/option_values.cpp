#include "view/core/option_values.h"

#include <iterator>

#include "app/profile/setting_ranges.h"

namespace {

using S = CAppSettings;
using P = OptionPage;

OptionBinding Check(P page, int id, const char16_t* key, int S::*member) {
    return {page, id, OptionControl::Check, key, member, nullptr, nullptr};
}
OptionBinding Number(P page, int id, const char16_t* key, int S::*member) {
    return {page, id, OptionControl::Number, key, member, nullptr, nullptr};
}
OptionBinding Text(P page, int id, const char16_t* key, std::u16string S::*member) {
    return {page, id, OptionControl::Text, key, nullptr, nullptr, member};
}
OptionBinding List(P page, int id, const char16_t* key, int S::*member) {
    return {page, id, OptionControl::List, key, member, nullptr, nullptr};
}
OptionBinding List(P page, int id, const char16_t* key, std::u16string S::*member) {
    return {page, id, OptionControl::List, key, nullptr, nullptr, member};
}
OptionBinding Colour(P page, int id, const char16_t* key, uint32_t S::*member) {
    return {page, id, OptionControl::Colour, key, nullptr, member, nullptr};
}

// The drop lists (indent mode, encodings, line end, edit mode) are filled
// and read by their pages' own code.
const OptionBinding kBindings[] = {
    Check(P::Editor, 2019, u"SHOW_LINE_FEED", &S::showLineFeed),
    Check(P::Editor, 2027, u"SHOW_TAB", &S::showTab),
    Number(P::Editor, 2016, u"TABSTOP", &S::tabStop),
    Check(P::Editor, 2045, u"SHOW_ROW_NUM", &S::showRowNum),
    Check(P::Editor, 2047, u"SHOW_COL_NUM", &S::showColNum),
    Number(P::Editor, 2051, u"ROW_SPACE", &S::rowSpace),
    Number(P::Editor, 2054, u"CHAR_SPACE", &S::charSpace),
    Number(P::Editor, 2055, u"TOP_SPACE", &S::topSpace),
    Number(P::Editor, 2057, u"LEFT_SPACE", &S::leftSpace),
    Number(P::Editor, 2059, u"LINE_LEN", &S::lineLen),
    Check(P::Editor, 2062, u"SHOW_2BYTE_SPACE", &S::show2ByteSpace),
    Check(P::Editor, 2070, u"CLICKABLE_URL", &S::clickableUrl),
    Check(P::Editor, 2073, u"SHOW_ROW_LINE", &S::showRowLine),
    Check(P::Editor, 2079, u"SHOW_EDIT_ROW", &S::showEditRow),
    Number(P::Editor, 1054, u"WHEEL_SCROLL_ROW", &S::wheelScrollRow),
    Check(P::Editor, 1060, u"SHOW_SPACE", &S::showSpace),
    Check(P::Editor, 1021, u"SHOW_LINE_END", &S::showLineEnd),
    Check(P::Editor, 1076, u"SHOW_BRACKETS_BOLD", &S::showBracketsBold),
    Check(P::Editor, 1077, u"SHOW_RULED_LINE", &S::showRuledLine),
    Colour(P::Editor, 2034, u"TEXT_COLOR", &S::textColor),
    Colour(P::Editor, 2038, u"KEYWORD_COLOR", &S::keywordColor),
    Colour(P::Editor, 2040, u"COMMENT_COLOR", &S::commentColor),
    Colour(P::Editor, 2041, u"BG_COLOR", &S::bgColor),
    Colour(P::Editor, 2042, u"PEN_COLOR", &S::penColor),
    Colour(P::Editor, 2043, u"QUOTE_COLOR", &S::quoteColor),
    Colour(P::Editor, 2065, u"SRARCH_COLOR", &S::searchColor),
    Colour(P::Editor, 2066, u"SELECTED_COLOR", &S::selectedColor),
    Colour(P::Editor, 2069, u"RULER_COLOR", &S::rulerColor),
    Colour(P::Editor, 2076, u"OPERATOR_COLOR", &S::operatorColor),
    Colour(P::Editor, 2068, u"KEYWORD2_COLOR", &S::keyword2Color),
    Colour(P::Editor, 1067, u"IME_CARET_COLOR", &S::imeCaretColor),
    Colour(P::Editor, 1073, u"RULED_LINE_COLOR", &S::ruledLineColor),

    List(P::Edit, 2030, u"INDENT_MODE", &S::indentMode),
    Check(P::Edit, 2071, u"TAB_AS_SPACE", &S::tabAsSpace),
    Check(P::Edit, 2072, u"DRAG_DROP_EDIT", &S::dragDropEdit),
    Check(P::Edit, 2073, u"TEXT_DROP_EDIT", &S::textDropEdit),
    Check(P::Edit, 2074, u"MOUSE_SELECT_COPY", &S::mouseSelectCopy),
    Check(P::Edit, 1071, u"ROW_COPY_AT_NO_SEL", &S::rowCopyAtNoSel),
    Check(P::Edit, 1073, u"CLEAR_AFTER_COPY", &S::clearAfterCopy),
    Check(P::Edit, 1072, u"USE_KEYWORD_WINDOW", &S::useKeywordWindow),
    Number(P::Edit, 1213, u"BRACKETS_BLINK_TIME", &S::bracketsBlinkTime),
    Check(P::Edit, 1206, u"ENABLE_WORD_WRAP", &S::enableWordWrap),
    Check(P::Edit, 1207, u"ENABLE_CONFINEMENT", &S::enableConfinement),
    Text(P::Edit, 1208, u"FIRST_CONFINEMENT_STR", &S::firstConfinementStr),
    Text(P::Edit, 1209, u"LAST_CONFINEMENT_STR", &S::lastConfinementStr),

    Text(P::Setup, 2017, u"INITIAL_DIR", &S::initialDir),
    Text(P::Setup, 2032, u"BROWSER_FIREFOX", &S::browserFirefox),
    Text(P::Setup, 2031, u"BROWSER_IE", &S::browserIe),
    Text(P::Setup, 2023, u"BROWSER_NS", &S::browserNs),
    Check(P::Setup, 1214, u"SEARCH_DIR_AS_CURRENT_DIR", &S::searchDirAsCurrentDir),
    Text(P::Setup, 2060, u"FILE_LIST_FILTER", &S::fileListFilter),
    List(P::Setup, 2025, u"DEFAULT_KANJI_CODE", &S::defaultKanjiCode),
    List(P::Setup, 2033, u"DEFAULT_LINE_TYPE", &S::defaultLineType),
    List(P::Setup, 1084, u"DEFAULT_EDIT_MODE_STR", &S::defaultEditModeStr),
    List(P::Setup, 1083, u"FILE_OPEN_KANJI_CODE", &S::fileOpenKanjiCode),

    Check(P::Setup2, 1052, u"BOOT_ON_IME", &S::bootOnIme),
    Check(P::Setup2, 2053, u"SAVE_MODIFIED", &S::saveModified),
    Check(P::Setup2, 2056, u"WINDOW_TITLE_IS_PATH_NAME", &S::windowTitleIsPathName),
    Check(P::Setup2, 2058, u"SEARCH_LOOP_MSG", &S::searchLoopMsg),
    Check(P::Setup2, 1058, u"SEARCH_DLG_CLOSE_AT_FOUND", &S::searchDlgCloseAtFound),
    Check(P::Setup2, 2063, u"TAB_TITLE_IS_PATH_NAME", &S::tabTitleIsPathName),
    Check(P::Setup2, 2065, u"TAB_MULTI_ROW", &S::tabMultiRow),
    Check(P::Setup2, 2066, u"TAB_CLOSE_AT_MCLICK", &S::tabCloseAtMClick),
    Check(P::Setup2, 2072, u"TAB_CREATE_AT_DBLCLICK", &S::tabCreateAtDblClick),
    Check(P::Setup2, 2069, u"TAB_DRAG_MOVE", &S::tabDragMove),
    Check(P::Setup2, 2070, u"CLOSE_BTN_ON_TAB", &S::closeBtnOnTab),
    Check(P::Setup2, 2071, u"SHOW_TAB_TOOLTIP", &S::showTabTooltip),
    Check(P::Setup2, 2064, u"DISABLE_DOUBLE_BOOT", &S::disableDoubleBoot),
    Check(P::Setup2, 2067, u"HIDE_TAB_BAR_AT_ONE", &S::hideTabBarAtOne),
    Check(P::Setup2, 1057, u"ENABLE_TAG_JUMP", &S::enableTagJump),
    Number(P::Setup2, 2015, u"MAX_MRU", &S::maxMru),
    Colour(P::Setup2, 2034, u"TEXT_COLOR", &S::fileTabTextColor),
    Colour(P::Setup2, 2092, u"ACTIVE_BK_COLOR", &S::fileTabActiveBkColor),
    Colour(P::Setup2, 2068, u"NO_ACTIVE_BK_COLOR", &S::fileTabNoActiveBkColor),
};

}  // namespace

uint32_t CAppSettings::*const kEditorColours[13] = {
    &S::textColor,  &S::keywordColor,  &S::commentColor,  &S::bgColor,       &S::penColor,
    &S::quoteColor, &S::searchColor,   &S::selectedColor, &S::rulerColor,    &S::operatorColor,
    &S::keyword2Color, &S::imeCaretColor, &S::ruledLineColor,
};

const OptionBinding* OptionBindingsBegin() { return std::begin(kBindings); }
const OptionBinding* OptionBindingsEnd() { return std::end(kBindings); }

void RestoreDefaultEditorColours(CAppSettings& values) {
    const CAppSettings defaults;
    for (uint32_t S::*colour : kEditorColours) values.*colour = defaults.*colour;
}

void RestoreDefaultTabColours(CAppSettings& values, uint32_t windowText, uint32_t buttonFace) {
    SettingsEnvironment env;
    env.windowTextColor = windowText;
    env.buttonFaceColor = buttonFace;
    const CAppSettings defaults = DefaultSettings(env);
    values.fileTabTextColor = defaults.fileTabTextColor;
    values.fileTabActiveBkColor = defaults.fileTabActiveBkColor;
    values.fileTabNoActiveBkColor = defaults.fileTabNoActiveBkColor;
}

OptionChanges TakeOptionValues(const CAppSettings& edited, CAppSettings& settings) {
    CAppSettings taken = edited;
    taken.lineMode = settings.lineMode;
    taken.editMode = settings.editMode;
    taken.kbMacroDir = settings.kbMacroDir;
    taken.fontFaceName = settings.fontFaceName;
    taken.fontPoint = settings.fontPoint;
    taken.fontWeight = settings.fontWeight;
    taken.fontItalic = settings.fontItalic;
    taken.tabFontFaceName = settings.tabFontFaceName;
    taken.tabFontPoint = settings.tabFontPoint;
    ClampSettings(taken);
    OptionChanges changes;
    changes.initialDir = taken.initialDir != settings.initialDir;
    changes.tabLayout = taken.tabTitleIsPathName != settings.tabTitleIsPathName ||
                        taken.tabMultiRow != settings.tabMultiRow || taken.hideTabBarAtOne != settings.hideTabBarAtOne;
    changes.fileListFilter = taken.fileListFilter != settings.fileListFilter;
    changes.fileOpenKanjiCode = taken.fileOpenKanjiCode != settings.fileOpenKanjiCode;
    settings = taken;
    return changes;
}
