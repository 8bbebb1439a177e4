#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/doccore/doc_file_list.h"
#include "app/doccore/doc_text.h"

namespace {

// Records whose editor shows and hides into a shared log.
std::u16string shown;
class Rec : public CDocFileRecord {
public:
    using CDocFileRecord::CDocFileRecord;
    void ShowEditor(bool show) override {
        visible = show;
        shown += (show ? u"+" : u"-") + path;
    }
    bool IsEditorVisible() const override { return visible; }
    bool visible = false;
};

std::unique_ptr<CDocFileRecord> Make(int id, const char16_t* path) { return std::make_unique<Rec>(id, path); }

std::u16string Order(const CDocFileList& list) {
    std::u16string out;
    for (const auto& r : list.Records()) out += r->path + (r.get() == &list.Current() ? u"* " : u" ");
    return out;
}

TEST(DocFileList, ActivateShowsOneEditorAndFindsByExactPath) {
    shown.clear();
    CDocFileList list(Make(0, u"-"));
    EXPECT_EQ(&list.Current(), &list.Head());
    list.Append(Make(1, u"C:\\a.txt"));
    list.Append(Make(2, u"C:\\b.txt"));
    list.ActivateById(1);
    list.ActivateById(1);  // already current and shown: nothing
    list.ActivateById(2);
    list.ActivateById(7);  // unknown: nothing
    EXPECT_EQ(shown, u"--+C:\\a.txt-C:\\a.txt+C:\\b.txt");
    EXPECT_EQ(Order(list), u"- C:\\a.txt C:\\b.txt* ");

    EXPECT_EQ(list.FindByPath(u"C:\\b.txt"), 2);
    EXPECT_EQ(list.FindByPath(u"C:\\B.TXT"), -1);  // case counts
    EXPECT_EQ(list.FindByPath(u"-"), -1);          // the head is no file
    EXPECT_EQ(list.FindById(1)->path, u"C:\\a.txt");
    EXPECT_EQ(list.FindById(9), nullptr);
}

TEST(DocFileList, ClosingPicksThePreviousElseTheNextElseTheHead) {
    CDocFileList list(Make(0, u"-"));
    for (int i = 1; i <= 3; ++i) list.Append(Make(i, (u"f" + std::u16string(1, char16_t(u'0' + i))).c_str()));
    list.ActivateById(3);
    ASSERT_TRUE(list.CloseCurrent());
    EXPECT_EQ(Order(list), u"- f1 f2* ");
    list.ActivateById(1);
    ASSERT_TRUE(list.CloseCurrent());  // the previous is the head: the next
    EXPECT_EQ(Order(list), u"- f2* ");
    ASSERT_TRUE(list.CloseCurrent());
    EXPECT_EQ(Order(list), u"-* ");
    EXPECT_FALSE(list.CloseCurrent());  // the head stays
    EXPECT_EQ(list.Count(), 1);
}

TEST(DocTexts, TitlesAndStatus) {
    EXPECT_EQ(BuildDocTitle(u"C:\\dir\\a.txt", true, false), u"C:\\dir\\a.txt");
    EXPECT_EQ(BuildDocTitle(u"C:\\dir\\a.txt", false, true), u"a.txt *");
    EXPECT_EQ(BuildDocTitle(u"無題", false, false), u"無題");
    struct Case {
        KanjiCode code;
        LineEndType lineEnd;
        std::u16string text;
    } cases[] = {
        {KanjiCode::SJIS, LineEndType::CRLF, u"SJIS, CRLF(\\r\\n)"},
        {KanjiCode::EUC, LineEndType::LF, u"EUC, LF(\\n)"},
        {KanjiCode::JIS, LineEndType::CR, u"JIS, CR(\\r)"},
        {KanjiCode::Unicode, LineEndType::CRLF, u"UNICODE, CRLF(\\r\\n)"},
        {KanjiCode::UTF8, LineEndType::LF, u"UTF8, LF(\\n)"},
        {KanjiCode::UnicodeNoSig, LineEndType::LF, u"UNICODE(no sig.), LF(\\n)"},
        {KanjiCode::UTF8NoSig, LineEndType::CR, u"UTF8(no sig.), CR(\\r)"},
        {KanjiCode::UTF16BE, LineEndType::CRLF, u"UTF16BE, CRLF(\\r\\n)"},
        {KanjiCode::UTF16BENoSig, LineEndType::LF, u"UTF16BE(no sig.), LF(\\n)"},
        {KanjiCode::Detect, LineEndType::CRLF, u", CRLF(\\r\\n)"},  // detection is no encoding to name
    };
    for (const auto& c : cases) EXPECT_EQ(FormatStatusText(c.code, c.lineEnd), c.text) << KanjiCodeNumber(c.code);
}

TEST(DocTexts, EditModeByExtension) {
    const std::vector<std::u16string> modes = {u"*.txt", u"*.c;*.cpp;*.H", u"*.htm;*.html", u"*.pl"};
    struct Case {
        std::u16string path;
        int mode;
    } cases[] = {
        {u"C:\\a.txt", 0},  {u"C:\\x.y\\a.h", 1}, {u"C:\\a.CPP", 1},
        {u"C:\\Temporary Internet Files\\page[1].php", 2},
        {u"C:\\a.p", -1},   {u"C:\\Makefile", -1}, {u"C:\\x.txt\\noext", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(EditModeForPath(c.path, modes), c.mode);
}

TEST(DocTexts, SaveAsStartsFromThePathElseTheTitle) {
    struct Case {
        std::u16string path, title;
        bool replace;
        std::u16string mode, name;
    } cases[] = {
        {u"C:\\d\\a.txt", u"a.txt", true, u"*.txt", u"C:\\d\\a.txt"},
        {u"", u"無題", true, u"*.txt;*.log", u"無題.txt"},
        {u"", u"memo 2#x", true, u"*.c", u"memo.c"},
        {u"", u"C:\\tmp\\x", true, u"", u"x"},
        {u"C:\\d\\README", u"README", true, u"*.txt", u"C:\\d\\README.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(DefaultSaveName(c.path, c.title, c.replace, c.mode), c.name);
}

}  // namespace
