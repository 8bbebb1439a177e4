#include "app/macro_calls.h"

#include <cstring>

CMacroCalls* CMacroLink::Install(CMacroCalls* calls) {
    CMacroCalls* previous = calls_;
    calls_ = calls;
    return previous;
}

void CMacroLink::FireEvent(const char* event) {
    if (!calls_ || !calls_->HasEventHandler(event)) return;
    for (const char* running : running_)
        if (std::strcmp(running, event) == 0) return;
    running_.push_back(event);
    struct Pop {
        std::vector<const char*>& running;
        ~Pop() { running.pop_back(); }
    } pop{running_};
    calls_->FireEvent(event);
}

void CMacroLink::RunFile(const std::wstring& path) {
    if (calls_) calls_->RunFile(path);
}

void CMacroLink::RunText(const std::wstring& text) {
    if (calls_) calls_->RunText(text);
}
