// sulki's command line: the search text, then "/d folder" and "/c
// encoding-name" (the editor starts sulki with its selection and folder).
// Read by the editor's command-line parser, except that the search text is
// taken as typed: it is text, not a path. The editor's side builds it here
// too, so what it writes is what sulki reads.
#pragma once

#include <string>
#include <string_view>

struct SulkiCommandLine {
    std::u16string searchText;    // empty: none given
    std::u16string folder;        // "/d", absolute; empty: none given
    std::u16string encodingName;  // "/c"; empty: none given
};

// False (out left empty) when the line does not parse; then it is ignored
// whole. currentDir makes a relative folder absolute.
bool ParseSulkiCommandLine(std::u16string_view text, const std::u16string& currentDir, SulkiCommandLine& out);

// The most a process's command line carries, without its terminator.
constexpr std::size_t kMaxCommandLineUnits = 32766;

// The command line that starts the sulki program at programPath (quoted) with
// searchText in double quotes and, when folder is not empty, "/d" with the
// folder in double quotes. A text that can't stand between two quotes as
// one token (empty, holding a double quote or a line break) or that would
// make the line longer than maxUnits is left out: sulki then starts
// without one.
std::u16string BuildSulkiCommandLine(const std::u16string& programPath, const std::u16string& searchText,
                                     const std::u16string& folder, std::size_t maxUnits = kMaxCommandLineUnits);
