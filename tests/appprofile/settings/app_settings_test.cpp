#include "app/profile/app_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "app/profile/ini_profile.h"
#include "app/profile/setting_ranges.h"

namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

SettingsEnvironment TestEnvironment() {
    SettingsEnvironment env;
    env.caretBlinkTime = 500;
    env.windowTextColor = SettingsRgb(1, 2, 3);
    env.buttonFaceColor = SettingsRgb(200, 100, 20);
    env.isEditModeName = [](std::u16string_view name) { return name == u"NONE" || name == u"C++"; };
    return env;
}

void ReadAll(const CIniProfile& profile, CAppSettings& s) {
    ReadEditorSettings(profile, TestEnvironment(), s);
    ReadStartupSettings(profile, s);
    ReadFontSettings(profile, s);
}

void StoreAll(const CAppSettings& s, CIniProfile& profile) {
    StoreEditorSettings(s, profile);
    StoreExitSettings(s, profile);
    StoreFontSettings(s, profile);
}

// Every key of the settings file with the text its default is stored as,
// with the system values of TestEnvironment.
const IniMap kDefaults = {
    {{u"TEXT_EDITOR", u"TABSTOP"}, u"4"},
    {{u"TEXT_EDITOR", u"ROW_SPACE"}, u"0"},
    {{u"TEXT_EDITOR", u"CHAR_SPACE"}, u"0"},
    {{u"TEXT_EDITOR", u"TOP_SPACE"}, u"5"},
    {{u"TEXT_EDITOR", u"LEFT_SPACE"}, u"5"},
    {{u"TEXT_EDITOR", u"SHOW_LINE_FEED"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_LINE_END"}, u"0"},
    {{u"TEXT_EDITOR", u"SHOW_TAB"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_ROW_NUM"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_COL_NUM"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_SPACE"}, u"0"},
    {{u"TEXT_EDITOR", u"SHOW_2BYTE_SPACE"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_ROW_LINE"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_RULED_LINE"}, u"0"},
    {{u"TEXT_EDITOR", u"SHOW_EDIT_ROW"}, u"1"},
    {{u"TEXT_EDITOR", u"SHOW_BRACKETS_BOLD"}, u"1"},
    {{u"TEXT_EDITOR", u"BRACKETS_BLINK_TIME"}, u"500"},
    {{u"TEXT_EDITOR", u"LINE_MODE"}, u"0"},
    {{u"TEXT_EDITOR", u"LINE_LEN"}, u"80"},
    {{u"TEXT_EDITOR", u"TEXT_COLOR"}, u"0"},
    {{u"TEXT_EDITOR", u"KEYWORD_COLOR"}, u"13434880"},
    {{u"TEXT_EDITOR", u"COMMENT_COLOR"}, u"30720"},
    {{u"TEXT_EDITOR", u"BG_COLOR"}, u"16777215"},
    {{u"TEXT_EDITOR", u"PEN_COLOR"}, u"9868800"},
    {{u"TEXT_EDITOR", u"QUOTE_COLOR"}, u"220"},
    {{u"TEXT_EDITOR", u"SRARCH_COLOR"}, u"13158600"},
    {{u"TEXT_EDITOR", u"SELECTED_COLOR"}, u"3276800"},
    {{u"TEXT_EDITOR", u"RULER_COLOR"}, u"25600"},
    {{u"TEXT_EDITOR", u"OPERATOR_COLOR"}, u"128"},
    {{u"TEXT_EDITOR", u"KEYWORD2_COLOR"}, u"12615680"},
    {{u"TEXT_EDITOR", u"IME_CARET_COLOR"}, u"40960"},
    {{u"TEXT_EDITOR", u"RULED_LINE_COLOR"}, u"11842740"},
    {{u"TEXT_EDITOR", u"INDENT_MODE"}, u"0"},
    {{u"TEXT_EDITOR", u"TAB_AS_SPACE"}, u"0"},
    {{u"TEXT_EDITOR", u"CLICKABLE_URL"}, u"1"},
    {{u"TEXT_EDITOR", u"DRAG_DROP_EDIT"}, u"0"},
    {{u"TEXT_EDITOR", u"TEXT_DROP_EDIT"}, u"0"},
    {{u"TEXT_EDITOR", u"MOUSE_SELECT_COPY"}, u"0"},
    {{u"TEXT_EDITOR", u"ROW_COPY_AT_NO_SEL"}, u"1"},
    {{u"TEXT_EDITOR", u"CLEAR_AFTER_COPY"}, u"0"},
    {{u"TEXT_EDITOR", u"WHEEL_SCROLL_ROW"}, u"3"},
    {{u"TEXT_EDITOR", u"USE_KEYWORD_WINDOW"}, u"1"},
    {{u"TEXT_EDITOR", u"ENABLE_WORD_WRAP"}, u"0"},
    {{u"TEXT_EDITOR", u"ENABLE_CONFINEMENT"}, u"0"},
    {{u"FILETAB", u"TEXT_COLOR"}, u"197121"},
    {{u"FILETAB", u"ACTIVE_BK_COLOR"}, u"1336520"},
    {{u"FILETAB", u"NO_ACTIVE_BK_COLOR"}, u"1136042"},  // RGB(170, 85, 17)
    {{u"FILETAB", u"BTN_COLOR"}, u"1336520"},
    {{u"TEXT_EDITOR", u"FIRST_CONFINEMENT_STR"}, u"、。，．・？！ー々）］｝」』"},
    {{u"TEXT_EDITOR", u"LAST_CONFINEMENT_STR"}, u"（［｛「『"},
    {{u"APPLICATION", u"BOOT_ON_IME"}, u"0"},
    {{u"APPLICATION", u"SAVE_MODIFIED"}, u"1"},
    {{u"APPLICATION", u"INITIAL_DIR"}, u""},
    {{u"APPLICATION", u"KB_MACRO_DIR"}, u""},
    {{u"APPLICATION", u"EDIT_MODE"}, u"0"},
    {{u"APPLICATION", u"WINDOW_TITLE_IS_PATH_NAME"}, u"1"},
    {{u"APPLICATION", u"TAB_TITLE_IS_PATH_NAME"}, u"0"},
    {{u"APPLICATION", u"TAB_MULTI_ROW"}, u"0"},
    {{u"APPLICATION", u"TAB_CLOSE_AT_MCLICK"}, u"0"},
    {{u"APPLICATION", u"TAB_DRAG_MOVE"}, u"1"},
    {{u"APPLICATION", u"TAB_CREATE_AT_DBLCLICK"}, u"0"},
    {{u"APPLICATION", u"CLOSE_BTN_ON_TAB"}, u"1"},
    {{u"APPLICATION", u"SHOW_TAB_TOOLTIP"}, u"1"},
    {{u"APPLICATION", u"DISABLE_DOUBLE_BOOT"}, u"0"},
    {{u"APPLICATION", u"HIDE_TAB_BAR_AT_ONE"}, u"0"},
    {{u"APPLICATION", u"SEARCH_LOOP_MSG"}, u"0"},
    {{u"APPLICATION", u"SEARCH_DLG_CLOSE_AT_FOUND"}, u"0"},
    {{u"APPLICATION", u"ENABLE_TAG_JUMP"}, u"0"},
    {{u"APPLICATION", u"MAX_MRU"}, u"4"},
    {{u"APPLICATION", u"FILE_LIST_FILTER"}, u"*.txt;*.htm;*.html;*.c;*.cpp;*.h;*.java;*.pl;*.cgi;*.sql;*.ora;*.log"},
    {{u"APPLICATION", u"BROWSER_FIREFOX"}, u"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
    {{u"APPLICATION", u"BROWSER_NS"}, u"C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe"},
    {{u"APPLICATION", u"BROWSER_IE"}, u"C:\\Program Files\\Internet Explorer\\Iexplore.exe"},
    {{u"APPLICATION", u"DEFAULT_KANJI_CODE"}, u"1"},
    {{u"APPLICATION", u"DEFAULT_LINE_TYPE"}, u"1"},
    {{u"APPLICATION", u"DEFAULT_EDIT_MODE_STR"}, u"NONE"},
    {{u"APPLICATION", u"FILE_OPEN_KANJI_CODE"}, u"9"},
    {{u"FONT", u"FACENAME"}, u"Terminal"},
    {{u"FONT", u"POINT"}, u"140"},
    {{u"FONT", u"WEIGHT"}, u"400"},
    {{u"FONT", u"ITALIC"}, u"0"},
    {{u"TAB_FONT", u"FACENAME"}, u"Terminal"},
    {{u"TAB_FONT", u"POINT"}, u"140"},
    {{u"SULKI", u"SEARCH_DIR_AS_CURRENT_DIR"}, u"0"},
};

TEST(AppSettings, AnEmptyFileGivesEveryDefaultUnderItsKey) {
    CIniProfile empty, stored;
    CAppSettings s;
    s.tabStop = 99;  // every value is read, none is left as it was
    ReadAll(empty, s);
    EXPECT_EQ(s.bracketsBlinkTime, 500);
    EXPECT_TRUE(s.initialDir.empty()) << "resolved to the program folder where it is used";
    EXPECT_EQ(ResolveSettingsDir(s.initialDir, u"C:\\wendrel\\"), u"C:\\wendrel\\");
    EXPECT_EQ(ResolveSettingsDir(u"D:\\work", u"C:\\wendrel\\"), u"D:\\work");
    StoreAll(s, stored);
    EXPECT_EQ(stored.Entries(), kDefaults);
}

// A value that varies with n and survives the clamping on read.
int ValueInRange(const std::pair<std::u16string, std::u16string>& key, int n) {
    if (key.second == u"DEFAULT_KANJI_CODE") return 6;
    if (key.second == u"FILE_OPEN_KANJI_CODE") return 10;
    for (const SettingRange* r = SettingRangesBegin(); r != SettingRangesEnd(); ++r)
        if (key.second == r->key) return r->min + n % (r->max - r->min + 1);
    return n;
}

TEST(AppSettings, EveryKeyRoundTripsThroughStoreAndLoad) {
    // A distinct value for every key: a key read into the wrong value, or two
    // keys sharing one, shows up as a difference.
    CIniProfile source;
    int n = 1;
    for (const auto& [key, value] : kDefaults) {
        const bool isText = !value.empty() && (value[0] < u'0' || value[0] > u'9');
        const bool isDir = key.second == u"INITIAL_DIR" || key.second == u"KB_MACRO_DIR";
        if (key.second == u"DEFAULT_EDIT_MODE_STR") {
            source.WriteString(key.first, key.second, u"C++");
        } else if (isText || isDir) {
            source.WriteString(key.first, key.second, u"値" + std::u16string(1, char16_t(u'A' + n)));
        } else {
            source.WriteInt(key.first, key.second, ValueInRange(key, 1000 + n));
        }
        ++n;
    }
    CAppSettings s;
    ReadAll(source, s);
    CIniProfile target;
    StoreAll(s, target);
    EXPECT_EQ(target.Entries(), source.Entries());
    CAppSettings again;
    ReadAll(target, again);
    EXPECT_EQ(again, s);
}

TEST(AppSettings, ValuesTheProgramCannotUseAreMended) {
    // Each number is clamped to what the option pages allow: the text stays
    // visible and nothing divides by zero.
    struct Case {
        const char16_t* section;
        const char16_t* key;
        std::u16string stored;
        std::u16string read;
    } cases[] = {
        {u"TEXT_EDITOR", u"TABSTOP", u"0", u"1"},
        {u"TEXT_EDITOR", u"TABSTOP", u"100000", u"200"},
        {u"TEXT_EDITOR", u"ROW_SPACE", u"-100", u"0"},
        {u"TEXT_EDITOR", u"CHAR_SPACE", u"21", u"20"},
        {u"TEXT_EDITOR", u"TOP_SPACE", u"-2147483648", u"0"},
        {u"TEXT_EDITOR", u"LEFT_SPACE", u"99999999", u"20"},
        {u"TEXT_EDITOR", u"LEFT_SPACE", u"20", u"20"},
        {u"TEXT_EDITOR", u"LINE_LEN", u"3", u"20"},
        {u"TEXT_EDITOR", u"LINE_LEN", u"201", u"200"},
        {u"TEXT_EDITOR", u"BRACKETS_BLINK_TIME", u"-5", u"0"},
        {u"TEXT_EDITOR", u"BRACKETS_BLINK_TIME", u"2147483647", u"5000"},
        {u"TEXT_EDITOR", u"WHEEL_SCROLL_ROW", u"0", u"3"},
        {u"TEXT_EDITOR", u"WHEEL_SCROLL_ROW", u"-2", u"3"},
        {u"TEXT_EDITOR", u"WHEEL_SCROLL_ROW", u"5", u"5"},
        {u"TEXT_EDITOR", u"WHEEL_SCROLL_ROW", u"500", u"120"},
        {u"TEXT_EDITOR", u"INDENT_MODE", u"7", u"2"},
        {u"TEXT_EDITOR", u"BG_COLOR", u"-1", u"16777215"},
        {u"APPLICATION", u"MAX_MRU", u"20", u"16"},
        {u"APPLICATION", u"MAX_MRU", u"-1", u"16"},
        {u"APPLICATION", u"MAX_MRU", u"0", u"0"},
        {u"APPLICATION", u"DEFAULT_KANJI_CODE", u"9", u"1"},
        {u"APPLICATION", u"DEFAULT_KANJI_CODE", u"11", u"11"},
        {u"APPLICATION", u"FILE_OPEN_KANJI_CODE", u"4", u"9"},
        {u"APPLICATION", u"DEFAULT_LINE_TYPE", u"0", u"1"},
        {u"APPLICATION", u"DEFAULT_EDIT_MODE_STR", u"NoSuchMode", u"NONE"},
        {u"APPLICATION", u"DEFAULT_EDIT_MODE_STR", u"C++", u"C++"},
        {u"TEXT_EDITOR", u"LINE_MODE", u"-1", u"0"},
        {u"FONT", u"POINT", u"1", u"60"},
        {u"FONT", u"POINT", u"100000", u"720"},
        {u"FONT", u"WEIGHT", u"-400", u"0"},
        {u"TAB_FONT", u"POINT", u"-90", u"60"},
    };
    for (const Case& c : cases) {
        CIniProfile profile;
        profile.WriteString(c.section, c.key, c.stored);
        CAppSettings s;
        ReadAll(profile, s);
        StoreAll(s, profile);
        EXPECT_EQ(*profile.Find(c.section, c.key), c.read) << Narrow(c.key) << "=" << Narrow(c.stored);
    }
}

TEST(AppSettings, TheTabFontFollowsTheEditorFontUnlessItHasItsOwn) {
    CIniProfile profile;
    profile.WriteString(u"FONT", u"FACENAME", u"ＭＳ ゴシック");
    profile.WriteInt(u"FONT", u"POINT", 100);
    CAppSettings s;
    ReadFontSettings(profile, s);
    EXPECT_EQ(s.tabFontFaceName, u"ＭＳ ゴシック");
    EXPECT_EQ(s.tabFontPoint, 100);
    profile.WriteString(u"TAB_FONT", u"FACENAME", u"Arial");
    profile.WriteInt(u"TAB_FONT", u"POINT", 90);
    ReadFontSettings(profile, s);
    EXPECT_EQ(s.tabFontFaceName, u"Arial");
    EXPECT_EQ(s.tabFontPoint, 90);
    EXPECT_EQ(s.fontFaceName, u"ＭＳ ゴシック");
}

TEST(AppSettings, EachSaveWritesOnlyItsOwnKeys) {
    CAppSettings s;
    CIniProfile exitOnly, fontsOnly, editorOnly;
    StoreExitSettings(s, exitOnly);
    EXPECT_EQ(exitOnly.Entries(), (IniMap{{{u"APPLICATION", u"EDIT_MODE"}, u"0"},
                                          {{u"APPLICATION", u"KB_MACRO_DIR"}, u""},
                                          {{u"TEXT_EDITOR", u"LINE_MODE"}, u"0"}}));
    StoreFontSettings(s, fontsOnly);
    for (const auto& entry : fontsOnly.Entries())
        EXPECT_TRUE(entry.first.first == u"FONT" || entry.first.first == u"TAB_FONT") << Narrow(entry.first.second);
    EXPECT_EQ(fontsOnly.Entries().size(), 6u);
    StoreEditorSettings(s, editorOnly);
    EXPECT_EQ(editorOnly.Find(u"TEXT_EDITOR", u"LINE_MODE"), nullptr);
    EXPECT_EQ(editorOnly.Find(u"APPLICATION", u"EDIT_MODE"), nullptr);
    EXPECT_EQ(editorOnly.Find(u"FONT", u"POINT"), nullptr);
    EXPECT_NE(editorOnly.Find(u"APPLICATION", u"KB_MACRO_DIR"), nullptr);
}

TEST(AppSettings, TheWrapModeIsReadByStartUpNotWithTheEditorSettings) {
    CIniProfile profile;
    profile.WriteInt(u"APPLICATION", u"FILE_OPEN_KANJI_CODE", 6);
    profile.WriteInt(u"TEXT_EDITOR", u"LINE_MODE", 2);
    CAppSettings settings;
    ReadEditorSettings(profile, TestEnvironment(), settings);
    EXPECT_EQ(settings.fileOpenKanjiCode, 6);
    EXPECT_EQ(settings.lineMode, 0);
    ReadStartupSettings(profile, settings);
    EXPECT_EQ(settings.lineMode, 2);
}

}  // namespace
