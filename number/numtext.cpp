// Number texts: digit records, display rounding, the part formatters of the
// display modes, joining of complex parts, Base-N texts and the cells.
#include "number/numtext.h"

#include <cstring>

#include "number/basen.h"
#include "number/frac.h"
#include "number/numconv.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

constexpr char kExpMark = 0x0F;
constexpr char kNeg = static_cast<char>(0x87);
constexpr char kFracSep = static_cast<char>(0xBB);
constexpr char kLineBreak = 0x0D;

// Nibble i of a stored real (0 = high nibble of byte 0).
u8 Nib(const BcdReal *x, int i) { return (i & 1) ? (x->b[i / 2] & 0x0F) : (x->b[i / 2] >> 4); }
void SetNib(BcdReal *x, int i, u8 v) {
  u8 &b = x->b[i / 2];
  b = (i & 1) ? static_cast<u8>((b & 0xF0) | v) : static_cast<u8>((b & 0x0F) | (v << 4));
}

char *Put(char *p, const char *s) {
  while (*s) *p++ = *s++;
  *p = 0;
  return p;
}

char *WriteError(char *out, const char *text = "ERROR") {
  Put(out, text);
  return out;
}

int IsLead(u8 c) { return c == 0x7F || (c >= 0xE5 && c <= 0xE7) || c == 0xF7 || c == 0xF9; }

// Bytes taken by the first n characters of text.
int CharBytes(const char *text, int n) {
  int i = 0;
  while (n > 0 && text[i]) {
    i += (IsLead(static_cast<u8>(text[i])) && text[i + 1]) ? 2 : 1;
    --n;
  }
  return i;
}

struct DisplaySettings {
  int mode;  // NumDisplayMode
  int n;     // Fix and Sci digits
  int eng;   // Eng display on
  int complexMode;
  int base;  // item 23
};

DisplaySettings ReadSettings() {
  const u8 d = SetupGetItem(kSetupDisplay);
  return DisplaySettings{(d >> 4) & 7, d & 0x0F, (d >> 7) & 1, SetupGetItem(kSetupComplexMode),
                         SetupGetItem(kSetupMode)};
}

int ShiftActive() { return (SetupGetItem(kSetupDisplayState) & kNumStateShiftMask) == kNumShiftActive; }

// Display rounding count k (digits kept + 1) of a part with exponent e;
// norounding set when the part is only cut.
int RoundCount(int mode, int n, int e, int *cutOnly) {
  *cutOnly = 0;
  switch (mode) {
    case kNumFix: {
      const int k = e + n + 2;
      return k > 11 ? 11 : k;
    }
    case kNumSci:
      return n == 0 ? 11 : n + 1;
    case kNumNorm2:
      if (e >= -9 && e <= -3 && !(SetupGetItem(kSetupDisplayState) & kNumStateShiftMask)) {
        *cutOnly = 1;
        return e + 13;
      }
      return 11;
    default:
      return 11;
  }
}

void ClearPart(BcdReal *part) {
  const u8 flag = part->b[0] & 0x80;
  std::memset(part->b, 0, 9);
  part->b[0] = flag;
}

// The mantissa of rec written as if its exponent were e.
int WriteMantissa(char *out, const NumDigits &rec, int e, int n, int mode) {
  NumDigits m = rec;
  m.exponent = e;
  return NumWriteDigits(out, &m, n, mode);
}

const char *EngPrefix(int e) {
  static const char *const kPrefix[12] = {"\x01", "p", "\x03", "\xE6\x4B", "m", " ",
                                          "k",    "\x07", "\x08", "\x09", "\x0A", "\x0B"};
  return kPrefix[(e + 15) / 3];
}

