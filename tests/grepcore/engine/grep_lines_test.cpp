#include "grep/engine/grep_lines.h"
#include "grep/engine/grep_text.h"

#include "textengine/cpu_features.h"
#include "textengine/kanjicode.h"

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

namespace {

// A file's text split into lines eight units at a time must give the lines
// a walk gives: CR LF, LF and CR end one line each, a NUL reads as a blank.
TEST(GrepText, DecodedLinesAgreeWithAWalk) {
    std::mt19937 random(11);
    const char* pieces[] = {"a", "\n", "\r", "\xE3\x81\x82", "\r\n"};
    GrepText text;
    for (int round = 0; round < 600; ++round) {
        std::string bytes;
        const std::size_t count = random() % 60;
        const int ends = int(random() % 4);
        for (std::size_t k = 0; k < count; ++k)
            bytes += int(random() % 8) < ends ? (random() % 4 == 0 ? std::string(1, '\0') : pieces[1 + random() % 4])
                                              : std::string("a");
        std::vector<std::u16string> want(1);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\n' || c == '\r') {
                if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
                want.emplace_back();
            } else if (c == '\xE3') {
                want.back() += u'あ';
                i += 2;
            } else {
                want.back() += c == '\0' ? u' ' : char16_t(c);
            }
        }
        text.DecodeRange(bytes.data(), bytes.size(), KanjiCode::UTF8NoSig);
        ASSERT_EQ(text.LineCount(), int(want.size())) << round;
        for (int line = 0; line < text.LineCount(); ++line) {
            int length;
            const char16_t* got = text.LineText(line, &length);
            ASSERT_EQ(std::u16string(got, std::size_t(length)), want[std::size_t(line)]) << round << " line " << line;
            ASSERT_EQ(got[length], 0) << round << " line " << line;
        }
    }
}

}  // namespace
