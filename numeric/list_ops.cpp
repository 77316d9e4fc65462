// Element-wise list operations: one engine walks the elements and calls the
// scalar operation on each; the engine families differ in how many parts
// (real, imaginary) the result block holds, in the checks before the walk
// and in the kind of the result.
#include "numeric/list_ops.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/frac.h"
#include "number/normal.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"

namespace {

enum Engine : u8 {
  kEngArith,        // parts: complex when an operand is; shrunk when no result is
  kEngPower,        // two parts whenever complex results are allowed
  kEngEquality,     // complex operands allowed; one-part real result
  kEngRealBinary,   // real operands only; one part
  kEngAnalytic,     // parts as the list
  kEngRootLog,      // pre-scan for elements below 0 (Non-Real ERROR)
  kEngAcosh,        // pre-scan for elements below 1
  kEngAtanh,        // pre-scan for absolute values above 1
  kEngIntPart,      // parts as the list, resized to the parts needed
  kEngRealUnary,    // real list only; one part
  kEngRealResult,   // complex allowed; one-part real result
  kEngKindKeeping,  // the list's own kind and block size
  kEngTrig,         // angle unit; radians for a complex list
  kEngArcTrig,      // pre-scan for absolute values above 1; radians when two-part
  kEngAngleMark,    // angle unit; real list only
};

struct Op {
  Engine engine;
  u8 code;
  u32 allowComplex;
  u16 angle;
  int digits;
  bool poll;  // break key polled after every element
};

// The scalar operation of a code on one element (b unused for one operand).
void Element(const Op &op, const Value *a, const Value *b, Value *out, u16 angle) {
  const u32 cf = op.allowComplex;
  switch (op.code) {
    case kListOpAdd: ValAddMaru(a, b, out, cf); return;
    case kListOpSub: ValSubMaru(a, b, out, cf); return;
    case kListOpMul: ValMul(a, b, out, cf); return;
    case kListOpDiv: ValDiv(a, b, out, cf); return;
    case kListOpDivFrac: ValDivFrac(a, b, out, cf); return;
    case kListOpPow: ValPow(a, b, out, cf); return;
    case kListOpEq: ValEq(a, b, out, cf); return;
    case kListOpNe: ValNe(a, b, out, cf); return;
    case kListOpLt: case kListOpGt: case kListOpLe: case kListOpGe:
    case kListOpNpr: case kListOpNcr: case kListOpAnd: case kListOpOr: {
      BcdReal x = a->re, y = b->re, r;
      switch (op.code) {
        case kListOpLt: RealRelLess(&x, &y, &r); break;
        case kListOpGt: RealRelGreater(&x, &y, &r); break;
        case kListOpLe: RealRelLessEqual(&x, &y, &r); break;
        case kListOpGe: RealRelGreaterEqual(&x, &y, &r); break;
        case kListOpNpr: RealNpr(&x, &y, &r); break;
        case kListOpNcr: RealNcr(&x, &y, &r); break;
        case kListOpAnd: RealLogicAnd(&x, &y, &r); break;
        default: RealLogicOr(&x, &y, &r); break;
      }
      out->re = r;
      RealSetZero(&out->im);
      return;
    }
    case kListOpExp: ValExp(a, out, cf); return;
    case kListOpExp10: ValExp10(a, out, cf); return;
    case kListOpSinh: ValSinh(a, out); return;
    case kListOpCosh: ValCosh(a, out); return;
    case kListOpTanh: ValTanh(a, out); return;
    case kListOpAsinh: ValAsinh(a, out); return;
    case kListOpSqrt: ValSqrt(a, out, cf); return;
    case kListOpLn: ValLn(a, out, cf); return;
    case kListOpLog: ValLog(a, out, cf); return;
    case kListOpAcosh: ValAcosh(a, out); return;
    case kListOpAtanh: ValAtanh(a, out); return;
    case kListOpIntg: ValIntg(a, out); return;
    case kListOpInt: ValInt(a, out); return;
    case kListOpFrac: ValFrac(a, out); return;
    case kListOpFactorial: case kListOpNot: {
      BcdReal x = a->re, r;
      if (op.code == kListOpFactorial) RealFactorial(&x, &r);
      else RealLogicNot(&x, &r);
      out->re = r;
      RealSetZero(&out->im);
      return;
    }
    case kListOpDegrees: case kListOpRadians: case kListOpGrads: {
      BcdReal x = a->re, r;
      if (op.code == kListOpDegrees) RealFromDegrees(&x, &r, angle);
      else if (op.code == kListOpRadians) RealFromRadians(&x, &r, angle);
      else RealFromGrads(&x, &r, angle);
      out->re = r;
      RealSetZero(&out->im);
      return;
    }
    case kListOpAbs: ValAbs(a, out); return;
    case kListOpArg: ValArg(a, out, angle); return;
    case kListOpReP: ValRealPart(a, out); return;
    case kListOpImP: ValImagPart(a, out); return;
    case kListOpNeg: ValNeg(a, out); return;
    case kListOpNormalize: ValNormalize(a, out); return;
    case kListOpToFraction: ValToFraction(a, out); return;
    case kListOpToDecimal: ValFracToDecimal(a, out); return;
    case kListOpConj: ValConj(a, out); return;
    case kListOpRound: ValRound(a, out, op.digits); return;
    case kListOpSin: ValSin(a, out, angle); return;
    case kListOpCos: ValCos(a, out, angle); return;
    case kListOpTan: ValTan(a, out, angle); return;
    case kListOpAtan: ValAtan(a, out, angle); return;
    case kListOpAsin: ValAsin(a, out, angle); return;
    case kListOpAcos: ValAcos(a, out, angle); return;
    default: RealMakeError(kArrErrMath, &out->re); return;
  }
}

bool IsArray(const Value *v) {
  const int k = ValKind(v);
  return k == kValKindList || k == kValKindMatrix;
}

// The pre-scan of a real list: true when an element meets the engine's
// test; *bad when an element cannot be compared.
bool PreScan(Engine e, const BcdReal *el, u32 n, bool *bad) {
  BcdReal zero, one;
  RealSetZero(&zero);
  RealSetOne(&one);
  for (u32 i = 0; i < n; ++i) {
    BcdReal x = el[i];
    int t;
    if (e == kEngRootLog) {
      t = RealIsLess(&x, &zero);
    } else if (e == kEngAcosh) {
      t = RealIsLess(&x, &one);
    } else {
      BcdReal ab;
      RealAbs(&x, &ab);
      t = RealIsGreater(&ab, &one);
    }
    if (t < 0) {
      *bad = true;
      return false;
    }
    if (t == 1) return true;
  }
  return false;
}

Value *Run(const Op &op, const Value *a, const Value *b, Value *out) {
  const Value va = *a;
  Value vb{};
  if (b) vb = *b;
  const bool listA = IsArray(&va), listB = b && IsArray(&vb);
  const ArrInfo ia = listA ? ArrInfoOf(&va) : ArrInfo{};
  const ArrInfo ib = listB ? ArrInfoOf(&vb) : ArrInfo{};
  const bool cA = ValIsComplex(&va) == 1, cB = b && ValIsComplex(&vb) == 1;
  const Engine e = op.engine;

  // Real-only engines refuse complex operands before anything is taken.
  if ((e == kEngRealBinary && (cA || cB)) || ((e == kEngRealUnary || e == kEngAngleMark) && cA)) {
    return ArrFail(out, kArrErrMath);
  }

  // Take-over: out is a list operand with a heap block, and no list operand
  // lies in main memory.
  MemHandle taken = 0, consumed = 0;
  bool takenReal = false;
  {
    const u32 ka = listA ? MemClassify(ia.handle) : kArrHeapBlock;
    const u32 kb = listB ? MemClassify(ib.handle) : kArrHeapBlock;
    if (ka == kArrUnknownBlock || kb == kArrUnknownBlock) return ArrFail(out, kArrErrMemory);
    if ((listA && !ArrFits(ia)) || (listB && !ArrFits(ib))) return ArrFail(out, kArrErrMemory);
    const bool stored = ka == kArrStoredBlock || kb == kArrStoredBlock;
    // The heap block of the operand that the output replaces belongs to the
    // operation: taken over, or freed when the operation ends.
    if (out == a && listA && ka == kArrHeapBlock) consumed = ia.handle;
    else if (b && out == b && listB && kb == kArrHeapBlock) consumed = ib.handle;
    if (!stored) {
      if (out == a && listA) {
        taken = ia.handle;
        takenReal = !ia.complex;
      } else if (b && out == b && listB) {
        taken = ib.handle;
        takenReal = !ib.complex;
      }
    }
  }
  auto failFree = [&](u8 code) {
    if (consumed) MemFree(consumed);
    return ArrFail(out, code);
  };

  const bool matrix = listA ? ia.matrix : ib.matrix;
  const u16 rows = listA ? ia.rows : ib.rows, cols = listA ? ia.cols : ib.cols;
  const u32 n = listA ? ia.count : ib.count;
  if (listA && listB && (ia.rows != ib.rows || ia.cols != ib.cols)) return failFree(kArrErrDimension);

  // Parts of the computation and of the result block.
  bool two = false;
  u16 angle = op.angle;
  switch (e) {
    case kEngArith: two = cA || cB; break;
    case kEngPower: two = op.allowComplex != 0 || cA || cB; break;
    case kEngEquality: case kEngRealBinary: case kEngRealResult:
    case kEngRealUnary: case kEngAngleMark: two = false; break;
    case kEngTrig:
      two = cA;
      if (cA) angle = 1;
      break;
    case kEngRootLog: case kEngAcosh: case kEngAtanh: case kEngArcTrig: {
      two = cA;
      if (!cA) {
        bool bad = false;
        const BcdReal *el = ArrElems(ia.handle);
        if (el == nullptr) return failFree(kArrErrMemory);
        const bool hit = PreScan(e == kEngArcTrig ? kEngAtanh : e, el, n, &bad);
        if (bad) return failFree(kArrErrMath);
        if (hit) {
          if (op.allowComplex == 0) return failFree(e == kEngRootLog ? kArrErrNonReal : kArrErrMath);
          two = true;
        }
      }
      if (e == kEngArcTrig && two) angle = 1;
      break;
    }
    default: two = cA; break;
  }
  const bool oneOut = e == kEngEquality || e == kEngRealResult || e == kEngRealBinary || e == kEngRealUnary ||
                      e == kEngAngleMark;
  const u32 blockParts = oneOut ? 1u : (two ? 2u : 1u);

  // The result block.
  MemHandle res;
  if (taken) {
    res = taken;
    if (takenReal && blockParts == 2) {
      if (MemRealloc(res, n * 24) == 0) return failFree(kArrErrMemory);
    }
  } else {
    res = MemAlloc(n * 12 * blockParts);
    if (res == 0) return failFree(kArrErrMemory);
  }
  auto failRes = [&](const Value *err) {
    const Value copy = *err;
    MemFree(res);
    if (consumed && consumed != res) MemFree(consumed);
    *out = copy;
    return out;
  };

  // The walk. Operand blocks are reached after any resize of a taken-over
  // block, and each element is read before its slot is written.
  const BcdReal *ea = listA ? ArrElems(ia.handle) : nullptr;
  const BcdReal *eb = listB ? ArrElems(ib.handle) : nullptr;
  BcdReal *er = ArrElems(res);
  bool anyComplex = false;
  Value xa = va, xb = vb, r;
  for (u32 i = 0; i < n; ++i) {
    if (listA) ArrGet(ea, n, ia.complex, i, &xa);
    if (listB) ArrGet(eb, n, ib.complex, i, &xb);
    Element(op, &xa, b ? &xb : nullptr, &r, angle);
    if (ValErrorCode(&r) != 0) return failRes(&r);
    if (r.re.b[0] & 0x80) anyComplex = true;
    if (oneOut && (r.re.b[0] & 0x80)) {
      // A real-result engine never stores a complex element.
      r.re.b[0] &= 0x7F;
    }
    ArrPut(er, n, blockParts == 2, i, &r);
    if (op.poll && KeyBreakPoll() != 0) return failRes(ArrFail(&r, kArrErrBreak));
  }

  // The final size and kind.
  bool complexOut;
  u32 finalParts;
  if (e == kEngKindKeeping) {
    complexOut = cA;
    finalParts = blockParts;
  } else if (oneOut) {
    complexOut = false;
    finalParts = 1;
  } else {
    complexOut = anyComplex;
    finalParts = anyComplex ? 2 : 1;
    if (blockParts == 1 && anyComplex) {
      // A one-part block cannot hold complex results: only engines whose
      // elements stay real get here, so this is a fault of an element.
      return failRes(ArrFail(&r, kArrErrMath));
    }
  }
  const u32 want = n * 12 * finalParts;
  if (MemSize(res) != want && (e != kEngKindKeeping)) {
    if (MemRealloc(res, want) == 0) {
      Value err;
      return failRes(ArrFail(&err, kArrErrMemory));
    }
  }
  if (consumed && consumed != res) MemFree(consumed);
  if (matrix) ArrSetMatrix(out, complexOut, rows, cols, res);
  else ArrSetList(out, complexOut, static_cast<u16>(n), res);
  return out;
}

Value *Bin(Engine e, u8 code, const Value *a, const Value *b, Value *out, u32 cf) {
  return Run(Op{e, code, cf, 0, 0, false}, a, b, out);
}

Value *Un(Engine e, u8 code, const Value *x, Value *out, u32 cf, u16 angle = 0, int digits = 0) {
  return Run(Op{e, code, cf, angle, digits, false}, x, nullptr, out);
}

}  // namespace

