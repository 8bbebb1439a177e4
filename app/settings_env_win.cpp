#include "app/settings_env_win.h"

#include <windows.h>

#include "editctrl/syntax/editmode.h"

SettingsEnvironment SystemSettingsEnvironment(const CEditModeTable* modes) {
    SettingsEnvironment env;
    env.caretBlinkTime = static_cast<int>(GetCaretBlinkTime());
    env.windowTextColor = GetSysColor(COLOR_WINDOWTEXT);
    env.buttonFaceColor = GetSysColor(COLOR_BTNFACE);
    if (modes) env.isEditModeName = [modes](std::u16string_view name) { return modes->FindEditMode(name) >= 0; };
    return env;
}
