#include "app/profile/app_settings.h"

#include "app/profile/ini_profile.h"
#include "app/profile/setting_ranges.h"

namespace {

// Who reads a value, and who writes it.
enum class ReadBy { Editor, Startup, Font };
enum WrittenBy : unsigned { kEditorSave = 1, kExitSave = 2, kFontSave = 4 };

struct SettingRow {
    const char16_t* section;
    const char16_t* key;
    ReadBy readBy;
    unsigned writtenBy;
    int CAppSettings::*number = nullptr;
    uint32_t CAppSettings::*colour = nullptr;
    std::u16string CAppSettings::*text = nullptr;
};

constexpr const char16_t* kEditor = u"TEXT_EDITOR";
constexpr const char16_t* kApp = u"APPLICATION";
constexpr const char16_t* kFileTab = u"FILETAB";

SettingRow Int(const char16_t* section, const char16_t* key, int CAppSettings::*field, ReadBy r = ReadBy::Editor,
               unsigned w = kEditorSave) {
    return SettingRow{section, key, r, w, field, nullptr, nullptr};
}
SettingRow Colour(const char16_t* section, const char16_t* key, uint32_t CAppSettings::*field) {
    return SettingRow{section, key, ReadBy::Editor, kEditorSave, nullptr, field, nullptr};
}
SettingRow Text(const char16_t* section, const char16_t* key, std::u16string CAppSettings::*field,
                ReadBy r = ReadBy::Editor, unsigned w = kEditorSave) {
    return SettingRow{section, key, r, w, nullptr, nullptr, field};
}

using S = CAppSettings;

// In the order the editor reads them at start-up; the tab font comes after
// the editor font, whose values are its defaults.
const SettingRow kRows[] = {
    Int(kEditor, u"TABSTOP", &S::tabStop),
    Int(kEditor, u"ROW_SPACE", &S::rowSpace),
    Int(kEditor, u"CHAR_SPACE", &S::charSpace),
    Int(kEditor, u"TOP_SPACE", &S::topSpace),
    Int(kEditor, u"LEFT_SPACE", &S::leftSpace),
    Int(kEditor, u"SHOW_LINE_FEED", &S::showLineFeed),
    Int(kEditor, u"SHOW_LINE_END", &S::showLineEnd),
    Int(kEditor, u"SHOW_TAB", &S::showTab),
    Int(kEditor, u"SHOW_ROW_NUM", &S::showRowNum),
    Int(kEditor, u"SHOW_COL_NUM", &S::showColNum),
    Int(kEditor, u"SHOW_SPACE", &S::showSpace),
    Int(kEditor, u"SHOW_2BYTE_SPACE", &S::show2ByteSpace),
    Int(kEditor, u"SHOW_ROW_LINE", &S::showRowLine),
    Int(kEditor, u"SHOW_RULED_LINE", &S::showRuledLine),
    Int(kEditor, u"SHOW_EDIT_ROW", &S::showEditRow),
    Int(kEditor, u"SHOW_BRACKETS_BOLD", &S::showBracketsBold),
    Int(kEditor, u"BRACKETS_BLINK_TIME", &S::bracketsBlinkTime),
    Int(kEditor, u"LINE_LEN", &S::lineLen),
    Colour(kEditor, u"TEXT_COLOR", &S::textColor),
    Colour(kEditor, u"KEYWORD_COLOR", &S::keywordColor),
    Colour(kEditor, u"COMMENT_COLOR", &S::commentColor),
    Colour(kEditor, u"BG_COLOR", &S::bgColor),
    Colour(kEditor, u"PEN_COLOR", &S::penColor),
    Colour(kEditor, u"QUOTE_COLOR", &S::quoteColor),
    Colour(kEditor, u"SRARCH_COLOR", &S::searchColor),  // spelled so in existing files
    Colour(kEditor, u"SELECTED_COLOR", &S::selectedColor),
    Colour(kEditor, u"RULER_COLOR", &S::rulerColor),
    Colour(kEditor, u"OPERATOR_COLOR", &S::operatorColor),
    Colour(kEditor, u"KEYWORD2_COLOR", &S::keyword2Color),
    Colour(kEditor, u"IME_CARET_COLOR", &S::imeCaretColor),
    Colour(kEditor, u"RULED_LINE_COLOR", &S::ruledLineColor),
    Int(kEditor, u"INDENT_MODE", &S::indentMode),
    Int(kEditor, u"TAB_AS_SPACE", &S::tabAsSpace),
    Int(kEditor, u"CLICKABLE_URL", &S::clickableUrl),
    Int(kEditor, u"DRAG_DROP_EDIT", &S::dragDropEdit),
    Int(kEditor, u"TEXT_DROP_EDIT", &S::textDropEdit),
    Int(kEditor, u"MOUSE_SELECT_COPY", &S::mouseSelectCopy),
    Int(kEditor, u"ROW_COPY_AT_NO_SEL", &S::rowCopyAtNoSel),
    Int(kEditor, u"CLEAR_AFTER_COPY", &S::clearAfterCopy),
    Int(kEditor, u"WHEEL_SCROLL_ROW", &S::wheelScrollRow),
    Int(kEditor, u"USE_KEYWORD_WINDOW", &S::useKeywordWindow),
    Int(kEditor, u"ENABLE_WORD_WRAP", &S::enableWordWrap),
    Int(kEditor, u"ENABLE_CONFINEMENT", &S::enableConfinement),
    Text(kEditor, u"FIRST_CONFINEMENT_STR", &S::firstConfinementStr),
    Text(kEditor, u"LAST_CONFINEMENT_STR", &S::lastConfinementStr),
    Int(kApp, u"BOOT_ON_IME", &S::bootOnIme),
    Int(kApp, u"SAVE_MODIFIED", &S::saveModified),
    Text(kApp, u"INITIAL_DIR", &S::initialDir),
    Text(kApp, u"KB_MACRO_DIR", &S::kbMacroDir, ReadBy::Editor, kEditorSave | kExitSave),
    Int(kApp, u"WINDOW_TITLE_IS_PATH_NAME", &S::windowTitleIsPathName),
    Int(kApp, u"SEARCH_LOOP_MSG", &S::searchLoopMsg),
    Int(kApp, u"SEARCH_DLG_CLOSE_AT_FOUND", &S::searchDlgCloseAtFound),
    Int(kApp, u"ENABLE_TAG_JUMP", &S::enableTagJump),
    Int(kApp, u"MAX_MRU", &S::maxMru),
    Text(kApp, u"BROWSER_FIREFOX", &S::browserFirefox),
    Text(kApp, u"BROWSER_NS", &S::browserNs),
    Text(kApp, u"BROWSER_IE", &S::browserIe),
    Int(kApp, u"DEFAULT_KANJI_CODE", &S::defaultKanjiCode),
    Int(kApp, u"DEFAULT_LINE_TYPE", &S::defaultLineType),
    Text(kApp, u"DEFAULT_EDIT_MODE_STR", &S::defaultEditModeStr),
    Int(kApp, u"FILE_OPEN_KANJI_CODE", &S::fileOpenKanjiCode),
    Int(kApp, u"TAB_TITLE_IS_PATH_NAME", &S::tabTitleIsPathName),
    Int(kApp, u"TAB_CLOSE_AT_MCLICK", &S::tabCloseAtMClick),
    Int(kApp, u"TAB_DRAG_MOVE", &S::tabDragMove),
    Int(kApp, u"TAB_CREATE_AT_DBLCLICK", &S::tabCreateAtDblClick),
    Int(kApp, u"CLOSE_BTN_ON_TAB", &S::closeBtnOnTab),
    Int(kApp, u"SHOW_TAB_TOOLTIP", &S::showTabTooltip),
    Text(kApp, u"FILE_LIST_FILTER", &S::fileListFilter),
    Int(kApp, u"DISABLE_DOUBLE_BOOT", &S::disableDoubleBoot),
    Int(kApp, u"HIDE_TAB_BAR_AT_ONE", &S::hideTabBarAtOne),
    Int(kApp, u"TAB_MULTI_ROW", &S::tabMultiRow),
    Colour(kFileTab, u"TEXT_COLOR", &S::fileTabTextColor),
    Colour(kFileTab, u"ACTIVE_BK_COLOR", &S::fileTabActiveBkColor),
    Colour(kFileTab, u"NO_ACTIVE_BK_COLOR", &S::fileTabNoActiveBkColor),
    Colour(kFileTab, u"BTN_COLOR", &S::fileTabBtnColor),
    Int(u"SULKI", u"SEARCH_DIR_AS_CURRENT_DIR", &S::searchDirAsCurrentDir),
    Int(kEditor, u"LINE_MODE", &S::lineMode, ReadBy::Startup, kExitSave),
    Int(kApp, u"EDIT_MODE", &S::editMode, ReadBy::Startup, kExitSave),
    Text(u"FONT", u"FACENAME", &S::fontFaceName, ReadBy::Font, kFontSave),
    Int(u"FONT", u"POINT", &S::fontPoint, ReadBy::Font, kFontSave),
    Int(u"FONT", u"WEIGHT", &S::fontWeight, ReadBy::Font, kFontSave),
    Int(u"FONT", u"ITALIC", &S::fontItalic, ReadBy::Font, kFontSave),
    Text(u"TAB_FONT", u"FACENAME", &S::tabFontFaceName, ReadBy::Font, kFontSave),
    Int(u"TAB_FONT", u"POINT", &S::tabFontPoint, ReadBy::Font, kFontSave),
};

void ReadRows(const CIniProfile& profile, ReadBy group, const CAppSettings& defaults, CAppSettings& settings) {
    for (const SettingRow& row : kRows) {
        if (row.readBy != group) continue;
        if (row.number) {
            settings.*row.number = profile.GetInt(row.section, row.key, defaults.*row.number);
        } else if (row.colour) {
            settings.*row.colour =
                static_cast<uint32_t>(profile.GetInt(row.section, row.key, static_cast<int>(defaults.*row.colour)));
        } else {
            settings.*row.text = profile.GetString(row.section, row.key, defaults.*row.text);
        }
    }
}

void StoreRows(const CAppSettings& settings, unsigned writer, CIniProfile& profile) {
    for (const SettingRow& row : kRows) {
        if (!(row.writtenBy & writer)) continue;
        if (row.number) {
            profile.WriteInt(row.section, row.key, settings.*row.number);
        } else if (row.colour) {
            profile.WriteInt(row.section, row.key, static_cast<int>(settings.*row.colour));
        } else {
            profile.WriteString(row.section, row.key, settings.*row.text);
        }
    }
}

uint32_t ScaleChannels(uint32_t colour, unsigned percent) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) out |= (((colour >> shift) & 0xFF) * percent / 100) << shift;
    return out;
}

}  // namespace

