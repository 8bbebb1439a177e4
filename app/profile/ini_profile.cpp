#include "app/profile/ini_profile.h"

namespace {

IniKey MakeKey(std::u16string_view section, std::u16string_view key) {
    return IniKey(std::u16string(section), std::u16string(key));
}

// Holds the file lock for one pass.
class IniFileLock {
public:
    explicit IniFileLock(CIniFileAccess& file) : m_file(file), m_held(file.Lock()) {}
    ~IniFileLock() {
        if (m_held) m_file.Unlock();
    }
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    bool Held() const { return m_held; }

private:
    CIniFileAccess& m_file;
    bool m_held;
};

}  // namespace

CIniProfile::CIniProfile() : m_file(std::make_unique<CPlainIniFile>()) {}

CIniProfile::CIniProfile(std::unique_ptr<CIniFileAccess> file) : m_file(std::move(file)) {
    if (!m_file) m_file = std::make_unique<CPlainIniFile>();
}

CIniProfile::~CIniProfile() = default;

void CIniProfile::SetFileAccess(std::unique_ptr<CIniFileAccess> file) {
    m_file = file ? std::move(file) : std::make_unique<CPlainIniFile>();
}

const std::u16string* CIniProfile::Find(std::u16string_view section, std::u16string_view key) const {
    auto it = m_entries.find(MakeKey(section, key));
    return it == m_entries.end() ? nullptr : &it->second;
}

bool CIniProfile::SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (!IsStorableIniEntry(section, key, value)) return false;
    return m_entries.emplace(MakeKey(section, key), std::u16string(value)).second;
}

bool CIniProfile::Erase(std::u16string_view section, std::u16string_view key) {
    return m_entries.erase(MakeKey(section, key)) > 0;
}

bool CIniProfile::WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (!IsStorableIniEntry(section, key, value)) return false;
    m_entries.insert_or_assign(MakeKey(section, key), std::u16string(value));
    return true;
}

std::u16string CIniProfile::GetString(std::u16string_view section, std::u16string_view key,
                                      std::u16string_view defaultValue) const {
    const std::u16string* value = Find(section, key);
    return value ? *value : std::u16string(defaultValue);
}

int CIniProfile::GetInt(std::u16string_view section, std::u16string_view key, int defaultValue) const {
    const std::u16string* value = Find(section, key);
    return value ? ParseIniInt(*value) : defaultValue;
}

void CIniProfile::WriteInt(std::u16string_view section, std::u16string_view key, int value) {
    WriteString(section, key, FormatIniInt(value));
}

bool CIniProfile::Load() {
    IniFileLock lock(*m_file);
    if (!lock.Held()) {
        m_loadFailed = true;
        return false;
    }
    std::string bytes;
    switch (m_file->Read(m_path, bytes)) {
    case IniReadResult::Missing:
        return false;
    case IniReadResult::Failed:
        m_loadFailed = true;
        return false;
    case IniReadResult::Ok:
        break;
    }
    IniMap fromFile;
    ParseIniBytes(bytes, fromFile);
    for (const auto& entry : fromFile) m_entries.insert(entry);
    m_onDisk = std::move(fromFile);
    return true;
}

void CIniProfile::ApplyChanges(IniMap& target) const {
    for (const auto& [key, value] : m_entries) {
        auto old = m_onDisk.find(key);
        if (old == m_onDisk.end() || old->second != value) target.insert_or_assign(key, value);
    }
    for (const auto& entry : m_onDisk) {
        if (!m_entries.count(entry.first)) target.erase(entry.first);
    }
}

bool CIniProfile::Save() {
    if (m_path.empty()) return false;
    IniFileLock lock(*m_file);
    if (!lock.Held()) return false;
    std::string bytes;
    IniMap merged;
    switch (m_file->Read(m_path, bytes)) {
    case IniReadResult::Failed:
        return false;
    case IniReadResult::Missing:
        merged = m_entries;
        break;
    case IniReadResult::Ok:
        if (m_loadFailed) return false;  // what it holds was never seen: keep it
        ParseIniBytes(bytes, merged);
        ApplyChanges(merged);
        break;
    }
    if (!m_file->Replace(m_path, FormatIniBytes(merged))) return false;
    m_entries = merged;
    m_onDisk = std::move(merged);
    m_loadFailed = false;
    return true;
}
