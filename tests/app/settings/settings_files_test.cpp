// The settings files on Windows: the named mutex between stores, safe
// replacement, the local profile conversion and the registry migration
// (through the test prefix's own registry).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/editor_fonts_win.h"
#include "app/base/ini_file_win.h"
#include "app/ini_profile_win.h"
#include "app/base/ini_registry_win.h"
#include "app/profile/app_settings.h"
#include "app/profile/ini_format.h"
#include "app/base/torka_win_app.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"

namespace {

std::string FileBytes(const std::u16string& text) { return Utf16LeFileBytes(text); }

IniMap ParseBytes(const std::string& bytes) {
    IniMap map;
    ParseIniBytes(bytes, map);
    return map;
}

class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = std::wstring(tmp) + L"settings_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++serial_) + L"\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            std::lock_guard<std::mutex> hold(boxesLock_);
            boxes_.push_back(r.caption + L"|" + r.text);
            return IDOK;
        });
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        for (const std::wstring& name : Files()) DeleteFileW((dir_ + name).c_str());
        RemoveDirectoryW(dir_.c_str());
    }
    std::wstring Path(const wchar_t* name) const { return dir_ + name; }
    std::string Read(const wchar_t* name) const {
        std::string bytes;
        ReadWholeFile(Path(name).c_str(), bytes);
        return bytes;
    }
    void Write(const wchar_t* name, const std::string& bytes) const {
        ASSERT_TRUE(ReplaceFileContents(Path(name).c_str(), bytes));
    }
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir_ + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    // An open handle that shares nothing, as another program holding the file.
    HANDLE HoldExclusively(const wchar_t* name) const {
        return CreateFileW(Path(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    std::wstring dir_;
    std::vector<std::wstring> boxes_;
    std::mutex boxesLock_;
    static inline int serial_ = 0;
};

TEST_F(SettingsFiles, TwoStoresSavingUnderTheMutexKeepEveryChange) {
    Write(L"wendrel.ini", FileBytes(u"\n[APPLICATION]\nMAX_MRU=4\n"));
    constexpr int kSaves = 25;
    auto worker = [this](char16_t id) {
        const std::wstring path = Path(L"wendrel.ini");
        CIniProfile store(std::make_unique<CWinIniFile>(path));
        store.SetPath(ToU16(path));
        store.Load();
        for (int i = 0; i < kSaves; ++i) {
            std::u16string key = u"K";
            key += id;
            key += FormatIniInt(i);
            store.WriteInt(u"WORK", key, i);
            EXPECT_TRUE(store.Save());
        }
    };
    std::thread a(worker, u'a'), b(worker, u'b');
    a.join();
    b.join();
    const IniMap map = ParseBytes(Read(L"wendrel.ini"));
    EXPECT_EQ(map.size(), 1u + 2 * kSaves) << "no save lost the other store's keys";
    EXPECT_EQ(map.at(IniKey(u"APPLICATION", u"MAX_MRU")), u"4");
    EXPECT_EQ(Files().size(), 1u) << "no temporary file is left";
}

TEST_F(SettingsFiles, AFailedWriteLeavesThePreviousFileWhole) {
    const std::string original = FileBytes(u"\n[APPLICATION]\nMAX_MRU=4\n");
    Write(L"wendrel.ini", original);
    CTorkaWinApp app;
    ASSERT_TRUE(app.LoadSettingsFile(Path(L"wendrel.ini")));
    app.WriteProfileInt(L"APPLICATION", L"MAX_MRU", 9);
    // Another program holds the file and lets nobody replace it.
    HANDLE held = HoldExclusively(L"wendrel.ini");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(app.m_pIniProfile->Save());
    CloseHandle(held);
    EXPECT_EQ(Read(L"wendrel.ini"), original);
    EXPECT_EQ(Files().size(), 1u) << "the temporary file is removed";
    EXPECT_TRUE(app.m_pIniProfile->Save()) << "the change is written once the file is free";
    EXPECT_EQ(app.GetProfileInt(L"APPLICATION", L"MAX_MRU", 0), 9);
    EXPECT_EQ(ParseBytes(Read(L"wendrel.ini")).at(IniKey(u"APPLICATION", u"MAX_MRU")), u"9");
}

TEST_F(SettingsFiles, AFileThatCouldNotBeReadAtStartIsToldOnceAndNeverSavedOver) {
    const std::string original = FileBytes(u"\n[TEXT_EDITOR]\nTABSTOP=8\n");
    Write(L"wendrel.ini", original);
    HANDLE held = HoldExclusively(L"wendrel.ini");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CTorkaWinApp app;
    app.OpenSettingsFiles(dir_);
    CloseHandle(held);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], L"Error|INIファイルから設定を取得できませんでした。\nデフォルトの設定で起動します。");
    CAppSettings settings;
    settings.tabStop = 6;
    ReadEditorSettings(*app.m_pIniProfile, SettingsEnvironment(), settings);
    EXPECT_EQ(settings.tabStop, 4) << "start-up goes on with the defaults";
    EXPECT_FALSE(SaveEditorSettings(settings, *app.m_pIniProfile));
    EXPECT_FALSE(SaveExitSettings(settings, *app.m_pIniProfile));
    EXPECT_EQ(Read(L"wendrel.ini"), original);
    EXPECT_EQ(boxes_.size(), 1u);
}

