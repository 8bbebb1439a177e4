// The text a grid copies: the selected cells (or the current one) as
// TAB-separated fields, each row ended by CR LF.
#pragma once

#include <string>

#include "grid/core/grid_data.h"

struct GridRange {
    int left, top, right, bottom;
    long long Cells() const { return (long long)(right - left + 1) * (bottom - top + 1); }
};

// The selection of more than one cell, else the current cell.
GridRange CopyRange(const CGridData& model);

// quote: a field that starts with '"' or holds TAB, CR or LF is written in
// double quotes with its quotes doubled. A single row (a single column when
// records are shown as columns) gets no final CR LF.
std::u16string BuildCopyText(CGridData& model, const GridRange& range, bool quote, bool recordsAsColumns);
