// Display conversions of a shown result and the state they keep in SET UP
// item 61 and words 62 and 64.
#include "number/numconv.h"

#include <cstring>

#include "number/frac.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "number/valop.h"
#include "ui/setup.h"

namespace {

u8 State() { return SetupGetItem(kSetupDisplayState); }
void SetState(u8 s) { SetupSetItem(kSetupDisplayState, s); }
void SetFracState(u8 low) { SetState(static_cast<u8>((State() & ~kNumStateFracMask) | low)); }

int IsComplex(const Value *v) { return (v->re.b[0] & 0x80) != 0; }
int HasFrac(const Value *v) { return RealIsFrac(&v->re) || (IsComplex(v) && RealIsFrac(&v->im)); }

char *WriteError(char *out) {
  std::strcpy(out, "ERROR");
  return out;
}

// The part's exponent and whether its first 9 digits hold a non-zero one.
int PartExponent(const BcdReal *part, int *nonZero) {
  NumDigits r;
  *nonZero = 0;
  if (!NumDecompose(&r, part) || r.fracCount) return 0;
  for (int i = 0; i < 9; ++i) *nonZero |= r.d[i] != 0;
  int any = *nonZero;
  for (int i = 9; i < 15; ++i) any |= r.d[i] != 0;
  return any ? r.exponent : 0;
}

// Rebuilds one three-field fraction part as improper; 1 when it changed.
int PartToImproper(BcdReal *part) {
  if (!RealIsFrac(part)) return 0;
  NumDigits r;
  if (!NumDecompose(&r, part) || !r.fracCount) return 0;
  u64 field[3] = {0, 0, 0};
  int fields = 0;
  for (int i = 0; i < r.fracCount; ++i) {
    if (r.d[i] == 10) {
      if (++fields > 2) return 0;
    } else {
      field[fields] = field[fields] * 10 + r.d[i];
    }
  }
  if (fields != 2) return 0;
  const u64 c = field[2];
  const u64 d = field[0] * c + field[1];
  char text[48];
  int n = 0;
  char dt[24], ct[24];
  int dn = 0, cn = 0;
  for (u64 x = d; dn == 0 || x; x /= 10) dt[dn++] = static_cast<char>(x % 10);
  for (u64 x = c; cn == 0 || x; x /= 10) ct[cn++] = static_cast<char>(x % 10);
  if (dn + 1 + cn >= 16) return 0;
  while (dn) text[n++] = dt[--dn];
  text[n++] = 10;
  while (cn) text[n++] = ct[--cn];
  part->b[1] = static_cast<u8>((n - 1) << 4);
  std::memset(part->b + 2, 0, 7);
  for (int i = 0; i < n; ++i) {
    const int k = 3 + i;
    u8 &b = part->b[k / 2];
    b = (k & 1) ? static_cast<u8>((b & 0xF0) | text[i]) : static_cast<u8>((b & 0x0F) | (text[i] << 4));
  }
  return 1;
}

// Start of the two fraction keys: the engineering shift ends. Returns 1 when
// Eng display formatted the value already (no conversion).
int FracKeyStart(const Value *v, char *out) {
  SetState(static_cast<u8>((State() & kNumStateFracMask) | kNumStateUp));
  if (!(SetupGetItem(kSetupDisplay) & 0x80)) return 0;
  Value w;
  ValFracToDecimal(v, &w);
  if (ValErrorCode(&w)) {
    WriteError(out);
  } else {
    NumFormatConverted(&w, out, 0);
  }
  return 1;
}

// Text of a value a fraction key has converted. In the polar setting a real
// value shows as its plain text; a complex one keeps the rectangular form,
// since its parts were not converted to r and theta.
char *FracKeyText(const Value *v, char *out) {
  Value w = *v;
  const int polar = SetupGetItem(kSetupComplexMode) == 2 && !IsComplex(&w);
  return NumFormatConverted(&w, out, polar);
}

// ValToFraction into *v; 1 when a part is now a fraction.
int ToFraction(Value *v) {
  Value w;
  ValToFraction(v, &w);
  if (!ValErrorCode(&w)) *v = w;
  return HasFrac(v);
}

}  // namespace

