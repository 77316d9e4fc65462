// The interpreter's road into the evaluator: expressions at a text position,
// real and integer arguments, whole-list references.
#include <cstring>

#include "eval/eval.h"
#include "eval/prog_internal.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "number/bcd.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/setup.h"

constinit thread_local ProgWorkMemo g_progWorkMemo{};

namespace {

// An operand of a short expression as its form was read: a letter A-Z, or
// (letter 0) a whole number of one to nine digits without a leading zero.
struct ShortOperandForm {
  u8 letter;
  i32 n;
};

// Reads the form of an operand at *r: 1 with *r past it, else 0 (a number
// of more than nine digits, or with a leading zero, is left to the
// evaluator).
inline u32 ReadShortOperand(const u8 **r, ShortOperandForm *o) {
  const u8 *s = *r;
  const u8 c = *s;
  if (c >= 'A' && c <= 'Z') {
    o->letter = c;
    *r = s + 1;
    return 1;
  }
  if (c < '0' || c > '9') return 0;
  i32 n = c - '0';
  u32 digits = 1;
  ++s;
  while (*s >= '0' && *s <= '9') {
    if (n == 0 || ++digits > 9) return 0;
    n = n * 10 + (*s - '0');
    ++s;
  }
  o->letter = 0;
  o->n = n;
  *r = s;
  return 1;
}

// A whole number operand, converted; with *plain, *work its working form
// (what RealUnpackPlain gives for it).
[[gnu::noinline]] void ShortNumber(i32 n, EvalCell *out, BcdWork *work, bool *plain) {
  // The last numbers converted, by their low bits: a loop's constants are
  // converted once.
  struct Converted {
    i32 n;
    bool plain;
    BcdReal r;
    BcdWork w;
  };
  thread_local Converted converted[8] = {{-1, false, {}, {}}, {-1, false, {}, {}}, {-1, false, {}, {}},
                                         {-1, false, {}, {}}, {-1, false, {}, {}}, {-1, false, {}, {}},
                                         {-1, false, {}, {}}, {-1, false, {}, {}}};
  Converted &slot = converted[n & 7];
  if (slot.n != n) {
    std::memset(&slot.r, 0, sizeof slot.r);
    NumFromInt32(n, &slot.r);
    slot.plain = RealUnpackPlain(&slot.r, &slot.w);
    slot.n = n;
  }
  ProgRealValue(&slot.r, out, false);
  // Copied out: the second operand may take the same entry (1+9).
  *work = slot.w;
  *plain = slot.plain;
}

// The value of an operand: a letter read as the evaluator reads a variable
// outside Base-N mode (the caller made sure of it), or a whole number (with
// *known set, *work its working form). 0 for an error value.
inline u32 ShortOperand(const ShortOperandForm &o, EvalCell *out, BcdWork *work, bool *known) {
  *known = false;
  if (o.letter != 0) {
    McsReadVariable(o.letter, out);
    return ValErrorCode(out) == 0;
  }
  ShortNumber(o.n, out, work, known);
  return 1;
}

// The working form of an operand's stored real: the one its conversion
// made (known), else as ProgUnpackPlain finds it.
inline bool ShortWork(const BcdReal *r, bool known, const BcdWork *made, BcdWork *w) {
  if (known) {
    *w = *made;
    return true;
  }
  return ProgUnpackPlain(r, w);
}

// A real number in decimal form (not a fraction, not complex, no error).
bool PlainDecimal(const Value *v) {
  const u8 b0 = v->re.b[0];
  return ValKind(v) == kValKindScalar && (b0 & 0x80) == 0 && (b0 & 0x0F) != 0x0A && ValErrorCode(v) == 0;
}

bool ShortOperator(u8 t) {
  switch (t) {
    case 0x89: case 0x99: case 0xA9: case 0xB9:            // + - x /
    case '<': case '>': case '=': case 0x10: case 0x11: case 0x12:  // relations
      return true;
    default:
      return false;
  }
}

// The digit operation of a relation token (= != < > <= >=), the one the
// value layer applies to two real numbers; null for any other token.
i16 (*ShortRelation(u8 t))(BcdWork *, const BcdWork *) {
  switch (t) {
    case '=': return BcdRelEq;
    case 0x11: return BcdRelNe;
    case '<': return BcdRelLt;
    case '>': return BcdRelGt;
    case 0x10: return BcdRelLe;
    case 0x12: return BcdRelGe;
    default: return nullptr;
  }
}

// The tokens that end a short expression: the statement ends, the two arrows.
bool ShortEnd(u8 t) { return t == 0 || t == ':' || t == 0x0D || t == 0x0C || t == 0x0E || t == 0x13; }

// A whole expression of one operand, or two operands joined by one
// arithmetic or relation operator, up to a statement end or an arrow (A+I,
// I<5000, 10000) in the decimal mode: the evaluator's own steps (the break
// test and arming, the variable read, the operator's application) without
// its token reader and stacks. 1 with the value in out and *p on the ending
// token; 0 when the text is not of that form or anything is unusual (an
// error, a pending break, restricted graph variables), and nothing was
// changed: the evaluator then runs the expression as it always does.
u32 ShortExpr(const u8 **p, Value *out) {
  // The form is checked before anything is read.
  const u8 *end = *p;
  ShortOperandForm first{}, second{};
  if (!ReadShortOperand(&end, &first)) return 0;
  u8 op = 0;
  if (!ShortEnd(*end)) {
    if (!ShortOperator(*end)) return 0;
    op = *end++;
    if (!ReadShortOperand(&end, &second) || !ShortEnd(*end)) return 0;
  }
  // The SET UP bytes, read and written in place.
  static u8 *const setup = SetupItemAddress(0);
  if (setup[kSetupMode] != 0 || (setup[kSetupGraphVars] & 0x1F) != 0) return 0;
  setup[kSetupEvalFlags] &= ~1u;
  KeyBreakArm();
  if (KeyBreakPoll()) return 0;
  EvalCell left;
  BcdWork leftMade, rightMade;
  bool leftKnown = false, rightKnown = false;
  if (!ShortOperand(first, &left, &leftMade, &leftKnown)) return 0;
  if (op == 0) {
    *out = left;
    *p = end;
    return 1;
  }
  EvalCell right;
  if (!ShortOperand(second, &right, &rightMade, &rightKnown)) return 0;
  const bool addSub = op == 0x89 || op == 0x99;
  BcdWork wa, wb;
  if (addSub && ShortWork(&left.re, leftKnown, &leftMade, &wa) && ShortWork(&right.re, rightKnown, &rightMade, &wb)) {
    // Two plain decimal reals (sign code 0, 1, 5 or 6: no complex flag, no
    // list, no fraction, no error) in working form, often from the memo:
    // RealAdd/SubMaruDecimal's digit operation, the result's working form
    // kept for the next pass, then the clean-up of the operator's result.
    BcdReal r{};
    if (op == 0x89) {
      BcdAddMaru(&wa, &wb);
    } else {
      BcdSubMaru(&wa, &wb);
    }
    if (ProgPackPlain(&wa, &r)) {
      ProgKeepWork(kProgMemoShort, &r, &wa);
    } else {
      RealPack(&wa, &r);
      if (RealErrorCode(&r) != 0) return 0;
    }
    ProgRealValue(&r, &right, false);
    if (!EvalNormalizeCell(&right)) return 0;
  } else if (addSub && PlainDecimal(&left) && PlainDecimal(&right)) {
    // Two decimal reals: the operator's own digit operation, and the clean-up
    // of the operator's result, with nothing to route by kind or mode.
    BcdReal r{};
    if (op == 0x89) {
      RealAddMaruDecimal(&left.re, &right.re, &r);
    } else {
      RealSubMaruDecimal(&left.re, &right.re, &r);
    }
    if (RealErrorCode(&r) != 0) return 0;
    right.re = r;
    right.re.b[0] &= 0x7F;
    RealSetZero(&right.im);
    if (!EvalNormalizeCell(&right)) return 0;
  } else if (const auto relation = ShortRelation(op);
             relation != nullptr && ShortWork(&left.re, leftKnown, &leftMade, &wa) && ShortWork(&right.re, rightKnown, &rightMade, &wb)) {
    // A relation of two plain decimal reals: the relation's digit operation
    // on their working forms (often from the memo), packed as the value
    // layer packs it, then the clean-up of the operator's result.
    if (!ProgDecideRelation(op, &wa, &wb)) relation(&wa, &wb);
    BcdReal r{};
    if (!ProgPackPlain(&wa, &r)) RealPack(&wa, &r);
    if (RealErrorCode(&r) != 0) return 0;
    ProgRealValue(&r, &right, true);
    if (!EvalNormalizeCell(&right)) return 0;
  } else {
    EvalCell opCell;
    std::memset(&opCell, 0, sizeof opCell);
    opCell.re.b[0] = op;
    if (!EvalApplyBinary(&left, &opCell, &right)) return 0;
  }
  *out = right;
  *p = end;
  return 1;
}

}  // namespace