CAppSettings DefaultSettings(const SettingsEnvironment& env) {
    CAppSettings s;
    s.bracketsBlinkTime = env.caretBlinkTime;
    s.fileTabTextColor = env.windowTextColor;
    s.fileTabActiveBkColor = env.buttonFaceColor;
    s.fileTabNoActiveBkColor = ScaleChannels(env.buttonFaceColor, 85);
    s.fileTabBtnColor = env.buttonFaceColor;
    return s;
}

void ReadEditorSettings(const CIniProfile& profile, const SettingsEnvironment& env, CAppSettings& settings) {
    ReadRows(profile, ReadBy::Editor, DefaultSettings(env), settings);
    ClampSettings(settings);
    if (env.isEditModeName && !env.isEditModeName(settings.defaultEditModeStr)) settings.defaultEditModeStr = u"NONE";
}

void ReadStartupSettings(const CIniProfile& profile, CAppSettings& settings) {
    ReadRows(profile, ReadBy::Startup, CAppSettings(), settings);
    ClampSettings(settings);
}

void ReadFontSettings(const CIniProfile& profile, CAppSettings& settings) {
    CAppSettings defaults;
    defaults.fontFaceName = profile.GetString(u"FONT", u"FACENAME", defaults.fontFaceName);
    defaults.fontPoint = profile.GetInt(u"FONT", u"POINT", defaults.fontPoint);
    defaults.tabFontFaceName = defaults.fontFaceName;
    defaults.tabFontPoint = defaults.fontPoint;
    ReadRows(profile, ReadBy::Font, defaults, settings);
    ClampSettings(settings);
}

void StoreEditorSettings(const CAppSettings& settings, CIniProfile& profile) {
    StoreRows(settings, kEditorSave, profile);
}

void StoreFontSettings(const CAppSettings& settings, CIniProfile& profile) { StoreRows(settings, kFontSave, profile); }

void StoreExitSettings(const CAppSettings& settings, CIniProfile& profile) { StoreRows(settings, kExitSave, profile); }

bool SaveEditorSettings(const CAppSettings& settings, CIniProfile& profile) {
    StoreEditorSettings(settings, profile);
    return profile.Save();
}

bool SaveFontSettings(const CAppSettings& settings, CIniProfile& profile) {
    StoreFontSettings(settings, profile);
    return profile.Save();
}

bool SaveExitSettings(const CAppSettings& settings, CIniProfile& profile) {
    StoreExitSettings(settings, profile);
    return profile.Save();
}

std::u16string ResolveSettingsDir(const std::u16string& dir, const std::u16string& programDir) {
    return dir.empty() ? programDir : dir;
}