// Formats one part (complex flag ignored) under the settings: 0 plain, 1 with
// exponent, 2 fraction, -1 failure. *sign gets the part's sign, 0 for zero.
// E is the exponent shown while a shift is active (or in Eng display).
int FormatPart(char *out, const BcdReal *part, const DisplaySettings &s, int eng, int shifted, int E,
               int *sign) {
  out[0] = 0;
  *sign = 0;
  NumDigits r;
  if (!NumDecompose(&r, part)) return -1;
  if (r.fracCount) {
    char *p = out;
    for (int i = 0; i < r.fracCount; ++i) *p++ = r.d[i] == 10 ? kFracSep : static_cast<char>('0' + r.d[i]);
    *p = 0;
    *sign = r.sign;
    return 2;
  }
  const int e = r.exponent;
  if (eng || shifted) {
    // A shown exponent that leaves no room for the mantissa (one kept from
    // another value) gives way to the part's own engineering exponent.
    if (E > e + 9 || E < e - 9) E = e - (((e % 3) + 3) % 3);
    int digits = 10;
    if (E > e) digits = 10 - (E - e);
    if (!eng && s.mode == kNumSci) {
      digits = s.n == 0 ? 10 : s.n;
      if (e - E > digits - 1) digits += (e - E) - (digits - 1);
      if (digits + (E - e) > 10) digits = 10 - (E - e);
    }
    if (digits < 1) digits = 1;
    if (digits > 15) digits = 15;
    *sign = WriteMantissa(out, r, e - E, digits, 1);
    if (eng && E >= -15 && E <= 18) {
      Put(out + std::strlen(out), *sign == 0 ? " " : EngPrefix(E));
      return 0;
    }
    const int shown = eng ? E - (((E % 3) + 3) % 3) : E;
    NumWriteExponent(out + std::strlen(out), shown, 1, 0);
    return 1;
  }
  switch (s.mode) {
    case kNumFix:
      if (e <= 9) {
        int digits;
        if (e >= 0) {
          digits = e + s.n + 1;
          if (digits > 10) digits = 10;
        } else {
          digits = s.n >= -e ? s.n + 1 + e : s.n + 1;
        }
        *sign = NumWriteDigits(out, &r, digits, 2);
        return 0;
      }
      break;
    case kNumSci:
      *sign = WriteMantissa(out, r, 0, s.n == 0 ? 10 : s.n, 0);
      NumWriteExponent(out + std::strlen(out), e, 1, 0);
      return 1;
    case kNumNorm2:
      if (e >= -9 && e <= 9) {
        *sign = NumWriteDigits(out, &r, 10, 1);
        return 0;
      }
      break;
    default:
      if (e >= -2 && e <= 9) {
        *sign = NumWriteDigits(out, &r, 10, 1);
        return 0;
      }
      break;
  }
  *sign = WriteMantissa(out, r, 0, 10, 1);
  NumWriteExponent(out + std::strlen(out), e, 1, 0);
  return 1;
}

// The mode formatters on a value already rounded: Norm, Fix, Sci, Eng and
// the polar forms. state is item 61 as it stood when formatting began.
char *FormatFamily(Value *v, char *out, const DisplaySettings &s, int eng, int polar) {
  const u8 state = SetupGetItem(kSetupDisplayState);
  const int converted = (state & kNumStateFracMask) != 0 || (state & kNumStateShiftMask) == kNumShiftActive;
  NumApplyFracResult(v);
  const int shifted = ShiftActive() && !polar;
  const int complex = (v->re.b[0] & 0x80) != 0;
  char re[kNumTextSize], im[kNumTextSize];
  int reSign = 0, imSign = 0;
  if (FormatPart(re, &v->re, s, eng, shifted, NumGetEngExpRe(), &reSign) < 0) return WriteError(out);
  im[0] = 0;
  if (complex && FormatPart(im, &v->im, s, eng, shifted, NumGetEngExpIm(), &imSign) < 0)
    return WriteError(out);
  if (polar) return NumJoinPolar(out, reSign, re, complex ? imSign : 0, im, converted ? 0 : 21);
  // Fix, Sci and Eng show zero parts; so does a converted result.
  const int showZeros = eng || s.mode == kNumFix || s.mode == kNumSci;
  if (reSign == 0 && (showZeros || converted)) reSign = 1;
  if (complex && imSign == 0 && showZeros) imSign = 1;
  const int unitRule = !eng && s.mode != kNumSci;
  const int lineRule = (eng || converted) ? 0 : 21;
  return NumJoinRect(out, reSign, re, imSign, im, unitRule, lineRule);
}

