// The document against real files: open, save (bytes compared), reload in
// another encoding, close with its questions answered through the seams,
// titles and the modified mark.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/doc_copydata.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/test_files.h"

namespace {

// Records its macro events and status texts.
class TestDoc : public CPavinDoc {
public:
    using CPavinDoc::CPavinDoc;
    std::vector<std::string> events;
    std::vector<std::wstring> status;

protected:
    void FireEvent(const char* name) override { events.push_back(name); }
    void ShowStatusMessage(const std::wstring& text) override { status.push_back(text); }
};

struct Box {
    std::wstring caption, text;
    UINT type;
};

class Document : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({r.caption, r.text, r.type});
            if (answers.empty()) return IDCANCEL;
            const int a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
        SetFileDialogHandler([this](FileDialogRequest& r) {
            dialogs.push_back(r.path);
            if (saveAsPath.empty()) return false;
            r.path = saveAsPath;
            return true;
        });
        root = wtest::MakeTempFolder(L"doc test ");
        doc = new TestDoc(context);
        ASSERT_TRUE(doc->OnNewDocument());
    }
    void TearDown() override {
        delete doc;
        SetMessageBoxHandler(nullptr);
        SetFileDialogHandler(nullptr);
        wtest::RemoveFolder(root);
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        return wtest::WriteFileIn(root, name, bytes);
    }
    std::u16string Text() {
        CEditData& d = doc->Current().data;
        std::u16string t;
        for (int i = 0; i < d.GetLineCount(); ++i) {
            if (i) t += u'|';
            t += d.GetLineText(i);
        }
        return t;
    }
    void Type(const char16_t* s) {
        doc->Current().data.InsertText(s, 1);
        doc->UpdateTitle();
    }
    std::vector<std::wstring> Paths() {
        std::vector<std::wstring> out;
        for (const auto& r : doc->Files().Records()) out.push_back(ToWide(r->path));
        return out;
    }

    CAppContext context;
    TestDoc* doc = nullptr;
    std::vector<Box> boxes;
    std::vector<int> answers;
    std::vector<std::wstring> dialogs;
    std::wstring saveAsPath;
    std::wstring root;
};

// "aあ", then "b", in every encoding and line end.
struct Encoded {
    KanjiCode code;
    const char* name;
    std::string sig, a, b;
};
const Encoded kEncodings[] = {
    {KanjiCode::SJIS, "sjis", "", std::string("a\x82\xa0"), "b"},
    {KanjiCode::EUC, "euc", "", std::string("a\xa4\xa2"), "b"},
    {KanjiCode::JIS, "jis", "", std::string("a\x1b$B$\"\x1b(J"), "b"},  // back to JIS-Roman
    {KanjiCode::Unicode, "utf16le-sig", "\xff\xfe", std::string("a\0\x42\x30", 4), std::string("b\0", 2)},
    {KanjiCode::UTF8, "utf8-sig", "\xef\xbb\xbf", "a\xe3\x81\x82", "b"},
    {KanjiCode::UnicodeNoSig, "utf16le", "", std::string("a\0\x42\x30", 4), std::string("b\0", 2)},
    {KanjiCode::UTF8NoSig, "utf8", "", "a\xe3\x81\x82", "b"},
    {KanjiCode::UTF16BE, "utf16be-sig", "\xfe\xff", std::string("\0a\x30\x42", 4), std::string("\0b", 2)},
    {KanjiCode::UTF16BENoSig, "utf16be", "", std::string("\0a\x30\x42", 4), std::string("\0b", 2)},
};

std::string LineEndBytes(const Encoded& e, int lineEnd) {
    const std::string ends[] = {"\r\n", "\n", "\r"};
    std::string out;
    for (char c : ends[lineEnd - 1]) {
        if (IsUnicodeCode(e.code) && !IsBigEndianCode(e.code)) out += std::string{c, '\0'};
        else if (IsBigEndianCode(e.code)) out += std::string{'\0', c};
        else out += c;
    }
    return out;
}

std::string FileBytes(const Encoded& e, int lineEnd) { return e.sig + e.a + LineEndBytes(e, lineEnd) + e.b; }

