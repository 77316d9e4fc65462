// Generic value operations: routing by operand kind.
#include "number/valop.h"

#include <cstring>

#include "kernel/heap.h"
#include "number/basen.h"
#include "number/cplx.h"
#include "number/frac.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/list_ops.h"
#include "numeric/mat_ops.h"

namespace {

using RealFn2 = BcdReal *(*)(const BcdReal *, const BcdReal *, BcdReal *);
using RealFn1 = BcdReal *(*)(const BcdReal *, BcdReal *);
using RealAngleFn = BcdReal *(*)(const BcdReal *, BcdReal *, u16);
using CplxFn2 = CplxPair *(*)(const CplxPair *, const CplxPair *, CplxPair *);
using CplxFn1 = CplxPair *(*)(const CplxPair *, CplxPair *);

Value *Copy(const Value *v, Value *out) {
  if (v != out) std::memmove(out, v, sizeof *out);
  return out;
}

Value *Fail(Value *out, u8 code) {
  RealMakeError(code, &out->re);
  return out;
}

Value *FromReal(const BcdReal &r, Value *out) {
  const BcdReal c = r;
  out->re = c;
  // Bytes 9-11 of a stored real carry nothing, and the real routines leave
  // them as they found them: cleared here, a result's bytes never depend on
  // what a scratch real held before (they reach stored items and files).
  out->re.b[9] = out->re.b[10] = out->re.b[11] = 0;
  if (ValErrorCode(&c) == 0) {
    out->re.b[0] &= 0x7F;
    RealSetZero(&out->im);
  }
  return out;
}

Value *FromPair(const CplxPair &p, Value *out) {
  const CplxPair c = p;
  return ValFromParts(&c.re, &c.im, out);
}

bool IsList(const Value *v) { return ValKind(v) == kValKindList; }
bool IsMatrix(const Value *v) { return ValKind(v) == kValKindMatrix; }

using ListFn2 = Value *(*)(const Value *, const Value *, Value *, u32);
using ListFn1 = Value *(*)(const Value *, Value *, u32);
using ListAngleFn = Value *(*)(const Value *, Value *, u16, u32);

enum MatRule : u8 {
  kMatAddLike,  // matrix with matrix: engine; one matrix: 3
  kMatMul,      // matrix product; matrix with a real scalar: scaled; else 3
  kMatNone,     // any matrix: 3
};

enum ListRule : u8 {
  kListAny,       // the list engine
  kListRealOnly,  // the list engine; complex scalar or complex list: 25
  kListNone,      // 3
};

struct BinRoute {
  MatRule mat;
  ListRule list;
  ListFn2 listFn;  // the list engine's member
  ListFn2 matFn;   // the matrix engine's member (matrix with matrix)
  RealFn2 real;
  CplxFn2 cplx;                                                 // null: complex scalars give 3
  BcdReal *(*cplxToReal)(const CplxPair *, const CplxPair *, BcdReal *);  // relations
};

Value *Binary(const BinRoute &r, const Value *a, const Value *b, Value *out, u32 allowComplex) {
  const int ka = ValKind(a), kb = ValKind(b);
  if (ka == kValKindError) return Copy(a, out);
  if (kb == kValKindError) return Copy(b, out);
  if (ka == kValKindMatrix || kb == kValKindMatrix) {
    switch (r.mat) {
      case kMatAddLike:
        return (ka == kValKindMatrix && kb == kValKindMatrix) ? r.matFn(a, b, out, allowComplex) : Fail(out, 3);
      case kMatMul: {
        if (ka == kValKindMatrix && kb == kValKindMatrix) return MatMultiply(a, b, out, allowComplex);
        const Value *other = ka == kValKindMatrix ? b : a;
        if (ValKind(other) == kValKindScalar && ValIsComplex(other) == 0) return MatScale(a, b, out, allowComplex);
        return Fail(out, 3);
      }
      case kMatNone: return Fail(out, 3);
    }
  }
  if (ka == kValKindList || kb == kValKindList) {
    if (r.list == kListNone) return Fail(out, 3);
    if (r.list == kListRealOnly && (ValIsComplex(a) == 1 || ValIsComplex(b) == 1)) return Fail(out, 25);
    return r.listFn(a, b, out, allowComplex);
  }
  const bool ca = ValIsComplex(a) == 1, cb = ValIsComplex(b) == 1;
  if (!ca && !cb) {
    BcdReal ra = a->re, rb = b->re, res;
    r.real(&ra, &rb, &res);
    return FromReal(res, out);
  }
  CplxPair pa, pb;
  ValSplit(a, &pa);
  ValSplit(b, &pb);
  if (r.cplxToReal) {
    BcdReal res;
    r.cplxToReal(&pa, &pb, &res);
    return FromReal(res, out);
  }
  if (!r.cplx) return Fail(out, 3);
  CplxPair res{};
  r.cplx(&pa, &pb, &res);
  return FromPair(res, out);
}

const BinRoute kAdd{kMatAddLike, kListAny, ListAdd, MatAdd, RealAdd, CplxAdd, nullptr};
const BinRoute kAddMaru{kMatAddLike, kListAny, ListAdd, MatAdd, RealAddMaru, CplxAddMaru, nullptr};
const BinRoute kSub{kMatAddLike, kListAny, ListSubtract, MatSubtract, RealSub, CplxSub, nullptr};
const BinRoute kSubMaru{kMatAddLike, kListAny, ListSubtract, MatSubtract, RealSubMaru, CplxSubMaru, nullptr};
const BinRoute kMul{kMatMul, kListAny, ListMultiply, nullptr, RealMul, CplxMul, nullptr};
const BinRoute kDiv{kMatNone, kListAny, ListDivide, nullptr, RealDiv, CplxDiv, nullptr};
const BinRoute kDivFrac{kMatNone, kListAny, ListFractionDivide, nullptr, RealDivToFrac, CplxDivToFrac, nullptr};
const BinRoute kEq{kMatNone, kListAny, ListEqual, nullptr, RealRelEqual, nullptr, CplxRelEqual};
const BinRoute kNe{kMatNone, kListAny, ListNotEqual, nullptr, RealRelNotEqual, nullptr, CplxRelNotEqual};
const BinRoute kLt{kMatNone, kListRealOnly, ListLess, nullptr, RealRelLess, nullptr, nullptr};
const BinRoute kGt{kMatNone, kListRealOnly, ListGreater, nullptr, RealRelGreater, nullptr, nullptr};
const BinRoute kLe{kMatNone, kListRealOnly, ListLessEqual, nullptr, RealRelLessEqual, nullptr, nullptr};
const BinRoute kGe{kMatNone, kListRealOnly, ListGreaterEqual, nullptr, RealRelGreaterEqual, nullptr, nullptr};
const BinRoute kNpr{kMatNone, kListRealOnly, ListPermutations, nullptr, RealNpr, nullptr, nullptr};
const BinRoute kNcr{kMatNone, kListRealOnly, ListCombinations, nullptr, RealNcr, nullptr, nullptr};
const BinRoute kAnd{kMatNone, kListRealOnly, ListAnd, nullptr, RealLogicAnd, nullptr, nullptr};
const BinRoute kOr{kMatNone, kListRealOnly, ListOr, nullptr, RealLogicOr, nullptr, nullptr};
const BinRoute kBitAnd{kMatNone, kListNone, nullptr, nullptr, RealBitAnd, nullptr, nullptr};
const BinRoute kBitOr{kMatNone, kListNone, nullptr, nullptr, RealBitOr, nullptr, nullptr};
const BinRoute kBitXor{kMatNone, kListNone, nullptr, nullptr, RealBitXor, nullptr, nullptr};
const BinRoute kBitXnor{kMatNone, kListNone, nullptr, nullptr, RealBitXnor, nullptr, nullptr};

// One operand: the list and matrix members, then the real and complex paths.
enum UnList : u8 { kUnListAny, kUnListRealOnly, kUnListNone };

struct ArrOps {
  UnList rule;
  ListFn1 list;          // list member (or listAngle)
  ListAngleFn listAngle;
  ListFn1 mat;           // matrix member; null: a matrix gives 3
};

// Error, matrix and list screening of a one-operand member; true when out
// holds the finished result.
bool ScreenUnary(const Value *x, Value *out, const ArrOps &ops, u32 allowComplex, u16 angle = 0) {
  const int k = ValKind(x);
  if (k == kValKindError) {
    Copy(x, out);
    return true;
  }
  if (k == kValKindMatrix) {
    if (ops.mat) ops.mat(x, out, allowComplex);
    else Fail(out, 3);
    return true;
  }
  if (k == kValKindList) {
    if (ops.rule == kUnListNone || (!ops.list && !ops.listAngle)) Fail(out, 3);
    else if (ops.rule == kUnListRealOnly && ValIsComplex(x) == 1) Fail(out, 25);
    else if (ops.listAngle) ops.listAngle(x, out, angle, allowComplex);
    else ops.list(x, out, allowComplex);
    return true;
  }
  return false;
}

const ArrOps kNoArrays{kUnListNone, nullptr, nullptr, nullptr};

Value *Unary(const Value *x, Value *out, const ArrOps &ops, RealFn1 real, CplxFn1 cplx, u32 ac = 0) {
  if (ScreenUnary(x, out, ops, ac)) return out;
  if (ValIsComplex(x) == 0) {
    BcdReal r = x->re, res;
    real(&r, &res);
    return FromReal(res, out);
  }
  if (!cplx) return Fail(out, 3);
  CplxPair p, res;
  ValSplit(x, &p);
  cplx(&p, &res);
  return FromPair(res, out);
}

Value *UnaryAngle(const Value *x, Value *out, const ArrOps &ops, RealAngleFn real, u16 angle) {
  if (ScreenUnary(x, out, ops, 0, angle)) return out;
  if (ValIsComplex(x) != 0) return Fail(out, 3);
  BcdReal r = x->re, res;
  real(&r, &res, angle);
  return FromReal(res, out);
}

// Square root and logarithms: a negative real is Non-Real, or computed as a
// complex value when complex results are allowed.
Value *RealOrComplex(const Value *x, Value *out, u32 allowComplex, ListFn1 list, RealFn1 real, CplxFn1 cplx) {
  if (ScreenUnary(x, out, ArrOps{kUnListAny, list, nullptr, nullptr}, allowComplex)) return out;
  CplxPair p, res{};
  ValSplit(x, &p);
  if (ValIsComplex(x) == 0) {
    BcdReal zero;
    RealSetZero(&zero);
    if (RealIsLess(&p.re, &zero) != 1) {
      BcdReal r;
      real(&p.re, &r);
      return FromReal(r, out);
    }
    if (allowComplex == 0) return Fail(out, 17);
  }
  cplx(&p, &res);
  return FromPair(res, out);
}

Value *ImagUnit(Value *out) {
  BcdReal zero, one;
  RealSetZero(&zero);
  NumFromInt32(1, RealSetZero(&one));
  return ValFromParts(&zero, &one, out);
}

Value *RealValue(i32 n, Value *out) {
  BcdReal r;
  NumFromInt32(n, RealSetZero(&r));
  return FromReal(r, out);
}

// A two-element real list {e0, e1} in a new heap block.
Value *TwoElementList(const Value *e0, const Value *e1, Value *out) {
  if (ValErrorCode(e0) != 0) return Copy(e0, out);
  if (ValErrorCode(e1) != 0) return Copy(e1, out);
  const MemHandle h = MemAlloc(24);
  if (h == 0) return Fail(out, 4);
  u8 *p = MemDeref(h);
  std::memcpy(p, e0->re.b, 12);
  std::memcpy(p + 12, e1->re.b, 12);
  EvalArrayHeader hd{};
  hd.kind = kValRealList;
  hd.count = 2;
  hd.cols = 0;
  hd.handle = h;
  ValSetHeader(&hd, out);
  return out;
}

bool RealScalar(const Value *v) { return ValKind(v) == kValKindScalar && ValIsComplex(v) == 0; }

}  // namespace