Value *ArrElementwise(u8 family, u8 code, const Value *a, const Value *b, Value *out, u32 allowComplex, int digits,
                      bool pollBreak) {
  Engine e = kEngArith;
  switch (family) {
    case kArrFamilyArith: e = kEngArith; break;
    case kArrFamilyIntPart: e = kEngIntPart; break;
    case kArrFamilyRealResult: e = kEngRealResult; break;
    default: e = kEngKindKeeping; break;
  }
  return Run(Op{e, code, allowComplex, 1, digits, pollBreak}, a, b, out);
}

Value *ListAdd(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngArith, kListOpAdd, a, b, out, cf); }
Value *ListSubtract(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngArith, kListOpSub, a, b, out, cf);
}
Value *ListMultiply(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngArith, kListOpMul, a, b, out, cf);
}
Value *ListDivide(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngArith, kListOpDiv, a, b, out, cf); }
Value *ListFractionDivide(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngArith, kListOpDivFrac, a, b, out, cf);
}
Value *ListPower(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngPower, kListOpPow, a, b, out, cf); }
Value *ListEqual(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngEquality, kListOpEq, a, b, out, cf); }
Value *ListNotEqual(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngEquality, kListOpNe, a, b, out, cf);
}
Value *ListLess(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngRealBinary, kListOpLt, a, b, out, cf); }
Value *ListGreater(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngRealBinary, kListOpGt, a, b, out, cf);
}
Value *ListLessEqual(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngRealBinary, kListOpLe, a, b, out, cf);
}
Value *ListGreaterEqual(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngRealBinary, kListOpGe, a, b, out, cf);
}
Value *ListPermutations(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngRealBinary, kListOpNpr, a, b, out, cf);
}
Value *ListCombinations(const Value *a, const Value *b, Value *out, u32 cf) {
  return Bin(kEngRealBinary, kListOpNcr, a, b, out, cf);
}
Value *ListAnd(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngRealBinary, kListOpAnd, a, b, out, cf); }
Value *ListOr(const Value *a, const Value *b, Value *out, u32 cf) { return Bin(kEngRealBinary, kListOpOr, a, b, out, cf); }

