// What the option sheet edits: which control of which page shows which
// setting, and how the edited values go back into the settings record.
// Control ids are plain numbers here; the pages' templates use the same.
#pragma once

#include <cstdint>
#include <string>

#include "app/profile/app_settings.h"

enum class OptionPage { Editor, Edit, Setup, Setup2 };
// List: a drop list its page fills and reads itself.
enum class OptionControl { Check, Number, Text, Colour, List };

// One setting shown by one control. Exactly one of the member pointers is set.
struct OptionBinding {
    OptionPage page;
    int controlId;
    OptionControl kind;
    const char16_t* key;
    int CAppSettings::*number;
    uint32_t CAppSettings::*colour;
    std::u16string CAppSettings::*text;
};

const OptionBinding* OptionBindingsBegin();
const OptionBinding* OptionBindingsEnd();

// The 13 editor colours in the order of the colour table.
extern uint32_t CAppSettings::*const kEditorColours[13];
// "標準の設定" on the editor page: the editor colours only.
void RestoreDefaultEditorColours(CAppSettings& values);
// "標準の設定" on the second setup page: the tab text and the two tab
// backgrounds from the system colours (the inactive one 85 % of the face).
void RestoreDefaultTabColours(CAppSettings& values, uint32_t windowText, uint32_t buttonFace);

// What changed in a TakeOptionValues, for the refreshes it needs.
struct OptionChanges {
    bool initialDir = false;
    bool tabLayout = false;  // tab titles, rows or hiding at one file
    bool fileListFilter = false;
    bool fileOpenKanjiCode = false;
};

// The values the sheet edited into settings: every one but the line mode,
// the edit mode, the keyboard-macro folder and the fonts, which the sheet
// doesn't show and which keep what settings holds. Numbers go through the
// settings' ranges.
OptionChanges TakeOptionValues(const CAppSettings& edited, CAppSettings& settings);
