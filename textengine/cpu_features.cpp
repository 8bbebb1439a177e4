#include "textengine/cpu_features.h"

#include <atomic>

namespace {

#ifdef WENDREL_HAS_X86_EXTENSIONS
// Asked once, while the program starts: the scans ask for every line. The
// runtime library's answer includes the system saving the wide registers,
// without which AVX2 code must not run.
const bool g_avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
const bool g_ssse3 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}();
#else
const bool g_avx2 = false;
const bool g_ssse3 = false;
#endif

std::atomic<bool> g_allowed{true};

}  // namespace

bool CpuHasAvx2() { return g_avx2 && g_allowed.load(std::memory_order_relaxed); }

bool CpuHasSsse3() { return g_ssse3 && g_allowed.load(std::memory_order_relaxed); }

void AllowCpuExtensions(bool allowed) { g_allowed.store(allowed, std::memory_order_relaxed); }
