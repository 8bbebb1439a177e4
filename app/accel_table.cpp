#include "app/accel_table.h"

#include <cwchar>

#include "app/profile/ini_profile.h"
#include "framework/wide.h"

namespace {

struct KeyName {
    const wchar_t* name;
    WORD code;
};

// Named keys: the virtual-key constant without "VK_", but ENTER for return.
const KeyName kKeyNames[] = {
    {L"LBUTTON", 0x01},   {L"RBUTTON", 0x02},  {L"CANCEL", 0x03},    {L"MBUTTON", 0x04},    {L"BACK", 0x08},
    {L"TAB", 0x09},       {L"CLEAR", 0x0C},    {L"ENTER", 0x0D},     {L"PAUSE", 0x13},      {L"CAPITAL", 0x14},
    {L"KANA", 0x15},      {L"JUNJA", 0x17},    {L"FINAL", 0x18},     {L"KANJI", 0x19},      {L"ESCAPE", 0x1B},
    {L"CONVERT", 0x1C},   {L"NONCONVERT", 0x1D}, {L"ACCEPT", 0x1E},  {L"MODECHANGE", 0x1F}, {L"SPACE", 0x20},
    {L"PRIOR", 0x21},     {L"NEXT", 0x22},     {L"END", 0x23},       {L"HOME", 0x24},       {L"LEFT", 0x25},
    {L"UP", 0x26},        {L"RIGHT", 0x27},    {L"DOWN", 0x28},      {L"SELECT", 0x29},     {L"PRINT", 0x2A},
    {L"EXECUTE", 0x2B},   {L"SNAPSHOT", 0x2C}, {L"INSERT", 0x2D},    {L"DELETE", 0x2E},     {L"HELP", 0x2F},
    {L"LWIN", 0x5B},      {L"RWIN", 0x5C},     {L"APPS", 0x5D},      {L"NUMPAD0", 0x60},    {L"NUMPAD1", 0x61},
    {L"NUMPAD2", 0x62},   {L"NUMPAD3", 0x63},  {L"NUMPAD4", 0x64},   {L"NUMPAD5", 0x65},    {L"NUMPAD6", 0x66},
    {L"NUMPAD7", 0x67},   {L"NUMPAD8", 0x68},  {L"NUMPAD9", 0x69},   {L"MULTIPLY", 0x6A},   {L"ADD", 0x6B},
    {L"SEPARATOR", 0x6C}, {L"SUBTRACT", 0x6D}, {L"DECIMAL", 0x6E},   {L"DIVIDE", 0x6F},     {L"F1", 0x70},
    {L"F2", 0x71},        {L"F3", 0x72},       {L"F4", 0x73},        {L"F5", 0x74},         {L"F6", 0x75},
    {L"F7", 0x76},        {L"F8", 0x77},       {L"F9", 0x78},        {L"F10", 0x79},        {L"F11", 0x7A},
    {L"F12", 0x7B},       {L"F13", 0x7C},      {L"F14", 0x7D},       {L"F15", 0x7E},        {L"F16", 0x7F},
    {L"F17", 0x80},       {L"F18", 0x81},      {L"F19", 0x82},       {L"F20", 0x83},        {L"F21", 0x84},
    {L"F22", 0x85},       {L"F23", 0x86},      {L"F24", 0x87},       {L"NUMLOCK", 0x90},    {L"SCROLL", 0x91},
};
static_assert(sizeof(kKeyNames) / sizeof(kKeyNames[0]) == 80);

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

}  // namespace

std::wstring KeyToString(WORD key, bool alt, bool ctrl, bool shift) {
    std::wstring text;
    if (alt) text += L"Alt+";
    if (ctrl) text += L"Ctrl+";
    if (shift) text += L"Shift+";
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return text + static_cast<wchar_t>(key);
    for (const KeyName& k : kKeyNames)
        if (k.code == key) return text + k.name;
    UINT ch = ::MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF;
    if (ch) text += static_cast<wchar_t>(ch);
    return text;
}

bool StringToKey(const std::wstring& text, BYTE& fVirt, WORD& key) {
    fVirt = kAccelBase;
    if (text.find(L"Alt+") != std::wstring::npos) fVirt |= kAccelAlt;
    if (text.find(L"Ctrl+") != std::wstring::npos) fVirt |= kAccelCtrl;
    if (text.find(L"Shift+") != std::wstring::npos) fVirt |= kAccelShift;
    const size_t plus = text.rfind(L'+');
    const std::wstring name = plus == std::wstring::npos ? text : text.substr(plus + 1);
    if (name.size() == 1 && ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'0' && name[0] <= L'9'))) {
        key = name[0];
        return true;
    }
    for (const KeyName& k : kKeyNames)
        if (name == k.name && k.code) {
            key = k.code;
            return true;
        }
    if (name.size() == 1) {
        SHORT scan = ::VkKeyScanW(name[0]);
        if (scan != -1) {
            key = static_cast<WORD>(scan & 0xFF);
            return true;
        }
    }
    return false;
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
