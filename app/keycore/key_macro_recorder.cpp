#include "app/keycore/key_macro_recorder.h"

#include <algorithm>

namespace {

constexpr uint32_t kExtendedFlag = 1u << 24;  // lParam: an extended key
constexpr uint32_t kParamExtended = 0x8000;   // paramH: the same

}  // namespace

bool KeyMacroRecorder::IsHeld(uint16_t key) const { return std::find(held_.begin(), held_.end(), key) != held_.end(); }

void KeyMacroRecorder::Release(uint16_t key) { held_.erase(std::remove(held_.begin(), held_.end(), key), held_.end()); }

void KeyMacroRecorder::Key(uint32_t message, uint16_t key, uint32_t lParam, uint32_t time) {
    if (!IsKeyMessage(message) || key == 0) return;
    lastDown_ = -1;
    const bool down = IsKeyDownMessage(message);
    if (!down) {
        // A key pressed before recording began (the chord that started it).
        if (!IsHeld(key)) return;
        Release(key);
    } else if (!IsHeld(key)) {
        held_.push_back(key);
    }
    KeyMacroEvent e;
    e.message = message;
    e.paramL = key | (((lParam >> 16) & 0xFF) << 8);
    e.paramH = 1 | ((lParam & kExtendedFlag) ? kParamExtended : 0);
    e.time = time;
    if (down) lastDown_ = static_cast<int>(events_.size());
    events_.push_back(e);
}

void KeyMacroRecorder::Char(char16_t ch, uint32_t lParam) {
    if (lastDown_ < 0) return;
    KeyMacroEvent& down = events_[static_cast<size_t>(lastDown_)];
    lastDown_ = -1;
    // Keys typing ASCII type it again; others may be gone by the time the
    // macro plays, so the character stands in for them.
    if (ch < 0x80) return;
    const uint16_t key = static_cast<uint16_t>(down.paramL & 0xFF);
    Release(key);
    down.message = kMsgKeyDown;
    down.paramL = kKeyPacket | (static_cast<uint32_t>(ch) << 8);
    down.paramH = 1;
    KeyMacroEvent up = down;
    up.message = kMsgKeyUp;
    events_.push_back(up);
    // The key's own release, when it comes, has nothing left to release.
}

std::vector<KeyMacroEvent> KeyMacroRecorder::Finish() {
    // Keys still held stopped the recording: drop their downs (and repeats).
    std::vector<KeyMacroEvent> out;
    out.reserve(events_.size());
    for (const KeyMacroEvent& e : events_) {
        if (IsKeyDownMessage(e.message) && IsHeld(static_cast<uint16_t>(e.paramL & 0xFF))) {
            // Only the downs after the key's last release belong to the chord.
            bool releasedLater = false;
            for (size_t j = static_cast<size_t>(&e - events_.data()) + 1; j < events_.size(); ++j)
                if (!IsKeyDownMessage(events_[j].message) && (events_[j].paramL & 0xFF) == (e.paramL & 0xFF)) {
                    releasedLater = true;
                    break;
                }
            if (!releasedLater) continue;
        }
        out.push_back(e);
    }
    events_.clear();
    held_.clear();
    lastDown_ = -1;
    return out;
}

bool KeyMacroEventInput(const KeyMacroEvent& event, KeyMacroInput& input) {
    if (!IsKeyMessage(event.message)) return false;
    input = KeyMacroInput{};
    input.up = !IsKeyDownMessage(event.message);
    const uint16_t key = static_cast<uint16_t>(event.paramL & 0xFF);
    if (key == kKeyPacket) {
        input.character = true;
        input.scan = static_cast<uint16_t>((event.paramL >> 8) & 0xFFFF);
        return input.scan != 0;
    }
    if (key == 0) return false;
    input.key = key;
    input.scan = static_cast<uint16_t>((event.paramL >> 8) & 0xFF);
    input.extended = (event.paramH & kParamExtended) != 0;
    return true;
}
