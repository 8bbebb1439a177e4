// The file tabs in the real view with its document: tab order through
// opening, closing, moving, dragging and sorting; the question for several
// files with every answer and the files on disk checked after each; save
// all; middle click, close buttons, tips, command states; what the strip
// paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/cmdtarget.h"
#include "framework/ole.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/test_files.h"
#include "view/pavin_view.h"
#include "view/query_close_dlg.h"

namespace {

// Drops need OLE on the thread before the windows are made.
const COleThread g_ole;

class QuietDoc : public CPavinDoc {
public:
    using CPavinDoc::CPavinDoc;

protected:
    void FireEvent(const char*) override {}
    void ShowStatusMessage(const std::wstring&) override {}
};

constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kActive = RGB(250, 240, 200);
constexpr COLORREF kInactive = RGB(170, 200, 235);
constexpr COLORREF kButton = RGB(240, 120, 120);

struct Question {
    UINT templateId;
    std::wstring text;
};

class Tabs : public ::testing::Test {
protected:
    void SetUp() override {
        context.settings.fileTabTextColor = kText;
        context.settings.fileTabActiveBkColor = kActive;
        context.settings.fileTabNoActiveBkColor = kInactive;
        context.settings.fileTabBtnColor = kButton;
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return IDCANCEL;
        });
        SetFileDialogHandler([this](FileDialogRequest& r) {
            // What was already on disk when the name was asked.
            savedWhenAsked = wtest::ReadBytes(root + L"\\t1.txt");
            if (saveAsPath.empty()) return false;
            r.path = saveAsPath;
            return true;
        });
        SetModalDialogHandler([this](const ModalDialogRequest& r) {
            wchar_t text[1024] = {};
            ::GetDlgItemTextW(r.dialog, IDC_QUERY_CLOSE_TEXT, text, 1024);
            questions.push_back({r.templateId, text});
            const int button = buttons.empty() ? IDCANCEL : buttons.front();
            if (!buttons.empty()) buttons.erase(buttons.begin());
            HWND item = ::GetDlgItem(r.dialog, button);
            if (!item) {
                ADD_FAILURE() << "no button " << button;
                ::EndDialog(r.dialog, IDCANCEL);
                return;
            }
            ::SendMessageW(item, BM_CLICK, 0, 0);
        });
        root = wtest::MakeTempFolder(L"tabs test ");
        doc = new QuietDoc(context);
        view = new CPavinView(context);
        view->SetDocument(doc);
        CWnd::RegisterWindowClass(L"TORKA_View", CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
        ASSERT_TRUE(view->CreateEx(0, L"TORKA_View", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                   CRect(0, 0, 700, 300), wtest::SharedHost(), reinterpret_cast<HMENU>(1)));
        ASSERT_TRUE(doc->OnNewDocument());
    }
    void TearDown() override {
        view->DestroyWindow();
        delete doc;
        SetMessageBoxHandler(nullptr);
        SetFileDialogHandler(nullptr);
        SetModalDialogHandler(nullptr);
        wtest::RemoveFolder(root);
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        return wtest::WriteFileIn(root, name, bytes);
    }
    // Opens each name (its text is the name without ".txt").
    std::vector<std::wstring> Open(std::initializer_list<const wchar_t*> names) {
        std::vector<std::wstring> paths;
        for (const wchar_t* name : names) {
            std::wstring stem = name;
            stem = stem.substr(0, stem.find(L'.'));
            paths.push_back(Write(name, std::string(stem.begin(), stem.end())));
            EXPECT_TRUE(doc->OnOpenDocument(paths.back().c_str()));
        }
        return paths;
    }
    void TypeIn(const std::wstring& path) {
        ASSERT_TRUE(doc->ActivateFileByPath(path));
        doc->Current().data.InsertText(u"+", 1);
        doc->UpdateTitle();
    }
    CFileTabCtrl& Strip() { return view->Tabs().Strip(); }
    std::vector<std::wstring> Titles() {
        std::vector<std::wstring> out;
        for (int i = 0; i < Strip().GetItemCount(); ++i) out.push_back(Strip().GetItemText(i));
        return out;
    }
    std::wstring Current() { return TabTitleOf(doc->GetCurrentPath(), false); }
    std::wstring Selected() { return Strip().GetCurSel() < 0 ? L"" : Strip().GetItemText(Strip().GetCurSel()); }
    void Command(UINT id) { view->OnCmdMsg(id, nullptr); }
    bool Enabled(UINT id) {
        CCmdUI ui = CCmdUI::ForProbe(id);
        EXPECT_TRUE(view->OnCmdMsg(id, &ui));
        return ui.enabled();
    }
    CPoint Center(int tab) {
        const CRect r = Strip().GetItemRect(tab);
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void MiddleClick(CPoint down, CPoint up) {
        Strip().SendMessage(WM_MBUTTONDOWN, MK_MBUTTON, down.ToLParam());
        Strip().SendMessage(WM_MBUTTONUP, 0, up.ToLParam());
    }

    CAppContext context;
    QuietDoc* doc = nullptr;
    CPavinView* view = nullptr;
    std::wstring root;
    std::vector<std::wstring> boxes;
    std::vector<Question> questions;
    std::vector<int> buttons;
    std::wstring saveAsPath;
    std::string savedWhenAsked;
};

using Names = std::vector<std::wstring>;

TEST(TabTitle, IsTheFileNameOrTheFolderAndFileName) {
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* withParent;
    } cases[] = {
        {L"C:\\a\\b.txt", L"b.txt", L"a\\b.txt"},
        {L"C:\\b.txt", L"b.txt", L"b.txt"},
        {L"無題", L"無題", L"無題"},
        {L"\\only", L"\\only", L"\\only"},
        {L"Z:\\x\\\U0001F600\\y.txt", L"y.txt", L"\U0001F600\\y.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TabTitleOf(c.path, false), c.name) << c.path;
        EXPECT_EQ(TabTitleOf(c.path, true), c.withParent) << c.path;
    }
}

TEST_F(Tabs, FollowTheFilesThroughOpeningClosingMovingAndSorting) {
    EXPECT_EQ(Titles(), Names{L"無題"});
    // The file system ignores case: the two names live in two folders.
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    Open({L"b.txt", L"A.txt", L"sub\\a.txt", L"c.txt"});
    // The untitled file gave way to the first one opened.
    EXPECT_EQ(Titles(), (Names{L"b.txt", L"A.txt", L"a.txt", L"c.txt"}));
    EXPECT_EQ(Selected(), L"c.txt");
    EXPECT_EQ(Current(), L"c.txt");
    // Opening a file that is open selects its tab.
    ASSERT_TRUE(doc->OnOpenDocument((root + L"\\A.txt").c_str()));
    EXPECT_EQ(Selected(), L"A.txt");
    EXPECT_EQ(Current(), L"A.txt");

    Command(ID_TAB_MOVE_LEFT);
    EXPECT_EQ(Titles(), (Names{L"A.txt", L"b.txt", L"a.txt", L"c.txt"}));
    EXPECT_EQ(Current(), L"A.txt");
    Command(ID_TAB_MOVE_LAST);
    EXPECT_EQ(Titles(), (Names{L"b.txt", L"a.txt", L"c.txt", L"A.txt"}));
    Command(ID_WINDOW_NEXT);  // from the last round to the first
    EXPECT_EQ(Current(), L"b.txt");
    Command(ID_WINDOW_PREV);
    EXPECT_EQ(Current(), L"A.txt");
    Command(ID_TAB_MOVE_FIRST);
    Command(ID_TAB_MOVE_RIGHT);
    EXPECT_EQ(Titles(), (Names{L"b.txt", L"A.txt", L"a.txt", L"c.txt"}));
    EXPECT_EQ(Selected(), L"A.txt");

    // Exact code units: upper case before lower case.
    Command(ID_TAB_SORT);
    EXPECT_EQ(Titles(), (Names{L"A.txt", L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(Current(), L"A.txt");
    EXPECT_EQ(Selected(), L"A.txt");

    // Closing the current file's tab: the document's neighbour shows.
    Command(ID_WINDOW_NEXT);
    ASSERT_TRUE(doc->CloseCurrentFile());
    EXPECT_EQ(Titles(), (Names{L"A.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(Selected(), Current());
    // The closed file's tab goes, the file that was current stays current.
    Command(ID_TAB_MOVE_LAST);
    EXPECT_EQ(Current(), L"A.txt");
    view->Tabs().CloseTab(0);
    EXPECT_EQ(Titles(), (Names{L"c.txt", L"A.txt"}));
    EXPECT_EQ(Current(), L"A.txt");
    EXPECT_EQ(Selected(), L"A.txt");
    while (doc->Files().Count() > 1) ASSERT_TRUE(doc->CloseCurrentFile());
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(view->Tabs().StripHeight(), 0);
}

TEST_F(Tabs, TheModifiedMarkShowsOnTheTab) {
    const auto paths = Open({L"one.txt", L"two.txt"});
    TypeIn(paths[0]);
    EXPECT_EQ(Titles(), (Names{L"one.txt *", L"two.txt"}));
    doc->Current().data.Undo();
    doc->UpdateTitle();
    EXPECT_EQ(Titles(), (Names{L"one.txt", L"two.txt"}));
}

TEST_F(Tabs, CommandsAreEnabledByThePlaceOfTheSelectedTab) {
    const UINT ids[] = {ID_WINDOW_NEXT,     ID_TAB_SORT,       ID_TAB_MOVE_LEFT,  ID_TAB_MOVE_FIRST,
                        ID_TAB_CLOSE_LEFT,  ID_TAB_MOVE_RIGHT, ID_TAB_MOVE_LAST,  ID_TAB_CLOSE_RIGHT,
                        ID_TAB_CLOSE_OTHERS};
    const auto states = [&] {
        std::string s;
        for (UINT id : ids) s += Enabled(id) ? '1' : '0';
        return s;
    };
    Open({L"a.txt"});
    EXPECT_EQ(states(), "000000000");
    Open({L"b.txt", L"c.txt"});
    EXPECT_EQ(states(), "111110001");  // the last one
    Command(ID_WINDOW_NEXT);
    EXPECT_EQ(states(), "110001111");  // the first one
    Command(ID_WINDOW_NEXT);
    EXPECT_EQ(states(), "111111111");  // in the middle
    // Close right from the middle closes only the third.
    Command(ID_TAB_CLOSE_RIGHT);
    EXPECT_EQ(Titles(), (Names{L"a.txt", L"b.txt"}));
    EXPECT_EQ(Current(), L"b.txt");
    EXPECT_TRUE(questions.empty());
}

TEST_F(Tabs, MiddleClickClosesTheTabOnlyWhenSetAndOnlyForAClick) {
    Open({L"a.txt", L"b.txt", L"c.txt"});
    context.settings.tabCloseAtMClick = 0;
    MiddleClick(Center(0), Center(0));
    EXPECT_EQ(Strip().GetItemCount(), 3);
    context.settings.tabCloseAtMClick = 1;
    // Released 6 pixels away: no click.
    MiddleClick(Center(0), CPoint(Center(0).x + 6, Center(0).y));
    EXPECT_EQ(Strip().GetItemCount(), 3);
    // Pressed on one tab and released on the next: no click.
    MiddleClick(Center(0), Center(1));
    EXPECT_EQ(Strip().GetItemCount(), 3);
    MiddleClick(Center(0), CPoint(Center(0).x + 5, Center(0).y - 5));
    EXPECT_EQ(Titles(), (Names{L"b.txt", L"c.txt"}));
    EXPECT_EQ(Current(), L"c.txt");
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Tabs, EveryTabHasACloseButtonThatClosesIt) {
    Open({L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt"});
    const auto visibleButtons = [&] {
        int n = 0;
        for (int i = 0; i < Strip().CloseButtonCount(); ++i)
            n += ::IsWindowVisible(Strip().TabCloseButton(i).m_hWnd) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(visibleButtons(), 5);
    // Each sits at the right end of its tab.
    for (int i = 0; i < 5; ++i) {
        const CCloseBtn& b = Strip().TabCloseButton(i);
        CRect r = b.GetWindowRect();
        Strip().ScreenToClient(reinterpret_cast<POINT*>(&r.left));
        EXPECT_EQ(r.left, Strip().GetItemRect(i).right - 16 - 3) << i;
        EXPECT_EQ(b.tabIndex, i);
    }
    ::SendMessageW(Strip().TabCloseButton(1).m_hWnd, BM_CLICK, 0, 0);
    ::SendMessageW(Strip().TabCloseButton(3).m_hWnd, BM_CLICK, 0, 0);  // e.txt, now fourth
    EXPECT_EQ(Titles(), (Names{L"a.txt", L"c.txt", L"d.txt"}));
    EXPECT_EQ(visibleButtons(), 3);
    EXPECT_EQ(Strip().CloseButtonCount(), 5);
    // The view's own close button is hidden while the tabs carry theirs.
    EXPECT_FALSE(::IsWindowVisible(view->Tabs().CloseButton().m_hWnd));
}

TEST_F(Tabs, WithoutButtonsOnTheTabsTheViewsOwnButtonClosesTheCurrentFile) {
    context.settings.closeBtnOnTab = 0;
    context.settings.hideTabBarAtOne = 1;
    Open({L"a.txt"});
    CCloseBtn& button = view->Tabs().CloseButton();
    // One file and the bar hidden at one: no strip, no button.
    EXPECT_EQ(view->Tabs().StripHeight(), 0);
    EXPECT_FALSE(::IsWindowVisible(button.m_hWnd));
    Open({L"b.txt"});
    const CRect client = view->GetClientRect();
    EXPECT_GT(view->Tabs().StripHeight(), 0);
    EXPECT_EQ(Strip().GetWindowRect().Width(), client.Width() - 20);
    EXPECT_EQ(Strip().CloseButtonCount(), 0);
    ASSERT_TRUE(::IsWindowVisible(button.m_hWnd));
    CRect r = button.GetWindowRect();
    view->ScreenToClient(reinterpret_cast<POINT*>(&r.right));
    EXPECT_EQ(r.right, client.right);
    ::SendMessageW(button.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(Titles(), Names{L"a.txt"});
    ::SendMessageW(button.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_TRUE(Titles().empty());
    EXPECT_FALSE(::IsWindowEnabled(button.m_hWnd));
}

TEST_F(Tabs, TitlesWithTheFolderWhenAskedAndTheMultiRowStyle) {
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    const auto paths = Open({L"sub\\x.txt", L"y.txt"});
    TypeIn(paths[0]);
    context.settings.tabTitleIsPathName = 1;
    context.settings.tabMultiRow = 1;
    doc->UpdateAllViews(nullptr, HINT_TAB_TITLES);
    const std::wstring folder = TabTitleOf(root, false);
    EXPECT_EQ(Titles(), (Names{L"sub\\x.txt *", folder + L"\\y.txt"}));
    EXPECT_TRUE(Strip().GetStyle() & TCS_MULTILINE);
    context.settings.tabTitleIsPathName = 0;
    context.settings.tabMultiRow = 0;
    doc->UpdateAllViews(nullptr, HINT_TAB_TITLES);
    EXPECT_EQ(Titles(), (Names{L"x.txt *", L"y.txt"}));
    EXPECT_FALSE(Strip().GetStyle() & TCS_MULTILINE);
}

TEST_F(Tabs, TheTipShowsTheFullPathOfAFileWithOne) {
    const auto paths = Open({L"a.txt"});
    ASSERT_TRUE(doc->OnNewDocument());
    const auto tip = [&](int tab) {
        FileTabTipRequest request{};
        request.hdr = {Strip().m_hWnd, UINT_PTR(tab), TABN_GETTOOLTIP};
        request.text[0] = L'x';
        view->SendMessage(WM_NOTIFY, IDC_FILE_TAB, reinterpret_cast<LPARAM>(&request));
        return std::wstring(request.text);
    };
    EXPECT_EQ(tip(0), paths[0]);
    EXPECT_EQ(tip(1), L"");  // untitled
}

TEST_F(Tabs, RestingThePointerOnATabShowsItsPathInTheTip) {
    const auto paths = Open({L"a.txt"});
    ASSERT_TRUE(doc->OnNewDocument());
    const auto rest = [&](int tab) {
        CPoint point = Center(tab);
        CPoint screen = point;
        Strip().ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        Strip().SendMessage(WM_MOUSEMOVE, 0, point.ToLParam());
        const DWORD start = ::GetTickCount();
        while (!Strip().Tip().IsShown() && ::GetTickCount() - start < 1500) wtest::Pump(50);
        const bool shown = Strip().Tip().IsShown();
        Strip().Tip().Hide();
        return shown;
    };
    ASSERT_TRUE(rest(0));
    EXPECT_EQ(Strip().Tip().text, paths[0]);
    EXPECT_FALSE(rest(1));  // untitled: no path, no tip
}

// A drag of the tab-index format onto the strip.
struct TabDrop {
    explicit TabDrop(const void* bytes, size_t size) {
        source.CacheGlobalData(CFileTabCtrl::TabIndexFormat(), GlobalFromBytes(bytes, size));
        data = source.GetDataObject();
    }
    ~TabDrop() { data->Release(); }
    COleDataSource source;
    IDataObject* data;
};

TEST_F(Tabs, ADroppedTabMovesOnlyInTheStripsOwnDragWithAValidIndex) {
    Open({L"a.txt", L"b.txt", L"c.txt"});
    view->Tabs().ActivateTab(0);
    CFileTabCtrl& strip = Strip();
    const CRect b = strip.GetItemRect(1);
    const CPoint bRight(b.right - 4, (b.top + b.bottom) / 2), bLeft(b.left + 4, bRight.y);
    const int32_t first = 0;

    // Not our drag (another program's data in our format): refused.
    {
        TabDrop drop(&first, 4);
        EXPECT_EQ(strip.OnDragOver(drop.data, 0, bRight), DWORD(DROPEFFECT_NONE));
        strip.insertIndex = 2;
        EXPECT_FALSE(strip.Drop(drop.data, DROPEFFECT_MOVE, bRight));
    }
    // Our drag, but a block too short or an index out of range: refused.
    struct Bad {
        int32_t index;
        size_t size;
        int source;
    } bad[] = {{0, 2, 0}, {7, 4, 7}, {-1, 4, -1}, {1, 4, 0}};
    for (const Bad& c : bad) {
        TabDrop drop(&c.index, c.size);
        strip.dragSource = c.source;
        strip.insertIndex = 2;
        EXPECT_FALSE(strip.Drop(drop.data, DROPEFFECT_MOVE, bRight)) << c.index << " " << c.size;
        strip.dragSource = -1;
    }
    EXPECT_EQ(Titles(), (Names{L"a.txt", L"b.txt", L"c.txt"}));

    TabDrop drop(&first, 4);
    strip.dragSource = 0;
    // Onto itself and onto the left half of its right neighbour: no move.
    EXPECT_EQ(strip.OnDragOver(drop.data, 0, Center(0)), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(strip.insertIndex, 0);
    EXPECT_FALSE(strip.Drop(drop.data, DROPEFFECT_MOVE, Center(0)));
    EXPECT_EQ(strip.OnDragOver(drop.data, 0, bLeft), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(strip.insertIndex, 1);
    EXPECT_FALSE(strip.Drop(drop.data, DROPEFFECT_MOVE, bLeft));
    EXPECT_EQ(Titles(), (Names{L"a.txt", L"b.txt", L"c.txt"}));
    // Onto its right half: one place right.
    EXPECT_EQ(strip.OnDragOver(drop.data, 0, bRight), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(strip.insertIndex, 2);
    EXPECT_TRUE(strip.Drop(drop.data, DROPEFFECT_MOVE, bRight));
    strip.dragSource = -1;
    EXPECT_EQ(strip.insertIndex, -1);
    EXPECT_EQ(Titles(), (Names{L"b.txt", L"a.txt", L"c.txt"}));
    EXPECT_EQ(Current(), L"a.txt");
    EXPECT_EQ(Selected(), L"a.txt");
}

// Closing the tabs right of the first, with the question answered by its
// buttons. Files: keep (selected), m1 (modified), u (unmodified, changed
// on disk by someone else meanwhile), m2 (modified).
TEST_F(Tabs, ClosingSeveralAsksForEachModifiedFileAndActsOnEveryAnswer) {
    struct Case {
        const char* name;
        std::vector<int> buttons;
        size_t questions;
        const char *m1, *m2;
        Names left;
    } cases[] = {
        {"yes, yes", {IDOK, IDOK}, 2, "+m1", "+m2", {L"keep.txt"}},
        {"no, no", {IDNO, IDNO}, 2, "m1", "m2", {L"keep.txt"}},
        {"yes, cancel", {IDOK, IDCANCEL}, 2, "+m1", "m2", {L"keep.txt", L"m2.txt *"}},
        {"cancel", {IDCANCEL}, 1, "m1", "m2", {L"keep.txt", L"m1.txt *", L"u.txt", L"m2.txt *"}},
        {"save all", {IDC_QUERY_SAVE_ALL}, 1, "+m1", "+m2", {L"keep.txt"}},
        {"discard all", {IDC_QUERY_SAVE_NONE}, 1, "m1", "m2", {L"keep.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto paths = Open({L"keep.txt", L"m1.txt", L"u.txt", L"m2.txt"});
        TypeIn(paths[1]);
        TypeIn(paths[3]);
        Write(L"u.txt", "changed on disk");
        view->Tabs().ActivateTab(0);
        questions.clear();
        buttons = c.buttons;
        Command(ID_TAB_CLOSE_RIGHT);
        EXPECT_EQ(questions.size(), c.questions);
        ASSERT_FALSE(questions.empty());
        EXPECT_EQ(questions[0].templateId, UINT(IDD_QUERY_CLOSE));
        EXPECT_EQ(questions[0].text, paths[1] + L"への変更を保存しますか？");
        EXPECT_EQ(wtest::ReadBytes(paths[1]), c.m1);
        EXPECT_EQ(wtest::ReadBytes(paths[3]), c.m2);
        EXPECT_EQ(wtest::ReadBytes(paths[2]), "changed on disk");
        EXPECT_EQ(wtest::ReadBytes(paths[0]), "keep");
        EXPECT_EQ(Titles(), c.left);
        // Whatever the answers, the file the command started from is current.
        EXPECT_EQ(Current(), L"keep.txt");
        EXPECT_EQ(Selected(), L"keep.txt");
        EXPECT_TRUE(boxes.empty());
        // Start again with nothing open.
        buttons.clear();
        while (doc->Files().Count() > 1) ASSERT_TRUE(doc->CloseCurrentFile(false));
    }
}

TEST_F(Tabs, CloseOthersClosesBothSidesAndCloseAllUsesTheSameQuestion) {
    const auto paths = Open({L"l.txt", L"mid.txt", L"r.txt"});
    TypeIn(paths[0]);
    TypeIn(paths[2]);
    view->Tabs().ActivateTab(1);
    buttons = {IDNO, IDOK};
    Command(ID_TAB_CLOSE_OTHERS);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].text, paths[0] + L"への変更を保存しますか？");  // left ones first
    EXPECT_EQ(Titles(), Names{L"mid.txt"});
    EXPECT_EQ(wtest::ReadBytes(paths[0]), "l");
    EXPECT_EQ(wtest::ReadBytes(paths[2]), "+r");

    // The document's close-all asks with the same dialog.
    const auto more = Open({L"x.txt"});
    TypeIn(more[0]);
    questions.clear();
    buttons = {IDC_QUERY_SAVE_ALL};
    EXPECT_TRUE(doc->QuerySaveFile());
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(wtest::ReadBytes(more[0]), "+x");
    EXPECT_TRUE(Titles().empty());
}

TEST_F(Tabs, SaveAllWritesModifiedFilesAndAsksForNewNamesLast) {
    const auto paths = Open({L"t0.txt"});
    ASSERT_TRUE(doc->OnNewDocument());
    doc->Current().data.InsertText(u"new text", 1);
    doc->UpdateTitle();
    const auto more = Open({L"t1.txt", L"t2.txt"});
    TypeIn(paths[0]);
    TypeIn(more[0]);
    Write(L"t2.txt", "changed on disk");
    view->Tabs().ActivateTab(2);
    saveAsPath = root + L"\\named.txt";
    Command(ID_FILE_SAVE_ALL);
    EXPECT_EQ(wtest::ReadBytes(paths[0]), "+t0");
    EXPECT_EQ(wtest::ReadBytes(more[0]), "+t1");
    EXPECT_EQ(savedWhenAsked, "+t1");  // the titled files were saved before the name was asked
    EXPECT_EQ(wtest::ReadBytes(more[1]), "changed on disk");
    EXPECT_EQ(wtest::ReadBytes(saveAsPath), "new text");
    EXPECT_EQ(Titles(), (Names{L"t0.txt", L"named.txt", L"t1.txt", L"t2.txt"}));
    EXPECT_EQ(Current(), L"t1.txt");
}

// A click on a tab leaves the keyboard with that file's editing window (so
// typing goes on at once) and the status bar's caret pane on its caret.
TEST_F(Tabs, AClickOnATabGivesTheKeyboardToItsFile) {
    context.settings.tabDragMove = 0;  // a drag would wait for the real mouse
    Open({L"a.txt", L"b.txt", L"c.txt"});
    ::SetActiveWindow(::GetAncestor(view->m_hWnd, GA_ROOT));
    doc->Current().editor.SetFocus();
    ASSERT_EQ(::GetFocus(), doc->Current().editor.m_hWnd);
    for (int tab : {0, 2, 1}) {
        context.caretPosition = {99, 99};
        Strip().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Center(tab).ToLParam());
        Strip().SendMessage(WM_LBUTTONUP, 0, Center(tab).ToLParam());
        wtest::Pump();
        EXPECT_EQ(Selected(), Titles()[size_t(tab)]);
        EXPECT_EQ(Current(), Titles()[size_t(tab)]);
        EXPECT_EQ(::GetFocus(), doc->Current().editor.m_hWnd) << tab;
        EXPECT_EQ(context.caretPosition.line, 1) << tab;
        EXPECT_EQ(context.caretPosition.column, 1) << tab;
    }
}

// Changed settings reach the text and window of every open file, and a
// file opened later starts with them.
TEST_F(Tabs, SettingsReachEveryOpenFileAndNewOnes) {
    Open({L"a.txt", L"b.txt"});
    context.settings.tabStop = 8;
    context.settings.charSpace = 3;
    context.settings.rowSpace = 6;
    context.settings.bracketsBlinkTime = 250;
    doc->UpdateAllViews(nullptr, HINT_SETTINGS_CHANGED);
    Open({L"c.txt"});
    int files = 0;
    for (const auto& record : doc->Files().Records()) {
        if (record->id < 1) continue;
        ++files;
        CDocFile& file = static_cast<CDocFile&>(*record);
        const std::wstring name = ToWide(record->path);
        EXPECT_EQ(file.data.GetDispData().widths.TabSize(), 8) << name;
        EXPECT_EQ(file.data.GetDispData().widths.CharSpacing(), 3) << name;
        ASSERT_TRUE(file.editor.IsWindow()) << name;
        EXPECT_EQ(file.editor.GetRowHeight(), file.editor.GetTextHeight() + 6) << name;
        EXPECT_EQ(file.editor.GetTextOffset(), 3) << name;
        EXPECT_EQ(file.editor.GetBracketBlinkTime(), 250) << name;
        // Measured with the spacing: an 'x' takes its width and 3 pixels more.
        CMeasure m = file.editor.Measure();
        EXPECT_EQ(m.TabStop(), 8 * m.Advance('x')) << name;
    }
    EXPECT_EQ(files, 3);
    // 0 is the default tab size.
    context.settings.tabStop = 0;
    doc->UpdateAllViews(nullptr, HINT_SETTINGS_CHANGED);
    for (const auto& record : doc->Files().Records())
        if (record->id >= 1) {
            EXPECT_EQ(static_cast<CDocFile&>(*record).data.GetDispData().widths.TabSize(), 4);
        }
}

TEST_F(Tabs, TheStripPaintsItsTabsInTheSetColoursWithCloseButtons) {
    Open({L"first.txt", L"second.txt", L"third.txt"});
    view->Tabs().ActivateTab(1);
    HWND host = wtest::SharedHost();
    ::SetWindowPos(host, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(view->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wtest::Pump();
    const wtest::Pixels px = wtest::CaptureClient(Strip().m_hWnd);
    ::SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    wtest::WriteBmp(TEST_OUTPUT_DIR "/tab_strip.bmp", px);
    ASSERT_GT(px.width, 0);
    const auto share = [&](int tab, COLORREF colour) {
        const CRect r = Strip().GetItemRect(tab);
        int n = 0, all = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x, ++all) n += px.At(x, y) == colour;
        return all ? double(n) / all : 0.0;
    };
    EXPECT_GT(share(1, kActive), 0.3);
    EXPECT_GT(share(0, kInactive), 0.3);
    EXPECT_GT(share(2, kInactive), 0.3);
    EXPECT_LT(share(1, kInactive), 0.05);
    // Some text in the text colour on each tab.
    for (int tab = 0; tab < 3; ++tab) EXPECT_GT(share(tab, kText), 0.01) << tab;
    // The selected tab's button in the button colour, its X drawn.
    CRect button = Strip().TabCloseButton(1).GetWindowRect();
    Strip().ScreenToClient(reinterpret_cast<POINT*>(&button.left));
    EXPECT_EQ(px.At(button.left + 2, button.top + 8), kButton);
    EXPECT_EQ(px.At(button.left + 4, button.top + 4), kText);      // the X's top-left end
    EXPECT_EQ(px.At(button.left + 4 + 3, button.top + 4 + 3), kText);  // its middle
}

// Where a tab was (closed, or its title shortened) the strip shows its
// bare background again, without asking the whole view to repaint.
TEST_F(Tabs, NoOutlineStaysWhereATabWasAfterItClosesOrShrinks) {
    const auto paths = Open({L"alpha-file.txt", L"beta-file.txt", L"gamma-file.txt"});
    HWND host = wtest::SharedHost();
    ::SetWindowPos(host, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(view->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wtest::Pump();
    const COLORREF bare = wtest::CaptureClient(Strip().m_hWnd).At(Strip().GetClientRect().right - 2, 2);
    // Pixels of the strip inside r that are not its bare background.
    const auto marked = [&](const CRect& r, const char* picture) {
        wtest::Pump();
        const wtest::Pixels px = wtest::CaptureClient(Strip().m_hWnd);
        wtest::WriteBmp(picture, px);
        int n = 0;
        for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, px.height); ++y)
            for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, px.width); ++x)
                n += px.At(x, y) != bare;
        return n;
    };

    const int kRaised = 3;  // the selected tab stands out a little beyond its rectangle
    TypeIn(paths[2]);  // "gamma-file.txt *"
    wtest::Pump();
    const CRect marked3 = Strip().GetItemRect(2);
    doc->Current().data.Undo();
    doc->UpdateTitle();  // the title loses its mark
    const CRect shrunk3 = Strip().GetItemRect(2);
    ASSERT_LT(shrunk3.right, marked3.right);
    const CRect freed(shrunk3.right + kRaised, marked3.top, marked3.right, marked3.bottom);
    EXPECT_EQ(marked(freed, TEST_OUTPUT_DIR "/tab_strip_shrunk.bmp"), 0);

    const CRect last = Strip().GetItemRect(2);
    view->Tabs().CloseTab(2);
    ASSERT_EQ(Strip().GetItemCount(), 2);
    const CRect gone(Strip().GetItemRect(1).right + kRaised, last.top, last.right, last.bottom);
    EXPECT_EQ(marked(gone, TEST_OUTPUT_DIR "/tab_strip_closed.bmp"), 0);
    ::SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace
