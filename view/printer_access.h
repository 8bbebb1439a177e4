// The machine's printers as the print dialog uses them: their names, the
// default one, a printer's information record with its driver settings, a
// device context for it, and the printer chosen last in this run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Local and connected printers; false with the error code when the
// enumeration fails.
bool EnumPrinterNames(std::vector<std::wstring>& names, DWORD& error);
// The default printer's name; empty when there is none.
std::wstring DefaultPrinterName();
// The system's text for an error code.
std::wstring SystemErrorText(DWORD error);

// A printer's information record (PRINTER_INFO_2 with its strings) and the
// driver settings it uses, which may be replaced by settings of our own.
class CPrinterInfo {
public:
    // Reads the printer's record; false with the error code when it can't
    // be opened or read (the record is empty then).
    bool Fetch(const std::wstring& name, DWORD& error);
    void Release();
    bool IsEmpty() const { return record_.empty(); }
    const std::wstring& Name() const { return name_; }
    // The driver settings in use; null when the record has none.
    DEVMODEW* DevMode() const;
    // A copy of the driver settings with their private part; empty when none.
    std::vector<BYTE> CopyDevMode() const;

    // Lets the driver merge settings into the record's (input null: the
    // record's own), optionally showing its properties dialog first. False
    // with the error code on failure, or when the user cancelled (error 0).
    bool MergeDevMode(const DEVMODEW* input, bool prompt, HWND owner, DWORD& error);

    // A printer device context with these driver settings; null on failure.
    HDC CreateDC() const;

private:
    std::wstring name_;
    std::vector<BYTE> record_;   // the PRINTER_INFO_2W block
    std::vector<BYTE> devMode_;  // settings of our own, when merged
};

