#include "grep/ui/sulki_handoff.h"

#include "app/base/instance_handoff.h"
#include "app/base/winutil.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grep/engine/grep_result_line.h"
#include "util/copydata.h"

namespace {

bool IsPlainFile(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The line's path as the editors name the file: full, with the long names
// and their case as stored on disk.
bool HitOf(const std::wstring& lineText, std::wstring& path, int& line) {
    std::u16string p;
    if (!ParseGrepResultLine(ToU16(lineText), p, line)) return false;
    path = ToWide(p);
    MakeFullPath(path);
    std::wstring onDisk;
    if (GetLongPath(path.c_str(), onDisk)) path = onDisk;
    return true;
}

// Editors are brought forward by their top-level window, not the view.
void BringForward(HWND hwnd) {
    const HWND top = ::GetAncestor(hwnd, GA_ROOT);
    ::SetForegroundWindow(top ? top : hwnd);
}

// A started editor shows its window a little after it is idle: look again
// for a bounded time.
template <class Find>
HWND FindWithin(Find find, DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (const HWND hwnd = find()) return hwnd;
        if (::GetTickCount() - start >= ms) return nullptr;
        ::Sleep(50);
    }
}

bool HandToCurrentEditor(const std::wstring& path, int line, const SulkiSearchSpec& search) {
    CopyDataOpenAndSearch record;
    if (!MakeOpenAndSearchRecord(ToU16(path), ToU16(search.text), search.matchCase, search.matchWidth, search.regex,
                                 line, record))
        return false;
    HWND view = FindEditorWindowWithFile(path);
    if (!view) {
        OpenFileInRunningEditor(path);
        view = FindWithin([&] { return FindEditorWindowWithFile(path); }, GetHandoffTimeouts().retryMs);
        if (!view) return false;
    }
    SendCopyDataRecord(view, CD_OPEN_AND_SEARCH, &record, sizeof record, GetHandoffTimeouts().openMs);
    BringForward(view);
    return true;
}

bool MakePavinRequest(const SulkiSearchSpec& search, int line, PavinSearchRequest& out) {
    out = PavinSearchRequest{};
    if (!FillRecordText(out.pattern, 1024, ToU16(search.text))) return false;
    out.matchCase = search.matchCase;
    out.widthSensitive = search.matchWidth;
    out.regex = search.regex;
    out.line = line;
    return true;
}

bool HandToOlderEditor(const std::wstring& path, int line, const SulkiSearchSpec& search,
                       const std::wstring& programDir) {
    PavinSearchRequest request;
    if (!MakePavinRequest(search, line, request)) return false;
    HWND main = FindPavinWindowWithFile(path);
    if (main) {
        BringForward(main);
    } else {
        const std::wstring program = programDir + L"pavin.exe";
        const std::wstring commandLine = L"\"" + program + L"\" \"" + path + L"\"";
        if (!StartProcess(commandLine.c_str(), nullptr, true, program.c_str())) return false;
        main = FindWithin([&] { return FindPavinWindowWithFile(path); }, GetHandoffTimeouts().retryMs);
        if (!main) return false;
    }
    SendCopyDataRecord(main, CD_OPEN_AND_SEARCH, &request, sizeof request, GetHandoffTimeouts().openMs);
    return true;
}

struct PavinSearch {
    const CopyDataPath* query;
    HWND found;
};

BOOL CALLBACK VisitPavinWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<PavinSearch*>(param);
    wchar_t name[64] = {};
    if (!::GetClassNameW(hwnd, name, 64) || wcscmp(name, kPavinClassName) != 0) return TRUE;
    if (SendCopyDataRecord(hwnd, CD_QUERY_FILE_OPEN, search->query, sizeof(CopyDataPath),
                           GetHandoffTimeouts().queryMs) != 1)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

int DetectEditor(const std::wstring& programDir) {
    int protocol = kOlderEditor;
    if (IsPlainFile(programDir + L"wendrel.exe")) {
        protocol = kCurrentEditor;
        if (IsPlainFile(programDir + L"pavin.exe")) protocol = kOlderEditor;
    }
    return protocol;
}

HWND FindPavinWindowWithFile(const std::wstring& path) {
    CopyDataPath record;
    if (!MakePathRecord(ToU16(path), record)) return nullptr;
    PavinSearch search{&record, nullptr};
    ::EnumWindows(VisitPavinWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool HandOffResultLine(const std::wstring& lineText, const SulkiSearchSpec& search, int protocol,
                       const std::wstring& programDir) {
    std::wstring path;
    int line = 0;
    if (!HitOf(lineText, path, line)) return false;
    if (search.text.size() >= 1024) return false;
    return protocol == kCurrentEditor ? HandToCurrentEditor(path, line, search)
                                      : HandToOlderEditor(path, line, search, programDir);
}
