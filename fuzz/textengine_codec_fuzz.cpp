// Fuzz target: any bytes through the encoding and line-end detection and the
// decoders of every encoding; text decoded from UTF-16 or UTF-8 encodes and
// decodes back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/kanjidetect.h"

namespace {

const KanjiCode kCodes[] = {KanjiCode::SJIS,         KanjiCode::EUC,       KanjiCode::JIS,
                            KanjiCode::Unicode,      KanjiCode::UTF8,      KanjiCode::UnicodeNoSig,
                            KanjiCode::UTF8NoSig,    KanjiCode::UTF16BE,   KanjiCode::UTF16BENoSig};

void ExpectRoundTrip(KanjiCode code, const std::u16string& text) {
    if (DecodeText(code, EncodeText(code, text)) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const KanjiCode detected = DetectKanjiCode(data, size, KanjiCode::SJIS);
    (void)DetectCharCode(data, size);
    bool known = false;
    for (KanjiCode code : kCodes) known = known || code == detected;
    if (!known) std::abort();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (KanjiCode code : kCodes) {
        const std::u16string text = DecodeText(code, bytes);
        (void)EncodeText(code, text);
        if (code == KanjiCode::UnicodeNoSig || code == KanjiCode::UTF8NoSig) ExpectRoundTrip(code, text);
    }
    return 0;
}
