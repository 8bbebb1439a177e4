#include "view/core/option_values.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/profile/setting_ranges.h"

namespace {

std::string Narrow(const char16_t* s) { return std::string(s, s + std::char_traits<char16_t>::length(s)); }

// The controls of one page as the sheet would hold them: what each control
// id shows. Two settings bound to one control would overwrite each other.
struct FakePage {
    std::map<int, int> numbers;
    std::map<int, uint32_t> colours;
    std::map<int, std::u16string> texts;
};

std::map<OptionPage, FakePage> ShowInPages(const CAppSettings& values) {
    std::map<OptionPage, FakePage> pages;
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        FakePage& page = pages[b->page];
        if (b->number) page.numbers[b->controlId] = values.*b->number;
        if (b->colour) page.colours[b->controlId] = values.*b->colour;
        if (b->text) page.texts[b->controlId] = values.*b->text;
    }
    return pages;
}

void ReadFromPages(const std::map<OptionPage, FakePage>& pages, CAppSettings& values) {
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        const FakePage& page = pages.at(b->page);
        if (b->number) values.*b->number = page.numbers.at(b->controlId);
        if (b->colour) values.*b->colour = page.colours.at(b->controlId);
        if (b->text) values.*b->text = page.texts.at(b->controlId);
    }
}

// A value of the setting's own kind, different for every n, that its
// range lets through.
void SetDistinct(const OptionBinding& b, int n, CAppSettings& values) {
    if (b.colour) values.*b.colour = 0x010101u * static_cast<uint32_t>(n);
    if (b.text) values.*b.text = u"値" + std::u16string(1, char16_t(u'A' + n));
    if (!b.number) return;
    if (b.kind == OptionControl::Check) {
        values.*b.number = n % 2;
    } else if (const SettingRange* range = FindSettingRange(b.number)) {
        values.*b.number = range->min + n % (range->max - range->min + 1);
    } else {
        values.*b.number = b.number == &CAppSettings::fileOpenKanjiCode ? 10 : 6;  // encodings
    }
}

TEST(OptionValues, EverySettingTheSheetShowsGoesToItsControlAndBack) {
    CAppSettings edited;
    int n = 3;
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) SetDistinct(*b, n++, edited);
    CAppSettings read;
    ReadFromPages(ShowInPages(edited), read);
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        if (b->number) {
            EXPECT_EQ(read.*b->number, edited.*b->number) << Narrow(b->key);
        }
        if (b->colour) {
            EXPECT_EQ(read.*b->colour, edited.*b->colour) << Narrow(b->key);
        }
        if (b->text) {
            EXPECT_TRUE(read.*b->text == edited.*b->text) << Narrow(b->key);
        }
    }
    // After OK every shown setting reaches the record as edited.
    CAppSettings settings;
    TakeOptionValues(read, settings);
    for (const OptionBinding* b = OptionBindingsBegin(); b != OptionBindingsEnd(); ++b) {
        if (b->number) {
            EXPECT_EQ(settings.*b->number, edited.*b->number) << Narrow(b->key);
        }
        if (b->colour) {
            EXPECT_EQ(settings.*b->colour, edited.*b->colour) << Narrow(b->key);
        }
    }
}

