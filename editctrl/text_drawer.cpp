#include "editctrl/text_drawer.h"
#include "textengine/utf16.h"

#include <algorithm>

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
        if (run.left < run.right && ::IntersectRect(&visible, &run, &clip))
            ::ExtTextOutW(dc, start, y, options, &run, units, static_cast<UINT>(k), advances);
        x = start + width;
    }
    return x;
}
