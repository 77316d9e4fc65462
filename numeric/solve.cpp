// Equation solving by Newton's iteration.
#include "numeric/solve.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "kernel/keyqueue.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/calc_point.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kErrBreak = 1, kErrSyntax = 2, kErrMa = 3, kErrNonReal = 17, kErrCantSolve = 27;
constexpr u8 kRelationEndsOperand = 2;  // bit of the evaluator byte
constexpr int kNewtonLimit = 40, kDampingLimit = 50, kAttemptLimit = 30, kPerturbLimit = 9, kRestartLimit = 11;

struct Side {
  TokPos pos;
  EvalCell tok;
};

// What the next step of the iteration is.
enum class Next { kConverged, kRestart, kLimit, kFail, kSyntax, kCantSolve };

struct Solver {
  Side left, right;
  bool hasRight;
  int mode;
  u8 var;
  EvalStackArea *area;
  BcdReal lower, upper;
  Value entry;
  BcdReal x, xOld, xPrev, fPrev, L, R, f, d;
  int newton, attempts, perturbs, dampings, restarts;
  Value *out;
  BcdReal tiny, scaleAtZero, slopeFactor, slopeMin, damping, restartBound;
};

// Reads tokens from the side's start to the token that ends it at bracket
// depth 0 (a relation ends it); the token is left in tok.
void ScanSide(TokPos *pos, EvalCell *tok) {
  const u8 saved = SetupGetByte(kSetupEvalFlags);
  SetupSetByte(kSetupEvalFlags, saved | kRelationEndsOperand);
  int depth = 0;
  for (;;) {
    const u8 t = TokByte0(tok);
    if (t == kTokEnd) break;
    if (t == '(' || t == '{' || t == '[' || TokIsBracketFunction(tok) || TokIsOpenBracket(tok)) {
      ++depth;
    } else if (TokIsCloseBracket(tok)) {
      if (depth == 0) break;
      --depth;
    } else if (depth == 0 && TokEndsOperand(tok)) {
      break;
    }
    TokNext(tok, pos);
  }
  SetupSetByte(kSetupEvalFlags, saved);
}

bool IsRelationEqual(const EvalCell *tok) { return TokByte0(tok) == '='; }

// The token that may end each side in the mode.
bool EndsLeft(const Solver &s, const EvalCell *tok) {
  if (IsRelationEqual(tok)) return true;
  if (s.mode == kSolveModeFunction) return TokIsComma(tok);
  return TokIsStatementEnd(tok) || TokByte0(tok) == kTokEnd;
}
bool EndsRight(const Solver &s, const EvalCell *tok) {
  if (s.mode == kSolveModeFunction) return TokIsComma(tok);
  return TokByte0(tok) == kTokEnd;
}

// Evaluates one side at s.x into L or R (R = 0 without a right side).
// 1 on success, 0 when the evaluation failed (the side holds its error),
// -1 when the side does not end as the mode requires.
int EvalSide(Solver &s, int side) {
  BcdReal *dst = side == 0 ? &s.L : &s.R;
  if (ValErrorCode(&s.x) != 0) {
    RealMakeError(kErrMa, dst);
    return 0;
  }
  if (side == 1 && !s.hasRight) {
    RealSetZero(dst);
    return 1;
  }
  const Side &sd = side == 0 ? s.left : s.right;
  CalcExpr e{sd.pos, sd.tok, s.area, s.var};
  const u8 saved = SetupGetByte(kSetupEvalFlags);
  SetupSetByte(kSetupEvalFlags, saved | kRelationEndsOperand);
  Value v;
  EvalCell after;
  std::memset(&after, 0, sizeof after);
  const int ok = CalcEvalAt(&e, &s.x, kCalcPointFlags, &v, &after);
  SetupSetByte(kSetupEvalFlags, saved);
  *dst = v.re;
  if (side == 0) RealSetZero(&s.R);
  if (!ok) return 0;
  if (!(side == 0 ? EndsLeft(s, &after) : EndsRight(s, &after))) return -1;
  return 1;
}

// Both sides at s.x: 1, 0 (an evaluation failed) or -1 (syntax).
int EvalBoth(Solver &s) {
  const int l = EvalSide(s, 0);
  if (l != 1) return l;
  return EvalSide(s, 1);
}

// f = L - R.
void Residual(Solver &s) { RealSub(&s.L, &s.R, &s.f); }