// ---- two operands ----

Value *ValAdd(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kAdd, a, b, out, ac); }
Value *ValAddMaru(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kAddMaru, a, b, out, ac); }
Value *ValSub(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kSub, a, b, out, ac); }
Value *ValSubMaru(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kSubMaru, a, b, out, ac); }
Value *ValMul(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kMul, a, b, out, ac); }
Value *ValDiv(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kDiv, a, b, out, ac); }
Value *ValDivFrac(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kDivFrac, a, b, out, ac); }
Value *ValEq(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kEq, a, b, out, ac); }
Value *ValNe(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kNe, a, b, out, ac); }
Value *ValLt(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kLt, a, b, out, ac); }
Value *ValGt(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kGt, a, b, out, ac); }
Value *ValLe(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kLe, a, b, out, ac); }
Value *ValGe(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kGe, a, b, out, ac); }
Value *ValPermutations(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kNpr, a, b, out, ac); }
Value *ValCombinations(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kNcr, a, b, out, ac); }
Value *ValLogicAnd(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kAnd, a, b, out, ac); }
Value *ValLogicOr(const Value *a, const Value *b, Value *out, u32 ac) { return Binary(kOr, a, b, out, ac); }
Value *ValBitAnd(const Value *a, const Value *b, Value *out) { return Binary(kBitAnd, a, b, out, 0); }
Value *ValBitOr(const Value *a, const Value *b, Value *out) { return Binary(kBitOr, a, b, out, 0); }
Value *ValBitXor(const Value *a, const Value *b, Value *out) { return Binary(kBitXor, a, b, out, 0); }
Value *ValBitXnor(const Value *a, const Value *b, Value *out) { return Binary(kBitXnor, a, b, out, 0); }