TEST(OptionValues, OkKeepsWhatTheSheetDoesNotShowAndClampsNumbers) {
    CAppSettings settings;
    settings.lineMode = 2;
    settings.editMode = 5;
    settings.kbMacroDir = u"C:\\macros\\";
    settings.fontFaceName = u"IPAGothic";
    settings.fontPoint = 120;
    settings.tabFontPoint = 90;
    settings.fileTabBtnColor = 0x123456;
    CAppSettings edited = settings;
    edited.lineMode = 0;
    edited.editMode = 0;
    edited.kbMacroDir = u"";
    edited.fontFaceName = u"Terminal";
    edited.fontPoint = 100;
    edited.tabFontPoint = 100;
    struct Clamp {
        int CAppSettings::*member;
        int typed;
        int stored;
    } clamps[] = {
        {&CAppSettings::tabStop, 500, 200},        {&CAppSettings::rowSpace, -100, 0},
        {&CAppSettings::leftSpace, 99999999, 20},  {&CAppSettings::lineLen, 5, 20},
        {&CAppSettings::wheelScrollRow, 0, 3},     {&CAppSettings::maxMru, 20, 16},
        {&CAppSettings::bracketsBlinkTime, -1, 0},
    };
    for (const Clamp& c : clamps) edited.*c.member = c.typed;
    TakeOptionValues(edited, settings);
    EXPECT_EQ(settings.lineMode, 2);
    EXPECT_EQ(settings.editMode, 5);
    EXPECT_TRUE(settings.kbMacroDir == u"C:\\macros\\");
    EXPECT_TRUE(settings.fontFaceName == u"IPAGothic");
    EXPECT_EQ(settings.fontPoint, 120);
    EXPECT_EQ(settings.tabFontPoint, 90);
    EXPECT_EQ(settings.fileTabBtnColor, 0x123456u);
    for (const Clamp& c : clamps) EXPECT_EQ(settings.*c.member, c.stored) << c.typed;
    // MAX_MRU is compared as unsigned: a negative count is the most.
    edited.maxMru = -1;
    TakeOptionValues(edited, settings);
    EXPECT_EQ(settings.maxMru, 16);
}

TEST(OptionValues, ChangesNameTheRefreshesTheyNeed) {
    struct Case {
        void (*edit)(CAppSettings&);
        bool initialDir, tabLayout, filter;
    } cases[] = {
        {[](CAppSettings&) {}, false, false, false},
        {[](CAppSettings& s) { s.initialDir = u"C:\\work"; }, true, false, false},
        {[](CAppSettings& s) { s.tabTitleIsPathName = 1; }, false, true, false},
        {[](CAppSettings& s) { s.tabMultiRow = 1; }, false, true, false},
        {[](CAppSettings& s) { s.hideTabBarAtOne = 1; }, false, true, false},
        {[](CAppSettings& s) { s.fileListFilter = u"*.txt"; }, false, false, true},
        {[](CAppSettings& s) { s.showRowNum = 0; }, false, false, false},
    };
    for (const Case& c : cases) {
        CAppSettings settings, edited;
        c.edit(edited);
        const OptionChanges changes = TakeOptionValues(edited, settings);
        EXPECT_EQ(changes.initialDir, c.initialDir);
        EXPECT_EQ(changes.tabLayout, c.tabLayout);
        EXPECT_EQ(changes.fileListFilter, c.filter);
        EXPECT_EQ(settings, [&] {
            CAppSettings expected;
            c.edit(expected);
            return expected;
        }());
    }
}

TEST(OptionValues, DefaultColoursChangeOnlyTheColours) {
    CAppSettings values;
    values.showRowNum = 0;
    values.tabStop = 8;
    for (uint32_t CAppSettings::*colour : kEditorColours) values.*colour = 0x00FF00;
    values.fileTabTextColor = 0x0000FF;
    RestoreDefaultEditorColours(values);
    CAppSettings expected;
    expected.showRowNum = 0;
    expected.tabStop = 8;
    expected.fileTabTextColor = 0x0000FF;
    EXPECT_EQ(values, expected);
    EXPECT_EQ(values.textColor, 0u);
    EXPECT_EQ(values.ruledLineColor, 0xb4b4b4u);

    RestoreDefaultTabColours(values, SettingsRgb(1, 2, 3), SettingsRgb(240, 240, 240));
    EXPECT_EQ(values.fileTabTextColor, SettingsRgb(1, 2, 3));
    EXPECT_EQ(values.fileTabActiveBkColor, SettingsRgb(240, 240, 240));
    EXPECT_EQ(values.fileTabNoActiveBkColor, SettingsRgb(204, 204, 204));
    EXPECT_EQ(values.tabStop, 8);
}

}  // namespace
