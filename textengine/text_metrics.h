// Character widths for layout: a measuring source that the window side fills
// from the screen font, and the per-font cache of pixel widths that every
// width, hit-test and wrap computation reads.
#pragma once

#include <memory>
#include <string>

#include "textengine/utf16.h"

// Measures characters in the current font. The editor control implements it
// on a device context; tests and the harness use CFakeTextMetrics.
class CTextMetrics {
public:
    virtual ~CTextMetrics() = default;
    // Pixel width of one character drawn alone (a pair above U+FFFF).
    virtual int MeasureChar(char32_t cp) = 0;
    // Widths of U+0020-U+007E from the font's own table, 95 entries.
    virtual void MeasureAscii(int* widths);
    // False for a proportional font.
    virtual bool IsFixedPitch() = 0;
};

// Deterministic stand-in for a screen font: `narrow` pixels below U+0100,
// `wide` pixels otherwise; counts the measurements it was asked for.
class CFakeTextMetrics : public CTextMetrics {
public:
    explicit CFakeTextMetrics(int narrow = 8, int wide = 16, bool fixedPitch = true)
        : narrow(narrow), wide(wide), fixedPitch(fixedPitch) {}
    int MeasureChar(char32_t cp) override {
        ++measured;
        return cp < 0x100 ? narrow : wide;
    }
    bool IsFixedPitch() override { return fixedPitch; }

    int narrow;
    int wide;
    bool fixedPitch;
    int measured = 0;
};

// The widths of one font, measured on first use and cached per code point.
// Widths above U+FFFF are measured every time. Measuring through a null
// source gives 0 and caches nothing.
class CCharWidthTable {
public:
    CCharWidthTable() = default;
    CCharWidthTable(const CCharWidthTable&) = delete;
    CCharWidthTable& operator=(const CCharWidthTable&) = delete;

    // Forgets every width and measures the reference characters again (after
    // a font change). Does nothing without a source.
    void Init(CTextMetrics* m);
    // The same, unless the table holds the widths of the font that fontKey
    // describes in full already (the same font measures the same again):
    // true when it measured anew.
    bool InitForFont(CTextMetrics* m, const void* fontKey, std::size_t keyBytes);
    bool IsInitialized() const { return m_widths != nullptr; }
    // Counts the changes that alter widths: a font measured, the tab size,
    // the spacing.
    unsigned Generation() const { return m_generation; }

    int GetWidth(CTextMetrics* m, char32_t cp) const {
        if (cp < 0x10000 && m_widths) {
            const int w = m_widths[cp];
            if (w >= 0) return w;
        }
        return Measure(m, cp);
    }
    // The pixels the character takes on a line: its width plus the spacing,
    // twice the spacing for a wide character.
    int Advance(CTextMetrics* m, char32_t cp) const {
        const int w = GetWidth(m, cp);
        return w + (w < m_fullWidth ? m_spacing : 2 * m_spacing);
    }
    // Advance of the character at p (not a TAB): units gets 2 for a pair.
    int AdvanceAt(CTextMetrics* m, const char16_t* p, int& units) const {
        const char16_t u = *p;
        units = 1;
        if (m_widths && !utf16_is_surrogate(u)) {
            const int w = m_widths[u];
            if (w >= 0) return m_spacing == 0 ? w : w + (w < m_fullWidth ? m_spacing : 2 * m_spacing);
        }
        return AdvanceSlow(m, p, units);
    }
    bool IsWide(CTextMetrics* m, char32_t cp) const { return GetWidth(m, cp) >= m_fullWidth; }
    // Width of one tab stop: (width of 'x' + spacing) x tab size, at least 1.
    int TabStopWidth(CTextMetrics* m) const;
    // The first tab stop right of x.
    int NextTabStop(CTextMetrics* m, int x) const {
        const int t = TabStopWidth(m);
        return (x / t + 1) * t;
    }

    int TabSize() const { return m_tabSize; }
    void SetTabSize(int chars) {
        const int size = chars > 0 ? chars : 1;
        if (size != m_tabSize) ++m_generation;
        m_tabSize = size;
    }
    int CharSpacing() const { return m_spacing; }
    void SetCharSpacing(int pixels) {
        if (pixels != m_spacing) ++m_generation;
        m_spacing = pixels;
    }
    int FullWidth() const { return m_fullWidth; }
    // The cached widths by unit (-1: not measured yet); null before Init.
    const int* CachedWidths() const { return m_widths.get(); }
    bool HasPitchCorrection() const { return m_correction; }

private:
    int Measure(CTextMetrics* m, char32_t cp) const;
    int AdvanceSlow(CTextMetrics* m, const char16_t* p, int& units) const;

    mutable std::unique_ptr<int[]> m_widths;  // 65536 entries, -1 = not measured yet
    unsigned m_generation = 0;
    std::string m_fontKey;                     // of the font measured, when InitForFont named it
    int m_tabSize = 4;
    int m_spacing = 0;
    mutable int m_fullWidth = 0;  // width of U+3042
    mutable int m_oddWidth = 0;   // 2 x width('x') - 1
    // Some fixed-pitch fonts report their full-width characters one pixel
    // short; those are widened to two half-width cells.
    mutable bool m_correction = false;
};

// Pixel width of the first n units of text (n < 0: up to the NUL). A TAB
// advances to the next tab stop counted from the start of the text.
int CalcTextWidth(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int n = -1);
// The unit offset nearest to pixel x in the NUL-terminated text: the offset
// of the character under x when x lies left of its middle, else the offset
// behind it; the text's length when x lies beyond it.
int CalcCharIndexAtX(const char16_t* text, const CCharWidthTable& table, CTextMetrics* m, int x);
