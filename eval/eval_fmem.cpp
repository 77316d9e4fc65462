// Calls of function memories (f1-f6, fn1-fn20) and graph functions (Y, r,
// Xt, Yt, X with a number 1-20) inside an expression: the evaluator reads on
// in the stored text, with the function's variable set to an argument in
// brackets for the time of the call, and comes back after the reference.
#include <cstring>

#include "eval/eval_calculus.h"
#include "eval/eval_glue.h"
#include "memory/item_system.h"
#include "number/value.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u32 kArgFlags = 0x2900;   // function-memory marker; real or complex scalar
constexpr u32 kTextFlags = 0x0908;  // argument marker; real or complex scalar
constexpr u8 kSecondY = 0xF0, kSecondR = 0xF1, kSecondXt = 0xF2, kSecondYt = 0xF3, kSecondX = 0xF4;

// A stored text is evaluated from a copy: the item store may move while the
// text is evaluated (a list result, Ans). Two zero bytes before it keep the
// reader's look-behind inside the copy.
constexpr u32 kCopyMax = 1024;
struct TextCopy {
  u8 bytes[2 + kCopyMax + 2];
};

// The stored text of the reference (tok, n) into *pos; 0 with the error in
// result.
u32 FnMemText(const EvalCell *tok, u32 n, TextCopy *copy, TokPos *pos, EvalCell *result) {
  const char *text = nullptr;
  if (TokByte0(tok) == kTokLead7F) {
    const u8 second = TokByte1(tok);
    const u16 type = EvalGlueGraphFuncType(n);
    if (type == 0) return EvalErrMemory(result);
    bool accepts;
    switch (type) {
      case 0x108: case 0x188: case 0x198: case 0x1A8: case 0x1B8: accepts = second == kSecondY; break;
      case 0x209: accepts = second == kSecondX; break;
      case 0x409: accepts = second == kSecondXt || second == kSecondYt; break;
      case 0x40A: accepts = second == kSecondR; break;
      default: return EvalErrSystem(result);
    }
    if (!accepts) return EvalErrSyntax(result);
    text = EvalGlueGraphFuncText(n);
    if (text == nullptr) return EvalErrMemory(result);
    const u8 *t = reinterpret_cast<const u8 *>(text);
    if (second == kSecondXt && t[0] == kTokFnSeparator) return EvalErrMemory(result);
    if (second == kSecondYt) {
      // Past the separator; two-byte tokens are stepped over whole, and the
      // text's end stops the search.
      while (*t != 0 && *t != kTokFnSeparator) t += TokLenAt(t);
      if (*t == 0 || t[1] == 0) return EvalErrMemory(result);
      ++t;
    }
    text = reinterpret_cast<const char *>(t);
  } else {
    text = ItemFmemData(n);
    if (text == nullptr) return EvalErrMemory(result);
  }
  // Measured token by token: a zero second byte (Xmin) does not end it.
  const u8 *t = reinterpret_cast<const u8 *>(text);
  u32 len = 0;
  while (t[len] != kTokEnd && len <= kCopyMax) len += TokLenAt(t + len);
  if (len > kCopyMax) {
    *pos = t;
    return 1;
  }
  copy->bytes[0] = 0;
  copy->bytes[1] = 0;
  std::memcpy(copy->bytes + 2, t, len);
  copy->bytes[2 + len] = 0;
  copy->bytes[3 + len] = 0;
  *pos = copy->bytes + 2;
  return 1;
}

// The number after a two-byte reference: 1-20. 0 with Argument ERROR.
u32 ReadNumber(TokPos *pos, EvalCell *tok, EvalCell *result, u32 *n) {
  TokNext(tok, pos);
  if (!TokIsDigit1to9(tok)) return EvalErrArgument(result);
  const u8 first = TokByte0(tok);
  *n = first - '0';
  const u8 next = **pos;
  if (next >= '0' && next <= '9') {
    if (first == '1' || (first == '2' && next == '0')) {
      TokNext(tok, pos);
      *n = *n * 10 + (next - '0');
    } else {
      return EvalErrArgument(result);
    }
  }
  return 1;
}

// The variable a call's argument goes to when none is named.
u8 DefaultVariable(const EvalCell *ref) {
  if (TokByte0(ref) != kTokLead7F) return 'X';
  switch (TokByte1(ref)) {
    case kSecondR: return kVarTheta;
    case kSecondXt: case kSecondYt: return 'T';
    case kSecondX: return 'Y';
    default: return 'X';
  }
}

}  // namespace

u32 EvalFnMemCall(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const EvalCell ref = *tok;
  u32 n = 0;
  if (TokByte0(&ref) == kTokLead7F || TokByte0(&ref) == kTokLeadF9) {
    if (!ReadNumber(pos, tok, result, &n)) return 0;
  } else {
    n = TokByte0(&ref) - 0x14 + 1;
  }

  // The argument form: f(value) or f(V=value).
  bool withArgument = false;
  u8 var = 0;
  Value saved;
  std::memset(&saved, 0, sizeof saved);
  if (**pos == '(') {
    TokNext(tok, pos);
    withArgument = true;
    const TokPos p = *pos;
    if (p[0] != kTokEnd && !TokIsLeadByte(p[0]) && p[1] == '=') {
      TokNext(tok, pos);
      const u8 v = TokByte0(tok);
      if (!((v >= 'A' && v <= 'Z') || v == kVarR || v == kVarTheta)) return EvalErrSyntax(result);
      var = v;
      TokNext(tok, pos);
    } else {
      var = DefaultVariable(&ref);
    }
    if (!EvalReadVariable(var, &saved)) {
      *result = saved;
      return 0;
    }
    TokNext(tok, pos);
    std::memset(result, 0, sizeof *result);
    if (!EvalExpr(pos, tok, result, area, kArgFlags)) return 0;
    if (TokByte0(tok) != ')') return EvalErrSyntax(result);
    SysStoreVariable(var, result);
  }
  auto restore = [&] {
    if (withArgument) SysStoreVariable(var, &saved);
  };

  if (!EvalPushReturn(*pos, area->returns)) {
    restore();
    return EvalErrStack(result);
  }
  TextCopy copy;
  TokPos text = nullptr;
  if (!FnMemText(&ref, n, &copy, &text, result)) {
    restore();
    return 0;
  }
  *pos = text;
  TokNext(tok, pos);
  std::memset(result, 0, sizeof *result);
  const u32 ok = EvalExpr(pos, tok, result, area, kTextFlags);
  restore();
  if (!ok) return 0;
  if (TokByte0(tok) != kTokEnd && TokByte0(tok) != kTokFnSeparator) return EvalErrSyntax(result);
  tok->re.b[0] = '0';
  EvalPopReturn(area->returns, pos);
  TokNext(tok, pos);
  return 1;
}
