// A growable int array for per-row tables (row starts, x positions) that
// painting and printing refill on every pass.
#pragma once

#include "textengine/invariant.h"

class CIntBuf {
public:
    CIntBuf() = default;
    ~CIntBuf() { Free(); }
    CIntBuf(const CIntBuf&) = delete;
    CIntBuf& operator=(const CIntBuf&) = delete;

    // Makes index addressable: 1 when it already was or the array grew, 0
    // when memory is short (the array is kept). The capacity starts at 1024
    // entries and doubles up to 1,048,576, then grows by 1,048,576.
    int Reserve(int index);
    void Free();

    int* Data() const { return m_data; }
    int Capacity() const { return m_capacity; }
    int& operator[](int i) {
        WENDREL_ASSERT(i >= 0 && i < m_capacity);
        return m_data[i];
    }
    int operator[](int i) const {
        WENDREL_ASSERT(i >= 0 && i < m_capacity);
        return m_data[i];
    }

private:
    int* m_data = nullptr;
    int m_capacity = 0;
};