int Less(const BcdReal *a, const BcdReal *b) { return RealIsLess(a, b) == 1; }

BcdReal Abs(const BcdReal &a) {
  BcdReal r;
  RealAbs(&a, &r);
  return r;
}

// The slope at s.x by a central difference: 1, 0 (failure or an error
// value), -1 (syntax).
int Slope(Solver &s, BcdReal *slope) {
  const BcdReal x = s.x;
  BcdReal h;
  if (CalcIsZero(&x)) {
    h = s.slopeFactor;
  } else {
    const BcdReal ax = Abs(x);
    if (Less(&ax, &s.slopeMin)) h = s.slopeMin;
    else RealMul(&ax, &s.slopeFactor, &h);
  }
  BcdReal fp, fm;
  RealAdd(&x, &h, &s.x);
  int r = EvalBoth(s);
  if (r == 1) {
    Residual(s);
    fp = s.f;
    RealSub(&x, &h, &s.x);
    r = EvalBoth(s);
  }
  s.x = x;
  if (r != 1) return r;
  Residual(s);
  fm = s.f;
  BcdReal num, den;
  RealSub(&fp, &fm, &num);
  RealAdd(&h, &h, &den);
  RealDiv(&num, &den, slope);
  return ValErrorCode(slope) == 0 ? 1 : 0;
}

// Evaluates both sides at the candidate; 1 when they are exactly equal there.
// A candidate that cannot be evaluated is passed over.
bool HoldsAt(Solver &s, const BcdReal &candidate) {
  const BcdReal x = s.x;
  s.x = candidate;
  const bool holds = EvalBoth(s) == 1 && RealIsEqual(&s.L, &s.R) == 1;
  s.x = x;
  return holds;
}

// The clean-up of a converged root: 0 when the root is that close to it and
// the equation holds there exactly, else the root to 6, then 11 significant
// digits when the equation holds there exactly. True when x changed.
bool CleanUp(Solver &s) {
  BcdReal zero;
  RealSetZero(&zero);
  const BcdReal ax = Abs(s.x);
  if (Less(&ax, &s.tiny) && HoldsAt(s, zero)) {
    const bool changed = RealIsEqual(&s.x, &zero) != 1;
    s.x = zero;
    return changed;
  }
  for (int digits : {6, 11}) {
    BcdReal c;
    CalcRoundSignificant(&s.x, &c, digits);
    if (ValErrorCode(&c) == 0 && HoldsAt(s, c)) {
      const bool changed = RealIsEqual(&s.x, &c) != 1;
      s.x = c;
      return changed;
    }
  }
  return false;
}

bool InBounds(const Solver &s) {
  return RealIsLessEqual(&s.lower, &s.x) == 1 && RealIsLessEqual(&s.x, &s.upper) == 1;
}

void Restore(Solver &s) { SysStoreVariable(s.var, &s.entry); }

int FailWith(Solver &s, u8 code, Value *leftOut, Value *rightOut) {
  Restore(s);
  CalcFail(s.out, code);
  std::memset(leftOut, 0, sizeof *leftOut);
  std::memset(rightOut, 0, sizeof *rightOut);
  return 0;
}

// The perturbation of a point where the sides cannot be evaluated: moves x
// half-way towards x_old (4 significant digits) until the sides evaluate.
// Next::kConverged here means "go on with the iteration".
Next Perturb(Solver &s) {
  for (;;) {
    const u8 le = ValErrorCode(&s.L), re = ValErrorCode(&s.R);
    if (le != 0 && le != kErrMa && le != kErrNonReal) {
      CalcFail(s.out, le);
      return Next::kFail;
    }
    if (re != 0 && re != kErrMa && re != kErrNonReal) {
      CalcFail(s.out, re);
      return Next::kFail;
    }
    if (++s.attempts >= kPerturbLimit) return Next::kRestart;
    BcdReal lo = s.x, hi = s.xOld;
    if (Less(&hi, &lo)) std::swap(lo, hi);
    BcdReal diff, half, mid, two;
    RealSub(&hi, &lo, &diff);
    RealSetTwo(&two);
    RealDiv(&diff, &two, &half);
    RealAdd(&lo, &half, &mid);
    CalcRoundSignificant(&mid, &s.x, 4);
    const int r = EvalBoth(s);
    if (r < 0) return Next::kSyntax;
    if (r == 1) {
      ++s.perturbs;
      return Next::kConverged;
    }
  }
}