Value *ValPow(const Value *a, const Value *b, Value *out, u32 allowComplex) {
  const int ka = ValKind(a), kb = ValKind(b);
  if (ka == kValKindError) return Copy(a, out);
  if (kb == kValKindError) return Copy(b, out);
  if (kb == kValKindMatrix) return Fail(out, 3);
  if (ka == kValKindMatrix) return kb == kValKindScalar ? MatPower(a, b, out, allowComplex) : Fail(out, 3);
  if (ka == kValKindList || kb == kValKindList) return ListPower(a, b, out, allowComplex);
  CplxPair pa, pb;
  ValSplit(a, &pa);
  ValSplit(b, &pb);
  if (ValIsComplex(a) == 0 && ValIsComplex(b) == 0) {
    BcdReal zero, res;
    RealSetZero(&zero);
    if (RealIsGreaterEqual(&pa.re, &zero) == 1 || RealIsInteger(&pb.re) == 1) {
      RealPow(&pa.re, &pb.re, &res);
      return FromReal(res, out);
    }
    if (allowComplex == 0) {
      RealPowNegBase(&pa.re, &pb.re, &res);
      return FromReal(res, out);
    }
  }
  CplxPair res;
  CplxPow(&pa, &pb, &res);
  return FromPair(res, out);
}

