#include "textengine/layout_generation.h"

#include <atomic>

namespace {

// Buffers of other threads (searches, macros) count here as well.
std::atomic<unsigned> g_generation{0};

}  // namespace

unsigned LayoutGeneration() { return g_generation.load(std::memory_order_relaxed); }

void BumpLayoutGeneration() { g_generation.fetch_add(1, std::memory_order_relaxed); }
