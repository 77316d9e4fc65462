// Functions with arguments: "Pol(", "Rec(", "logab(" and "RndFix("; the
// calculus functions (integral, derivatives, Solve(, FMin(, FMax(, the sum
// and Seq(), which pass over their expression, read the remaining arguments
// and hand the expression's start to a numeric engine; and the handlers that
// wait for the graph screen and the spreadsheet.
#include "eval/eval_calculus.h"

#include <cstring>

#include "eval/eval_glue.h"
#include "eval/eval_lists.h"
#include "kernel/heap.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/calc_point.h"
#include "numeric/deriv.h"
#include "numeric/extremum.h"
#include "numeric/integrate.h"
#include "numeric/solve.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

// ')' ends the argument list when present; the end of the text closes it too.
void CloseArguments(TokPos *pos, EvalCell *tok) {
  if (TokByte0(tok) == ')') TokNext(tok, pos);
}

}  // namespace

u32 EvalPolRec(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const u8 op = TokByte0(tok);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, result, area, kEvalScalarArg)) return 0;
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  // The first value waits on the operand stack while the second is read.
  if (!EvalPushOperand(result, area->operands)) return EvalErrStack(result);
  TokNext(tok, pos);
  EvalCell second;
  std::memset(&second, 0, sizeof second);
  const u32 ok = EvalExpr(pos, tok, &second, area, kEvalScalarArg);
  EvalCell first;
  EvalPopOperand(&first, area->operands);
  if (!ok) {
    *result = second;
    return 0;
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  if (!EvalPolRecToken(op, &first, &second, result, SetupGetAngle())) return 0;
  return EvalNormalizeCell(result);
}

u32 EvalLogAB(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  constexpr u32 kFlags = 0x0B04;
  EvalCell base, value;
  std::memset(&base, 0, sizeof base);
  std::memset(&value, 0, sizeof value);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &base, area, kFlags)) {
    *result = base;
    return 0;
  }
  if (!TokIsComma(tok)) {
    EvalFreeCell(&base);
    return EvalErrSyntax(result);
  }
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &value, area, kFlags)) {
    EvalFreeCell(&base);
    *result = value;
    return 0;
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  ValLogBase(&base, &value, result, SetupGetItem(kSetupComplexMode));
  EvalReleaseUnlessKept(&base, result);
  EvalReleaseUnlessKept(&value, result);
  if (ValErrorCode(result) != 0) return 0;
  return EvalNormalizeCell(result);
}

u32 EvalRndFix(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  EvalCell value;
  std::memset(&value, 0, sizeof value);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &value, area, 0x8F04)) {
    *result = value;
    return 0;
  }
  int digits = 10;
  if (TokIsComma(tok)) {
    TokNext(tok, pos);
    EvalCell n;
    std::memset(&n, 0, sizeof n);
    if (!EvalExpr(pos, tok, &n, area, kEvalScalarArg)) {
      EvalFreeCell(&value);
      *result = n;
      return 0;
    }
    // 0, or a number from 1 to below 10, taken as its integer part.
    const bool zero = n.re.b[0] == 0 && n.re.b[1] == 0;
    if (!zero && (n.re.b[0] != 0x10 || (n.re.b[1] & 0xF0) != 0)) {
      EvalFreeCell(&value);
      return EvalErrArgument(result);
    }
    digits = zero ? 0 : (n.re.b[1] & 0x0F);
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  ValRound(&value, result, digits);
  EvalReleaseUnlessKept(&value, result);
  return ValErrorCode(result) == 0;
}

