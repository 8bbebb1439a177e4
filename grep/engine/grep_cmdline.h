// sulki's command line: the search text, then "/d folder" and "/c
// encoding-name" (the editor starts sulki with its selection and folder).
// Read by the editor's command-line parser, except that the search text is
// taken as typed: it is text, not a path.
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
