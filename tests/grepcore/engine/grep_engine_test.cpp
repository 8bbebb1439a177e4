#include "grep/engine/grep_engine.h"
#include "grep/engine/grep_masks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"

#include "grep_fakes.h"

namespace {

std::string U8(const std::u16string& s) { return EncodeText(KanjiCode::UTF8NoSig, s); }

class Grep : public ::testing::Test {
protected:
    Grep() {
        params.resultView = &out;
        params.fileSystem = &fs;
        params.folder = u"C:\\d";
        fs.AddFolder(u"C:\\d");
    }
    int Run(const std::u16string& text) {
        params.searchText = text;
        return GrepThreadProc(params);
    }
    std::string Output() const { return U8(out.text_); }

    FakeFileSystem fs;
    RecordingOutput out;
    GrepParams params;
};

TEST(GrepMasks, SelectNamesAsTheMaskRulesSay) {
    struct Case {
        const char16_t* masks;
        const char16_t* selected;    // ","-separated names the masks take
        const char16_t* unselected;  // and names they leave
    } cases[] = {
        {u"*.txt", u"a.txt,.txt,B.TXT,x.y.txt", u"txt,a.txt.bak,atxt"},
        {u"200704*.txt", u"200704a.txt,200704ab.TXT", u"200704.txt,x200704a.txt"},
        {u"a.txt", u"a.txt,A.Txt", u"abtxt,ba.txt,a.txt2"},
        {u"*.txt;*.log", u"a.txt,b.LOG", u"c.cpp,log"},
        {u"x*.*", u"xa.b,xyz.c.d", u"x.b,xa.,ya.b"},
        // Every regex character other than the wildcards stands for itself.
        {u"*(1).txt", u"a(1).txt", u"a1.txt,a(11).txt"},
        {u"[ab].c", u"[ab].c", u"a.c,b.c"},
        {u"a+b$.{2}^", u"a+b$.{2}^,A+B$.{2}^", u"aab$.{2}^,a+b$.xx"},
        // "?" is exactly one character, "*" inside a mask at least one.
        {u"file?.txt", u"file1.txt,fileX.TXT", u"fil.txt,file.txt,file12.txt"},
        {u"a*b", u"axb,axyb", u"ab"},
        {u"日本*.txt", u"日本語.txt", u"日本.txt"},
        {u"*.c;*.*", u"anything,a.c,noext", u""},
        {u"", u"anything,.x", u""},
    };
    auto split = [](const char16_t* list) {
        std::vector<std::u16string> out;
        std::u16string s(list);
        for (size_t at = 0; at < s.size();) {
            size_t end = s.find(u',', at);
            if (end == std::u16string::npos) end = s.size();
            out.push_back(s.substr(at, end - at));
            at = end + 1;
        }
        return out;
    };
    for (const Case& c : cases) {
        GrepMasks masks;
        ASSERT_TRUE(masks.Set(c.masks)) << U8(c.masks);
        for (const auto& name : split(c.selected)) EXPECT_TRUE(masks.Selects(name)) << U8(c.masks) << " " << U8(name);
        for (const auto& name : split(c.unselected)) EXPECT_FALSE(masks.Selects(name)) << U8(c.masks) << " " << U8(name);
    }
    // Characters no file name holds make the masks invalid.
    for (const char16_t* bad : {u"*.t|t", u"a:b", u"*.txt;dir\\*.c", u"<x>", u"a/b"}) {
        GrepMasks masks;
        EXPECT_FALSE(masks.Set(bad)) << U8(bad);
    }
}

TEST_F(Grep, HitLinesAreWrittenOncePerLineInFolderOrder) {
    fs.AddFile(u"C:\\d\\b.txt", "no\r\nfoo foo foo\r\nbar\r\nfoo");
    fs.AddFile(u"C:\\d\\a.txt", "nothing here\n");
    fs.AddFolder(u"C:\\d\\sub");
    fs.AddFile(u"C:\\d\\sub\\c.txt", "x\rfoo\r");
    fs.AddFile(u"C:\\d\\z.txt", "\nfoo\n");
    params.searchSubfolders = true;
    EXPECT_EQ(Run(u"foo"), GREP_DONE);
    EXPECT_EQ(Output(),
              "C:\\d\\b.txt(2): foo foo foo\n"
              "C:\\d\\b.txt(4): foo\n"
              "C:\\d\\sub\\c.txt(2): foo\n"
              "C:\\d\\z.txt(2): foo\n");
    EXPECT_EQ(params.hitCount, 4);
    EXPECT_EQ(U8(params.messageText), "4個，検索されました。\n");
}

TEST_F(Grep, SubFoldersOnlyWhenAsked) {
    fs.AddFolder(u"C:\\d\\sub");
    fs.AddFile(u"C:\\d\\sub\\c.txt", "foo");
    EXPECT_EQ(Run(u"foo"), GREP_DONE);
    EXPECT_EQ(Output(), "");
    EXPECT_EQ(U8(params.messageText), "0個，検索されました。\n");
}

TEST_F(Grep, MasksSelectFilesByNameIgnoringCase) {
    for (const char16_t* name : {u"a.txt", u"b.LOG", u"txt", u"c.txt.bak", u".txt"})
        fs.AddFile(std::u16string(u"C:\\d\\") + name, "hit");
    params.masks = u"*.txt;*.log";
    EXPECT_EQ(Run(u"hit"), GREP_DONE);
    EXPECT_EQ(Output(), "C:\\d\\a.txt(1): hit\nC:\\d\\b.LOG(1): hit\nC:\\d\\.txt(1): hit\n");

    out.text_.clear();
    params.masks = u"*.c;*.*";
    EXPECT_EQ(Run(u"hit"), GREP_DONE);
    EXPECT_EQ(params.hitCount, 5);
}

TEST_F(Grep, EncodingsAreReadOrDetected) {
    fs.AddFile(u"C:\\d\\sjis.txt", "\x93\xfa\x96\x7b\x8c\xea\r\n");             // 日本語
    fs.AddFile(u"C:\\d\\euc.txt", "\xc6\xfc\xcb\xdc\xb8\xec\xa4\xc7\xa4\xb9\n");  // 日本語です
    fs.AddFile(u"C:\\d\\utf8.txt", "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n");
    fs.AddFile(u"C:\\d\\utf16.txt", std::string("\xFF\xFE\xE5\x65\x2C\x67\x9E\x8A\n\0", 10));
    EXPECT_EQ(Run(u"日本"), GREP_DONE);
    EXPECT_EQ(Output(),
              "C:\\d\\sjis.txt(1): 日本語\n"
              "C:\\d\\euc.txt(1): 日本語です\n"
              "C:\\d\\utf8.txt(1): 日本語\n"
              "C:\\d\\utf16.txt(1): 日本語\n");

    out.text_.clear();
    params.encoding = KanjiCode::SJIS;  // Shift_JIS given: the EUC file reads as other characters
    EXPECT_EQ(Run(u"日本"), GREP_DONE);
    EXPECT_EQ(Output(), "C:\\d\\sjis.txt(1): 日本語\n");
}

TEST_F(Grep, CaseWidthAndRegexOptions) {
    fs.AddFile(u"C:\\d\\a.txt", "ABC\nabc\nＡＢＣ\na.c\n");
    struct Case {
        std::u16string text;
        int distinguishCase, distinguishWidth, regex;
        std::string lines;  // matching line numbers
    } cases[] = {
        {u"abc", 1, 1, 0, "2"},     {u"abc", 0, 1, 0, "12"},      {u"abc", 0, 0, 0, "123"},
        {u"ａｂｃ", 1, 0, 0, "2"},  {u"a.c", 1, 1, 0, "4"},       {u"a.c", 1, 1, 1, "24"},
        {u"^[A-Z]+$", 1, 1, 1, "1"}, {u"c\\nＡ", 1, 1, 1, "2"},
    };
    for (const auto& c : cases) {
        out.text_.clear();
        params.distinguishCase = c.distinguishCase;
        params.distinguishWidth = c.distinguishWidth;
        params.regularExpression = c.regex;
        EXPECT_EQ(Run(c.text), GREP_DONE);
        std::string lines;
        const std::string o = Output();
        for (std::size_t at = 0; (at = o.find("a.txt(", at)) != std::string::npos; at += 6) lines += o[at + 6];
        EXPECT_EQ(lines, c.lines) << U8(c.text) << "\n" << o;
    }
}

TEST_F(Grep, BadPatternAndBadMasksEndBeforeAnyFileIsRead) {
    fs.AddFile(u"C:\\d\\a.txt", "(");
    params.regularExpression = true;
    EXPECT_EQ(Run(u"("), GREP_BAD_PATTERN);
    EXPECT_EQ(U8(params.messageText), "不正な正規表現です");
    EXPECT_EQ(Output(), "");

    params.regularExpression = false;
    params.masks = u"*.txt|*.log";
    EXPECT_EQ(Run(u"("), GREP_BAD_MASKS);
    EXPECT_EQ(U8(params.messageText).rfind("ファイルの種類の指定が不正です\n\nファイルの種類の設定例\n", 0), 0u);
    EXPECT_NE(U8(params.messageText).find("  (4)複数の条件を指定する場合は;で区切ります -> *.txt;*.log\n"), std::string::npos);
    EXPECT_EQ(Output(), "");
}

TEST_F(Grep, UnreadableFilesAndFoldersAreReportedAndTheSearchGoesOn) {
    fs.AddFile(u"C:\\d\\a.txt", "x");
    fs.AddFolder(u"C:\\d\\locked");
    fs.MakeUnreadable(u"C:\\d\\locked");
    fs.AddFile(u"C:\\d\\b.txt", "x");
    fs.MakeUnreadable(u"C:\\d\\a.txt");
    params.searchSubfolders = true;
    EXPECT_EQ(Run(u"x"), GREP_DONE);
    EXPECT_EQ(Output(),
              "Error C:\\d\\a.txt: 読み取れません\n"
              "Error C:\\d\\locked: アクセスが拒否されました。\n"
              "C:\\d\\b.txt(1): x\n");

    out.text_.clear();
    params.folder = u"C:\\missing";
    EXPECT_EQ(Run(u"x"), GREP_DONE);
    EXPECT_EQ(Output(), "Error C:\\missing: アクセスが拒否されました。\n");
}

TEST_F(Grep, LinksAreNeverFollowed) {
    fs.AddFile(u"C:\\d\\a.txt", "x");
    fs.AddLink(u"C:\\d\\loop", true);  // a followed link would list loop\\a.txt
    fs.AddLink(u"C:\\d\\alias.txt", false);
    params.searchSubfolders = true;
    EXPECT_EQ(Run(u"x"), GREP_DONE);
    EXPECT_EQ(Output(), "C:\\d\\a.txt(1): x\n");
}

TEST_F(Grep, CancelStopsAfterTheCurrentResultLine) {
    fs.AddFile(u"C:\\d\\a.txt", "x\nx\nx\n");
    fs.AddFile(u"C:\\d\\b.txt", "x\n");
    ScriptedProgress progress;
    params.progress = &progress;
    // Two queries per entry and line so far: the entry a.txt, its first hit.
    progress.script = {GrepProgress::kRunning, GrepProgress::kPaused, GrepProgress::kCancelled};
    EXPECT_EQ(Run(u"x"), GREP_CANCELLED);
    EXPECT_EQ(Output(), "C:\\d\\a.txt(1): x\n");
    EXPECT_EQ(U8(params.messageText), "検索を中断しました\n");
    EXPECT_EQ(progress.pauses, 1);
    EXPECT_EQ(progress.finished, std::vector<int>{GREP_CANCELLED});
    ASSERT_GE(progress.status.size(), 2u);
    EXPECT_EQ(U8(progress.status[0]), "1:フォルダ: C:\\d");
    EXPECT_EQ(U8(progress.status[1]), "2:ファイル: C:\\d\\a.txt");
}

TEST_F(Grep, CancelAnsweredAfterTheSearchStillCounts) {
    fs.AddFile(u"C:\\d\\a.txt", "x\n");
    ScriptedProgress progress;
    params.progress = &progress;
    // The entry, the hit, then the worker's last question.
    progress.script = {GrepProgress::kRunning, GrepProgress::kRunning, GrepProgress::kCancelled};
    EXPECT_EQ(Run(u"x"), GREP_CANCELLED);
    EXPECT_EQ(Output(), "C:\\d\\a.txt(1): x\n");
    EXPECT_EQ(U8(params.messageText), "検索を中断しました\n");
    EXPECT_EQ(progress.finished, std::vector<int>{GREP_CANCELLED});
}

TEST_F(Grep, BinaryAndOddLinesDoNotCutLinesShort) {
    fs.AddFile(u"C:\\d\\bin.dat", std::string("ab\0cd x\n", 8));
    fs.AddFile(u"C:\\d\\pair.txt", "\xF0\xA0\xAE\xB7x\n");  // 𠮷x, UTF-8
    params.encoding = KanjiCode::UTF8NoSig;
    EXPECT_EQ(Run(u"x"), GREP_DONE);
    EXPECT_EQ(Output(), "C:\\d\\bin.dat(1): ab cd x\nC:\\d\\pair.txt(1): 𠮷x\n");
}

}  // namespace

