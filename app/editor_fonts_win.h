// The editor's two program-wide fonts, made from the settings record.
#pragma once

#include "framework/gdi.h"

extern CFont theEditorFont;
extern CFont theTabFont;

// theEditorFont from FONT: FACENAME, POINT (tenths of a point), WEIGHT,
// ITALIC, default character set. False when the font can't be made.
bool CreateEditorFont();
// theTabFont from TAB_FONT: FACENAME and POINT.
bool CreateTabFont();
