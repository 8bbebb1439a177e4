#include "textengine/kanjicodec.h"

#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/cpu_features.h"
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif
#include <vector>

#include "textengine/bytestream.h"
#include "textengine/cp932.h"
#include "textengine/kanjicode.h"

namespace {

constexpr char16_t kBad = u'?';
constexpr uint8_t ESC = 0x1B, SO = 0x0E, SI = 0x0F;

inline char16_t PairOrBad(uint16_t sjis) {
    char16_t cp = cp932::DecodePair(static_cast<uint8_t>(sjis >> 8), static_cast<uint8_t>(sjis));
    return cp ? cp : kBad;
}

inline char16_t SingleOrBad(uint8_t b) {
    char16_t cp = cp932::kSingle[b];
    return cp || b == 0 ? cp : kBad;
}

// One Shift_JIS character at p[i] (8-bit lead or single byte): advances i and
// o; false, with nothing done, for a lead byte that ends an unfinished chunk.
// Bytes that decode to nothing are added to bad.
inline bool DecodeSjisChar(const uint8_t* p, size_t n, bool atEnd, size_t& i, char16_t*& o,
                           unsigned long long& bad) {
    uint8_t b = p[i];
    if (!cp932::IsLead(b)) {
        *o = SingleOrBad(b);
        bad += *o++ == kBad;
        ++i;
    } else if (i + 1 == n) {
        if (!atEnd) return false;
        *o++ = kBad;
        ++bad;
        ++i;
    } else if (cp932::IsTrail(p[i + 1])) {
        *o = PairOrBad(static_cast<uint16_t>(b << 8 | p[i + 1]));
        bad += *o++ == kBad ? 2 : 0;
        i += 2;
    } else {
        *o++ = kBad;  // the lead alone is lost; the next byte stands for itself
        ++bad;
        ++i;
    }
    return true;
}

// Widens the ASCII bytes at p (up to n) into units, 16 at a time while
// whole blocks are ASCII: the count copied; the caller finishes the run.
inline size_t WidenAsciiBlocks(const uint8_t* p, size_t n, char16_t* o) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 16; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(x)) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), _mm_unpacklo_epi8(x, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i + 8), _mm_unpackhi_epi8(x, zero));
    }
#endif
    return i;
}

// Widens the run of ASCII bytes at p (up to n) into units and returns its
// length. Sixteen bytes are widened at a time and the run's end is found in
// the block, so a short run costs no more than a long one. Writes up to 16
// units past the run where 16 bytes could be read.
inline size_t WidenAsciiRun(const uint8_t* p, size_t n, char16_t* o) {
    size_t i = 0;
#if defined(__SSE2__) && defined(__GNUC__)
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 16; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), _mm_unpacklo_epi8(x, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i + 8), _mm_unpackhi_epi8(x, zero));
        if (const unsigned other = static_cast<unsigned>(_mm_movemask_epi8(x))) return i + __builtin_ctz(other);
    }
#endif
    for (; i < n && p[i] < 0x80; ++i) o[i] = p[i];
    return i;
}

// Narrows the ASCII units at t (up to n) into bytes, 8 at a time while
// whole blocks are ASCII: the count copied.
inline size_t NarrowAsciiBlocks(const char16_t* t, size_t n, uint8_t* o) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; n - i >= 8; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(x, high), _mm_setzero_si128())) != 0xFFFF) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + i), _mm_packus_epi16(x, x));
    }
#endif
    return i;
}
inline bool IsJisByte(uint8_t b) { return b >= 0x21 && b <= 0x7E; }

// Every JIS X 0208 row and cell decoded once: EUC-JP pairs are most of a
// Japanese file, and the row arithmetic per pair costs more than a lookup.
struct JisTable {
    char16_t cells[94 * 94];
    JisTable() {
        for (int j1 = 0; j1 < 94; ++j1)
            for (int j2 = 0; j2 < 94; ++j2)
                cells[j1 * 94 + j2] = PairOrBad(cp932::JisToSjis(static_cast<uint8_t>(j1 + 0x21), static_cast<uint8_t>(j2 + 0x21)));
    }
};

