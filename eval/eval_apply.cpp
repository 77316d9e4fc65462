// Operator reduction and application: the appliers the core calls, the
// fraction bar, and the token-to-operation tables with the Base-N rules.
#include <cstring>

#include "eval/eval.h"
#include "eval/eval_lists.h"
#include "number/normal.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "ui/setup.h"

namespace {

u32 Status(const Value *result) { return ValErrorCode(result) == 0 ? 1 : 0; }

u32 Fail(Value *result, u8 code) {
  RealMakeError(code, &result->re);
  return 0;
}

u8 BaseNMode() { return SetupGetItem(kSetupMode); }
u16 Angle() { return SetupGetAngle(); }
u32 ComplexMode() { return SetupGetItem(kSetupComplexMode); }

bool IsZero(const Value *v) { return v->re.b[0] == 0 && v->re.b[1] == 0; }

}  // namespace

// ---- Base-N range ----

u32 EvalBaseNResult(const Value *in, Value *out, u8 mode) {
  if (out != in) *out = *in;
  if (ValErrorCode(out) != 0) return 0;
  if (EvalIsArrayCell(out)) {
    // Base-N has no lists or matrices: a result's own block goes with it.
    if (out == in) EvalFreeCell(out);
    return Fail(out, kEvalErrMa);
  }
  if (out->re.b[0] & 0x80) return Fail(out, kEvalErrMa);
  BcdReal lo, hi;
  if (mode == 1) {
    RealSetMinus32768(&lo);
    RealSet32767(&hi);
  } else {
    RealSetMinus2147483648(&lo);
    RealSet2147483647(&hi);
  }
  BcdReal x;
  RealFracToDecimal(&out->re, &x);
  if (RealIsLess(&x, &lo) == 1 || RealIsGreater(&x, &hi) == 1) return Fail(out, kEvalErrMa);
  // The integer part toward zero: -7/2 is -3, -1/2 is 0.
  RealInt(&x, &out->re);
  std::memset(&out->im, 0, sizeof out->im);
  return Status(out);
}

u32 EvalBaseNOperand(const Value *in, Value *out, u8 mode) {
  if (ValErrorCode(in) != 0) {
    if (out != in) *out = *in;
    return 0;
  }
  return EvalBaseNResult(in, out, mode);
}

// ---- token tables ----

u32 EvalBinaryToken(const u8 *op, const Value *l, const Value *r, Value *res, u16 angle, u32 ac) {
  const u8 t = op[0];
  const u8 mode = BaseNMode();
  if (mode != 0) {
    if (t == 0x7F) return Fail(res, kEvalErrArgument);
    switch (t) {
      case '=': ValEq(l, r, res, ac); return Status(res);
      case 0x11: ValNe(l, r, res, ac); return Status(res);
      case '<': ValLt(l, r, res, ac); return Status(res);
      case '>': ValGt(l, r, res, ac); return Status(res);
      case 0x10: ValLe(l, r, res, ac); return Status(res);
      case 0x12: ValGe(l, r, res, ac); return Status(res);
      case 0xBA: ValBitAnd(l, r, res); return Status(res);
      case 0xAA: ValBitOr(l, r, res); return Status(res);
      case 0x9A: ValBitXor(l, r, res); return Status(res);
      case 0x8A: ValBitXnor(l, r, res); return Status(res);
      case 0x89: ValAdd(l, r, res, ac); break;
      case 0x99: ValSub(l, r, res, ac); break;
      case 0xA9: case 0xF8: case 0xFA: ValMul(l, r, res, ac); break;
      case 0xB9: ValDiv(l, r, res, ac); break;
      default: return Fail(res, kEvalErrArgument);
    }
    return EvalBaseNResult(res, res, mode);
  }
  if (t == 0x7F) {
    switch (op[1]) {
      case 0x54: ValFromPolar(l, r, res, angle); return Status(res);
      case 0xB0: ValLogicAnd(l, r, res, ac); return Status(res);
      case 0xB1: ValLogicOr(l, r, res, ac); return Status(res);
      default: return Fail(res, kEvalErrArgument);
    }
  }
  switch (t) {
    case '=': ValEq(l, r, res, ac); break;
    case 0x11: ValNe(l, r, res, ac); break;
    case '<': ValLt(l, r, res, ac); break;
    case '>': ValGt(l, r, res, ac); break;
    case 0x10: ValLe(l, r, res, ac); break;
    case 0x12: ValGe(l, r, res, ac); break;
    case 0x89: ValAddMaru(l, r, res, ac); break;
    case 0x99: ValSubMaru(l, r, res, ac); break;
    case 0xA9: case 0xF8: case 0xFA: ValMul(l, r, res, ac); break;
    case 0xB9: ValDiv(l, r, res, ac); break;
    case 0xA8: ValPow(l, r, res, ac); break;
    case 0xB8: ValXRoot(l, r, res, ac); break;
    case 0x88: ValPermutations(l, r, res, ac); break;
    case 0x98: ValCombinations(l, r, res, ac); break;
    case 0xBA: ValBitAnd(l, r, res); break;
    case 0xAA: ValBitOr(l, r, res); break;
    case 0x9A: ValBitXor(l, r, res); break;
    case 0x8A: ValBitXnor(l, r, res); break;
    default: return Fail(res, kEvalErrArgument);
  }
  return Status(res);
}