void RoundByMode(Value *v, const DisplaySettings &s, int norm2) {
  switch (s.mode) {
    case kNumFix:
      NumRoundFix(v, s.n);
      break;
    case kNumSci:
      NumRoundSci(v, s.n);
      break;
    default:
      NumRoundNorm(v, norm2);
      break;
  }
}

int IsScalarOrError(const Value *v) { return ValKind(v) == kValKindScalar; }

}  // namespace

int NumDecompose(NumDigits *rec, const BcdReal *x) {
  // The complex flag is ignored; what is left is read as every other reader
  // of the stored form reads it, so a malformed real shows no number.
  if ((x->b[0] >> 4) == 0xF) return 0;  // an error value
  BcdReal y;
  std::memcpy(y.b, x->b, 9);
  y.b[0] &= 0x7F;
  if (!RealIsWellFormed(&y)) return 0;
  const u8 s = y.b[0] >> 4;
  std::memset(rec->d, 0, sizeof rec->d);
  if ((y.b[0] & 0x0F) == 0x0A) {
    rec->exponent = 100;
    rec->sign = s == 1 ? 1 : -1;
    rec->fracCount = (y.b[1] >> 4) + 1;
    for (int i = 0; i < rec->fracCount; ++i) rec->d[i] = Nib(&y, 3 + i);
    return 1;
  }
  rec->fracCount = 0;
  if (Nib(&y, 3) == 0) {
    rec->exponent = 0;
    rec->sign = 1;
    return 1;
  }
  int e = 10 * (y.b[0] & 0x0F) + (y.b[1] >> 4);
  if (s == 0 || s == 5) e -= 100;
  rec->exponent = e;
  rec->sign = (s == 5 || s == 6) ? -1 : 1;
  for (int i = 0; i < 15; ++i) rec->d[i] = Nib(&y, 3 + i);
  return 1;
}

int NumWriteDigits(char *out, const NumDigits *rec, int n, int mode) {
  if (n < 1) n = 1;
  if (n > 15) n = 15;
  char *p = out;
  int last = n - 1;
  while (last >= 0 && rec->d[last] == 0) --last;
  if (last < 0) {
    *p++ = '0';
    if (!(mode & 1) && n > 1) {
      *p++ = '.';
      for (int i = 1; i < n; ++i) *p++ = '0';
    } else if (n == 1 && (mode & 2)) {
      *p++ = '.';
    }
    *p = 0;
    return 0;
  }
  const int e = rec->exponent;
  if (e >= 0 && e < n) {
    int count = n;
    if (mode & 1) count = last + 1 > e + 1 ? last + 1 : e + 1;
    for (int i = 0; i < count; ++i) {
      *p++ = static_cast<char>('0' + rec->d[i]);
      if (i == e && (i + 1 < count || (mode & 2))) *p++ = '.';
    }
  } else if (e < 0) {
    const int count = (mode & 1) ? last + 1 : n;
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -e - 1; ++i) *p++ = '0';
    for (int i = 0; i < count; ++i) *p++ = static_cast<char>('0' + rec->d[i]);
  } else {
    for (int i = 0; i <= e; ++i) *p++ = i < n ? static_cast<char>('0' + rec->d[i]) : '0';
    if (mode & 2) *p++ = '.';
  }
  *p = 0;
  return rec->sign;
}

int NumWriteExponent(char *out, int e, int plus, int shortForm) {
  char *p = out;
  *p++ = kExpMark;
  if (e < 0) {
    *p++ = kNeg;
  } else if (plus) {
    *p++ = '+';
  }
  const int a = e < 0 ? -e : e;
  if (!(shortForm && a < 10)) *p++ = static_cast<char>('0' + (a / 10) % 10);
  *p++ = static_cast<char>('0' + a % 10);
  *p = 0;
  return static_cast<int>(p - out);
}