// Enters the perturbation after a failed evaluation or slope at the start of
// a step: a restart once this start has had its perturbations.
Next PerturbFresh(Solver &s) {
  if (s.perturbs >= kPerturbLimit) return Next::kRestart;
  s.attempts = 0;
  return Perturb(s);
}

// One start from s.x: the iteration until it converges, restarts, runs out
// of its limits or fails.
Next OneStart(Solver &s) {
  s.perturbs = 0;
  s.newton = 0;
  s.attempts = 0;
  RealSetZero(&s.xOld);
  int r = EvalBoth(s);
  if (r < 0) return Next::kSyntax;
  if (r == 0) {
    const Next n = PerturbFresh(s);
    if (n != Next::kConverged) return n;
  }
  for (;;) {
    // The residual of the current point.
    Residual(s);
    if (CalcIsZero(&s.f)) return Next::kConverged;
    // Newton steps until one fails to reduce |f|.
    bool damp = false;
    while (!damp) {
      s.fPrev = s.f;
      s.xPrev = s.x;
      const BcdReal scale = CalcIsZero(&s.x) ? s.scaleAtZero : s.x;
      r = Slope(s, &s.d);
      if (r < 0) return Next::kSyntax;
      if (r == 0 || CalcIsZero(&s.d)) {
        const Next n = PerturbFresh(s);
        if (n != Next::kConverged) return n;
        break;
      }
      s.xOld = s.x;
      BcdReal q;
      RealDiv(&s.fPrev, &s.d, &q);
      RealSub(&s.xOld, &q, &s.x);
      r = EvalBoth(s);
      if (r < 0) return Next::kSyntax;
      if (r == 0) {
        const Next n = PerturbFresh(s);
        if (n != Next::kConverged) return n;
        break;
      }
      Residual(s);
      if (CalcIsZero(&s.f)) return Next::kConverged;
      BcdReal step, rel;
      RealSub(&s.x, &s.xPrev, &step);
      const BcdReal as = Abs(step), asc = Abs(scale);
      RealDiv(&as, &asc, &rel);
      if (ValErrorCode(&rel) == 0 && Less(&rel, &s.tiny)) return Next::kConverged;
      BcdReal gain;
      const BcdReal afp = Abs(s.fPrev), af = Abs(s.f);
      RealSub(&afp, &af, &gain);
      BcdReal zero;
      RealSetZero(&zero);
      if (RealIsLessEqual(&gain, &zero) != 0) {
        damp = true;
        break;
      }
      if (KeyBreakPoll() != 0) {
        CalcFail(s.out, kErrBreak);
        return Next::kFail;
      }
      if (++s.newton >= kNewtonLimit) return s.perturbs > 0 ? Next::kRestart : Next::kLimit;
    }
    if (!damp) continue;
    // Damping: back towards x_old until |f| is below the step's start.
    BcdReal dNew;
    r = Slope(s, &dNew);
    if (r < 0) return Next::kSyntax;
    if (r == 0) {
      const Next n = PerturbFresh(s);
      if (n != Next::kConverged) return n;
      continue;
    }
    BcdReal zero;
    RealSetZero(&zero);
    const int dNeg = RealIsLess(&s.d, &zero), dPos = RealIsGreater(&s.d, &zero);
    const int nNeg = RealIsLess(&dNew, &zero), nPos = RealIsGreater(&dNew, &zero);
    if ((dNeg == 1 && nPos == 1) || (dPos == 1 && nNeg == 1)) return Next::kRestart;
    if (s.dampings >= kDampingLimit) return Next::kLimit;
    s.attempts = 0;
    bool perturbed = false;
    for (;;) {
      if (KeyBreakPoll() != 0) {
        CalcFail(s.out, kErrBreak);
        return Next::kFail;
      }
      if (++s.attempts >= kAttemptLimit) return Next::kRestart;
      BcdReal back, part;
      RealSub(&s.xOld, &s.x, &back);
      RealMul(&back, &s.damping, &part);
      BcdReal nx;
      RealAdd(&s.x, &part, &nx);
      s.x = nx;
      r = EvalBoth(s);
      if (r < 0) return Next::kSyntax;
      if (r == 0) {
        const Next n = Perturb(s);
        if (n != Next::kConverged) return n;
        perturbed = true;
        break;
      }
      Residual(s);
      const BcdReal af = Abs(s.f), afp = Abs(s.fPrev);
      if (Less(&af, &afp)) break;
    }
    if (!perturbed) ++s.dampings;
  }
}

