// Key bindings: key texts both ways, the default table, the ACCELERATOR
// section with its damaged forms, and the lookups menus use.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>

#include "app/accel_table.h"
#include "app/profile/ini_profile.h"

namespace {

TEST(KeyText, NamesKeysWithTheirModifiers) {
    struct Case {
        WORD key;
        bool alt, ctrl, shift;
        const wchar_t* text;
    } cases[] = {
        {VK_F2, false, true, true, L"Ctrl+Shift+F2"},
        {VK_RETURN, false, false, false, L"ENTER"},
        {'A', true, true, true, L"Alt+Ctrl+Shift+A"},
        {'7', false, false, false, L"7"},
        {VK_NEXT, false, true, false, L"Ctrl+NEXT"},
        {VK_OEM_2, false, false, false, L"/"},  // no name: the character it types
    };
    for (const Case& c : cases) EXPECT_EQ(KeyToString(c.key, c.alt, c.ctrl, c.shift), c.text);
}

TEST(KeyText, ReadsBackEveryDefaultAndRefusesWhatIsNoKey) {
    CAcceleratorTable table;
    table.LoadDefault();
    ASSERT_EQ(table.GetCount(), 73);
    for (int i = 0; i < table.GetCount(); ++i) {
        const ACCEL& a = table.GetAt(i);
        std::wstring text = KeyToString(a.key, a.fVirt & FALT, a.fVirt & FCONTROL, a.fVirt & FSHIFT);
        BYTE fVirt = 0;
        WORD key = 0;
        ASSERT_TRUE(StringToKey(text, fVirt, key)) << text;
        EXPECT_EQ(fVirt, a.fVirt) << text;
        EXPECT_EQ(key, a.key) << text;
    }
    BYTE fVirt;
    WORD key;
    for (const wchar_t* bad : {L"", L"Ctrl+", L"Ctrl+NOSUCHKEY", L"F25"}) EXPECT_FALSE(StringToKey(bad, fVirt, key)) << bad;
    // Modifiers count wherever they stand; the key is after the last "+".
    ASSERT_TRUE(StringToKey(L"Shift+Ctrl+x", fVirt, key));
    EXPECT_EQ(fVirt, kAccelBase | kAccelCtrl | kAccelShift);
    EXPECT_EQ(key, static_cast<WORD>(::VkKeyScanW(L'x') & 0xFF));
}

TEST(AccelTable, DefaultsAndLookupsForMenus) {
    CAcceleratorTable table;
    table.LoadDefault();
    EXPECT_EQ(table.GetAt(0).key, 'A');
    EXPECT_EQ(table.GetAt(0).fVirt, kAccelBase | kAccelCtrl);
    EXPECT_EQ(table.GetAt(0).cmd, 32771);
    std::wstring keys;
    EXPECT_EQ(table.GetCommandKeys(57634, keys), 0);
    EXPECT_EQ(keys, L"Ctrl+C, Ctrl+INSERT");
    EXPECT_EQ(table.GetCommandKeys(12345, keys), -1);
    EXPECT_EQ(keys, L"");
    EXPECT_EQ(table.FindKey(VK_F5, kAccelBase), 33459);
    table.Remove('C', kAccelBase | kAccelCtrl);
    EXPECT_EQ(table.GetCommandKeys(57634, keys), 0);
    EXPECT_EQ(keys, L"Ctrl+INSERT");
    EXPECT_EQ(table.GetCount(), 72);
}

TEST(AccelTable, ProfileSectionWithItsDamagedForms) {
    struct Case {
        const char* name;
        const char16_t* count;  // null: ACCEL_CNT missing
        int expectedCount;
    } cases[] = {
        {"missing count: the defaults", nullptr, 73},
        {"count -1: the defaults", u"-1", 73},
        {"count 0: no bindings at all", u"0", 0},
        {"negative count: none", u"-5", 0},
        {"count beyond the entries: the three good ones", u"40", 3},
        {"count past what a table holds: clamped, not looped for ever", u"2147483647", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CIniProfile profile;
        if (c.count) profile.SetValue(u"ACCELERATOR", u"ACCEL_CNT", c.count);
        // Entry 1 has no fVirt, entry 2 no command, entry 4 a fVirt whose
        // low byte is 0: all three are dropped.
        const char16_t* entries[][4] = {
            {u"0000", u"57603", u"83", u"11"}, {u"0001", u"57600", u"78", u"0"},   {u"0002", u"0", u"79", u"11"},
            {u"0003", u"32771", u"65", u"11"}, {u"0004", u"32772", u"66", u"256"}, {u"0005", u"33459", u"116", u"3"},
        };
        for (auto& e : entries) {
            profile.SetValue(u"ACCELERATOR", std::u16string(u"CMD_") + e[0], e[1]);
            profile.SetValue(u"ACCELERATOR", std::u16string(u"KEY_") + e[0], e[2]);
            profile.SetValue(u"ACCELERATOR", std::u16string(u"VIRT_") + e[0], e[3]);
        }
        CAcceleratorTable table;
        table.LoadProfile(profile);
        EXPECT_EQ(table.GetCount(), c.expectedCount);
        if (c.expectedCount == 3) {
            EXPECT_EQ(table.GetAt(0).cmd, 57603);
            EXPECT_EQ(table.GetAt(1).cmd, 32771);
            EXPECT_EQ(table.GetAt(2).cmd, 33459);
            EXPECT_EQ(table.GetAt(2).fVirt, kAccelBase);
        }
    }
}

TEST(AccelTable, StoredTableReadsBackAndAShorterOneHidesTheRest) {
    CIniProfile profile;
    CAcceleratorTable table;
    table.LoadDefault();
    table.StoreProfile(profile);
    CAcceleratorTable back;
    back.LoadProfile(profile);
    ASSERT_EQ(back.GetCount(), 73);
    for (int i = 0; i < 73; ++i) {
        EXPECT_EQ(back.GetAt(i).cmd, table.GetAt(i).cmd);
        EXPECT_EQ(back.GetAt(i).key, table.GetAt(i).key);
        EXPECT_EQ(back.GetAt(i).fVirt, table.GetAt(i).fVirt);
    }
    EXPECT_EQ(profile.GetString(u"ACCELERATOR", u"KEY_0000", u""), u"65");
    CAcceleratorTable shorter;
    shorter.Add(VK_F1, 33000, kAccelBase);
    shorter.StoreProfile(profile);
    back.LoadProfile(profile);
    ASSERT_EQ(back.GetCount(), 1);
    EXPECT_EQ(back.GetAt(0).cmd, 33000);
    HACCEL handle = back.CreateHandle();
    EXPECT_NE(handle, nullptr);
    ::DestroyAcceleratorTable(handle);
    EXPECT_EQ(CAcceleratorTable().CreateHandle(), nullptr);
}

}  // namespace
