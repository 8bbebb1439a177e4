// Path, file, version and browser helpers that ask Windows. The pure string
// work is in util/pathutil.h and util/strutil.h.
#pragma once

#include <windows.h>

#include <string>

// Folder of the running program with a trailing '\'; "" when unknown.
std::wstring GetModuleDir();

// The path as stored on disk (long names, their case), element by element.
// Only for "X:\..." and "\\server\share..." paths; 0 when an element is
// missing or the path is of another form. Stops after an element that is
// not a folder.
int GetLongPath(const wchar_t* path, std::wstring& out);

bool IsFileExist(const wchar_t* path);
// "X:" and paths with a trailing '\' are taken as folders too.
bool IsDirectory(const wchar_t* path);

// Makes a relative path absolute against the current folder (in place).
void MakeFullPath(std::wstring& path);

// The target of a shell shortcut (.lnk), resolved without any window or
// search. COM must be initialised; false when any step fails.
bool ResolveShortcut(const wchar_t* link, std::wstring& target);

// The full path the system reports for the opened file; the input when the
// file can't be opened.
std::wstring GetOpenedFilePath(const wchar_t* path);

// "a.b.c.d" of the module's file version; 0 without a version block.
int GetFileVersionString(const wchar_t* module, std::wstring& out);

// For SHBrowseForFolderW: selects the folder given as the callback's data.
int CALLBACK BrowseFolderCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

// Starts the browser program with target as its one argument (by its full
// path, never through the shell); tells the user when the program is
// missing or does not start.
bool ExecBrowser(const wchar_t* browser, const wchar_t* target);

// Hands target to a running browser's DDE service; starts the browser
// program instead when the service doesn't answer.
bool OpenURL(const wchar_t* service, const wchar_t* target, const wchar_t* browser);

// Opens doc\<name> beside the program with the shell.
void OpenHelpDocument(const wchar_t* name);
