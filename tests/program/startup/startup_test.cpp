// The editor's start-up and shutdown through its application object: the
// steps in their order, the settings files made on a first start, the named
// file shown in the view with the editor's own window text, the placement
// and ZOOMED taken up, and what only exit writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/program/pavin_app.h"
#include "editctrl/edit_ctrl.h"
#include "framework/wide.h"
#include "view/pavin_view.h"

namespace {

std::wstring Widen(const char* s) {
    std::wstring w;
    for (; *s; ++s) w += static_cast<wchar_t>(*s == '/' ? '\\' : *s);
    return w;
}

// A program folder of its own with the shipped data folder beside it.
std::wstring MakeProgramDir() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"wendrel_startup_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring data = Widen(TEST_DATA_DIR "/../../../../data");
    SHFILEOPSTRUCTW op{};
    std::wstring from = data + L'\0';
    std::wstring to = dir + L'\0';
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
    return dir;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(f, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
    ::CloseHandle(f);
    return bytes;
}

void WriteAll(const std::wstring& path, const void* data, size_t size) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    ::WriteFile(f, data, static_cast<DWORD>(size), &n, nullptr);
    ::CloseHandle(f);
}

// The UTF-16LE file's text as narrow ASCII (enough to look for keys).
std::string AsciiOfUtf16(const std::string& bytes) {
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i + 1] == 0) out += bytes[i];
    return out;
}

TEST(Startup, RunsItsStepsInOrderShowsTheFileAndSavesAtExit) {
    const std::wstring dir = MakeProgramDir();
    const std::wstring file = dir + L"memo.txt";
    const char text[] = "first line\r\nsecond";
    WriteAll(file, text, sizeof(text) - 1);
    // A saved placement, maximised.
    const char16_t ini[] = u"\uFEFF[WINDOW]\nZOOMED=1\n[TEXT_EDITOR]\nLINE_MODE=0\n";
    WriteAll(dir + L"wendrel.ini", ini, sizeof(ini) - 2);

    CPavinApp app;
    app.programDir = dir;
    app.handOffToRunningEditor = false;
    const std::wstring commandLine = L"\"" + file + L"\"";
    app.m_lpCmdLine = commandLine.c_str();
    ASSERT_TRUE(app.InitInstance());
    const std::vector<std::string> expected = {"ole",      "macro", "settings files", "edit modes",   "settings",
                                               "fonts",    "template",       "command line", "main window"};
    EXPECT_EQ(app.startupLog, expected);
    EXPECT_NE(::GetFileAttributesW((dir + L"wendrel_local.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    auto* frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(::IsZoomed(frame->m_hWnd));
    // The document shows the path in its long form (this test program has
    // no string table, so no program title follows it).
    const std::wstring title = frame->GetWindowText().str();
    const std::wstring ending = L"\\memo.txt";
    EXPECT_TRUE(title.size() > ending.size() && title.compare(title.size() - ending.size(), ending.size(), ending) == 0)
        << std::string(title.begin(), title.end());
    EXPECT_GT(frame->GetAccelTable().GetCount(), 0);
    auto* view = dynamic_cast<CPavinView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetWindowText(), CString(L"WENDREL_VIEW_WINDOWNAME"));
    CEditCtrl* editor = view->CurrentEditor();
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
    const std::string saved = AsciiOfUtf16(ReadAll(dir + L"wendrel.ini"));
    for (const char* key : {"LINE_MODE=", "EDIT_MODE=", "KB_MACRO_DIR=", "ZOOMED=1", "WIDTH="})
        EXPECT_NE(saved.find(key), std::string::npos) << key;
}

}  // namespace
