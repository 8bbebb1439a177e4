// What a load or a save could not carry over exactly. The text itself keeps
// the usual '?' in place of what was lost; this tells how much and where, so
// the document can warn or ask before a lossy save.
#pragma once

#include "textengine/edit_pos.h"

struct TextLossReport {
    // Load: bytes of the file that decoded to nothing (each read as '?').
    unsigned long long undecodedBytes = 0;
    // Save: characters the code has no form for (each written as '?'), and
    // where the first of them is in the text ({-1, -1} when none).
    unsigned long long replacedChars = 0;
    EditPos firstReplaced{-1, -1};

    bool Lossy() const { return undecodedBytes > 0 || replacedChars > 0; }
};
