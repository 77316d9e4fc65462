#include "graph/engine/graph_eval.h"

#include <cstring>

#include "eval/eval.h"
#include "eval/eval_lists.h"
#include "graph/engine/graph_scan.h"
#include "kernel/keyqueue.h"
#include "number/realop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kGraphVarBits = 0x1F;
constexpr u8 kVarX = 'X';
constexpr u8 kVarY = 'Y';
constexpr u8 kVarT = 'T';

void StoreReal(u8 var, const BcdReal *v) {
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = *v;
  SysStoreVariable(var, &value);
}

u8 VariableBits(u32 mode) {
  if ((mode & 0xFF) == kGraphModeItem) return 2;
  static const u8 kBits[5] = {1, 2, 4, 8, 8};
  const u32 hi = (mode >> 8) & 0xFF;
  u8 bits = hi < 5 ? kBits[hi] : 2;
  if ((mode & 0xFF) == kGraphModeList) bits |= 0x10;
  return bits;
}

u32 EvalExprEnd(TokPos *pos, Value *result, u32 mode, u8 *endToken);

bool IsMissingPoint(u8 code) { return code == 3 || code == 17 || code == 29; }

// The error of a picked list element that ends the plot (a missing point's
// error does not).
u32 PlotError(const BcdReal *v) {
  const u8 code = RealErrorCode(v);
  return (code == 0 || IsMissingPoint(code)) ? 0 : code;
}

// Evaluates one formula of an entry: a list-valued entry with the list mode
// and element n taken; *count receives the list's element count (0 when the
// result was no list).
u32 EvalPart(TokPos *pos, const GraphEntry *e, u32 mode, i32 n, BcdReal *out, u32 *count) {
  Value result;
  std::memset(&result, 0, sizeof result);
  *count = 0;
  if (e->type & kGraphTypeListValued) {
    EvalSetListSubstIndex(static_cast<u16>(n));
    const u32 code = GraphEvalExpr(pos, &result, mode | kGraphModeList);
    if (code) {
      *out = result.re;
      return code;
    }
    Value element;
    *count = GraphPickListElement(&result, &element, n);
    *out = element.re;
    return PlotError(out);
  }
  const u32 code = GraphEvalExpr(pos, &result, mode);
  *out = result.re;
  return code;
}

// Sets the coefficient letter of a value-list entry to its value n.
u32 SetCoefficient(const GraphEntry *e, i32 n) {
  TokPos pos = e->text;
  i32 size = 0;
  if (const u32 code = GraphSkipFormula(e, &pos, &size)) return code;
  // ", [" letter "="
  if (pos[0] != ',' || pos[1] != '[' || pos[3] != '=') return 2;
  pos += 4;
  for (i32 k = 1; k < n; ++k) {
    if (const u32 code = GraphPreScan(&pos, &size)) return code;
    if (pos[-1] != ',') return 2;
  }
  BcdReal v;
  if (const u32 code = GraphEvalItem(&pos, &v)) return code;
  StoreReal(e->letter, &v);
  return 0;
}

// The position after the first 0xF6 of a parametric pair (two-byte tokens
// stepped whole, Xmin's zero second byte too), or the end of the text.
TokPos SecondHalf(TokPos p) {
  while (*p != 0) {
    if (*p == kTokFnSeparator) return p + 1;
    p += TokLenAt(p);
  }
  return p;
}

u32 BreakPending(BcdReal *out) {
  KeyBreakArm();
  if (KeyBreakPoll()) {
    RealMakeError(1, out);
    return 1;
  }
  return 0;
}

u32 EvalFunc(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx, i32 n, bool first) {
  const GraphEntry *e = &ctx->entries[idx];
  const bool byX = (e->type & kGraphTypeX) != 0;
  const u8 var = byX ? kVarX : kVarY;
  u32 mode = byX ? kGraphModeX : kGraphModeConst;
  StoreReal(var, v);
  if (e->type & kGraphTypeBuiltin) {
    if (BreakPending(out)) return 1;
    if (e->builtin == nullptr) {
      RealMakeError(23, out);
      return 23;
    }
    if (const u32 code = e->builtin(v, out, ctx, idx)) {
      RealMakeError(static_cast<u8>(code), out);
      return code;
    }
  } else {
    if (e->type & kGraphTypePolar) {
      mode = kGraphModeX;
      StoreReal(kVarX, v);
    }
    if (first && (e->type & kGraphTypeValueList)) {
      if (const u32 code = SetCoefficient(e, n)) {
        RealMakeError(static_cast<u8>(code), out);
        return code;
      }
    }
    TokPos pos = e->text;
    u32 count = 0;
    if (const u32 code = EvalPart(&pos, e, mode, n, out, &count)) {
      RealMakeError(static_cast<u8>(code), out);
      return code;
    }
  }
  StoreReal(byX ? kVarY : kVarX, out);
  return 0;
}

