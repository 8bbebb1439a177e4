// Measuring with a text's width table and its measuring source.
#pragma once

#include "textengine/text_metrics.h"

struct CMeasure {
    const CCharWidthTable* table;
    CTextMetrics* metrics;

    int Advance(char32_t cp) const { return table->Advance(metrics, cp); }
    int TabStop() const { return table->TabStopWidth(metrics); }
    // Pixel width of the first n units; a TAB runs to the next tab stop
    // counted from the start of the text.
    int TextWidth(const char16_t* text, int n) const { return n > 0 ? CalcTextWidth(text, *table, metrics, n) : 0; }
};
