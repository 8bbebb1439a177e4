// Gap array of line record pointers: inserting and deleting lines near the
// last edit costs only the gap move, whatever the number of lines. While
// lines wrap, a second array beside it holds each line's row starts, so
// they follow the line through every insertion, removal and reordering and
// cost nothing per line while no line wraps.
#pragma once

#include "textengine/invariant.h"

struct CEditLine;

class CEditLineArray {
public:
    CEditLineArray() = default;
    ~CEditLineArray();
    CEditLineArray(const CEditLineArray&) = delete;
    CEditLineArray& operator=(const CEditLineArray&) = delete;

    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
    CEditLine* At(int i) const {
        WENDREL_ASSERT(i >= 0 && i < m_count);
        return m_items[Index(i)];
    }

    // Makes room for n more lines: 0, or 1 when memory is short.
    int Reserve(int n);
    // Inserts n records before index at, with no row starts: 0, or 1 when
    // memory is short.
    int Insert(int at, CEditLine* const* records, int n);
    // Adds a record after the last line, with no row starts: 0, or 1 when
    // memory is short. Loading a file adds every line so.
    int Append(CEditLine* record) {
        if (m_gapStart == m_count && m_count + 6 < m_capacity) {
            m_items[m_gapStart++] = record;  // the slot behind the lines is free and its row starts null
            ++m_count;
            ++m_generation;
            return 0;
        }
        return Insert(m_count, &record, 1);
    }
    // Removes n records at index at (the records are not freed; their row
    // starts are).
    void Remove(int at, int n);
    // Empties the array, keeping its memory.
    void RemoveAll();
    // Exchanges the contents of two arrays.
    void Swap(CEditLineArray& other);
    // Counts the changes to which records the array holds and their order.
    unsigned Generation() const { return m_generation; }
    // Counts a change made to the lines' texts.
    void CountChange() { ++m_generation; }
    // Exchanges two lines, with their row starts.
    void SwapLines(int a, int b);
    // Line first + i takes the record (and row starts) that line
    // first + from[i] had, for i below count; from is a permutation.
    // 0, or 1 (nothing moved) when memory is short.
    int Reorder(int first, int count, const int* from);

    // The line's row starts (layout.cpp): a block from LineTextPool holding
    // the row count, then the starts of the rows after the first; null when
    // the line has none.
    int* WrapsAt(int i) const { return m_wraps ? m_wraps[Index(i)] : nullptr; }
    // Gives the line a new block (the old one, if any, is the caller's to
    // free): false when the array beside the records can't be had.
    bool SetWraps(int i, int* block);
    bool HasWraps() const { return m_wraps != nullptr; }
    // Frees every line's row starts and the array that holds them.
    void DropWraps();

private:
    int Index(int i) const { return i < m_gapStart ? i : i + (m_gapEnd - m_gapStart); }
    void MoveGap(int at);
    void FreeWraps(int from, int to);  // physical slots

    static constexpr int kInitialCapacity = 10;
    CEditLine** m_items = nullptr;
    int** m_wraps = nullptr;  // m_capacity slots beside m_items, or null
    int m_count = 0;
    int m_capacity = 0;
    int m_gapStart = 0;  // items before the gap
    int m_gapEnd = 0;    // first slot behind the gap
    unsigned m_generation = 0;
};
