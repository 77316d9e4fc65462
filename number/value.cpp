// Typed values: kind tests, building a scalar from its parts, and the release
// of a temporary element block.
#include "number/value.h"

#include <cstring>

#include "kernel/heap.h"
#include "number/realop.h"

int ValIsComplex(const Value *v) {
  if (ValErrorCode(v) != 0) return -1;
  return (v->re.b[0] & 0x80) ? 1 : 0;
}

Value *ValFromParts(const BcdReal *re, const BcdReal *im, Value *out) {
  if (ValErrorCode(re) != 0) {
    std::memmove(out->re.b, re->b, 12);
    return out;
  }
  if (ValErrorCode(im) != 0) {
    std::memmove(out->re.b, im->b, 12);
    return out;
  }
  BcdReal zero, imCopy = *im;
  RealSetZero(&zero);
  std::memmove(out->re.b, re->b, 12);
  out->re.b[0] &= 0x7F;
  const int eq = RealIsEqual(&imCopy, &zero);
  if (eq < 0) {
    RealMakeError(3, &out->re);
    return out;
  }
  if (eq == 1) {
    RealSetZero(&out->im);
    return out;
  }
  out->im = imCopy;
  out->re.b[0] |= 0x80;
  return out;
}

void ValGetHeader(const Value *v, EvalArrayHeader *out) { std::memcpy(out, v, sizeof *out); }

void ValSetHeader(const EvalArrayHeader *h, Value *out) { std::memcpy(out, h, sizeof *out); }

void ValFreeTemp(Value *v) {
  if ((v->re.b[0] & 0x60) != 0x20) return;
  EvalArrayHeader h;
  ValGetHeader(v, &h);
  if (h.handle == 0) return;
  if (MemClassify(h.handle) != 0) return;
  MemFree(h.handle);
  h.handle = 0;
  ValSetHeader(&h, v);
}