namespace {

u32 Waiting(EvalCell *result) { return EvalRaiseError(kEvalErrSystem, result); }

// The expression argument of a calculus function: its first token and the
// text position after it.
struct ExprStart {
  TokPos pos;
  EvalCell tok;
};

// Reads the first token of the expression and passes over its text up to
// the ',' or ')' that ends it at bracket depth 0 (brackets inside it are
// counted). 0 for an empty expression, unbalanced brackets or a statement
// end before the expression ends.
u32 SkipExpression(ExprStart *start, TokPos *pos, EvalCell *tok) {
  TokNext(tok, pos);
  start->pos = *pos;
  start->tok = *tok;
  if (TokIsComma(tok) || TokIsCloseBracket(tok)) return 0;
  int depth = 0;
  for (;;) {
    if (TokByte0(tok) == kTokEnd || TokIsStatementEnd(tok)) return 0;
    if (TokByte0(tok) == '(' || TokByte0(tok) == '{' || TokByte0(tok) == '[' || TokIsBracketFunction(tok) ||
        TokIsOpenBracket(tok)) {
      ++depth;
    } else if (TokIsCloseBracket(tok)) {
      if (depth == 0) return TokByte0(tok) == ')';
      --depth;
    } else if (depth == 0 && TokIsComma(tok)) {
      return 1;
    }
    TokNext(tok, pos);
  }
}

// The integral, the derivatives and the extremum search try values in X;
// X is given back as it was. (Solve( leaves its root there.)
struct KeptX {
  Value x;
};
KeptX KeepX() {
  KeptX k;
  SysReadVariable('X', &k.x);
  return k;
}
void RestoreX(const KeptX &k) { SysStoreVariable('X', &k.x); }

// ',' then a real scalar argument into out.
u32 NextArgument(TokPos *pos, EvalCell *tok, EvalCell *out, EvalStackArea *area) {
  TokNext(tok, pos);
  std::memset(out, 0, sizeof *out);
  return EvalExpr(pos, tok, out, area, kEvalScalarArg);
}

// The end of the argument list: ')' is consumed; another token that ends an
// operand is left for the caller.
u32 CloseCalculus(TokPos *pos, EvalCell *tok) {
  if (TokByte0(tok) == ')') {
    TokNext(tok, pos);
    return 1;
  }
  return TokEndsOperand(tok) != 0 && !TokIsComma(tok);
}

// A tolerance argument after ',' when present: 1 with tol set (0 when
// omitted), or 0 with the error in result.
u32 ToleranceArgument(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, BcdReal *tol, bool *given) {
  RealSetZero(tol);
  *given = false;
  if (!TokIsComma(tok)) return 1;
  EvalCell t;
  if (!NextArgument(pos, tok, &t, area)) {
    *result = t;
    return 0;
  }
  if (!EvalIsPositiveReal(&t.re)) return EvalErrArgument(result);
  *tol = t.re;
  *given = true;
  return 1;
}

// d/dx( and d2/dx2(: expression[, point[, tolerance]].
u32 Derivative(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, bool second) {
  ExprStart start;
  if (!SkipExpression(&start, pos, tok)) return EvalErrSyntax(result);
  EvalCell x;
  std::memset(&x, 0, sizeof x);
  if (TokIsComma(tok)) {
    if (!NextArgument(pos, tok, &x, area)) {
      *result = x;
      return 0;
    }
  } else {
    SysReadVariable('X', &x);
    if (ValIsComplex(&x) == 1 || ValErrorCode(&x) != 0) return EvalErrArgument(result);
  }
  BcdReal tol;
  bool given;
  if (!ToleranceArgument(pos, tok, result, area, &tol, &given)) return 0;
  if (!given && (SetupGetByte(kSetupGraphVars) & 0x1F) != 0) EvalSetMinusOne(&tol);
  if (!CloseCalculus(pos, tok)) return EvalErrSyntax(result);
  std::memset(result, 0, sizeof *result);
  const KeptX kept = KeepX();
  const int ok = second ? NumericSecondDerivative(&x, &tol, result, start.pos, &start.tok, area)
                        : NumericDerivative(&x, &tol, result, start.pos, &start.tok, area);
  RestoreX(kept);
  return ok ? 1 : 0;
}

}  // namespace

u32 EvalIsPositiveReal(const BcdReal *x) {
  BcdReal zero;
  RealSetZero(&zero);
  return RealIsGreater(x, &zero) == 1 ? 1 : 0;
}

