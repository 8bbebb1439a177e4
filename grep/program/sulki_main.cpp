// sulki.exe: the grep tool's entry point and its one application object.
#include <windows.h>

#include "framework/app.h"
#include "grep/ui/sulki_app.h"

namespace {
CSulkiApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR cmdLine, int cmdShow) {
    return WinAppMain(instance, cmdLine, cmdShow);
}
