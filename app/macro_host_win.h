// The macro host in the running editor: the interpreter with the main frame,
// the active document's current file and its editing window behind the
// macro procedures. InitMacro keeps it in the application context and
// installs it as the frame's and the view's CMacroCalls (app/macro_calls.h).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CMacroHost;
class CView;
struct CAppContext;

// The running interpreter with the windows side behind it.
class CAppMacro {
public:
    virtual ~CAppMacro() = default;
    virtual CMacroHost& Host() = 0;
};

// Creates the interpreter and loads scmlib\init.scm and scmlib\wendrel.scm
// of programDir (with its trailing backslash) into the context. False after
// the failure box: the program does not start.
bool InitMacro(const std::wstring& programDir, CAppContext& context);
// Destroys the context's interpreter (at exit); the frame and view then
// call nobody.
void ExitMacro(CAppContext& context);
// The context's host, or null.
CMacroHost* MacroHostOf(const CAppContext& context);

// app-input-box's dialog when set (a test answers it here: true = OK, text
// edited in place).
using MacroInputBoxHandler = std::function<bool(const std::wstring& caption, std::wstring& text)>;

// The view's search record takes the macro's search (installed by the
// application; without it the search runs on the editor alone).
using MacroSearchConditionWriter = void (*)(CView* view, const std::wstring& pattern, bool matchCase);
