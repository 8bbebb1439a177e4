// The view's one search condition: what the find, replace and filter
// dialogs, the search commands and the macro procedures all search for, so
// a find-next after any of them goes on with the same search.
#pragma once

#include <string>

struct CSearchCondition {
    std::u16string pattern;
    std::u16string replacement;  // a replacement template when regex is set
    // 1 forward, -1 backward; for the filter 1 deletes the matching lines
    // and 0 keeps only them.
    int direction = 1;
    int matchCase = 0;
    int widthSensitive = 0;  // full-width and half-width alphanumerics differ
    int regex = 0;
    int replaceAll = 0;
    int inSelection = 0;  // a replace-all works within the selection
};

// The option bits a search history entry carries.
enum SearchOptionBit {
    kSearchBitRegex = 1,
    kSearchBitMatchCase = 2,
    kSearchBitWidth = 4,
};

struct SearchOptions {
    int regex = 0;
    int matchCase = 0;
    int widthSensitive = 0;
};

inline int SearchOptionBits(const SearchOptions& o) {
    return (o.regex ? kSearchBitRegex : 0) | (o.matchCase ? kSearchBitMatchCase : 0) |
           (o.widthSensitive ? kSearchBitWidth : 0);
}

inline SearchOptions SearchOptionsOfBits(int bits) {
    return {(bits & kSearchBitRegex) ? 1 : 0, (bits & kSearchBitMatchCase) ? 1 : 0, (bits & kSearchBitWidth) ? 1 : 0};
}
