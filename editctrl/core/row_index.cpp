#include "editctrl/core/row_index.h"

#include <algorithm>
#include <cstring>
#include <utility>

void CGapIntArray::MoveGap(int at) {
    if (at < gapStart_) {
        const int n = gapStart_ - at;
        std::memmove(&body_[at + gapLength_], &body_[at], sizeof(int) * n);
    } else if (at > gapStart_) {
        const int n = at - gapStart_;
        std::memmove(&body_[gapStart_], &body_[gapStart_ + gapLength_], sizeof(int) * n);
    }
    gapStart_ = at;
}

void CGapIntArray::Reserve(int extra) {
    if (gapLength_ >= extra) return;
    // Move the gap to the end, then grow geometrically.
    MoveGap(Size());
    const size_t used = static_cast<size_t>(Size());
    const size_t want = std::max(used + extra, used * 2 + 64);
    body_.resize(want);
    gapLength_ = static_cast<int>(want - used);
}

void CGapIntArray::Insert(int at, int n, int value) {
    if (n <= 0) return;
    WENDREL_ASSERT(at >= 0 && at <= Size());
    Reserve(n);
    MoveGap(at);
    std::fill(body_.begin() + gapStart_, body_.begin() + gapStart_ + n, value);
    gapStart_ += n;
    gapLength_ -= n;
}

void CGapIntArray::Delete(int at, int n) {
    if (n <= 0) return;
    WENDREL_ASSERT(at >= 0 && at + n <= Size());
    MoveGap(at);
    gapLength_ += n;
}

void CGapIntArray::Assign(int n, int value) {
    body_.assign(static_cast<size_t>(n) + 64, value);
    gapStart_ = n;
    gapLength_ = 64;
}

void CRowIndex::Reset(int lines) {
    plain_ = true;
    starts_.Assign(0, 0);
    rows_.Assign(0, 0);
    widths_.Assign(lines, 0);
    widthCount_.clear();
    if (lines > 0) widthCount_[0] = lines;
    total_ = lines;
    stepLine_ = lines;
    stepRows_ = 0;
}

void CRowIndex::BuildRows() {
    const int lines = LineCount();
    CGapIntArray starts, rows;
    starts.Assign(lines, 0);
    for (int i = 0; i < lines; ++i) starts.At(i) = i;
    rows.Assign(lines, 1);
    starts_ = std::move(starts);
    rows_ = std::move(rows);
    stepLine_ = lines;
    stepRows_ = 0;
    plain_ = false;
}

void CRowIndex::MoveStep(int line, int delta) {
    if (delta == 0) return;
    if (stepRows_ == 0) {
        stepLine_ = line;
    } else if (line > stepLine_) {
        // Settle the pending shift on the entries the boundary passes.
        const int end = std::min(line, LineCount() - 1);
        for (int i = stepLine_ + 1; i <= end; ++i) starts_.At(i) += stepRows_;
        stepLine_ = line;
    } else if (line < stepLine_) {
        const int end = std::min(stepLine_, LineCount() - 1);
        // These entries move under the pending shift: take it back out.
        for (int i = line + 1; i <= end; ++i) starts_.At(i) -= stepRows_;
        stepLine_ = line;
    }
    stepRows_ += delta;
}

void CRowIndex::InsertLines(int at, int n) {
    if (n <= 0) return;
    WENDREL_ASSERT(at >= 0 && at <= LineCount());
    if (plain_) {
        widths_.Insert(at, n, 0);
        CountWidth(0, n);
        total_ += n;
        return;
    }
    const int first = at < LineCount() ? Start(at) : total_;
    if (stepLine_ >= at) {
        starts_.Insert(at, n, 0);
        for (int i = 0; i < n; ++i) starts_.At(at + i) = first + i;
        stepLine_ += n;
    } else {
        starts_.Insert(at, n, 0);
        for (int i = 0; i < n; ++i) starts_.At(at + i) = first + i - stepRows_;
    }
    rows_.Insert(at, n, 1);
    widths_.Insert(at, n, 0);
    CountWidth(0, n);
    MoveStep(at + n - 1, n);
    total_ += n;
}

