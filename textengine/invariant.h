// Invariants the code relies on, stated where it relies on them. The native
// builds (plain, sanitizer, fuzz, coverage), where the tests and fuzzers
// run, stop at a broken one and name its place; the Windows programs
// compile the checks out.
#pragma once

#ifdef WENDREL_CHECK_INVARIANTS
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void InvariantBroken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

#define WENDREL_ASSERT(cond) ((cond) ? static_cast<void>(0) : InvariantBroken(#cond, __FILE__, __LINE__))
#else
#define WENDREL_ASSERT(cond) static_cast<void>(0)
#endif
