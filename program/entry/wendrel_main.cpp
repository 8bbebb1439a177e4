// The editor program's entry: the one application object, run.
#include <windows.h>

#include "program/pavin_app.h"

CPavinApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int cmdShow) {
    return WinAppMain(instance, cmdLine, cmdShow);
}
