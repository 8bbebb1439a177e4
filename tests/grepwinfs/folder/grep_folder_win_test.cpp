#include "grep/winfs/grep_folder_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class Lines : public GrepOutput {
public:
    void Append(const std::u16string& text) override { all += text; }
    std::u16string all;
};

class WinGrep : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        root_ = std::wstring(tmp) + L"wgrep_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\sub").c_str(), nullptr);
        Write(root_ + L"\\a.txt", "hit\n");
        Write(root_ + L"\\sub\\b.txt", "x\r\nhit\r\n");
    }
    void TearDown() override {
        RemoveDirectoryW((root_ + L"\\loop").c_str());
        DeleteFileW((root_ + L"\\sub\\b.txt").c_str());
        RemoveDirectoryW((root_ + L"\\sub").c_str());
        DeleteFileW((root_ + L"\\a.txt").c_str());
        RemoveDirectoryW(root_.c_str());
    }
    static void Write(const std::wstring& path, const std::string& bytes) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n;
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
        CloseHandle(h);
    }
    std::u16string Root() const { return std::u16string(root_.begin(), root_.end()); }
    std::wstring root_;
};

TEST_F(WinGrep, ListsEveryEntryWithItsKind) {
    std::vector<std::u16string> names;
    std::u16string reason;
    ASSERT_TRUE(WinGrepFileSystem().ListFolder(Root(), [&](const GrepDirEntry& e) {
        if (e.name != u"." && e.name != u"..") names.push_back(e.name + (e.directory ? u"\\" : u""));
        return true;
    }, reason));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a.txt", u"sub\\"}));

    EXPECT_FALSE(WinGrepFileSystem().ListFolder(Root() + u"\\missing", [](const GrepDirEntry&) { return true; }, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), u'\n');
}

TEST_F(WinGrep, SearchWritesWindowsPathsAndSkipsJunctionLoops) {
    // A link back to the root would loop if followed; Wine may not make one.
    const bool linked = CreateSymbolicLinkW((root_ + L"\\loop").c_str(), root_.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    Lines out;
    GrepParams params;
    params.resultView = &out;
    params.fileSystem = &WinGrepFileSystem();
    params.folder = Root();
    params.searchSubfolders = true;
    params.searchText = u"hit";
    EXPECT_EQ(GrepThreadProc(params), GREP_DONE);
    EXPECT_EQ(params.hitCount, 2);
    EXPECT_NE(out.all.find(Root() + u"\\a.txt(1): hit\n"), std::u16string::npos);
    EXPECT_NE(out.all.find(Root() + u"\\sub\\b.txt(2): hit\n"), std::u16string::npos);
    if (!linked) GTEST_SKIP() << "no symbolic links here";
}

}  // namespace