int NumFracToImproper(const Value *in, Value *out) {
  *out = *in;
  const int reFrac = RealIsFrac(&out->re);
  PartToImproper(&out->re);
  int imChanged = 0;
  if (IsComplex(out)) imChanged = PartToImproper(&out->im);
  return reFrac || imChanged;
}

void NumApplyFracResult(Value *v) {
  const u8 low = State() & kNumStateFracMask;
  if (low == kNumStateImproper || low == kNumStateStored) return;
  if (SetupGetItem(kSetupFracResult) != 0) return;
  if (NumFracToImproper(v, v)) SetFracState(kNumStateImproper);
}

void NumSetEngExponents(const Value *v, int engDisplay) {
  u8 st = State();
  const u8 shift = st & kNumStateShiftMask;
  const int complex = IsComplex(v);
  const BcdReal *parts[2] = {&v->re, &v->im};
  if (shift == kNumShiftActive) {
    const int up = (st & kNumStateUp) != 0;
    for (int i = 0; i < (complex ? 2 : 1); ++i) {
      int nonZero;
      const int e = PartExponent(parts[i], &nonZero);
      if (!nonZero) continue;
      const int E = i ? NumGetEngExpIm() : NumGetEngExpRe();
      int next = E;
      if (!up && E - 3 > -100 && e - (E - 3) < 10) next = E - 3;
      if (up && E + 3 < 100 && (E + 3) - e < 10) next = E + 3;
      if (i) {
        NumSetEngExpIm(static_cast<i16>(next));
      } else {
        NumSetEngExpRe(static_cast<i16>(next));
      }
    }
    return;
  }
  if (!engDisplay && shift != kNumShiftStarted) {
    SetState(static_cast<u8>(st & ~kNumStateShiftMask));
    int nonZero;
    NumSetEngExpRe(static_cast<i16>(PartExponent(&v->re, &nonZero)));
    if (complex) NumSetEngExpIm(static_cast<i16>(PartExponent(&v->im, &nonZero)));
    return;
  }
  if (engDisplay) st |= kNumStateUp;
  const int upward = !engDisplay && (st & kNumStateUp);
  SetState(static_cast<u8>((st & ~kNumStateShiftMask) | kNumShiftActive));
  for (int i = 0; i < (complex ? 2 : 1); ++i) {
    int nonZero;
    const int e = PartExponent(parts[i], &nonZero);
    const int rem = ((e % 3) + 3) % 3;
    const int E = (upward && rem) ? e + 3 - rem : e - rem;
    if (E < -99 || E > 99) continue;
    if (i) {
      NumSetEngExpIm(static_cast<i16>(E));
    } else {
      NumSetEngExpRe(static_cast<i16>(E));
    }
  }
}

char *NumFormatFracForm(Value *v, char *out) {
  const u8 old = State() & kNumStateFracMask;
  if (FracKeyStart(v, out)) return out;
  const int mixedSetting = SetupGetItem(kSetupFracResult) == 1;
  Value shown;
  if (!HasFrac(v)) {
    if (!ToFraction(v)) {
      SetFracState(kNumStateDecimal);
      return FracKeyText(v, out);
    }
    SetFracState(kNumStateStored);
    shown = *v;
    if (mixedSetting && NumFracToImproper(v, &shown)) SetFracState(kNumStateImproper);
    return FracKeyText(&shown, out);
  }
  if (old == kNumStateImproper) {
    SetFracState(kNumStateStored);
    return FracKeyText(v, out);
  }
  ToFraction(v);
  SetFracState(kNumStateStored);
  shown = *v;
  if ((old == kNumStateStored || mixedSetting) && NumFracToImproper(v, &shown)) SetFracState(kNumStateImproper);
  return FracKeyText(&shown, out);
}

