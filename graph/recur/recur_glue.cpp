// The recursion engine's answers to the evaluator and the interpreter.
#include "graph/recur/recur_glue.h"

#include <cstring>
#include <vector>

#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "number/realop.h"
#include "numeric/array.h"

namespace {

// The "RECRG" id a token names (R Start, R End, a0..c2, anStart..cnStart),
// else 0.
u32 ValueIdOfToken(const u8 *t) {
  if (t[0] == 0xF9) {
    switch (t[1]) {
      case 0x15: return 5;
      case 0x16: return 8;
      case 0x17: return 11;
      case 0x18: return 14;
      default: return 0;
    }
  }
  if (t[0] != 0x7F) return 0;
  switch (t[1]) {
    case 0x95: return kRecurIdStart;
    case 0x96: return kRecurIdEnd;
    case 0xA4: return 3;
    case 0xA5: return 6;
    case 0xA6: return 9;
    case 0xAA: return 4;
    case 0xAB: return 7;
    case 0xAC: return 10;
    case 0xAD: return 12;
    case 0xAE: return 13;
    default: return 0;
  }
}

// The formula (1 a, 2 b, 3 c) a term token names, else 0.
int FormulaOfToken(const u8 *t) {
  if (t[0] == 0x7F && t[1] >= 0xA0 && t[1] <= 0xA2) return 1;
  if (t[0] == 0x7F && t[1] >= 0xA7 && t[1] <= 0xA9) return 2;
  if (t[0] == 0xF9 && t[1] >= 0x12 && t[1] <= 0x14) return 3;
  return 0;
}

}  // namespace

u8 RecurGlueValue(u32 id, BcdReal *out) { return static_cast<u8>(RecurReadValue(id, out)); }

u8 RecurResultMatrix(Value *out) {
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0 || rows == 0 || cols == 0) return 4;
  std::vector<BcdReal> kept;
  u32 keptRows = 0;
  for (u32 r = 1; r <= rows; ++r) {
    std::vector<BcdReal> row(cols);
    bool ok = true;
    for (u32 c = 1; c <= cols && ok; ++c) {
      Value v;
      if (ItemMatGet(kRecurTableMatrix, r, c, &v) != 0) return 4;
      ok = ValErrorCode(&v) == 0;
      row[c - 1] = v.re;
    }
    if (!ok) continue;
    kept.insert(kept.end(), row.begin(), row.end());
    ++keptRows;
  }
  if (keptRows == 0) return 9;
  const MemHandle h = MemAlloc(static_cast<u32>(kept.size() * sizeof(BcdReal)));
  if (h == 0) return 4;
  std::memcpy(ArrElems(h), kept.data(), kept.size() * sizeof(BcdReal));
  ArrSetMatrix(out, false, static_cast<u16>(keptRows), static_cast<u16>(cols), h);
  return 0;
}

u32 RecurAssignValue(const u8 **p, const Value *v, u32 *err) {
  const u32 id = ValueIdOfToken(*p);
  if (id == 0) return 0;
  *p += 2;
  *err = 0;
  if (const u8 e = ValErrorCode(v)) {
    *err = e;
    return 1;
  }
  if (ValKind(v) != kValKindScalar) {
    *err = 2;
    return 1;
  }
  if (v->re.b[0] & 0x80) {
    *err = 3;
    return 1;
  }
  BcdReal x;
  RealFracToDecimal(&v->re, &x);
  RealNormalize(&x, &x);
  if (const u8 e = RealErrorCode(&x)) {
    *err = e;
    return 1;
  }
  *err = RecurWriteValue(id, &x);
  if (*err == 0) RecurResetGraphState();
  return 1;
}

u32 RecurAssignText(const u8 **p, const u8 *text, u32 len, u32 *err) {
  const int which = FormulaOfToken(*p);
  if (which == 0) return 0;
  *p += 2;
  std::vector<u8> copy(text, text + len);
  // The end and a second zero byte, as token texts carry.
  copy.push_back(0);
  copy.push_back(0);
  *err = copy[0] == 0 ? 0u : RecurWriteFormula(which, reinterpret_cast<const char *>(copy.data()));
  return 1;
}
