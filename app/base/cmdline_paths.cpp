#include "app/base/cmdline_paths.h"

#include "app/base/winutil.h"
#include "framework/wide.h"

void CSystemCmdLinePaths::MakeFullPath(std::u16string& path) const {
    std::wstring w = ToWide(path);
    ::MakeFullPath(w);
    path = ToU16(w);
}

bool CSystemCmdLinePaths::ResolveShortcut(const std::u16string& link, std::u16string& target) const {
    std::wstring resolved;
    if (!::ResolveShortcut(AsWide(link.c_str()), resolved)) return false;
    target = ToU16(resolved);
    return true;
}

bool CSystemCmdLinePaths::GetLongPath(const std::u16string& path, std::u16string& out) const {
    std::wstring longer;
    if (!::GetLongPath(AsWide(path.c_str()), longer)) return false;
    out = ToU16(longer);
    return true;
}

bool ParseEditorCommandLine(const std::wstring& arguments, CCommandLineFiles& files, std::wstring& error) {
    std::u16string message;
    const bool ok = files.Parse(ToU16(arguments), message, CSystemCmdLinePaths());
    error = ToWide(message);
    return ok;
}

std::wstring CommandLineArguments(const wchar_t* commandLine) {
    const std::wstring_view line = commandLine ? commandLine : L"";
    std::size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    } else {
        while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
    }
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
    return std::wstring(line.substr(at));
}
