#include "textengine/kanjidetect.h"

#include "textengine/kanjicode.h"

#include <cstdint>
#include <cstring>
#include "textengine/cpu_features.h"
#include "textengine/kanjidetect_blocks.h"

namespace {

// Characters frequent in Japanese prose, in each encoding, with their weight.
struct FrequentChar {
    uint8_t sjis[2];
    uint8_t euc[2];
    uint8_t utf8[3];
    int weight;
};

const FrequentChar kFrequent[] = {
    {{0x81, 0x42}, {0xA1, 0xA3}, {0xE3, 0x80, 0x82}, 3},  // 。
    {{0x81, 0x41}, {0xA1, 0xA2}, {0xE3, 0x80, 0x81}, 3},  // 、
    {{0x81, 0x43}, {0xA1, 0xA4}, {0xEF, 0xBC, 0x8C}, 3},  // ，
    {{0x81, 0x60}, {0xA1, 0xC1}, {0xE3, 0x80, 0x9C}, 3},  // ～
    {{0x93, 0xFA}, {0xC6, 0xFC}, {0xE6, 0x97, 0xA5}, 3},  // 日
    {{0x90, 0x6C}, {0xBF, 0xCD}, {0xE4, 0xBA, 0xBA}, 3},  // 人
    {{0x88, 0xEA}, {0xB0, 0xEC}, {0xE4, 0xB8, 0x80}, 3},  // 一
    {{0x8C, 0xA9}, {0xB8, 0xAB}, {0xE8, 0xA6, 0x8B}, 3},  // 見
    {{0x8E, 0x96}, {0xBB, 0xF6}, {0xE4, 0xBA, 0x8B}, 3},  // 事
    {{0x96, 0x7B}, {0xCB, 0xDC}, {0xE6, 0x9C, 0xAC}, 3},  // 本
    {{0x94, 0x4E}, {0xC7, 0xAF}, {0xE5, 0xB9, 0xB4}, 3},  // 年
    {{0x8E, 0x9E}, {0xBB, 0xFE}, {0xE6, 0x99, 0x82}, 3},  // 時
    {{0x95, 0xAA}, {0xCA, 0xAC}, {0xE5, 0x88, 0x86}, 3},  // 分
    {{0x91, 0xE5}, {0xC2, 0xE7}, {0xE5, 0xA4, 0xA7}, 3},  // 大
    {{0x8F, 0xAC}, {0xBE, 0xAE}, {0xE5, 0xB0, 0x8F}, 3},  // 小
    {{0x8F, 0xE3}, {0xBE, 0xE5}, {0xE4, 0xB8, 0x8A}, 3},  // 上
    {{0x89, 0xBA}, {0xB2, 0xBC}, {0xE4, 0xB8, 0x8B}, 3},  // 下
    {{0x8D, 0x82}, {0xB9, 0xE2}, {0xE9, 0xAB, 0x98}, 3},  // 高
    {{0x92, 0xE1}, {0xC4, 0xE3}, {0xE4, 0xBD, 0x8E}, 3},  // 低
};

// Looked up once per multibyte character: a table per encoding, indexed by
// the character's bytes, in place of a walk through kFrequent.
struct WeightTables {
    uint8_t sjis[256 * 256] = {};
    uint8_t euc[256 * 256] = {};
    uint8_t utf8[16 * 64 * 64] = {};  // E0..EF lead byte, two trail bytes
    WeightTables() {
        for (const auto& f : kFrequent) {
            sjis[f.sjis[0] << 8 | f.sjis[1]] = uint8_t(f.weight);
            euc[f.euc[0] << 8 | f.euc[1]] = uint8_t(f.weight);
            utf8[Utf8Index(f.utf8[0], f.utf8[1], f.utf8[2])] = uint8_t(f.weight);
        }
    }
    static size_t Utf8Index(uint8_t a, uint8_t b, uint8_t c) { return size_t(a & 0x0F) << 12 | (b & 0x3F) << 6 | (c & 0x3F); }
};

const WeightTables& Weights() {
    static const WeightTables tables;
    return tables;
}

struct Scorer {
    KanjiCode code = KanjiCode::Detect;
    bool valid = true;
    int hiragana = 0, katakana = 0, halfKana = 0, points = 0;
    int weight = 0;  // tenths; 0 = none

