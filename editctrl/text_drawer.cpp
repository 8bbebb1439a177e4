#include "editctrl/text_drawer.h"
#include "textengine/utf16.h"

#include <algorithm>
#include <vector>

namespace {

// Whether the underscore of the selected font renders no pixel at all; its
// metrics in gm.
bool UnderscoreRendersEmpty(HDC dc, GLYPHMETRICS& gm) {
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const DWORD size = ::GetGlyphOutlineW(dc, L'_', GGO_BITMAP, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR || gm.gmBlackBoxX == 0) return false;
    if (size == 0) return true;
    std::vector<BYTE> bits(size);
    if (::GetGlyphOutlineW(dc, L'_', GGO_BITMAP, &gm, size, bits.data(), &identity) == GDI_ERROR) return false;
    return std::all_of(bits.begin(), bits.end(), [](BYTE b) { return b == 0; });
}

}  // namespace

void DrawLostGlyphs(HDC dc, int x, int y, const wchar_t* text, int n, const int* advances, const RECT& clip) {
    if (std::find(text, text + n, L'_') == text + n) return;
    GLYPHMETRICS gm{};
    if (!UnderscoreRendersEmpty(dc, gm)) return;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    const int top = y + tm.tmAscent - gm.gmptGlyphOrigin.y;
    const int height = std::max(1, static_cast<int>(gm.gmBlackBoxY));
    HBRUSH ink = ::CreateSolidBrush(::GetTextColor(dc));
    int at = x;
    for (int i = 0; i < n; ++i) {
        if (text[i] == L'_') {
            int left = at;
            if (!advances) {
                SIZE before{};
                ::GetTextExtentPoint32W(dc, text, i, &before);
                left = x + before.cx;
            }
            RECT box = {left + gm.gmptGlyphOrigin.x, top, left + gm.gmptGlyphOrigin.x + static_cast<int>(gm.gmBlackBoxX),
                        top + height};
            RECT shown;
            if (::IntersectRect(&shown, &box, &clip)) ::FillRect(dc, &shown, ink);
        }
        if (advances) at += advances[i];
    }
    ::DeleteObject(ink);
}

int CTextDrawer::DrawTabbedText(HDC dc, const RECT& clip, const char16_t* text, int count, const RECT& rect,
                                const CMeasure& measure, int x, int y, int tabOrigin, UINT options) const {
    const int tab = measure.TabStop();
    int advances[100];
    wchar_t units[100];
    int i = 0;
    while (i < count) {
        int k = 0, width = 0;
        const int start = x;
        if (text[i] == '\t') {
            const int blank = measure.Advance(' ');
            const int rel = x - tabOrigin;
            units[0] = L' ';
            advances[0] = tabMode == 1 || tab <= 0 ? blank : (rel / tab + 1) * tab - rel;
            width = advances[0];
            k = 1;
            ++i;
        } else {
            while (i < count && k < 99 && text[i] != '\t') {
                int u;
                const char32_t cp = utf16_decode(text, std::size_t(i), std::size_t(count), &u);
                if (u == 2 && k + 2 > 99) break;
                const int a = measure.Advance(cp);
                units[k] = static_cast<wchar_t>(text[i]);
                advances[k++] = a;
                if (u == 2) {
                    units[k] = static_cast<wchar_t>(text[i + 1]);
                    advances[k++] = 0;  // the second unit of a pair takes no room of its own
                }
                width += a;
                i += u;
            }
        }
        const RECT run = {start, rect.top, std::min(start + width, static_cast<int>(rect.right)), rect.bottom};
        RECT visible;
        if (run.left < run.right && ::IntersectRect(&visible, &run, &clip)) {
            ::ExtTextOutW(dc, start, y, options, &run, units, static_cast<UINT>(k), advances);
            DrawLostGlyphs(dc, start, y, units, k, advances, run);
        }
        x = start + width;
    }
    return x;
}