char *NumFormatFracDec(Value *v, char *out) {
  const u8 old = State() & kNumStateFracMask;
  if (FracKeyStart(v, out)) return out;
  if (old == kNumStateDecimal || !HasFrac(v)) {
    if (old == 0 && IsComplex(v)) {
      SetFracState(kNumStateDecimal);
      return FracKeyText(v, out);
    }
    SetFracState(ToFraction(v) ? kNumStateFraction : kNumStateDecimal);
    return FracKeyText(v, out);
  }
  Value dec;
  ValFracToDecimal(v, &dec);
  SetFracState(kNumStateDecimal);
  if (ValErrorCode(&dec)) return WriteError(out);
  return FracKeyText(&dec, out);
}

char *NumToTextDms(const Value *v, char *out) {
  const u16 option = kNumOptDms;
  return NumToTextOpt(v, out, &option);
}

char *NumToTextEng(const Value *v, char *out, int up) {
  u8 st = static_cast<u8>((State() & 0x7F) | (up ? kNumStateUp : 0));
  if ((st & kNumStateShiftMask) != kNumShiftActive) st = static_cast<u8>((st & kNumStateUp) | kNumShiftStarted);
  SetState(st);
  Value w;
  ValFracToDecimal(v, &w);
  if (ValErrorCode(&w)) return WriteError(out);
  return NumFormatConverted(&w, out, 0);
}

// ---- degrees, minutes and seconds ----

namespace {

// When abs(low) has reached 60: low loses 60 and high gains 1, both with the
// part's sign. Returns 1 when it carried.
int CarrySixty(BcdReal *low, BcdReal *high, int neg) {
  BcdReal limit, a, step, one;
  NumFromInt16(60, &limit);
  RealAbs(low, &a);
  if (RealIsGreaterEqual(&a, &limit) != 1) return 0;
  NumFromInt16(neg ? -60 : 60, &step);
  NumFromInt16(neg ? -1 : 1, &one);
  RealSubDecimal(low, &step, low);
  RealAddDecimal(high, &one, high);
  return 1;
}

struct DmsParts {
  BcdReal d, m, s;
};

// d = Int(x), m = Int(Frac(x) 60), s = Frac(Frac(x) 60) 60, with s moved by
// 0.005 away from zero and the carries into minutes and degrees.
void NumSplitDms(const BcdReal *x, DmsParts *p) {
  BcdReal sixty, f, t, half;
  NumFromInt16(60, &sixty);
  NumParse("0.005", RealSetZero(&half));
  const int neg = (x->b[0] >> 4) == 5 || (x->b[0] >> 4) == 6;
  RealInt(x, &p->d);
  RealFrac(x, &f);
  RealMulDecimal(&f, &sixty, &t);
  RealInt(&t, &p->m);
  RealFrac(&t, &f);
  RealMulDecimal(&f, &sixty, &p->s);
  if (neg) {
    RealSubDecimal(&p->s, &half, &p->s);
  } else {
    RealAddDecimal(&p->s, &half, &p->s);
  }
  if (CarrySixty(&p->s, &p->m, neg)) CarrySixty(&p->m, &p->d, neg);
}

int SignOf(const BcdReal *x) {
  if (RealIsFrac(x)) return 0;
  NumDecimal d;
  if (!NumGetDecimal(x, &d)) return 0;
  return d.sign;
}

char *PutTwo(char *p, i32 v) {
  *p++ = static_cast<char>('0' + (v / 10) % 10);
  *p++ = static_cast<char>('0' + v % 10);
  return p;
}

// The sexagesimal text (without sign) of one part; returns the sign.
int NumWriteDms(char *out, const BcdReal *x) {
  DmsParts p;
  NumSplitDms(x, &p);
  i32 d = NumToInt32(&p.d), m = NumToInt32(&p.m);
  BcdReal h;
  RealScale10(&p.s, &h, 2);
  RealInt(&h, &h);
  i32 hs = NumToInt32(&h);
  // A zero part keeps sign 0, so that joining leaves it out.
  int sign = 0;
  if (SignOf(x) != 0) {
    sign = SignOf(&p.d);
    if (!sign) sign = SignOf(&p.m);
    if (!sign) sign = SignOf(&p.s);
  }
  if (d < 0) d = -d;
  if (m < 0) m = -m;
  if (hs < 0) hs = -hs;
  char digits[12];
  int dn = 0;
  for (i32 t = d; dn == 0 || t; t /= 10) digits[dn++] = static_cast<char>('0' + t % 10);
  char *o = out;
  for (int i = dn - 1; i >= 0; --i) *o++ = digits[i];
  *o++ = static_cast<char>(0x9C);
  o = PutTwo(o, m);
  *o++ = static_cast<char>(0xE5);
  *o++ = static_cast<char>(0x96);
  o = PutTwo(o, hs / 100);
  const int decimals = dn < 5 ? 2 : dn == 5 ? 1 : 0;
  if (decimals) {
    char f[2] = {static_cast<char>('0' + (hs / 10) % 10), static_cast<char>('0' + hs % 10)};
    int keep = decimals;
    while (keep > 0 && f[keep - 1] == '0') --keep;
    if (keep) {
      *o++ = '.';
      for (int i = 0; i < keep; ++i) *o++ = f[i];
    }
  }
  *o++ = static_cast<char>(0xE5);
  *o++ = static_cast<char>(0x98);
  *o = 0;
  return sign;
}

// The normal text of one part as a plain real (never in the polar form),
// its sign taken off.
int NormalPartText(const BcdReal *part, char *out) {
  Value w;
  std::memset(&w, 0, sizeof w);
  w.re = *part;
  w.re.b[0] &= 0x7F;
  char text[kNumTextSize];
  const u16 rect = kNumOptRect;
  NumToTextOpt(&w, text, &rect);
  const int neg = static_cast<u8>(text[0]) == 0x87;
  std::strcpy(out, text + neg);
  if (std::strcmp(out, "0") == 0) return 0;
  return neg ? -1 : 1;
}

int InDmsRange(const BcdReal *x) {
  BcdReal lim, a;
  NumParse("1e7", RealSetZero(&lim));
  RealAbs(x, &a);
  return RealIsLess(&a, &lim) == 1;
}

}  // namespace

