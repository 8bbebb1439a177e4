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
        params.searchSubfolders = true;
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

// A name that is no UTF-8 (here Shift_JIS) is opened by its own bytes: the
// file is searched, the folder entered, and no look-alike is read instead.
TEST_F(GrepDisk, NamesThatAreNoUtf8AreOpenedByTheirOwnBytes) {
    const std::string sjis = "\x93\xfa\x96\x7b";  // 日本
    fs::create_directory(root_ / (sjis + "dir"));
    Write(root_ / (sjis + ".txt"), "hit in the file\n");
    Write(root_ / (sjis + "dir") / "d.txt", "hit in the folder\n");
    Write(root_ / "???{.txt", "hit in a look-alike\n");
    LinesOutput out;
    GrepParams params;
    params.resultView = &out;
    params.folder = root_.u16string();
    params.searchSubfolders = true;
    params.searchText = u"hit in";
    ASSERT_EQ(GrepThreadProc(params), GREP_DONE);
    ASSERT_EQ(out.lines.size(), 3u);
    std::sort(out.lines.begin(), out.lines.end());
    const std::u16string odd = u"\xDC93\xDCfa\xDC96\x7b";
    EXPECT_EQ(out.lines[0], params.folder + u"/???{.txt(1): hit in a look-alike\n");
    EXPECT_EQ(out.lines[1], params.folder + u"/" + odd + u".txt(1): hit in the file\n");
    EXPECT_EQ(out.lines[2], params.folder + u"/" + odd + u"dir/d.txt(1): hit in the folder\n");
}

// A big file is searched in blocks cut at line ends: every line end form
// may stand at a cut, the line numbers run on across the cuts, and a line
// longer than a block is met whole.
TEST_F(GrepDisk, BigFilesKeepTheirLineNumbersAcrossBlocks) {
    const fs::path dir = root_ / "big";
    fs::create_directory(dir);
    std::string text;
    std::vector<int> want;
    const char* ends[] = {"\n", "\r\n", "\r"};
    int line = 0;
    for (; text.size() < (std::size_t(13) << 20); ++line) {
        text += "line " + std::to_string(line) + std::string(std::size_t(line % 61), 'x');
        if (line == 5000) text += std::string(std::size_t(3) << 20, 'y');
        if (line % 997 == 0 || line == 5000 || line % 89 == 13) {
            text += " 日本 hit";
            want.push_back(line + 1);
        }
        text += ends[line % 3];
    }
    text += "last hit";  // no line end after the last line
    want.push_back(line + 1);
    Write(dir / "big.txt", text);
    LinesOutput out;
    GrepParams params;
    params.resultView = &out;
    params.folder = dir.u16string();
    params.searchText = u"hit";
    for (KanjiCode code : {KanjiCode::Detect, KanjiCode::UTF8NoSig}) {
        out.lines.clear();
        params.encoding = code;
        ASSERT_EQ(GrepThreadProc(params), GREP_DONE);
        std::vector<int> got;
        for (const auto& l : out.lines) {
            const std::size_t open = l.find(u'('), close = l.find(u')');
            got.push_back(std::stoi(std::string(l.begin() + open + 1, l.begin() + close)));
        }
        EXPECT_EQ(got, want) << "code " << KanjiCodeNumber(code);
    }
}

// A regex without a needle searches a big file in blocks too: its lines are
// numbered as the text decodes, as when the file is read whole, even where a
// malformed byte run (an overlong CR) decodes to a line end.
TEST_F(GrepDisk, BlocksNumberLinesAsTheTextDecodes) {
    const fs::path dir = root_ / "decoded";
    fs::create_directory(dir);
    std::string text;
    std::vector<int> want;
    int decoded = 0;
    for (int line = 0; text.size() < (std::size_t(3) << 20); ++line) {
        if (line % 1000 == 7) {
            text += "split\xC0\x8D";  // one line more once decoded
            ++decoded;
        }
        text += std::to_string(line % 10) + (line % 3 ? " hit\n" : " miss\n");
        if (line % 3) want.push_back(decoded + 1);
        ++decoded;
    }
    Write(dir / "big.txt", text);
    LinesOutput out;
    GrepParams params;
    params.resultView = &out;
    params.folder = dir.u16string();
    params.searchText = u"^[0-9].[h]";
    params.regularExpression = true;
    params.encoding = KanjiCode::UTF8NoSig;
    ASSERT_EQ(GrepThreadProc(params), GREP_DONE);
    std::vector<int> got;
    for (const auto& l : out.lines) {
        const std::size_t open = l.find(u'('), close = l.find(u')');
        got.push_back(std::stoi(std::string(l.begin() + open + 1, l.begin() + close)));
    }
    EXPECT_EQ(got, want);
}

// A file over the size limit is refused before it is read.
TEST_F(GrepDisk, TooLargeAFileIsToldNotRead) {
    const fs::path big = root_ / "huge.txt";
    { std::ofstream(big) << "hit\n"; }
    fs::resize_file(big, std::uintmax_t(kGrepMaxFileBytes) + 1);  // sparse: no disk used
    std::string bytes;
    std::u16string reason;
    EXPECT_FALSE(StdGrepFileSystem().ReadFile(big.u16string(), bytes, reason));
    EXPECT_EQ(reason, u"ファイルが大きすぎます");
    EXPECT_LT(bytes.capacity(), std::size_t(1) << 20);
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
                params.distinguishCase = i % 2 != 0;
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
