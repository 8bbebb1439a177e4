#include "app/profile/ini_profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"

namespace {

std::string FileBytes(const std::u16string& text) { return "\xFF\xFE" + EncodeText(KanjiCode::UnicodeNoSig, text); }

// One settings file shared by every store made over it, with switches for
// each way the file system can fail. Records that every access happens
// under the lock.
struct FakeDisk {
    bool exists = false;
    std::string bytes;
    bool lockFails = false, readFails = false, replaceFails = false;
    int lockDepth = 0;
    int unlockedAccesses = 0;
    int replaces = 0;
};

class FakeIniFile : public CIniFileAccess {
public:
    explicit FakeIniFile(FakeDisk& disk) : m_disk(disk) {}
    bool Lock() override {
        if (m_disk.lockFails) return false;
        ++m_disk.lockDepth;
        return true;
    }
    void Unlock() override { --m_disk.lockDepth; }
    IniReadResult Read(const std::u16string&, std::string& bytes) override {
        if (m_disk.lockDepth == 0) ++m_disk.unlockedAccesses;
        if (!m_disk.exists) return IniReadResult::Missing;
        if (m_disk.readFails) return IniReadResult::Failed;
        bytes = m_disk.bytes;
        return IniReadResult::Ok;
    }
    bool Replace(const std::u16string&, const std::string& bytes) override {
        if (m_disk.lockDepth == 0) ++m_disk.unlockedAccesses;
        if (m_disk.replaceFails) return false;
        m_disk.exists = true;
        m_disk.bytes = bytes;
        ++m_disk.replaces;
        return true;
    }

private:
    FakeDisk& m_disk;
};

std::unique_ptr<CIniProfile> StoreOn(FakeDisk& disk) {
    auto store = std::make_unique<CIniProfile>(std::make_unique<FakeIniFile>(disk));
    store->SetPath(u"C:\\wendrel\\wendrel.ini");
    return store;
}

IniMap OnDisk(const FakeDisk& disk) {
    IniMap map;
    ParseIniBytes(disk.bytes, map);
    return map;
}

class IniProfile : public ::testing::Test {
protected:
    void SetUp() override {
        disk.exists = true;
        disk.bytes = FileBytes(u"\n[APPLICATION]\nMAX_MRU=4\nOLD=x\n\n[TEXT_EDITOR]\nTABSTOP=4\n");
    }
    void TearDown() override {
        EXPECT_EQ(disk.lockDepth, 0) << "every lock is released";
        EXPECT_EQ(disk.unlockedAccesses, 0) << "the file is only touched under the lock";
    }
    FakeDisk disk;
};

TEST_F(IniProfile, ValuesAreAddedOnceAndChangedOnlyByWriting) {
    CIniProfile store;
    EXPECT_TRUE(store.SetValue(u"S", u"K", u"1"));
    EXPECT_FALSE(store.SetValue(u"S", u"K", u"2")) << "adding never replaces";
    EXPECT_EQ(store.GetString(u"S", u"K", u"d"), u"1");
    EXPECT_EQ(store.GetString(u"S", u"k", u"d"), u"d") << "keys are case-sensitive";
    store.WriteInt(u"S", u"K", -12);
    EXPECT_EQ(store.GetInt(u"S", u"K", 0), -12);
    EXPECT_EQ(store.GetInt(u"S", u"MISSING", 7), 7);

    // A multi-line value would inject keys into the file: it is not stored,
    // and the old value stays.
    EXPECT_FALSE(store.SetValue(u"HISTORY", u"0", u"a\nINJECTED=1"));
    EXPECT_EQ(store.Find(u"HISTORY", u"0"), nullptr);
    EXPECT_FALSE(store.WriteString(u"S", u"K", u"a\r\nb"));
    EXPECT_EQ(store.GetInt(u"S", u"K", 0), -12);
    EXPECT_TRUE(store.Erase(u"S", u"K"));
    EXPECT_FALSE(store.Erase(u"S", u"K"));
}

TEST_F(IniProfile, LoadKeepsEntriesAlreadyThereAndSaveIsStable) {
    auto store = StoreOn(disk);
    store->SetValue(u"APPLICATION", u"MAX_MRU", u"9");
    ASSERT_TRUE(store->Load());
    EXPECT_EQ(store->GetInt(u"APPLICATION", u"MAX_MRU", 0), 9);
    EXPECT_EQ(store->GetInt(u"TEXT_EDITOR", u"TABSTOP", 0), 4);
    ASSERT_TRUE(store->Save());
    const std::string first = disk.bytes;
    EXPECT_EQ(first, FileBytes(u"\n[APPLICATION]\nMAX_MRU=9\nOLD=x\n\n[TEXT_EDITOR]\nTABSTOP=4\n"));
    ASSERT_TRUE(store->Save());
    EXPECT_EQ(disk.bytes, first) << "a second save of an unchanged store writes the same bytes";
}

TEST_F(IniProfile, TwoProgramsSavingKeepEachOthersChanges) {
    auto a = StoreOn(disk), b = StoreOn(disk);
    ASSERT_TRUE(a->Load());
    ASSERT_TRUE(b->Load());
    a->WriteInt(u"TEXT_EDITOR", u"TABSTOP", 8);
    a->WriteString(u"FIND", u"HISTORY0", u"検索語");
    // b writes all of its values back, as the settings save does, but
    // changes only MAX_MRU and erases OLD.
    b->WriteInt(u"TEXT_EDITOR", u"TABSTOP", 4);
    b->WriteInt(u"APPLICATION", u"MAX_MRU", 6);
    b->Erase(u"APPLICATION", u"OLD");
    ASSERT_TRUE(a->Save());
    ASSERT_TRUE(b->Save());
    const IniMap expected = {
        {{u"APPLICATION", u"MAX_MRU"}, u"6"},
        {{u"FIND", u"HISTORY0"}, u"検索語"},
        {{u"TEXT_EDITOR", u"TABSTOP"}, u"8"},
    };
    EXPECT_EQ(OnDisk(disk), expected);
    EXPECT_EQ(b->Entries(), expected) << "the saving program now sees the other's changes";
    // a's later save must not bring back what b erased or undo b's change.
    a->WriteInt(u"WINDOW", u"ZOOMED", 1);
    ASSERT_TRUE(a->Save());
    IniMap withZoom = expected;
    withZoom.emplace(IniKey(u"WINDOW", u"ZOOMED"), u"1");
    EXPECT_EQ(OnDisk(disk), withZoom);
}

TEST_F(IniProfile, AFileThatCouldNotBeReadIsNeverSavedOver) {
    const std::string original = disk.bytes;
    disk.readFails = true;
    auto store = StoreOn(disk);
    EXPECT_FALSE(store->Load());
    EXPECT_TRUE(store->LoadFailed());
    store->WriteInt(u"TEXT_EDITOR", u"TABSTOP", 4);
    EXPECT_FALSE(store->Save());
    disk.readFails = false;  // readable again: still nothing this run saw
    EXPECT_FALSE(store->Save());
    EXPECT_EQ(disk.bytes, original);
    EXPECT_EQ(disk.replaces, 0);
    // Once the file is gone there is nothing to lose.
    disk.exists = false;
    EXPECT_TRUE(store->Save());
    EXPECT_EQ(OnDisk(disk), (IniMap{{{u"TEXT_EDITOR", u"TABSTOP"}, u"4"}}));
}

TEST_F(IniProfile, FailuresOfLockOrWriteLeaveTheFileAndKeepTheChanges) {
    const std::string original = disk.bytes;
    auto store = StoreOn(disk);
    disk.lockFails = true;
    EXPECT_FALSE(store->Load());
    EXPECT_TRUE(store->LoadFailed()) << "a file that could not be looked at counts as unread";
    EXPECT_FALSE(store->Save());

    auto second = StoreOn(disk);
    disk.lockFails = false;
    ASSERT_TRUE(second->Load());
    second->WriteInt(u"APPLICATION", u"MAX_MRU", 8);
    disk.replaceFails = true;
    EXPECT_FALSE(second->Save());
    EXPECT_EQ(disk.bytes, original);
    disk.replaceFails = false;
    ASSERT_TRUE(second->Save()) << "the change is written by the next save";
    EXPECT_EQ(OnDisk(disk)[IniKey(u"APPLICATION", u"MAX_MRU")], u"8");

    CIniProfile noPath(std::make_unique<FakeIniFile>(disk));
    EXPECT_FALSE(noPath.Save());
}

TEST_F(IniProfile, AMissingFileIsNoFailureAndIsWrittenWhole) {
    disk.exists = false;
    auto store = StoreOn(disk);
    EXPECT_FALSE(store->Load());
    EXPECT_FALSE(store->LoadFailed());
    store->SetValue(u"", u"TOP", u"1");
    ASSERT_TRUE(store->Save());
    EXPECT_EQ(disk.bytes, FileBytes(u"TOP=1\n"));
}

// The plain file access over real files, as tools and other hosts use it.
TEST(PlainIniFile, ReadsAndReplacesRealFiles) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("ini_plain_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    const std::u16string path = (dir / "wendrel.ini").u16string();
    CPlainIniFile file;
    std::string bytes;
    EXPECT_EQ(file.Read(path, bytes), IniReadResult::Missing);
    EXPECT_EQ(file.Read(dir.u16string(), bytes), IniReadResult::Failed);

    CIniProfile store;
    store.SetPath(path);
    store.WriteInt(u"S", u"K", 1);
    ASSERT_TRUE(store.Save());
    ASSERT_TRUE(store.Save());
    {
        std::ifstream in(dir / "wendrel.ini", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), FileBytes(u"\n[S]\nK=1\n"));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file is left";
    std::filesystem::remove_all(dir);
}

}  // namespace
