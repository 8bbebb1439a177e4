// The settings record turned into what an editing window takes: its style
// word, its wheel step, its spacing and colours.
#pragma once

#include <windows.h>

#include "app/profile/app_settings.h"

class CEditCtrl;

// The style word from the fixed base and one bit per setting. noComments:
// the current language has neither row nor block comments; tagLanguage: it
// is a tag language.
DWORD EditStyleFromSettings(const CAppSettings& s, bool noComments, bool tagLanguage);
// The wheel delta that scrolls one row; a row count below 1 (never stored
// by the settings, but a value of 0 must not divide) scrolls 3 rows.
double WheelDeltaPerRow(int rowsPerNotch);
// Spacing, margins, wrap column, style and colours into the control; the
// font applied again (it re-measures) when the control has its window.
void ApplySettingsToEditor(CEditCtrl& editor, const CAppSettings& s, bool noComments, bool tagLanguage);
