// A history of texts typed into the search dialogs, newest first, kept in
// the settings store under keys "0" … "19" of its section; the search-text
// history also keeps each entry's option bits under "status_%d". The list
// in memory is the one the dialogs show: an entry the store cannot hold (a
// text with a line break) stays in it for this run but is never written,
// so the file keeps one line per entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CIniProfile;

struct SearchHistoryEntry {
    std::u16string text;
    int bits = 0;
    bool operator==(const SearchHistoryEntry&) const = default;
};

class CSearchHistory {
public:
    static constexpr int kLimit = 20;

    CSearchHistory(std::u16string section, bool withBits) : m_section(std::move(section)), m_withBits(withBits) {}

    // Replaces the list with the stored entries, up to the first missing key.
    void Load(const CIniProfile& profile);
    bool IsLoaded() const { return m_loaded; }

    // Puts text with its bits on top; an older entry of exactly this text
    // drops out (one differing only in case stays), and so does the oldest
    // beyond the limit. Writes the list to the store and saves the
    // file. False, with nothing written, when the text is empty or already
    // the newest entry with the same bits.
    bool Add(CIniProfile& profile, std::u16string_view text, int bits);

    const std::vector<SearchHistoryEntry>& Entries() const { return m_entries; }
    bool WithBits() const { return m_withBits; }

private:
    void Store(CIniProfile& profile) const;

    std::u16string m_section;
    bool m_withBits;
    bool m_loaded = false;
    std::vector<SearchHistoryEntry> m_entries;
};

// The histories' sections.
inline constexpr char16_t kSearchTextSection[] = u"SEARCH_TEXT";
inline constexpr char16_t kReplaceTextSection[] = u"REPLACE_TEXT";
