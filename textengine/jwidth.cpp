#include "textengine/jwidth.h"
#include "textengine/utf16.h"

#include <array>

namespace {

constexpr char16_t kFullSpecials[] = u"\u3000\uFFE5\uFFE3\u201D\u2019\u2018";
constexpr char16_t kAsciiSpecials[] = u" \\~\"'`";

// Full-width partners of U+FF61-U+FF9F, in code order.
constexpr char16_t kFullKana[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof(kFullKana) / sizeof(char16_t) == 0xFF9F - 0xFF61 + 2, "63 kana and a NUL");

constexpr char16_t kVoiceable[] = u"ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ";
constexpr char16_t kVoiced[] = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";
constexpr char16_t kSemiVoiceable[] = u"ﾊﾋﾌﾍﾎ";
constexpr char16_t kSemiVoiced[] = u"パピプペポ";
constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

int index_in(const char16_t* list, char16_t c) {
    for (int i = 0; list[i]; ++i) {
        if (list[i] == c) return i;
    }
    return -1;
}

// Half-width forms of the full-width characters U+3000-U+30FF: base unit and
// mark (0 when none).
struct HalfForm {
    char16_t base, mark;
};

const std::array<HalfForm, 0x100>& half_forms() {
    static const std::array<HalfForm, 0x100> table = [] {
        std::array<HalfForm, 0x100> t{};
        for (int i = 0; kFullKana[i]; ++i) t[kFullKana[i] - 0x3000] = {char16_t(0xFF61 + i), 0};
        for (int i = 0; kVoiced[i]; ++i) t[kVoiced[i] - 0x3000] = {kVoiceable[i], kVoicedMark};
        for (int i = 0; kSemiVoiced[i]; ++i) t[kSemiVoiced[i] - 0x3000] = {kSemiVoiceable[i], kSemiVoicedMark};
        return t;
    }();
    return table;
}

// Writes units into dst while room lasts (one unit kept for the NUL).
class Output {
public:
    Output(char16_t* dst, size_t units) : dst_(dst), units_(units) {}
    void put(char16_t c) {
        if (n_ + 1 < units_) dst_[n_] = c;
        else overflow_ = true;
        ++n_;
    }
    // Copies a surrogate pair at p unchanged, leaving p on its second unit.
    bool put_pair(const char16_t*& p) {
        if (!utf16_is_pair(p)) return false;
        put(p[0]);
        put(*++p);
        return true;
    }
    int finish(bool converted) {
        if (units_ > 0) dst_[n_ < units_ ? n_ : units_ - 1] = 0;
        if (overflow_ || units_ == 0) return -1;
        return converted ? 1 : 0;
    }

private:
    char16_t* dst_;
    size_t units_;
    size_t n_ = 0;
    bool overflow_ = false;
};

}  // namespace

int jwidth_to_fullwidth(const char16_t* src, char16_t* dst, size_t dst_units, int ascii, int kana) {
    Output out(dst, dst_units);
    bool converted = false;
    for (const char16_t* p = src; *p; ++p) {
        char16_t c = *p;
        if (out.put_pair(p)) continue;
        if (ascii && c >= 0x20 && c <= 0x7E) {
            converted = true;
            out.put(c == ' ' ? u'\u3000' : c == '\\' ? u'\uFFE5' : c == '~' ? u'\uFFE3' : char16_t(c + 0xFEE0));
            continue;
        }
        if (kana && c >= 0xFF61 && c <= 0xFF9F) {
            converted = true;
            int i;
            if (p[1] == kVoicedMark && (i = index_in(kVoiceable, c)) >= 0) {
                out.put(kVoiced[i]);
                ++p;
            } else if (p[1] == kSemiVoicedMark && (i = index_in(kSemiVoiceable, c)) >= 0) {
                out.put(kSemiVoiced[i]);
                ++p;
            } else {
                out.put(kFullKana[c - 0xFF61]);
            }
            continue;
        }
        out.put(c);
    }
    return out.finish(converted);
}

int jwidth_to_halfwidth(const char16_t* src, char16_t* dst, size_t dst_units, int ascii, int kana) {
    Output out(dst, dst_units);
    bool converted = false;
    const auto& forms = half_forms();
    for (const char16_t* p = src; *p; ++p) {
        char16_t c = *p;
        if (out.put_pair(p)) continue;
        if (ascii) {
            int i;
            if (c >= 0xFF01 && c <= 0xFF5D) {
                converted = true;
                out.put(char16_t(c - 0xFEE0));
                continue;
            }
            if ((i = index_in(kFullSpecials, c)) >= 0) {
                converted = true;
                out.put(kAsciiSpecials[i]);
                continue;
            }
        }
        if (kana && c >= 0x3000 && c <= 0x30FF && forms[c - 0x3000].base) {
            converted = true;
            out.put(forms[c - 0x3000].base);
            if (forms[c - 0x3000].mark) out.put(forms[c - 0x3000].mark);
            continue;
        }
        out.put(c);
    }
    return out.finish(converted);
}

size_t jwidth_halfwidth_units(const char16_t* src) {
    size_t n = 0;
    while (src[n]) ++n;
    return 2 * n + 1;
}
