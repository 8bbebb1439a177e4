#include "app/macro_calls.h"

#include <cstring>
#include <vector>

namespace {

CMacroCalls* g_calls = nullptr;
std::vector<const char*> g_running;  // events being handled now

}  // namespace

CMacroCalls* SetMacroCalls(CMacroCalls* calls) {
    CMacroCalls* previous = g_calls;
    g_calls = calls;
    return previous;
}

CMacroCalls* GetMacroCalls() { return g_calls; }

void FireMacroEvent(const char* event) {
    if (!g_calls || !g_calls->HasEventHandler(event)) return;
    for (const char* running : g_running)
        if (std::strcmp(running, event) == 0) return;
    g_running.push_back(event);
    struct Pop {
        ~Pop() { g_running.pop_back(); }
    } pop;
    g_calls->FireEvent(event);
}

void RunMacroFile(const std::wstring& path) {
    if (g_calls) g_calls->RunFile(path);
}

void RunMacroText(const std::wstring& text) {
    if (g_calls) g_calls->RunText(text);
}
