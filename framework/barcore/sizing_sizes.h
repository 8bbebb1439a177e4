// A sizing bar's three sizes (docked in a horizontal row, docked in a
// vertical row, floating), each kept at least at the bar's minimum, and how
// they are stored as six integers.
#pragma once

#include <functional>
#include <string_view>

#include "framework/barcore/row_space.h"

// What a floating bar is asked for while its frame is being sized.
enum class FloatAsk { Length, LengthY, Query };

struct SizingBarSizes {
    BarSize horz, vert, floating, minimum;

    void SetAll(BarSize size) { horz = vert = floating = size; }
    BarSize& Docked(bool horizontal) { return horizontal ? horz : vert; }
    // The docked size of that orientation, raised to the minimum.
    BarSize DockedAtLeastMinimum(bool horizontal) const;
    // A floating frame sized along one axis (Length: width, LengthY: height)
    // takes that length as its size; the result is the floating size,
    // raised to the minimum.
    BarSize FloatingLayout(int length, FloatAsk ask);

    // Each of the six values is read with its current value as the default
    // and raised to the minimum of its axis.
    using Reader = std::function<int(std::u16string_view key, int current)>;
    using Writer = std::function<void(std::u16string_view key, int value)>;
    void Load(const Reader& read);
    void Save(const Writer& write) const;
};