TEST_F(Document, OpensAndSavesEveryEncodingAndLineEndByteForByte) {
    for (const auto& e : kEncodings) {
        for (LineEndType lineEnd : kLineEndTypes) {
            const int number = LineEndTypeNumber(lineEnd);
            const std::string bytes = FileBytes(e, number);
            const std::wstring path = Write(L"in.txt", bytes);
            context.openKanjiCode = e.code;
            ASSERT_TRUE(doc->OnOpenDocument(path.c_str())) << e.name;
            EXPECT_EQ(Text(), u"aあ|b") << e.name << number;
            EXPECT_EQ(doc->Current().kanjiCode, e.code);
            EXPECT_EQ(doc->Current().lineEnd, lineEnd) << e.name;
            // Saved unchanged over what another program wrote meanwhile (the
            // question answered Yes): the same bytes; then in every other form.
            Write(L"in.txt", "x");
            answers = {IDYES};
            ASSERT_TRUE(doc->OnFileSave()) << e.name;
            EXPECT_EQ(wtest::ReadBytes(path), bytes) << e.name << number;
            for (const auto& to : kEncodings) {
                const int toEnd = 1 + (number + KanjiCodeNumber(to.code)) % 3;
                doc->Current().kanjiCode = to.code;
                doc->Current().lineEnd = *LineEndTypeFromNumber(toEnd);
                ASSERT_TRUE(doc->OnFileSave());
                EXPECT_EQ(wtest::ReadBytes(path), FileBytes(to, toEnd)) << e.name << " to " << to.name << toEnd;
            }
            ASSERT_TRUE(doc->CloseCurrentFile());
        }
    }
    for (const Box& box : boxes) EXPECT_NE(box.text.find(L"他のプログラムで変更されています"), std::wstring::npos);
    EXPECT_EQ(boxes.size(), std::size(kEncodings) * 3);
}

TEST_F(Document, DetectionOpensWithTheDefaultForPlainAscii) {
    context.settings.defaultKanjiCode = 2;
    context.openKanjiCode = KanjiCode::Detect;
    const std::wstring sjis = Write(L"sjis.txt", "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42\r\n");
    ASSERT_TRUE(doc->OnOpenDocument(sjis.c_str()));
    EXPECT_EQ(Text(), u"日本語の文章です。|");
    EXPECT_EQ(doc->Current().kanjiCode, KanjiCode::SJIS);
    const std::wstring ascii = Write(L"ascii.txt", "plain\n");
    ASSERT_TRUE(doc->OnOpenDocument(ascii.c_str()));
    EXPECT_EQ(doc->Current().kanjiCode, KanjiCode::EUC);
    EXPECT_EQ(context.formatStatusText, L"EUC, LF(\\n)");

    // A document of another context reads with that context's settings and
    // shows its status there; this one's stays.
    CAppContext otherContext;
    otherContext.settings.defaultKanjiCode = 1;
    otherContext.settings.windowTitleIsPathName = 0;
    TestDoc other(otherContext);
    ASSERT_TRUE(other.OnNewDocument());
    ASSERT_TRUE(other.OnOpenDocument(ascii.c_str()));
    EXPECT_EQ(other.Current().kanjiCode, KanjiCode::SJIS);
    EXPECT_EQ(otherContext.formatStatusText, L"SJIS, LF(\\n)");
    EXPECT_EQ(std::wstring(other.GetTitle()), L"ascii.txt");
    EXPECT_EQ(context.formatStatusText, L"EUC, LF(\\n)");
    EXPECT_EQ(std::wstring(doc->GetTitle()), ascii);
}

TEST_F(Document, OpeningReplacesOnlyAnUntouchedUntitledFile) {
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"-", L"無題"}));
    EXPECT_TRUE(doc->Current().newFile);
    const std::wstring a = Write(L"a.txt", "A"), b = Write(L"b.txt", "B");
    ASSERT_TRUE(doc->OnOpenDocument(a.c_str()));
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"-", a}));
    ASSERT_TRUE(doc->OnOpenDocument(b.c_str()));
    ASSERT_TRUE(doc->OnOpenDocument(a.c_str()));  // already open: activated
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"-", a, b}));
    EXPECT_EQ(doc->GetCurrentPath(), a);

    // A typed-into untitled file stays.
    TestDoc* other = new TestDoc(context);
    ASSERT_TRUE(other->OnNewDocument());
    other->Current().data.InsertText(u"x", 1);
    ASSERT_TRUE(other->OnOpenDocument(a.c_str()));
    EXPECT_EQ(other->Files().Count(), 3);
    delete other;
}

