// Texts from the program's string table.
#pragma once

#include <windows.h>

#include "framework/fwstring.h"

// The string resource id, or an empty string when there is none.
CString LoadResourceString(UINT id);
