// The interpreter's road into the evaluator: expressions at a text position,
// real and integer arguments, whole-list references.
#include <cstring>

#include "eval/eval.h"
#include "eval/prog_internal.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/setup.h"

u32 ProgEvalAt(const u8 **p, Value *out, u32 flags) {
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
  if (SetupGetItem(kSetupMode) != 0) return false;
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