TEST_F(Document, AFileThatCannotBeReadSaysWhyAndLeavesNoRecord) {
    const std::wstring locked = Write(L"locked.txt", "secret");
    HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // Larger than any text this build can hold; made by extending an empty
    // file, which costs no disk here.
    const std::wstring huge = root + L"\\huge.txt";
    HANDLE big = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 9LL << 30;
    SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
    SetEndOfFile(big);
    CloseHandle(big);
    const struct {
        const char* what;
        std::wstring path;
        const wchar_t* reason;
    } cases[] = {
        {"in use by another program", locked, L"アクセスが拒否されました。"},
        {"folder", root, L"フォルダです。"},
        {"device", L"Z:\\dev\\null", L"通常のファイルではありません。"},
        {"too large", huge, L"ファイルが大きすぎます。"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        EXPECT_FALSE(doc->OnOpenDocument(c.path.c_str())) << c.what;
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].text, L"ドキュメントを開くことに失敗しました。\n" + c.path + L"\n" + c.reason) << c.what;
        EXPECT_EQ(doc->Files().FindByPath(ToU16(c.path)), -1) << c.what;
    }
    CloseHandle(h);
    DeleteFileW(huge.c_str());
    EXPECT_EQ(doc->Files().Count(), 1);  // the untitled file gave way; only the head is left

    // Reading again a file removed meanwhile: not found, the text stays.
    const std::wstring gone = Write(L"gone.txt", "text");
    ASSERT_TRUE(doc->OnOpenDocument(gone.c_str()));
    DeleteFileW(gone.c_str());
    boxes.clear();
    EXPECT_FALSE(doc->ReloadWithCharset(std::nullopt));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"ドキュメントを開くことに失敗しました。\n" + gone + L"\nファイルまたはフォルダが見つかりません。");
    EXPECT_EQ(Text(), u"text");

    // A missing file opens as a new, empty file of that name.
    const std::wstring fresh = root + L"\\new.txt";
    ASSERT_TRUE(doc->OnOpenDocument(fresh.c_str()));
    EXPECT_EQ(doc->GetCurrentPath(), fresh);
    EXPECT_EQ(Text(), u"");
}

TEST_F(Document, ReloadReadsAgainInAnotherEncodingKeepingTheCaret) {
    context.openKanjiCode = KanjiCode::SJIS;
    const std::wstring path = Write(L"u8.txt", "l1\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\nl3\n");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    EXPECT_NE(Text(), u"l1|日本語|l3|");
    doc->Current().data.SetCaretPos(1, 4);
    doc->events.clear();
    ASSERT_TRUE(doc->ReloadWithCharset(KanjiCode::UTF8NoSig));
    EXPECT_EQ(Text(), u"l1|日本語|l3|");
    EXPECT_EQ(doc->Current().kanjiCode, KanjiCode::UTF8NoSig);
    EXPECT_EQ(doc->Current().data.GetCaretPos().line, 1);
    EXPECT_EQ(doc->Current().data.GetCaretPos().column, 3);  // clamped to the line
    EXPECT_EQ(doc->events, (std::vector<std::string>{"on-close-file", "on-open-file"}));

    // Unsaved changes: asked first; No keeps them.
    Type(u"z");
    answers = {IDNO};
    EXPECT_FALSE(doc->ReloadWithCharset(KanjiCode::SJIS));
    EXPECT_EQ(Text(), u"l1|日本語z|l3|");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"変更を破棄して読み直しますか？");
    EXPECT_EQ(boxes[0].caption, L"確認");

    // The file is gone: the text stays as it was.
    DeleteFileW(path.c_str());
    answers = {IDYES};
    EXPECT_FALSE(doc->ReloadWithCharset(KanjiCode::UTF8NoSig));
    EXPECT_EQ(Text(), u"l1|日本語z|l3|");

    // The untitled file has nothing to read.
    ASSERT_TRUE(doc->OnNewDocument());
    boxes.clear();
    EXPECT_FALSE(doc->ReloadWithCharset(KanjiCode::UTF8NoSig));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"ファイルが存在しません。");
}