    int Score() const {
        int s = points * 3 + halfKana + hiragana * 5 + katakana * 2;
        return weight > 0 ? weight * s / 10 : s;
    }
};

inline bool In(uint8_t b, uint8_t lo, uint8_t hi) { return b >= lo && b <= hi; }

// Whether the eight bytes at p are ASCII without NUL: the scorers pass
// those a word at a time.
inline bool PlainAsciiWord(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return !(w & 0x8080808080808080ull) && !((w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull);
}

// Each scorer stops at a NUL byte or at stop: the end of a text read whole,
// four bytes before the end of one cut at the read limit (where the last
// character may be cut). A whole text that ends inside a character breaks
// the rules.
Scorer ScoreSjis(const uint8_t* p, size_t n, size_t stop) {
    Scorer s;
    s.code = KanjiCode::SJIS;
    const WeightTables& weights = Weights();
    bool afterHalfKanaPair = false;  // EF BD / EF BE: UTF-8 half-width katakana
    size_t i = 0;
    while (i < stop) {
        uint8_t b = p[i];
        if (b == 0) break;
        if (b < 0x80) {
            afterHalfKanaPair = false;
            ++i;
            while (n - i >= 8 && PlainAsciiWord(p + i)) i += 8;
        } else if (In(b, 0xA0, 0xDF)) {
            if (!In(b, 0xA1, 0xA5) && !afterHalfKanaPair) ++s.halfKana;
            afterHalfKanaPair = false;
            ++i;
        } else if (In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC)) {
            if (i + 1 == n) {
                s.valid = false;
                break;
            }
            uint8_t t = p[i + 1];
            if (!In(t, 0x40, 0x7E) && !In(t, 0x80, 0xFC)) {
                s.valid = false;
                break;
            }
            afterHalfKanaPair = false;
            if (b == 0x82 && In(t, 0x9F, 0xF1)) {
                ++s.hiragana;
            } else if (b == 0x83 && In(t, 0x40, 0x96)) {
                ++s.katakana;
            } else if (b == 0xEF && (t == 0xBD || t == 0xBE)) {
                afterHalfKanaPair = true;
            } else {
                int w = weights.sjis[b << 8 | t];
                s.points += w ? w : 1;
            }
            i += 2;
        } else {
            s.valid = false;
            break;
        }
    }
    return s;
}

// The Shift_JIS rules the scorer checks, by byte.
struct SjisTables {
    enum : uint8_t { kInvalid, kSingle, kLead };
    uint8_t kind[256] = {};
    bool trail[256] = {};
    SjisTables() {
        for (int b = 0; b < 256; ++b) {
            kind[b] = In(uint8_t(b), 0xA0, 0xDF) ? kSingle
                      : In(uint8_t(b), 0x81, 0x9F) || In(uint8_t(b), 0xE0, 0xFC) ? kLead
                                                                                 : kInvalid;
            trail[b] = In(uint8_t(b), 0x40, 0x7E) || In(uint8_t(b), 0x80, 0xFC);
        }
    }
};


// What ScoreSjis would decide without weighing: the same validity, and a
// score above zero exactly when it would count anything (every character
// but the EF BD / EF BE pair, and the half-width kana it counts).
Scorer QuickScoreSjis(const uint8_t* p, size_t n, size_t stop) {
    Scorer s;
    s.code = KanjiCode::SJIS;
    bool afterHalfKanaPair = false, counts = false;
    size_t i = 0;
    // Until something counts.
    while (!counts && i < stop) {
        const uint8_t b = p[i];
        if (b == 0) return s;
        if (b < 0x80) {
            afterHalfKanaPair = false;
            ++i;
        } else if (In(b, 0xA0, 0xDF)) {
            counts = !In(b, 0xA1, 0xA5) && !afterHalfKanaPair;
            afterHalfKanaPair = false;
            ++i;
        } else if (In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC)) {
            if (i + 1 == n) {
                s.valid = false;
                return s;
            }
            const uint8_t t = p[i + 1];
            if (!In(t, 0x40, 0x7E) && !In(t, 0x80, 0xFC)) {
                s.valid = false;
                return s;
            }
            afterHalfKanaPair = b == 0xEF && (t == 0xBD || t == 0xBE);
            counts = !afterHalfKanaPair;
            i += 2;
        } else {
            s.valid = false;
            return s;
        }
    }
    s.points = counts ? 1 : 0;
    // Then only whether the rest keeps the rules.
    static const SjisTables tables;
    size_t byteWalkTo = i;  // the byte walk goes on at least to here
    while (i < stop) {
#ifdef __SSE2__
        if (i >= byteWalkTo) {
            size_t failed;
            const size_t resume = PassSjisBlocks(p, n, i, &failed);
            byteWalkTo = failed + 2;  // past the byte and what pairs with it
            if (resume != i) {
                i = resume;
                continue;
            }
        }
#endif
        const uint8_t b = p[i];
        if (b < 0x80) {
            if (b == 0) break;
            ++i;
            while (n - i >= 8 && PlainAsciiWord(p + i)) i += 8;
            continue;
        }
        const uint8_t kind = tables.kind[b];
        if (kind == SjisTables::kSingle) {
            ++i;
        } else if (kind == SjisTables::kLead && i + 1 < n && tables.trail[p[i + 1]]) {
            i += 2;
        } else {
            s.valid = false;
            break;
        }
    }
    return s;
}

