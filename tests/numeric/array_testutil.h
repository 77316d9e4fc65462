// Test helpers of the list and matrix engines: lists and matrices built from
// texts in heap blocks, and shown back as texts, so that tables of cases
// read as the calculator's own notation.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "../number/numparse_testutil.h"
#include "kernel/heap.h"
#include "number/value.h"
#include "numeric/array.h"

namespace arrtest {

// An element text: "2.5", "1a3" (a fraction) or "1|2" (1 + 2i).
inline Value Elem(const std::string &t) {
  const size_t bar = t.find('|');
  if (bar == std::string::npos) return numtest::V(t.c_str());
  return numtest::C(t.substr(0, bar).c_str(), t.substr(bar + 1).c_str());
}

// Elements into a new heap block, complex when any element is; `kind`
// forces a complex block with "c".
inline MemHandle Block(const std::vector<std::string> &els, bool *complex, bool forceComplex = false) {
  std::vector<Value> v;
  bool cx = forceComplex;
  for (const std::string &t : els) {
    v.push_back(Elem(t));
    if (ValIsComplex(&v.back()) == 1) cx = true;
  }
  const u32 n = static_cast<u32>(v.size());
  const MemHandle h = MemAlloc(n * 12 * (cx ? 2 : 1));
  BcdReal *e = ArrElems(h);
  std::memset(e, 0, n * 12 * (cx ? 2 : 1));
  for (u32 i = 0; i < n; ++i) ArrPut(e, n, cx, i, &v[i]);
  *complex = cx;
  return h;
}

inline Value List(const std::vector<std::string> &els, bool forceComplex = false) {
  bool cx = false;
  const MemHandle h = Block(els, &cx, forceComplex);
  Value out;
  ArrSetList(&out, cx, static_cast<u16>(els.size()), h);
  return out;
}

inline Value Mat(u16 rows, u16 cols, const std::vector<std::string> &els, bool forceComplex = false) {
  bool cx = false;
  const MemHandle h = Block(els, &cx, forceComplex);
  Value out;
  ArrSetMatrix(&out, cx, rows, cols, h);
  return out;
}

inline std::string ShowElem(const Value &v) {
  if (ValErrorCode(&v) != 0 || !(v.re.b[0] & 0x80)) {
    Value r = v;
    r.re.b[0] &= ValErrorCode(&v) != 0 ? 0xFF : 0x7F;
    return numtest::Show(r.re);
  }
  BcdReal re = v.re;
  re.b[0] &= 0x7F;
  return numtest::Show(re) + "|" + numtest::Show(v.im);
}

// "{1,2|3}" for a list ("c{...}" when its kind is complex), "[[1,2][3,4]]"
// for a matrix ("c[[...]]"), the scalar text otherwise.
inline std::string Show(const Value &v) {
  const int k = ValKind(&v);
  if (k != kValKindList && k != kValKindMatrix) return numtest::ShowV(v);
  const ArrInfo a = ArrInfoOf(&v);
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr) return "no block";
  std::string s = a.complex ? "c" : "";
  s += a.matrix ? "[[" : "{";
  for (u32 i = 0; i < a.count; ++i) {
    Value x;
    ArrGet(e, a.count, a.complex, i, &x);
    if (i > 0) s += (a.matrix && i % a.cols == 0) ? "][" : ",";
    s += ShowElem(x);
  }
  return s + (a.matrix ? "]]" : "}");
}

// Frees the block of a list or matrix value when it is a heap block.
inline void Drop(Value *v) { ValFreeTemp(v); }

// Number of heap blocks in use.
inline u32 BlocksInUse() {
  u32 n = 0;
  for (u32 i = 0; i < kMemSlotCount; ++i) {
    if (MemDeref(kMemSlotBase + 4 * i)) ++n;
  }
  return n;
}

}  // namespace arrtest
