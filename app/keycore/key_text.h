// Key texts as menus and the key-assignment dialog show them: the modifier
// prefixes "Alt+", "Ctrl+", "Shift+" in this order, then the key: a letter
// or digit itself, else its name ("F2", "ENTER", "NEXT"). Keys without a
// name are shown as the character they type, which only the platform knows:
// the caller passes that lookup in.
#pragma once

#include <cstdint>
#include <string>

// fVirt bits of a binding: FVIRTKEY | FNOINVERT always, then the modifiers.
constexpr uint8_t kKeyBase = 3;
constexpr uint8_t kKeyShift = 4;
constexpr uint8_t kKeyCtrl = 8;
constexpr uint8_t kKeyAlt = 16;

// The character a virtual key types (0 when none).
using CharOfKeyFn = char16_t (*)(uint16_t key);
// The virtual key that types a character (-1 when none).
using KeyOfCharFn = int (*)(char16_t ch);

std::u16string KeyText(uint16_t key, bool alt, bool ctrl, bool shift, CharOfKeyFn charOfKey);
// The binding a key text names; false when the text names no key (an
// unfinished "Ctrl+", an unknown name).
bool ParseKeyText(const std::u16string& text, uint8_t& fVirt, uint16_t& key, KeyOfCharFn keyOfChar);
// The virtual key of a key name ("F2", "ENTER"), or 0.
uint16_t KeyOfName(const std::u16string& name);
