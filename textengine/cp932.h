// Code page 932 (Shift_JIS with the NEC and IBM extensions), from our own
// table so that no conversion depends on a C runtime locale.
#pragma once

#include <cstdint>

namespace cp932 {

constexpr int kLeadCount = 60;    // 0x81-0x9F and 0xE0-0xFC
constexpr int kTrailCount = 189;  // 0x40-0xFC

extern const char16_t kSingle[256];
extern const char16_t kDouble[kLeadCount][kTrailCount];

struct EncodeOverride {
    char16_t codePoint;
    uint16_t code;
};
extern const EncodeOverride kEncodeOverrides[];
extern const int kEncodeOverrideCount;

inline bool IsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool IsTrail(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

inline int LeadIndex(uint8_t b) { return b < 0xE0 ? b - 0x81 : b - 0xE0 + 31; }

// A valid pair's code point, 0 when the pair maps to nothing.
inline char16_t DecodePair(uint8_t lead, uint8_t trail) {
    return kDouble[LeadIndex(lead)][trail - 0x40];
}

// Byte sequence for a BMP code point: below 0x100 one byte, else lead << 8 |
// trail; 0 when there is none (U+0000 itself encodes as the byte 0).
uint16_t Encode(char16_t cp);
// Encode's table: 0x10000 entries, indexed by the code point.
const uint16_t* EncodeTable();
// As Encode, but only sequences that JIS X 0208 rows 1-94 can hold (the
// IBM extensions as their NEC-selected copies), for EUC-JP and JIS output.
uint16_t EncodeForJis(char16_t cp);

// JIS X 0208 row/cell bytes (0x21-0x7E each) of a Shift_JIS pair, as
// j1 << 8 | j2; the lead must be 0x81-0x9F or 0xE0-0xEF.
inline uint16_t SjisToJis(uint8_t s1, uint8_t s2) {
    int row = (s1 <= 0x9F ? s1 - 0x81 : s1 - 0xC1) * 2;
    if (s2 >= 0x9F) return static_cast<uint16_t>((row + 0x22) << 8 | (s2 - 0x7E));
    return static_cast<uint16_t>((row + 0x21) << 8 | (s2 - 0x1F - (s2 >= 0x80)));
}

// The Shift_JIS pair of JIS bytes j1, j2 (0x21-0x7E each), as s1 << 8 | s2.
inline uint16_t JisToSjis(uint8_t j1, uint8_t j2) {
    int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    int s2 = (j1 & 1) ? j2 + 0x1F + (j2 >= 0x60) : j2 + 0x7E;
    return static_cast<uint16_t>(s1 << 8 | s2);
}

}  // namespace cp932
