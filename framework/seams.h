// Every message box and every program start of the system goes through
// these functions, so a test can answer a box nobody sees and record what
// would have been started. Without a handler they call the platform.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct MessageBoxRequest {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct ProcessStartRequest {
    enum Kind { Shell, Process } kind;  // ShellExecuteW or CreateProcessW
    std::wstring verb;         // Shell only; empty = default verb
    std::wstring file;         // Shell: file or URL; Process: empty
    std::wstring parameters;   // Shell parameters / the Process command line
    std::wstring directory;
    int show;                  // Shell only
    bool waitForIdle;          // Process only
    std::wstring application;  // Process only; empty = taken from the command line
};

struct FileDialogRequest {
    HWND owner;
    bool save;                 // the save form, else the open form
    std::wstring caption;      // empty: the platform's own
    std::wstring path;         // offered name in, chosen path out
    DWORD flags;               // OFN_* flags
    // What the program's own file dialog adds; a plain request leaves them.
    std::wstring filter;       // description/pattern pairs, each NUL-ended; empty: all files
    int filterIndex = 0;
    std::wstring directory;    // where the dialog starts; empty: the current folder
    std::wstring defaultExt;
    int encoding = 0;          // the encoding box's choice, in and out; 0: no box
    int lineEnd = 0;           // the line-end box's choice, in and out; 0: no box
    std::vector<std::wstring> paths;  // a multiple selection, out (path is the first)
};

struct FontDialogRequest {
    HWND owner;
    LOGFONTW font;             // the font offered in, the one chosen out
    int pointSize;             // out: tenths of a point, as the dialog reports it
    int minPoint = 0;          // in: the sizes offered, in points (0: any)
    int maxPoint = 0;
};

// The handler's answer stands for MessageBoxW's result.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
// The handler's answer stands for whether the start succeeded.
using ProcessStartHandler = std::function<bool(const ProcessStartRequest&)>;

// The handler fills in request.path and answers true for OK, false for Cancel.
using FileDialogHandler = std::function<bool(FileDialogRequest&)>;

// A modal dialog of ours (CDialog::DoModal) that is up and running its loop.
struct ModalDialogRequest {
    UINT templateId;  // 0 for a template in memory
    HWND dialog;
};
// Called once inside the dialog's modal loop, right after its
// initialisation; it answers the dialog as a person would (it presses a
// button with WM_COMMAND) and must end it.
using ModalDialogHandler = std::function<void(const ModalDialogRequest&)>;
// The handler fills in the chosen font and answers true for OK.
using FontDialogHandler = std::function<bool(FontDialogRequest&)>;

struct ColorDialogRequest {
    HWND owner;
    COLORREF color;            // the colour offered in, the one chosen out
};
// The handler fills in the chosen colour and answers true for OK.
using ColorDialogHandler = std::function<bool(ColorDialogRequest&)>;

struct FolderDialogRequest {
    HWND owner;
    std::wstring title;
    std::wstring folder;       // the folder selected at the start in, the chosen one out
};
// The handler fills in the chosen folder and answers true for OK.
using FolderDialogHandler = std::function<bool(FolderDialogRequest&)>;

// Install a handler (or none); returns the one it replaces.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
ProcessStartHandler SetProcessStartHandler(ProcessStartHandler handler);
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);
ModalDialogHandler SetModalDialogHandler(ModalDialogHandler handler);
// Hands the dialog to the installed handler; false when none is installed.
bool AnswerModalDialog(const ModalDialogRequest& request);
bool HasModalDialogHandler();
FontDialogHandler SetFontDialogHandler(FontDialogHandler handler);
ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler);
FolderDialogHandler SetFolderDialogHandler(FolderDialogHandler handler);

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// GetSaveFileNameW / GetOpenFileNameW; true when a name was chosen.
bool ShowFileDialog(FileDialogRequest& request);
// For a dialog that runs the platform's call itself: true when a test's
// handler answered in its place, ok then holds the answer.
bool AnswerFileDialogBySeam(FileDialogRequest& request, bool& ok);
// ChooseFontW over screen fonts without effects; true on OK.
bool ShowFontDialog(FontDialogRequest& request);
// ChooseColorW with the full dialog and the custom colours of this run;
// true on OK.
bool ShowColorDialog(ColorDialogRequest& request);
// SHBrowseForFolderW over file-system folders, starting at request.folder;
// true when a folder was chosen.
bool ShowFolderDialog(FolderDialogRequest& request);
// ShellExecuteW; true when the platform reports success (a result above 32).
bool ShellExecuteOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* directory, int show);
// CreateProcessW with a command line and, when given, the program's path as
// the application name; both handles are closed at once, after waiting (a
// bounded time) for the new program to become idle when asked.
bool StartProcess(const wchar_t* commandLine, const wchar_t* directory, bool waitForIdle,
                  const wchar_t* application = nullptr);