namespace {

// The statistics functions compute in place on a copy of the operand.
u32 InPlace(const Value *x, Value *res, int (*fn)(Value *)) {
  *res = *x;
  fn(res);
  return Status(res);
}

}  // namespace

u32 EvalUnaryToken(const u8 *op, const Value *x, Value *res, u16 angle, u32 ac) {
  const u8 t = op[0];
  const u8 mode = BaseNMode();
  if (mode != 0) {
    if (t == 0x87 || t == 0xB7) {
      ValNeg(x, res);
      return EvalBaseNResult(res, res, mode);
    }
    if (t == 0xA7) {
      ValBitNot(x, res);
      return Status(res);
    }
    return Fail(res, kEvalErrArgument);
  }
  if (t == 0x7F) {
    switch (op[1]) {
      case 0x21: MatDetToken(x, res); break;
      case 0x22: ValArg(x, res, angle); break;
      case 0x23: ValConj(x, res); break;
      case 0x24: ValRealPart(x, res); break;
      case 0x25: ValImagPart(x, res); break;
      case 0x41: MatTransposeToken(x, res); break;
      case 0x46: MatDimToken(x, res); break;
      case 0x48: MatIdentityToken(x, res); break;
      case 0x4C: ListSumToken(x, res); break;
      case 0x4D: ListProdToken(x, res); break;
      case 0x4E: ListPercentToken(x, res); break;
      case 0x4F: ListCumlToken(x, res); break;
      case 0xB3: ValLogicNot(x, res); break;
      default: return Fail(res, kEvalErrArgument);
    }
    return Status(res);
  }
  switch (t) {
    case 0x81: ValSin(x, res, angle); break;
    case 0x82: ValCos(x, res, angle); break;
    case 0x83: ValTan(x, res, angle); break;
    case 0x91: ValAsin(x, res, angle); break;
    case 0x92: ValAcos(x, res, angle); break;
    case 0x93: ValAtan(x, res, angle); break;
    case 0xA1: ValSinh(x, res); break;
    case 0xA2: ValCosh(x, res); break;
    case 0xA3: ValTanh(x, res); break;
    case 0xB1: ValAsinh(x, res); break;
    case 0xB2: ValAcosh(x, res); break;
    case 0xB3: ValAtanh(x, res); break;
    case 0x85: ValLn(x, res, ac); break;
    case 0x95: ValLog(x, res, ac); break;
    case 0xA5: ValExp(x, res, ac); break;
    case 0xB5: ValExp10(x, res, ac); break;
    case 0x86: ValSqrt(x, res, ac); break;
    case 0x96: ValCubeRoot(x, res, ac); break;
    case 0x97: ValAbs(x, res); break;
    case 0xA6: ValInt(x, res); break;
    case 0xB6: ValFrac(x, res); break;
    case 0xDE: ValIntg(x, res); break;
    case 0x87: case 0xB7: ValNeg(x, res); break;
    case 0xA7: ValBitNot(x, res); break;
    case 0xFB: case 0xFC: case 0xFD: case 0xFE:
      return InPlace(x, res, t == 0xFB ? ValNormalP : t == 0xFC ? ValNormalQ : t == 0xFD ? ValNormalR : ValNormVariate);
    default: return Fail(res, kEvalErrArgument);
  }
  return Status(res);
}

