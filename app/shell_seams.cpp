#include "app/shell_seams.h"

#include <shellapi.h>

#include <vector>

namespace {

int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

bool SystemStartProcess(const wchar_t* commandLine) {
    // CreateProcessW may write into its command line.
    std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool SystemShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file) {
    const auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32;
}

const ShellSeams kSystem = {SystemMessageBox, SystemStartProcess, SystemShellExecute};
ShellSeams seams = kSystem;

}  // namespace

ShellSeams& AppShellSeams() { return seams; }

void ResetAppShellSeams() { seams = kSystem; }
