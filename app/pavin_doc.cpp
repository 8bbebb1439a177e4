#include "app/pavin_doc.h"

#include <commdlg.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/doc_disk_checks.h"
#include "app/doccore/doc_text.h"
#include "app/macro_calls.h"
#include "app/file_dialogs.h"
#include "app/file_format_dlg.h"
#include "app/profile/app_settings.h"
#include "app/profile/setting_ranges.h"
#include "app/base/winutil.h"
#include "framework/app.h"
#include "framework/bars.h"
#include "framework/cmdids.h"
#include "framework/cmdtarget.h"
#include "framework/frame.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/bytestream.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjidetect.h"
#include "util/file_error_text.h"

namespace {

const wchar_t kAppCaption[] = L"wendrel";
const wchar_t kUntitled[] = L"無題";

std::wstring LongFormOf(const std::wstring& path) {
    std::wstring longer;
    return GetLongPath(path.c_str(), longer) ? longer : path;
}

// The hourglass while a file is read or written.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    vswprintf(text, sizeof text / sizeof text[0], format, args);
    va_end(args);
    return text;
}

// A file of this size takes long enough to read that its progress is shown.
constexpr long long kShowReadingFrom = 16LL << 20;

// Paints what waits to be painted and takes nothing else from the queue:
// keys, clicks and a close wait there until the text is whole. Bounded, for
// a window that would leave its area unpainted.
void PaintWaitingWindows() {
    MSG msg;
    for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        ::DispatchMessageW(&msg);
}

void CloseUndoStep(CEditData& data) {
    if (CUndoData* undo = data.GetUndo()) undo->CloseCoalescing();
}

bool IsMissingFile(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The code a reload command reads in; none keeps the file's own.
std::optional<KanjiCode> ReloadCode(UINT id) {
    switch (id) {
    case ID_FILE_REOPEN_EUC: return KanjiCode::EUC;
    case ID_FILE_REOPEN_SJIS: return KanjiCode::SJIS;
    case ID_FILE_REOPEN_JIS: return KanjiCode::JIS;
    case ID_FILE_REOPEN_UNICODE: return KanjiCode::Unicode;
    case ID_FILE_REOPEN_UTF8: return KanjiCode::UTF8;
    case ID_FILE_REOPEN_DETECT: return KanjiCode::Detect;
    case ID_FILE_REOPEN_UTF16BE: return KanjiCode::UTF16BE;
    case ID_FILE_REOPEN_UTF16BE_NOSIG: return KanjiCode::UTF16BENoSig;
    case ID_FILE_REOPEN_UNICODE_NOSIG: return KanjiCode::UnicodeNoSig;
    case ID_FILE_REOPEN_UTF8_NOSIG: return KanjiCode::UTF8NoSig;
    default: return std::nullopt;  // ID_FILE_RELOAD and others
    }
}

}  // namespace