// A name held by something that is no file is a settings file that cannot
// be read, not a first start to migrate to (the device stands for a pipe
// as well: neither is a disk file).
TEST_F(SettingsFiles, ASettingsNameHeldByAFolderOrDeviceIsToldAsUnreadable) {
    ASSERT_TRUE(CreateDirectoryW(Path(L"wendrel.ini").c_str(), nullptr));
    CTorkaWinApp app;
    app.OpenSettingsFiles(dir_);
    RemoveDirectoryW(Path(L"wendrel.ini").c_str());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], L"Error|INIファイルから設定を取得できませんでした。\nデフォルトの設定で起動します。");
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(L"Z:\\dev\\null", bytes), IniReadResult::Failed);
}

TEST(IniProfileForWindows, StringsWithTextOrResourceDefaults) {
    CIniProfile store;
    EXPECT_TRUE(WriteIniString(store, L"FIND", L"HISTORY0", L"検索語"));
    EXPECT_FALSE(WriteIniString(store, L"FIND", L"HISTORY1", L"two\nlines"));
    EXPECT_EQ(GetIniString(store, L"FIND", L"HISTORY0", L"d"), CString(L"検索語"));
    EXPECT_EQ(GetIniString(store, L"FIND", L"HISTORY1", L"d"), CString(L"d"));
    EXPECT_EQ(GetIniString(store, L"FIND", L"HISTORY1", nullptr), CString(L""));
    EXPECT_EQ(GetIniString(store, L"FIND", L"HISTORY1", MAKEINTRESOURCEW(65000)), CString(L""))
        << "an identifier the string table lacks gives the empty string";
}

