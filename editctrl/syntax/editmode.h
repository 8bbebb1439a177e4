// Edit modes: file-name patterns tied to a language, read at start-up from
// the edit-mode list of the settings folder, and the loader that puts a
// mode's language (built-in or a language settings file) into a CStrToken.
#pragma once

#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"

#include <string>
#include <string_view>
#include <vector>

struct CEditModeEntry {
    std::u16string name;
    std::u16string shortName;    // shown on the toolbar button
    std::u16string language;     // a built-in tag such as "<cpp>", or the language file's full path
    std::u16string patterns;     // ";"-separated, such as "*.cpp;*.c;*.h"
    std::u16string settingsDir;
    int cStyleIndent = 0;
};

// One line of an edit-mode list with its line number (from 1).
struct EditModeListLine {
    int number;
    std::u16string text;
};

class CEditModeTable {
public:
    static constexpr int kFirstCommandId = 34101;  // mode i has kFirstCommandId + i
    static constexpr int kMaxModes = 15;

    // Reads "languages.txt" of the settings folder, else
    // "languages_default.txt", else the built-in list. True when at least
    // one mode was read; otherwise message says why and the table is empty.
    bool LoadEditModeList(std::u16string_view settingsDir, std::u16string& message);
    // The same from lines already read; listName names them in messages.
    bool ParseEditModeList(std::u16string_view settingsDir, const std::vector<EditModeListLine>& lines,
                           std::u16string_view listName, std::u16string& message);

    // Index of the mode of that name, ignoring case, with "txt" read as
    // "text" and "cpp" as "c++"; -1 when none.
    int FindEditMode(std::u16string_view name) const;
    // "編集モードを%sにする"; an index past the end names the first mode.
    std::u16string MakeEditModeMenuText(int index) const;
    // Appends description/filter pairs, each NUL-terminated; returns the pairs added.
    int MakeEditModeFileFilter(std::u16string& filter) const;

    int Count() const { return int(m_entries.size()); }
    CEditModeEntry& Entry(int i) { return m_entries[std::size_t(i)]; }
    const CEditModeEntry& Entry(int i) const { return m_entries[std::size_t(i)]; }
    const std::u16string& SettingsDir() const { return m_settingsDir; }
    int FirstCommandId() const { return kFirstCommandId; }

private:
    std::vector<CEditModeEntry> m_entries;
    std::u16string m_settingsDir;
};

// The built-in list, used when neither list file exists.
const std::vector<EditModeListLine>& BuiltinEditModeList();

// Resets token and loads the entry's language into it: a built-in one, or
// a language settings file and the keyword file it names. True on success;
// otherwise message says why.
bool LoadLanguageSettings(CEditModeEntry& entry, CStrToken& token, std::u16string& message);
// The same for a language settings file already read; fileName names it in messages.
bool ApplyLanguageSettings(CEditModeEntry& entry, CStrToken& token, const TextLines& lines,
                           std::u16string_view fileName, std::u16string& message);
// Fills token with one of the six built-in languages (tag such as "<cpp>");
// any other tag leaves the reset language without keywords.
void LoadBuiltinLanguage(std::u16string_view tag, std::u16string_view settingsDir, CStrToken& token);