u32 EvalIntegral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  ExprStart start;
  if (!SkipExpression(&start, pos, tok) || !TokIsComma(tok)) return EvalErrSyntax(result);
  EvalCell a, b;
  if (!NextArgument(pos, tok, &a, area)) {
    *result = a;
    return 0;
  }
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  if (!NextArgument(pos, tok, &b, area)) {
    *result = b;
    return 0;
  }
  BcdReal tol;
  bool given;
  if (!ToleranceArgument(pos, tok, result, area, &tol, &given)) return 0;
  if (!CloseCalculus(pos, tok)) return EvalErrSyntax(result);
  std::memset(result, 0, sizeof *result);
  const KeptX kept = KeepX();
  const int ok = NumericIntegrate(&a.re, &b.re, &tol, result, start.pos, &start.tok, area);
  RestoreX(kept);
  return ok ? 1 : 0;
}

u32 EvalDerivative(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32) {
  return Derivative(result, pos, tok, area, false);
}

u32 EvalSecondDerivative(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32) {
  return Derivative(result, pos, tok, area, true);
}

u32 EvalSolve(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  ExprStart start;
  if (!SkipExpression(&start, pos, tok) || !TokIsComma(tok)) return EvalErrSyntax(result);
  EvalCell init;
  if (!NextArgument(pos, tok, &init, area)) {
    *result = init;
    return 0;
  }
  BcdReal lower, upper;
  EvalSetMinReal(RealSetZero(&lower));
  EvalSetMaxReal(RealSetZero(&upper));
  if (TokIsComma(tok)) {
    EvalCell lo, hi;
    if (!NextArgument(pos, tok, &lo, area)) {
      *result = lo;
      return 0;
    }
    if (!TokIsComma(tok)) return EvalErrSyntax(result);
    if (!NextArgument(pos, tok, &hi, area)) {
      *result = hi;
      return 0;
    }
    lower = lo.re;
    upper = hi.re;
  }
  if (!CloseCalculus(pos, tok)) return EvalErrSyntax(result);
  SysStoreVariable('X', &init);
  Value left, right;
  std::memset(result, 0, sizeof *result);
  if (NumericSolve(&upper, &lower, result, 'X', &left, &right, start.pos, &start.tok, area, kSolveModeFunction))
    return 1;
  // Limits ran out without an exact root.
  if (ValErrorCode(result) == 0) return EvalErrTimeOut(result);
  return 0;
}

u32 EvalSigma(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  return EvalSeqArguments(result, pos, tok, area, 1);
}

u32 EvalFMinMax(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const int isMax = TokByte1(tok) == 0x2B;
  ExprStart start;
  if (!SkipExpression(&start, pos, tok) || !TokIsComma(tok)) return EvalErrSyntax(result);
  EvalCell lo, hi;
  if (!NextArgument(pos, tok, &lo, area)) {
    *result = lo;
    return 0;
  }
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  if (!NextArgument(pos, tok, &hi, area)) {
    *result = hi;
    return 0;
  }
  BcdReal precision;
  NumFromInt32(4, RealSetZero(&precision));
  if (TokIsComma(tok)) {
    EvalCell p;
    if (!NextArgument(pos, tok, &p, area)) {
      *result = p;
      return 0;
    }
    const int n = RealToSmallCount(&p.re);
    if (n < 1 || n > 9) return EvalErrArgument(result);
    precision = p.re;
  }
  if (!CloseCalculus(pos, tok)) return EvalErrSyntax(result);
  if (RealIsLess(&lo.re, &hi.re) != 1) return EvalErrMa(result);
  Value x, y;
  std::memset(&x, 0, sizeof x);
  std::memset(&y, 0, sizeof y);
  const KeptX kept = KeepX();
  const int found = NumericExtremum(&lo, &hi, &precision, &x, &y, start.pos, &start.tok, area, isMax);
  RestoreX(kept);
  if (!found) {
    std::memset(result, 0, sizeof *result);
    result->re = x.re;
    return 0;
  }
  const MemHandle h = MemAlloc(2 * sizeof(BcdReal));
  if (h == 0) return EvalErrMemory(result);
  ArrElems(h)[0] = x.re;
  ArrElems(h)[1] = y.re;
  std::memset(result, 0, sizeof *result);
  ArrSetList(result, false, 2, h);
  return 1;
}

