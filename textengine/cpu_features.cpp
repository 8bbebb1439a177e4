#include "textengine/cpu_features.h"

#include <atomic>

namespace {

std::atomic<bool> g_allowed{true};

#ifdef WENDREL_HAS_X86_EXTENSIONS
// The runtime library's check includes the system saving the wide
// registers, without which AVX2 code must not run.
bool Supports(bool avx2) {
    static const bool has[2] = {[] {
                                    __builtin_cpu_init();
                                    return __builtin_cpu_supports("ssse3") != 0;
                                }(),
                                [] {
                                    __builtin_cpu_init();
                                    return __builtin_cpu_supports("avx2") != 0;
                                }()};
    return has[avx2] && g_allowed.load(std::memory_order_relaxed);
}
#endif

}  // namespace

bool CpuHasAvx2() {
#ifdef WENDREL_HAS_X86_EXTENSIONS
    return Supports(true);
#else
    return false;
#endif
}

bool CpuHasSsse3() {
#ifdef WENDREL_HAS_X86_EXTENSIONS
    return Supports(false);
#else
    return false;
#endif
}

void AllowCpuExtensions(bool allowed) { g_allowed.store(allowed, std::memory_order_relaxed); }
