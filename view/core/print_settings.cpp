#include "view/core/print_settings.h"

#include "app/profile/ini_profile.h"

namespace {

constexpr char16_t kSection[] = u"PRINT";

int ReadFlag(const CIniProfile& profile, const char16_t* key, int defaultValue) {
    return profile.GetInt(kSection, key, defaultValue) != 0 ? 1 : 0;
}

}  // namespace

PrintSettings ReadPrintSettings(const CIniProfile& profile) {
    PrintSettings s;
    PrintMargins m;
    m.top = profile.GetInt(kSection, u"SPACE_TOP", s.margins.top);
    m.bottom = profile.GetInt(kSection, u"SPACE_BOTTOM", s.margins.bottom);
    m.left = profile.GetInt(kSection, u"SPACE_LEFT", s.margins.left);
    m.right = profile.GetInt(kSection, u"SPACE_RIGHT", s.margins.right);
    s.margins = ClampPrintMargins(m);
    s.title = ReadFlag(profile, u"PRINT_TITLE", s.title);
    s.pageNumbers = ReadFlag(profile, u"PRINT_PAGE", s.pageNumbers);
    s.lineNumbers = ReadFlag(profile, u"PRINT_ROW_NUM", s.lineNumbers);
    s.date = ReadFlag(profile, u"PRINT_DATE", s.date);
    const std::u16string face = profile.GetString(kSection, u"FONT_FACE_NAME", s.fontFace);
    // A face name longer than a font record holds would never be found.
    if (!face.empty() && face.size() < 32) s.fontFace = face;
    s.fontPoint = ClampPrintFontPoint(profile.GetInt(kSection, u"FONT_POINT", s.fontPoint));
    s.printerName = profile.GetString(kSection, u"PRINTER_NAME", u"");
    return s;
}

void WritePrintSettings(const PrintSettings& s, CIniProfile& profile) {
    profile.WriteInt(kSection, u"SPACE_TOP", s.margins.top);
    profile.WriteInt(kSection, u"SPACE_BOTTOM", s.margins.bottom);
    profile.WriteInt(kSection, u"SPACE_LEFT", s.margins.left);
    profile.WriteInt(kSection, u"SPACE_RIGHT", s.margins.right);
    profile.WriteInt(kSection, u"PRINT_TITLE", s.title);
    profile.WriteInt(kSection, u"PRINT_PAGE", s.pageNumbers);
    profile.WriteInt(kSection, u"PRINT_ROW_NUM", s.lineNumbers);
    profile.WriteInt(kSection, u"PRINT_DATE", s.date);
    profile.WriteString(kSection, u"FONT_FACE_NAME", s.fontFace);
    profile.WriteInt(kSection, u"FONT_POINT", s.fontPoint);
}

void WritePrintPrinterName(const std::u16string& name, CIniProfile& profile) {
    profile.WriteString(kSection, u"PRINTER_NAME", name);
}