Value *ListExp(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpExp, x, out, cf); }
Value *ListTenPower(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpExp10, x, out, cf); }
Value *ListSinh(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpSinh, x, out, cf); }
Value *ListCosh(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpCosh, x, out, cf); }
Value *ListTanh(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpTanh, x, out, cf); }
Value *ListAsinh(const Value *x, Value *out, u32 cf) { return Un(kEngAnalytic, kListOpAsinh, x, out, cf); }
Value *ListSqrt(const Value *x, Value *out, u32 cf) { return Un(kEngRootLog, kListOpSqrt, x, out, cf); }
Value *ListLn(const Value *x, Value *out, u32 cf) { return Un(kEngRootLog, kListOpLn, x, out, cf); }
Value *ListLog(const Value *x, Value *out, u32 cf) { return Un(kEngRootLog, kListOpLog, x, out, cf); }
Value *ListAcosh(const Value *x, Value *out, u32 cf) { return Un(kEngAcosh, kListOpAcosh, x, out, cf); }
Value *ListAtanh(const Value *x, Value *out, u32 cf) { return Un(kEngAtanh, kListOpAtanh, x, out, cf); }
Value *ListIntg(const Value *x, Value *out, u32 cf) { return Un(kEngIntPart, kListOpIntg, x, out, cf); }
Value *ListInt(const Value *x, Value *out, u32 cf) { return Un(kEngIntPart, kListOpInt, x, out, cf); }
Value *ListFrac(const Value *x, Value *out, u32 cf) { return Un(kEngIntPart, kListOpFrac, x, out, cf); }
Value *ListFactorial(const Value *x, Value *out, u32 cf) { return Un(kEngRealUnary, kListOpFactorial, x, out, cf); }
Value *ListNot(const Value *x, Value *out, u32 cf) { return Un(kEngRealUnary, kListOpNot, x, out, cf); }
Value *ListAbs(const Value *x, Value *out, u32 cf) { return Un(kEngRealResult, kListOpAbs, x, out, cf, 1); }
Value *ListArg(const Value *x, Value *out, u16 angle, u32 cf) { return Un(kEngRealResult, kListOpArg, x, out, cf, angle); }
Value *ListReP(const Value *x, Value *out, u32) { return Un(kEngRealResult, kListOpReP, x, out, 1, 1); }
Value *ListImP(const Value *x, Value *out, u32) { return Un(kEngRealResult, kListOpImP, x, out, 1, 1); }
Value *ListNegate(const Value *x, Value *out, u32 cf) { return Un(kEngKindKeeping, kListOpNeg, x, out, cf); }
Value *ListNormalize(const Value *x, Value *out, u32 cf) { return Un(kEngKindKeeping, kListOpNormalize, x, out, cf); }
Value *ListToFraction(const Value *x, Value *out, u32 cf) {
  return Un(kEngKindKeeping, kListOpToFraction, x, out, cf);
}
Value *ListToDecimal(const Value *x, Value *out, u32 cf) { return Un(kEngKindKeeping, kListOpToDecimal, x, out, cf); }
Value *ListConjugate(const Value *x, Value *out, u32 cf) { return Un(kEngKindKeeping, kListOpConj, x, out, cf); }
Value *ListRoundFix(const Value *x, Value *out, int n) { return Un(kEngKindKeeping, kListOpRound, x, out, 1, 0, n); }
Value *ListSin(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngTrig, kListOpSin, x, out, cf, u); }
Value *ListCos(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngTrig, kListOpCos, x, out, cf, u); }
Value *ListTan(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngTrig, kListOpTan, x, out, cf, u); }
Value *ListAtan(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngTrig, kListOpAtan, x, out, cf, u); }
Value *ListAsin(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngArcTrig, kListOpAsin, x, out, cf, u); }
Value *ListAcos(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngArcTrig, kListOpAcos, x, out, cf, u); }
Value *ListDegrees(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngAngleMark, kListOpDegrees, x, out, cf, u); }
Value *ListRadians(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngAngleMark, kListOpRadians, x, out, cf, u); }
Value *ListGrads(const Value *x, Value *out, u16 u, u32 cf) { return Un(kEngAngleMark, kListOpGrads, x, out, cf, u); }

