// The program's settings store: an ordered map from (section, key) to a
// text value, loaded once from the settings file at start-up and written
// back whole after each group of changes. Only the main thread uses it; the
// file access's lock keeps other programs out of the file while it is read
// or written.
//
// Several programs may use the same file at once. Save therefore re-reads
// the file under the lock and applies only what this run changed or erased
// since the file was last read or written, so another program's changes
// survive; afterwards the map holds the merged settings.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/profile/ini_file.h"
#include "app/profile/ini_format.h"

class CIniProfile {
public:
    // Empty: no path, no entries, plain file access.
    CIniProfile();
    explicit CIniProfile(std::unique_ptr<CIniFileAccess> file);
    ~CIniProfile();
    CIniProfile(const CIniProfile&) = delete;
    CIniProfile& operator=(const CIniProfile&) = delete;

    void SetPath(std::u16string path) { m_path = std::move(path); }
    const std::u16string& GetPath() const { return m_path; }
    void SetFileAccess(std::unique_ptr<CIniFileAccess> file);
    CIniFileAccess& FileAccess() const { return *m_file; }

    // The value, or null when the entry is absent; valid until the next
    // change of that entry or the next Load or Save.
    const std::u16string* Find(std::u16string_view section, std::u16string_view key) const;
    // Adds the entry when (section, key) is absent; an existing entry is
    // never replaced. An entry that would not read back as itself (see
    // IsStorableIniEntry: a value with CR or LF) is not stored. True when added.
    bool SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    // True when the entry was there.
    bool Erase(std::u16string_view section, std::u16string_view key);
    // Replaces the value. A value that can't be stored leaves the old entry
    // as it was and returns false.
    bool WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    std::u16string GetString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue) const;
    // The decimal value (ParseIniInt), or defaultValue when absent.
    int GetInt(std::u16string_view section, std::u16string_view key, int defaultValue) const;
    void WriteInt(std::u16string_view section, std::u16string_view key, int value);

    // Adds the file's entries to the map (entries already there stay).
    // False when the lock can't be had or the file is missing or unreadable;
    // an existing file that could not be read is remembered, and Save never
    // writes over it in this run.
    bool Load();
    // Under the lock: re-reads the file, applies this run's changes and
    // erasures, and replaces the file with the result. False, with the file
    // untouched, when there is no path, the lock fails, the file can't be
    // read, Load could not read it, or the new file can't be written.
    bool Save();
    bool LoadFailed() const { return m_loadFailed; }

    const IniMap& Entries() const { return m_entries; }

private:
    // Applies the difference between m_entries and m_onDisk to target.
    void ApplyChanges(IniMap& target) const;

    std::u16string m_path;
    IniMap m_entries;
    IniMap m_onDisk;  // the file as last read or written
    bool m_loadFailed = false;
    std::unique_ptr<CIniFileAccess> m_file;
};
