// What the frame and the view ask of the macro host: run the procedure
// bound to a key, fire an event. Until the macro host is there nobody is
// installed and nothing runs; tests install a recording stand-in.
#pragma once

#include <windows.h>

class CMacroCalls {
public:
    virtual ~CMacroCalls() = default;
    // The key's binding: (fVirt of the modifiers held) << 16 | virtual key.
    // True when a procedure is bound to it and ran successfully.
    virtual bool RunKeyProcedure(DWORD binding) = 0;
    // True when a procedure handles the event.
    virtual bool HasEventHandler(const char* event) = 0;
    virtual void FireEvent(const char* event) = 0;
};

// Installs (or, with null, removes) the host; returns the one replaced.
CMacroCalls* SetMacroCalls(CMacroCalls* calls);
CMacroCalls* GetMacroCalls();

// Fires event when the host has a handler for it. A handler that causes the
// same event again (a caret move from on-cursor-moved) does not re-enter it.
void FireMacroEvent(const char* event);
