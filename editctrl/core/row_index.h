// The first display row of every line, kept so that inserting or re-wrapping
// a line costs time independent of the file's length: a gap array of row
// starts whose entries behind the last change carry a pending shift (the
// "step"), applied lazily as later changes or queries walk over them.
// Widths of the lines ride along in a second gap array with a count of each
// width, so the widest width is known without a rescan. While every line is
// one row (nothing wraps) row i is line i: the row arrays are not built
// until a line first takes more rows.
#pragma once

#include <map>
#include <vector>

#include "textengine/invariant.h"

// A vector with a movable gap: insertions and deletions near the previous
// one cost nothing beyond moving the gap there.
class CGapIntArray {
public:
    int Size() const { return static_cast<int>(body_.size()) - gapLength_; }
    int Get(int i) const {
        WENDREL_ASSERT(i >= 0 && i < Size());
        return i < gapStart_ ? body_[i] : body_[i + gapLength_];
    }
    int& At(int i) {
        WENDREL_ASSERT(i >= 0 && i < Size());
        return i < gapStart_ ? body_[i] : body_[i + gapLength_];
    }
    void Insert(int at, int n, int value);
    void Delete(int at, int n);
    void Assign(int n, int value);

private:
    void MoveGap(int at);
    void Reserve(int extra);

    std::vector<int> body_;
    int gapStart_ = 0;
    int gapLength_ = 0;
};

class CRowIndex {
public:
    // lines lines of one row each, width 0.
    void Reset(int lines);
    int LineCount() const { return widths_.Size(); }
    int TotalRows() const { return total_; }

    // Lines [at, at + n) come in with one row each and width 0.
    void InsertLines(int at, int n);
    void DeleteLines(int at, int n);
    void SetRowCount(int line, int rows);
    int RowCount(int line) const { return plain_ ? 1 : rows_.Get(line); }
    int FirstRow(int line);
    // The line holding a display row (the last line for rows past the end).
    int LineOfRow(int row);

    void SetWidth(int line, int width);
    // Widths set between these two are counted once at the end, not one by
    // one: for measuring every line.
    void BeginWidths() { counting_ = false; }
    void EndWidths();
    int Width(int line) const { return widths_.Get(line); }
    int WidestWidth() const { return widthCount_.empty() ? 0 : widthCount_.rbegin()->first; }
    // The first line of the widest width (-1 when empty); scans the widths.
    int FindWidestLine() const;

private:
    // starts_[i] is the first row of line i once the step is applied:
    // entries above stepLine_ still lack stepRows_.
    void MoveStep(int line, int delta);
    int Start(int line) const { return starts_.Get(line) + (line > stepLine_ ? stepRows_ : 0); }
    void CountWidth(int width, int delta);
    // Builds the row arrays of the lines so far, one row each.
    void BuildRows();

    bool plain_ = true;    // every line is one row; starts_ and rows_ are empty
    CGapIntArray starts_;  // LineCount() entries unless plain_
    CGapIntArray rows_;
    CGapIntArray widths_;
    std::map<int, int> widthCount_;
    int total_ = 0;
    int stepLine_ = 0;
    int stepRows_ = 0;
    bool counting_ = true;
};
