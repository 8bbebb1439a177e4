#include "textengine/int_buf.h"

#include <cstdlib>

namespace {
constexpr long long kFirst = 1024;
constexpr long long kDoublingLimit = 1 << 20;
}  // namespace

int CIntBuf::Reserve(int index) {
    if (index < 0) return 0;
    if (index < m_capacity) return 1;
    long long cap = m_capacity ? m_capacity : kFirst;
    while (cap <= index) cap = cap < kDoublingLimit ? cap * 2 : cap + kDoublingLimit;
    if (cap > 0x7FFFFFFF || std::size_t(cap) > std::size_t(-1) / sizeof(int)) return 0;
    auto* data = static_cast<int*>(std::realloc(m_data, std::size_t(cap) * sizeof(int)));
    if (!data) return 0;
    m_data = data;
    m_capacity = int(cap);
    return 1;
}

void CIntBuf::Free() {
    std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
}