TEST_F(Document, TitleCarriesTheModifiedMark) {
    const std::wstring path = Write(L"t.txt", "x");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    EXPECT_EQ(std::wstring(doc->GetTitle()), path);
    EXPECT_FALSE(doc->IsModified());
    Type(u"y");
    EXPECT_EQ(std::wstring(doc->GetTitle()), path + L" *");
    EXPECT_TRUE(doc->IsModified());
    doc->UpdateTitle();
    EXPECT_EQ(std::wstring(doc->GetTitle()), path + L" *");  // once
    ASSERT_TRUE(doc->OnFileSave());
    doc->UpdateTitle();
    EXPECT_EQ(std::wstring(doc->GetTitle()), path);
    context.settings.windowTitleIsPathName = 0;
    doc->BuildTitle();
    EXPECT_EQ(std::wstring(doc->GetTitle()), L"t.txt");
    EXPECT_EQ(wtest::ReadBytes(path), "yx");
}

TEST_F(Document, CloseAsksAndStopsWhenTheSaveDoesNotHappen) {
    const std::wstring path = Write(L"c.txt", "keep");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(u"new ");
    answers = {IDCANCEL};
    EXPECT_FALSE(doc->CloseCurrentFile());
    EXPECT_EQ(doc->GetCurrentPath(), path);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, path + L" への変更を保存しますか?");
    EXPECT_EQ(boxes[0].type & 0xF, UINT(MB_YESNOCANCEL));

    // Yes on a read-only file offers Save As; cancelling it stops the close.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    answers = {IDYES, IDYES};
    EXPECT_FALSE(doc->CloseCurrentFile());
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(doc->GetCurrentPath(), path);
    // ... and a Save As that fails stops it as well.
    saveAsPath = root + L"\\no such folder\\c.txt";
    answers = {IDYES, IDYES, IDOK};
    EXPECT_FALSE(doc->CloseCurrentFile());
    EXPECT_EQ(doc->GetCurrentPath(), path);
    EXPECT_EQ(boxes.back().text.rfind(L"ドキュメントの保存に失敗しました。", 0), 0u);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(wtest::ReadBytes(path), "keep");

    // Yes saves and closes; No closes without saving.
    answers = {IDYES};
    EXPECT_TRUE(doc->CloseCurrentFile());
    EXPECT_EQ(wtest::ReadBytes(path), "new keep");
    EXPECT_EQ(doc->Files().Count(), 1);
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(u"more ");
    answers = {IDNO};
    EXPECT_TRUE(doc->CloseCurrentFile());
    EXPECT_EQ(wtest::ReadBytes(path), "new keep");
}

TEST_F(Document, AReadOnlyFileIsNeverWrittenAndAnotherNameIsOffered) {
    const std::wstring path = Write(L"ro.txt", "mine");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(u"x");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    answers = {IDNO};
    EXPECT_FALSE(doc->OnFileSave());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"読み取り専用"), std::wstring::npos);
    EXPECT_TRUE(dialogs.empty());
    // Save As under the same name is refused as well.
    saveAsPath = path;
    answers = {IDYES, IDOK};
    EXPECT_FALSE(doc->OnFileSave());
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_NE(boxes.back().text.find(L"読み取り専用"), std::wstring::npos);
    EXPECT_EQ(wtest::ReadBytes(path), "mine");
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(doc->Current().data.IsModified());
    // Another name takes the text.
    saveAsPath = root + L"\\ro copy.txt";
    answers = {IDYES};
    EXPECT_TRUE(doc->OnFileSave());
    EXPECT_EQ(wtest::ReadBytes(saveAsPath), "xmine");
    EXPECT_EQ(doc->GetCurrentPath(), saveAsPath);
    EXPECT_EQ(wtest::ReadBytes(path), "mine");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Document, AFileChangedByAnotherProgramAsksBeforeItIsOverwrittenDefaultNo) {
    const std::wstring path = Write(L"shared.txt", "one");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(u"mine ");
    Write(L"shared.txt", "theirs, longer");
    answers = {IDNO};
    EXPECT_FALSE(doc->OnFileSave());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"他のプログラムで変更されています"), std::wstring::npos);
    EXPECT_EQ(boxes[0].type & MB_DEFMASK, UINT(MB_DEFBUTTON2));
    EXPECT_EQ(wtest::ReadBytes(path), "theirs, longer");
    answers = {IDYES};
    EXPECT_TRUE(doc->OnFileSave());
    EXPECT_EQ(wtest::ReadBytes(path), "mine one");
    // Once saved, the next save asks nothing...
    boxes.clear();
    Type(u"more ");
    EXPECT_TRUE(doc->OnFileSave());
    EXPECT_TRUE(boxes.empty());
    // ... until the file is written again: the same size, a later time.
    HANDLE f = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written;
    GetFileTime(f, nullptr, nullptr, &written);
    ULARGE_INTEGER later{{written.dwLowDateTime, written.dwHighDateTime}};
    later.QuadPart += 20000000ULL;  // two seconds
    written = FILETIME{later.LowPart, later.HighPart};
    SetFileTime(f, nullptr, nullptr, &written);
    CloseHandle(f);
    Type(u"again ");
    answers = {IDNO};
    EXPECT_FALSE(doc->OnFileSave());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(wtest::ReadBytes(path), "mine more one");
}

