#include "app/text_platform.h"

#include <windows.h>

#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/platform_hooks.h"

namespace {

void Beep(unsigned type) { ::MessageBeep(type); }

void TellShortage(TextEngineShortage) {
    ShowMessageBox(::GetActiveWindow(), L"メモリが確保できません", L"メッセージ", MB_ICONINFORMATION);
}

}  // namespace

void ConnectTextEngineToWindows() {
    TextEnginePlatform hooks;
    hooks.message_beep = Beep;
    hooks.memory_short = TellShortage;
    te_set_platform(hooks);
}