Value *ValPol(const Value *x, const Value *y, Value *out, u16 angle) {
  if (ValErrorCode(x) != 0) return Copy(x, out);
  if (ValErrorCode(y) != 0) return Copy(y, out);
  if (!RealScalar(x) || !RealScalar(y)) return Fail(out, 3);
  Value z, r, th;
  ValFromParts(&x->re, &y->re, &z);
  ValAbs(&z, &r);
  ValArg(&z, &th, angle);
  return TwoElementList(&r, &th, out);
}

Value *ValRec(const Value *r, const Value *theta, Value *out, u16 angle) {
  if (ValErrorCode(r) != 0) return Copy(r, out);
  if (ValErrorCode(theta) != 0) return Copy(theta, out);
  if (!RealScalar(r) || !RealScalar(theta)) return Fail(out, 3);
  Value c, s, x, y;
  ValCos(theta, &c, angle);
  ValSin(theta, &s, angle);
  ValMul(r, &c, &x, 1);
  ValMul(r, &s, &y, 1);
  return TwoElementList(&x, &y, out);
}

Value *ValFromPolar(const Value *r, const Value *theta, Value *out, u16 angle) {
  if (ValErrorCode(r) != 0) return Copy(r, out);
  if (ValErrorCode(theta) != 0) return Copy(theta, out);
  if (IsMatrix(r) || IsMatrix(theta) || ValIsComplex(r) == 1 || ValIsComplex(theta) == 1) return Fail(out, 3);
  // No element-wise form: a list operand is refused like a matrix.
  if (IsList(r) || IsList(theta)) return Fail(out, 3);
  BcdReal zero;
  RealSetZero(&zero);
  if (RealIsLess(&r->re, &zero) == 1) return Fail(out, 3);
  Value c, s, x, y, i, iy;
  ValCos(theta, &c, angle);
  ValSin(theta, &s, angle);
  ValMul(r, &c, &x, 1);
  ValMul(r, &s, &y, 1);
  ImagUnit(&i);
  ValMul(&i, &y, &iy, 1);
  return ValAdd(&x, &iy, out, 1);
}

