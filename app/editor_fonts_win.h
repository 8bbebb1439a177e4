// The editor's two fonts, made from the settings record into the context.
#pragma once

#include <string>

#include "app/app_context.h"
#include "framework/gdi.h"

// The editor font from FONT: FACENAME, POINT (tenths of a point), WEIGHT,
// ITALIC, default character set. False when the font can't be made.
bool CreateEditorFont(CAppContext& context);
// The tab font from TAB_FONT: FACENAME and POINT.
bool CreateTabFont(CAppContext& context);

// The sizes, in points, a font may be chosen in: what a screen can show.
constexpr int kMinFontPoint = 6;
constexpr int kMaxFontPoint = 72;

// The face the font draws with (a substitute's real name); empty when the
// font isn't made.
std::wstring RealFaceName(const CFont& font);
