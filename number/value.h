// Typed values: the 24-byte Value holding a real or complex scalar, an error,
// or the header of a list or matrix whose elements lie in a separate block.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Result of ValKind.
enum ValKindCode : i32 {
  kValKindError = -1,
  kValKindScalar = 1,
  kValKindList = 2,
  kValKindMatrix = 3,
};

// Kind byte of a list or matrix header (bit 7: complex elements).
enum ValArrayKind : u8 {
  kValRealList = 0x20,
  kValComplexList = 0xA0,
  kValRealMatrix = 0x30,
  kValComplexMatrix = 0xB0,
};

// A Value in list or matrix form. The handle names the element block: a
// handle of the handle heap or of the item store, never a host address.
struct EvalArrayHeader {
  u8 kind;
  u8 reserved1;
  u16 count;  // list: element count; matrix: rows
  u16 cols;   // matrix: columns
  u16 reserved2;
  u32 handle;
  u8 reserved3[12];
};
static_assert(sizeof(EvalArrayHeader) == sizeof(Value));

// Limits of lists and matrices.
constexpr u16 kValListMax = 999;
constexpr u16 kValMatrixMax = 255;

// -1 for an error value, 1 when bit 7 of byte 0 is set, else 0.
int ValIsComplex(const Value *v);
inline int ValKind(const Value *v) {
  if (ValErrorCode(v) != 0) return kValKindError;
  switch (v->re.b[0] & 0x70) {
    case 0x20: return kValKindList;
    case 0x30: return kValKindMatrix;
    default: return kValKindScalar;
  }
}
// Builds a scalar from two parts: an error part is the result (the real
// part's first); a zero imaginary part gives a real value.
Value *ValFromParts(const BcdReal *re, const BcdReal *im, Value *out);
// Header view of a list or matrix value.
void ValGetHeader(const Value *v, EvalArrayHeader *out);
void ValSetHeader(const EvalArrayHeader *h, Value *out);
// Releases the element block of a temporary list or matrix and clears the
// handle, so a second release does nothing. Blocks of stored items, scalars
// and error values are left alone.
void ValFreeTemp(Value *v);