u32 ProgEvalAt(const u8 **p, Value *out, u32 flags) {
  if (flags == kEvalWhole && ShortExpr(p, out)) return 1;
  TokPos pos = *p;
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  std::memset(out, 0, sizeof *out);
  const u32 ok = flags == kEvalWhole ? EvalWholeExpr(&pos, &tok, out, 1) : EvalArgument(&pos, &tok, out, 1, flags);
  // The token cell holds the token after the expression and the position
  // points past it: step back to its start (the end token is not passed).
  const u8 b0 = TokByte0(&tok);
  if (b0 != 0) {
    // A character lead byte read alone before the end takes one byte.
    const bool alone = TokIsLeadByte(b0) && !TokIsGroupLead(b0) && TokByte1(&tok) == 0;
    pos -= TokIsLeadByte(b0) && !alone ? 2 : 1;
  }
  *p = pos;
  return ok;
}

u32 ProgEvalReal(const u8 **p, Value *out, bool refuse_complex) {
  if (!ProgEvalAt(p, out, 0x0F00)) return 0;
  const int kind = ValKind(out);
  if (kind == kValKindList || kind == kValKindMatrix) {
    ValFreeTemp(out);
    return ProgRaise(kProgErrSyntax, out);
  }
  if (refuse_complex && (out->re.b[0] & 0x80)) return ProgRaise(kProgErrMa, out);
  return 1;
}

