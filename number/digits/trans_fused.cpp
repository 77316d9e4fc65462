// The transcendental kernels built a second time for processors with fused
// multiply-add (see trans.cpp): the exact products take the fused
// instruction, and no other multiply and add is fused, so both builds give
// the same bits. Only GCC on x86-64 without that instruction in its baseline
// builds this copy (the same test as DIG_FUSED_EXISTS in reg.h).
#if !defined(__FMA__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#pragma GCC target("fma")
#pragma GCC optimize("fp-contract=off")
#define DIG_FUSED_COPY 1
#include "number/digits/trans.cpp"
#endif
