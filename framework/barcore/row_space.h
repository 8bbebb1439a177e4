// How the sizing bars of one dock row share its length, and how a bar that
// can't fit goes to a row of its own. Platform-free: the window code fills
// the table from its bars and writes the sizes back.
#pragma once

#include <cstddef>
#include <vector>

struct BarSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const BarSize&) const = default;
};

// Size along a row (horizontal rows run left to right) and across it.
inline int& Along(BarSize& s, bool horizontal) { return horizontal ? s.cx : s.cy; }
inline int Along(const BarSize& s, bool horizontal) { return horizontal ? s.cx : s.cy; }
inline int& Across(BarSize& s, bool horizontal) { return horizontal ? s.cy : s.cx; }
inline int Across(const BarSize& s, bool horizontal) { return horizontal ? s.cy : s.cx; }

// One bar of a row as the negotiation sees it.
struct RowBar {
    bool sizing = true;    // shares the row's length; other bars keep theirs
    bool visible = true;
    bool keepSize = false;  // its length stays this once; the others adjust
    BarSize size;           // docked size in the row's orientation
    BarSize minimum;
};

// Hands the row's length out among its visible sizing bars, which overlap
// their neighbours by 2 pixels, and gives them all the largest size across.
// False, with nothing changed, when the length can't hold their minimums.
bool DistributeRowSpace(std::vector<RowBar>& row, int length, bool horizontal);

// Puts list[at] on a row of its own. Rows lie between null entries; a break
// goes in only where the bar has a neighbour on that side, so a bar already
// alone gains no empty rows. Returns the bar's index afterwards.
template <class P>
std::size_t MoveToOwnRow(std::vector<P>& list, std::size_t at) {
    if (at + 1 < list.size() && list[at + 1] != nullptr) list.insert(list.begin() + static_cast<long>(at) + 1, nullptr);
    if (at > 0 && list[at - 1] != nullptr) {
        list.insert(list.begin() + static_cast<long>(at), nullptr);
        ++at;
    }
    return at;
}

// The bounds of [first, last) of the row that holds list[at].
template <class P>
void RowBounds(const std::vector<P>& list, std::size_t at, std::size_t* first, std::size_t* last) {
    std::size_t b = at;
    while (b > 0 && list[b - 1] != nullptr) --b;
    std::size_t e = at;
    while (e < list.size() && list[e] != nullptr) ++e;
    *first = b;
    *last = e;
}
