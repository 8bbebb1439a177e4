#include "grep/engine/grep_lines.h"

#include "textengine/cpu_features.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Texts of a, LF and CR in every mix, long enough to cross several blocks:
// each scan must agree with walking the bytes one by one.
TEST(GrepLines, BlockScansAgreeWithAWalk) {
    std::mt19937 random(5);
    for (int round = 0; round < 800; ++round) {
        AllowCpuExtensions(round % 2 == 0);
        const std::size_t size = random() % 150;
        std::string text(size, 'a');
        const int ends = int(random() % 4);  // none, few, some, many
        for (char& c : text)
            if (int(random() % 8) < ends) c = random() % 2 ? '\n' : '\r';
        const char* b = text.data();
        auto isEnd = [&](std::size_t i) { return b[i] == '\n' || b[i] == '\r'; };

        for (std::size_t at = 0; at <= size; ++at) {
            std::size_t end = at;
            while (end < size && !isEnd(end)) ++end;
            ASSERT_EQ(LineEndFrom(b, size, at), end) << text.size() << " at " << at;
        }
        // Line starts: 0 and every place after a line end that is not the
        // LF of a CR LF.
        std::vector<std::size_t> starts{0};
        for (std::size_t i = 0; i < size; ++i)
            if (isEnd(i) && !(b[i] == '\r' && i + 1 < size && b[i + 1] == '\n')) starts.push_back(i + 1);
        for (std::size_t s = 0; s < starts.size(); ++s)
            for (std::size_t t = s; t < starts.size(); ++t)
                ASSERT_EQ(CountLineEnds(b, size, starts[s], starts[t]), t - s) << text.size();
        for (std::size_t s = 0; s < starts.size(); ++s) {
            const std::size_t next = s + 1 < starts.size() ? starts[s + 1] : size + 1;
            for (std::size_t at = starts[s]; at < next && at < size; ++at) {
                if (isEnd(at)) continue;
                ASSERT_EQ(LineStartOf(b, 0, at), starts[s]) << text.size() << " at " << at;
            }
        }
    }
    AllowCpuExtensions(true);
}

// Long texts whose CRs are few or many, alone or before an LF, at block
// edges too: counts over any stretch agree with a walk.
TEST(GrepLines, LongTextsCountAsAWalk) {
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        AllowCpuExtensions(round % 2 == 0);
        const std::size_t size = 20000 + random() % 50000;
        std::string text(size, 'a');
        const unsigned lfEvery = 1 + random() % 80, crEvery = round % 3 == 0 ? 0 : 1 + random() % 3000;
        for (std::size_t i = 0; i < size; ++i) {
            if (random() % lfEvery == 0) text[i] = '\n';
            if (crEvery && random() % crEvery == 0) text[i] = '\r';
        }
        const char* b = text.data();
        for (int range = 0; range < 40; ++range) {
            std::size_t from = random() % (size + 1), to = random() % (size + 1);
            if (from > to) std::swap(from, to);
            std::size_t walk = 0;
            for (std::size_t i = from; i < to; ++i)
                walk += b[i] == '\n' || (b[i] == '\r' && !(i + 1 < size && b[i + 1] == '\n'));
            ASSERT_EQ(CountLineEnds(b, size, from, to), walk) << size << " " << from << " " << to;
        }
    }
    AllowCpuExtensions(true);
}

}  // namespace
