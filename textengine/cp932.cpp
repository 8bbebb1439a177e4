#include "textengine/cp932.h"

#include <vector>

namespace cp932 {

namespace {

struct Tables {
    std::vector<uint16_t> encode;     // code point to byte sequence, 0 = none
    std::vector<uint16_t> jisEncode;  // the same limited to JIS X 0208 rows 1-94

    Tables() : encode(0x10000, 0), jisEncode(0x10000, 0) {
        for (int b = 0xFF; b >= 1; --b)
            if (kSingle[b]) encode[kSingle[b]] = static_cast<uint16_t>(b);
        // Lowest byte sequence first: walk backwards so earlier ones overwrite.
        for (int lead = 0xFC; lead >= 0x81; --lead) {
            if (!IsLead(static_cast<uint8_t>(lead))) continue;
            for (int trail = 0xFC; trail >= 0x40; --trail) {
                char16_t cp = kDouble[LeadIndex(static_cast<uint8_t>(lead))][trail - 0x40];
                if (cp) encode[cp] = static_cast<uint16_t>(lead << 8 | trail);
            }
        }
        for (int i = 0; i < kEncodeOverrideCount; ++i)
            encode[kEncodeOverrides[i].codePoint] = kEncodeOverrides[i].code;

        // JIS and EUC-JP reach lead bytes 0x81-0x9F and 0xE0-0xEF only. The
        // IBM extensions (FA-FC) go out as their NEC-selected copies (ED-EE),
        // which decode to the same characters; the user-defined area has no form.
        std::vector<uint16_t> necSelected(0x10000, 0);
        for (int lead = 0xEE; lead >= 0xED; --lead)
            for (int trail = 0xFC; trail >= 0x40; --trail) {
                char16_t cp = kDouble[LeadIndex(static_cast<uint8_t>(lead))][trail - 0x40];
                if (cp) necSelected[cp] = static_cast<uint16_t>(lead << 8 | trail);
            }
        for (int cp = 0; cp < 0x10000; ++cp) {
            uint16_t code = encode[cp];
            if (code >= 0xF000) code = code >= 0xFA00 ? necSelected[cp] : 0;
            jisEncode[cp] = code;
        }
    }
};

const Tables& GetTables() {
    static const Tables tables;
    return tables;
}

}  // namespace

uint16_t Encode(char16_t cp) { return GetTables().encode[cp]; }
const uint16_t* EncodeTable() { return GetTables().encode.data(); }
uint16_t EncodeForJis(char16_t cp) { return GetTables().jisEncode[cp]; }

}  // namespace cp932
