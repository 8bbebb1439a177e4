// The editor's command line parsed against the real file system: relative
// paths against the current folder, shortcuts resolved, long names taken.
#pragma once

#include <string>

#include "util/cmdline_files.h"

class CSystemCmdLinePaths : public CCmdLinePaths {
public:
    void MakeFullPath(std::u16string& path) const override;
    bool ResolveShortcut(const std::u16string& link, std::u16string& target) const override;
    bool GetLongPath(const std::u16string& path, std::u16string& out) const override;
};

// Parses the command line's arguments (without the program's name); false
// with the error text on a malformed option.
bool ParseEditorCommandLine(const std::wstring& arguments, CCommandLineFiles& files, std::wstring& error);

// The arguments of a full command line: what follows the program's name
// (quoted or not) and the blanks after it.
std::wstring CommandLineArguments(const wchar_t* commandLine);