const char16_t* JisCells() {
    static const JisTable table;
    return table.cells;
}
inline bool IsEucByte(uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
inline bool IsCont(uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

bool IsUnicodeCode(KanjiCode code) {
    return code == KanjiCode::Unicode || code == KanjiCode::UnicodeNoSig || code == KanjiCode::UTF16BE ||
           code == KanjiCode::UTF16BENoSig;
}

bool IsKnownKanjiCode(KanjiCode code) { return KanjiCodeName(code) && code != KanjiCode::Detect; }

std::optional<KanjiCode> KanjiCodeFromNumber(int n) {
    const auto code = static_cast<KanjiCode>(n);
    if (!KanjiCodeName(code)) return std::nullopt;
    return code;
}

const KanjiCode kKanjiCodeOrder[10] = {
    KanjiCode::SJIS,    KanjiCode::EUC,          KanjiCode::JIS,  KanjiCode::Unicode,   KanjiCode::UnicodeNoSig,
    KanjiCode::UTF16BE, KanjiCode::UTF16BENoSig, KanjiCode::UTF8, KanjiCode::UTF8NoSig, KanjiCode::Detect};

const char* KanjiCodeName(KanjiCode code) {
    switch (code) {
    case KanjiCode::SJIS: return "SJIS";
    case KanjiCode::EUC: return "EUC";
    case KanjiCode::JIS: return "JIS";
    case KanjiCode::Unicode: return "UNICODE";
    case KanjiCode::UnicodeNoSig: return "UNICODE(no signature)";
    case KanjiCode::UTF16BE: return "UTF16BE";
    case KanjiCode::UTF16BENoSig: return "UTF16BE(no signature)";
    case KanjiCode::UTF8: return "UTF8";
    case KanjiCode::UTF8NoSig: return "UTF8(no signature)";
    case KanjiCode::Detect: return "自動判別";
    }
    return nullptr;
}

const LineEndType kLineEndTypes[3] = {LineEndType::CRLF, LineEndType::LF, LineEndType::CR};

std::optional<LineEndType> LineEndTypeFromNumber(int n) {
    for (LineEndType type : kLineEndTypes)
        if (LineEndTypeNumber(type) == n) return type;
    return std::nullopt;
}

const char* LineEndTypeName(LineEndType type) {
    switch (type) {
    case LineEndType::CRLF: return "CR+LF(\\r\\n)";
    case LineEndType::LF: return "LF(\\n)";
    case LineEndType::CR: return "CR(\\r)";
    }
    return nullptr;
}

// ---------------------------------------------------------------- decoding

void CKanjiDecoder::Reset(KanjiCode code) {
    m_code = code;
    m_jisState = 1;
    m_shiftOut = false;
    m_undecoded = 0;
}

size_t CKanjiDecoder::Decode(const uint8_t* bytes, size_t n, bool atEnd, char16_t* out, size_t& consumed) {
    switch (m_code) {
    case KanjiCode::EUC: return DecodeEUC(bytes, n, atEnd, out, consumed);
    case KanjiCode::JIS: return DecodeJIS(bytes, n, atEnd, out, consumed);
    case KanjiCode::Unicode:
    case KanjiCode::UnicodeNoSig: return DecodeUTF16(bytes, n, atEnd, out, consumed, false);
    case KanjiCode::UTF16BE:
    case KanjiCode::UTF16BENoSig: return DecodeUTF16(bytes, n, atEnd, out, consumed, true);
    case KanjiCode::UTF8:
    case KanjiCode::UTF8NoSig: return DecodeUTF8(bytes, n, atEnd, out, consumed);
    default: return DecodeSJIS(bytes, n, atEnd, out, consumed);
    }
}

size_t CKanjiDecoder::DecodeSJIS(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed) {
    char16_t* o = out;
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            // ASCII comes in runs (markup, numbers, Latin words).
            const size_t run = WidenAsciiRun(p + i, n - i, o);
            i += run;
            o += run;
            continue;
        }
        // Valid pairs, the bulk of Japanese text, straight from the table
        // while they last.
        while (i + 1 < n && cp932::IsLead(p[i]) && cp932::IsTrail(p[i + 1])) {
            const char16_t cp = cp932::DecodePair(p[i], p[i + 1]);
            if (cp == 0) break;
            *o++ = cp;
            i += 2;
        }
        if (i < n && p[i] >= 0x80 && !DecodeSjisChar(p, n, atEnd, i, o, m_undecoded))
            break;  // a lead byte at the chunk end is carried
    }
    consumed = i;
    return static_cast<size_t>(o - out);
}

