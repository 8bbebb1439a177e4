// The sending side of the hand-off between editor processes (and from the
// grep program): running editors are found by their view window's text and
// asked by WM_COPYDATA records (util/copydata.h). Every send is bounded:
// a receiver that is hung or does not answer in time counts as "no".
#pragma once

#include <windows.h>

#include <string>

struct CCmdLineEntry;

struct HandoffTimeouts {
    UINT queryMs = 5000;   // is the file open, activate, open at a line
    UINT openMs = 30000;   // open a file (the receiver reads it first)
    DWORD retryMs = 3000;  // single-instance mode: wait for the running editor's view
};
// The time-outs in force; tests shorten them.
HandoffTimeouts& GetHandoffTimeouts();

// Sends one record by WM_COPYDATA, waiting at most timeoutMs; the reply,
// or 0 when the receiver is hung or did not answer in time.
LRESULT SendCopyDataRecord(HWND target, DWORD code, const void* record, DWORD size, UINT timeoutMs);

// The direct child of a top-level window that is an editor's view; null
// when it is no editor.
HWND FindEditorView(HWND topLevel);
// The first editor's view in window order; null when none runs.
HWND FindFirstEditorView();
// The view of the first editor, in window order, that has the file open.
// Null when none does, or when the path does not fit a record.
HWND FindEditorWindowWithFile(const std::wstring& path);

// Offers the file to the first editor in window order (CD_OPEN_FILE); true
// when it opened it. No other editor is tried.
bool OfferFileToRunningEditor(const std::wstring& path);
// Starts the editor beside this program with the file, and waits (bounded)
// until it is idle. The program's path is quoted and given as the
// application name, so a folder with blanks can't start another program.
bool StartEditorWithFile(const std::wstring& path);
// Offers the file to a running editor, else starts a new one with it.
void OpenFileInRunningEditor(const std::wstring& path);

// CD_ACTIVATE_FILE to that view; true when the record could be sent.
bool SendActivateFile(HWND view, const std::wstring& path);
// CD_OPEN_AT_LINE to the editor that has the file (line -1 = none; an empty
// mode keeps the mode); nothing when none has it.
void SendOpenAtLine(const std::wstring& path, int line, const std::wstring& mode);
// Sends a command-line entry's "r" and "m" options to its editor.
void SendFileOptions(const CCmdLineEntry& entry);