namespace {

// A plain index in the decimal mode: one to four digits closed by ']' or
// ',' (List 1[3], Mat A[2,1]). Read directly, it gives what the evaluator
// gives for it; *p is left on the closing token.
bool PlainIndex(const u8 **p, u32 *n) {
  const u8 *q = *p;
  u32 v = 0;
  u32 digits = 0;
  while (*q >= '0' && *q <= '9' && digits < 5) {
    v = v * 10 + (*q - '0');
    ++q;
    ++digits;
  }
  if (digits == 0 || digits > 4 || (*q != ']' && *q != ',')) return false;
  static const u8 *const mode = SetupItemAddress(kSetupMode);
  if (*mode != 0) return false;
  *p = q;
  *n = v;
  return true;
}

}  // namespace

u32 ProgEvalIntArg(const u8 **p, Value *result, u32 *out, u32 limit) {
  u32 plain = 0;
  if (PlainIndex(p, &plain)) {
    if (plain < 1 || plain > limit) return ProgRaise(kProgErrArgument, result);
    *out = plain;
    return 1;
  }
  Value v;
  if (!ProgEvalAt(p, &v, 0x0F00)) {
    const u8 code = ValErrorCode(&v);
    return ProgRaise(code == kProgErrBreak ? kProgErrBreak : kProgErrArgument, result);
  }
  const int kind = ValKind(&v);
  if (kind != kValKindScalar || (v.re.b[0] & 0x80)) {
    ValFreeTemp(&v);
    return ProgRaise(kProgErrArgument, result);
  }
  BcdReal r = v.re;
  if (RealIsFrac(&r)) RealFracToDecimal(&r, &r);
  u64 n = 0;
  if (!NumToU64(&r, &n) || n < 1 || n > limit) return ProgRaise(kProgErrArgument, result);
  *out = static_cast<u32>(n);
  return 1;
}

u32 EvalParseListRef(const u8 **p, u32 *number) {
  const u8 *q = *p;
  u32 n = 0;
  if (q[0] == 0x7F && q[1] >= 0x6A && q[1] <= 0x6F) {
    n = q[1] - 0x6A + 1u;
    q += 2;
  } else if (q[0] == 0x7F && q[1] == 0x51) {
    q += 2;
    if (*q == 0xC0) {
      n = 0;
      ++q;
    } else if (*q >= '0' && *q <= '9') {
      n = *q++ - '0';
      if (*q >= '0' && *q <= '9') n = n * 10 + (*q++ - '0');
      if (n > 26) return 0;
    } else {
      return 0;
    }
  } else {
    return 0;
  }
  if (q[0] == '[' && q[1] == ']') {
    q += 2;
  } else if (q[0] == '[' && q[1] == '0' && q[2] == ']') {
    q += 3;
  }
  if (!ProgTokIsEnd(q)) return 0;
  *p = q;
  *number = n;
  return 1;
}

u32 ProgAssignAt(const u8 **pos, Value *tok, Value *value) {
  ProgRunContext ctx;
  ProgContextClear(&ctx);
  Value error{};
  ProgRunState run{};
  run.ctx = &ctx;
  run.result = &error;
  run.p = *pos;
  if (!ProgAssign(&run, value)) {
    *value = error;
    *pos = run.p;
    return 0;
  }
  *pos = run.p;
  tok->re.b[0] = '0';
  TokNext(tok, pos);
  return 1;
}
