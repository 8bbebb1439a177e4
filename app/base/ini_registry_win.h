// The one-time move of settings kept by older versions under
// HKEY_CURRENT_USER\software\TORKA\wendrel into the two settings files.
#pragma once

#include <windows.h>

#include <string>

// Writes the registry's settings to mainPath (which must not exist yet) and
// to localPath when that does not exist yet, each as UTF-16LE with FF FE.
// Without the registry key both files hold just the signature. False when
// the main file can't be made or a value can't be read; what was read
// before that is still written, so the move runs only once.
bool ImportRegistry(const std::wstring& mainPath, const std::wstring& localPath);

// Appends the text of key and its subkeys: "[path]" (none at the top), its
// values as "name=text" (REG_SZ) and "name=unsigned" (REG_DWORD), an empty
// line, then each subkey as "path\child". Keys under "BarState..." and
// "Recent File List" go to localText with their subkeys; the rest to
// mainText. A value that would break the file (a line break in it) is left
// out. False for a value of another type or when the registry fails.
bool ImportRegistryKey(HKEY key, const std::wstring& path, std::u16string& mainText, std::u16string& localText);
