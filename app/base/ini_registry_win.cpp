#include "app/base/ini_registry_win.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/base/ini_file_win.h"
#include "app/profile/ini_format.h"
#include "framework/wide.h"

namespace {

constexpr DWORD kMaxNameUnits = 1024;
constexpr DWORD kMaxDataBytes = 32 * 1024;

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (m_key) RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool Open(HKEY parent, const wchar_t* name) {
        if (RegOpenKeyExW(parent, name, 0, KEY_READ, &m_key) == ERROR_SUCCESS) return true;
        m_key = nullptr;
        return false;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool GoesToLocalFile(const std::wstring& path) {
    return path.compare(0, 8, L"BarState") == 0 || path == L"Recent File List";
}

void AppendEntry(std::u16string& out, const std::wstring& path, const wchar_t* name, const std::u16string& value) {
    const std::u16string key = ToU16(name);
    if (!IsStorableIniEntry(ToU16(path), key, value)) return;
    out += key;
    out += u'=';
    out += value;
    out += u'\n';
}

bool ImportValues(HKEY key, const std::wstring& path, std::u16string& out) {
    std::vector<wchar_t> name(kMaxNameUnits + 1);
    std::vector<BYTE> data(kMaxDataBytes + sizeof(wchar_t));
    for (DWORD index = 0;; ++index) {
        DWORD nameUnits = kMaxNameUnits + 1, dataBytes = kMaxDataBytes, type = 0;
        const LONG r = RegEnumValueW(key, index, name.data(), &nameUnits, nullptr, &type, data.data(), &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS) return true;
        if (r != ERROR_SUCCESS) return false;
        if (type == REG_SZ) {
            std::u16string text(reinterpret_cast<const char16_t*>(data.data()), dataBytes / sizeof(char16_t));
            text.resize(std::char_traits<char16_t>::length(text.c_str()));  // the stored terminator, if any
            AppendEntry(out, path, name.data(), text);
        } else if (type == REG_DWORD && dataBytes == sizeof(DWORD)) {
            DWORD value;
            std::memcpy(&value, data.data(), sizeof value);
            const std::string digits = std::to_string(value);
            AppendEntry(out, path, name.data(), std::u16string(digits.begin(), digits.end()));
        } else {
            return false;
        }
    }
}

}  // namespace

bool ImportRegistryKey(HKEY key, const std::wstring& path, std::u16string& mainText, std::u16string& localText) {
    std::u16string& out = GoesToLocalFile(path) ? localText : mainText;
    if (!path.empty()) {
        out += u'[';
        out += ToU16(path);
        out += u"]\n";
    }
    if (!ImportValues(key, path, out)) return false;
    out += u'\n';
    std::vector<wchar_t> name(kMaxNameUnits + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameUnits = kMaxNameUnits + 1;
        const LONG r = RegEnumKeyExW(key, index, name.data(), &nameUnits, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) return true;
        if (r != ERROR_SUCCESS) return false;
        RegKey child;
        if (!child.Open(key, name.data())) return false;
        const std::wstring childPath = path.empty() ? std::wstring(name.data()) : path + L"\\" + name.data();
        if (!ImportRegistryKey(child.Get(), childPath, out, localText)) return false;
    }
}

bool ImportRegistry(const std::wstring& mainPath, const std::wstring& localPath) {
    std::u16string mainText, localText;
    bool ok = true;
    RegKey software, vendor, program;
    if (software.Open(HKEY_CURRENT_USER, L"software") && vendor.Open(software.Get(), L"TORKA") &&
        program.Open(vendor.Get(), L"wendrel")) {
        ok = ImportRegistryKey(program.Get(), L"", mainText, localText);
    }
    // An existing local file keeps the framework's own settings.
    if (GetFileAttributesW(localPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateFileWithContents(localPath.c_str(), Utf16LeFileBytes(localText));
    return CreateFileWithContents(mainPath.c_str(), Utf16LeFileBytes(mainText)) && ok;
}
