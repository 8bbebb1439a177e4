// The result view looks like the editor's text: its display settings are
// read (never written) from the editor's settings file.
#pragma once

#include "framework/gdi.h"

class CEditCtrl;
class CIniProfile;

// Font, tab size, spacing, margins, style bits and colours 0-7 from the
// TEXT_EDITOR and FONT sections; absent entries take the editor's
// defaults. font receives the view's font (kept by the caller while the
// view lives). The view is laid out again.
void ApplyEditorDisplaySettings(CEditCtrl& view, CFont& font, const CIniProfile& settings);