void NumRoundPart(BcdReal *part, int mode, int n) {
  NumDigits r;
  if ((part->b[0] & 0x0F) == 0x0A || !NumDecompose(&r, part)) return;
  int zero = 1;
  for (u8 d : r.d) zero &= d == 0;
  if (zero) return;
  int cutOnly = 0;
  int k = RoundCount(mode, n, r.exponent, &cutOnly);
  if (mode == kNumFix && k < 1) {
    ClearPart(part);
    return;
  }
  const int pos = 1 - k + r.exponent;
  if (!cutOnly && pos >= -109 && pos <= 99) {
    const u8 flag = part->b[0] & 0x80;
    BcdReal plain = *part, rounded;
    plain.b[0] &= 0x7F;
    RealRoundDigits(&plain, &rounded, k);
    if (!RealErrorCode(&rounded)) {
      std::memcpy(part->b, rounded.b, 9);
      part->b[0] = static_cast<u8>(part->b[0] | flag);
      if (!NumDecompose(&r, part)) return;
      k = RoundCount(mode, n, r.exponent, &cutOnly);
    }
  }
  int any = 0;
  for (int i = 0; i < 15; ++i) {
    if (i >= k - 1) SetNib(part, 3 + i, 0);
    any |= Nib(part, 3 + i);
  }
  if (!any) ClearPart(part);
}

static int RoundBoth(Value *v, int mode, int n) {
  NumRoundPart(&v->re, mode, n);
  if (v->re.b[0] & 0x80) NumRoundPart(&v->im, mode, n);
  return 1;
}

int NumRoundNorm(Value *v, int norm2) { return RoundBoth(v, norm2 ? kNumNorm2 : kNumNorm1, 0); }
int NumRoundFix(Value *v, int n) { return RoundBoth(v, kNumFix, n); }
int NumRoundSci(Value *v, int n) { return RoundBoth(v, kNumSci, n); }

int NumTextChars(const char *text) {
  int n = 0;
  for (int i = 0; text[i];) {
    i += (IsLead(static_cast<u8>(text[i])) && text[i + 1]) ? 2 : 1;
    ++n;
  }
  return n;
}

char *NumAlignRight(char *out, const char *text, int width) {
  if (width > kNumTextSize - 1) width = kNumTextSize - 1;
  const int chars = NumTextChars(text);
  char buf[kNumTextSize * 2];
  char *p = buf;
  for (int i = chars; i < width; ++i) *p++ = ' ';
  const int bytes = CharBytes(text, width);
  std::memcpy(p, text, static_cast<size_t>(bytes));
  p[bytes] = 0;
  std::strcpy(out, buf);
  return out;
}

char *NumPadRight(char *out, const char *text, int width) {
  if (width > kNumTextSize - 1) width = kNumTextSize - 1;
  const int chars = NumTextChars(text);
  char buf[kNumTextSize * 2];
  const int bytes = CharBytes(text, width);
  std::memcpy(buf, text, static_cast<size_t>(bytes));
  char *p = buf + bytes;
  for (int i = chars; i < width; ++i) *p++ = ' ';
  *p = 0;
  std::strcpy(out, buf);
  return out;
}

// The joiners write into an output of kNumTextSize bytes: every write is
// bounded by it, whatever the part texts hold.
namespace {

struct Joined {
  char *out;
  int len;
  void Add(char c) {
    if (len < kNumTextSize - 1) out[len++] = c;
    out[len] = 0;
  }
  void Add(const char *s) {
    while (*s) Add(*s++);
  }
};

}  // namespace

// Places a 0x0D between the parts at split when the line rule asks for it.
static char *ApplyLineRule(char *out, int split, int lineRule) {
  if (split < 0 || lineRule == -1) return out;
  if (lineRule != 0 && NumTextChars(out) < 21) return out;
  size_t len = std::strlen(out);
  if (len + 1 > static_cast<size_t>(kNumTextSize - 1)) {
    len = kNumTextSize - 2;
    out[len] = 0;
  }
  if (static_cast<size_t>(split) > len) return out;
  std::memmove(out + split + 1, out + split, len - static_cast<size_t>(split) + 1);
  out[split] = kLineBreak;
  return out;
}

