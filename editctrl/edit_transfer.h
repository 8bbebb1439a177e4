// Text from the clipboard and from dropped data. Both come from other
// processes: every block is read within its GlobalSize, and narrow text is
// converted by its code page (CF_TEXT: the ANSI page, CF_OEMTEXT: the OEM one).
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>

// The text of a global block in a text format; false when it is not readable.
bool TextOfGlobal(HGLOBAL block, UINT format, std::u16string& text);
// Whether a box marker block says "TRUE".
bool MarkerOfGlobal(HGLOBAL block);
// The clipboard's text (Unicode, else OEM, else ANSI) and its box marker.
bool ReadClipboardText(HWND owner, std::u16string& text, bool& box);
// The same from dropped data.
bool ReadDataText(IDataObject* data, std::u16string& text, bool& box);
// Whether dropped data offers a text format.
bool DataOffersText(IDataObject* data);
