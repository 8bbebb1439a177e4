#include "app/editor_fonts_win.h"

#include <vector>

#include "app/profile/app_settings.h"
#include "framework/wide.h"

bool CreateEditorFont(CAppContext& context) {
    const CAppSettings& settings = context.settings;
    LOGFONTW lf{};
    lf.lfHeight = settings.fontPoint;
    lf.lfWeight = settings.fontWeight;
    lf.lfItalic = static_cast<BYTE>(settings.fontItalic);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, AsWide(settings.fontFaceName.c_str()), LF_FACESIZE);
    return context.editorFont.CreatePointFontIndirect(lf);
}

bool CreateTabFont(CAppContext& context) {
    const CAppSettings& settings = context.settings;
    return context.tabFont.CreatePointFont(settings.tabFontPoint, AsWide(settings.tabFontFaceName.c_str()));
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
