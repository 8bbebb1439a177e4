#include <gtest/gtest.h>

#include <string>

#include "tests/textengine/edit_test_util.h"
#include "textengine/edit_line.h"

namespace {

struct LineFixture : ::testing::Test {
    CEditLine* line = CEditLine::Create();
    ~LineFixture() override { CEditLine::Destroy(line); }
    std::u16string Text() const { return std::u16string(line->text, std::size_t(line->Length())); }
    void Fill(int units, char16_t ch = u'x') {
        std::u16string s(std::size_t(units), ch);
        ASSERT_EQ(line->InsertChars(0, s.data(), units), 0);
    }
};

TEST_F(LineFixture, NewLineSharesTheEmptyStringUntilWritten) {
    CEditLine* other = CEditLine::Create();
    EXPECT_TRUE(line->IsSharedText());
    EXPECT_EQ(line->text, other->text);
    EXPECT_EQ(line->capacity, 0);
    EXPECT_EQ(line->length, 1);
    EXPECT_EQ(line->changeMark, -1);
    ASSERT_EQ(line->InsertChars(0, u"ab", 2), 0);
    EXPECT_FALSE(line->IsSharedText());
    EXPECT_EQ(other->text[0], 0);  // the shared string was not written
    CEditLine::Destroy(other);
}

TEST_F(LineFixture, InsertAndDeleteKeepTextTerminatorAndFlag) {
    struct Step { bool insert; int at; const char16_t* text; int count; const char16_t* expect; };
    const Step steps[] = {
        {true, 0, u"world", 5, u"world"},
        {true, 0, u"hello ", 6, u"hello world"},
        {true, 5, u",", 1, u"hello, world"},
        {true, 12, u"!", 1, u"hello, world!"},
        {false, 5, nullptr, 1, u"hello world!"},
        {false, 0, nullptr, 6, u"world!"},
        {false, 5, nullptr, 1, u"world"},
        {true, 2, u"", 0, u"world"},
    };
    for (const Step& s : steps) {
        line->flags = 0;
        if (s.insert) ASSERT_EQ(line->InsertChars(s.at, s.text, s.count), 0);
        else ASSERT_EQ(line->DeleteChars(s.at, s.count), 0);
        EXPECT_EQ(Text(), s.expect);
        EXPECT_EQ(line->text[line->length - 1], 0);
        EXPECT_EQ(line->flags & CEditLine::FlagTextChanged, s.count ? CEditLine::FlagTextChanged : 0);
    }
}

TEST_F(LineFixture, CapacityStepsThroughSizeClassesThenKiB) {
    struct Case { int units; int capacity; };
    // Growth asks for (length + count) * 2 + 2 bytes when it runs out of room.
    const Case cases[] = {{1, 8}, {3, 16}, {7, 32}, {100, 256}, {4094, 8192}, {4095, 9216}, {6000, 12288}};
    for (const Case& c : cases) {
        CEditLine* l = CEditLine::Create();
        std::u16string s(std::size_t(c.units), u'a');
        ASSERT_EQ(l->InsertChars(0, s.data(), c.units), 0);
        EXPECT_EQ(l->capacity, c.capacity) << c.units;
        EXPECT_GE(l->capacity, (c.units + 1) * 2);
        CEditLine::Destroy(l);
    }
}

TEST_F(LineFixture, DeletingDownShrinksToTheClassOfWhatRemains) {
    Fill(4000);
    EXPECT_EQ(line->capacity, 8192);
    ASSERT_EQ(line->DeleteChars(10, 3990), 0);
    EXPECT_EQ(line->capacity, 32);  // 22 bytes needed
    EXPECT_EQ(Text(), std::u16string(10, u'x'));
    // Within 128 bytes of slack nothing moves.
    Fill(50);
    const char16_t* before = line->text;
    ASSERT_EQ(line->DeleteChars(0, 20), 0);
    EXPECT_EQ(line->text, before);
}

TEST_F(LineFixture, FailedGrowthKeepsTheOldTextAndReportsFailure) {
    Fill(5);
    const char16_t* before = line->text;
    std::u16string big(5000, u'y');  // beyond the class sizes: a system allocation
    {
        edit_test::FailingAllocator fail;
        EXPECT_EQ(line->InsertChars(2, big.data(), int(big.size())), 1);
    }
    EXPECT_EQ(line->text, before);
    EXPECT_EQ(Text(), u"xxxxx");
    // The line stays usable.
    ASSERT_EQ(line->InsertChars(2, big.data(), int(big.size())), 0);
    EXPECT_EQ(line->Length(), 5005);
}

TEST_F(LineFixture, FirstAllocationFailureLeavesTheSharedEmptyText) {
    std::u16string big(5000, u'y');
    {
        edit_test::FailingAllocator fail;
        EXPECT_EQ(line->InsertChars(0, big.data(), int(big.size())), 1);
    }
    EXPECT_TRUE(line->IsSharedText());
    EXPECT_EQ(line->length, 1);
}

TEST_F(LineFixture, LeadSurrogateTestStaysInsideTheText) {
    ASSERT_EQ(line->InsertChars(0, u"a\U0001F600", 3), 0);
    EXPECT_FALSE(line->IsLeadSurrogateAt(0));
    EXPECT_TRUE(line->IsLeadSurrogateAt(1));
    EXPECT_FALSE(line->IsLeadSurrogateAt(2));
    EXPECT_FALSE(line->IsLeadSurrogateAt(-1));
    EXPECT_FALSE(line->IsLeadSurrogateAt(4));
}

}  // namespace
