// The bracket pair drawn bold around the caret: the nearest unmatched
// opener before the caret and its partner after it, searched only within
// the visible text and only among brackets in code.
#pragma once

#include "textengine/edit_data.h"

class CStrToken;

struct BracketPair {
    EditPos open{-1, -1};   // line -1 = none
    EditPos close{-1, -1};
};

// The language's opener for a closing bracket, or 0.
char16_t OpenerOf(char16_t closing);

// The partner of the bracket ch at the caret, which must stand in code (not
// in a string or a comment): an opener's after it, a closer's before it.
// False when ch is no bracket of the text's language or none matches.
bool FindMatchingBracketAtCaret(const CEditData& data, char32_t ch, EditPos& pos);

// firstVisible: the start of the first visible row; lastVisible: the start
// of the row after the last visible one (line -1: the text's end).
BracketPair FindBracketPair(const CEditData& data, EditPos caret, const CStrToken& lang, EditPos firstVisible,
                            EditPos lastVisible);