char *NumFormatDms(const Value *v, char *out) {
  SetState(static_cast<u8>(State() & ~kNumStateFracMask));
  Value w;
  ValFracToDecimal(v, &w);
  if (ValErrorCode(&w)) return WriteError(out);
  // The state a normal text of this value leaves (an Eng display shift, say)
  // is what the next key continues from, not that of the parts alone.
  char normal[kNumTextSize];
  NumToText(&w, normal);
  const u8 state = State();
  const i16 shownRe = NumGetEngExpRe(), shownIm = NumGetEngExpIm();
  // A complex value shows in the form of the complex mode: r and theta in
  // the polar mode (when the modulus can be computed), a and b otherwise.
  int complex = IsComplex(&w);
  const int polar = complex && SetupGetItem(kSetupComplexMode) == 2 && NumToPolarParts(&w);
  complex = IsComplex(&w);
  BcdReal parts[2] = {w.re, w.im};
  char text[2][kNumTextSize];
  int sign[2] = {0, 0};
  for (int i = 0; i < (complex ? 2 : 1); ++i) {
    parts[i].b[0] &= 0x7F;
    NumDigits r;
    if (!NumDecompose(&r, &parts[i])) return WriteError(out);
    if (InDmsRange(&parts[i])) {
      sign[i] = NumWriteDms(text[i], &parts[i]);
    } else {
      sign[i] = NormalPartText(&parts[i], text[i]);
    }
  }
  SetState(state);
  NumSetEngExpRe(shownRe);
  NumSetEngExpIm(shownIm);
  if (!complex) {
    text[1][0] = 0;
    if (sign[0] == 0) sign[0] = 1;
  }
  if (polar) return NumJoinPolar(out, sign[0] == 0 ? 1 : sign[0], text[0], sign[1], text[1], 0);
  return NumJoinRect(out, sign[0], text[0], sign[1], text[1], 0, 0);
}