size_t CKanjiDecoder::DecodeEUC(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed) {
    const char16_t* jis = JisCells();
    char16_t* o = out;
    size_t i = 0;
    while (i < n) {
        uint8_t b = p[i];
        if (b < 0x80) {
            *o++ = b;
            ++i;
            continue;
        }
        if (IsEucByte(b) && i + 1 < n && IsEucByte(p[i + 1])) {  // the common case: a JIS X 0208 pair
            *o = jis[(b - 0xA1) * 94 + (p[i + 1] - 0xA1)];
            m_undecoded += *o++ == kBad ? 2 : 0;
            i += 2;
            continue;
        }
        size_t need = b == 0x8F ? 3 : (b == 0x8E || IsEucByte(b)) ? 2 : 1;
        if (i + need > n && !atEnd) {
            // Carry only what can still become a sequence.
            bool partial = true;
            for (size_t k = i + 1; k < n; ++k) partial = partial && IsEucByte(p[k]);
            if (partial) break;
        }
        if (need == 1 || i + need > n) {
            *o++ = kBad;
            ++m_undecoded;
            ++i;
        } else if (b == 0x8E) {
            uint8_t t = p[i + 1];
            if (t >= 0xA1 && t <= 0xDF) {
                *o++ = cp932::kSingle[t];
                i += 2;
            } else {
                *o++ = kBad;
                ++m_undecoded;
                ++i;
            }
        } else if (b == 0x8F) {
            // JIS X 0212 has no place in code page 932: one '?' per character.
            const size_t k = IsEucByte(p[i + 1]) && IsEucByte(p[i + 2]) ? 3 : 1;
            i += k;
            m_undecoded += k;
            *o++ = kBad;
        } else if (IsEucByte(p[i + 1])) {
            *o = PairOrBad(cp932::JisToSjis(b & 0x7F, p[i + 1] & 0x7F));
            m_undecoded += *o++ == kBad ? 2 : 0;
            i += 2;
        } else {
            *o++ = kBad;
            ++m_undecoded;
            ++i;
        }
    }
    consumed = i;
    return static_cast<size_t>(o - out);
}

size_t CKanjiDecoder::DecodeJIS(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed) {
    char16_t* o = out;
    size_t i = 0;
    while (i < n) {
        uint8_t b = p[i];
        if (b == ESC) {
            if (i + 3 > n && !atEnd) break;  // escape sequence cut by the chunk end
            if (i + 1 >= n) {
                *o++ = kBad;
                ++m_undecoded;
                ++i;
            } else if (p[i + 1] == '$' || p[i + 1] == '(') {
                if (i + 2 >= n) {
                    *o++ = kBad;
                    *o++ = kBad;
                    m_undecoded += 2;
                    i += 2;
                    continue;
                }
                if (p[i + 1] == '$') {
                    m_jisState = 2;
                } else {
                    m_jisState = p[i + 2] == 'I' ? 3 : 1;
                }
                i += 3;
            } else {
                i += 2;  // an unknown escape is dropped with the byte after it
                m_undecoded += 2;
            }
        } else if (b == SO) {
            m_shiftOut = true;
            ++i;
        } else if (b == SI) {
            m_shiftOut = false;
            ++i;
        } else if (b < 0x21 || b == 0x7F) {
            *o++ = b;  // line ends, tabs and other controls in every state
            ++i;
        } else if (m_shiftOut || m_jisState == 3) {
            *o++ = b <= 0x5F ? cp932::kSingle[b + 0x80] : kBad;
            m_undecoded += b > 0x5F;
            ++i;
        } else if (m_jisState == 2) {
            if (b >= 0x80) {
                *o++ = kBad;
                ++m_undecoded;
                ++i;
            } else if (i + 1 == n) {
                if (!atEnd) break;  // kanji pair split across chunks
                *o++ = kBad;
                ++m_undecoded;
                ++i;
            } else if (IsJisByte(p[i + 1])) {
                *o = PairOrBad(cp932::JisToSjis(b, p[i + 1]));
                m_undecoded += *o++ == kBad ? 2 : 0;
                i += 2;
            } else {
                *o++ = kBad;
                ++m_undecoded;
                ++i;
            }
        } else if (b < 0x80) {
            *o++ = b;
            ++i;
        } else if (!DecodeSjisChar(p, n, atEnd, i, o, m_undecoded)) {  // 8-bit bytes in Roman read as Shift_JIS
            break;
        }
    }
    consumed = i;
    return static_cast<size_t>(o - out);
}

namespace {

// The four bytes as read on a little-endian machine.
inline uint32_t LittleEndianWord(uint32_t w) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(w);
#else
    return w;
#endif
}


