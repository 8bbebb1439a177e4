#include "app/accel_table.h"

#include <cwchar>

#include "app/keycore/key_text.h"
#include "app/profile/ini_profile.h"
#include "framework/wide.h"

namespace {

struct DefaultBinding {
    const wchar_t* key;
    WORD command;
};

const DefaultBinding kDefaults[] = {
    {L"Ctrl+A", 32771},          {L"Ctrl+B", 33004},           {L"Ctrl+F", 32783},          {L"Ctrl+G", 33000},
    {L"Ctrl+H", 32790},          {L"Ctrl+N", 57600},           {L"Ctrl+O", 57601},          {L"Ctrl+F4", 57602},
    {L"Ctrl+P", 57607},          {L"Ctrl+Shift+R", 32850},     {L"Ctrl+S", 57603},          {L"Ctrl+U", 32900},
    {L"Ctrl+Shift+U", 32901},    {L"Ctrl+Shift+SPACE", 32848}, {L"F5", 33459},              {L"Ctrl+C", 57634},
    {L"Ctrl+INSERT", 57634},     {L"Ctrl+X", 57635},           {L"Shift+DELETE", 57635},    {L"Ctrl+V", 57637},
    {L"Shift+INSERT", 57637},    {L"Ctrl+Z", 57643},           {L"Alt+BACK", 57643},        {L"Ctrl+Y", 57644},
    {L"F3", 32794},              {L"Alt+F3", 32970},           {L"Shift+F3", 32795},        {L"Ctrl+F3", 33494},
    {L"F2", 33011},              {L"Ctrl+F2", 33010},          {L"Shift+F2", 33012},        {L"Ctrl+Shift+F2", 33013},
    {L"INSERT", 33020},          {L"TAB", 32846},              {L"Shift+TAB", 32847},       {L"LEFT", 32906},
    {L"RIGHT", 32907},           {L"UP", 32909},               {L"DOWN", 32910},            {L"Ctrl+LEFT", 32911},
    {L"Ctrl+RIGHT", 32931},      {L"HOME", 33451},             {L"END", 33452},             {L"Ctrl+HOME", 32914},
    {L"Ctrl+END", 32918},        {L"PRIOR", 32944},            {L"NEXT", 32946},            {L"Shift+LEFT", 32920},
    {L"Shift+RIGHT", 32922},     {L"Shift+UP", 32924},         {L"Shift+DOWN", 32926},      {L"Ctrl+Shift+LEFT", 32928},
    {L"Ctrl+Shift+RIGHT", 32934}, {L"Shift+HOME", 33453},      {L"Shift+END", 33455},       {L"Ctrl+Shift+HOME", 32939},
    {L"Ctrl+Shift+END", 32941},  {L"Shift+PRIOR", 32947},      {L"Shift+NEXT", 32950},      {L"Ctrl+UP", 32961},
    {L"Ctrl+DOWN", 32960},       {L"Ctrl+PRIOR", 32963},       {L"Ctrl+NEXT", 32966},       {L"DELETE", 32930},
    {L"BACK", 32952},            {L"ESCAPE", 32954},           {L"Shift+ESCAPE", 32956},    {L"Ctrl+F6", 33025},
    {L"Ctrl+Shift+F6", 33026},   {L"Shift+F4", 33405},         {L"F4", 33404},              {L"Ctrl+L", 33416},
    {L"Ctrl+K", 33414},
};
static_assert(sizeof(kDefaults) / sizeof(kDefaults[0]) == 73);

const char16_t kSection[] = u"ACCELERATOR";

std::u16string EntryKey(const char16_t* prefix, int i) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%.4d", i);
    return std::u16string(prefix) + ToU16(buf);
}


char16_t CharOfKey(uint16_t key) { return static_cast<char16_t>(::MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF); }

int KeyOfChar(char16_t ch) {
    const SHORT scan = ::VkKeyScanW(static_cast<wchar_t>(ch));
    return scan == -1 ? -1 : scan & 0xFF;
}

}  // namespace

std::wstring KeyToString(WORD key, bool alt, bool ctrl, bool shift) {
    return ToWide(KeyText(key, alt, ctrl, shift, &CharOfKey));
}

