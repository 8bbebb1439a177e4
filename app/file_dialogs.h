// The program's file dialogs: the system's common open and save dialogs run
// by the program itself, so that a dialog template of its own can add
// controls (the encoding and line-end boxes). A test answers them through
// the file-dialog seam (framework/seams.h).
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/app_resource.h"
#include "framework/seams.h"
#include "textengine/kanjicode.h"

class CEditModeTable;

// A multiple selection holds a folder and many names: the buffer is large
// enough that a long selection is never cut (which would read as Cancel).
constexpr size_t kMultiSelectBufferUnits = 32768;

class CPlacesBarFileDlg {
public:
    // filter: description/pattern pairs separated by '|' or NUL.
    CPlacesBarFileDlg(bool open, const wchar_t* defaultExt, const wchar_t* fileName, DWORD flags,
                      const std::wstring& filter, HWND owner);
    virtual ~CPlacesBarFileDlg() = default;
    CPlacesBarFileDlg(const CPlacesBarFileDlg&) = delete;
    CPlacesBarFileDlg& operator=(const CPlacesBarFileDlg&) = delete;

    void SetTitle(const std::wstring& title) { title_ = title; }
    void SetInitialDir(const std::wstring& dir) { initialDir_ = dir; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    // The file-name buffer's size in units (at least MAX_PATH).
    void SetBufferSize(size_t units);
    size_t BufferSize() const { return buffer_.size(); }
    // A dialog template of the program's module that the hook serves.
    void SetTemplate(UINT templateId) { templateId_ = templateId; }

    // IDOK or IDCANCEL.
    virtual INT_PTR DoModal();

    // The chosen file, or every file of a multiple selection in order.
    std::wstring GetPathName() const;
    std::vector<std::wstring> GetPathNames() const { return paths_; }

protected:
    bool IsOpenForm() const { return open_; }
    // The template's child dialog: created, laid out by the system, and
    // the name accepted (0 accepts, non-zero keeps the dialog open).
    virtual void OnInitDialog(HWND child) {}
    virtual void OnInitDone(HWND child) {}
    virtual UINT OnFileNameOK(HWND child) { return 0; }
    // What a test's handler sees and answers, beyond the name.
    virtual void FillRequest(FileDialogRequest& request) const {}
    virtual void TakeAnswer(const FileDialogRequest& request) {}

private:
    static UINT_PTR CALLBACK HookProc(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);
    void ParseSelection();

    bool open_;
    std::wstring defaultExt_;
    DWORD flags_;
    std::wstring filter_;  // pairs, each NUL-ended
    HWND owner_;
    std::wstring title_;
    std::wstring initialDir_;
    int filterIndex_ = 0;
    UINT templateId_ = 0;
    std::vector<wchar_t> buffer_;
    std::vector<std::wstring> paths_;
};

// The file dialog with the encoding box and, in the save form, the line-end
// box. The save form never offers detection: a file whose encoding is 9 is
// offered Shift_JIS with CRLF.
class CExtFileDialog : public CPlacesBarFileDlg {
public:
    CExtFileDialog(bool open, const wchar_t* fileName, DWORD flags, const std::wstring& filter, HWND owner);

    KanjiCode m_kanjiCode = KanjiCode::Detect;
    LineEndType m_lineEnd = LineEndType::CRLF;

    INT_PTR DoModal() override;

protected:
    void OnInitDialog(HWND child) override;
    void OnInitDone(HWND child) override;
    UINT OnFileNameOK(HWND child) override;
    void FillRequest(FileDialogRequest& request) const override;
    void TakeAnswer(const FileDialogRequest& request) override;
};

// "すべてのファイル (*.*)" then one pair per edit mode of modes (when
// given), NUL-separated.
std::wstring EditModeFileFilter(const CEditModeTable* modes);

// Asks for a file name in the encoding dialog: the open or the save form,
// starting in the current folder with the filter of the edit modes. kanjiCode
// and lineEnd (either may be null; lineEnd only in the save form) offer a
// choice and receive the one made. filterIndex 0 leaves the dialog's own. path is in
// and out.
bool PromptFileName(HWND owner, std::wstring& path, const std::wstring& title, DWORD extraFlags, bool open,
                    KanjiCode* kanjiCode, LineEndType* lineEnd, int filterIndex, const CEditModeTable* modes);

// Runs a plain file dialog starting in folder (in and out: the folder the
// user ended in); the current folder is the same afterwards. filter uses
// '|' separators. True on OK with path set.
bool PromptFileNameInDir(const std::wstring& title, bool open, const wchar_t* defaultExt, std::wstring& path,
                         DWORD flags, const std::wstring& filter, HWND owner, std::wstring& folder);