int ListStatFuncOp(u8 code, Value *v) {
  int (*fn)(BcdReal *) = nullptr;
  switch (code) {
    case kListOpProbP: fn = RealNormalP; break;
    case kListOpProbQ: fn = RealNormalQ; break;
    case kListOpProbR: fn = RealNormalR; break;
    case kListOpNormVariate: fn = RealNormVariate; break;
    case kListOpEstimateX: fn = RealEstimateX; break;
    case kListOpEstimateY: fn = RealEstimateY; break;
    default: ArrFail(v, kArrErrMath); return 0;
  }
  if (ValIsComplex(v) == 1) {
    ValFreeTemp(v);
    ArrFail(v, kArrErrComplexList);
    return 0;
  }
  const ArrInfo a = ArrInfoOf(v);
  const u32 where = MemClassify(a.handle);
  if (where == kArrUnknownBlock) return ArrFail(v, kArrErrMemory), 0;
  MemHandle h = a.handle;
  if (where == kArrStoredBlock) {
    h = MemAlloc(a.count * 12);
    if (h == 0) return ArrFail(v, kArrErrMemory), 0;
  }
  const BcdReal *src = ArrElems(a.handle);
  BcdReal *dst = ArrElems(h);
  for (u32 i = 0; i < a.count; ++i) {
    BcdReal x = src[i];
    x.b[0] &= 0x7F;
    if (!fn(&x)) {
      MemFree(h);
      std::memset(v, 0, sizeof *v);
      v->re = x;
      return 0;
    }
    dst[i] = x;
  }
  ArrSetList(v, false, static_cast<u16>(a.count), h);
  return 1;
}
