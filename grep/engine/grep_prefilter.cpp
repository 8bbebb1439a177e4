#include "grep/engine/grep_prefilter.h"

#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/cpu_features.h"
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/utf16.h"

namespace {

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// How common a byte is in Japanese text in any of the encodings searched
// (higher is more common): a rough prior, only used to pick the needle
// bytes the block scan looks at first.
int Commonness(unsigned char b) {
    if (b == ' ' || b == 0xE3) return 10;  // blank; UTF-8 kana and punctuation
    if (b == 0x82 || b == 0x83 || b == 0xA4 || b == 0xA5) return 9;  // kana leads (Shift_JIS, EUC-JP)
    if (b == 0x81 || b == 0xA1) return 8;                             // punctuation leads
    if (std::strchr("etaoinsrhl", b) && b) return 8;
    if (b >= 'a' && b <= 'z') return 6;
    if ((b >= 0xE4 && b <= 0xE9) || (b >= 0x88 && b <= 0x9F)) return 6;  // kanji leads
    if (b == '\n' || b == '\t' || b == '\r' || (b >= '0' && b <= '9') || b >= 0x80) return 5;
    if (b >= 'A' && b <= 'Z') return 4;
    if (b < 0x20) return 1;
    return 4;
}

// Of the candidate starts at + each bit of mask, the first where the whole
// needle is, or npos.
std::size_t FirstWhole(const unsigned char* h, std::size_t at, unsigned mask, const unsigned char* p, std::size_t m,
                       bool fold) {
    for (; mask; mask &= mask - 1) {
        const std::size_t c = at + unsigned(__builtin_ctz(mask));
        std::size_t k = 0;
        if (fold)
            while (k < m && Fold(h[c + k]) == p[k]) ++k;
        else if (std::memcmp(h + c, p, m) == 0)
            k = m;
        if (k >= m) return c;
    }
    return std::string::npos;
}

#ifdef __SSE2__
// Tests 16 candidate starts at a time on two of the needle's bytes, the
// rarest ones (letters folded by OR 0x20, exact for letters only: no other
// byte ORs into a-z), and verifies each survivor in full. Returns the first
// hit, or npos with *from moved to the first start the blocks did not cover.
std::size_t FindInBlocks(const unsigned char* h, std::size_t size, const unsigned char* p, std::size_t m,
                         std::size_t r1, std::size_t r2, bool fold, std::size_t* from) {
    auto caseBit = [fold](unsigned char c) { return char(fold && c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const __m128i b1 = _mm_set1_epi8(char(p[r1])), b2 = _mm_set1_epi8(char(p[r2]));
    const __m128i case1 = _mm_set1_epi8(caseBit(p[r1])), case2 = _mm_set1_epi8(caseBit(p[r2]));
    auto candidates = [&](std::size_t at) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + r1));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + r2));
        if (fold) {
            x = _mm_or_si128(x, case1);
            y = _mm_or_si128(y, case2);
        }
        return _mm_and_si128(_mm_cmpeq_epi8(x, b1), _mm_cmpeq_epi8(y, b2));
    };
    auto verify = [&](std::size_t at, unsigned mask) { return FirstWhole(h, at, mask, p, m, fold); };
    std::size_t at = *from;
    // Two blocks a round, tested together: candidates are rare.
    for (; size - at >= m + 31; at += 32) {
        const __m128i lo = candidates(at), hi = candidates(at + 16);
        if (!_mm_movemask_epi8(_mm_or_si128(lo, hi))) continue;
        const unsigned mask = unsigned(_mm_movemask_epi8(lo)) | unsigned(_mm_movemask_epi8(hi)) << 16;
        const std::size_t found = verify(at, mask);
        if (found != std::string::npos) return found;
    }
    for (; size - at >= m + 15; at += 16) {
        const std::size_t found = verify(at, unsigned(_mm_movemask_epi8(candidates(at))));
        if (found != std::string::npos) return found;
    }
    *from = at;
    return std::string::npos;
}
#endif

