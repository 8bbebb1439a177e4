// The macro host in the running editor: the one interpreter of the process
// with the main frame, the active document's current file and its editing
// window behind the macro procedures. InitMacro installs it as the frame's
// and the view's CMacroCalls (app/macro_calls.h).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CMacroHost;
class CView;

// Creates the interpreter and loads scmlib\init.scm and scmlib\wendrel.scm
// of programDir (with its trailing backslash). False after the failure box:
// the program does not start.
bool InitMacro(const std::wstring& programDir);
// Destroys the interpreter (at exit); the frame and view then call nobody.
void ExitMacro();
// The application's host, or null.
CMacroHost* GetAppMacroHost();

// The timer procedure of macro timers (SetTimer on the main frame).
void CALLBACK MacroTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// app-input-box's dialog; a test answers it here (true = OK, text edited
// in place). Returns the handler it replaces.
using MacroInputBoxHandler = std::function<bool(const std::wstring& caption, std::wstring& text)>;
MacroInputBoxHandler SetMacroInputBoxHandler(MacroInputBoxHandler handler);

// The view's search record takes the macro's search (installed by the view;
// without it the search runs on the editor alone).
using MacroSearchConditionWriter = void (*)(CView* view, const std::wstring& pattern, bool matchCase);
void SetMacroSearchConditionWriter(MacroSearchConditionWriter writer);
