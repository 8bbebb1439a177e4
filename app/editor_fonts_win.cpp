#include "app/editor_fonts_win.h"

#include <vector>

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

std::wstring RealFaceName(const CFont& font) {
    if (!font.GetSafeHandle()) return L"";
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font.GetSafeHandle());
    std::wstring face;
    // The outline's own family name: the face name may be a substitute's.
    if (const UINT size = ::GetOutlineTextMetricsW(dc, 0, nullptr)) {
        std::vector<BYTE> buffer(size);
        auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (::GetOutlineTextMetricsW(dc, size, otm))
            face = reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<UINT_PTR>(otm->otmpFamilyName));
    }
    if (face.empty()) {
        wchar_t name[LF_FACESIZE] = {};
        if (::GetTextFaceW(dc, LF_FACESIZE, name) > 0) face = name;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return face;
}