// Needs a small file system with little room, named by WENDREL_FULL_DISK
// (tests/outside/save-guards mounts one and runs this test on it).
TEST_F(Document, AFullDiskIsToldAsSuchAndLeavesTheFileAndNoTemporaryFile) {
    const wchar_t* disk = _wgetenv(L"WENDREL_FULL_DISK");
    if (!disk) GTEST_SKIP() << "no small file system given in WENDREL_FULL_DISK";
    const std::string original(20000, 'a');
    const std::wstring path = wtest::WriteFileIn(disk, L"doc.txt", original);
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(std::u16string(200000, u'b').c_str());
    answers = {IDOK};
    EXPECT_FALSE(doc->OnFileSave());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"ディスクの空き容量が不足しています。"), std::wstring::npos) << wtest::Utf8(boxes[0].text);
    EXPECT_EQ(wtest::ReadBytes(path), original);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((std::wstring(disk) + L"\\*").c_str(), &found);
    std::vector<std::wstring> names;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    EXPECT_EQ(names, std::vector<std::wstring>{L"doc.txt"});
    DeleteFileW(path.c_str());
}

TEST_F(Document, UntitledIsKnownByItsFlagNotItsName) {
    // A real file named like the untitled one is saved in place, not through Save As.
    const std::wstring path = Write(L"無題", "old");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    Type(u"x");
    ASSERT_TRUE(doc->OnFileSave());
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(wtest::ReadBytes(path), "xold");

    // The untitled file always asks for a name, offering the title.
    ASSERT_TRUE(doc->OnNewDocument());
    Type(u"text");
    saveAsPath = root + L"\\named.txt";
    ASSERT_TRUE(doc->OnFileSave());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0], L"無題");
    EXPECT_FALSE(doc->Current().newFile);
    EXPECT_EQ(doc->GetCurrentPath(), saveAsPath);
    EXPECT_EQ(wtest::ReadBytes(saveAsPath), "text");
}

TEST_F(Document, AFailedSaveAsOverAnExistingFileLeavesItWhole) {
    const std::wstring mine = Write(L"mine.txt", "mine");
    const std::wstring theirs = Write(L"theirs.txt", "their precious data");
    ASSERT_TRUE(doc->OnOpenDocument(mine.c_str()));
    HANDLE h = CreateFileW(theirs.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    saveAsPath = theirs;
    answers = {IDOK};
    EXPECT_FALSE(doc->DoSave(nullptr, true));
    CloseHandle(h);
    EXPECT_EQ(wtest::ReadBytes(theirs), "their precious data");
    EXPECT_EQ(doc->GetCurrentPath(), mine);
}

TEST_F(Document, LossySavesAskFirstDefaultNo) {
    const std::wstring path = Write(L"l.txt", "abc");
    context.openKanjiCode = KanjiCode::SJIS;
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    doc->Current().data.SetCaretPos(0, 1);
    Type(u"한");
    answers = {IDNO};
    EXPECT_FALSE(doc->OnFileSave());
    EXPECT_EQ(wtest::ReadBytes(path), "abc");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type & 0xF00, UINT(MB_DEFBUTTON2));
    EXPECT_NE(boxes[0].text.find(L"1 行目の 2 文字目"), std::wstring::npos);
    answers = {IDYES};
    EXPECT_TRUE(doc->OnFileSave());
    EXPECT_EQ(wtest::ReadBytes(path), "a?bc");
    // In an encoding that holds it: no question.
    doc->Current().kanjiCode = KanjiCode::UTF8NoSig;
    Type(u"x");
    boxes.clear();
    EXPECT_TRUE(doc->OnFileSave());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Document, UndecodableBytesAreToldAndSavingOverAsks) {
    context.openKanjiCode = KanjiCode::UTF8NoSig;
    const std::wstring path = Write(L"bad.txt", "ok\xff\xfe!");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    ASSERT_EQ(doc->status.size(), 1u);
    EXPECT_NE(doc->status[0].find(L"2 個"), std::wstring::npos);
    Type(u"x");
    answers = {IDNO};
    EXPECT_FALSE(doc->OnFileSave());
    EXPECT_EQ(wtest::ReadBytes(path), "ok\xff\xfe!");
    EXPECT_EQ(boxes.at(0).type & 0xF00, UINT(MB_DEFBUTTON2));
    // Saved elsewhere the original stays; no question.
    boxes.clear();
    EXPECT_TRUE(doc->DoSave((root + L"\\copy.txt").c_str(), false));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(wtest::ReadBytes(path), "ok\xff\xfe!");
}