void CRowIndex::DeleteLines(int at, int n) {
    WENDREL_ASSERT(at >= 0);
    n = std::min(n, LineCount() - at);
    if (n <= 0) return;
    if (plain_) {
        for (int i = at; i < at + n; ++i) CountWidth(widths_.Get(i), -1);
        widths_.Delete(at, n);
        total_ -= n;
        return;
    }
    int removed = 0;
    for (int i = at; i < at + n; ++i) {
        removed += rows_.Get(i);
        CountWidth(widths_.Get(i), -1);
    }
    if (stepLine_ >= at + n)
        stepLine_ -= n;
    else if (stepLine_ >= at)
        stepLine_ = at - 1;
    starts_.Delete(at, n);
    rows_.Delete(at, n);
    widths_.Delete(at, n);
    MoveStep(at - 1, -removed);
    total_ -= removed;
}

void CRowIndex::SetRowCount(int line, int rows) {
    if (line < 0 || line >= LineCount()) return;
    // Every line shows at least one row: row starts strictly increase,
    // which the search for a row's line relies on.
    WENDREL_ASSERT(rows >= 1);
    if (plain_) {
        if (rows == 1) return;
        BuildRows();
    }
    const int delta = rows - rows_.Get(line);
    if (delta == 0) return;
    rows_.At(line) = rows;
    MoveStep(line, delta);
    total_ += delta;
}

int CRowIndex::FirstRow(int line) {
    if (line <= 0) return 0;
    if (line >= LineCount()) return total_;
    if (plain_) return line;
    // Rows are contiguous: each line starts where the one before ends.
    WENDREL_ASSERT(Start(line) == Start(line - 1) + rows_.Get(line - 1));
    return Start(line);
}

int CRowIndex::LineOfRow(int row) {
    int lo = 0, hi = LineCount() - 1;
    if (hi < 0) return 0;
    if (row <= 0) return 0;
    if (plain_) return std::min(row, hi);
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (Start(mid) <= row)
            lo = mid;
        else
            hi = mid - 1;
    }
    // The found line holds the row, or is the last line for rows past the end.
    WENDREL_ASSERT(Start(lo) <= row);
    WENDREL_ASSERT(row < Start(lo) + rows_.Get(lo) || (lo == LineCount() - 1 && row >= total_));
    WENDREL_ASSERT(Start(LineCount() - 1) + rows_.Get(LineCount() - 1) == total_);
    return lo;
}

void CRowIndex::CountWidth(int width, int delta) {
    int& n = widthCount_[width];
    n += delta;
    if (n <= 0) widthCount_.erase(width);
}

void CRowIndex::SetWidth(int line, int width) {
    if (line < 0 || line >= LineCount()) return;
    int& w = widths_.At(line);
    if (w == width) return;
    if (counting_) {
        CountWidth(w, -1);
        CountWidth(width, 1);
    }
    w = width;
}

void CRowIndex::EndWidths() {
    if (counting_) return;
    counting_ = true;
    // Most lines are narrower than a few screens: those are counted in an
    // array, the rest in the map itself.
    constexpr int kDense = 1 << 14;
    std::vector<int> dense(kDense, 0);
    widthCount_.clear();
    for (int i = 0, n = LineCount(); i < n; ++i) {
        const int w = widths_.Get(i);
        if (w >= 0 && w < kDense)
            ++dense[static_cast<size_t>(w)];
        else
            ++widthCount_[w];
    }
    for (int w = 0; w < kDense; ++w)
        if (dense[static_cast<size_t>(w)]) widthCount_.emplace(w, dense[static_cast<size_t>(w)]);
}

int CRowIndex::FindWidestLine() const {
    const int widest = WidestWidth();
    for (int i = 0; i < LineCount(); ++i)
        if (widths_.Get(i) == widest) return i;
    return -1;
}