u32 EvalPostfixToken(const u8 *op, const Value *x, Value *res, u16 angle, u32 ac) {
  switch (op[0]) {
    case 0x8B: ValSquare(x, res, ac); break;
    case 0x9B: ValReciprocal(x, res, ac); break;
    case 0xAB: ValFactorial(x, res); break;
    case 0x9C: ValDegMark(x, res, angle); break;
    case 0xAC: ValRadMark(x, res, angle); break;
    case 0xBC: ValGradMark(x, res, angle); break;
    case 0xCB: return InPlace(x, res, ValEstimateX);
    case 0xCC: return InPlace(x, res, ValEstimateY);
    default: return Fail(res, kEvalErrArgument);
  }
  return Status(res);
}

u32 EvalPolRecToken(u8 op, const Value *first, const Value *second, Value *res, u16 angle) {
  if (op == kTokPol) {
    ValPol(first, second, res, angle);
  } else if (op == kTokRec) {
    ValRec(first, second, res, angle);
  } else {
    return Fail(res, kEvalErrArgument);
  }
  return Status(res);
}

// ---- appliers ----

namespace {

// Normalising changes a decimal only when its last four digits are 0001-0009
// (they are cleared) or 9991-9999 (it is rounded at the eleventh digit); zero,
// fractions and every other number come back as they are, so the unpack and
// pack of the full operation are skipped for them.
bool NormalizeChanges(const BcdReal *x) {
  if ((x->b[0] & 0x0F) == 0x0A) return false;  // fraction
  const u16 tail = static_cast<u16>((x->b[7] << 8) | x->b[8]);
  return (tail >= 0x0001 && tail <= 0x0009) || (tail >= 0x9991 && tail <= 0x9999);
}

// True when some element (real or imaginary part) of a list or matrix cell
// would change: only then is the block walked again by the engine.
bool ArrayNormalizeChanges(const EvalCell *cell) {
  const ArrInfo a = ArrInfoOf(cell);
  const BcdReal *el = ArrElems(a.handle);
  if (el == nullptr || !ArrFits(a)) return false;
  const u32 reals = a.count * (a.complex ? 2u : 1u);
  for (u32 i = 0; i < reals; ++i) {
    if (NormalizeChanges(&el[i])) return true;
  }
  return false;
}

}  // namespace

u32 EvalNormalizeCell(EvalCell *cell) {
  const u8 b0 = cell->re.b[0];
  if ((b0 & 0x80) == 0 && (b0 & 0x60) != 0x20) {
    // A real scalar, the common case: neither an error (0xF_), a complex
    // value nor a list or matrix.
    if (!NormalizeChanges(&cell->re)) return 1;
    ValNormalize(cell, cell);
    return Status(cell);
  }
  if (ValErrorCode(cell) != 0) return 0;
  if (EvalIsArrayCell(cell)) {
    // Each element gets the same clean-up as a scalar result. A block of a
    // stored item is not written: the engine makes a new block for it.
    if (!ArrayNormalizeChanges(cell)) return 1;
    ValNormalize(cell, cell);
    return Status(cell);
  }
  const bool complex = (cell->re.b[0] & 0x80) != 0;
  if (!NormalizeChanges(&cell->re) && !(complex && NormalizeChanges(&cell->im))) return 1;
  ValNormalize(cell, cell);
  return Status(cell);
}

