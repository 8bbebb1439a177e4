// What the settings record's defaults and checks take from Windows: the
// caret blink time, the system colours and the loaded edit modes.
#pragma once

#include "app/profile/app_settings.h"

class CEditModeTable;

// modes may be null: every edit-mode name is then taken as known.
SettingsEnvironment SystemSettingsEnvironment(const CEditModeTable* modes);