u32 EvalSeq(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  return EvalSeqArguments(result, pos, tok, area, 0);
}
namespace {

// A whole number 1..high read as a real argument: 1 with *n, or 0 with the
// error raised.
u32 PixelArgument(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, i32 high, i32 *n) {
  if (!EvalExpr(pos, tok, result, area, kEvalScalarArg)) return 0;
  if (EvalIsArrayCell(result) || ValIsComplex(result)) return EvalRaiseError(kEvalErrArgument, result);
  BcdReal v;
  RealFracToDecimal(&result->re, &v);
  if (RealIsInteger(&v) != 1) return EvalRaiseError(kEvalErrArgument, result);
  const i32 k = NumToInt32(&v);
  if (k < 1 || k > high) return EvalRaiseError(kEvalErrArgument, result);
  *n = k;
  return 1;
}

// One corner of a cell range: [$]letter[$]row, the row of one to three
// digits, the first 1-9.
bool CellCorner(TokPos *pos, EvalCell *tok, i16 *col, i16 *row) {
  if (TokByte0(tok) == '$') TokNext(tok, pos);
  if (!TokIsLetter(tok)) return false;
  *col = static_cast<i16>(TokByte0(tok) - 'A' + 1);
  TokNext(tok, pos);
  if (TokByte0(tok) == '$') TokNext(tok, pos);
  if (!TokIsDigit1to9(tok)) return false;
  i16 r = 0;
  for (int i = 0; i < 3 && TokIsDigit(tok); ++i) {
    r = static_cast<i16>(r * 10 + (TokByte0(tok) - '0'));
    TokNext(tok, pos);
  }
  *row = r;
  return !TokIsDigit(tok);
}

}  // namespace

u32 EvalPxlTest(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  TokNext(tok, pos);
  i32 row = 0, col = 0;
  if (!PixelArgument(pos, tok, result, area, 63, &row)) return 0;
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  TokNext(tok, pos);
  if (!PixelArgument(pos, tok, result, area, 127, &col)) return 0;
  CloseArguments(pos, tok);
  const i32 lit = EvalGluePixelTest(col, row);
  if (lit == -1) return EvalRaiseError(kEvalErrMemory, result);
  if (lit != 0 && lit != 1) return Waiting(result);
  std::memset(result, 0, sizeof *result);
  NumFromInt32(lit, &result->re);
  return 1;
}

u32 EvalCellRangeFunc(EvalCell *result, TokPos *pos, EvalCell *tok) {
  if (!EvalGlueSheetRunning()) return EvalErrSyntax(result);
  const u8 func = TokByte1(tok);
  TokNext(tok, pos);
  i16 range[4];
  if (!CellCorner(pos, tok, &range[0], &range[1])) return EvalErrSyntax(result);
  if (TokByte0(tok) != ':') return EvalErrSyntax(result);
  TokNext(tok, pos);
  if (!CellCorner(pos, tok, &range[2], &range[3])) return EvalErrSyntax(result);
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  const u8 code = EvalGlueSheetRange(func, range, result);
  return code == 0 ? 1 : EvalErrorCodeInto(result, code);
}

u32 EvalCellIf(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32) {
  constexpr u32 kBranchFlags = 0x0904;
  if (!EvalGlueSheetRunning()) return EvalErrSyntax(result);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, result, area, kEvalScalarArg)) return 0;
  const BcdReal zero{};
  const bool pickFirst = RealCompare(kRealCmpNe, &result->re, &zero) == 1;
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  // Both branches are evaluated; an error in either fails the function.
  EvalCell branch[2];
  std::memset(branch, 0, sizeof branch);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &branch[0], area, kBranchFlags)) {
    *result = branch[0];
    return 0;
  }
  if (!TokIsComma(tok)) {
    EvalFreeCell(&branch[0]);
    return EvalErrSyntax(result);
  }
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &branch[1], area, kBranchFlags)) {
    EvalFreeCell(&branch[0]);
    *result = branch[1];
    return 0;
  }
  CloseArguments(pos, tok);
  EvalFreeCell(&branch[pickFirst ? 1 : 0]);
  *result = branch[pickFirst ? 0 : 1];
  return 1;
}
