// Both compilers must read our UTF-8 sources the same way: Japanese string
// literals in tests and tables are written as they appear.
#include <gtest/gtest.h>

#include <string>

TEST(SourceEncoding, Utf16LiteralsHoldJapaneseAsCodeUnits) {
    const std::u16string text = u"日本語ｶﾅ𠮷";
    const std::u16string expected = {0x65E5, 0x672C, 0x8A9E, 0xFF76, 0xFF85, 0xD842, 0xDFB7};
    EXPECT_EQ(text, expected);
}