#ifdef WENDREL_HAS_X86_EXTENSIONS
// FindInBlocks with 32-byte blocks.
__attribute__((target("avx2"))) std::size_t FindInBlocksAvx2(const unsigned char* h, std::size_t size,
                                                             const unsigned char* p, std::size_t m, std::size_t r1,
                                                             std::size_t r2, bool fold, std::size_t* from) {
    auto caseBit = [fold](unsigned char c) { return char(fold && c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const __m256i b1 = _mm256_set1_epi8(char(p[r1])), b2 = _mm256_set1_epi8(char(p[r2]));
    const __m256i case1 = _mm256_set1_epi8(caseBit(p[r1])), case2 = _mm256_set1_epi8(caseBit(p[r2]));
    std::size_t at = *from;
    // Two blocks a round, tested together: candidates are rare.
    for (; size - at >= m + 63; at += 64) {
        __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + r1));
        __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + r2));
        __m256i z = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + 32 + r1));
        __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + 32 + r2));
        if (fold) {
            x = _mm256_or_si256(x, case1);
            y = _mm256_or_si256(y, case2);
            z = _mm256_or_si256(z, case1);
            w = _mm256_or_si256(w, case2);
        }
        const __m256i lo = _mm256_and_si256(_mm256_cmpeq_epi8(x, b1), _mm256_cmpeq_epi8(y, b2));
        const __m256i hi = _mm256_and_si256(_mm256_cmpeq_epi8(z, b1), _mm256_cmpeq_epi8(w, b2));
        const __m256i any = _mm256_or_si256(lo, hi);
        if (_mm256_testz_si256(any, any)) continue;
        // The halves in order: FirstWhole takes 32 starts at a time.
        std::size_t found = FirstWhole(h, at, unsigned(_mm256_movemask_epi8(lo)), p, m, fold);
        if (found == std::string::npos) found = FirstWhole(h, at + 32, unsigned(_mm256_movemask_epi8(hi)), p, m, fold);
        if (found != std::string::npos) return found;
    }
    for (; size - at >= m + 31; at += 32) {
        __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + r1));
        __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + at + r2));
        if (fold) {
            x = _mm256_or_si256(x, case1);
            y = _mm256_or_si256(y, case2);
        }
        const unsigned mask = unsigned(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, b1), _mm256_cmpeq_epi8(y, b2))));
        if (!mask) continue;
        const std::size_t found = FirstWhole(h, at, mask, p, m, fold);
        if (found != std::string::npos) return found;
    }
    *from = at;
    return std::string::npos;
}
#endif

// For each UTF-16 unit, how many one- or two-byte sequences of code decode
// to it alone.
std::vector<unsigned char> CountSources(KanjiCode code) {
    std::vector<unsigned char> count(0x10000, 0);
    auto add = [&](const uint8_t* bytes, std::size_t n) {
        CKanjiDecoder decoder(code);
        char16_t out[8];
        std::size_t consumed = 0;
        if (decoder.Decode(bytes, n, true, out, consumed) == 1 && count[out[0]] < 255) ++count[out[0]];
    };
    for (unsigned a = 0; a < 256; ++a) {
        const uint8_t one[1] = {uint8_t(a)};
        add(one, 1);
        for (unsigned b = 0x40; b < 256; ++b) {
            const uint8_t two[2] = {uint8_t(a), uint8_t(b)};
            add(two, 2);
        }
    }
    return count;
}

// Whether text holds a character that more than one byte sequence of code
// reads as: the NEC and IBM copies of a symbol or kanji in Shift_JIS, or
// "?", which stands for every byte that maps to nothing. A needle in one
// form would pass over the files written with the other.
bool HasManyForms(KanjiCode code, const std::u16string& text) {
    if (text.find(u'?') != std::u16string::npos) return true;
    if (code != KanjiCode::SJIS && code != KanjiCode::EUC) return false;
    // Each table made the first time its encoding is asked about.
    auto sjis = [] {
        static const std::vector<unsigned char> count = CountSources(KanjiCode::SJIS);
        return &count;
    };
    auto euc = [] {
        static const std::vector<unsigned char> count = CountSources(KanjiCode::EUC);
        return &count;
    };
    const std::vector<unsigned char>& count = code == KanjiCode::SJIS ? *sjis() : *euc();
    for (char16_t u : text)
        if (count[u] > 1) return true;
    return false;
}

}  // namespace

