// The editor's start-up and shutdown through its application object: the
// steps in their order, the settings files made on a first start, the named
// file shown in the view with the editor's own window text, the placement
// and ZOOMED taken up, and what only exit writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "editctrl/edit_ctrl.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "view/pavin_view.h"

namespace {

TEST(Startup, RunsItsStepsInOrderShowsTheFileAndSavesAtExit) {
    const std::wstring dir = wtest::MakeProgramFolder(L"wendrel_startup_");
    const std::wstring file = dir + L"memo.txt";
    wtest::WriteBytes(file, "first line\r\nsecond");
    // A saved placement, maximised.
    const char16_t ini[] = u"\uFEFF[WINDOW]\nZOOMED=1\n[TEXT_EDITOR]\nLINE_MODE=0\n";
    wtest::WriteBytes(dir + L"wendrel.ini", ini, sizeof(ini) - 2);

    CPavinApp app;
    const std::wstring commandLine = L"\"" + file + L"\"";
    ASSERT_TRUE(wtest::StartEditor(app, dir, commandLine.c_str()));
    const std::vector<std::string> expected = {"ole",      "macro", "settings files", "edit modes",   "settings",
                                               "fonts",    "template",       "command line", "main window"};
    EXPECT_EQ(app.startupLog, expected);
    EXPECT_NE(::GetFileAttributesW((dir + L"wendrel_local.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    const wtest::EditorWindows windows = wtest::WindowsOf(app);
    CMainFrame* frame = windows.frame;
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(::IsZoomed(frame->m_hWnd));
    // The document shows the path in its long form (this test program has
    // no string table, so no program title follows it).
    const std::wstring title = frame->GetWindowText().str();
    const std::wstring ending = L"\\memo.txt";
    EXPECT_TRUE(title.size() > ending.size() && title.compare(title.size() - ending.size(), ending.size(), ending) == 0)
        << std::string(title.begin(), title.end());
    EXPECT_GT(frame->GetAccelTable().GetCount(), 0);
    CPavinView* view = windows.view;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetWindowText(), CString(L"WENDREL_VIEW_WINDOWNAME"));
    CEditCtrl* editor = windows.editor;
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->GetStyle() & WS_VISIBLE);
    ASSERT_EQ(editor->GetEditData()->GetLineCount(), 2);
    EXPECT_EQ(std::u16string(editor->GetEditData()->GetLineText(0)), u"first line");

    // The editor fills the view below the file's tab.
    const CRect viewRect = view->GetClientRect();
    const CRect editorRect = editor->GetWindowRect();
    EXPECT_GT(view->Tabs().StripHeight(), 0);
    EXPECT_EQ(view->Tabs().Strip().GetItemText(0), L"memo.txt");
    EXPECT_EQ(editorRect.Width(), viewRect.Width());
    EXPECT_EQ(editorRect.Height(), viewRect.Height() - view->Tabs().StripHeight());

    frame->DestroyWindow();
    app.ExitInstance();
    const std::string saved = wtest::AsciiOfUtf16(wtest::ReadBytes(dir + L"wendrel.ini"));
    for (const char* key : {"LINE_MODE=", "EDIT_MODE=", "KB_MACRO_DIR=", "ZOOMED=1", "WIDTH="})
        EXPECT_NE(saved.find(key), std::string::npos) << key;
}

}  // namespace
