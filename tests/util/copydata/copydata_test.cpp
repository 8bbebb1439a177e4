#include "util/copydata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const void* p, std::size_t n) {
    auto b = static_cast<const unsigned char*>(p);
    return {b, b + n};
}

TEST(CopyDataRecords, OpenAtLineLayoutIsByteExact) {
    CopyDataOpenAtLine rec;
    ASSERT_TRUE(MakeOpenAtLineRecord(u"C:\\表.txt", 0x01020304, u"cpp", rec));
    const auto b = Bytes(&rec, sizeof rec);
    ASSERT_EQ(b.size(), 544u);
    const unsigned char path[] = {'C', 0, ':', 0, '\\', 0, 0x68, 0x88, '.', 0, 't', 0, 'x', 0, 't', 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(b.data(), path, sizeof path));
    for (std::size_t i = sizeof path; i < 520; ++i) ASSERT_EQ(b[i], 0) << i;  // zero-filled
    EXPECT_EQ(b[520], 0x04);
    EXPECT_EQ(b[523], 0x01);
    EXPECT_EQ(b[524], 'c');
    EXPECT_EQ(b[528], 'p');
    EXPECT_EQ(b[530], 0);

    std::u16string p, m;
    int line = 0;
    ASSERT_TRUE(ReadOpenAtLineRecord(&rec, sizeof rec, p, line, m));
    EXPECT_EQ(p, u"C:\\表.txt");
    EXPECT_EQ(line, 0x01020304);
    EXPECT_EQ(m, u"cpp");
}

TEST(CopyDataRecords, TextThatDoesNotFitIsRefusedNotCut) {
    CopyDataPath rec;
    EXPECT_TRUE(MakePathRecord(std::u16string(259, u'a'), rec));
    EXPECT_FALSE(MakePathRecord(std::u16string(260, u'a'), rec));
    EXPECT_EQ(rec.path[0], 0);
    EXPECT_FALSE(MakePathRecord(std::u16string(u"a\0b", 3), rec));

    CopyDataOpenAtLine at;
    ASSERT_TRUE(MakeOpenAtLineRecord(u"C:\\a", -1, u"0123456789", at));  // mode too long: left out
    EXPECT_EQ(at.mode[0], 0);
    EXPECT_EQ(at.line, -1);
    EXPECT_TRUE(MakeOpenAtLineRecord(u"C:\\a", 3, u"012345678", at));
    EXPECT_EQ(std::u16string(at.mode), u"012345678");
    EXPECT_FALSE(MakeOpenAtLineRecord(std::u16string(300, u'a'), 3, u"", at));

    CopyDataOpenAndSearch search;
    EXPECT_TRUE(MakeOpenAndSearchRecord(u"C:\\a", std::u16string(1023, u'x'), true, false, true, 9, search));
    EXPECT_EQ(search.matchCase, 1);
    EXPECT_EQ(search.regex, 1);
    EXPECT_EQ(search.line, 9);
    EXPECT_FALSE(MakeOpenAndSearchRecord(u"C:\\a", std::u16string(1024, u'x'), true, false, true, 9, search));
}

TEST(CopyDataRecords, ReceiverRefusesWrongSizesAndUnterminatedFields) {
    CopyDataPath path;
    MakePathRecord(u"C:\\a.txt", path);
    std::vector<unsigned char> big(600, 0);
    std::memcpy(big.data(), &path, sizeof path);
    std::u16string out = u"untouched";
    for (std::size_t size : {std::size_t(0), std::size_t(519), std::size_t(521), std::size_t(544), big.size()})
        EXPECT_FALSE(ReadPathRecord(big.data(), size, out)) << size;
    EXPECT_FALSE(ReadPathRecord(nullptr, 520, out));
    EXPECT_EQ(out, u"untouched");
    ASSERT_TRUE(ReadPathRecord(big.data(), 520, out));
    EXPECT_EQ(out, u"C:\\a.txt");

    CopyDataPath full;
    for (auto& c : full.path) c = u'x';
    EXPECT_FALSE(ReadPathRecord(&full, sizeof full, out));

    CopyDataOpenAtLine at;
    MakeOpenAtLineRecord(u"C:\\a", 1, u"m", at);
    int line = 0;
    std::u16string mode;
    EXPECT_FALSE(ReadOpenAtLineRecord(&at, 520, out, line, mode));
    for (auto& c : at.mode) c = u'm';
    EXPECT_FALSE(ReadOpenAtLineRecord(&at, sizeof at, out, line, mode));

    CopyDataOpenAndSearch search;
    MakeOpenAndSearchRecord(u"C:\\a", u"p", false, false, false, 0, search);
    CopyDataOpenAndSearch read;
    EXPECT_TRUE(ReadOpenAndSearchRecord(&search, sizeof search, read));
    EXPECT_FALSE(ReadOpenAndSearchRecord(&search, 2064, read));
    for (auto& c : search.pattern) c = u'p';
    EXPECT_FALSE(ReadOpenAndSearchRecord(&search, sizeof search, read));
}

}  // namespace