namespace {

// A real scalar: neither an error (0xF_), a complex value nor a list or
// matrix header.
bool IsRealScalar(const EvalCell *cell) {
  const u8 b0 = cell->re.b[0];
  return (b0 & 0x80) == 0 && (b0 & 0x60) != 0x20;
}

// The operation of + - x / on two real scalars outside Base-N, as the value
// layer routes it; null for every other operator.
BcdReal *(*RealArithmetic(u8 t))(const BcdReal *, const BcdReal *, BcdReal *) {
  switch (t) {
    case kTokAdd: return RealAddMaru;
    case kTokSub: return RealSubMaru;
    case kTokMul: case kTokImplicitValue: case kTokImplicitBracket: return RealMul;
    case kTokDiv: return RealDiv;
    default: return nullptr;
  }
}

// A real result into the cell as the value layer stores one, then the
// clean-up of every operator's result.
u32 TakeReal(const BcdReal &res, EvalCell *cell) {
  cell->re = res;
  if (ValErrorCode(&res) != 0) return 0;
  cell->re.b[0] &= 0x7F;
  RealSetZero(&cell->im);
  return EvalNormalizeCell(cell);
}

// A real power stays real when the base is not negative or the exponent is
// an integer; the value layer decides the other cases.
bool RealPowerStaysReal(const BcdReal *base, const BcdReal *exponent) {
  BcdReal zero;
  RealSetZero(&zero);
  return RealIsGreaterEqual(base, &zero) == 1 || RealIsInteger(exponent) == 1;
}

}  // namespace

u32 EvalApplyBinary(EvalCell *left, const EvalCell *op, EvalCell *right) {
  if (IsRealScalar(left) && IsRealScalar(right)) {
    // Two real numbers hold no block to release; + - x / and ^ go straight
    // to the real operation the value layer would pick.
    const u8 t = TokByte0(op);
    auto fn = RealArithmetic(t);
    if (t == kTokPow && RealPowerStaysReal(&left->re, &right->re)) fn = RealPow;
    if (fn != nullptr && BaseNMode() == 0) {
      BcdReal res{};
      fn(&left->re, &right->re, &res);
      return TakeReal(res, right);
    }
    EvalCell copy = *right;
    right->re.b[0] = 0;
    EvalBinaryToken(op->re.b, left, &copy, right, Angle(), ComplexMode());
    return EvalNormalizeCell(right);
  }
  EvalCell copy = *right;
  right->re.b[0] = 0;
  EvalBinaryToken(op->re.b, left, &copy, right, Angle(), ComplexMode());
  EvalReleaseUnlessKept(left, right);
  EvalReleaseUnlessKept(&copy, right);
  return EvalNormalizeCell(right);
}

u32 EvalApplyUnary(EvalCell *cell, const EvalCell *op) {
  const u8 t = TokByte0(op);
  if (t == '(') return 1;
  if ((t == 0x81 || t == 0x82 || t == 0x83) && IsRealScalar(cell) && BaseNMode() == 0) {
    // sin, cos and tan of a real number: the real function the value layer
    // would call.
    BcdReal res{};
    (t == 0x81 ? RealSin : t == 0x82 ? RealCos : RealTan)(&cell->re, &res, Angle());
    return TakeReal(res, cell);
  }
  EvalCell copy = *cell;
  cell->re.b[0] = 0;
  if (TokIsPrefixOp(op)) {
    EvalUnaryToken(op->re.b, &copy, cell, Angle(), ComplexMode());
  } else if (!TokCanFollowOperand(op)) {
    *cell = copy;
    EvalFreeCell(cell);
    return EvalErrSyntax(cell);
  } else if (t > 0x0B) {
    EvalPostfixToken(op->re.b, &copy, cell, Angle(), ComplexMode());
  } else {
    *cell = copy;
    if (!EvalApplySuffix(cell, t)) return 0;
    return EvalNormalizeCell(cell);
  }
  EvalReleaseUnlessKept(&copy, cell);
  return EvalNormalizeCell(cell);
}

u32 EvalIsScalar(EvalCell *cell) {
  if (!EvalIsArrayCell(cell)) return 1;
  EvalFreeCell(cell);
  return 0;
}

u32 EvalIsRealScalar(EvalCell *cell) {
  if (!EvalIsScalar(cell)) return 0;
  return (cell->re.b[0] & 0x80) == 0 && ValErrorCode(cell) == 0;
}

u32 EvalTakeAbsolute(EvalCell *cell) {
  if (ValErrorCode(cell) != 0) return 0;
  const u8 cls = (cell->re.b[0] >> 4) & 0x07;
  if (cls != 5 && cls != 6) return 0;
  cell->re.b[0] = static_cast<u8>(cell->re.b[0] - 0x50);
  return 1;
}