// ---- one operand ----

Value *ValSqrt(const Value *x, Value *out, u32 ac) { return RealOrComplex(x, out, ac, ListSqrt, RealSqrt, CplxSqrt); }
Value *ValLn(const Value *x, Value *out, u32 ac) { return RealOrComplex(x, out, ac, ListLn, RealLn, CplxLn); }
Value *ValLog(const Value *x, Value *out, u32 ac) { return RealOrComplex(x, out, ac, ListLog, RealLog10, CplxLog10); }
Value *ValExp(const Value *x, Value *out, u32 ac) {
  return Unary(x, out, ArrOps{kUnListAny, ListExp, nullptr, nullptr}, RealExp, CplxExp, ac);
}
Value *ValExp10(const Value *x, Value *out, u32 ac) {
  return Unary(x, out, ArrOps{kUnListAny, ListTenPower, nullptr, nullptr}, RealExp10, CplxExp10, ac);
}
Value *ValSin(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListSin, nullptr}, RealSin, u);
}
Value *ValCos(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListCos, nullptr}, RealCos, u);
}
Value *ValTan(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListTan, nullptr}, RealTan, u);
}
Value *ValAsin(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListAsin, nullptr}, RealAsin, u);
}
Value *ValAcos(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListAcos, nullptr}, RealAcos, u);
}
Value *ValAtan(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListAny, nullptr, ListAtan, nullptr}, RealAtan, u);
}
Value *ValSinh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListSinh, nullptr, nullptr}, RealSinh, nullptr);
}
Value *ValCosh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListCosh, nullptr, nullptr}, RealCosh, nullptr);
}
Value *ValTanh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListTanh, nullptr, nullptr}, RealTanh, nullptr);
}
Value *ValAsinh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListAsinh, nullptr, nullptr}, RealAsinh, nullptr);
}
Value *ValAcosh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListAcosh, nullptr, nullptr}, RealAcosh, nullptr);
}
Value *ValAtanh(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListAtanh, nullptr, nullptr}, RealAtanh, nullptr);
}
Value *ValAbs(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListAbs, nullptr, MatAbs}, RealAbs, CplxAbs);
}
Value *ValIntg(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListIntg, nullptr, MatIntg}, RealIntg, CplxIntg);
}
Value *ValInt(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListInt, nullptr, MatInt}, RealInt, CplxInt);
}
Value *ValFrac(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListFrac, nullptr, MatFrac}, RealFrac, CplxFrac);
}
Value *ValNeg(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListNegate, nullptr, MatNegate}, RealNeg, CplxNeg);
}
Value *ValFactorial(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListRealOnly, ListFactorial, nullptr, nullptr}, RealFactorial, nullptr);
}
Value *ValDegMark(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListRealOnly, nullptr, ListDegrees, nullptr}, RealFromDegrees, u);
}
Value *ValRadMark(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListRealOnly, nullptr, ListRadians, nullptr}, RealFromRadians, u);
}
Value *ValGradMark(const Value *x, Value *out, u16 u) {
  return UnaryAngle(x, out, ArrOps{kUnListRealOnly, nullptr, ListGrads, nullptr}, RealFromGrads, u);
}
Value *ValLogicNot(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListRealOnly, ListNot, nullptr, nullptr}, RealLogicNot, nullptr);
}
Value *ValBitNot(const Value *x, Value *out) { return Unary(x, out, kNoArrays, RealBitNot, nullptr); }
Value *ValSignum(const Value *x, Value *out) { return Unary(x, out, kNoArrays, RealSignum, nullptr); }

Value *ValArg(const Value *x, Value *out, u16 angle) {
  if (ScreenUnary(x, out, ArrOps{kUnListAny, nullptr, ListArg, nullptr}, 1, angle)) return out;
  CplxPair p, res;
  ValSplit(x, &p);
  CplxArg(&p, &res, angle);
  return FromReal(res.re, out);
}

