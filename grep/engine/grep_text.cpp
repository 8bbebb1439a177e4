#include "grep/engine/grep_text.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/kanjidetect.h"

namespace {

// Bytes of the signature the file starts with for code, 0 when none.
std::size_t SignatureBytes(std::string_view b, KanjiCode code) {
    auto starts = [&](const char* sig, std::size_t n) { return b.size() >= n && b.compare(0, n, sig, n) == 0; };
    if (IsUnicodeCode(code)) return starts(IsBigEndianCode(code) ? "\xFE\xFF" : "\xFF\xFE", 2) ? 2 : 0;
    if (IsUTF8Code(code)) return starts("\xEF\xBB\xBF", 3) ? 3 : 0;
    return 0;
}

#ifdef __SSE2__
// Bit 2k set where u[k] (k < 8) is CR, LF or NUL.
inline unsigned SpecialUnits(const char16_t* u) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(x, _mm_set1_epi16(u'\n')),
                                                  _mm_cmpeq_epi16(x, _mm_set1_epi16(u'\r'))),
                                     _mm_cmpeq_epi16(x, _mm_setzero_si128()));
    return unsigned(_mm_movemask_epi8(hit)) & 0x5555u;
}
#endif

}  // namespace

KanjiCode GrepText::ResolveCode(std::string_view bytes, KanjiCode code, std::size_t* skip) {
    if (!IsKnownKanjiCode(code)) {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const std::size_t probe = bytes.size() < kDetectBytes ? bytes.size() : kDetectBytes;
        code = probe ? DetectKanjiCode(data, probe, KanjiCode::SJIS) : KanjiCode::SJIS;
    }
    *skip = SignatureBytes(bytes, code);
    return code;
}

std::size_t GrepText::DecodeUnits(const char* bytes, std::size_t size, KanjiCode code) {
    CKanjiDecoder decoder(code);
    const std::size_t need = size + 8;
    if (need > capacity_) {
        capacity_ = need + need / 2;
        units_.reset(new char16_t[capacity_]);
    }
    std::size_t consumed = 0;
    const std::size_t n =
        decoder.Decode(reinterpret_cast<const uint8_t*>(bytes), size, true, units_.get(), consumed);
    units_[n] = 0;
    return n;
}

void GrepText::DecodeLine(const char* bytes, std::size_t size, KanjiCode code) {
    const std::size_t n = DecodeUnits(bytes, size, code);
    if (std::memchr(bytes, 0, size))
        for (std::size_t i = 0; i < n; ++i)
            if (units_[i] == 0) units_[i] = u' ';
    starts_.assign(1, 0);
    lengths_.assign(1, int(n));
}

void GrepText::DecodeRange(const char* bytes, std::size_t size, KanjiCode code) {
    const std::size_t n = DecodeUnits(bytes, size, code);

    starts_.clear();
    lengths_.clear();
    char16_t* u = units_.get();
    std::size_t start = 0;
    // Ends the line at u[i] when it is a line end, or blanks a NUL (which
    // in a binary file must not end the line early).
    auto special = [&](std::size_t i) {
        const char16_t c = u[i];
        if (c == 0) {
            u[i] = u' ';
            return;
        }
        if (i < start) return;  // the LF of a CR LF already ended
        starts_.push_back(int(start));
        lengths_.push_back(int(i - start));
        u[i] = 0;
        start = c == u'\r' && i + 1 < n && u[i + 1] == u'\n' ? i + 2 : i + 1;
    };
    std::size_t i = 0;
#ifdef __SSE2__
    // Eight units at a time; only the CRs, LFs and NULs among them are looked at.
    for (; n - i >= 8; i += 8)
        for (unsigned mask = SpecialUnits(u + i); mask; mask &= mask - 1)
            special(i + unsigned(__builtin_ctz(mask)) / 2);
#endif
    for (; i < n; ++i)
        if (u[i] == u'\n' || u[i] == u'\r' || u[i] == 0) special(i);
    starts_.push_back(int(start));
    lengths_.push_back(int(n - start));
}