// The length of the UTF-8 sequence the lead byte p[0] starts, its
// continuation bytes checked; 0 when it breaks the rules or runs past the
// avail bytes there are.
size_t Utf8SequenceLength(const uint8_t* p, size_t avail) {
    const uint8_t b = p[0];
    const size_t len = In(b, 0xC0, 0xDF) ? 2 : In(b, 0xE0, 0xEF) ? 3 : In(b, 0xF0, 0xF7) ? 4 : 0;
    if (len > avail) return 0;
    for (size_t k = 1; k < len; ++k)
        if (!In(p[k], 0x80, 0xBF)) return 0;
    return len;
}

// Walks the UTF-8 text at p from i as the scorer reads it: up to a NUL or
// to stop, calling seen(lead, length) for each multibyte sequence. False
// when a sequence breaks the rules.
template <class Seen>
bool WalkUtf8(const uint8_t* p, size_t n, size_t stop, size_t i, Seen seen) {
    while (i < stop) {
        const uint8_t b = p[i];
        if (b == 0) break;
        if (b < 0x80) {
            ++i;
            continue;
        }
        const size_t len = Utf8SequenceLength(p + i, n - i);
        if (!len) return false;
        seen(p + i, len);
        i += len;
    }
    return true;
}

Scorer ScoreUtf8(const uint8_t* p, size_t n, size_t stop) {
    Scorer s;
    s.code = KanjiCode::UTF8NoSig;
    s.weight = 15;
    const WeightTables& weights = Weights();
    s.valid = WalkUtf8(p, n, stop, 0, [&](const uint8_t* q, size_t len) {
        if (len != 3) return;
        const uint8_t b = q[0], c1 = q[1], c2 = q[2];
        if (b == 0xE3 && ((c1 == 0x81 && In(c2, 0x80, 0xBF)) || (c1 == 0x82 && In(c2, 0x80, 0x9E)))) {
            ++s.hiragana;
        } else if (b == 0xE3 && ((c1 == 0x82 && In(c2, 0xA1, 0xBF)) || (c1 == 0x83 && In(c2, 0x80, 0xB6)))) {
            ++s.katakana;
        } else if (b == 0xEF && ((c1 == 0xBD && In(c2, 0xA1, 0xBF)) || (c1 == 0xBE && In(c2, 0x80, 0x9F)))) {
            ++s.halfKana;
        } else {
            const int w = weights.utf8[WeightTables::Utf8Index(b, c1, c2)];
            s.points += w ? w : 2;
        }
    });
    return s;
}


// What ScoreUtf8 would decide when no other encoding is in the race: the
// same validity, and a score above zero exactly when a three-byte character
// comes before the scan stops.
Scorer QuickScoreUtf8(const uint8_t* p, size_t n, size_t stop) {
    Scorer s;
    s.code = KanjiCode::UTF8NoSig;
    s.weight = 15;
    bool threeByte = false;
    size_t i = 0;
#ifdef WENDREL_HAS_X86_EXTENSIONS
    if (CpuHasAvx2()) {
        i = PassUtf8ChunksAvx2(p, n, threeByte);
        i += PassUtf8BlocksAvx2(p + i, n - i, threeByte);
    }
#endif
#ifdef __SSE2__
    // The rest, or all where AVX2 doesn't run.
    if (i < stop) {
        const size_t more = PassUtf8Blocks(p + i, n - i, threeByte);
        i += more;
    }
#endif
    s.valid = WalkUtf8(p, n, stop, i, [&](const uint8_t*, size_t len) { threeByte |= len == 3; });
    s.points = threeByte ? 1 : 0;
    return s;
}

Scorer ScoreEuc(const uint8_t* p, size_t n, size_t stop) {
    Scorer s;
    s.code = KanjiCode::EUC;
    const WeightTables& weights = Weights();
    size_t i = 0;
    while (i < stop) {
        uint8_t b = p[i];
        if (b == 0) break;
        if (b <= 0x80) {
            ++i;
            while (n - i >= 8 && PlainAsciiWord(p + i)) i += 8;
        } else if (b == 0x8E) {
            if (i + 1 == n || !In(p[i + 1], 0xA1, 0xFE)) {
                s.valid = false;
                break;
            }
            ++s.halfKana;
            i += 2;
        } else if (b == 0x8F) {
            if (n - i < 3 || !In(p[i + 1], 0xA1, 0xFE) || !In(p[i + 2], 0xA1, 0xFE)) {
                s.valid = false;
                break;
            }
            i += 3;
        } else if (In(b, 0xA1, 0xFE) && i + 1 < n && In(p[i + 1], 0xA1, 0xFE)) {
            uint8_t t = p[i + 1];
            if (b == 0xA4 && In(t, 0xA1, 0xF3)) {
                ++s.hiragana;
            } else if (b == 0xA5 && In(t, 0xA1, 0xF6)) {
                ++s.katakana;
            } else {
                int w = weights.euc[b << 8 | t];
                s.points += w ? w : 1;
            }
            i += 2;
        } else {
            s.valid = false;
            break;
        }
    }
    return s;
}

