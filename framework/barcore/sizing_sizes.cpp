#include "framework/barcore/sizing_sizes.h"

#include <algorithm>

namespace {

BarSize AtLeast(BarSize s, BarSize minimum) { return {std::max(s.cx, minimum.cx), std::max(s.cy, minimum.cy)}; }

}  // namespace

BarSize SizingBarSizes::DockedAtLeastMinimum(bool horizontal) const {
    return AtLeast(horizontal ? horz : vert, minimum);
}

BarSize SizingBarSizes::FloatingLayout(int length, FloatAsk ask) {
    if (ask == FloatAsk::Length) floating.cx = length;
    if (ask == FloatAsk::LengthY) floating.cy = length;
    floating = AtLeast(floating, minimum);
    return floating;
}

void SizingBarSizes::Load(const Reader& read) {
    horz.cx = std::max(read(u"sizeHorzCX", horz.cx), minimum.cx);
    horz.cy = std::max(read(u"sizeHorzCY", horz.cy), minimum.cy);
    vert.cx = std::max(read(u"sizeVertCX", vert.cx), minimum.cx);
    vert.cy = std::max(read(u"sizeVertCY", vert.cy), minimum.cy);
    floating.cx = std::max(read(u"sizeFloatCX", floating.cx), minimum.cx);
    floating.cy = std::max(read(u"sizeFloatCY", floating.cy), minimum.cy);
}

void SizingBarSizes::Save(const Writer& write) const {
    write(u"sizeHorzCX", horz.cx);
    write(u"sizeHorzCY", horz.cy);
    write(u"sizeVertCX", vert.cx);
    write(u"sizeVertCY", vert.cy);
    write(u"sizeFloatCX", floating.cx);
    write(u"sizeFloatCY", floating.cy);
}