u32 EvalParam(const BcdReal *t, BcdReal *x, BcdReal *y, BcdReal *r, GraphContext *ctx, i32 idx, i32 n, bool first) {
  const GraphEntry *e = &ctx->entries[idx];
  const bool pair = (e->type & kGraphTypeParam) != 0;
  StoreReal(pair ? kVarT : kVarTheta, t);
  BcdReal result;
  RealSetZero(&result);
  u32 code = 0;
  if (e->type & kGraphTypeBuiltin) {
    if (BreakPending(x)) {
      *y = *r = *x;
      return 1;
    }
    if (pair) {
      code = e->builtinParam ? e->builtinParam(t, x, y, ctx, idx) : 23;
    } else {
      code = e->builtin ? e->builtin(t, &result, ctx, idx) : 23;
    }
  } else {
    if (first && (e->type & kGraphTypeValueList)) code = SetCoefficient(e, n);
    if (code == 0 && pair) {
      TokPos pos = e->text;
      u32 nx = 0;
      u32 ny = 0;
      code = EvalPart(&pos, e, kGraphModeT, n, x, &nx);
      if (code == 0) {
        pos = SecondHalf(e->text);
        code = EvalPart(&pos, e, (e->type & kGraphTypeBracket) ? kGraphModeTBracket : kGraphModeT, n, y, &ny);
      }
      if (code == 0 && nx != ny) {
        RealMakeError(9, x);
        RealMakeError(9, y);
        return 0;
      }
    } else if (code == 0) {
      TokPos pos = e->text;
      u32 count = 0;
      code = EvalPart(&pos, e, kGraphModeTheta, n, &result, &count);
    }
  }
  if (code) {
    RealMakeError(static_cast<u8>(code), x);
    *y = *r = *x;
    return code;
  }
  if (!pair) {
    *r = result;
    StoreReal(kVarR, r);
    GraphPolarToRect(r, t, x, y, GraphAngleUnit(ctx));
  }
  StoreReal(kVarX, x);
  StoreReal(kVarY, y);
  return 0;
}

// Lower and upper bound of the T range an entry is drawn over.
u32 TBounds(GraphContext *ctx, i32 idx, BcdReal *lo, BcdReal *hi) {
  const GraphEntry *e = &ctx->entries[idx];
  if (e->type & kGraphTypeRanged) {
    if (const u32 code = GraphEntryText(0, ctx->entries, idx, lo)) return code;
    return GraphEntryText(1, ctx->entries, idx, hi);
  }
  BcdReal zero;
  if (RealCompare(kRealCmpLt, &ctx->view.tpitch, RealSetZero(&zero)) == 1) {
    *lo = ctx->view.tmax;
    *hi = ctx->view.tmin;
  } else {
    *lo = ctx->view.tmin;
    *hi = ctx->view.tmax;
  }
  return 0;
}

}  // namespace

u32 GraphEvalExpr(TokPos *pos, Value *result, u32 mode) {
  u8 end = 0;
  return EvalExprEnd(pos, result, mode, &end);
}

namespace {

u32 EvalExprEnd(TokPos *pos, Value *result, u32 mode, u8 *endToken) {
  const u8 bits = VariableBits(mode);
  const u32 hi = (mode >> 8) & 0xFF;
  const u32 lo = mode & 0xFF;
  const u32 flags = kEvalWhole | (hi == 4 && lo != kGraphModeItem ? u32{kEvalOpenBracket} : 0u);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) | bits));
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  const u32 ok = EvalArgument(pos, &tok, result, 1, flags);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) & ~kGraphVarBits));
  if (!ok) {
    const u8 code = RealErrorCode(&result->re);
    if (IsMissingPoint(code)) return 0;
    return code ? code : 2;
  }
  if (EvalIsArrayCell(result)) {
    const bool realList = lo == kGraphModeList && result->re.b[0] == 0x20;
    if (!realList) {
      EvalRaiseError(2, result);
      return 2;
    }
  }
  const u8 end = TokByte0(&tok);
  *endToken = end;
  const bool endOk = end == kTokEnd || end == ',' || (lo == kGraphModeItem && end == ']') ||
                     ((mode & 0x300) == 0x300 && end == kTokFnSeparator);
  if (!endOk) {
    EvalRaiseError(2, result);
    return 2;
  }
  if ((result->re.b[0] & 0x80) && RealErrorCode(&result->re) == 0 && !EvalIsArrayCell(result)) {
    std::memset(result, 0, sizeof *result);
    RealMakeError(3, &result->re);
  }
  return 0;
}

}  // namespace

u32 GraphEvalItemEnd(TokPos *pos, BcdReal *out, u8 *end) {
  Value v;
  std::memset(&v, 0, sizeof v);
  const u32 code = EvalExprEnd(pos, &v, kGraphModeItem, end);
  *out = v.re;
  if (code) return code;
  return RealErrorCode(out);
}

