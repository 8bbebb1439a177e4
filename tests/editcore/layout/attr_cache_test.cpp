// The line attribute cache: slot capacity, validity by line record and
// changed text, eviction between lines that share a slot, and no stale
// marks past a shorter line.
#include <gtest/gtest.h>

#include <string>

#include "editctrl/core/line_attr_cache.h"
#include "textengine/edit_data.h"

namespace {

class AttrCacheTest : public ::testing::Test {
protected:
    CEditData data;
    CLineAttrCache cache{&data};

    void Fill(int lines, int length) {
        std::u16string text;
        for (int i = 0; i < lines; ++i) {
            if (i) text += u'\n';
            text.append(static_cast<size_t>(length), u'a');
        }
        ASSERT_TRUE(data.InsertText(text.c_str(), 1));
    }
    LineAttrSlot* Fresh(int line) {
        LineAttrSlot* slot = cache.Allocate(line);
        if (slot) cache.Validate(slot, line);
        return slot;
    }
};

}  // namespace

TEST_F(AttrCacheTest, CapacityGrowsInBlocksWithRoomForTheLineEnd) {
    const struct {
        int length, capacity;
    } cases[] = {{0, 1024}, {1022, 1024}, {1023, 2048}, {2047, 3072}};
    for (const auto& c : cases) {
        CEditData text;
        CLineAttrCache fresh(&text);
        std::u16string line(static_cast<size_t>(c.length), u'x');
        ASSERT_TRUE(text.InsertText(line.c_str(), 1));
        LineAttrSlot* slot = fresh.Allocate(0);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->capacity, c.capacity) << "length " << c.length;
        EXPECT_EQ(slot->count, c.length);
        EXPECT_EQ(slot->line, -1);
    }
}

TEST_F(AttrCacheTest, SlotsStayValidOnlyForTheirLineRecordAndUnchangedText) {
    Fill(10, 5);
    for (int i = 0; i < 10; ++i) data.GetLine(i)->flags = 0;
    cache.Resize(128);
    ASSERT_NE(Fresh(5), nullptr);
    EXPECT_NE(cache.Get(5), nullptr);
    EXPECT_EQ(cache.Get(6), nullptr);
    EXPECT_EQ(cache.Get(10), nullptr);  // past the end
    EXPECT_EQ(cache.Get(-1), nullptr);

    // An edit in the line marks it changed.
    data.SetCaretPos(5, 2);
    ASSERT_TRUE(data.InsertText(u"b", 1));
    EXPECT_EQ(cache.Get(5), nullptr);
    ASSERT_NE(Fresh(5), nullptr);
    EXPECT_NE(cache.Get(5), nullptr);
    EXPECT_EQ(data.GetLineFlags(5, CEditLine::FlagTextChanged), 0);

    // A line inserted above moves another record to index 5.
    data.SetCaretPos(0, 0);
    ASSERT_TRUE(data.InsertText(u"new\n", 1));
    data.GetLine(5)->flags = 0;
    EXPECT_EQ(cache.Get(5), nullptr);

    cache.Clear();
    EXPECT_EQ(cache.Get(5), nullptr);
}

TEST_F(AttrCacheTest, LinesThatShareASlotEvictEachOther) {
    Fill(200, 3);
    for (int i = 0; i < 200; ++i) data.GetLine(i)->flags = 0;
    cache.Resize(128);
    EXPECT_EQ(cache.GetSlotCount(), 128);
    Fresh(5);
    Fresh(133);
    EXPECT_EQ(cache.Get(5), nullptr);
    EXPECT_NE(cache.Get(133), nullptr);
    Fresh(6);
    EXPECT_NE(cache.Get(6), nullptr);
    EXPECT_NE(cache.Get(133), nullptr);
}

TEST_F(AttrCacheTest, ReusedSlotLeavesNoMarkPastTheShorterLine) {
    ASSERT_TRUE(data.InsertText(u"a long line of text\nshort", 1));
    cache.Resize(1);
    LineAttrSlot* slot = Fresh(0);
    for (int i = 0; i <= slot->count; ++i) {
        slot->items[i].flags = kAttrSearchHit | kAttrSelected;
        slot->items[i].color = 0xFFFFFF;
        slot->items[i].kind = kAttrSpace;
    }
    slot = cache.Allocate(1);
    ASSERT_EQ(slot->count, 5);
    for (int i = 0; i <= slot->count; ++i) {
        EXPECT_EQ(slot->items[i].flags, 0) << "item " << i;
        EXPECT_EQ(slot->items[i].color, 0u) << "item " << i;
        EXPECT_EQ(slot->items[i].kind, 0) << "item " << i;
    }
}

