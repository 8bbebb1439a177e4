#include "app/base/instance_handoff.h"

#include <algorithm>

#include "util/cmdline_files.h"
#include "util/copydata.h"
#include "app/base/winutil.h"
#include "framework/seams.h"
#include "framework/wide.h"

HandoffTimeouts& GetHandoffTimeouts() {
    static HandoffTimeouts timeouts;
    return timeouts;
}

LRESULT SendCopyDataRecord(HWND view, DWORD code, const void* record, DWORD size, UINT timeoutMs) {
    COPYDATASTRUCT cds{};
    cds.dwData = code;
    cds.cbData = size;
    cds.lpData = const_cast<void*>(record);
    DWORD_PTR reply = 0;
    // Messages sent to this thread meanwhile are still handled, so a
    // receiver that sends back (activation) cannot deadlock the two.
    if (!SendMessageTimeoutW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_NORMAL,
                             timeoutMs, &reply))
        return 0;
    return static_cast<LRESULT>(reply);
}

namespace {

struct ViewSearch {
    const CopyDataPath* query;  // null: the first view will do
    HWND found;
};

BOOL CALLBACK VisitTopLevelWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ViewSearch*>(param);
    const HWND view = FindEditorView(hwnd);
    if (!view) return TRUE;
    if (search->query && SendCopyDataRecord(view, CD_QUERY_FILE_OPEN, search->query, sizeof(CopyDataPath),
                                    GetHandoffTimeouts().queryMs) != 1)
        return TRUE;
    search->found = view;
    return FALSE;
}

HWND SearchViews(const CopyDataPath* query) {
    ViewSearch search{query, nullptr};
    EnumWindows(VisitTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindEditorView(HWND topLevel) {
    return FindWindowExW(topLevel, nullptr, nullptr, AsWide(kEditorViewWindowName));
}

HWND FindFirstEditorView() { return SearchViews(nullptr); }

HWND FindEditorWindowWithFile(const std::wstring& path) {
    CopyDataPath record;
    if (!MakePathRecord(ToU16(path), record)) return nullptr;
    return SearchViews(&record);
}

bool OfferFileToRunningEditor(const std::wstring& path) {
    CopyDataPath record;
    if (!MakePathRecord(ToU16(path), record)) return false;
    const HWND view = FindFirstEditorView();
    return view && SendCopyDataRecord(view, CD_OPEN_FILE, &record, sizeof record, GetHandoffTimeouts().openMs) == 1;
}

bool StartEditorWithFile(const std::wstring& path) {
    const std::wstring program = GetModuleDir() + L"wendrel.exe";
    const std::wstring line = L"\"" + program + L"\" \"" + path + L"\"";
    return StartProcess(line.c_str(), nullptr, true, program.c_str());
}

void OpenFileInRunningEditor(const std::wstring& path) {
    if (!OfferFileToRunningEditor(path)) StartEditorWithFile(path);
}

bool SendActivateFile(HWND view, const std::wstring& path) {
    CopyDataPath record;
    if (!MakePathRecord(ToU16(path), record)) return false;
    SendCopyDataRecord(view, CD_ACTIVATE_FILE, &record, sizeof record, GetHandoffTimeouts().queryMs);
    return true;
}

void SendOpenAtLine(const std::wstring& path, int line, const std::wstring& mode) {
    CopyDataOpenAtLine record;
    if (!MakeOpenAtLineRecord(ToU16(path), line, ToU16(mode), record)) return;
    const HWND view = FindEditorWindowWithFile(path);
    if (view) SendCopyDataRecord(view, CD_OPEN_AT_LINE, &record, sizeof record, GetHandoffTimeouts().queryMs);
}

void SendFileOptions(const CCmdLineEntry& entry) {
    const std::u16string r = entry.GetOption(u"r");
    long long line = r.empty() ? -1 : 0;
    for (char16_t c : r) {
        if (c < u'0' || c > u'9') break;
        line = std::min<long long>(line * 10 + (c - u'0'), kCmdLineMaxLine);
    }
    SendOpenAtLine(ToWide(entry.path), static_cast<int>(line), ToWide(entry.GetOption(u"m")));
}
