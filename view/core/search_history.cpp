#include "view/core/search_history.h"

#include "app/profile/ini_format.h"
#include "app/profile/ini_profile.h"

namespace {

std::u16string Key(int i) {
    std::string n = std::to_string(i);
    return std::u16string(n.begin(), n.end());
}

std::u16string StatusKey(int i) { return u"status_" + Key(i); }

}  // namespace

void CSearchHistory::Load(const CIniProfile& profile) {
    m_entries.clear();
    for (int i = 0; i < kLimit; ++i) {
        const std::u16string* text = profile.Find(m_section, Key(i));
        if (!text) break;
        const int bits = m_withBits ? profile.GetInt(m_section, StatusKey(i), 0) : 0;
        m_entries.push_back({*text, bits});
    }
    m_loaded = true;
}

bool CSearchHistory::Add(CIniProfile& profile, std::u16string_view text, int bits) {
    if (text.empty()) return false;
    if (!m_withBits) bits = 0;
    if (!m_entries.empty() && m_entries.front().text == text && m_entries.front().bits == bits) return false;
    std::vector<SearchHistoryEntry> entries{{std::u16string(text), bits}};
    for (const SearchHistoryEntry& old : m_entries) {
        if (static_cast<int>(entries.size()) >= kLimit) break;
        if (!old.text.empty() && old.text != text) entries.push_back(old);
    }
    m_entries = std::move(entries);
    Store(profile);
    profile.Save();
    return true;
}

void CSearchHistory::Store(CIniProfile& profile) const {
    int key = 0;
    for (const SearchHistoryEntry& entry : m_entries) {
        // A line break would split the entry in the file.
        if (!IsStorableIniEntry(m_section, Key(key), entry.text)) continue;
        profile.WriteString(m_section, Key(key), entry.text);
        if (m_withBits) profile.WriteInt(m_section, StatusKey(key), entry.bits);
        ++key;
    }
    for (; key < kLimit; ++key) {
        profile.Erase(m_section, Key(key));
        if (m_withBits) profile.WriteInt(m_section, StatusKey(key), 0);
    }
}
