#include "app/ini_profile_win.h"

#include "framework/wide.h"

namespace {

CString LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With no buffer size the string table entry itself is handed out.
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text ? CString(text, n) : CString();
}

}  // namespace

CString GetIniString(const CIniProfile& profile, const wchar_t* section, const wchar_t* key,
                     const wchar_t* defaultValue) {
    if (const std::u16string* value = profile.Find(AsU16(section), AsU16(key))) return CString(*value);
    if (IS_INTRESOURCE(defaultValue)) return LoadResourceString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(defaultValue)));
    return CString(defaultValue);
}

bool WriteIniString(CIniProfile& profile, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    return profile.WriteString(AsU16(section), AsU16(key), AsU16(value ? value : L""));
}
