// The worker on real folders: links, and several workers at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "grep/engine/grep_engine.h"
#ifdef __unix__
#include <sys/stat.h>
#endif
#include "textengine/regex/regex.h"

namespace {

namespace fs = std::filesystem;

class LinesOutput : public GrepOutput {
public:
    void Append(const std::u16string& text) override { lines.push_back(text); }
    std::vector<std::u16string> lines;
};

class GrepDisk : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(TEST_OUTPUT_DIR) / "grep_disk";
        fs::remove_all(root_);
        fs::create_directories(root_ / "sub" / "deeper");
        Write(root_ / "a.txt", "日本語 hit\nno\n");
        Write(root_ / "sub" / "b.txt", "no\r\nhit again\r\n");
        Write(root_ / "sub" / "deeper" / "c.log", "hit\n");
    }
    void TearDown() override { fs::remove_all(root_); }
    static void Write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

    // Sorted result lines with the root cut off, '\' as '/'.
    std::vector<std::string> Search(GrepParams& params) {
        LinesOutput out;
        params.resultView = &out;
        params.folder = root_.u16string();
        params.searchSubfolders = 1;
        params.searchText = u"hit";
        std::vector<std::string> lines;
        if (GrepThreadProc(params) != GREP_DONE) lines.push_back("result " + std::to_string(params.result));
        for (const auto& l : out.lines) {
            std::string s = fs::path(l.substr(params.folder.size())).string();
            std::replace(s.begin(), s.end(), '\\', '/');
            lines.push_back(s);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    fs::path root_;
};

const std::vector<std::string> kExpected = {
    "/a.txt(1): 日本語 hit\n",
    "/sub/b.txt(2): hit again\n",
    "/sub/deeper/c.log(1): hit\n",
};

TEST_F(GrepDisk, FindsEveryHitOnceAndDoesNotFollowLinks) {
    std::error_code ec;
    fs::create_directory_symlink(root_, root_ / "sub" / "loop", ec);
    if (!ec) fs::create_symlink(root_ / "a.txt", root_ / "alias.txt", ec);
    GrepParams params;
    EXPECT_EQ(Search(params), kExpected);
    if (ec) GTEST_SKIP() << "links can't be made here: " << ec.message();
}

#ifdef __unix__
// Opening a pipe nobody writes to would hold the search up for good.
TEST_F(GrepDisk, PipesAndDevicesAreNotOpened) {
    ASSERT_EQ(mkfifo((root_ / "sub" / "pipe.txt").c_str(), 0600), 0);
    GrepParams params;
    EXPECT_EQ(Search(params), kExpected);
}
#endif

TEST_F(GrepDisk, WorkersOnSeveralThreadsShareNothing) {
    constexpr int kThreads = 4;
    std::vector<std::vector<std::string>> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 20; ++round) {
                GrepParams params;
                params.distinguishCase = i % 2;
                results[i] = Search(params);
                if (results[i] != kExpected) break;
            }
        });
    // Meanwhile this thread compiles and searches too, as the UI thread would.
    for (int i = 0; i < 200; ++i) {
        CompiledRegex* re = regex_compile_literal(u"hit", 1);
        ASSERT_NE(re, nullptr);
        EXPECT_EQ(regex_search_string_from_start(re, u"a HIT"), 1);
        regex_free(re);
    }
    for (auto& t : threads) t.join();
    for (const auto& r : results) EXPECT_EQ(r, kExpected);
}

}  // namespace
