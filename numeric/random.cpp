// Random numbers.
#include "numeric/random.h"

#include <cstring>

#include "kernel/host.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "eval/eval.h"
#include "numeric/calc_point.h"
#include "ui/setup.h"

namespace {

constexpr u8 kErrMa = 3, kErrArgument = 8;
constexpr u8 kStateByte = kSetupRandomState;      // 50..58: the last result
constexpr u8 kDigitByte = kSetupRandomState + 10;  // 60: the running sequence's digit

Value RealValue(const BcdReal &r) {
  Value v;
  std::memset(&v, 0, sizeof v);
  v.re = r;
  return v;
}

// The stored state: the first `count` bytes from SET UP byte 50, the rest 0.
BcdReal StoredState(int count) {
  BcdReal s;
  std::memset(&s, 0, sizeof s);
  for (int i = 0; i < count; ++i) s.b[i] = SetupGetByte(static_cast<u8>(kStateByte + i));
  return s;
}

void StoreState(const BcdReal &r, int count) {
  for (int i = 0; i < count; ++i) SetupSetByte(static_cast<u8>(kStateByte + i), r.b[i]);
}

// A result cut to 10 significant digits.
void CutToTenDigits(BcdReal *r) {
  r->b[6] &= 0xF0;
  r->b[7] = 0;
  r->b[8] = 0;
}

u8 Lo(u8 b) { return b & 0x0F; }

// The digit-wise decimal sum of one byte of the state and of the clock.
u8 MixByte(u8 s, u8 t) {
  u32 v = Lo(s) + Lo(t);
  if ((v & 0x0F) > 9) v += 6;
  const u32 high = (v >> 4) + (s >> 4) + (t >> 4);
  const u32 sum = v + (s & 0xF0) + (t & 0xF0);
  return static_cast<u8>(high >= 10 ? (sum + 0x60) & 0xFF : sum & 0xFF);
}

// A failed step leaves the state as it was.
u32 Failed(Value *out, const Value &r) {
  out->re = r.re;
  return 0;
}

}  // namespace

int NumericRandomNext(const int *n, BcdReal *s, Value *out) {
  std::memset(out, 0, sizeof *out);
  if (*n == 0) {
    RealSetZero(s);
    return 1;
  }
  BcdReal zero, minusOne;
  RealSetZero(&zero);
  EvalSetMinusOne(&minusOne);
  const Value mask = RealValue(CalcConst("123459876"));
  const Value modulus = RealValue(CalcConst("2147483647"));
  Value sv = RealValue(*s), t;
  if (RealIsEqual(s, &minusOne) == 1) {
    BcdReal nr;
    NumFromInt32(*n, RealSetZero(&nr));
    const Value nv = RealValue(nr);
    ValBitXor(&nv, &mask, &sv);
    if (*n == 6 || *n == 9) sv.re.b[2] = 0x13;
  } else {
    ValFrac(&sv, &t);
    if (ValErrorCode(&t) == 0 && CalcIsZero(&t.re)) {
      ValBitXor(&sv, &mask, &t);
      sv = t;
    } else {
      ValMul(&sv, &modulus, &t, 0);
      sv = t;
    }
  }
  const int negative = RealIsLess(&sv.re, &zero);
  if (negative < 0) {
    CalcFail(out, kErrMa);
    return 0;
  }
  if (negative == 1) {
    CalcFail(out, kErrArgument);
    return 0;
  }
  // Schrage's step: 16807 s mod (2^31 - 1) without overflow.
  const Value q = RealValue(CalcConst("127773")), r = RealValue(CalcConst("2836"));
  const Value a = RealValue(CalcConst("16807"));
  Value k, lo, u, v, w;
  ValDiv(&sv, &q, &t, 0);
  ValInt(&t, &k);
  ValMul(&k, &q, &t, 0);
  ValSub(&sv, &t, &lo, 0);
  ValMul(&a, &lo, &u, 0);
  ValMul(&r, &k, &v, 0);
  ValSub(&u, &v, &w, 0);
  const int below = RealIsLess(&w.re, &zero);
  if (below < 0) {
    CalcFail(out, kErrMa);
    return 0;
  }
  if (below == 1) {
    ValAdd(&w, &modulus, &t, 0);
    w = t;
  }
  const Value one = RealValue(CalcConst("1"));
  Value inv;
  ValDiv(&one, &modulus, &inv, 0);
  ValMul(&inv, &w, &t, 0);
  if (ValErrorCode(&t) != 0) {
    *out = t;
    return 0;
  }
  out->re = t.re;
  *s = t.re;
  return 1;
}

int NumericRandomPlain(u32 tick, Value *out) {
  u32 t = tick % 65536;
  if (t == 0) t = ShellGetTickCount() % 65536;
  BcdReal T;
  RealSetZero(&T);
  EvalRealFromInt32(static_cast<i32>(t), &T);
  // A clock at a multiple of 32768 would select the zero sequence and wipe
  // the state: it counts as 1.
  int n = static_cast<int>(t % 32768);
  if (n == 0) n = 1;
  BcdReal s;
  std::memset(&s, 0, sizeof s);
  if (SetupGetByte(kStateByte + 1) == 0) {
    // No state yet: a number between 0.1 and 1 made of the clock's digits.
    s.b[0] = 0x09;
    s.b[1] = static_cast<u8>(0x90 | Lo(T.b[1]));
    s.b[2] = T.b[2];
    s.b[3] = T.b[3];
    s.b[4] = T.b[1];
    s.b[5] = T.b[2];
    s.b[6] = T.b[3];
    s.b[7] = T.b[1];
    s.b[8] = T.b[1];
    NumericRandomNext(&n, &s, out);
  } else {
    s = StoredState(9);
    s.b[3] = MixByte(s.b[3], T.b[3]);
    s.b[2] = MixByte(s.b[2], T.b[2]);
    u32 v = Lo(s.b[1]) + Lo(T.b[1]);
    if ((v & 0x0F) > 9) v += 6;
    const u8 low = (v & 0x0F) == 0 ? Lo(T.b[1]) : static_cast<u8>(v & 0x0F);
    s.b[1] = static_cast<u8>((s.b[1] & 0xF0) | low);
  }
  if (!NumericRandomNext(&n, &s, out)) return 0;
  StoreState(out->re, 9);
  SetupSetByte(kDigitByte, '0');
  CutToTenDigits(&out->re);
  return 1;
}

u32 NumericRandomToken(Value *out, TokPos *pos, EvalCell *tok) {
  TokNext(tok, pos);
  const u8 c = TokByte0(tok);
  if (c == '0') {
    std::memset(&out->re, 0, sizeof out->re);
    SetupSetByte(kDigitByte, '0');
    TokNext(tok, pos);
    return 1;
  }
  if (c >= '1' && c <= '9') {
    const int n = c - '0';
    BcdReal s;
    Value r;
    if (SetupGetByte(kDigitByte) == c) {
      s = StoredState(8);
      if (!NumericRandomNext(&n, &s, &r)) return Failed(out, r);
    } else {
      SetupSetByte(kDigitByte, c);
      EvalSetMinusOne(RealSetZero(&s));
      if (!NumericRandomNext(&n, &s, &r) || !NumericRandomNext(&n, &s, &r)) return Failed(out, r);
    }
    StoreState(r.re, 8);
    CutToTenDigits(&r.re);
    out->re = r.re;
    TokNext(tok, pos);
    return 1;
  }
  Value r;
  if (!NumericRandomPlain(ShellGetTickCount(), &r)) return Failed(out, r);
  out->re = r.re;
  return 1;
}
