// The editor's command line: file paths (quoted or not, several on one
// line) and one-letter options after a slash, per file ("r" line number,
// "m" edit-mode name) or global ("d" working folder, any other letter).
// Parsing asks the system only through CCmdLinePaths, so it runs natively.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// What parsing needs from the file system: absolute paths against the
// current folder, and a named file's real name (shortcut target, long form).
class CCmdLinePaths {
public:
    virtual ~CCmdLinePaths() = default;
    virtual void MakeFullPath(std::u16string& path) const = 0;
    // The target of a shell shortcut; false when any step fails.
    virtual bool ResolveShortcut(const std::u16string& link, std::u16string& target) const = 0;
    // The path as stored on disk; false when it can't be built.
    virtual bool GetLongPath(const std::u16string& path, std::u16string& out) const = 0;
};

using CmdLineOptions = std::map<std::u16string, std::u16string>;

struct CCmdLineEntry {
    std::u16string path;
    CmdLineOptions options;  // "r": 0-based line as decimal text; "m": edit-mode name

    // The per-file value or empty.
    std::u16string GetOption(std::u16string_view letter) const;
};

class CCommandLineFiles {
public:
    // text is the command line without the program's own name. On a
    // malformed "/r" returns false with error filled; earlier items stay.
    bool Parse(std::u16string_view text, std::u16string& error, const CCmdLinePaths& paths);

    const std::vector<CCmdLineEntry>& Entries() const { return m_entries; }
    const CmdLineOptions& GlobalOptions() const { return m_options; }
    // The global "d" value or empty.
    std::u16string GetDirOption() const;
    void SetOption(std::u16string_view letter, std::u16string value);

private:
    void AddFile(const std::u16string& token, const CCmdLinePaths& paths);
    bool ParseOption(std::u16string_view text, std::size_t& pos, std::u16string& error, const CCmdLinePaths& paths);

    std::vector<CCmdLineEntry> m_entries;
    CmdLineOptions m_options;
};

// Line numbers beyond this are taken as this (the record carries 32 bits).
constexpr int kCmdLineMaxLine = 0x7fffffff;
