// What a keyboard macro records from the key messages the editor's own
// thread takes, and how a recorded event is typed again.
//
// Every key down and up is kept with its virtual key. A character that the
// keyboard typed through a key of no lasting meaning (a character beyond
// ASCII, as an input tool types it) is kept as the character itself, so that
// playing types it again. Keys released that were pressed before recording
// began, and the keys still held when it ends (the chord that stopped it),
// are left out.
#pragma once

#include <cstdint>
#include <vector>

#include "app/keycore/key_macro_file.h"

class KeyMacroRecorder {
public:
    // A key message: its virtual key and lParam as the window gets them.
    void Key(uint32_t message, uint16_t key, uint32_t lParam, uint32_t time);
    // A character message that follows a key down.
    void Char(char16_t ch, uint32_t lParam);
    // The macro, without the keys still held.
    std::vector<KeyMacroEvent> Finish();
    bool Empty() const { return events_.empty(); }

private:
    bool IsHeld(uint16_t key) const;
    void Release(uint16_t key);

    std::vector<KeyMacroEvent> events_;
    std::vector<uint16_t> held_;
    // The last key down, while the character it types may still come.
    int lastDown_ = -1;
};

// One key event as the input system takes it.
struct KeyMacroInput {
    uint16_t key = 0;      // virtual key; 0 for a character
    uint16_t scan = 0;     // scan code, or the character
    bool up = false;
    bool extended = false;
    bool character = false;
};

// False for events that are not key messages (they are not played).
bool KeyMacroEventInput(const KeyMacroEvent& event, KeyMacroInput& input);