char *NumJoinRect(char *out, int reSign, const char *re, int imSign, const char *im, int unitRule,
                  int lineRule) {
  Joined j{out, 0};
  out[0] = 0;
  const int realWritten = !(reSign == 0 && imSign != 0);
  if (realWritten) {
    if (reSign < 0) j.Add(kNeg);
    j.Add(re);
  }
  if (imSign == 0) return out;
  const int split = realWritten ? j.len : -1;
  if (realWritten) {
    j.Add(imSign < 0 ? '-' : '+');
  } else if (imSign < 0) {
    j.Add(kNeg);
  }
  if (!(unitRule && std::strcmp(im, "1") == 0)) j.Add(im);
  j.Add("\x7F\x50");
  return ApplyLineRule(out, split, lineRule);
}

char *NumJoinPolar(char *out, int rSign, const char *r, int thetaSign, const char *theta, int lineRule) {
  Joined j{out, 0};
  out[0] = 0;
  if (rSign < 0) j.Add(kNeg);
  j.Add(r);
  if (rSign == 0 || thetaSign == 0) return out;
  const int split = j.len;
  j.Add("\x7F\x54");
  if (thetaSign < 0) j.Add(kNeg);
  j.Add(theta);
  return ApplyLineRule(out, split, lineRule);
}

int NumToPolarParts(Value *v) {
  const int complex = (v->re.b[0] & 0x80) != 0;
  const u8 signNib = v->re.b[0] >> 4;
  if (!complex && !RealIsFrac(&v->re) && signNib != 5 && signNib != 6 && RealIsInteger(&v->re) == 1) {
    RealSetZero(&v->im);
    v->re.b[0] |= 0x80;
    return 1;
  }
  Value r, theta;
  ValAbs(v, &r);
  ValArg(v, &theta, SetupGetAngle());
  if (ValErrorCode(&r) || ValErrorCode(&theta)) return 0;
  v->re = r.re;
  v->re.b[0] &= 0x7F;
  v->im = theta.re;
  v->im.b[0] &= 0x7F;
  v->re.b[0] |= 0x80;
  return 1;
}

char *NumFormatConverted(Value *v, char *out, int polar) {
  const DisplaySettings s = ReadSettings();
  RoundByMode(v, s, s.mode == kNumNorm2);
  NumSetEngExponents(v, s.eng && !polar);
  return FormatFamily(v, out, s, s.eng && !polar, polar);
}

char *NumToText(const Value *v, char *out) {
  const u16 option = kNumOptNormal;
  return NumToTextOpt(v, out, &option);
}

char *NumToTextOpt(const Value *v, char *out, const u16 *option) {
  const int opt = option ? *option : 0;
  SetupSetItem(kSetupDisplayState, 0);
  NumSetEngExpRe(0);
  NumSetEngExpIm(0);
  const DisplaySettings s = ReadSettings();
  if (!IsScalarOrError(v)) return WriteError(out);
  if (s.base) return NumFormatBaseN(v, out, opt);
  if (opt == kNumOptDms) return NumFormatDms(v, out);
  Value w = *v;
  if (s.eng) ValFracToDecimal(&w, &w);
  if (ValErrorCode(&w)) return WriteError(out);
  const int wantPolar = opt == kNumOptPolar || (opt != kNumOptRect && s.complexMode == 2);
  const int polar = wantPolar && NumToPolarParts(&w);
  const int eng = s.eng && !polar;
  RoundByMode(&w, s, s.mode == kNumNorm2 && !eng);
  if (polar) {
    SetupSetItem(kSetupDisplayState, SetupGetItem(kSetupDisplayState) & ~kNumStateShiftMask);
  } else {
    NumSetEngExponents(&w, eng);
  }
  return FormatFamily(&w, out, s, eng, polar);
}