Value *ValRealPart(const Value *x, Value *out) {
  if (ScreenUnary(x, out, ArrOps{kUnListAny, ListReP, nullptr, nullptr}, 1)) return out;
  CplxPair p;
  ValSplit(x, &p);
  return FromReal(p.re, out);
}

Value *ValImagPart(const Value *x, Value *out) {
  if (ScreenUnary(x, out, ArrOps{kUnListAny, ListImP, nullptr, nullptr}, 1)) return out;
  CplxPair p;
  ValSplit(x, &p);
  return FromReal(p.im, out);
}

Value *ValConj(const Value *x, Value *out) {
  const int k = ValKind(x);
  if (k == kValKindError) return Copy(x, out);
  const bool complex = ValIsComplex(x) == 1;
  if (k == kValKindList || k == kValKindMatrix) {
    if (!complex) return Copy(x, out);
    return k == kValKindList ? ListConjugate(x, out, 1) : Fail(out, 3);
  }
  if (!complex) return Copy(x, out);
  CplxPair p;
  ValSplit(x, &p);
  RealNeg(&p.im, &p.im);
  return FromPair(p, out);
}

namespace {

BcdReal *RealToFracOf(const BcdReal *x, BcdReal *dst) { return RealToFrac(x, dst); }

CplxPair *CplxNormalize(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealNormalize); }
CplxPair *CplxToFrac(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealToFracOf); }

}  // namespace

Value *ValNormalize(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListNormalize, nullptr, MatNormalize}, RealNormalize, CplxNormalize);
}

Value *ValToFraction(const Value *x, Value *out) {
  return Unary(x, out, ArrOps{kUnListAny, ListToFraction, nullptr, MatToFraction}, RealToFracOf, CplxToFrac);
}

Value *ValRound(const Value *x, Value *out, int n) {
  const int k = ValKind(x);
  if (k == kValKindList) return ListRoundFix(x, out, n);
  if (k == kValKindMatrix) return MatRoundFix(x, out, n);
  if (k == kValKindError) return Copy(x, out);
  CplxPair p, res;
  ValSplit(x, &p);
  if (ValIsComplex(x) == 0) {
    BcdReal r;
    RealRoundDecimals(&p.re, &r, n);
    return FromReal(r, out);
  }
  CplxRoundDecimals(&p, &res, n);
  return FromPair(res, out);
}

// ---- built on the others ----

Value *ValSquare(const Value *x, Value *out, u32 ac) { return ValMul(x, x, out, ac); }

Value *ValReciprocal(const Value *x, Value *out, u32 ac) {
  if (IsMatrix(x)) return MatReciprocal(x, out, ac);
  Value one;
  RealValue(1, &one);
  return ValDiv(&one, x, out, ac);
}

Value *ValCubeRoot(const Value *x, Value *out, u32 ac) {
  Value third;
  std::memset(&third, 0, sizeof third);
  RealSetOneThird(&third.re);
  return ValPow(x, &third, out, ac);
}

Value *ValXRoot(const Value *n, const Value *x, Value *out, u32 ac) {
  Value one, e;
  RealValue(1, &one);
  ValDivFrac(&one, n, &e, ac);
  return ValPow(x, &e, out, ac);
}

Value *ValLogBase(const Value *b, const Value *x, Value *out, u32 ac) {
  Value lx, lb;
  ValLn(x, &lx, ac);
  ValLn(b, &lb, ac);
  return ValDiv(&lx, &lb, out, ac);
}

namespace {

Value *Clean(Value *(*op)(const Value *, const Value *, Value *, u32), const Value *a, const Value *b, Value *out,
             u32 ac) {
  Value na, nb;
  ValNormalize(a, &na);
  ValNormalize(b, &nb);
  return op(&na, &nb, out, ac);
}

}  // namespace

Value *ValAddClean(const Value *a, const Value *b, Value *out, u32 ac) { return Clean(ValAdd, a, b, out, ac); }
Value *ValSubClean(const Value *a, const Value *b, Value *out, u32 ac) { return Clean(ValSub, a, b, out, ac); }
Value *ValMulClean(const Value *a, const Value *b, Value *out, u32 ac) { return Clean(ValMul, a, b, out, ac); }
Value *ValDivClean(const Value *a, const Value *b, Value *out, u32 ac) { return Clean(ValDiv, a, b, out, ac); }
