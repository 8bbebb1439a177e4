// What a running editor answers to the records of other editors and of the
// grep program, for its document: the view hands its WM_COPYDATA here
// (DispatchCopyData with this target).
#pragma once

#include <windows.h>

#include <functional>

#include "app/copydata_receiver.h"

class CPavinDoc;

class CDocCopyDataTarget : public CCopyDataTarget {
public:
    // view: the window that is brought forward and focused.
    CDocCopyDataTarget(CPavinDoc& doc, HWND view) : doc_(doc), view_(view) {}

    // Where an open-and-search record's pattern and options go, so that
    // find-next goes on with that search (the view's search condition).
    std::function<void(const CopyDataOpenAndSearch&)> takeSearch;

    bool IsFileOpen(const std::wstring& path) override;
    // Opens through the application (an open file is only activated).
    bool OpenFile(const std::wstring& path) override;
    bool ActivateFile(const std::wstring& path) override;
    // The caret goes to the start of the line when the file has it, and the
    // view shows it; a mode name selects that edit mode (an unknown one the
    // first).
    bool OpenAtLine(const std::wstring& path, int line, const std::wstring& mode) override;
    // Makes the file current, marks the pattern's hits, puts the caret on
    // the line when the file has it, and restores a minimised main window.
    bool OpenAndSearch(const CopyDataOpenAndSearch& record) override;

private:
    // Caret to the start of the line when the current file has it, scrolled
    // into view even while the window has no focus.
    void GoToLine(int line);

    CPavinDoc& doc_;
    HWND view_;
};