// Index of the first byte >= 0x80, or n; a word at a time.
size_t FirstEightBit(const uint8_t* p, size_t n) {
    size_t i = 0;
    for (uint64_t w; i + sizeof w <= n; i += sizeof w) {
        std::memcpy(&w, p + i, sizeof w);
        if (w & 0x8080808080808080ull) break;
    }
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

bool FindEscDollar(const uint8_t* p, size_t n) {
    for (const uint8_t* q = p; n >= 2;) {
        const auto* e = static_cast<const uint8_t*>(std::memchr(q, 0x1B, n - 1));
        if (!e) return false;
        if (e[1] == '$') return true;
        n -= size_t(e + 1 - q);
        q = e + 1;
    }
    return false;
}

}  // namespace

int FrequentCharWeightSjis(uint8_t a, uint8_t b) { return Weights().sjis[a << 8 | b]; }
int FrequentCharWeightEuc(uint8_t a, uint8_t b) { return Weights().euc[a << 8 | b]; }
int FrequentCharWeightUtf8(uint8_t a, uint8_t b, uint8_t c) {
    if ((a & 0xF0) != 0xE0 || (b & 0xC0) != 0x80 || (c & 0xC0) != 0x80) return 0;
    return Weights().utf8[WeightTables::Utf8Index(a, b, c)];
}

KanjiCode DetectCharCode(const uint8_t* bytes, size_t n) {
    // Only a read that stopped at the limit may have cut a character.
    const size_t stop = n >= kDetectBytes ? n - 4 : n;
    // Quick passes tell which encodings are in the race at all: text in one
    // encoding soon breaks the others' rules. Only two or more left need
    // their characters weighed.
    auto live = [](const Scorer& s) { return s.valid && s.Score() > 0; };
    const Scorer quickSjis = QuickScoreSjis(bytes, n, stop), quickUtf8 = QuickScoreUtf8(bytes, n, stop);
    const Scorer euc = ScoreEuc(bytes, n, stop);
    const int alive = int(live(quickSjis)) + int(live(quickUtf8)) + int(live(euc));
    if (alive == 0) return KanjiCode::Detect;
    if (alive == 1) return live(quickSjis) ? KanjiCode::SJIS : live(quickUtf8) ? KanjiCode::UTF8NoSig : KanjiCode::EUC;
    const Scorer scorers[3] = {live(quickSjis) ? ScoreSjis(bytes, n, stop) : quickSjis,
                               live(quickUtf8) ? ScoreUtf8(bytes, n, stop) : quickUtf8, euc};
    KanjiCode result = KanjiCode::Detect;
    int best = -1;
    for (const Scorer& s : scorers) {
        int score = s.Score();
        // Ties go to the earlier candidate.
        if (s.valid && score > 0 && score > best) {
            result = s.code;
            best = score;
        }
    }
    return result;
}

KanjiCode DetectKanjiCode(const uint8_t* p, size_t n, KanjiCode defaultCode) {
    if (n == 0) return defaultCode;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return KanjiCode::Unicode;
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return KanjiCode::UTF16BE;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return KanjiCode::UTF8;

    bool asciiPairs = false;
    for (size_t i = 0; i + 1 < n && !asciiPairs; ++i)
        asciiPairs = In(p[i], 0x01, 0x7F) && In(p[i + 1], 0x01, 0x7F);

    bool escTest = true, eightBit = false;
    if (asciiPairs) {
        // Only an escape before the first 8-bit byte can make the text JIS.
        const size_t first = FirstEightBit(p, n);
        if (FindEscDollar(p, first)) return KanjiCode::JIS;
        eightBit = first < n;
        escTest = false;
    }
    for (size_t i = 0; !asciiPairs && i < n; ++i) {
        uint8_t b = p[i];
        if (b >= 0x80) {
            eightBit = true;
            escTest = false;
            continue;
        }
        if (escTest && b == 0x1B && i + 1 < n && p[i + 1] == '$') return KanjiCode::JIS;
        if (!asciiPairs && i + 1 < n && p[i + 1] == 0)
            return i % 2 == 0 ? KanjiCode::UnicodeNoSig : KanjiCode::UTF16BENoSig;
    }
    if (eightBit) {
        const KanjiCode code = DetectCharCode(p, n);
        return code == KanjiCode::Detect ? KanjiCode::EUC : code;
    }
    return IsUnicodeCode(defaultCode) ? KanjiCode::SJIS : defaultCode;
}