TEST(EditorFonts, AreMadeFromTheFontSettingsInTenthsOfAPoint) {
    CAppContext context;
    CAppSettings& s = context.settings;
    s.fontFaceName = u"Arial";
    s.fontPoint = 200;
    s.fontWeight = 700;
    s.fontItalic = 1;
    s.tabFontFaceName = u"Courier New";
    s.tabFontPoint = 100;
    ASSERT_TRUE(CreateEditorFont(context));
    ASSERT_TRUE(CreateTabFont(context));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTW editor{}, tab{};
    ASSERT_TRUE(context.editorFont.GetLogFont(&editor));
    ASSERT_TRUE(context.tabFont.GetLogFont(&tab));
    EXPECT_EQ(editor.lfHeight, -MulDiv(200, dpi, 720));
    EXPECT_EQ(editor.lfWeight, 700);
    EXPECT_EQ(editor.lfItalic, 1);
    EXPECT_EQ(editor.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(editor.lfFaceName, L"Arial");
    EXPECT_EQ(tab.lfHeight, -MulDiv(100, dpi, 720));
    EXPECT_EQ(tab.lfWeight, 0);
    EXPECT_STREQ(tab.lfFaceName, L"Courier New");
}

// A lock whose owner ended without releasing it.
DWORD WINAPI LockAndQuit(LPVOID path) {
    CWinIniFile file(*static_cast<std::wstring*>(path));
    file.Lock();
    return 0;
}

TEST_F(SettingsFiles, AnAbandonedMutexCountsAsHeld) {
    std::wstring path = Path(L"wendrel.ini");
    Write(L"wendrel.ini", FileBytes(u"A=1\n"));
    CWinIniFile keepsMutexAlive(path);
    HANDLE thread = CreateThread(nullptr, 0, LockAndQuit, &path, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
    CTorkaWinApp app;
    EXPECT_TRUE(app.LoadSettingsFile(path));
    EXPECT_EQ(app.GetProfileInt(L"", L"A", 0), 1);
    EXPECT_TRUE(app.m_pIniProfile->Save());
}

TEST_F(SettingsFiles, TheLocalProfileFileBecomesUtf16LeWithLfLineEnds) {
    CTorkaWinApp app;
    app.UpgradeIniFile(Path(L"missing.ini").c_str());
    EXPECT_EQ(std::wstring(app.GetProfileFile()), Path(L"missing.ini"));
    EXPECT_EQ(Read(L"missing.ini"), std::string("\xFF\xFE\n\0", 4));

    Write(L"old.ini", EncodeText(KanjiCode::SJIS, u"[Recent File List]\r\nFile1=C:\\文書\\a.txt\r\n"));
    app.UpgradeIniFile(Path(L"old.ini").c_str());
    EXPECT_EQ(Read(L"old.ini"), FileBytes(u"[Recent File List]\nFile1=C:\\文書\\a.txt\n"));

    const std::string current = FileBytes(u"[Recent File List]\r\nFile1=x\r\n");  // left as it is
    Write(L"current.ini", current);
    app.UpgradeIniFile(Path(L"current.ini").c_str());
    EXPECT_EQ(Read(L"current.ini"), current);
    EXPECT_EQ(Files().size(), 3u);
}

// The old settings under HKEY_CURRENT_USER\software\TORKA\wendrel.
class RegistryMigration : public SettingsFiles {
protected:
    void SetUp() override {
        SettingsFiles::SetUp();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TORKA");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TORKA");
        SettingsFiles::TearDown();
    }
    static void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(L"Software\\TORKA\\wendrel") + key).c_str(), name,
                                  REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    static void SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(L"Software\\TORKA\\wendrel") + key).c_str(), name,
                                  REG_DWORD, &value, sizeof value),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegistryMigration, KeysBecomeSectionsOfTheTwoFiles) {
    SetString(L"", L"TOP", L"1");
    SetDword(L"\\TEXT_EDITOR", L"TABSTOP", 8);
    SetDword(L"\\TEXT_EDITOR", L"BG_COLOR", 0xFFFFFFFF);
    SetString(L"\\TEXT_EDITOR", L"MULTI", L"line1\r\nINJECTED=1");
    SetString(L"\\Find\\History", L"0", L"検索語");
    SetString(L"\\Recent File List", L"File1", L"C:\\a.txt");
    SetDword(L"\\BarState-Bar0", L"Visible", 1);
    SetDword(L"\\BarState-Bar0\\Child", L"X", 2);
    ASSERT_TRUE(ImportRegistry(Path(L"wendrel.ini"), Path(L"wendrel_local.ini")));

    const IniMap main = ParseBytes(Read(L"wendrel.ini"));
    const IniMap expectedMain = {
        {{u"", u"TOP"}, u"1"},
        {{u"Find\\History", u"0"}, u"検索語"},
        {{u"TEXT_EDITOR", u"BG_COLOR"}, u"4294967295"},
        {{u"TEXT_EDITOR", u"TABSTOP"}, u"8"},
    };
    EXPECT_EQ(main, expectedMain) << "a value with a line break is left out";
    const IniMap expectedLocal = {
        {{u"BarState-Bar0", u"Visible"}, u"1"},
        {{u"BarState-Bar0\\Child", u"X"}, u"2"},
        {{u"Recent File List", u"File1"}, u"C:\\a.txt"},
    };
    EXPECT_EQ(ParseBytes(Read(L"wendrel_local.ini")), expectedLocal);
    EXPECT_EQ(Read(L"wendrel.ini").substr(0, 2), "\xFF\xFE");
    CIniProfile store;
    store.SetPath(ToU16(Path(L"wendrel.ini")));
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.GetInt(u"TEXT_EDITOR", u"BG_COLOR", 0), -1) << "a DWORD written from -1 reads back as -1";
}

