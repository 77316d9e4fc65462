// Shared helpers of the list and matrix engines: element blocks reached
// through their handles, element reads and writes in the split layout (all
// real parts, then all imaginary parts), and the headers of results.
#pragma once
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/real.h"
#include "number/value.h"

// Answers of MemClassify.
inline constexpr u32 kArrHeapBlock = 0;
inline constexpr u32 kArrStoredBlock = 1;
inline constexpr u32 kArrUnknownBlock = 2;

// Error codes the engines raise.
inline constexpr u8 kArrErrBreak = 1;
inline constexpr u8 kArrErrSyntax = 2;
inline constexpr u8 kArrErrMath = 3;
inline constexpr u8 kArrErrMemory = 4;
inline constexpr u8 kArrErrArgument = 8;
inline constexpr u8 kArrErrDimension = 9;
inline constexpr u8 kArrErrNonReal = 17;
inline constexpr u8 kArrErrComplexList = 25;

// The header fields of a list or matrix value.
struct ArrInfo {
  u8 kind;       // 0x20, 0xA0, 0x30 or 0xB0
  u16 rows;      // list: element count
  u16 cols;      // list: 0
  MemHandle handle;
  u32 count;     // elements (rows x cols for a matrix)
  bool complex;
  bool matrix;
};

ArrInfo ArrInfoOf(const Value *v);
// The element block of a handle as reals; null when the handle names none.
BcdReal *ArrElems(MemHandle h);
// Element i (0-based) of a block of `count` elements as a scalar value: in
// a complex block the element is complex when its imaginary part is not
// zero, whether or not its real part carries the complex bit (items of main
// memory may hold plain reals), so a stored list reads the same in place as
// through the item operations.
void ArrGet(const BcdReal *e, u32 count, bool complex, u32 i, Value *out);
// Writes a scalar as element i: the real part (carrying the complex bit for
// a complex element) and, when the block has two parts, the imaginary part
// (zero for a real).
void ArrPut(BcdReal *e, u32 count, bool twoParts, u32 i, const Value *v);
// Headers of results.
void ArrSetList(Value *out, bool complex, u16 n, MemHandle h);
void ArrSetMatrix(Value *out, bool complex, u16 rows, u16 cols, MemHandle h);
// out = the error value of the code; returns out.
Value *ArrFail(Value *out, u8 code);
// A real scalar value of an integer.
Value *ArrInt(i32 n, Value *out);
// True when the value is a scalar whose real part is an error value.
inline bool ArrIsError(const Value *v) { return ValErrorCode(v) != 0; }
// True when the value's block holds all its elements (a stored item may have
// shrunk since its value was made); false for a handle that names nothing.
bool ArrFits(const ArrInfo &a);
// Frees a block only when it is a heap block.
void ArrFreeHeap(MemHandle h);