#ifdef WENDREL_HAS_X86_EXTENSIONS
// Decodes a run of three-byte sequences four at a time (12 bytes in, 4 units
// out) while 16 bytes can be read; stops before any group that holds
// something else or a surrogate. Sets *used to the bytes taken; returns the
// units written.
__attribute__((target("ssse3"))) size_t DecodeThreeByteRuns(const uint8_t* p, size_t n, char16_t* o, size_t* used) {
    const char F = char(0xF0), C = char(0xC0), E = char(0xE0), T = char(0x80);
    const __m128i form = _mm_setr_epi8(F, C, C, F, C, C, F, C, C, F, C, C, 0, 0, 0, 0);
    const __m128i want = _mm_setr_epi8(E, T, T, E, T, T, E, T, T, E, T, T, 0, 0, 0, 0);
    // Per unit: the two trail bytes (last one low), and the lead in the high byte.
    const __m128i trails = _mm_setr_epi8(2, 1, 5, 4, 8, 7, 11, 10, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i leads = _mm_setr_epi8(-1, 0, -1, 3, -1, 6, -1, 9, -1, -1, -1, -1, -1, -1, -1, -1);
    size_t i = 0, k = 0;
    for (; n - i >= 16; i += 12, k += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(x, form), want)) != 0xFFFF) break;
        const __m128i t = _mm_shuffle_epi8(x, trails), l = _mm_shuffle_epi8(x, leads);
        const __m128i units =
            _mm_or_si128(_mm_or_si128(_mm_and_si128(t, _mm_set1_epi16(0x003F)),
                                      _mm_srli_epi16(_mm_and_si128(t, _mm_set1_epi16(0x3F00)), 2)),
                         _mm_slli_epi16(_mm_and_si128(l, _mm_set1_epi16(0x0F00)), 4));
        const __m128i surrogate =
            _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(short(0xF800))), _mm_set1_epi16(short(0xD800)));
        if (_mm_movemask_epi8(surrogate) & 0xFF) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + k), units);
    }
    *used = i;
    return k;
}

// Encodes a run of units that take three bytes in UTF-8 (U+0800 and up, no
// surrogate) eight at a time (24 bytes out); stops before any group that
// holds another unit. Returns the units taken.
__attribute__((target("ssse3"))) size_t EncodeThreeByteRuns(const char16_t* t, size_t n, uint8_t* o) {
    const __m128i top = _mm_set1_epi16(short(0xF800)), halves = _mm_set1_epi16(short(0xD800));
    const __m128i low6 = _mm_set1_epi16(0x3F), trail = _mm_set1_epi16(0x80), lead = _mm_set1_epi16(0xE0);
    // From leads|middles (bytes 0-7 | 8-15) and lasts (0-7): three bytes a unit.
    const __m128i frontA = _mm_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5);
    const __m128i frontB = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m128i backA = _mm_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i backB = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    size_t i = 0;
    for (; n - i >= 8; i += 8, o += 24) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i form = _mm_and_si128(x, top);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(form, _mm_setzero_si128()), _mm_cmpeq_epi16(form, halves))))
            break;
        const __m128i leads = _mm_or_si128(_mm_srli_epi16(x, 12), lead);
        const __m128i middles = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), low6), trail);
        const __m128i lasts = _mm_or_si128(_mm_and_si128(x, low6), trail);
        const __m128i a = _mm_packus_epi16(leads, middles), b = _mm_packus_epi16(lasts, lasts);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_or_si128(_mm_shuffle_epi8(a, frontA), _mm_shuffle_epi8(b, frontB)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + 16),
                         _mm_or_si128(_mm_shuffle_epi8(a, backA), _mm_shuffle_epi8(b, backB)));
    }
    return i;
}