TEST_F(RegistryMigration, RunsOnceAtTheFirstStartAndKeepsAnExistingLocalFile) {
    SetDword(L"\\TEXT_EDITOR", L"TABSTOP", 8);
    const std::string local = FileBytes(u"[Recent File List]\nFile1=C:\\kept.txt\n");
    Write(L"wendrel_local.ini", local);
    {
        CTorkaWinApp app;
        app.OpenSettingsFiles(dir_);
        EXPECT_EQ(app.GetProfileInt(L"TEXT_EDITOR", L"TABSTOP", 4), 8);
        EXPECT_EQ(std::wstring(app.GetProfileFile()), Path(L"wendrel_local.ini"));
    }
    EXPECT_EQ(Read(L"wendrel_local.ini"), local);
    SetDword(L"\\TEXT_EDITOR", L"TABSTOP", 2);
    {
        CTorkaWinApp app;
        app.OpenSettingsFiles(dir_);
        EXPECT_EQ(app.GetProfileInt(L"TEXT_EDITOR", L"TABSTOP", 4), 8) << "the file, not the registry, holds the settings";
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(RegistryMigration, TwoFirstStartsAtOnceMigrateOnce) {
    SetDword(L"\\TEXT_EDITOR", L"TABSTOP", 8);
    for (int round = 0; round < 5; ++round) {
        DeleteFileW(Path(L"wendrel.ini").c_str());
        DeleteFileW(Path(L"wendrel_local.ini").c_str());
        CTorkaWinApp first, second;
        std::thread a([&] { first.OpenSettingsFiles(dir_); }), b([&] { second.OpenSettingsFiles(dir_); });
        a.join();
        b.join();
        EXPECT_EQ(first.GetProfileInt(L"TEXT_EDITOR", L"TABSTOP", 4), 8);
        EXPECT_EQ(second.GetProfileInt(L"TEXT_EDITOR", L"TABSTOP", 4), 8);
    }
    EXPECT_TRUE(boxes_.empty()) << "neither start found the other's half-made file";
}

TEST_F(RegistryMigration, WithoutOldSettingsBothFilesHoldTheSignature) {
    CTorkaWinApp app;
    app.OpenSettingsFiles(dir_);
    EXPECT_EQ(Read(L"wendrel.ini"), "\xFF\xFE");
    EXPECT_EQ(Read(L"wendrel_local.ini"), "\xFF\xFE");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(SaveEditorSettings(CAppSettings(), *app.m_pIniProfile));
    EXPECT_EQ(ParseBytes(Read(L"wendrel.ini")).at(IniKey(u"TEXT_EDITOR", u"TABSTOP")), u"4");
}

TEST_F(RegistryMigration, AValueOfAnotherTypeIsToldAndWhatWasReadIsKept) {
    SetDword(L"\\A", L"TABSTOP", 8);
    const BYTE blob[] = {1, 2, 3};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TORKA\\wendrel\\B", L"BLOB", REG_BINARY, blob, sizeof blob),
              ERROR_SUCCESS);
    CTorkaWinApp app;
    app.OpenSettingsFiles(dir_);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], L"Error|レジストリからINIファイルへの移行に失敗しました");
    EXPECT_EQ(app.GetProfileInt(L"A", L"TABSTOP", 0), 8);
}

}  // namespace
