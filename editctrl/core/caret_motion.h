// Where the caret's moves along the text land: characters, words, blanks,
// line and text ends. Each takes a position and gives the target; the
// caller puts the caret there (which ends undo coalescing and forgets the
// remembered column) and handles the selection. Moves by display rows need
// the window's geometry and are not here.
#pragma once

#include "textengine/edit_data.h"

namespace motion {

// Word moves to the right stop either at the start of the next word (over
// the word, then the blanks after it: the editing window's own Ctrl+Right
// and the word edge the delete-word commands take) or at the end of the
// next word (over blanks, then the word: the program's word-right command).
enum class WordStop { NextWordStart, NextWordEnd };

EditPos CharStep(const CEditData& d, EditPos from, int n);
// Over blanks backwards, then over the word before them.
EditPos WordLeft(const CEditData& d, EditPos from);
EditPos WordRight(const CEditData& d, EditPos from, WordStop stop);
// One run of one character class, stopping at both ends of a word.
EditPos WordEndStep(const CEditData& d, EditPos from, int direction);
// Up to the next change between blanks (space, TAB, ideographic space) and
// the rest; a line end is one step.
EditPos BlankStep(const CEditData& d, EditPos from, int direction);
// Column 0, or with smart the first non-blank, and column 0 from there.
EditPos LineStart(const CEditData& d, EditPos from, bool smart);
EditPos LineEnd(const CEditData& d, EditPos from);
EditPos TextStart();
EditPos TextEnd(const CEditData& d);
// Past a whole line with its line end: the next line's start, or the end
// of the last line.
EditPos PastLine(const CEditData& d, int line);

// The edge of the word after (n > 0: the next word's start) or before
// (n < 0: the word's start over blanks) a position.
EditPos WordEdge(const CEditData& d, EditPos from, int n);
// The word at a position: one word forward for its end, one word back from there.
std::pair<EditPos, EditPos> WordAt(const CEditData& d, EditPos pos);

}  // namespace motion
