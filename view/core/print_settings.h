// The print dialog's settings, kept in section [PRINT] of the settings
// store: read (held to the dialog's ranges) when the dialog opens, written
// by its OK.
#pragma once

#include <string>

#include "view/core/print_pages.h"

class CIniProfile;

struct PrintSettings {
    PrintMargins margins{15, 20, 15, 15};  // left, top, right, bottom
    int title = 1;
    int pageNumbers = 0;
    int lineNumbers = 0;
    int date = 0;
    std::u16string fontFace = u"ＭＳ ゴシック";
    int fontPoint = 110;  // tenths of a point
    std::u16string printerName;
};

PrintSettings ReadPrintSettings(const CIniProfile& profile);
// Everything but the printer's name, which is written once the printer's
// driver settings have been taken.
void WritePrintSettings(const PrintSettings& settings, CIniProfile& profile);
void WritePrintPrinterName(const std::u16string& name, CIniProfile& profile);
