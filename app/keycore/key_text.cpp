#include "app/keycore/key_text.h"

namespace {

struct KeyName {
    const char16_t* name;
    uint16_t code;
};

// Named keys: the virtual-key constant without "VK_", but ENTER for return.
const KeyName kKeyNames[] = {
    {u"LBUTTON", 0x01},   {u"RBUTTON", 0x02},  {u"CANCEL", 0x03},    {u"MBUTTON", 0x04},    {u"BACK", 0x08},
    {u"TAB", 0x09},       {u"CLEAR", 0x0C},    {u"ENTER", 0x0D},     {u"PAUSE", 0x13},      {u"CAPITAL", 0x14},
    {u"KANA", 0x15},      {u"JUNJA", 0x17},    {u"FINAL", 0x18},     {u"KANJI", 0x19},      {u"ESCAPE", 0x1B},
    {u"CONVERT", 0x1C},   {u"NONCONVERT", 0x1D}, {u"ACCEPT", 0x1E},  {u"MODECHANGE", 0x1F}, {u"SPACE", 0x20},
    {u"PRIOR", 0x21},     {u"NEXT", 0x22},     {u"END", 0x23},       {u"HOME", 0x24},       {u"LEFT", 0x25},
    {u"UP", 0x26},        {u"RIGHT", 0x27},    {u"DOWN", 0x28},      {u"SELECT", 0x29},     {u"PRINT", 0x2A},
    {u"EXECUTE", 0x2B},   {u"SNAPSHOT", 0x2C}, {u"INSERT", 0x2D},    {u"DELETE", 0x2E},     {u"HELP", 0x2F},
    {u"LWIN", 0x5B},      {u"RWIN", 0x5C},     {u"APPS", 0x5D},      {u"NUMPAD0", 0x60},    {u"NUMPAD1", 0x61},
    {u"NUMPAD2", 0x62},   {u"NUMPAD3", 0x63},  {u"NUMPAD4", 0x64},   {u"NUMPAD5", 0x65},    {u"NUMPAD6", 0x66},
    {u"NUMPAD7", 0x67},   {u"NUMPAD8", 0x68},  {u"NUMPAD9", 0x69},   {u"MULTIPLY", 0x6A},   {u"ADD", 0x6B},
    {u"SEPARATOR", 0x6C}, {u"SUBTRACT", 0x6D}, {u"DECIMAL", 0x6E},   {u"DIVIDE", 0x6F},     {u"F1", 0x70},
    {u"F2", 0x71},        {u"F3", 0x72},       {u"F4", 0x73},        {u"F5", 0x74},         {u"F6", 0x75},
    {u"F7", 0x76},        {u"F8", 0x77},       {u"F9", 0x78},        {u"F10", 0x79},        {u"F11", 0x7A},
    {u"F12", 0x7B},       {u"F13", 0x7C},      {u"F14", 0x7D},       {u"F15", 0x7E},        {u"F16", 0x7F},
    {u"F17", 0x80},       {u"F18", 0x81},      {u"F19", 0x82},       {u"F20", 0x83},        {u"F21", 0x84},
    {u"F22", 0x85},       {u"F23", 0x86},      {u"F24", 0x87},       {u"NUMLOCK", 0x90},    {u"SCROLL", 0x91},
};
static_assert(sizeof(kKeyNames) / sizeof(kKeyNames[0]) == 80);

bool IsLetterOrDigit(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); }

}  // namespace

uint16_t KeyOfName(const std::u16string& name) {
    for (const KeyName& k : kKeyNames)
        if (name == k.name) return k.code;
    return 0;
}

std::u16string KeyText(uint16_t key, bool alt, bool ctrl, bool shift, CharOfKeyFn charOfKey) {
    std::u16string text;
    if (alt) text += u"Alt+";
    if (ctrl) text += u"Ctrl+";
    if (shift) text += u"Shift+";
    if (IsLetterOrDigit(static_cast<char16_t>(key))) return text + static_cast<char16_t>(key);
    for (const KeyName& k : kKeyNames)
        if (k.code == key) return text + k.name;
    const char16_t ch = charOfKey ? charOfKey(key) : 0;
    if (ch) text += ch;
    return text;
}

bool ParseKeyText(const std::u16string& text, uint8_t& fVirt, uint16_t& key, KeyOfCharFn keyOfChar) {
    fVirt = kKeyBase;
    if (text.find(u"Alt+") != std::u16string::npos) fVirt |= kKeyAlt;
    if (text.find(u"Ctrl+") != std::u16string::npos) fVirt |= kKeyCtrl;
    if (text.find(u"Shift+") != std::u16string::npos) fVirt |= kKeyShift;
    // A lone "+" is the key that types it, not an unfinished prefix.
    const size_t plus = text.size() > 1 ? text.rfind(u'+', text.size() - 2) : std::u16string::npos;
    const std::u16string name = plus == std::u16string::npos ? text : text.substr(plus + 1);
    if (name.size() == 1 && IsLetterOrDigit(name[0])) {
        key = name[0];
        return true;
    }
    if (const uint16_t code = KeyOfName(name)) {
        key = code;
        return true;
    }
    if (name.size() == 1 && keyOfChar) {
        const int code = keyOfChar(name[0]);
        if (code > 0) {
            key = static_cast<uint16_t>(code & 0xFF);
            return true;
        }
    }
    return false;
}