bool GrepPrefilter::LineLocalText(const std::u16string& text, bool regex) {
    if (text.find_first_of(u"\r\n") != std::u16string::npos) return false;
    if (!regex) return true;
    // A negated or named class may match a line end, as may a range from a
    // control character; anything else that could reach across lines needs
    // "(", "\\" or "|".
    for (char16_t c : text)
        if (c < 0x20) return false;
    return text.find_first_of(u"()|\\") == std::u16string::npos && text.find(u"[^") == std::u16string::npos &&
           text.find(u"[:") == std::u16string::npos;
}

std::u16string GrepPrefilter::RequiredText(const std::u16string& p) {
    if (p.find_first_of(u"()|\\{}") != std::u16string::npos) return u"";
    std::u16string best, run;
    auto endRun = [&] {
        if (run.size() > best.size()) best = run;
        run.clear();
    };
    for (std::size_t i = 0; i < p.size();) {
        const char16_t c = p[i];
        if (c == u'[') {
            endRun();
            std::size_t j = i + 1;
            if (j < p.size() && p[j] == u'^') ++j;
            if (j < p.size() && p[j] == u']') ++j;
            const std::size_t close = p.find(u']', j);
            if (close == std::u16string::npos || p.substr(i, close - i).find(u"[:") != std::u16string::npos)
                return u"";
            i = close + 1;
        } else if (c == u'.' || c == u'^' || c == u'$') {
            endRun();
            ++i;
        } else if (c == u'*' || c == u'?' || c == u'+') {
            if (c != u'+' && !run.empty()) {
                const bool pair = run.size() >= 2 && utf16_is_high_surrogate(run[run.size() - 2]);
                run.erase(run.size() - (pair ? 2 : 1));
            }
            endRun();
            ++i;
            if (i < p.size() && (p[i] == u'?' || p[i] == u'+')) ++i;
        } else {
            run += c;
            ++i;
        }
    }
    endRun();
    return best;
}

void GrepPrefilter::Build(const std::u16string& searchText, bool regex, bool ignoreCase, bool ignoreWidth, KanjiCode code) {
    needles_.clear();
    lineLocal_ = LineLocalText(searchText, regex);
    exact_ = false;
    fold_ = ignoreCase;
    const bool detect = !IsKnownKanjiCode(code);
    if (ignoreWidth) return;
    const std::u16string text = regex ? RequiredText(searchText) : searchText;
    if (text.empty()) return;
    for (char16_t u : text) {
        if (u == u'\r' || u == u'\n' || u == 0) return;
        // Full-width letters fold to full-width: not an ASCII-only fold.
        if (ignoreCase && ((u >= 0xFF21 && u <= 0xFF3A) || (u >= 0xFF41 && u <= 0xFF5A))) return;
    }
    std::vector<KanjiCode> codes;
    if (detect)
        codes = {KanjiCode::SJIS, KanjiCode::EUC, KanjiCode::UTF8NoSig};
    else if (code == KanjiCode::SJIS || code == KanjiCode::EUC || IsUTF8Code(code))
        codes = {code == KanjiCode::UTF8 ? KanjiCode::UTF8NoSig : code};
    else
        return;  // JIS and UTF-16 are read in full
    std::vector<Needle> found;
    bool anyForm = false;
    for (KanjiCode c : codes) {
        const std::string bytes = EncodeText(c, text);
        // A text the encoding can't hold can't turn up in it either.
        if (bytes.empty() || DecodeText(c, bytes) != text) continue;
        // Nor can a needle stand for a text that has several forms.
        if (HasManyForms(c, text)) return;
        anyForm = true;
        std::string folded = bytes;
        if (fold_)
            for (char& b : folded) b = char(Fold(static_cast<unsigned char>(b)));
        Needle* same = nullptr;
        for (Needle& n : found)
            if (n.bytes == folded) same = &n;
        if (same) {
            same->codes.push_back(c);
            continue;
        }
        Needle n;
        n.codes.push_back(c);
        n.bytes = bytes;
        if (fold_)
            for (char& b : n.bytes) b = char(Fold(static_cast<unsigned char>(b)));
        const std::size_t m = n.bytes.size();
        const unsigned char cap = m > 255 ? 255 : static_cast<unsigned char>(m);
        n.shift.fill(cap);
        for (std::size_t j = 0; j + 1 < m; ++j) {
            const std::size_t s = m - 1 - j;
            n.shift[static_cast<unsigned char>(n.bytes[j])] = s > 255 ? 255 : static_cast<unsigned char>(s);
            if (fold_ && n.bytes[j] >= 'a' && n.bytes[j] <= 'z')
                n.shift[static_cast<unsigned char>(n.bytes[j] - 32)] = n.shift[static_cast<unsigned char>(n.bytes[j])];
        }
        // Two different places (one for a one-byte needle), rarest first.
        // The second is taken three bytes or more from the first where the
        // needle allows: bytes of one character come together, so a pair
        // within it would pass every place that character stands.
        auto rarer = [&](std::size_t a, std::size_t b) {
            return Commonness(Fold(n.bytes[a])) < Commonness(Fold(n.bytes[b]));
        };
        for (std::size_t j = 1; j < m; ++j)
            if (rarer(j, n.rare1)) n.rare1 = j;
        const std::size_t apart = m >= 4 ? 3 : 1;
        auto farEnough = [&](std::size_t j) { return (j > n.rare1 ? j - n.rare1 : n.rare1 - j) >= apart; };
        n.rare2 = n.rare1;
        for (std::size_t j = 0; j < m; ++j)
            if (farEnough(j) && (n.rare2 == n.rare1 || rarer(j, n.rare2))) n.rare2 = j;
        found.push_back(std::move(n));
    }
    // Held by no encoding: let every file through rather than guess.
    if (!anyForm) return;
    needles_ = std::move(found);
    exact_ = !regex && !ignoreCase;
}

