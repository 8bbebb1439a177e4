// Dock rows: the sizing bars of a row share its length pixel by pixel, a
// bar that can't fit goes to a row of its own without empty rows appearing,
// and a sizing bar's three sizes load, store and float at their minimums.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/barcore/row_space.h"
#include "framework/barcore/sizing_sizes.h"

namespace {

RowBar Sizing(int along, int across, int minAlong = 10, int minAcross = 10, bool keep = false) {
    RowBar b;
    b.size = {along, across};
    b.minimum = {minAlong, minAcross};
    b.keepSize = keep;
    return b;
}

std::vector<int> Lengths(const std::vector<RowBar>& row) {
    std::vector<int> out;
    for (const RowBar& b : row) out.push_back(b.size.cx);
    return out;
}

TEST(DistributeRowSpace, SharesTheLengthAmongTheSizingBars) {
    struct Case {
        const char* what;
        std::vector<RowBar> row;
        int length;
        std::vector<int> widths;
    } cases[] = {
        // Neighbours overlap by 2: the length counts each bar less 2 pixels,
        // plus 2 for the row's far end.
        {"alone grows", {Sizing(100, 50)}, 300, {302}},
        {"alone shrinks", {Sizing(300, 50)}, 120, {122}},
        // Pixels go bar after bar, pass after pass: 7 to hand out over 3.
        {"growth shared", {Sizing(100, 50), Sizing(100, 50), Sizing(100, 50)}, 301, {103, 102, 102}},
        {"shrink shared", {Sizing(100, 50), Sizing(100, 50)}, 180, {92, 92}},
        // A bar at its minimum gives nothing more; the others give the rest.
        {"shrink stops at minimum", {Sizing(40, 50, 38), Sizing(200, 50)}, 180, {38, 146}},
        // A bar that keeps its size this once leaves the change to the others.
        {"keep size", {Sizing(150, 50, 10, 10, true), Sizing(100, 50)}, 300, {150, 154}},
        // ... unless no other bar can: a row always fills its length.
        {"keep size alone", {Sizing(150, 50, 10, 10, true)}, 300, {302}},
        {"keep size, other at minimum", {Sizing(150, 50, 10, 10, true), Sizing(12, 50, 12)}, 100, {92, 12}},
        // A toolbar in the row keeps its width and takes its share off the length.
        {"fixed bar", {Sizing(100, 50), [] { RowBar t = Sizing(60, 20); t.sizing = false; return t; }()}, 300, {244, 60}},
        // A hidden bar takes nothing.
        {"hidden bar", {Sizing(100, 50), [] { RowBar t = Sizing(100, 50); t.visible = false; return t; }()}, 200, {202, 100}},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(DistributeRowSpace(c.row, c.length, true)) << c.what;
        EXPECT_EQ(Lengths(c.row), c.widths) << c.what;
        for (const RowBar& b : c.row) EXPECT_FALSE(b.keepSize) << c.what;
    }
}

TEST(DistributeRowSpace, SizingBarsTakeTheRowsLargestCrossSize) {
    std::vector<RowBar> row = {Sizing(100, 40), Sizing(100, 70)};
    ASSERT_TRUE(DistributeRowSpace(row, 198, true));
    EXPECT_EQ(row[0].size.cy, 70);
    EXPECT_EQ(row[1].size.cy, 70);
    // A vertical row shares heights and evens out widths.
    std::vector<RowBar> column = {Sizing(30, 100), Sizing(80, 100)};
    ASSERT_TRUE(DistributeRowSpace(column, 398, false));
    EXPECT_EQ(column[0].size.cx, 80);
    EXPECT_EQ(column[0].size.cy + column[1].size.cy, 402);
}

TEST(DistributeRowSpace, ARowShorterThanTheMinimumsChangesNothing) {
    std::vector<RowBar> row = {Sizing(100, 40, 90), Sizing(100, 40, 90), Sizing(100, 40, 90)};
    const std::vector<RowBar> before = row;
    EXPECT_FALSE(DistributeRowSpace(row, 200, true));
    EXPECT_EQ(Lengths(row), Lengths(before));
}

TEST(MoveToOwnRow, BreaksOnlyWhereTheBarHasNeighbours) {
    int a, b, c;
    using List = std::vector<int*>;
    struct Case {
        const char* what;
        List list;
        std::size_t at;
        List after;
        std::size_t now;
    } cases[] = {
        {"last of a row", {&a, &b, &c}, 2, {&a, &b, nullptr, &c}, 3},
        {"first of a row", {&a, &b, nullptr, &c}, 0, {&a, nullptr, &b, nullptr, &c}, 0},
        {"middle", {&a, &b, &c}, 1, {&a, nullptr, &b, nullptr, &c}, 2},
        {"already alone", {&a, nullptr, &b, nullptr, &c}, 2, {&a, nullptr, &b, nullptr, &c}, 2},
        {"only bar", {&a}, 0, {&a}, 0},
    };
    for (auto& c : cases) {
        EXPECT_EQ(MoveToOwnRow(c.list, c.at), c.now) << c.what;
        EXPECT_EQ(c.list, c.after) << c.what;
        // Moving it again changes nothing: layouts repeat without growing the list.
        EXPECT_EQ(MoveToOwnRow(c.list, c.now), c.now) << c.what;
        EXPECT_EQ(c.list, c.after) << c.what;
    }
}

TEST(SizingBarSizes, LoadKeepsCurrentValuesForMissingKeysAndRaisesToTheMinimum) {
    SizingBarSizes s;
    s.SetAll({200, 200});
    s.minimum = {40, 60};
    std::map<std::u16string, int> stored = {{u"sizeHorzCY", 30}, {u"sizeVertCX", 250}, {u"sizeFloatCX", 5}};
    s.Load([&](std::u16string_view key, int current) {
        auto it = stored.find(std::u16string(key));
        return it == stored.end() ? current : it->second;
    });
    EXPECT_EQ(s.horz, (BarSize{200, 60}));
    EXPECT_EQ(s.vert, (BarSize{250, 200}));
    EXPECT_EQ(s.floating, (BarSize{40, 200}));

    std::map<std::u16string, int> saved;
    s.Save([&](std::u16string_view key, int value) { saved[std::u16string(key)] = value; });
    EXPECT_EQ(saved, (std::map<std::u16string, int>{{u"sizeHorzCX", 200},
                                                     {u"sizeHorzCY", 60},
                                                     {u"sizeVertCX", 250},
                                                     {u"sizeVertCY", 200},
                                                     {u"sizeFloatCX", 40},
                                                     {u"sizeFloatCY", 200}}));
}

TEST(SizingBarSizes, EachOrientationKeepsItsOwnSize) {
    SizingBarSizes s;
    s.SetAll({150, 150});
    s.minimum = {50, 50};
    s.Docked(false).cx = 30;  // a drag below the minimum
    s.Docked(true).cy = 90;
    EXPECT_EQ(s.DockedAtLeastMinimum(false), (BarSize{50, 150}));
    EXPECT_EQ(s.DockedAtLeastMinimum(true), (BarSize{150, 90}));
    // A floating frame sized by its width, then its height; a query changes nothing.
    EXPECT_EQ(s.FloatingLayout(300, FloatAsk::Length), (BarSize{300, 150}));
    EXPECT_EQ(s.FloatingLayout(20, FloatAsk::LengthY), (BarSize{300, 50}));
    EXPECT_EQ(s.FloatingLayout(999, FloatAsk::Query), (BarSize{300, 50}));
    EXPECT_EQ(s.vert.cx, 30);  // docked sizes untouched by floating
}

}  // namespace