// The starting point of restart n (1..10); false when it is skipped.
bool RestartPoint(const Solver &s, int n, BcdReal *x) {
  static const char *const kPoints[] = {"0", "1E-5", "-1E-5", "1E-50", "-1E-50", "1E7", "-1E7"};
  if (n >= 1 && n <= 7) {
    *x = CalcConst(kPoints[n - 1]);
    return true;
  }
  const BcdReal au = Abs(s.upper), al = Abs(s.lower);
  const bool upperFar = !Less(&au, &s.restartBound), lowerFar = !Less(&al, &s.restartBound);
  if (n == 8) {
    *x = s.upper;
    return !upperFar;
  }
  if (n == 9) {
    *x = s.lower;
    return !lowerFar;
  }
  if (upperFar || lowerFar) return false;
  BcdReal two, a, b;
  RealSetTwo(&two);
  RealDiv(&s.upper, &two, &a);
  RealDiv(&s.lower, &two, &b);
  RealAdd(&a, &b, x);
  return true;
}

}  // namespace

int NumericSolve(const BcdReal *upper, const BcdReal *lower, Value *out, u8 var, Value *leftOut, Value *rightOut,
                 TokPos pos, const EvalCell *tok, EvalStackArea *area, int mode) {
  KeyBreakArm();
  Solver s;
  std::memset(&s, 0, sizeof s);
  s.out = out;
  s.var = var;
  s.area = area;
  s.mode = mode;
  s.tiny = CalcConst("1E-13");
  s.scaleAtZero = CalcConst("1E-15");
  s.slopeFactor = CalcConst("1E-7");
  s.slopeMin = CalcConst("1E-93");
  s.damping = CalcConst("0.666666666666666");
  s.restartBound = CalcConst("9E99");
  std::memset(leftOut, 0, sizeof *leftOut);
  std::memset(rightOut, 0, sizeof *rightOut);
  if (ValErrorCode(upper) != 0 || ValErrorCode(lower) != 0 || RealIsGreater(lower, upper) != 0) {
    CalcFail(out, kErrMa);
    return 0;
  }
  s.lower = *lower;
  s.upper = *upper;
  SysReadVariable(var, &s.entry);
  if (ValIsComplex(&s.entry) == 1 || ValErrorCode(&s.entry) != 0) {
    CalcFail(out, kErrMa);
    return 0;
  }

  // Where the sides start.
  s.left.pos = pos;
  s.left.tok = *tok;
  TokPos p = pos;
  EvalCell t = *tok;
  ScanSide(&p, &t);
  if (IsRelationEqual(&t)) {
    s.hasRight = true;
    TokNext(&t, &p);
    s.right.pos = p;
    s.right.tok = t;
  } else if (!EndsLeft(s, &t)) {
    return FailWith(s, kErrSyntax, leftOut, rightOut);
  }

  RealNormalize(&s.entry.re, &s.x);
  int result = 0;
  for (;;) {
    const Next n = OneStart(s);
    bool finish = false;
    if (n == Next::kFail) return 0;
    if (n == Next::kSyntax) return FailWith(s, kErrSyntax, leftOut, rightOut);
    if (n == Next::kConverged) {
      CleanUp(s);
      if (InBounds(s)) {
        result = 1;
        finish = true;
      }
    } else if (n == Next::kLimit) {
      const bool changed = CleanUp(s);
      if (InBounds(s)) {
        result = changed ? 1 : 0;
        finish = true;
      }
    }
    if (finish) break;
    // Restart from the next starting point that is not skipped.
    BcdReal start;
    do {
      if (++s.restarts >= kRestartLimit) return FailWith(s, kErrCantSolve, leftOut, rightOut);
    } while (!RestartPoint(s, s.restarts, &start));
    s.x = start;
  }

  // Finish: the sides at the root, the root into the variable.
  std::memset(out, 0, sizeof *out);
  out->re = s.x;
  if (EvalBoth(s) != 1) return FailWith(s, kErrCantSolve, leftOut, rightOut);
  Value root;
  std::memset(&root, 0, sizeof root);
  root.re = s.x;
  SysStoreVariable(var, &root);
  leftOut->re = s.L;
  rightOut->re = s.R;
  return result;
}
