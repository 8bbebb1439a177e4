// Searching a text buffer with a compiled regex (forwards, backwards, line by
// line, with wrap-around), replacing every match, and keeping or deleting
// the lines that match. Literal searches come here as compiled literals.
//
// Results: a search gives a column or length, kSearchNotFound, kSearchDeclined
// (the user would not wrap) or kSearchFailed (the regex engine gave up:
// backtracking stack or step budget). A failure is never "not found":
// ReplaceAll and FilterLines stop with it and change nothing.
#pragma once

#include <functional>
#include <string>

#include "textengine/edit_data.h"
#include "textengine/regex/regex.h"

enum : int {
    kSearchNotFound = -1,
    kSearchDeclined = -2,
    kSearchFailed = -3,
};

// The engine's view of the buffer: every line end reads as one "\n"; the
// host anchors \=A \=z \=^ \=$ read the buffer's selection.
struct EditDataRegexHost {
    const CEditData* data;
    int LineCount() const { return data->GetLineCount(); }
    const char16_t* LineText(int line, int* length) const {
        *length = data->GetLineLength(line);
        return data->GetLineText(line);
    }
};
RegexTextOps EditDataRegexOps(const EditDataRegexHost& host);

// direction 1: the first match starting on line at or after column (the
// match is kept in re, *length set); any other direction: the last match on
// the line that ends at or before column. Returns the match column.
int SearchRegex(const CEditData& data, int line, int column, int direction, int* length, CompiledRegex* re);

// Visits lineCount lines from firstLine stepping by direction (+1/-1); on
// the first line with a match, *pos is its start (the first match forwards,
// the last backwards). Returns the match length.
int SearchRegexLines(const CEditData& data, EditPos* pos, int direction, int firstLine, int lineCount,
                     CompiledRegex* re);

// Asked before a search goes round the text's end (direction 1: it reached
// the end; -1: the start): true to go on from the other end.
using WrapQuestion = std::function<bool(int direction)>;

// From start (null: the caret) in direction, then, with wrap 1, around the
// text's end (asking first when askToWrap is given). Returns the length.
int SearchWithWrap(const CEditData& data, EditPos* pos, int direction, int wrap, const EditPos* start,
                   const WrapQuestion& askToWrap, CompiledRegex* re, int* wrapped);

// pos moved forward by n units, a line end counting one; stops at the end of
// the last line.
EditPos AdvancePos(const CEditData& data, EditPos pos, int n);

// The template expanded for the match at match of length units.
std::u16string GetReplacementText(const CEditData& data, EditPos match, int length, const char16_t* tmpl,
                                  CompiledRegex* re);

// Replaces every match of re in the text, or within the selection
// selStart-selEnd (a box when box is set), by replacement ("$&", "\1" ...
// expanded when expand is set). One undo group; none when nothing matched.
// 0, the first failing edit's result, or kSearchFailed.
int ReplaceAll(CEditData& data, const char16_t* replacement, int expand, const EditPos* selStart,
               const EditPos* selEnd, int* count, CompiledRegex* re, int box);

struct FilterLinesArgs {
    int firstLine;   // negative: 0
    int lastLine;    // negative: the last line
    int* count;      // out: lines deleted (may be null)
    CompiledRegex* re;
    int deleteMatching;  // 1: delete the lines that match; 0: keep only them
};
// 0, the first failing edit's result, or kSearchFailed.
int FilterLines(CEditData& data, const FilterLinesArgs& args);

// Owns a compiled regex through its first member.
struct RegexHolder {
    CompiledRegex* regex = nullptr;
};
void regex_holder_free(RegexHolder* holder);
