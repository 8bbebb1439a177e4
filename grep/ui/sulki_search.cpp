// The search command: the worker runs the grep engine under the progress
// dialog and hands its lines to the result view on this thread.
#include <string>

#include "editctrl/wait_cursor.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grep/engine/grep_engine.h"
#include "grep/ui/common_cancel_dlg.h"
#include "grep/ui/sulki_dlg.h"
#include "grep/ui/sulki_resource.h"
#include "grep/winfs/grep_folder_win.h"
#include "util/pathutil.h"

namespace {

// The worker's view of the dialogs. Result lines are gathered and handed
// over in blocks (a send per line would make the worker wait on the window
// for every hit, and each block costs the view a layout and a paint): the
// first hits go at once, then a block at least every half second. Status
// lines and the question whether to go on are sent at most every few
// milliseconds, not once per file: a message sent to the window and
// answered costs more than searching a small file.
class SearchBridge : public GrepOutput, public GrepProgress {
public:
    SearchBridge(HWND view, CCancelDlgLink& link) : view_(view), link_(link) {}

    void Append(const std::u16string& text) override {
        pending_ += text;
        if (pending_.size() >= kBlockUnits || ::GetTickCount() - lastFlush_ >= kFlushMs) Flush();
    }
    void SetStatus(int line, const std::u16string& text) override {
        const DWORD now = ::GetTickCount();
        if (!pending_.empty() && now - lastFlush_ >= kFlushMs) Flush();
        // Nobody reads a line per file; the first text of a line shows at once.
        const int slot = line == 1 ? 0 : 1;
        if (shown_[slot] && now - lastStatus_[slot] < kStatusMs) return;
        shown_[slot] = true;
        lastStatus_[slot] = now;
        link_.SetStatus(line, ToWide(text));
    }
    int QueryState() override {
        // Going on is taken as still true for a moment; a pause or a cancel
        // is asked again every time, so the worker stops within that moment.
        const DWORD now = ::GetTickCount();
        if (lastState_ == kRunning && asked_ && now - lastQuery_ < kQueryMs) return kRunning;
        asked_ = true;
        lastQuery_ = now;
        lastState_ = link_.QueryState();
        return lastState_;
    }
    void Finished(int result) override {
        Flush();
        link_.Finished(result);
    }
    void Flush() {
        lastFlush_ = ::GetTickCount();
        if (pending_.empty()) return;
        ::SendMessageW(view_, WM_SULKI_APPEND, 0, reinterpret_cast<LPARAM>(AsWide(pending_.c_str())));
        pending_.clear();
    }

private:
    static constexpr std::size_t kBlockUnits = 1 << 16;
    static constexpr DWORD kFlushMs = 500;
    static constexpr DWORD kStatusMs = 100;
    static constexpr DWORD kQueryMs = 100;
    bool shown_[2] = {false, false};
    DWORD lastStatus_[2] = {0, 0};
    bool asked_ = false;
    DWORD lastQuery_ = 0;
    int lastState_ = kRunning;
    HWND view_;
    CCancelDlgLink& link_;
    std::u16string pending_;
    DWORD lastFlush_ = 0;  // the first hits show at once
};

struct SearchJob {
    GrepParams params;
};

DWORD WINAPI SearchThread(void* param) {
    auto* job = static_cast<SearchJob*>(param);
    GrepThreadProc(job->params);
    return 0;
}

std::wstring ComboText(HWND combo) {
    const int n = ::GetWindowTextLengthW(combo);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    s.resize(static_cast<std::size_t>(::GetWindowTextW(combo, s.data(), n + 1)));
    return s;
}

bool FolderExists(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Hit lines carry the folder as given: make it absolute, so every line
// names its file wherever the editor runs.
std::wstring NormalisedFolder(const std::wstring& folder) {
    wchar_t full[MAX_PATH];
    const DWORD n = ::GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    std::u16string f = n > 0 && n < MAX_PATH ? ToU16(full) : ToU16(folder);
    if (f.size() > 3 || (f.size() == 3 && f[1] != u':')) RemoveTrailingBackslash(f);
    return ToWide(f);
}

}  // namespace

void CSulkiDlg::AppendToView(const wchar_t* text) {
    CEditData& d = resultData_;
    const int last = d.GetLineCount() - 1;
    d.SetCaretPos(last, d.GetLineLength(last));
    d.InsertText(AsU16(text), 1);
    d.ResetUndo();  // the list is output, not an edit to undo
    resultView_.RecalcLineWidth(false, last, d.GetLineCount() - last);
    resultView_.RecalcLayout(0, false);
}

void CSulkiDlg::Search() {
    CWaitCursor wait;
    const std::wstring text = ComboText(text_);
    const std::wstring masks = ComboText(fileType_);
    std::wstring folder = ComboText(folder_);
    if (text.empty()) return;
    if (!FolderExists(folder)) {
        ShowMessageBox(m_hWnd, L"フォルダが存在しません", L"Error", MB_ICONEXCLAMATION);
        return;
    }
    const KanjiCode encoding = SelectedEncoding();
    resultView_.ClearText();
    folder = NormalisedFolder(folder);
    AppendToView((L"'" + folder + L"' を検索中...\n").c_str());

    CCancelDlgLink link;
    SearchBridge bridge(m_hWnd, link);
    SearchJob job;
    GrepParams& p = job.params;
    p.resultView = &bridge;
    p.progress = &bridge;
    p.searchText = ToU16(text);
    p.masks = ToU16(masks);
    p.folder = ToU16(folder);
    p.distinguishCase = IsDlgButtonChecked(IDC_SULKI_CASE) == BST_CHECKED;
    p.distinguishWidth = IsDlgButtonChecked(IDC_SULKI_WIDTH) == BST_CHECKED;
    p.regularExpression = IsDlgButtonChecked(IDC_SULKI_REGEXP) == BST_CHECKED;
    p.searchSubfolders = IsDlgButtonChecked(IDC_SULKI_SUBFOLDER) == BST_CHECKED;
    p.encoding = encoding;
    p.messageText.reserve(kGrepMessageUnits);
    p.fileSystem = &WinGrepFileSystem();

    DWORD threadId = 0;
    const HANDLE thread = ::CreateThread(nullptr, 0, SearchThread, &job, CREATE_SUSPENDED, &threadId);
    if (!thread) {
        ShowMessageBox(m_hWnd, L"スレッド作成エラー", L"Error", MB_ICONEXCLAMATION);
        return;
    }
    CCommonCancelDlg progress(CCommonCancelDlg::kCancelButton | CCommonCancelDlg::kSecondLine, thread, &link);
    RunWorkerWithCancelDlg(progress, thread, link, m_hWnd);
    ::CloseHandle(thread);
    bridge.Flush();  // a worker cut short never reached Finished

    // The worker has ended: its out fields are final.
    const std::wstring message = ToWide(p.messageText);
    if (p.result == GREP_BAD_PATTERN || p.result == GREP_BAD_MASKS) {
        ShowMessageBox(m_hWnd, message.c_str(), L"Error", MB_ICONEXCLAMATION);
        return;
    }
    if (p.result != GREP_SEARCH_FAILED) {
        AddHistory(text_, text);
        AddHistory(fileType_, masks);
        AddHistory(folder_, ComboText(folder_));
        lastSearch_.text = text;
        lastSearch_.matchCase = p.distinguishCase;
        lastSearch_.matchWidth = p.distinguishWidth;
        lastSearch_.regex = p.regularExpression;
        resultView_.SetSearchHighlight(text.c_str(), p.distinguishCase, p.distinguishWidth, p.regularExpression);
    }
    AppendToView(message.c_str());
}
