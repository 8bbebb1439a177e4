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
    ++m_generation;
    m_fontKey.clear();
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

bool CCharWidthTable::InitForFont(CTextMetrics* m, const void* fontKey, std::size_t keyBytes) {
    if (!m) return false;
    const std::string key(static_cast<const char*>(fontKey), keyBytes);
    if (m_widths && !key.empty() && key == m_fontKey) return false;
    Init(m);
    m_fontKey = key;
    return true;
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

int CCharWidthTable::AdvanceSlow(CTextMetrics* m, const char16_t* p, int& units) const {
    units = utf16_units_at(p);
    return Advance(m, utf16_get_code_point(p));
}

int CalcTextWidth(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int n) {
    if (!text) return 0;
    if (n < 0) n = static_cast<int>(utf16_length(text));
    const int tabStop = table.TabStopWidth(m);
    const int* widths = table.CachedWidths();
    const int spacing = table.CharSpacing(), full = table.FullWidth();
    int x = 0;
    for (int i = 0; i < n;) {
        if (widths) {
            // A run of measured units that are neither TABs nor halves of
            // pairs: the table alone tells their advances.
            if (spacing == 0) {
                for (; i < n; ++i) {
                    const char16_t u = text[i];
                    const int w = widths[u];
                    if (w < 0 || u == u'\t' || utf16_is_surrogate(u)) break;
                    x += w;
                }
            } else {
                for (; i < n; ++i) {
                    const char16_t u = text[i];
                    const int w = widths[u];
                    if (w < 0 || u == u'\t' || utf16_is_surrogate(u)) break;
                    x += w + (w < full ? spacing : 2 * spacing);
                }
            }
            if (i >= n) break;
        }
        if (text[i] == u'\t') {
            x = (x / tabStop + 1) * tabStop;
            ++i;
            continue;
        }
        int units;
        if (i + 1 == n && utf16_is_high_surrogate(text[i])) {
            x += table.Advance(m, text[i]);  // a pair cut by n: its high half alone
            units = 1;
        } else {
            x += table.AdvanceAt(m, text + i, units);
        }
        i += units;
    }
    return x;
}

int CalcCharIndexAtX(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int x) {
    if (!text) return 0;
    const int tabStop = table.TabStopWidth(m);
    int pos = 0;
    int i = 0;
    while (text[i]) {
        int units = 1;
        const int next = text[i] == u'\t' ? (pos / tabStop + 1) * tabStop : pos + table.AdvanceAt(m, text + i, units);
        if (next > x) return 2 * (x - pos) < next - pos ? i : i + units;
        pos = next;
        i += units;
    }
    return i;
}
