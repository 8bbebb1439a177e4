// What a running editor answers to the records of other editors and of the
// grep program, for its document: the view hands its WM_COPYDATA here
// (DispatchCopyData with this target).
#pragma once

#include <windows.h>

#include "app/copydata_receiver.h"

class CPavinDoc;

class CDocCopyDataTarget : public CCopyDataTarget {
public:
    // view: the window that is brought forward and focused.
    CDocCopyDataTarget(CPavinDoc& doc, HWND view) : doc_(doc), view_(view) {}

    bool IsFileOpen(const std::wstring& path) override;
    // Opens through the application (an open file is only activated).
    bool OpenFile(const std::wstring& path) override;
    bool ActivateFile(const std::wstring& path) override;
    // The caret goes to the start of the line when the file has it.
    bool OpenAtLine(const std::wstring& path, int line, const std::wstring& mode) override;
    // Activates the file and puts the caret on the line; the search
    // highlight belongs to the view's search commands.
    bool OpenAndSearch(const CopyDataOpenAndSearch& record) override;

private:
    CPavinDoc& doc_;
    HWND view_;
};