bool StringToKey(const std::wstring& text, BYTE& fVirt, WORD& key) {
    uint8_t v = 0;
    uint16_t k = 0;
    if (!ParseKeyText(AsU16(text.c_str()), v, k, &KeyOfChar)) return false;
    fVirt = v;
    key = k;
    return true;
}

void CAcceleratorTable::LoadDefault() {
    entries_.clear();
    for (const DefaultBinding& d : kDefaults) {
        BYTE fVirt;
        WORD key;
        if (StringToKey(d.key, fVirt, key)) Add(key, d.command, fVirt);
    }
}

void CAcceleratorTable::LoadProfile(const CIniProfile& profile) {
    Clear();
    int count = profile.GetInt(kSection, u"ACCEL_CNT", -1);
    if (count == -1) {
        LoadDefault();
        return;
    }
    // A count beyond what a table can hold comes from a damaged file.
    if (count > kMaxEntries) count = kMaxEntries;
    for (int i = 0; i < count; ++i) {
        const int command = profile.GetInt(kSection, EntryKey(u"CMD_", i), -1);
        const int key = profile.GetInt(kSection, EntryKey(u"KEY_", i), -1);
        const int fVirt = profile.GetInt(kSection, EntryKey(u"VIRT_", i), -1);
        // A missing entry (beyond a shortened table's end) binds nothing.
        if (command == -1 || key == -1 || fVirt == -1) continue;
        if ((command & 0xFFFF) == 0 || (key & 0xFFFF) == 0 || (fVirt & 0xFF) == 0) continue;
        Add(static_cast<WORD>(key), static_cast<WORD>(command), static_cast<BYTE>(fVirt));
    }
}

void CAcceleratorTable::StoreProfile(CIniProfile& profile) const {
    profile.WriteInt(kSection, u"ACCEL_CNT", GetCount());
    for (int i = 0; i < GetCount(); ++i) {
        const ACCEL& a = GetAt(i);
        profile.WriteInt(kSection, EntryKey(u"CMD_", i), a.cmd);
        profile.WriteInt(kSection, EntryKey(u"KEY_", i), a.key);
        profile.WriteInt(kSection, EntryKey(u"VIRT_", i), a.fVirt);
    }
}

bool CAcceleratorTable::SaveProfile(CIniProfile& profile) const {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    StoreProfile(profile);
    const bool saved = profile.Save();
    ::SetCursor(previous);
    return saved;
}

bool CAcceleratorTable::Add(WORD key, WORD command, BYTE fVirt) {
    try {
        if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + 100);
        entries_.push_back(ACCEL{fVirt, key, command});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CAcceleratorTable::Remove(WORD key, BYTE fVirt) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->key == key && it->fVirt == fVirt) {
            entries_.erase(it);
            return;
        }
}

int CAcceleratorTable::FindCommand(WORD command, int start, std::wstring& keyText) const {
    for (int i = start < 0 ? 0 : start; i < GetCount(); ++i) {
        const ACCEL& a = GetAt(i);
        if (a.cmd != command) continue;
        keyText = KeyToString(a.key, a.fVirt & kAccelAlt, a.fVirt & kAccelCtrl, a.fVirt & kAccelShift);
        return i + 1;
    }
    return -1;
}

int CAcceleratorTable::GetCommandKeys(WORD command, std::wstring& keys) const {
    keys.clear();
    std::wstring one;
    for (int next = FindCommand(command, 0, one); next != -1; next = FindCommand(command, next, one)) {
        if (!keys.empty()) keys += L", ";
        keys += one;
    }
    return keys.empty() ? -1 : 0;
}

WORD CAcceleratorTable::FindKey(WORD key, BYTE fVirt) const {
    for (const ACCEL& a : entries_)
        if (a.key == key && a.fVirt == fVirt) return a.cmd;
    return 0;
}

HACCEL CAcceleratorTable::CreateHandle() const {
    if (entries_.empty()) return nullptr;
    return ::CreateAcceleratorTableW(const_cast<ACCEL*>(entries_.data()), GetCount());
}