u32 EvalNegateCell(EvalCell *cell) {
  if (IsZero(cell)) return 1;
  if (EvalIsArrayCell(cell)) {
    EvalFreeCell(cell);
    return EvalErrMa(cell);
  }
  auto flip = [](u8 *b0) {
    const u8 flag = *b0 & 0x80;
    u8 hi = (*b0 >> 4) & 0x07;
    hi = static_cast<u8>(hi + 5);
    if (hi >= 10) hi = static_cast<u8>(hi + 6);
    *b0 = static_cast<u8>(flag | ((hi & 0x07) << 4) | (*b0 & 0x0F));
  };
  flip(&cell->re.b[0]);
  if (cell->re.b[0] & 0x80) {
    if (!(cell->im.b[0] == 0 && cell->im.b[1] == 0)) flip(&cell->im.b[0]);
  }
  return 1;
}

u32 EvalApplyFractionBar(EvalCell *left, EvalCell *right, EvalStackArea *area, u32) {
  EvalOperatorStack *ops = area->operators;
  if (ops->count >= 2 && ops->bytes[ops->count - 1] == kTokFracBar && ops->bytes[ops->count - 2] == kTokFracBar) {
    EvalFreeCell(left);
    EvalFreeCell(right);
    return EvalErrSyntax(right);
  }
  if (!EvalIsScalar(left)) {
    EvalFreeCell(right);
    return EvalErrMa(right);
  }
  if (!EvalIsScalar(right)) return EvalErrMa(right);
  if (ValErrorCode(left) != 0) {
    *right = *left;
    return 0;
  }
  if (ValErrorCode(right) != 0) return 0;
  if (IsZero(right)) return EvalErrMa(right);

  EvalCell peek;
  if (IsZero(left)) {
    // b = 0 in a_b_c gives a; 0_c alone gives 0.
    const u8 before = ops->count;
    const u32 popped = EvalPopOperator(ops, &peek);
    if (popped && TokByte0(&peek) == kTokFracBar) {
      if (!EvalIsRealScalar(left) || !EvalIsRealScalar(right)) return EvalErrMa(right);
      EvalCell whole;
      if (!EvalPopOperand(&whole, area->operands)) return EvalErrSyntax(right);
      *right = whole;
      if (!EvalIsRealScalar(right)) return EvalErrMa(right);
      return 1;
    }
    ops->count = before;  // the peeked operator (or marker) goes back whole
    std::memset(right, 0, sizeof *right);
    return 1;
  }

  EvalCell result;
  std::memset(&result, 0, sizeof result);
  const u8 mode = BaseNMode();
  if (mode != 0) {
    const u8 div[2] = {kTokDiv, 0};
    EvalBinaryToken(div, left, right, &result, Angle(), ComplexMode());
  } else {
    ValDivFrac(left, right, &result, ComplexMode());
  }
  if (ValErrorCode(&result) != 0) {
    *right = result;
    return 0;
  }

  const u8 before = ops->count;
  if (EvalPopOperator(ops, &peek) && TokByte0(&peek) == kTokFracBar) {
    // A mixed number a_b_c: a + b/c, negative when exactly one of a and
    // b/c is.
    if (!EvalIsRealScalar(left) || !EvalIsRealScalar(&result)) return EvalErrMa(right);
    EvalCell whole;
    if (!EvalPopOperand(&whole, area->operands)) return EvalErrSyntax(right);
    if (!EvalIsRealScalar(&whole)) return EvalErrMa(right);
    const u32 negatives = EvalTakeAbsolute(&whole) + EvalTakeAbsolute(&result);
    const u8 add[2] = {kTokAdd, 0};
    EvalCell sum;
    std::memset(&sum, 0, sizeof sum);
    EvalBinaryToken(add, &whole, &result, &sum, Angle(), ComplexMode());
    if (ValErrorCode(&sum) != 0) {
      *right = sum;
      return 0;
    }
    if (negatives == 1) EvalNegateCell(&sum);
    *right = sum;
    return EvalNormalizeCell(right);
  }
  ops->count = before;
  *right = result;
  // A decimal quotient gets the clean-up of every other operator's result,
  // so a_b and a/b agree; an exact fraction is left as it is.
  return EvalNormalizeCell(right);
}