char *NumFormatBaseN(const Value *v, char *out, int option) {
  int base;
  switch (option) {
    case kNumOptDecimal:
      base = 10;
      break;
    case kNumOptHex:
      base = 16;
      break;
    case kNumOptBinary:
      base = 2;
      break;
    case kNumOptOctal:
      base = 8;
      break;
    default:
      base = SetupGetItem(kSetupMode) + 1;
      break;
  }
  if (!IsScalarOrError(v)) return WriteError(out);
  if (ValErrorCode(v)) return WriteError(out);
  BasenBits bits;
  const int narrow = base == 2;
  BcdReal x = v->re;
  x.b[0] &= 0x7F;
  if ((v->re.b[0] & 0x80) || !RealToBits(&x, bits, narrow)) return WriteError(out, "Ma ERROR");
  char *p = out;
  if (base == 10) {
    BcdReal i;
    RealFromBits(bits, &i, narrow);
    NumDigits r;
    if (!NumDecompose(&r, &i)) return WriteError(out, "Ma ERROR");
    char digits[kNumTextSize];
    if (NumWriteDigits(digits, &r, 10, 1) < 0) *p++ = kNeg;
    Put(p, digits);
    return out;
  }
  const int width = base == 2 ? 16 : 32;
  const int step = base == 2 ? 1 : base == 8 ? 3 : 4;
  const int count = base == 2 ? 16 : base == 8 ? 11 : 8;
  for (int c = count - 1; c >= 0; --c) {
    int d = 0;
    for (int b = step - 1; b >= 0; --b) {
      const int bit = c * step + b;
      d = d * 2 + (bit < width ? static_cast<int>(bits[bit] & 1) : 0);
    }
    *p++ = static_cast<char>(d < 10 ? '0' + d : 0x1A + d - 10);
  }
  *p = 0;
  return out;
}

// ---- cells ----

namespace {

// Formats one part under the budget rule of the cells. counted: the sign is
// part of the budget; budget 6 or 10 (10 uses '+' and two exponent digits).
// Plain notation stops one exponent earlier (5 in place of 6) for a negative
// part, except the uncounted imaginary part of a 6-budget cell, whose joining
// '-' stands outside its budget.
int FormatBudget(char *out, const BcdReal *part, int budget, int counted, int *sign) {
  out[0] = 0;
  *sign = 0;
  NumDigits r;
  if (!NumDecompose(&r, part) || r.fracCount) return -1;
  int zero = 1;
  for (u8 d : r.d) zero &= d == 0;
  const int e = zero ? 0 : r.exponent;
  const int neg = !zero && r.sign < 0;
  const int signChars = counted && neg ? 1 : 0;
  const int limit = neg && (counted || budget == 10) ? 5 : 6;
  if (e >= -2 && e < limit) {
    int digits = budget - signChars - (e >= 0 ? 1 : 1 - e);
    if (budget == 6 && e == limit - 1) digits = limit;
    if (digits < 1) digits = 1;
    *sign = NumWriteDigits(out, &r, digits, 1);
    return 0;
  }
  const int wide = budget == 10;
  char exp[8];
  const int expLen = NumWriteExponent(exp, e, wide, !wide);
  int digits = budget - (expLen + 1 + signChars);
  if (digits < 1) digits = 1;
  *sign = WriteMantissa(out, r, 0, digits, 1);
  std::strcat(out, exp);
  return 1;
}

// Copy of v with fractions made decimal; 0 when it cannot be formatted.
int CellValue(const Value *v, Value *w, int round) {
  if (!IsScalarOrError(v)) return 0;
  ValFracToDecimal(v, w);
  if (ValErrorCode(w)) return 0;
  if (round) NumRoundNorm(w, 0);
  return 1;
}

char *CellRect(const Value *v, char *out, int budget, int imCounted) {
  Value w;
  if (!CellValue(v, &w, budget == 6)) return nullptr;
  char re[kNumTextSize], im[kNumTextSize];
  int reSign = 0, imSign = 0;
  if (FormatBudget(re, &w.re, budget, 1, &reSign) < 0) return nullptr;
  im[0] = 0;
  if ((w.re.b[0] & 0x80) && FormatBudget(im, &w.im, budget, imCounted, &imSign) < 0) return nullptr;
  return NumJoinRect(out, reSign, re, imSign, im, 1, -1);
}

char *CellPolar(const Value *v, char *out, int budget) {
  Value w;
  if (!CellValue(v, &w, budget == 6)) return nullptr;
  if (!NumToPolarParts(&w)) return nullptr;
  char r[kNumTextSize], t[kNumTextSize];
  int rSign = 0, tSign = 0;
  if (FormatBudget(r, &w.re, budget, 1, &rSign) < 0 || FormatBudget(t, &w.im, budget, 1, &tSign) < 0)
    return nullptr;
  return NumJoinPolar(out, rSign, r, tSign, t, -1);
}

char *Cut6(char *out, const char *text) {
  if (NumTextChars(text) > 6) {
    char buf[kNumTextSize];
    const int bytes = CharBytes(text, 5);
    std::memcpy(buf, text, static_cast<size_t>(bytes));
    buf[bytes] = '>';
    buf[bytes + 1] = 0;
    return std::strcpy(out, buf);
  }
  return NumAlignRight(out, text, 6);
}

}  // namespace