namespace {

TEST_F(Grep, ARegexThatGivesUpStopsTheSearchWithThatError) {
    fs.AddFile(u"C:\\d\\a.txt", "hit\n" + std::string(40, 'a') + "\nhit\n");
    fs.AddFile(u"C:\\d\\b.txt", "hit\n");
    params.regularExpression = true;
    EXPECT_EQ(Run(u"hit|(a|a)*\\1b"), GREP_SEARCH_FAILED);  // a back-reference: no shortcut tames it
    EXPECT_EQ(Output(), "C:\\d\\a.txt(1): hit\nError C:\\d\\a.txt: 正規表現の照合が複雑すぎます (2行目)\n");
    EXPECT_EQ(U8(params.messageText), "正規表現の照合が複雑すぎるため、検索を中断しました\n");
    EXPECT_EQ(params.hitCount, 1);
}

}  // namespace

namespace {

// A tree large enough that the search takes helper threads: its output,
// progress lines and hit count must be those of a search on one thread.
class GrepOnThreads : public Grep {
protected:
    GrepOnThreads() {
        fs.readsOnAnyThread = true;
        params.searchSubfolders = true;
        params.progress = &progress;
        for (int f = 0; f < 4; ++f) {
            const std::u16string folder = u"C:\\d\\f" + std::u16string(1, char16_t(u'0' + f));
            fs.AddFolder(folder);
            if (f == 2) fs.MakeUnreadable(folder);
            for (int i = 0; i < 60; ++i) {
                const std::u16string path = folder + u"\\" + std::u16string(1, char16_t(u'a' + i % 26)) +
                                            std::u16string(1, char16_t(u'0' + i / 26)) + u".txt";
                std::string text;
                for (int line = 0; line < i % 7; ++line) text += line % 3 ? "miss\n" : "a hit\n";
                fs.AddFile(path, text);
                if (i % 17 == 5) fs.MakeUnreadable(path);
            }
        }
        // One file whose hits outgrow what a helper keeps of a file.
        std::string many;
        for (int line = 0; line < 20000; ++line) many += "hit\n";
        fs.AddFile(u"C:\\d\\f3\\many.txt", many);
        fs.AddFile(u"C:\\d\\z.txt", "last hit\n");
    }
    struct Result {
        int result;
        std::string output, message;
        std::vector<std::u16string> status;
        int hits;
    };
    Result RunWith(int threads, const std::u16string& text) {
        out.text_.clear();
        progress = ScriptedProgress();
        params.threads = threads;
        const int result = Run(text);
        return Result{result, Output(), U8(params.messageText), progress.status, params.hitCount};
    }
    ScriptedProgress progress;
};

TEST_F(GrepOnThreads, WriteWhatOneThreadWrites) {
    for (const char16_t* text : {u"hit", u"miss", u"nothing"}) {
        const Result one = RunWith(1, text), many = RunWith(0, text);
        EXPECT_EQ(many.result, GREP_DONE);
        EXPECT_EQ(many.output, one.output) << U8(text);
        EXPECT_EQ(many.message, one.message);
        EXPECT_EQ(many.status, one.status);
        EXPECT_EQ(many.hits, one.hits);
    }
    EXPECT_NE(RunWith(0, u"hit").output.find("Error C:\\d\\f2: "), std::string::npos);
}

TEST_F(GrepOnThreads, ARegexGivingUpStopsTheSearchWhereOneThreadStops) {
    fs.AddFile(u"C:\\d\\f3\\zz.txt", "hit\n" + std::string(40, 'a') + "\nhit\n");
    params.regularExpression = true;
    const Result one = RunWith(1, u"hit|(a|a)*\\1b"), many = RunWith(0, u"hit|(a|a)*\\1b");
    EXPECT_EQ(one.result, GREP_SEARCH_FAILED);
    EXPECT_EQ(many.result, GREP_SEARCH_FAILED);
    EXPECT_EQ(many.output, one.output);
    EXPECT_EQ(many.message, one.message);
    EXPECT_EQ(many.hits, one.hits);
}

// Together the files' records outgrow what the helpers may hold unwritten,
// so the helpers stop and go on while the worker writes them.
TEST_F(GrepOnThreads, FilesOfManyHitsWriteWhatOneThreadWrites) {
    for (int i = 0; i < 60; ++i) {
        std::string text;
        for (int line = 0; line < 1500 + i; ++line) text += line % 5 ? "a hit\n" : "miss\n";
        fs.AddFile(u"C:\\d\\f1\\big" + std::u16string(1, char16_t(u'a' + i / 10)) +
                       std::u16string(1, char16_t(u'0' + i % 10)) + u".txt",
                   text);
    }
    const Result one = RunWith(1, u"hit"), many = RunWith(0, u"hit");
    EXPECT_EQ(many.result, GREP_DONE);
    EXPECT_EQ(many.output, one.output);
    EXPECT_EQ(many.status, one.status);
    EXPECT_EQ(many.hits, one.hits);

    out.text_.clear();
    progress = ScriptedProgress();
    progress.onQuery = [&](int n) {
        if (n == 40000) progress.script = {GrepProgress::kCancelled};
    };
    EXPECT_EQ(Run(u"hit"), GREP_CANCELLED);
    const std::string part = Output();
    EXPECT_GT(part.size(), std::size_t(40000));
    EXPECT_EQ(one.output.compare(0, part.size(), part), 0);
}

TEST_F(GrepOnThreads, CancelKeepsTheLinesBeforeItInOrder) {
    const std::string all = RunWith(1, u"hit").output;
    for (int at : {30, 200, 2000}) {
        out.text_.clear();
        progress = ScriptedProgress();
        progress.onQuery = [&](int n) {
            if (n == at) progress.script = {GrepProgress::kCancelled};
        };
        params.threads = 0;
        EXPECT_EQ(Run(u"hit"), GREP_CANCELLED);
        const std::string part = Output();
        EXPECT_FALSE(part.empty());
        EXPECT_EQ(all.compare(0, part.size(), part), 0) << at;
        EXPECT_EQ(U8(params.messageText), "検索を中断しました\n");
    }
}

}  // namespace