// Encodes blocks of eight units that each take one byte or three in UTF-8
// (ASCII, or U+0800 and up with no surrogate), as Japanese text mixed with
// markup and Latin words is; stops before a block holding anything else.
// Returns the units taken and sets *written to the bytes written (up to 16
// bytes past them are scratch).
__attribute__((target("ssse3"))) size_t EncodeMixedBlocks(const char16_t* t, size_t n, uint8_t* o,
                                                          size_t* written) {
    // For four units of four bytes each (lead, middle, last, 0): the bytes
    // to keep, by which units take three.
    struct Compact {
        __m128i shuffles[16];
        uint8_t lengths[16];
        Compact() {
            for (int m = 0; m < 16; ++m) {
                alignas(16) signed char order[16];
                int k = 0;
                for (int u = 0; u < 4; ++u) {
                    order[k++] = static_cast<signed char>(4 * u);
                    if (m & (1 << u)) {
                        order[k++] = static_cast<signed char>(4 * u + 1);
                        order[k++] = static_cast<signed char>(4 * u + 2);
                    }
                }
                lengths[m] = static_cast<uint8_t>(k);
                while (k < 16) order[k++] = -1;
                shuffles[m] = _mm_load_si128(reinterpret_cast<const __m128i*>(order));
            }
        }
    };
    static const Compact compact;
    const __m128i top = _mm_set1_epi16(short(0xF800)), halves = _mm_set1_epi16(short(0xD800));
    const __m128i high9 = _mm_set1_epi16(short(0xFF80)), low6 = _mm_set1_epi16(0x3F);
    const __m128i trail = _mm_set1_epi16(0x80), lead = _mm_set1_epi16(0xE0);
    uint8_t* const start = o;
    size_t i = 0;
    for (; n - i >= 8; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i single = _mm_cmpeq_epi16(_mm_and_si128(x, high9), _mm_setzero_si128());
        const __m128i form = _mm_and_si128(x, top);
        const __m128i two = _mm_andnot_si128(single, _mm_cmpeq_epi16(form, _mm_setzero_si128()));
        if (_mm_movemask_epi8(_mm_or_si128(two, _mm_cmpeq_epi16(form, halves)))) break;
        const __m128i leads =
            _mm_or_si128(_mm_and_si128(single, x), _mm_andnot_si128(single, _mm_or_si128(_mm_srli_epi16(x, 12), lead)));
        const __m128i middles = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), low6), trail);
        const __m128i lasts = _mm_or_si128(_mm_and_si128(x, low6), trail);
        const __m128i pairs = _mm_or_si128(leads, _mm_slli_epi16(middles, 8));
        const int three = ~_mm_movemask_epi8(_mm_packs_epi16(single, single)) & 0xFF;
        const int front = three & 15, back = three >> 4;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(_mm_unpacklo_epi16(pairs, lasts), compact.shuffles[front]));
        o += compact.lengths[front];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(_mm_unpackhi_epi16(pairs, lasts), compact.shuffles[back]));
        o += compact.lengths[back];
    }
    *written = static_cast<size_t>(o - start);
    return i;
}
#endif

}  // namespace