TEST_F(Document, CloseAllAnswersForEveryFile) {
    const std::wstring a = Write(L"a.txt", "a"), b = Write(L"b.txt", "b"), c = Write(L"c.txt", "c");
    for (const auto& p : {a, b, c}) ASSERT_TRUE(doc->OnOpenDocument(p.c_str()));
    Type(u"1");  // c modified
    answers = {IDCANCEL};
    EXPECT_FALSE(doc->QuerySaveFile());
    EXPECT_EQ(doc->Files().Count(), 4);
    // Yes to all saves the modified files; an unmodified one is not written
    // over what changed on disk meanwhile.
    ASSERT_TRUE(doc->ActivateFileByPath(b));
    Type(u"2");
    ASSERT_TRUE(doc->ActivateFileByPath(c));
    answers = {4};
    Write(L"a.txt", "changed on disk");
    EXPECT_TRUE(doc->QuerySaveFile());
    EXPECT_EQ(doc->Files().Count(), 1);
    EXPECT_EQ(wtest::ReadBytes(c), "1c");
    EXPECT_EQ(wtest::ReadBytes(b), "2b");
    EXPECT_EQ(wtest::ReadBytes(a), "changed on disk");
    EXPECT_EQ(boxes.size(), 2u);

    for (const auto& p : {a, b}) ASSERT_TRUE(doc->OnOpenDocument(p.c_str()));
    Type(u"2");
    // Yes on a read-only file whose Save As is cancelled: nothing closes.
    SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_READONLY);
    answers = {IDYES};
    EXPECT_FALSE(doc->QuerySaveFile());
    EXPECT_EQ(doc->Files().Count(), 3);
    SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_NORMAL);
    answers = {5};  // no to all
    EXPECT_TRUE(doc->QuerySaveFile());
    EXPECT_EQ(wtest::ReadBytes(b), "2b");
    EXPECT_EQ(doc->Files().Count(), 1);
}

TEST_F(Document, AnswersTheRecordsOfOtherEditors) {
    const std::wstring a = Write(L"a.txt", "1\n2\n3\n"), b = Write(L"b.txt", "b");
    ASSERT_TRUE(doc->OnOpenDocument(a.c_str()));
    ASSERT_TRUE(doc->OnOpenDocument(b.c_str()));
    CDocCopyDataTarget target(*doc, nullptr);
    const auto send = [&](DWORD code, const void* record, DWORD size) {
        COPYDATASTRUCT cds{code, size, const_cast<void*>(record)};
        bool handled = false;
        const LRESULT reply = DispatchCopyData(&cds, target, handled);
        EXPECT_TRUE(handled);
        return reply;
    };
    CopyDataPath path;
    MakePathRecord(ToU16(a), path);
    EXPECT_EQ(send(CD_QUERY_FILE_OPEN, &path, sizeof path), 1);
    EXPECT_EQ(doc->GetCurrentPath(), b);  // asking activates nothing
    EXPECT_EQ(send(CD_QUERY_FILE_OPEN, &path, 100), 0);
    CopyDataPath upper;
    std::wstring shouting = a;
    CharUpperW(shouting.data());
    MakePathRecord(ToU16(shouting), upper);
    EXPECT_EQ(send(CD_QUERY_FILE_OPEN, &upper, sizeof upper), 0);
    EXPECT_EQ(send(CD_ACTIVATE_FILE, &upper, sizeof upper), 0);

    CopyDataOpenAtLine at;
    MakeOpenAtLineRecord(ToU16(a), 2, u"", at);
    EXPECT_EQ(send(CD_OPEN_AT_LINE, &at, sizeof at), 1);
    EXPECT_EQ(doc->GetCurrentPath(), a);
    EXPECT_EQ(doc->Current().data.GetCaretPos().line, 2);
    MakeOpenAtLineRecord(ToU16(a), 99, u"", at);  // past the end: the caret stays
    EXPECT_EQ(send(CD_OPEN_AT_LINE, &at, sizeof at), 1);
    EXPECT_EQ(doc->Current().data.GetCaretPos().line, 2);

    MakePathRecord(ToU16(b), path);
    EXPECT_EQ(send(CD_ACTIVATE_FILE, &path, sizeof path), 1);
    EXPECT_EQ(doc->GetCurrentPath(), b);
}