char *NumFormatCell6(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellRect(v, text, 6, 1)) Put(text, "ERROR");
  return Cut6(out, text);
}

char *NumFormatCell6Polar(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellPolar(v, text, 6)) return NumFormatCell6(v, out);
  return Cut6(out, text);
}

char *NumFormatCell13(const Value *v, char *out) {
  Value w;
  char text[kNumTextSize];
  NumDigits r;
  if (!CellValue(v, &w, 1) || (w.re.b[0] & 0x80) || !NumDecompose(&r, &w.re))
    return NumAlignRight(out, "ERROR", 13);
  int zero = 1;
  for (u8 d : r.d) zero &= d == 0;
  const int e = zero ? 0 : r.exponent;
  char *p = text;
  if (!zero && r.sign < 0) *p++ = kNeg;
  if (e >= -2 && e <= 9) {
    NumWriteDigits(p, &r, e >= 0 ? 10 : e + 11, 1);
  } else {
    char exp[8];
    const int expLen = NumWriteExponent(exp, e, 0, 1);
    WriteMantissa(p, r, 0, 13 - (expLen + 1 + (r.sign < 0 ? 1 : 0)), 1);
    std::strcat(p, exp);
  }
  return NumAlignRight(out, text, 13);
}

char *NumFormatCell14(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellRect(v, text, 6, 0)) Put(text, "ERROR");
  return NumAlignRight(out, text, 14);
}

char *NumFormatCell14Polar(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellPolar(v, text, 6)) return NumFormatCell14(v, out);
  return NumAlignRight(out, text, 14);
}

char *NumFormatCell10(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellRect(v, text, 10, 0)) Put(text, "ERROR");
  return NumPadRight(out, text, ValIsComplex(v) == 1 ? 14 : 10);
}

char *NumFormatCell10Polar(const Value *v, char *out) {
  char text[kNumTextSize];
  if (!CellPolar(v, text, 10)) return NumFormatCell10(v, out);
  return NumPadRight(out, text, ValIsComplex(v) == 1 ? 13 : 10);
}

// ---- shown exponents ----

static i16 GetWord(u8 n) {
  const u8 *p = SetupItemAddress(n);
  return static_cast<i16>(static_cast<u16>((p[0] << 8) | p[1]));
}

static void SetWord(u8 n, i16 e) {
  u8 *p = SetupItemAddress(n);
  p[0] = static_cast<u8>(static_cast<u16>(e) >> 8);
  p[1] = static_cast<u8>(static_cast<u16>(e) & 0xFF);
}

i16 NumGetEngExpRe() { return GetWord(kSetupEngShown); }
i16 NumGetEngExpIm() { return GetWord(kSetupEngShown2); }
void NumSetEngExpRe(i16 e) { SetWord(kSetupEngShown, e); }
void NumSetEngExpIm(i16 e) { SetWord(kSetupEngShown2, e); }
