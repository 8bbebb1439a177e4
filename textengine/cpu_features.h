// What the processor offers beyond the build's baseline, asked once: the
// block scans take 32 bytes at a time where AVX2 runs.
#pragma once

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define WENDREL_HAS_AVX2_PATHS 1
#endif

bool CpuHasAvx2();

// Off: the baseline scans run even where AVX2 would, so tests cover both.
void AllowAvx2(bool allowed);
