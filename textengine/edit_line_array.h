// Gap array of line record pointers: inserting and deleting lines near the
// last edit costs only the gap move, whatever the number of lines.
#pragma once

struct CEditLine;

class CEditLineArray {
public:
    CEditLineArray() = default;
    ~CEditLineArray();
    CEditLineArray(const CEditLineArray&) = delete;
    CEditLineArray& operator=(const CEditLineArray&) = delete;

    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
    CEditLine* At(int i) const { return m_items[i < m_gapStart ? i : i + (m_gapEnd - m_gapStart)]; }
    CEditLine*& Slot(int i) { return m_items[i < m_gapStart ? i : i + (m_gapEnd - m_gapStart)]; }

    // Makes room for n more lines: 0, or 1 when memory is short.
    int Reserve(int n);
    // Inserts n records before index at: 0, or 1 when memory is short.
    int Insert(int at, CEditLine* const* records, int n);
    // Removes n records at index at (the records are not freed).
    void Remove(int at, int n);
    // Empties the array, keeping its memory.
    void RemoveAll();
    // Exchanges the contents of two arrays.
    void Swap(CEditLineArray& other);

private:
    void MoveGap(int at);

    static constexpr int kInitialCapacity = 10;
    CEditLine** m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    int m_gapStart = 0;  // items before the gap
    int m_gapEnd = 0;    // first slot behind the gap
};
