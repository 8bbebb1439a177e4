// What the processor offers beyond the build's baseline (SSE2), asked once:
// the block scans take wider steps where it runs them.
#pragma once

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define WENDREL_HAS_X86_EXTENSIONS 1
#endif

bool CpuHasAvx2();
bool CpuHasSsse3();

// Off: only the baseline scans run, so tests cover them where the wider
// ones would run.
void AllowCpuExtensions(bool allowed);
