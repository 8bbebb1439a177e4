#include "grep/engine/grep_prefilter.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/utf16.h"

namespace {

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

#ifdef __SSE2__
// Tests 16 candidate starts at a time on the needle's first and last bytes
// (letters folded by OR 0x20, exact for letters only: no other byte ORs into
// a-z) and verifies each survivor in full. Returns the first hit, or npos
// with *from moved to the first start the blocks did not cover.
std::size_t FindInBlocks(const unsigned char* h, std::size_t size, const unsigned char* p, std::size_t m, bool fold,
                         std::size_t* from) {
    auto caseBit = [fold](unsigned char c) { return char(fold && c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const __m128i first = _mm_set1_epi8(char(p[0])), last = _mm_set1_epi8(char(p[m - 1]));
    const __m128i firstCase = _mm_set1_epi8(caseBit(p[0])), lastCase = _mm_set1_epi8(caseBit(p[m - 1]));
    std::size_t at = *from;
    for (; size - at >= m + 15; at += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at)), firstCase);
        const __m128i z = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + m - 1)), lastCase);
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(z, last))));
        for (; mask; mask &= mask - 1) {
            const std::size_t c = at + unsigned(__builtin_ctz(mask));
            std::size_t k = 1;
            if (fold)
                while (k < m && Fold(h[c + k]) == p[k]) ++k;
            else if (m > 1 && std::memcmp(h + c + 1, p + 1, m - 1) == 0)
                k = m;
            if (k >= m) return c;
        }
    }
    *from = at;
    return std::string::npos;
}
#endif

}  // namespace

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

void GrepPrefilter::Build(const std::u16string& searchText, bool regex, bool ignoreCase, bool ignoreWidth, int code) {
    needles_.clear();
    lineLocal_ = false;
    fold_ = ignoreCase;
    detect_ = !IsKnownKanjiCode(code);
    if (ignoreWidth) return;
    const std::u16string text = regex ? RequiredText(searchText) : searchText;
    if (text.empty()) return;
    for (char16_t u : text) {
        if (u == u'\r' || u == u'\n' || u == 0) return;
        // Full-width letters fold to full-width: not an ASCII-only fold.
        if (ignoreCase && ((u >= 0xFF21 && u <= 0xFF3A) || (u >= 0xFF41 && u <= 0xFF5A))) return;
    }
    std::vector<int> codes;
    if (detect_)
        codes = {KanjiCode::SJIS, KanjiCode::EUC, KanjiCode::UTF8NoSig};
    else if (code == KanjiCode::SJIS || code == KanjiCode::EUC || IsUTF8Code(code))
        codes = {code == KanjiCode::UTF8 ? int(KanjiCode::UTF8NoSig) : code};
    else
        return;  // JIS and UTF-16 are read in full
    std::vector<Needle> found;
    bool anyForm = false;
    for (int c : codes) {
        const std::string bytes = EncodeText(c, text);
        // A text the encoding can't hold can't turn up in it either.
        if (bytes.empty() || DecodeText(c, bytes) != text) continue;
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
        found.push_back(std::move(n));
    }
    // Held by no encoding: let every file through rather than guess.
    if (!anyForm) return;
    needles_ = std::move(found);
    // A negated class may match a line end; anything else that could reach
    // across lines needs "(", "\\" or "|", which give no needle at all.
    lineLocal_ = !regex || searchText.find(u"[^") == std::u16string::npos;
}

const GrepPrefilter::Needle* GrepPrefilter::NeedleFor(int code) const {
    if (code == KanjiCode::UTF8) code = KanjiCode::UTF8NoSig;
    for (const Needle& n : needles_)
        for (int c : n.codes)
            if (c == code) return &n;
    return nullptr;
}

std::size_t GrepPrefilter::FindFrom(int code, const std::string& bytes, std::size_t from) const {
    const Needle* n = NeedleFor(code);
    return n ? Find(*n, bytes, from) : std::string::npos;
}

std::size_t GrepPrefilter::Find(const Needle& n, const std::string& hay, std::size_t from) const {
    const std::size_t m = n.bytes.size();
    if (hay.size() < m || from > hay.size() - m) return std::string::npos;
    const auto* h = reinterpret_cast<const unsigned char*>(hay.data());
    const auto* p = reinterpret_cast<const unsigned char*>(n.bytes.data());
#ifdef __SSE2__
    const std::size_t found = FindInBlocks(h, hay.size(), p, m, fold_, &from);
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

bool GrepPrefilter::MayMatch(const std::string& bytes) const {
    if (needles_.empty()) return true;
    // NULs (read as blanks), UTF-16 and JIS text take the full path.
    if (std::memchr(bytes.data(), 0, bytes.size())) return true;
    if (detect_) {
        if (std::memchr(bytes.data(), 0x1B, bytes.size())) return true;
        if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
            return true;
    }
    for (const Needle& n : needles_)
        if (Find(n, bytes, 0) != std::string::npos) return true;
    return false;
}
