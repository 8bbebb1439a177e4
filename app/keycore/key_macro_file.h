// A keyboard macro as a list of input events, and its .mac file: UTF-16LE
// text without a signature, lines ended by LF, two header lines, then one
// line "message:paramH:paramL:time" per event (decimal).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Window messages a macro holds.
constexpr uint32_t kMsgKeyDown = 0x100;
constexpr uint32_t kMsgKeyUp = 0x101;
constexpr uint32_t kMsgChar = 0x102;
constexpr uint32_t kMsgSysKeyDown = 0x104;
constexpr uint32_t kMsgSysKeyUp = 0x105;

// A character typed without a key of its own (VK_PACKET): its key events
// carry the character in paramL above the low byte.
constexpr uint16_t kKeyPacket = 0xE7;

struct KeyMacroEvent {
    uint32_t message = 0;
    uint32_t paramL = 0;  // key messages: virtual key | scan code << 8
    uint32_t paramH = 0;  // key messages: repeat count 1 | 0x8000 for an extended key
    uint32_t time = 0;    // milliseconds
    bool operator==(const KeyMacroEvent&) const = default;
};

bool IsKeyMessage(uint32_t message);
bool IsKeyDownMessage(uint32_t message);

// The whole file's text (UTF-16 units; the caller writes them little-endian).
std::u16string FormatKeyMacro(const std::vector<KeyMacroEvent>& events);
// The file's UTF-16LE bytes.
std::string KeyMacroFileBytes(const std::vector<KeyMacroEvent>& events);

// Reads a file's lines in order, each without its line end.
class KeyMacroReader {
public:
    // False when the first line lacks the header, which refuses the file.
    bool Header(const std::u16string& line);
    // Lines starting "//" are comments; a line that is not four numbers
    // separated by ':' (each fitting 32 bits) is skipped and counted.
    void Line(const std::u16string& line);
    std::vector<KeyMacroEvent> events;
    int skipped = 0;
};

// Reads a .mac file in whatever encoding it was saved; false when it cannot
// be opened or read, or lacks the header (events is then empty).
bool ReadKeyMacroFile(const std::u16string& path, std::vector<KeyMacroEvent>& events);
