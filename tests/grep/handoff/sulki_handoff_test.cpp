// A result line handed to an editor: the open-and-search record built from
// lines on a table, the editor that has the file, opens it or is started,
// the older editor's form, and lines that are no hit.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/base/instance_handoff.h"
#include "app/base/winutil.h"
#include "framework/seams.h"
#include "grep/ui/sulki_handoff.h"
#include "tests/grep/fake_editor.h"

namespace {

using gtest_sulki::FakeEditor;

void Touch(const std::wstring& path) {
    ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

class SulkiHandoff : public ::testing::Test {
protected:
    void SetUp() override {
        GetHandoffTimeouts() = HandoffTimeouts{500, 500, 300};
        SetProcessStartHandler([this](const ProcessStartRequest& r) {
            started.push_back(r);
            return startSucceeds;
        });
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        ::GetLongPathNameW(tmp, tmp, MAX_PATH);
        root = std::wstring(tmp) + L"sulki handoff " + std::to_wstring(::GetCurrentProcessId());
        for (const wchar_t* dir : {L"", L"\\a(1)", L"\\my dir", L"\\日本語", L"\\Case"})
            ::CreateDirectoryW((root + dir).c_str(), nullptr);
        for (const wchar_t* file : {L"\\a(1)\\b.txt", L"\\my dir\\read me.txt", L"\\日本語\\メモ（１）.txt",
                                    L"\\Case\\File.TXT"})
            Touch(root + file);
        search.text = L"検索(.+)";
        search.matchCase = true;
        search.regex = true;
    }
    void TearDown() override { SetProcessStartHandler(nullptr); }

    std::wstring root;
    SulkiSearchSpec search;
    std::vector<ProcessStartRequest> started;
    bool startSucceeds = false;
};

CopyDataOpenAndSearch RecordOf(const FakeEditor::Received& r) {
    CopyDataOpenAndSearch out{};
    EXPECT_EQ(r.bytes.size(), sizeof out);
    std::memcpy(&out, r.bytes.data(), std::min(r.bytes.size(), sizeof out));
    return out;
}

TEST_F(SulkiHandoff, EditorWithTheFileGetsTheRecord) {
    struct Case {
        std::wstring line;
        std::wstring path;  // empty: no record
        int lineNo;
    };
    const std::wstring lower = [&] {
        std::wstring s = root + L"\\case\\file.txt";
        return s;
    }();
    const Case cases[] = {
        {root + L"\\a(1)\\b.txt(12): if (x): y", root + L"\\a(1)\\b.txt", 11},
        {root + L"\\my dir\\read me.txt(1):  blanks ", root + L"\\my dir\\read me.txt", 0},
        {root + L"\\日本語\\メモ（１）.txt(2147483647): 検索", root + L"\\日本語\\メモ（１）.txt", 2147483646},
        {lower + L"(3): the name as stored on disk", root + L"\\Case\\File.TXT", 2},
        {root + L"\\a(1)\\b.txt(0): zero", L"", 0},
        {root + L"\\a(1)\\b.txt(2147483648): too far", L"", 0},
        {root + L"\\a(1)\\b.txt(1x): letters", L"", 0},
        {L"Error " + root + L"\\a(1): 読めません", L"", 0},
        {L"'" + root + L"' を検索中...", L"", 0},
        {L"3個，検索されました。", L"", 0},
    };
    FakeEditor editor(FakeEditor::Current, {root + L"\\a(1)\\b.txt", root + L"\\my dir\\read me.txt",
                                            root + L"\\日本語\\メモ（１）.txt", root + L"\\Case\\File.TXT"});
    size_t seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const bool sent = HandOffResultLine(c.line, search, kCurrentEditor, GetModuleDir());
        const auto got = editor.Got();
        EXPECT_EQ(sent, !c.path.empty());
        if (c.path.empty()) {
            EXPECT_EQ(got.size(), seen);
            continue;
        }
        ASSERT_EQ(got.size(), seen + 2);
        EXPECT_EQ(got[seen].code, static_cast<ULONG_PTR>(CD_QUERY_FILE_OPEN));
        EXPECT_EQ(got[seen + 1].code, static_cast<ULONG_PTR>(CD_OPEN_AND_SEARCH));
        const CopyDataOpenAndSearch r = RecordOf(got[seen + 1]);
        EXPECT_EQ(std::wstring(AsWide(r.path)), c.path);
        EXPECT_EQ(std::wstring(AsWide(r.pattern)), search.text);
        EXPECT_EQ(r.matchCase, 1);
        EXPECT_EQ(r.widthSensitive, 0);
        EXPECT_EQ(r.regex, 1);
        EXPECT_EQ(r.line, c.lineNo);
        seen = got.size();
    }
    EXPECT_TRUE(started.empty());
}

// No editor has the file: the first one is asked to open it, then gets the
// record. A search text too long for the record sends nothing at all.
TEST_F(SulkiHandoff, RunningEditorOpensTheFileFirst) {
    FakeEditor editor(FakeEditor::Current, {});
    const std::wstring path = root + L"\\a(1)\\b.txt";
    EXPECT_TRUE(HandOffResultLine(path + L"(4): x", search, kCurrentEditor, GetModuleDir()));
    EXPECT_EQ(editor.Codes(), (std::vector<ULONG_PTR>{CD_QUERY_FILE_OPEN, CD_OPEN_FILE, CD_QUERY_FILE_OPEN,
                                                      CD_OPEN_AND_SEARCH}));
    SulkiSearchSpec tooLong = search;
    tooLong.text.assign(1024, L'x');
    EXPECT_FALSE(HandOffResultLine(path + L"(4): x", tooLong, kCurrentEditor, GetModuleDir()));
    EXPECT_EQ(editor.Got().size(), 4u);
}

// No editor runs: one is started beside the program, by its quoted path
// given as the application too; when none shows up, nothing is sent.
TEST_F(SulkiHandoff, NoEditorStartsOne) {
    const std::wstring path = root + L"\\my dir\\read me.txt";
    EXPECT_FALSE(HandOffResultLine(path + L"(4): x", search, kCurrentEditor, GetModuleDir()));
    ASSERT_EQ(started.size(), 1u);
    const std::wstring program = GetModuleDir() + L"wendrel.exe";
    EXPECT_EQ(started[0].application, program);
    EXPECT_EQ(started[0].parameters, L"\"" + program + L"\" \"" + path + L"\"");
    EXPECT_TRUE(started[0].waitForIdle);
}

// The older editor: found by its class and asked by path, then sent its own
// request; when it does not have the file it is started, and a failed start
// sends nothing.
TEST_F(SulkiHandoff, OlderEditorGetsItsOwnRequest) {
    const std::wstring path = root + L"\\a(1)\\b.txt";
    {
        FakeEditor older(FakeEditor::Older, {path});
        EXPECT_TRUE(HandOffResultLine(path + L"(7): x", search, kOlderEditor, L"C:\\prog\\"));
        const auto got = older.Got();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].code, static_cast<ULONG_PTR>(CD_QUERY_FILE_OPEN));
        EXPECT_EQ(got[0].bytes.size(), 520u);
        EXPECT_EQ(got[1].code, static_cast<ULONG_PTR>(CD_OPEN_AND_SEARCH));
        ASSERT_EQ(got[1].bytes.size(), sizeof(PavinSearchRequest));
        PavinSearchRequest r{};
        std::memcpy(&r, got[1].bytes.data(), sizeof r);
        EXPECT_EQ(std::wstring(AsWide(r.pattern)), search.text);
        EXPECT_EQ(r.matchCase, 1);
        EXPECT_EQ(r.regex, 1);
        EXPECT_EQ(r.line, 6);
    }
    FakeEditor other(FakeEditor::Older, {});
    EXPECT_FALSE(HandOffResultLine(path + L"(7): x", search, kOlderEditor, L"C:\\prog\\"));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].application, L"C:\\prog\\pavin.exe");
    EXPECT_EQ(started[0].parameters, L"\"C:\\prog\\pavin.exe\" \"" + path + L"\"");
    EXPECT_EQ(other.Codes(), std::vector<ULONG_PTR>{CD_QUERY_FILE_OPEN});
}

TEST_F(SulkiHandoff, EditorBesideTheProgramChoosesTheForm) {
    const std::wstring dir = root + L"\\prog\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    // Left by an earlier run of the same process id.
    ::DeleteFileW((dir + L"wendrel.exe").c_str());
    ::DeleteFileW((dir + L"pavin.exe").c_str());
    EXPECT_EQ(DetectEditor(dir), kOlderEditor);  // neither
    ::CreateDirectoryW((dir + L"wendrel.exe").c_str(), nullptr);
    EXPECT_EQ(DetectEditor(dir), kOlderEditor);  // a folder of that name
    ::RemoveDirectoryW((dir + L"wendrel.exe").c_str());
    Touch(dir + L"wendrel.exe");
    EXPECT_EQ(DetectEditor(dir), kCurrentEditor);
    Touch(dir + L"pavin.exe");
    EXPECT_EQ(DetectEditor(dir), kOlderEditor);
}

}  // namespace
