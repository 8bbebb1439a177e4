// Asks for memory the loop will read a few steps on: after a sort the lines'
// records and texts lie anywhere, and waiting for each in turn costs more
// than the work on it.
#pragma once

inline void PrefetchForRead(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}
