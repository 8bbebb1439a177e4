// What the frame, the view and the commands ask of the macro host: run the
// procedure bound to a key, fire an event, run a macro file or a text. The
// macro host (app/macro_host_win.h) installs itself in the application
// context's link at start-up; tests may install a recording stand-in instead.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CMacroCalls {
public:
    virtual ~CMacroCalls() = default;
    // The key's binding: (fVirt of the modifiers held) << 16 | virtual key.
    // True when a procedure is bound to it and ran successfully.
    virtual bool RunKeyProcedure(DWORD binding) = 0;
    // True when a procedure handles the event.
    virtual bool HasEventHandler(const char* event) = 0;
    virtual void FireEvent(const char* event) = 0;
    // One wrapped run each (undo group, status text, report).
    virtual void RunFile(const std::wstring& path) {}
    virtual void RunText(const std::wstring& text) {}
};

// The one host the program's windows call, when one is installed.
class CMacroLink {
public:
    // Installs (or, with null, removes) the host; returns the one replaced.
    CMacroCalls* Install(CMacroCalls* calls);
    CMacroCalls* Calls() const { return calls_; }

    // Fires event when the host has a handler for it. A handler that causes
    // the same event again (a caret move from on-cursor-moved) does not
    // re-enter it.
    void FireEvent(const char* event);

    // The run-macro-file and clipboard-macro commands: a .scm file loaded,
    // or a text evaluated, as one macro run; nothing without a host.
    void RunFile(const std::wstring& path);
    void RunText(const std::wstring& text);

private:
    CMacroCalls* calls_ = nullptr;
    std::vector<const char*> running_;  // events being handled now
};
