#include "textengine/text_metrics.h"

#include <algorithm>

#include "textengine/utf16.h"

namespace {

constexpr int kTableSize = 0x10000;
constexpr char32_t kHiraganaA = 0x3042;

}  // namespace

void CTextMetrics::MeasureAscii(int* widths) {
    for (char32_t cp = 0x20; cp <= 0x7E; ++cp) widths[cp - 0x20] = MeasureChar(cp);
}

void CCharWidthTable::Init(CTextMetrics* m) {
    if (!m) return;
    if (!m_widths) m_widths.reset(new int[kTableSize]);
    int* w = m_widths.get();
    std::fill(w, w + kTableSize, -1);
    std::fill(w + 0xDC00, w + 0xE000, 0);  // the second half of a pair adds nothing
    w[0] = 0;
    m->MeasureAscii(w + 0x20);
    w[u'\t'] = w[u'x'];
    m_correction = false;
    m_oddWidth = 2 * w[u'x'] - 1;
    m_fullWidth = m->MeasureChar(kHiraganaA);
    if (m->IsFixedPitch() && m_fullWidth == m_oddWidth) {
        m_correction = true;  // U+3042 is measured again, and corrected, on first use
    } else {
        w[kHiraganaA] = m_fullWidth;
    }
}

int CCharWidthTable::Measure(CTextMetrics* m, char32_t cp) const {
    if (!m) return 0;
    if (!m_widths) const_cast<CCharWidthTable*>(this)->Init(m);
    int w = m->MeasureChar(cp);
    if (m_correction && w == m_oddWidth) w = m_oddWidth + 1;
    if (cp < 0x10000) m_widths[cp] = w;
    return w;
}

int CCharWidthTable::TabStopWidth(CTextMetrics* m) const {
    const int t = (GetWidth(m, u'x') + m_spacing) * m_tabSize;
    return t > 0 ? t : 1;
}

int CalcTextWidth(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int n) {
    if (!text) return 0;
    int x = 0;
    for (int i = 0; n < 0 ? text[i] != 0 : i < n;) {
        const char16_t u = text[i];
        if (u == u'\t') {
            x = table.NextTabStop(m, x);
            ++i;
            continue;
        }
        // A pair cut by n is measured as the lone high half.
        const bool pair = utf16_is_high_surrogate(u) && (n < 0 || i + 1 < n) && utf16_is_low_surrogate(text[i + 1]);
        x += table.Advance(m, pair ? utf16_get_code_point(text + i) : u);
        i += pair ? 2 : 1;
    }
    return x;
}

int CalcCharIndexAtX(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int x) {
    if (!text) return 0;
    int pos = 0;
    int i = 0;
    while (text[i]) {
        const char16_t u = text[i];
        const int units = utf16_units_at(text + i);
        const int next = u == u'\t' ? table.NextTabStop(m, pos) : pos + table.Advance(m, utf16_get_code_point(text + i));
        if (next > x) return 2 * (x - pos) < next - pos ? i : i + units;
        pos = next;
        i += units;
    }
    return i;
}
