// Key texts both ways: names, modifiers in their fixed order, letters and
// digits as themselves, the platform's character for keys without a name,
// and the texts that name no key.
#include "app/keycore/key_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A keyboard on which 0xBF types '/' and '/' is typed by 0xBF.
char16_t CharOf(uint16_t key) { return key == 0xBF ? u'/' : 0; }
int KeyOf(char16_t ch) { return ch == u'/' ? 0xBF : -1; }

TEST(KeyText, NamesKeysWithTheirModifiersInOrder) {
    struct Case {
        uint16_t key;
        bool alt, ctrl, shift;
        const char16_t* text;
    } cases[] = {
        {0x71, false, true, true, u"Ctrl+Shift+F2"},
        {0x0D, false, false, false, u"ENTER"},
        {'A', true, true, true, u"Alt+Ctrl+Shift+A"},
        {'7', false, false, false, u"7"},
        {0x22, false, true, false, u"Ctrl+NEXT"},
        {0x74, false, true, true, u"Ctrl+Shift+F5"},
        {0xBF, false, false, false, u"/"},         // no name: the character it types
        {0xFF, false, true, false, u"Ctrl+"},      // neither name nor character
    };
    for (const Case& c : cases) EXPECT_EQ(KeyText(c.key, c.alt, c.ctrl, c.shift, CharOf), c.text);
}

TEST(KeyText, ParsesWhatItPrintsAndRefusesWhatIsNoKey) {
    struct Case {
        const char16_t* text;
        bool ok;
        uint8_t fVirt;
        uint16_t key;
    } cases[] = {
        {u"Ctrl+Shift+F5", true, kKeyBase | kKeyCtrl | kKeyShift, 0x74},
        {u"ENTER", true, kKeyBase, 0x0D},
        {u"Alt+BACK", true, kKeyBase | kKeyAlt, 0x08},
        {u"Shift+Ctrl+Z", true, kKeyBase | kKeyCtrl | kKeyShift, 'Z'},  // modifiers wherever they stand
        {u"Ctrl+/", true, kKeyBase | kKeyCtrl, 0xBF},
        {u"9", true, kKeyBase, '9'},
        {u"", false, 0, 0},
        {u"Ctrl+", false, 0, 0},
        {u"Ctrl+NOSUCHKEY", false, 0, 0},
        {u"F25", false, 0, 0},
        {u"Ctrl+a", false, 0, 0},  // no keyboard key types 'a' here
    };
    for (const Case& c : cases) {
        uint8_t fVirt = 0;
        uint16_t key = 0;
        const bool ok = ParseKeyText(c.text, fVirt, key, KeyOf);
        EXPECT_EQ(ok, c.ok) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)).size();
        if (!ok || !c.ok) continue;
        EXPECT_EQ(fVirt, c.fVirt);
        EXPECT_EQ(key, c.key);
    }
    // Every named key reads back as itself.
    for (uint16_t key = 1; key < 0x100; ++key) {
        const std::u16string text = KeyText(key, false, true, false, nullptr);
        if (text == u"Ctrl+") continue;
        uint8_t fVirt = 0;
        uint16_t back = 0;
        ASSERT_TRUE(ParseKeyText(text, fVirt, back, nullptr)) << key;
        EXPECT_EQ(back, key);
        EXPECT_EQ(fVirt, kKeyBase | kKeyCtrl);
    }
}

}  // namespace
