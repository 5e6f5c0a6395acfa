#pragma once
// Chooses the SSE2 code paths where the target has them (every x86-64
// compiler, including the MinGW-w64 one); other targets use the scalar code.
#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) && \
    !defined(LUMAVEX_JPEG_NO_SIMD)
#define LUMAVEX_JPEG_SSE2 1
#include <emmintrin.h>
#else
#define LUMAVEX_JPEG_SSE2 0
#endif
