// The arithmetic the calculation's digits depend on: IEEE double precision,
// each operation rounded once to double, its flags raised. A compiler told
// to trade that for speed would change digits without a word, so such a
// build stops here. (Fused multiply-adds are turned off by the core's build
// target, which every target that computes links; no macro shows them.)
#pragma once

#include <cfloat>

#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__) ||             \
    defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__) || defined(__NO_SIGNED_ZEROS__) || \
    defined(__NO_TRAPPING_MATH__)
#error \
    "Kestrova needs exact IEEE arithmetic: build without -ffast-math, -Ofast or any of their parts (-ffinite-math-only, -funsafe-math-optimizations, -fassociative-math, -freciprocal-math, -fno-signed-zeros, -fno-trapping-math)"
#endif

#if FLT_EVAL_METHOD != 0
#error \
    "Kestrova needs every double operation rounded to double: this build evaluates in a wider precision (x87 arithmetic, FLT_EVAL_METHOD != 0); build with SSE2 arithmetic (-msse2 -mfpmath=sse)"
#endif
