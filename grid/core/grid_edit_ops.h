// The editing routines every editable model can use, written against the
// model's interface alone: pasting tab-separated text and filling a
// rectangle of cells with one text.
#pragma once

#include <cstddef>

#include "grid/core/grid_data.h"

// The field buffer a paste reads each field into, in bytes; a longer field is cut.
inline constexpr std::size_t kPasteFieldBytes = 0x400000;

// Pastes TAB- and line-separated text from the current cell (or over the
// selection of more than one cell, repeating a text without line ends down
// and across it). Only editable cells are written. Returns 0.
int GridPasteText(CGridData& model, const char16_t* text);
// Sets every editable cell between two cells (columns either way, rows from
// cell1's down to cell2's) to text (len -1: up to the NUL). Nothing happens,
// not even an update bracket, when they all hold it already. Returns 0.
int GridFillRange(CGridData& model, GridCell cell1, GridCell cell2, const char16_t* text, int len);
