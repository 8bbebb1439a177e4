// The editor's two program-wide fonts, made from the settings record.
#pragma once

#include <string>

#include "framework/gdi.h"

extern CFont theEditorFont;
extern CFont theTabFont;

// theEditorFont from FONT: FACENAME, POINT (tenths of a point), WEIGHT,
// ITALIC, default character set. False when the font can't be made.
bool CreateEditorFont();
// theTabFont from TAB_FONT: FACENAME and POINT.
bool CreateTabFont();

// The sizes, in points, a font may be chosen in: what a screen can show.
constexpr int kMinFontPoint = 6;
constexpr int kMaxFontPoint = 72;

// The face the font draws with (a substitute's real name); empty when the
// font isn't made.
std::wstring RealFaceName(const CFont& font);
