// The search histories against a settings store on a file in memory: the
// order and limit of entries, their option bits, what is written and when,
// and entries the file cannot hold.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/profile/ini_profile.h"
#include "view/core/search_condition.h"
#include "view/core/search_history.h"

namespace {

struct Disk {
    std::string bytes;
    bool exists = false;
    int replaces = 0;
};

class MemoryFile : public CIniFileAccess {
public:
    explicit MemoryFile(Disk& disk) : m_disk(disk) {}
    bool Lock() override { return true; }
    void Unlock() override {}
    IniReadResult Read(const std::u16string&, std::string& bytes) override {
        if (!m_disk.exists) return IniReadResult::Missing;
        bytes = m_disk.bytes;
        return IniReadResult::Ok;
    }
    bool Replace(const std::u16string&, const std::string& bytes) override {
        m_disk.bytes = bytes;
        m_disk.exists = true;
        ++m_disk.replaces;
        return true;
    }

private:
    Disk& m_disk;
};

std::unique_ptr<CIniProfile> Open(Disk& disk) {
    auto profile = std::make_unique<CIniProfile>(std::make_unique<MemoryFile>(disk));
    profile->SetPath(u"wendrel.ini");
    profile->Load();
    return profile;
}

using Entries = std::vector<SearchHistoryEntry>;

// What a fresh run reads back from the file.
Entries Reloaded(Disk& disk, const char16_t* section, bool withBits) {
    auto profile = Open(disk);
    CSearchHistory history(section, withBits);
    history.Load(*profile);
    return history.Entries();
}

TEST(SearchHistory, NewestFirstWithBitsAndARepeatMovesToTheTop) {
    Disk disk;
    auto profile = Open(disk);
    CSearchHistory history(kSearchTextSection, true);
    history.Load(*profile);
    EXPECT_TRUE(history.Entries().empty());

    const int regexCase = kSearchBitRegex | kSearchBitMatchCase;
    EXPECT_TRUE(history.Add(*profile, u"検索", regexCase));
    EXPECT_TRUE(history.Add(*profile, u"abc", kSearchBitWidth));
    // Differs only in case: another entry.
    EXPECT_TRUE(history.Add(*profile, u"ABC", 0));
    // The older entry of the same text goes; the new bits are kept.
    EXPECT_TRUE(history.Add(*profile, u"検索", 0));
    const Entries expected{{u"検索", 0}, {u"ABC", 0}, {u"abc", kSearchBitWidth}};
    EXPECT_EQ(history.Entries(), expected);
    EXPECT_EQ(Reloaded(disk, kSearchTextSection, true), expected);
    EXPECT_EQ(*profile->Find(u"SEARCH_TEXT", u"status_2"), u"4");
    EXPECT_EQ(*profile->Find(u"SEARCH_TEXT", u"status_19"), u"0");
    EXPECT_EQ(profile->Find(u"SEARCH_TEXT", u"3"), nullptr);
}

TEST(SearchHistory, TheSameTextWithTheSameBitsWritesNothing) {
    Disk disk;
    auto profile = Open(disk);
    CSearchHistory history(kSearchTextSection, true);
    history.Load(*profile);
    ASSERT_TRUE(history.Add(*profile, u"once", kSearchBitRegex));
    const int writes = disk.replaces;
    EXPECT_FALSE(history.Add(*profile, u"once", kSearchBitRegex));
    EXPECT_EQ(disk.replaces, writes);
    EXPECT_FALSE(history.Add(*profile, u"", 0));
    EXPECT_EQ(disk.replaces, writes);
    // Other bits are a change.
    EXPECT_TRUE(history.Add(*profile, u"once", 0));
    EXPECT_EQ(disk.replaces, writes + 1);
    EXPECT_EQ(history.Entries(), (Entries{{u"once", 0}}));
}

TEST(SearchHistory, TheTwentyFirstTextPushesTheOldestOut) {
    Disk disk;
    auto profile = Open(disk);
    CSearchHistory history(kReplaceTextSection, false);
    history.Load(*profile);
    for (int i = 1; i <= 21; ++i) {
        const std::string n = "text" + std::to_string(i);
        history.Add(*profile, std::u16string(n.begin(), n.end()), 7);
    }
    const Entries stored = Reloaded(disk, kReplaceTextSection, false);
    ASSERT_EQ(stored.size(), 20u);
    EXPECT_EQ(stored.front().text, u"text21");
    EXPECT_EQ(stored.back().text, u"text2");
    EXPECT_EQ(history.Entries(), stored);
    EXPECT_EQ(profile->Find(u"REPLACE_TEXT", u"20"), nullptr);
    // The replacement history keeps no bits.
    EXPECT_EQ(profile->Find(u"REPLACE_TEXT", u"status_0"), nullptr);
    EXPECT_EQ(stored.front().bits, 0);
}

TEST(SearchHistory, AnEntryWithALineBreakStaysInMemoryButNeverReachesTheFile) {
    Disk disk;
    auto profile = Open(disk);
    CSearchHistory history(kSearchTextSection, true);
    history.Load(*profile);
    history.Add(*profile, u"first", kSearchBitMatchCase);
    // Written as it stands, the second line would become an entry of its own.
    const std::u16string twoLines = u"line\r\n19=injected";
    EXPECT_TRUE(history.Add(*profile, twoLines, kSearchBitRegex));
    history.Add(*profile, u"last\n", 0);
    const Entries inMemory{{u"last\n", 0}, {twoLines, kSearchBitRegex}, {u"first", kSearchBitMatchCase}};
    EXPECT_EQ(history.Entries(), inMemory);
    // The file holds the storable entry only, its bits with it.
    EXPECT_EQ(Reloaded(disk, kSearchTextSection, true), (Entries{{u"first", kSearchBitMatchCase}}));
    auto fresh = Open(disk);
    EXPECT_EQ(fresh->Find(u"SEARCH_TEXT", u"19"), nullptr);
}

TEST(SearchHistory, LoadingStopsAtTheFirstMissingKeyAndMissingBitsAreZero) {
    Disk disk;
    disk.exists = true;
    disk.bytes = "[SEARCH_TEXT]\r\n0=zero\r\nstatus_0=5\r\n1=one\r\n3=three\r\nstatus_3=1\r\n";
    auto profile = Open(disk);
    CSearchHistory history(kSearchTextSection, true);
    history.Load(*profile);
    EXPECT_EQ(history.Entries(), (Entries{{u"zero", 5}, {u"one", 0}}));
}

TEST(SearchHistory, OptionBitsMapToTheCondition) {
    for (int bits = 0; bits < 8; ++bits) {
        const SearchOptions o = SearchOptionsOfBits(bits);
        EXPECT_EQ(o.regex, bits & 1);
        EXPECT_EQ(o.matchCase, (bits >> 1) & 1);
        EXPECT_EQ(o.widthSensitive, (bits >> 2) & 1);
        EXPECT_EQ(SearchOptionBits(o), bits);
    }
}

}  // namespace
