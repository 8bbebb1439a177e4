#pragma once

// A text position: column in UTF-16 units from the line start, line from 0.
struct EditPos {
    int column;
    int line;

    friend bool operator==(const EditPos& a, const EditPos& b) { return a.column == b.column && a.line == b.line; }
    friend bool operator!=(const EditPos& a, const EditPos& b) { return !(a == b); }
    friend bool operator<(const EditPos& a, const EditPos& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    }
};