namespace {

int AskBeforeClosing(DocCloseQuestion question, HWND owner, const std::wstring& text) {
    if (question) return question(owner, text);
    return ShowMessageBox(owner, text.c_str(), kAppCaption, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
}

}  // namespace

void ApplyEditSettings(const CAppSettings& settings, CEditData& data, bool modeAllowsCStyleIndent) {
    data.SetWordWrapAtWordEnds(settings.enableWordWrap != 0);
    const bool confine = settings.enableConfinement != 0;
    data.SetFirstConfinementStr(confine ? settings.firstConfinementStr.c_str() : u"");
    data.SetLastConfinementStr(confine ? settings.lastConfinementStr.c_str() : u"");
    data.SetIndentMode(settings.indentMode == 2 && !modeAllowsCStyleIndent ? 1 : settings.indentMode);
    data.SetTabAsSpace(settings.tabAsSpace != 0);
    CCharWidthTable& widths = data.GetDispData().widths;
    const int tabSize = settings.tabStop > 0 ? settings.tabStop : 4;
    if (widths.TabSize() != tabSize) {
        widths.SetTabSize(tabSize);
        data.SetCaretX(-1);  // the remembered column was measured with the old stops
    }
}

void CDocFile::ShowEditor(bool show) {
    if (editor.GetSafeHwnd()) ::ShowWindow(editor.GetSafeHwnd(), show ? SW_SHOW : SW_HIDE);
}

bool CDocFile::IsEditorVisible() const {
    return editor.GetSafeHwnd() && (::GetWindowLongPtrW(editor.GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
}

CPavinDoc::CPavinDoc(CAppContext& context) : context_(context), files_(std::make_unique<CDocFile>(0, u"-")) {}

CPavinDoc::~CPavinDoc() = default;

int CPavinDoc::CurrentEditMode() const { return context_.editModes ? context_.editModes->Current() : 0; }

void CPavinDoc::SelectEditMode(int index) {
    if (context_.editModes && index >= 0) context_.editModes->Select(index);
}

HWND CPavinDoc::OwnerWindow() const {
    for (CView* view : GetViews())
        if (CFrameWnd* frame = view->GetParentFrame()) return frame->GetSafeHwnd();
    return nullptr;
}

void CPavinDoc::ShowStatusMessage(const std::wstring& text) {
    for (CView* view : GetViews())
        if (CFrameWnd* frame = view->GetParentFrame()) frame->SetMessageText(text.c_str());
}

std::wstring CPavinDoc::StatusMessage() const {
    for (CView* view : GetViews())
        if (CFrameWnd* frame = view->GetParentFrame())
            if (CStatusBar* bar = frame->GetStatusBar(); bar && bar->m_hWnd) return bar->GetPaneText(0).str();
    return {};
}

void CPavinDoc::ShowOwnerFrame() {
    for (CView* view : GetViews())
        if (CFrameWnd* frame = view->GetParentFrame(); frame && !::IsWindowVisible(frame->GetSafeHwnd()))
            frame->ActivateFrame();
}

int CPavinDoc::AddFile(const std::wstring& path) {
    const int id = nextId_++;
    files_.Append(std::make_unique<CDocFile>(id, ToU16(path)));
    files_.ActivateById(id);
    UpdateAllViews(nullptr, HINT_FILE_ADDED, HintObjectOfId(id));
    CDocFile& file = Current();
    file.data.SetUndoUnlimited();
    file.data.SetSyntaxRules(&context_.modeLanguage);
    file.kanjiCode = DefaultKanjiCodeOf(context_.settings);
    file.lineEnd = DefaultLineEndOf(context_.settings);
    file.data.SetLineEndType(file.lineEnd);
    file.MarkFormatSaved();
    return id;
}

void CPavinDoc::FireEvent(const char* name) { context_.macros.FireEvent(name); }

bool CPavinDoc::ActivateFileById(int id, bool keepMode, bool fireEvent) {
    // While a close question is open only the file asked about may be current.
    if (askedFileId_ != 0 && id != askedFileId_) return false;
    if (reading_) return false;
    const int previous = files_.Current().id;
    UpdateAllViews(nullptr, HINT_FILE_ACTIVATED, HintObjectOfId(id));
    if (keepMode) files_.Current().editMode = CurrentEditMode();
    files_.ActivateById(id);
    SelectEditMode(files_.Current().editMode);
    SetPathName(AsWide(files_.Current().path.c_str()), false);
    UpdateTitle();
    UpdateFormatStatus();
    if (id < 1) return false;
    UpdateAllViews(nullptr, HINT_SELECT_TAB, HintObjectOfId(id));
    if (fireEvent && id != previous) FireEvent("on-tab-changed");
    return true;
}

bool CPavinDoc::ActivateFileByPath(const std::wstring& path) {
    const int id = files_.FindByPath(ToU16(path));
    return id >= 0 && ActivateFileById(id, true, true);
}

std::wstring CPavinDoc::GetCurrentPath() const { return ToWide(files_.Current().path); }

void CPavinDoc::BuildTitle() {
    CDocFileRecord& file = files_.Current();
    if (!file.path.empty()) {
        SetModifiedFlag(file.IsModified());
        SetTitle(AsWide(BuildDocTitle(file.path, context_.settings.windowTitleIsPathName != 0, false).c_str()));
    }
    UpdateAllViews(nullptr, HINT_MODIFIED_CHANGED);
}

void CPavinDoc::UpdateTitle() {
    const bool modified = files_.Current().IsModified();
    if (modified != (IsModified() != FALSE)) {
        SetModifiedFlag(modified);
        ShowTitle();
    }
    UpdateAllViews(nullptr, HINT_MODIFIED_CHANGED);
}

void CPavinDoc::SetTitle(const wchar_t* title) {
    plainTitle_ = title ? title : L"";
    ShowTitle();
}

void CPavinDoc::ShowTitle() {
    CDocument::SetTitle(IsModified() ? (plainTitle_ + AsWide(kModifiedMark)).c_str() : plainTitle_.c_str());
}

void CPavinDoc::UpdateFormatStatus() {
    context_.formatStatusText = ToWide(FormatStatusText(files_.Current().kanjiCode, files_.Current().lineEnd));
}

void CPavinDoc::SetPathName(const wchar_t* path) { SetPathName(path, true); }

void CPavinDoc::SetPathName(const wchar_t* path, bool addToRecent) {
    const std::wstring full = LongFormOf(path ? path : L"");
    CDocument::SetPathName(full.c_str());
    files_.Current().path = ToU16(full);
    BuildTitle();
    if (addToRecent && files_.Current().id > 0 && !Current().newFile)
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(full.c_str());
    // The file's folder becomes the current one (nothing for the untitled name).
    const auto slash = full.rfind(L'\\');
    if (slash != std::wstring::npos) {
        std::wstring folder = full.substr(0, slash + 1);
        SetCurrentDirectoryW(folder.c_str());
    }
}

BOOL CPavinDoc::OnNewDocument() {
    if (IsAskingToClose()) return FALSE;
    if (!CDocument::OnNewDocument()) return FALSE;
    const int id = AddFile(kUntitled);
    Current().newFile = true;
    ActivateFileById(id, true, true);
    SetModifiedFlag(false);
    if (context_.editModes) {
        const int mode = context_.editModes->ForNewFile();
        SelectEditMode(mode);
        Current().editMode = CurrentEditMode();
    }
    UpdateAllViews(nullptr, HINT_EDIT_MODE_CHANGED);
    UpdateFormatStatus();
    return TRUE;
}

BOOL CPavinDoc::OnOpenDocument(const wchar_t* path) {
    if (IsAskingToClose() || reading_) return FALSE;
    const std::wstring full = LongFormOf(path ? path : L"");
    // The untitled file made at start-up gives way while nothing was typed.
    CDocFile& current = Current();
    if (current.id == 1 && current.newFile && !current.IsModified()) CloseCurrentFile(false);
    if (const int id = files_.FindByPath(ToU16(full)); id >= 0) {
        ActivateFileById(id, true, false);
        return TRUE;
    }
    AddFile(full);
    if (!ReadFile(full)) {
        // No record stays behind: an empty one could later be saved over the file.
        files_.CloseCurrent();
        UpdateAllViews(nullptr, HINT_FILE_CLOSED);
        ActivateFileById(files_.Current().id, false, false);
        return FALSE;
    }
    CloseUndoStep(Current().data);
    // The file's window was made for the empty text: it measures the read one.
    if (Current().editor.GetSafeHwnd()) Current().editor.RefreshLayout(0);
    if (context_.editModes) {
        const int mode = EditModeForPath(ToU16(full), context_.editModes->Patterns());
        SelectEditMode(mode);
    }
    Current().editMode = CurrentEditMode();
    ActivateFileById(Current().id, false, false);
    if (CWinApp* app = AfxGetApp())
        if (app->m_pMainWnd && ::IsIconic(app->m_pMainWnd->GetSafeHwnd()))
            ::ShowWindow(app->m_pMainWnd->GetSafeHwnd(), SW_RESTORE);
    return TRUE;
}

bool CPavinDoc::ReadFile(const std::wstring& path) {
    CFileStream in;
    if (!in.Open(ToU16(path).c_str(), CFileStream::ReadOnly)) {
        if (IsMissingFile(path)) {  // a new file of that name
            Current().diskStamp = ReadDiskStamp(path);
            return true;
        }
        ReportOpenFailure(path, OpenFailureReason(path, in.Error()));
        return false;
    }
    if (IsTooLargeToOpen(in.Size())) {
        ReportOpenFailure(path, OpenFailureReason(path, EFBIG));
        return false;
    }
    WaitCursor wait;
    SetModifiedFlag(true);
    bool ok = true;
    if (in.Size() != 0) ok = LoadWithCharset(in, context_.openKanjiCode, Current().data);
    in.Close();
    SetModifiedFlag(false);
    if (ok) Current().diskStamp = ReadDiskStamp(path);
    return ok;
}

bool CPavinDoc::LoadWithCharset(CByteStream& in, KanjiCode code, CEditData& data) {
    if (!IsKnownKanjiCode(code)) {
        std::vector<uint8_t> head(kDetectBytes);
        const size_t n = in.Read(head.data(), head.size());
        code = DetectKanjiCode(head.data(), n, DefaultKanjiCodeOf(context_.settings));
        if (!in.Rewind()) return false;
    }
    LineEndType lineEnd = LineEndType::CRLF;
    TextLossReport loss;
    CEditData::LoadFailure why = CEditData::LoadFailure::None;
    // A large file: the share read in the message pane, the windows
    // repainted, and the pane's text back at the end.
    const bool showProgress = in.Size() >= kShowReadingFrom;
    const std::wstring statusBefore = showProgress ? StatusMessage() : std::wstring();
    int shownPercent = -1;
    CEditData::LoadProgress progress;
    if (showProgress) {
        progress = [&](unsigned long long read, unsigned long long total) {
            const int percent = total > 0 ? static_cast<int>(read * 100 / total) : 100;
            if (percent != shownPercent) ShowStatusMessage(Format(L"読み込み中... %d%%", percent));
            shownPercent = percent;
            PaintWaitingWindows();
        };
    }
    reading_ = true;
    if (showProgress) {
        ShowOwnerFrame();
        progress(0, static_cast<unsigned long long>(in.Size()));
    }
    const bool loaded = data.Load(in, code, lineEnd, &loss, &why, progress);
    reading_ = false;
    if (showProgress) ShowStatusMessage(statusBefore);
    if (!loaded) {
        ShowMessageBox(OwnerWindow(),
                       why == CEditData::LoadFailure::OutOfMemory ? L"メモリが確保できません" : L"ファイルの読み込みに失敗しました。",
                       L"メッセージ", MB_ICONINFORMATION);
        return false;
    }
    data.SetLineEndType(lineEnd);
    CDocFile& file = Current();
    file.kanjiCode = code;
    file.lineEnd = lineEnd;
    file.undecodedBytes = loss.undecodedBytes;
    file.MarkFormatSaved();
    UpdateFormatStatus();
    if (loss.undecodedBytes)
        ShowStatusMessage(Format(L"読み込めないバイトが %llu 個あり、「?」に置き換えて表示しています",
                                 loss.undecodedBytes));
    return true;
}

bool CPavinDoc::ReloadWithCharset(std::optional<KanjiCode> code) {
    CDocFile& file = Current();
    if (file.IsModified() &&
        ShowMessageBox(OwnerWindow(), L"変更を破棄して読み直しますか？", L"確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    if (file.id < 1 || file.newFile || file.path.empty()) {
        ShowMessageBox(OwnerWindow(), L"ファイルが存在しません。", kAppCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    FireEvent("on-close-file");
    const EditPos caret = file.data.GetCaretPos();
    const bool hasWindow = file.editor.GetSafeHwnd() != nullptr;
    const int vscroll = hasWindow ? file.editor.GetScrollPos(SB_VERT) : 0;
    const int hscroll = hasWindow ? file.editor.GetScrollPos(SB_HORZ) : 0;
    CFileStream in;
    if (!in.Open(file.path.c_str(), CFileStream::ReadOnly)) {
        ReportOpenFailure(ToWide(file.path), OpenFailureReason(ToWide(file.path), in.Error()));
        return false;
    }
    bool ok;
    {
        WaitCursor wait;
        // The text engine reads into fresh lines: on failure the old text stays.
        ok = LoadWithCharset(in, code.value_or(file.kanjiCode), file.data);
    }
    in.Close();
    UpdateTitle();
    if (!ok) return false;
    file.diskStamp = ReadDiskStamp(ToWide(file.path));
    const int line = caret.line < file.data.GetLineCount() ? caret.line : file.data.GetLineCount() - 1;
    const int column = caret.column < file.data.GetLineLength(line) ? caret.column : file.data.GetLineLength(line);
    file.data.SetCaretPos(line, column);
    CloseUndoStep(file.data);
    file.data.SetCaretX(-1);
    if (hasWindow) {
        file.editor.RefreshLayout(0);
        // Back to where the view was, within the new text's range.
        file.editor.OnScrollBy(hscroll - file.editor.GetScrollPos(SB_HORZ), vscroll - file.editor.GetScrollPos(SB_VERT),
                               FALSE);
    }
    FireEvent("on-open-file");
    return true;
}

bool CPavinDoc::OnInsertFile() {
    std::wstring path;
    KanjiCode code = context_.openKanjiCode;
    if (!PromptFileName(OwnerWindow(), path, L"挿入", OFN_FILEMUSTEXIST, true, &code, nullptr, 0,
                        context_.editModeTable))
        return false;
    CFileStream in;
    if (!in.Open(ToU16(path).c_str(), CFileStream::ReadOnly)) {
        ReportOpenFailure(path, OpenFailureReason(path, in.Error()));
        return false;
    }
    LineEndType lineEnd = LineEndType::CRLF;
    bool ok;
    {
        WaitCursor wait;
        ok = Current().data.InsertFile(in, code, lineEnd);
    }
    UpdateAllViews(nullptr, HINT_TEXT_CHANGED);
    UpdateTitle();
    return ok;
}

bool CPavinDoc::NeedsSaveAs() {
    const std::wstring path = GetPathName().GetString();
    if (path.empty() || Current().newFile) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

bool CPavinDoc::OnFileSave() {
    const std::wstring path = GetPathName().GetString();
    if (!path.empty() && !Current().newFile && IsReadOnlyFile(path)) {
        // Never over a read-only file: the text stays, another name is offered.
        const std::wstring text =
            Format(L"%ls は読み取り専用のため保存できません。\n別の名前で保存しますか？", path.c_str());
        if (ShowMessageBox(OwnerWindow(), text.c_str(), kAppCaption, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return false;
        return DoSave(nullptr, true);
    }
    if (NeedsSaveAs()) return DoSave(nullptr, true);
    return DoSave(path.c_str(), true);
}

bool CPavinDoc::DoSave(const wchar_t* name, bool replace) {
    std::wstring target;
    if (name) {
        target = name;
    } else {
        std::u16string patterns;
        if (context_.editModes) {
            const auto all = context_.editModes->Patterns();
            const int mode = CurrentEditMode();
            if (mode >= 0 && mode < int(all.size())) patterns = all[std::size_t(mode)];
        }
        target = ToWide(DefaultSaveName(ToU16(GetPathName().GetString()), ToU16(GetTitle().GetString()), replace,
                                        patterns));
        CDocFile& file = Current();
        KanjiCode code = file.kanjiCode;
        LineEndType lineEnd = file.lineEnd;
        if (!PromptFileName(OwnerWindow(), target, replace ? L"名前を付けて保存" : L"コピーの保存",
                            OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN, false, &code, &lineEnd,
                            CurrentEditMode() + 1, context_.editModeTable))
            return false;
        file.kanjiCode = code;
        file.lineEnd = lineEnd;
        file.data.SetLineEndType(lineEnd);
    }
    {
        WaitCursor wait;
        // A failed save leaves the file on disk as it was: nothing is deleted.
        if (!OnSaveDocument(target.c_str())) return false;
    }
    Current().newFile = false;
    if (replace) {
        SetPathName(target.c_str(), true);
        Current().diskStamp = ReadDiskStamp(target);
    }
    UpdateAllViews(nullptr, HINT_MODIFIED_CHANGED);
    UpdateFormatStatus();
    FireEvent("on-file-saved");
    return true;
}

bool CPavinDoc::AskBeforeLossySave(const std::wstring& path, KanjiCode code) {
    CDocFile& file = Current();
    const TextLossReport loss = file.data.CheckSave(code);
    if (loss.replacedChars > 0) {
        const std::wstring text = Format(
            L"%ls の文字コード（%hs）で表せない文字が %llu 個あり、「?」に置き換えて保存されます。\n"
            L"最初の文字は %d 行目の %d 文字目です。\n保存しますか？",
            path.c_str(), KanjiCodeName(code) ? KanjiCodeName(code) : "", loss.replacedChars,
            loss.firstReplaced.line + 1, loss.firstReplaced.column + 1);
        if (ShowMessageBox(OwnerWindow(), text.c_str(), L"確認", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    if (file.undecodedBytes > 0 && _wcsicmp(path.c_str(), AsWide(file.path.c_str())) == 0) {
        const std::wstring text = Format(
            L"%ls には読み込めなかったバイトが %llu 個あり、「?」に置き換えて表示しています。\n"
            L"上書きすると元のバイトは失われます。保存しますか？",
            path.c_str(), file.undecodedBytes);
        if (ShowMessageBox(OwnerWindow(), text.c_str(), L"確認", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    return true;
}

bool CPavinDoc::OnFileFormat() {
    CDocFile& file = Current();
    CFileFormatDlg dialog;
    dialog.m_kanjiCode = file.kanjiCode;
    dialog.m_lineEnd = file.lineEnd;
    if (dialog.DoModal(OwnerWindow()) != IDOK) return false;
    const KanjiCode code = dialog.m_kanjiCode;
    const LineEndType lineEnd = dialog.m_lineEnd;
    if (code == file.kanjiCode && lineEnd == file.lineEnd) return false;
    if (code != file.kanjiCode) {
        const TextLossReport loss = file.data.CheckSave(code);
        if (loss.replacedChars > 0) {
            const std::wstring text = Format(
                L"文字コード（%hs）で表せない文字が %llu 個あり、保存すると「?」に置き換えられます。\n"
                L"最初の文字は %d 行目の %d 文字目です。\n文字コードを変更しますか？",
                KanjiCodeName(code) ? KanjiCodeName(code) : "", loss.replacedChars, loss.firstReplaced.line + 1,
                loss.firstReplaced.column + 1);
            if (ShowMessageBox(OwnerWindow(), text.c_str(), L"確認", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
                return false;
        }
    }
    file.kanjiCode = code;
    file.lineEnd = lineEnd;
    file.data.SetLineEndType(lineEnd);
    UpdateFormatStatus();
    UpdateTitle();
    UpdateAllViews(nullptr, HINT_TEXT_CHANGED);
    return true;
}

BOOL CPavinDoc::OnSaveDocument(const wchar_t* path) {
    CDocFile& file = Current();
    const std::wstring target = path ? path : L"";
    if (IsReadOnlyFile(target)) {
        const std::wstring text = Format(L"%ls は読み取り専用のため保存できません。", target.c_str());
        ShowMessageBox(OwnerWindow(), text.c_str(), kAppCaption, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (_wcsicmp(target.c_str(), AsWide(file.path.c_str())) == 0 && ChangedOnDisk(file.diskStamp, target)) {
        const std::wstring text = Format(
            L"%ls は読み込んだ後（または保存した後）に他のプログラムで変更されています。\n"
            L"上書きすると、その変更は失われます。上書きしますか？",
            target.c_str());
        if (ShowMessageBox(OwnerWindow(), text.c_str(), L"確認", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return FALSE;
    }
    if (!AskBeforeLossySave(target, file.kanjiCode)) return FALSE;
    int error = 0;
    if (!file.data.Save(ToU16(target).c_str(), file.kanjiCode, file.lineEnd, &error)) {
        std::wstring text = L"ドキュメントの保存に失敗しました。";
        text += L"\n" + ToWide(SaveFailureMessage(ToU16(target).c_str(), error));
        ShowMessageBox(OwnerWindow(), text.c_str(), kAppCaption, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    // What could not be read is now '?' on disk as well.
    if (_wcsicmp(target.c_str(), AsWide(file.path.c_str())) == 0) file.undecodedBytes = 0;
    file.MarkFormatSaved();
    SetModifiedFlag(false);
    CloseUndoStep(file.data);
    UpdateAllViews(nullptr, HINT_FILE_SAVED);
    return TRUE;
}

BOOL CPavinDoc::SaveModified() {
    SetModifiedFlag(context_.settings.saveModified ? files_.Current().IsModified() : false);
    UpdateAllViews(nullptr, HINT_MODIFIED_CHANGED);
    return TRUE;
}

bool CPavinDoc::CloseCurrentFile(bool ask) {
    const int id = files_.Current().id;
    if (id < 1) return false;
    if (ask && (IsModified() || Current().IsModified())) {
        CloseQuestionScope asking(*this);
        std::wstring name = GetPathName().GetString();
        if (name.empty()) name = GetTitle().GetString();
        const std::wstring text = Format(L"%ls への変更を保存しますか?", name.c_str());
        const int answer = ShowMessageBox(OwnerWindow(), text.c_str(), kAppCaption, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (answer == IDCANCEL) return false;
        // A failed save or a cancelled Save As keeps the file open.
        if (answer == IDYES && !OnFileSave()) return false;
    }
    // The file asked about is the one closed, whatever came in meanwhile.
    if (files_.Current().id != id && !ActivateFileById(id, true, false)) return false;
    FireEvent("on-close-file");
    files_.CloseCurrent();
    UpdateAllViews(nullptr, HINT_FILE_CLOSED);
    ActivateFileById(files_.Current().id, false, true);
    return true;
}

bool CPavinDoc::CloseCurrentOfSeveral(BatchAnswer& all) {
    enum { kYesToAll = 4, kNoToAll = 5 };
    const bool modified = Current().IsModified() || IsModified();
    CloseQuestionScope asking(*this);
    // Unmodified files are never written: that would overwrite what others
    // changed on disk.
    if (modified && all == BatchAnswer::None) {
        MessageBeep(MB_ICONEXCLAMATION);
        const std::wstring text = Format(L"%lsへの変更を保存しますか？", AsWide(Current().path.c_str()));
        const int answer = AskBeforeClosing(context_.closeQuestion, OwnerWindow(), text);
        if (answer == IDCANCEL) return false;
        if (answer == kYesToAll) all = BatchAnswer::SaveAll;
        if (answer == kNoToAll) all = BatchAnswer::DiscardAll;
        if (answer == IDYES && !OnFileSave()) return false;
    }
    if (modified && all == BatchAnswer::SaveAll && !OnFileSave()) return false;
    asking.End();
    return CloseCurrentFile(false);
}

bool CPavinDoc::QuerySaveFile() {
    BatchAnswer all = BatchAnswer::None;
    while (files_.Count() > 1)
        if (!CloseCurrentOfSeveral(all)) return false;
    return true;
}

bool CPavinDoc::CloseFiles(const std::vector<int>& ids) {
    const int noted = Current().id;
    BatchAnswer all = BatchAnswer::None;
    bool closedAll = true;
    for (const int id : ids) {
        if (!files_.FindById(id)) continue;
        ActivateFileById(id, true, true);
        if (!CloseCurrentOfSeveral(all)) {
            closedAll = false;
            break;
        }
    }
    // Also after a cancel: the file the command started from is current.
    if (files_.FindById(noted)) ActivateFileById(noted, true, true);
    return closedAll;
}

BOOL CPavinDoc::CanCloseFrame(CFrameWnd* frame) {
    if (!QuerySaveFile()) return FALSE;
    return CDocument::CanCloseFrame(frame);
}

bool CPavinDoc::OnCmdMsg(UINT id, CCmdUI* ui) {
    const std::optional<KanjiCode> reload = ReloadCode(id);
    const bool known = reload || id == ID_FILE_RELOAD || id == ID_FILE_CLOSE || id == ID_FILE_SAVE ||
                       id == ID_FILE_SAVE_AS || id == ID_FILE_CLOSE_ALL || id == ID_FILE_SAVE_ALL ||
                       id == ID_FILE_INSERT || id == ID_FILE_FORMAT;
    if (!known) return false;
    if (ui) {
        ui->Enable(HasRealFile());
        return true;
    }
    if (!HasRealFile()) return true;
    switch (id) {
    case ID_FILE_CLOSE: CloseCurrentFile(true); break;
    case ID_FILE_SAVE: OnFileSave(); break;
    case ID_FILE_SAVE_AS: DoSave(nullptr, true); break;
    case ID_FILE_CLOSE_ALL: QuerySaveFile(); break;
    case ID_FILE_SAVE_ALL: UpdateAllViews(nullptr, HINT_SAVE_ALL); break;
    case ID_FILE_INSERT: OnInsertFile(); break;
    case ID_FILE_FORMAT: OnFileFormat(); break;
    default: ReloadWithCharset(reload); break;
    }
    return true;
}

CPavinDoc::CloseQuestionScope::CloseQuestionScope(CPavinDoc& doc) : doc_(doc), outer_(doc.askedFileId_) {
    doc.askedFileId_ = doc.files_.Current().id;
}

void CPavinDoc::CloseQuestionScope::End() {
    doc_.askedFileId_ = outer_;
    ended_ = true;
}

CPavinDoc::CloseQuestionScope::~CloseQuestionScope() {
    if (!ended_) End();
}

void CPavinDoc::ReportOpenFailure(const std::wstring& path, const std::wstring& reason) {
    const std::wstring text = L"ドキュメントを開くことに失敗しました。\n" + path + L"\n" + reason;
    if (deferReports_) {
        deferredReports_.push_back(text);
        return;
    }
    ShowMessageBox(OwnerWindow(), text.c_str(), kAppCaption, MB_OK | MB_ICONEXCLAMATION);
}

std::vector<std::wstring> CPavinDoc::TakeDeferredReports() {
    std::vector<std::wstring> reports;
    reports.swap(deferredReports_);
    return reports;
}
