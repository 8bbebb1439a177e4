#include "textengine/cpu_features.h"

#include <atomic>

namespace {

std::atomic<bool> g_allowed{true};

}  // namespace

bool CpuHasAvx2() {
#ifdef WENDREL_HAS_AVX2_PATHS
    // The runtime library's check includes the system saving the wide
    // registers, without which AVX2 code must not run.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has && g_allowed.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void AllowAvx2(bool allowed) { g_allowed.store(allowed, std::memory_order_relaxed); }
