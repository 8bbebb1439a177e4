// The settings store for window code: framework strings in and out, and a
// default that may name a string resource.
#pragma once

#include <windows.h>

#include "app/profile/ini_profile.h"
#include "framework/fwstring.h"

// The value, else the default; a default given as a resource identifier
// (MAKEINTRESOURCEW, a number below 65536) is loaded from the program's
// string table.
CString GetIniString(const CIniProfile& profile, const wchar_t* section, const wchar_t* key,
                     const wchar_t* defaultValue);
// Replaces the value; a value with a line break is not stored (false).
bool WriteIniString(CIniProfile& profile, const wchar_t* section, const wchar_t* key, const wchar_t* value);
