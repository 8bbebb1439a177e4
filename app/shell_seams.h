// Message boxes, process starts and shell opens of the utilities go through
// these pointers, so a test records them instead of showing or starting
// anything. The defaults call the system.
#pragma once

#include <windows.h>

struct ShellSeams {
    int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    // Starts a process with the command line (no window options); the
    // handles are closed at once. True when started.
    bool (*startProcess)(const wchar_t* commandLine);
    // ShellExecuteW(owner, verb, file); true when the system took it.
    bool (*shellExecute)(HWND owner, const wchar_t* verb, const wchar_t* file);
};

ShellSeams& AppShellSeams();

// Restores the system functions (for tests that replaced them).
void ResetAppShellSeams();
