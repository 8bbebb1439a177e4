#include "app/text_platform.h"

#include <windows.h>

#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/platform_hooks.h"

namespace {

void Beep(unsigned type) { ::MessageBeep(type); }

int Box(const char16_t* text, const char16_t* caption, unsigned type) {
    return ShowMessageBox(::GetActiveWindow(), AsWide(text), AsWide(caption), type);
}

}  // namespace

void ConnectTextEngineToWindows() {
    TextEnginePlatform hooks;
    hooks.message_beep = Beep;
    hooks.message_box = Box;
    te_set_platform(hooks);
}
