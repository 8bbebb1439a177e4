// The view's print command: the print dialog, then the current file (or its
// selection) on the chosen printer.
#pragma once

#include <windows.h>

#include <string>

class CCmdUI;
class CEditData;
class CPavinView;
class CPrintLayout;

// Runs (ui null) or updates (ui set) the print command; false for other ids.
bool RunPrintCommand(CPavinView& view, UINT id, CCmdUI* ui);

// Sends the measured layout's pages of data to dc as one document named
// name; a page the printer refuses abandons the document (AbortDoc). False
// with the error code (0 when the system gave none) when the document was
// not printed whole. The layout's font is put back either way.
bool PrintDocument(HDC dc, CPrintLayout& layout, const CEditData& data, const std::wstring& name, DWORD& error);
