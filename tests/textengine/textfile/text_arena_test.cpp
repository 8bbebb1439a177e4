// The arena that holds a loaded file's line texts, built piece by piece.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "textengine/mpool.h"
#include "textengine/text_arena.h"

namespace {

// Lines of every size up to several times the largest usual chunk, each
// appended in uneven pieces: every text handed out stays where it is and
// whole while later lines move between chunks.
TEST(TextArena, TextsStayWholeWhileLongLinesMove) {
    const size_t lengths[] = {5, 0, 130000, 1, 4500000, 3, 9000000, 70000, 2};
    CTextArena arena;
    std::vector<std::u16string> want;
    std::vector<const char16_t*> got;
    unsigned seed = 7;
    for (size_t length : lengths) {
        std::u16string text(length, u'\0');
        for (auto& u : text) u = static_cast<char16_t>(u'あ' + (seed = seed * 1103515245 + 12345) % 80);
        for (size_t at = 0; at < length;) {
            const size_t piece = std::min<size_t>(length - at, 1 + (seed = seed * 1103515245 + 12345) % 3000);
            ASSERT_TRUE(arena.Append(text.data() + at, piece));
            at += piece;
        }
        ASSERT_EQ(arena.OpenLength(), length);
        const char16_t* block = arena.Close();
        EXPECT_EQ(block == nullptr, length == 0);
        EXPECT_EQ(arena.OpenLength(), 0u);
        if (!block) continue;
        want.push_back(text);
        got.push_back(block);
    }
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(std::u16string(got[i]), want[i]) << i;
    }
    // A chunk left holding nothing but a line that moved on is given back:
    // the long lines cost well under twice their size.
    size_t units = 0;
    for (const auto& text : want) units += text.size() + 1;
    EXPECT_LT(arena.ReservedBytes(), units * sizeof(char16_t) * 8 / 5);
}

// Told how far a long line can still grow, the arena takes no more room
// for it than that (and the whole huge pages chunks come in).
TEST(TextArena, ALongLineTakesNoRoomBeyondItsBound) {
    const size_t length = 6000000, piece = 2000;
    const std::u16string chunk(piece, u'x');
    CTextArena arena;
    for (size_t at = 0; at < length; at += piece) ASSERT_TRUE(arena.Append(chunk.data(), piece, length - at - piece));
    ASSERT_NE(arena.Close(), nullptr);
    // The line's own chunk, rounded to 2 MiB (the chunks it grew through
    // held nothing else and are gone).
    EXPECT_LE(arena.ReservedBytes(), (length + 1) * sizeof(char16_t) + (size_t(2) << 20));
}

// With no memory for a bigger chunk, the open text stays as it was and can
// still be finished once memory is back.
TEST(TextArena, AFailedAppendKeepsTheOpenText) {
    CTextArena arena;
    const std::u16string head(1000, u'a'), big(300000, u'b');
    ASSERT_TRUE(arena.Append(head.data(), head.size()));
    auto smallOnly = [](size_t n) -> void* { return n <= (size_t(256) << 10) ? std::malloc(n) : nullptr; };
    MPoolSystemAllocator old = mpool_set_system_allocator({smallOnly, std::free});
    EXPECT_FALSE(arena.Append(big.data(), big.size()));
    mpool_set_system_allocator(old);
    EXPECT_EQ(arena.OpenLength(), head.size());
    ASSERT_TRUE(arena.Append(big.data(), big.size()));
    EXPECT_EQ(std::u16string(arena.Close()), head + big);
}

}  // namespace