u32 GraphEvalItem(TokPos *pos, BcdReal *out) {
  u8 end = 0;
  return GraphEvalItemEnd(pos, out, &end);
}

u32 GraphEvalFunc(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx, i32 n) {
  KeyBreakArm();
  return EvalFunc(v, out, ctx, idx, n, true);
}

u32 GraphEvalFuncNext(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx, i32 n) {
  return EvalFunc(v, out, ctx, idx, n, false);
}

u32 GraphEvalParam(const BcdReal *t, BcdReal *x, BcdReal *y, BcdReal *r, GraphContext *ctx, i32 idx, i32 n) {
  KeyBreakArm();
  return EvalParam(t, x, y, r, ctx, idx, n, true);
}

u32 GraphEvalParamNext(const BcdReal *t, BcdReal *x, BcdReal *y, BcdReal *r, GraphContext *ctx, i32 idx, i32 n) {
  return EvalParam(t, x, y, r, ctx, idx, n, false);
}

u32 GraphEvalPolar(const BcdReal *theta, BcdReal *r, GraphContext *ctx, i32 idx, i32 n) {
  const GraphEntry *e = &ctx->entries[idx];
  StoreReal(kVarTheta, theta);
  u32 code = 0;
  if (e->type & kGraphTypeBuiltin) {
    if (BreakPending(r)) return 1;
    code = e->builtin ? e->builtin(theta, r, ctx, idx) : 23;
  } else {
    if (e->type & kGraphTypeValueList) code = SetCoefficient(e, n);
    if (code == 0) {
      TokPos pos = e->text;
      u32 count = 0;
      code = EvalPart(&pos, e, kGraphModeTheta, n, r, &count);
    }
  }
  if (code) {
    RealMakeError(static_cast<u8>(code), r);
    return code;
  }
  StoreReal(kVarR, r);
  return 0;
}

u32 GraphPickListElement(Value *v, Value *out, i32 n) {
  if (!EvalIsArrayCell(v) || (v->re.b[0] & 0x70) != 0x20) {
    *out = *v;
    return 0;
  }
  u16 count = 0;
  std::memcpy(&count, &v->re.b[2], 2);
  std::memset(out, 0, sizeof *out);
  // Outside the list the reader leaves out alone: Dimension ERROR here.
  if (!EvalGetListElement(n < 0 ? 0u : static_cast<u32>(n), v, out) && ValErrorCode(out) == 0) EvalErrDimension(out);
  EvalFreeCell(v);
  return count;
}

u32 GraphTInRange(const BcdReal *t, GraphContext *ctx, i32 idx) {
  BcdReal lo, hi;
  if (TBounds(ctx, idx, &lo, &hi)) return 12288;
  if (RealCompare(kRealCmpLt, t, &lo) != 0 || RealCompare(kRealCmpGt, t, &hi) != 0) return 12288;
  return 0;
}

u32 GraphTInRangeSimul(const BcdReal *t, GraphContext *ctx, i32 idx) {
  GraphEntry *e = &ctx->entries[idx];
  const u8 single = kGraphRangeSingle | kGraphRangeDone;
  if ((e->type & kGraphTypeRanged) && (e->rangeState & single) == single) return 12288;
  BcdReal lo, hi, half, two;
  if (TBounds(ctx, idx, &lo, &hi)) return 12288;
  RealAbs(&ctx->view.tpitch, &half);
  RealDiv(&half, RealSetTwo(&two), &half);
  RealSub(&lo, &half, &lo);
  RealAdd(&hi, &half, &hi);
  if (RealCompare(kRealCmpLt, t, &lo) != 0 || RealCompare(kRealCmpGe, t, &hi) != 0) return 12288;
  if ((e->type & kGraphTypeRanged) && (e->rangeState & kGraphRangeSingle)) e->rangeState |= kGraphRangeDone;
  return 0;
}

u32 GraphEntryText(i32 which, const GraphEntry *entries, i32 idx, BcdReal *out) {
  const GraphEntry *e = &entries[idx];
  TokPos pos = e->text;
  i32 size = 0;
  if (const u32 code = GraphSkipFormula(e, &pos, &size)) return code;
  if (pos[0] != ',' || pos[1] != '[') return 2;
  pos += 2;
  if (which != 0) {
    if (*pos == ',') {
      ++pos;
    } else {
      if (const u32 code = GraphPreScan(&pos, &size)) return code;
      if (pos[-1] != ',') return 2;
    }
    if (*pos == ']' || *pos == 0) {
      EvalSetMaxReal(out);
      return 0;
    }
    return GraphEvalItem(&pos, out);
  }
  if (*pos == ',') {
    EvalSetMinReal(out);
    return 0;
  }
  return GraphEvalItem(&pos, out);
}
