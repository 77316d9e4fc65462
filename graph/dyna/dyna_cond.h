// The dynamic graph's condition ("COND" of "@DYNA"): the range of the
// moving coefficient, the speed, the coefficient's letter and where a
// stopped animation resumes; the frame count of a range, and the scan of the
// selected functions for their coefficient letters.
//
// Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct DynaCond {
  BcdReal start, end, pitch;
  u16 speed;   // 1 Stop&Go, 2 Slow, 3 Normal, 4 Fast
  u16 var;     // 1..26: A..Z
  u16 frame;   // frame shown when the animation stopped
  u16 cycles;  // forward-and-back passes done
};
static_assert(sizeof(DynaCond) == 44);

enum DynaSpeed : u16 { kDynaStopGo = 1, kDynaSlow = 2, kDynaNormal = 3, kDynaFast = 4 };

inline constexpr u32 kDynaMaxFrames = 63;
inline constexpr u32 kDynaFrameBytes = 1024;
// The DYNA selection bit of a graph function's attribute byte.
inline constexpr u8 kDynaSelectBit = 0x10;

// Start 1, End 5, Pitch 1, Normal, A, counters 0.
void DynaResetCond(DynaCond *cond);
// Writes "COND" (made when missing), fractions turned into decimals: 0 or 4.
u32 DynaWriteCond(const DynaCond *cond);
// 0, or 4 when "COND" is missing or damaged (not 44 bytes, a value that is
// no real, a speed or letter out of range).
u32 DynaReadCond(DynaCond *cond);
// 1 when the three values are reals and speed and letter are in range.
bool DynaCondValid(const DynaCond *cond);
// "COND", or the defaults written when it is missing or damaged: 0 or 4.
u32 DynaReadCondOrDefault(DynaCond *cond);

// Frames of the range: 0 with *count 1..63; 28 for a zero Pitch or one that
// points away from End; 4 for more than 63 frames.
u32 DynaFrameCount(const DynaCond *cond, u32 *count);

// What the selected functions hold.
struct DynaScanState {
  u8 marks[26];  // 0 unused, 1 used, 2 the first letter met
  u16 occurrences;
  u16 selected;  // selected functions
  u16 letters;   // distinct letters
  u16 lastSlot;  // the last selected slot that holds letters
};
// Walks the texts of the graph functions selected for DYNA token by token:
// every capital letter other than X, Y and T is a coefficient.
void DynaScanFuncs(DynaScanState *scan);
// The scan's error: 0; 20 (no coefficient) when functions are selected,
// 30 when none is.
u32 DynaScanError(const DynaScanState *scan);
// Makes the moving letter one the functions use (the first met when it is
// not); writes "COND" when it changes. 0 or 4.
u32 DynaFixVar(DynaCond *cond, const DynaScanState *scan);
// 1 when the type word is one DYNA draws (Y=, r=, parametric).
bool DynaFuncTypeOk(u16 type);
