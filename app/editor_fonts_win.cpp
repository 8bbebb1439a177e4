#include "app/editor_fonts_win.h"

#include "app/profile/app_settings.h"
#include "framework/wide.h"

CFont theEditorFont;
CFont theTabFont;

bool CreateEditorFont() {
    LOGFONTW lf{};
    lf.lfHeight = theSettings.fontPoint;
    lf.lfWeight = theSettings.fontWeight;
    lf.lfItalic = static_cast<BYTE>(theSettings.fontItalic);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, AsWide(theSettings.fontFaceName.c_str()), LF_FACESIZE);
    return theEditorFont.CreatePointFontIndirect(lf);
}

bool CreateTabFont() {
    return theTabFont.CreatePointFont(theSettings.tabFontPoint, AsWide(theSettings.tabFontFaceName.c_str()));
}
