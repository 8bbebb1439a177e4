#include "framework/barcore/row_space.h"

#include <algorithm>

bool DistributeRowSpace(std::vector<RowBar>& row, int length, bool horizontal) {
    for (const RowBar& bar : row)
        if (bar.visible && !bar.sizing) length -= Along(bar.size, horizontal) - 2;
    int sum = 0, minimums = 2, across = 0;
    for (const RowBar& bar : row) {
        if (!bar.visible || !bar.sizing) continue;
        sum += Along(bar.size, horizontal) - 2;
        minimums += Along(bar.minimum, horizontal) - 2;
        across = std::max(across, Across(bar.size, horizontal));
    }
    if (length < minimums) return false;

    for (RowBar& bar : row)
        if (bar.visible && bar.sizing) Across(bar.size, horizontal) = across;
    int left = length - sum;
    const int step = left < 0 ? -1 : 1;
    // Bars that keep their size change only when no other bar can take the
    // rest: a row must still fill its length.
    for (bool takeKept : {false, true}) {
        bool changed = true;
        while (left != 0 && changed) {
            changed = false;
            for (RowBar& bar : row) {
                if (left == 0) break;
                if (!bar.visible || !bar.sizing || (bar.keepSize && !takeKept)) continue;
                int& size = Along(bar.size, horizontal);
                if (step < 0 && size <= Along(bar.minimum, horizontal)) continue;
                size += step;
                left -= step;
                changed = true;
            }
        }
    }
    for (RowBar& bar : row) bar.keepSize = false;
    return true;
}