size_t CKanjiDecoder::DecodeUTF8(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed) {
#ifdef WENDREL_HAS_X86_EXTENSIONS
    const bool ssse3 = CpuHasSsse3();
#endif
    char16_t* o = out;
    size_t i = 0;
    while (i < n) {
        // ASCII runs dominate most files; in Japanese text they are short,
        // and one block finds a short run's end.
        const size_t wide = WidenAsciiRun(p + i, n - i, o);
        i += wide;
        o += wide;
        if (i >= n) break;
        // Three bytes, as nearly all Japanese text is: a run of them taken
        // four at a time, else tested a word at a time, lead and both trails
        // in one comparison.
#ifdef WENDREL_HAS_X86_EXTENSIONS
        if (ssse3 && n - i >= 16) {
            size_t used;
            o += DecodeThreeByteRuns(p + i, n - i, o, &used);
            i += used;
        }
#endif
        while (n - i >= 4) {
            uint32_t w;
            std::memcpy(&w, p + i, sizeof w);
            w = LittleEndianWord(w);
            if ((w & 0xC0C0F0) != 0x8080E0) break;
            const char16_t cp3 = static_cast<char16_t>((w & 0x0F) << 12 | (w >> 8 & 0x3F) << 6 | (w >> 16 & 0x3F));
            const bool surrogate = cp3 >= 0xD800 && cp3 < 0xE000;
            *o++ = surrogate ? kBad : cp3;
            m_undecoded += surrogate ? 3 : 0;
            i += 3;
        }
        if (i >= n) break;
        uint8_t b = p[i];
        if (b < 0x80) continue;
        if (b >= 0xE0 && b < 0xF0 && i + 2 < n && IsCont(p[i + 1]) && IsCont(p[i + 2])) {
            const char32_t cp3 = (b & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            const bool surrogate = cp3 >= 0xD800 && cp3 < 0xE000;
            *o++ = surrogate ? kBad : static_cast<char16_t>(cp3);
            m_undecoded += surrogate ? 3 : 0;
            i += 3;
            continue;
        }
        size_t len = b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : 0;
        if (len == 0) {
            *o++ = kBad;
            ++m_undecoded;
            ++i;
            continue;
        }
        size_t avail = n - i < len ? n - i : len;
        size_t good = 1;
        while (good < avail && IsCont(p[i + good])) ++good;
        if (good < len) {
            if (good == avail && !atEnd) break;  // the sequence goes on in the next chunk
            *o++ = kBad;
            ++m_undecoded;
            ++i;
            continue;
        }
        char32_t cp;
        if (len == 2) {
            cp = (b & 0x1F) << 6 | (p[i + 1] & 0x3F);
        } else if (len == 3) {
            cp = (b & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
        } else {
            cp = (b & 0x07) << 18 | (p[i + 1] & 0x3F) << 12 | (p[i + 2] & 0x3F) << 6 | (p[i + 3] & 0x3F);
        }
        i += len;
        if ((cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) {
            *o++ = kBad;
            m_undecoded += len;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(cp);
        }
    }
    consumed = i;
    return static_cast<size_t>(o - out);
}

size_t CKanjiDecoder::DecodeUTF16(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed,
                                  bool bigEndian) {
    size_t units = n / 2;
    if (bigEndian == (std::endian::native == std::endian::big)) {
        if (units) std::memcpy(out, p, units * sizeof(char16_t));  // the file's order is the machine's
    } else if (bigEndian) {
        for (size_t k = 0; k < units; ++k) out[k] = static_cast<char16_t>(p[2 * k] << 8 | p[2 * k + 1]);
    } else {
        for (size_t k = 0; k < units; ++k) out[k] = static_cast<char16_t>(p[2 * k] | p[2 * k + 1] << 8);
    }
    consumed = units * 2;
    if (n % 2 && atEnd) {  // an odd last byte stands for nothing whole
        out[units++] = kBad;
        ++m_undecoded;
        consumed = n;
    }
    return units;
}

// ---------------------------------------------------------------- encoding

namespace {

// UTF-16 out: every unit as it is, a lone half included, so the text is
// copied in the file's byte order. Returns the bytes written.
size_t CopyUnits(const char16_t* t, size_t n, uint8_t* o, bool bigEndian) {
    const bool nativeOrder = bigEndian == (std::endian::native == std::endian::big);
    if (nativeOrder) {
        if (n) std::memcpy(o, t, n * sizeof(char16_t));  // an empty run may come with no text at all
    } else {
        for (size_t k = 0; k < n; ++k) {
            const char16_t u = t[k];
            o[2 * k] = static_cast<uint8_t>(u >> 8);
            o[2 * k + 1] = static_cast<uint8_t>(u);
        }
    }
    return n * sizeof(char16_t);
}

// Each code point's Shift_JIS bytes as they lie in the file (a single
// byte followed by 0), 0 where the table has no form or for U+0000.
struct SjisBytesTable {
    uint16_t bytes[0x10000];
    SjisBytesTable() {
        const uint16_t* const codes = cp932::EncodeTable();
        for (unsigned cp = 0; cp < 0x10000; ++cp) {
            const unsigned code = codes[cp];
            const uint8_t form[2] = {static_cast<uint8_t>(code > 0xFF ? code >> 8 : code),
                                     static_cast<uint8_t>(code > 0xFF ? code : 0)};
            std::memcpy(&bytes[cp], form, 2);
        }
    }
};

// Shift_JIS out: the units the table maps, a byte or a pair each, up to the
// first it does not (U+0000, a surrogate, a character with no form), which
// is left to the caller. Returns the units taken and sets *written; one byte
// past the written ones is scratch.
size_t EncodeSjisRun(const char16_t* t, size_t n, uint8_t* o, size_t* written) {
    static const SjisBytesTable table;
    // Both bytes are stored; the second counts only for a pair, so mixed
    // text takes no branch on the length.
    constexpr int kSecondShift = std::endian::native == std::endian::little ? 8 : 0;
    uint8_t* const start = o;
    size_t i = 0;
    for (; i < n; ++i) {
        const uint16_t form = table.bytes[t[i]];
        if (form == 0) break;
        std::memcpy(o, &form, 2);
        o += 1 + ((form >> kSecondShift & 0xFF) != 0);
    }
    *written = static_cast<size_t>(o - start);
    return i;
}

}  // namespace

void CKanjiEncoder::Reset(KanjiCode code) {
    m_code = code;
    m_wide = IsUnicodeCode(code);
    m_bigEndian = IsBigEndianCode(code);
    m_jisState = 1;
    m_shiftOut = false;
    m_pendingHigh = 0;
    m_unitReplaced = false;
    m_unitsBefore = 0;
    m_replaced = 0;
    m_firstReplaced = -1;
}

void CKanjiEncoder::NoteReplaced(unsigned long long unit) {
    m_unitReplaced = false;
    if (m_replaced++ == 0) m_firstReplaced = static_cast<long long>(unit);
}

size_t CKanjiEncoder::EncodeJIS(uint16_t code, uint8_t* out) {
    uint8_t* o = out;
    if (code < 0x80) {
        if (m_shiftOut) {
            *o++ = SI;
            m_shiftOut = false;
        }
        if (m_jisState != 1) {
            *o++ = ESC;
            *o++ = '(';
            *o++ = 'J';
            m_jisState = 1;
        }
        *o++ = static_cast<uint8_t>(code);
    } else if (code < 0x100) {  // half-width katakana
        if (m_jisState == 2) {
            *o++ = ESC;
            *o++ = '(';
            *o++ = 'J';
            m_jisState = 1;
        }
        if (!m_shiftOut) {
            *o++ = SO;
            m_shiftOut = true;
        }
        *o++ = static_cast<uint8_t>(code - 0x80);
    } else {
        if (m_shiftOut) {
            *o++ = SI;
            m_shiftOut = false;
        }
        if (m_jisState != 2) {
            *o++ = ESC;
            *o++ = '$';
            *o++ = 'B';
            m_jisState = 2;
        }
        uint16_t j = cp932::SjisToJis(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code));
        *o++ = static_cast<uint8_t>(j >> 8);
        *o++ = static_cast<uint8_t>(j);
    }
    return static_cast<size_t>(o - out);
}

size_t CKanjiEncoder::EncodeUnit(char32_t cp, uint8_t* out) {
    switch (m_code) {
    case KanjiCode::UTF8:
    case KanjiCode::UTF8NoSig:
        if (cp < 0x80) {
            out[0] = static_cast<uint8_t>(cp);
            return 1;
        }
        if (cp < 0x800) {
            out[0] = static_cast<uint8_t>(0xC0 | cp >> 6);
            out[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            return 2;
        }
        if (cp < 0x10000) {
            out[0] = static_cast<uint8_t>(0xE0 | cp >> 12);
            out[1] = static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F));
            out[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            return 3;
        }
        out[0] = static_cast<uint8_t>(0xF0 | cp >> 18);
        out[1] = static_cast<uint8_t>(0x80 | (cp >> 12 & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F));
        out[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 4;
    case KanjiCode::Unicode:
    case KanjiCode::UnicodeNoSig:
    case KanjiCode::UTF16BE:
    case KanjiCode::UTF16BENoSig: {
        char16_t units[2];
        size_t k = 0;
        if (cp >= 0x10000) {
            units[k++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units[k++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units[k++] = static_cast<char16_t>(cp);
        }
        bool be = IsBigEndianCode(m_code);
        for (size_t u = 0; u < k; ++u) {
            out[2 * u + (be ? 1 : 0)] = static_cast<uint8_t>(units[u]);
            out[2 * u + (be ? 0 : 1)] = static_cast<uint8_t>(units[u] >> 8);
        }
        return 2 * k;
    }
    default: break;
    }
    // Shift_JIS and the encodings derived from it.
    uint16_t code;
    if (cp == 0) {
        code = 0;
    } else if (cp >= 0x10000 || (cp >= 0xD800 && cp < 0xE000)) {
        code = '?';
        m_unitReplaced = true;
    } else {
        code = m_code == KanjiCode::SJIS ? cp932::Encode(static_cast<char16_t>(cp))
                                         : cp932::EncodeForJis(static_cast<char16_t>(cp));
        if (code == 0) {
            code = '?';
            m_unitReplaced = true;
        }
    }
    if (m_code == KanjiCode::JIS) return EncodeJIS(code, out);
    if (code < 0x80) {
        out[0] = static_cast<uint8_t>(code);
        return 1;
    }
    if (code < 0x100) {
        if (m_code == KanjiCode::EUC) {
            out[0] = 0x8E;
            out[1] = static_cast<uint8_t>(code);
            return 2;
        }
        out[0] = static_cast<uint8_t>(code);
        return 1;
    }
    if (m_code == KanjiCode::EUC) {
        uint16_t j = cp932::SjisToJis(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code));
        out[0] = static_cast<uint8_t>(j >> 8 | 0x80);
        out[1] = static_cast<uint8_t>(j | 0x80);
        return 2;
    }
    out[0] = static_cast<uint8_t>(code >> 8);
    out[1] = static_cast<uint8_t>(code);
    return 2;
}

// UTF-16 files keep a lone surrogate as it is; elsewhere it has no form.
size_t CKanjiEncoder::EncodeLoneHalf(char16_t u, uint8_t* out) {
    if (IsUnicodeCode(m_code)) return EncodeUnit(u, out);
    m_unitReplaced = true;
    return EncodeUnit(u'?', out);
}

size_t CKanjiEncoder::Encode(const char16_t* text, size_t n, uint8_t* out) {
    uint8_t* o = out;
    size_t i = 0;
    const unsigned long long base = m_unitsBefore;
    m_unitsBefore += n;
    if (m_pendingHigh && n > 0) {
        char16_t high = m_pendingHigh;
        m_pendingHigh = 0;
        if (text[0] >= 0xDC00 && text[0] < 0xE000) {
            o += EncodeUnit(0x10000 + ((high - 0xD800) << 10) + (text[0] - 0xDC00), o);
            i = 1;
        } else {
            o += EncodeLoneHalf(high, o);
        }
        if (m_unitReplaced) NoteReplaced(base - 1);  // the high half ended the call before
    }
    if (m_wide) {
        // No unit has to wait for the next: a pair split between calls comes
        // out whole in turn.
        return static_cast<size_t>(o - out) + CopyUnits(text + i, n - i, o, m_bigEndian);
    }
    const bool utf8 = IsUTF8Code(m_code);
    const bool sjis = m_code == KanjiCode::SJIS;
    const bool ascii = m_code == KanjiCode::SJIS || m_code == KanjiCode::EUC || utf8;
#ifdef WENDREL_HAS_X86_EXTENSIONS
    const bool ssse3 = utf8 && CpuHasSsse3();
#endif
    while (i < n) {
#ifdef WENDREL_HAS_X86_EXTENSIONS
        if (ssse3 && n - i >= 8) {
            size_t written;
            i += EncodeMixedBlocks(text + i, n - i, o, &written);
            o += written;
        }
#endif
        if (ascii) {
            const size_t narrow = NarrowAsciiBlocks(text + i, n - i, o);
            i += narrow;
            o += narrow;
            while (i < n && text[i] < 0x80) *o++ = static_cast<uint8_t>(text[i++]);
            if (i >= n) break;
        }
        if (sjis) {
            size_t written;
            i += EncodeSjisRun(text + i, n - i, o, &written);
            o += written;
            if (i >= n) break;
        }
        if (utf8) {
#ifdef WENDREL_HAS_X86_EXTENSIONS
            if (ssse3 && n - i >= 8) {
                const size_t wide = EncodeThreeByteRuns(text + i, n - i, o);
                i += wide;
                o += 3 * wide;
            }
#endif
            // A run of characters of three bytes, as Japanese text is, and
            // of two, without leaving the loop.
            for (char16_t c; i < n && (c = text[i]) >= 0x80 && (c < 0xD800 || c >= 0xE000); ++i) {
                if (c < 0x800) {
                    *o++ = static_cast<uint8_t>(0xC0 | c >> 6);
                } else {
                    *o++ = static_cast<uint8_t>(0xE0 | c >> 12);
                    *o++ = static_cast<uint8_t>(0x80 | (c >> 6 & 0x3F));
                }
                *o++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
            }
            if (i >= n || text[i] < 0x80) continue;
        }
        const size_t at = i;
        char16_t u = text[i++];
        if (u >= 0xD800 && u < 0xDC00) {
            if (i == n) {
                m_pendingHigh = u;
                break;
            }
            if (text[i] >= 0xDC00 && text[i] < 0xE000) {
                o += EncodeUnit(0x10000 + ((u - 0xD800) << 10) + (text[i] - 0xDC00), o);
                ++i;
                if (m_unitReplaced) NoteReplaced(base + at);
                continue;
            }
        }
        o += u >= 0xD800 && u < 0xE000 ? EncodeLoneHalf(u, o) : EncodeUnit(u, o);
        if (m_unitReplaced) NoteReplaced(base + at);
    }
    return static_cast<size_t>(o - out);
}

size_t CKanjiEncoder::Finish(uint8_t* out) {
    uint8_t* o = out;
    if (m_pendingHigh) {
        char16_t high = m_pendingHigh;
        m_pendingHigh = 0;
        o += EncodeLoneHalf(high, o);
        if (m_unitReplaced) NoteReplaced(m_unitsBefore - 1);
    }
    if (m_code == KanjiCode::JIS) {
        if (m_shiftOut) {
            *o++ = SI;
            m_shiftOut = false;
        }
        if (m_jisState != 1) {
            *o++ = ESC;
            *o++ = '(';
            *o++ = 'J';
            m_jisState = 1;
        }
    }
    return static_cast<size_t>(o - out);
}

// ---------------------------------------------------------------- whole texts

std::u16string DecodeText(KanjiCode code, std::string_view bytes) {
    CKanjiDecoder decoder(code);
    std::u16string out(bytes.size() + 4, u'\0');
    size_t consumed = 0;
    size_t n = decoder.Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), true, out.data(), consumed);
    out.resize(n);
    return out;
}

std::string EncodeText(KanjiCode code, std::u16string_view text) {
    CKanjiEncoder encoder(code);
    std::string out(text.size() * CKanjiEncoder::kMaxBytesPerUnit + 16, '\0');
    auto* o = reinterpret_cast<uint8_t*>(out.data());
    size_t n = encoder.Encode(text.data(), text.size(), o);
    n += encoder.Finish(o + n);
    out.resize(n);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) { return DecodeText(KanjiCode::UTF8NoSig, bytes); }

std::string Utf16ToUtf8(std::u16string_view text) { return EncodeText(KanjiCode::UTF8NoSig, text); }
