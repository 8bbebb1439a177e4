// The editor's options: plain values read from
// the settings store at start-up and written back by the options command,
// the font commands and at exit. Each value's section, key and default are
// in the table of app_settings.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CIniProfile;

// A Windows COLORREF: red in the lowest byte, then green, then blue.
constexpr uint32_t SettingsRgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

struct CAppSettings {
    // TEXT_EDITOR
    int tabStop = 4;
    int rowSpace = 0;
    int charSpace = 0;
    int topSpace = 5;
    int leftSpace = 5;
    int showLineFeed = 1;
    int showLineEnd = 0;  // the wrap position
    int showTab = 1;
    int showRowNum = 1;
    int showColNum = 1;
    int showSpace = 0;
    int show2ByteSpace = 1;
    int showRowLine = 1;
    int showRuledLine = 0;
    int showEditRow = 1;
    int showBracketsBold = 1;
    int bracketsBlinkTime = 0;  // default: the system caret blink time
    int lineMode = 0;
    int lineLen = 80;
    uint32_t textColor = SettingsRgb(0, 0, 0);
    uint32_t keywordColor = SettingsRgb(0, 0, 205);
    uint32_t commentColor = SettingsRgb(0, 120, 0);
    uint32_t bgColor = SettingsRgb(255, 255, 255);
    uint32_t penColor = SettingsRgb(0, 150, 150);
    uint32_t quoteColor = SettingsRgb(220, 0, 0);
    uint32_t searchColor = SettingsRgb(200, 200, 200);
    uint32_t selectedColor = SettingsRgb(0, 0, 50);
    uint32_t rulerColor = SettingsRgb(0, 100, 0);
    uint32_t operatorColor = SettingsRgb(128, 0, 0);
    uint32_t keyword2Color = SettingsRgb(0, 128, 192);
    uint32_t imeCaretColor = SettingsRgb(0, 160, 0);
    uint32_t ruledLineColor = SettingsRgb(180, 180, 180);
    int indentMode = 0;
    int tabAsSpace = 0;
    int clickableUrl = 1;
    int dragDropEdit = 0;
    int textDropEdit = 0;
    int mouseSelectCopy = 0;
    int rowCopyAtNoSel = 1;
    int clearAfterCopy = 0;
    int wheelScrollRow = 3;
    int useKeywordWindow = 1;
    int enableWordWrap = 0;
    int enableConfinement = 0;
    std::u16string firstConfinementStr = u"、。，．・？！ー々）］｝」』";
    std::u16string lastConfinementStr = u"（［｛「『";
    // FILETAB; defaults from the system colours
    uint32_t fileTabTextColor = 0;
    uint32_t fileTabActiveBkColor = 0;
    uint32_t fileTabNoActiveBkColor = 0;
    uint32_t fileTabBtnColor = 0;
    // APPLICATION
    int bootOnIme = 0;
    int saveModified = 1;
    std::u16string initialDir;  // empty: the program folder (ResolveSettingsDir)
    std::u16string kbMacroDir;  // empty: the program folder (ResolveSettingsDir)
    int editMode = 0;
    int windowTitleIsPathName = 1;
    int tabTitleIsPathName = 0;
    int tabMultiRow = 0;
    int tabCloseAtMClick = 0;
    int tabDragMove = 1;
    int tabCreateAtDblClick = 0;
    int closeBtnOnTab = 1;
    int showTabTooltip = 1;
    int disableDoubleBoot = 0;
    int hideTabBarAtOne = 0;
    int searchLoopMsg = 0;
    int searchDlgCloseAtFound = 0;
    int enableTagJump = 0;
    int maxMru = 4;
    std::u16string fileListFilter = u"*.txt;*.htm;*.html;*.c;*.cpp;*.h;*.java;*.pl;*.cgi;*.sql;*.ora;*.log";
    std::u16string browserFirefox = u"C:\\Program Files\\Mozilla Firefox\\firefox.exe";
    std::u16string browserNs = u"C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe";
    std::u16string browserIe = u"C:\\Program Files\\Internet Explorer\\Iexplore.exe";
    int defaultKanjiCode = 1;
    int defaultLineType = 1;
    std::u16string defaultEditModeStr = u"NONE";
    int fileOpenKanjiCode = 9;
    // FONT and TAB_FONT; the tab font defaults to the editor font
    std::u16string fontFaceName = u"Terminal";
    int fontPoint = 140;  // tenths of a point
    int fontWeight = 400;
    int fontItalic = 0;
    std::u16string tabFontFaceName = u"Terminal";
    int tabFontPoint = 140;
    // SULKI
    int searchDirAsCurrentDir = 0;

    bool operator==(const CAppSettings&) const = default;
};

// What the defaults and checks take from the running system.
struct SettingsEnvironment {
    int caretBlinkTime = 530;
    uint32_t windowTextColor = SettingsRgb(0, 0, 0);
    uint32_t buttonFaceColor = SettingsRgb(240, 240, 240);
    // Whether the edit-mode list holds a mode of that name; null takes every name.
    std::function<bool(std::u16string_view)> isEditModeName;
};

// Defaults, with those that come from the system filled in.
CAppSettings DefaultSettings(const SettingsEnvironment& env);

// The start-up read of the editor options (every key but LINE_MODE,
// EDIT_MODE and the fonts), with the defaults of env. Numbers out of their
// range are clamped into it (setting_ranges.h), and an edit-mode name the
// list doesn't hold becomes "NONE".
void ReadEditorSettings(const CIniProfile& profile, const SettingsEnvironment& env, CAppSettings& settings);
// LINE_MODE and EDIT_MODE, read by start-up after the edit modes are loaded.
void ReadStartupSettings(const CIniProfile& profile, CAppSettings& settings);
// FONT and TAB_FONT.
void ReadFontSettings(const CIniProfile& profile, CAppSettings& settings);

// Put the values into the store; the caller then saves it (the options
// command, the font commands, exit).
void StoreEditorSettings(const CAppSettings& settings, CIniProfile& profile);
void StoreFontSettings(const CAppSettings& settings, CIniProfile& profile);
// LINE_MODE, EDIT_MODE and KB_MACRO_DIR, written at exit.
void StoreExitSettings(const CAppSettings& settings, CIniProfile& profile);

// The values into the store, then the store to its file (the options
// command, the font commands, exit). False when the file was not written;
// the writers go on regardless.
bool SaveEditorSettings(const CAppSettings& settings, CIniProfile& profile);
bool SaveFontSettings(const CAppSettings& settings, CIniProfile& profile);
bool SaveExitSettings(const CAppSettings& settings, CIniProfile& profile);

// A folder setting where it is used: empty means programDir.
std::u16string ResolveSettingsDir(const std::u16string& dir, const std::u16string& programDir);