bool GrepPrefilter::IsUtf8Form(KanjiCode code) { return IsUTF8Code(code); }

const GrepPrefilter::Needle* GrepPrefilter::NeedleFor(KanjiCode code) const {
    if (code == KanjiCode::UTF8) code = KanjiCode::UTF8NoSig;
    for (const Needle& n : needles_)
        for (KanjiCode c : n.codes)
            if (c == code) return &n;
    return nullptr;
}

std::size_t GrepPrefilter::FindFrom(KanjiCode code, std::string_view bytes, std::size_t from) const {
    const Needle* n = NeedleFor(code);
    return n ? Find(*n, bytes, from) : std::string::npos;
}

std::size_t GrepPrefilter::Find(const Needle& n, std::string_view hay, std::size_t from) const {
    const std::size_t m = n.bytes.size();
    if (hay.size() < m || from > hay.size() - m) return std::string::npos;
    const auto* h = reinterpret_cast<const unsigned char*>(hay.data());
    const auto* p = reinterpret_cast<const unsigned char*>(n.bytes.data());
#ifdef WENDREL_HAS_X86_EXTENSIONS
    if (CpuHasAvx2()) {
        const std::size_t found = FindInBlocksAvx2(h, hay.size(), p, m, n.rare1, n.rare2, fold_, &from);
        if (found != std::string::npos) return found;
    }
#endif
#ifdef __SSE2__
    const std::size_t found = FindInBlocks(h, hay.size(), p, m, n.rare1, n.rare2, fold_, &from);
    if (found != std::string::npos) return found;
#endif
    if (!fold_) {
#ifdef __GLIBC__
        const void* at = memmem(hay.data() + from, hay.size() - from, n.bytes.data(), m);
        return at ? std::size_t(static_cast<const char*>(at) - hay.data()) : std::string::npos;
#else
        return hay.find(n.bytes, from);
#endif
    }
    const unsigned char last = p[m - 1];
    for (std::size_t at = from; at + m <= hay.size();) {
        const unsigned char c = h[at + m - 1];
        if (Fold(c) == last) {
            std::size_t k = 0;
            while (k + 1 < m && Fold(h[at + k]) == p[k]) ++k;
            if (k + 1 >= m) return at;
        }
        at += n.shift[c];
    }
    return std::string::npos;
}