TEST_F(Document, InsertsAFileAtTheCaretAndAppliesEditSettings) {
    const std::wstring part = Write(L"part.txt", "\xe6\x8c\xbf\xe5\x85\xa5\n");
    const std::wstring path = Write(L"main.txt", "ab");
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    doc->Current().data.SetCaretPos(0, 1);
    EXPECT_FALSE(doc->OnInsertFile());  // the dialog was cancelled
    saveAsPath = part;
    context.openKanjiCode = KanjiCode::Detect;
    ASSERT_TRUE(doc->OnInsertFile());
    EXPECT_EQ(Text(), u"a挿入|b");
    EXPECT_EQ(std::wstring(doc->GetTitle()), path + L" *");

    context.settings.indentMode = 2;
    context.settings.tabAsSpace = 1;
    context.settings.enableConfinement = 0;
    CEditData& data = doc->Current().data;
    ApplyEditSettings(context.settings, data, false);
    EXPECT_EQ(data.GetIndentMode(), 1);
    EXPECT_TRUE(data.GetTabAsSpace());
    const char16_t* none = data.GetFirstConfinementStr();
    EXPECT_TRUE(!none || !*none);
    context.settings.enableConfinement = 1;
    ApplyEditSettings(context.settings, data, true);
    EXPECT_EQ(data.GetIndentMode(), 2);
    EXPECT_EQ(std::u16string(data.GetLastConfinementStr()), context.settings.lastConfinementStr);
}

// Two modes; the current one is a plain number.
class FakeModes : public CDocEditModes {
public:
    int Current() const override { return current; }
    void Select(int index) override { current = index; }
    std::vector<std::u16string> Patterns() const override { return {u"*.txt", u"*.c;*.cpp"}; }
    int ForNewFile() const override { return 1; }
    int current = 0;
};

TEST_F(Document, EachFileKeepsTheEditModeItsNameSelects) {
    FakeModes modes;
    context.editModes = &modes;
    const std::wstring c = Write(L"x.CPP", "int"), t = Write(L"y.txt", "y"), other = Write(L"z.dat", "z");
    ASSERT_TRUE(doc->OnOpenDocument(c.c_str()));
    EXPECT_EQ(modes.current, 1);
    ASSERT_TRUE(doc->OnOpenDocument(t.c_str()));
    EXPECT_EQ(modes.current, 0);
    ASSERT_TRUE(doc->OnOpenDocument(other.c_str()));  // no match: the mode stays
    EXPECT_EQ(modes.current, 0);
    ASSERT_TRUE(doc->ActivateFileByPath(c));
    EXPECT_EQ(modes.current, 1);
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(modes.current, 1);
    EXPECT_EQ(doc->Current().editMode, 1);
}

TEST_F(Document, ReloadKeepsTheScrollPositionOfTheEditingWindow) {
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    const std::wstring path = Write(L"long.txt", text);
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    CDocFile& file = doc->Current();
    file.editor.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 400, 300), parent, 7);
    file.editor.SetEditData(&file.data);
    file.editor.Relayout(0);
    file.data.SetCaretPos(120, 2);
    file.editor.OnScrollBy(0, 100, FALSE);
    const int top = file.editor.GetScrollPos(SB_VERT);
    ASSERT_GT(top, 50);
    ASSERT_TRUE(doc->ReloadWithCharset(KanjiCode::UTF8NoSig));
    EXPECT_EQ(file.editor.GetScrollPos(SB_VERT), top);
    EXPECT_EQ(file.data.GetCaretPos().line, 120);
    EXPECT_EQ(file.data.GetCaretPos().column, 2);
    file.editor.DestroyWindow();
    DestroyWindow(parent);
}

}  // namespace
