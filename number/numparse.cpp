// Number parsing, the fraction builder, input text and integer conversions.
// The fraction builder works on exact machine integers: every part of a
// fraction that fits the 10-nibble form is far below 10^18, and the decimal
// fall-back is the correctly rounded quotient.
#include "number/numparse.h"

#include <cstring>
#include <initializer_list>

#include "number/realop.h"

namespace {

using u128 = unsigned __int128;

constexpr u64 kTen18 = 1000000000000000000ull;

u8 Nibble(const BcdReal *x, int n) {
  const u8 b = x->b[n / 2];
  return (n & 1) ? (b & 0x0F) : (b >> 4);
}

void SetNibble(BcdReal *x, int n, u8 v) {
  u8 &b = x->b[n / 2];
  b = (n & 1) ? static_cast<u8>((b & 0xF0) | v) : static_cast<u8>((b & 0x0F) | (v << 4));
}

void ClearBytes0To8(BcdReal *x) { std::memset(x->b, 0, 9); }

void SetErrorBytes(BcdReal *x, u8 code) {
  ClearBytes0To8(x);
  x->b[0] = 0xF0;
  x->b[1] = code;
}

int DigitCount(u64 v) {
  int n = 1;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}


// Negates a number or fraction in place by its sign nibble (zero stays).
void FlipSign(BcdReal *x) {
  if ((x->b[0] >> 4) == 0xF) return;
  if ((x->b[0] & 0x0F) == 0x0A) {
    x->b[0] = (x->b[0] == 0x6A || x->b[0] == 0x5A) ? 0x1A : 0x6A;
    return;
  }
  if ((x->b[1] & 0x0F) == 0) return;
  static const u8 kFlip[16] = {5, 6, 2, 3, 4, 0, 1, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  x->b[0] = static_cast<u8>((kFlip[x->b[0] >> 4] << 4) | (x->b[0] & 0x0F));
}

bool IsError(const BcdReal *x) { return (x->b[0] >> 4) == 0xF; }
bool IsFrac(const BcdReal *x) { return (x->b[0] & 0x0F) == 0x0A && !IsError(x); }

// True when a decimal number has no non-zero digit after the point.
bool DecimalIsInteger(const NumDecimal &d) {
  if (d.d[0] == 0) return true;
  if (d.exp < 0) return false;
  for (int i = d.exp + 1; i < 15; ++i)
    if (d.d[i] != 0) return false;
  return true;
}

// Adds one unit in the fifteenth digit, carrying into the exponent.
void RoundUpLastDigit(NumDecimal *d) {
  int i = 14;
  while (i >= 0 && d->d[i] == 9) d->d[i--] = 0;
  if (i < 0) {
    d->d[0] = 1;
    ++d->exp;
  } else {
    ++d->d[i];
  }
}

// The fields of a fraction's digit string: whole, numerator, denominator
// (whole 0 for a two-field fraction).
void FracFields(const BcdReal *x, u64 *w, u64 *n, u64 *d) {
  u64 field[3] = {0, 0, 0};
  int fields = 0;
  const int count = (x->b[1] >> 4) + 1;
  for (int i = 0; i < count && i < 10; ++i) {
    const u8 v = Nibble(x, 3 + i);
    if (v == 0x0A) {
      if (fields < 2) ++fields;
    } else {
      field[fields] = field[fields] * 10 + v;
    }
  }
  if (fields == 2) {
    *w = field[0];
    *n = field[1];
    *d = field[2];
  } else {
    *w = 0;
    *n = field[0];
    *d = field[1];
  }
}

}  // namespace

int NumGetDecimal(const BcdReal *x, NumDecimal *out) {
  const u8 s = x->b[0] >> 4;
  out->sign = (s == 5 || s == 6) ? -1 : 1;
  for (int i = 0; i < 15; ++i) out->d[i] = Nibble(x, i + 3);
  if (out->d[0] == 0) {
    out->sign = 1;
    out->exp = 0;
    std::memset(out->d, 0, 15);
    return 0;
  }
  int e = (x->b[0] & 0x0F) * 10 + (x->b[1] >> 4);
  if (s == 0 || s == 5) e -= 100;
  out->exp = e;
  return 1;
}

BcdReal *NumSetDecimal(const NumDecimal *in, BcdReal *out) {
  if (in->d[0] == 0 || in->exp < -99) {
    ClearBytes0To8(out);
    return out;
  }
  if (in->exp > 99) {
    SetErrorBytes(out, 3);
    return out;
  }
  const bool neg = in->sign < 0;
  const int e = in->exp;
  const u8 s = e >= 0 ? (neg ? 6 : 1) : (neg ? 5 : 0);
  const int stored = e >= 0 ? e : 100 + e;
  ClearBytes0To8(out);
  out->b[0] = static_cast<u8>(s << 4 | stored / 10);
  out->b[1] = static_cast<u8>((stored % 10) << 4);
  for (int i = 0; i < 15; ++i) SetNibble(out, i + 3, in->d[i]);
  return out;
}

BcdReal *NumParse(const char *text, BcdReal *out) {
  for (const char *p = text; *p; ++p)
    if (*p == 'a' || *p == 'A') return NumFracFromText(text, out);

  NumDecimal d{};
  d.sign = 1;
  int count = 0;         // significant digits seen (kept or dropped)
  int beforePoint = 0;   // significant digits before the point
  int zerosAfter = 0;    // zeros between the point and the first significant digit
  bool point = false;
  const char *p = text;
  for (; *p && *p != 'e' && *p != 'E'; ++p) {
    const char c = *p;
    if (c == '-') {
      d.sign = -d.sign;
    } else if (c == '.') {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (count == 0 && c == '0') {
        if (point) ++zerosAfter;
        continue;
      }
      if (count < 15) d.d[count] = static_cast<u8>(c - '0');
      ++count;
      if (!point) ++beforePoint;
    }
  }
  i32 expPart = 0;
  bool expNeg = false;
  if (*p) {
    for (++p; *p; ++p) {
      if (*p == '-') expNeg = true;
      else if (*p >= '0' && *p <= '9' && expPart < 100000) expPart = expPart * 10 + (*p - '0');
    }
  }
  if (expNeg) expPart = -expPart;
  if (count == 0) {
    ClearBytes0To8(out);
    return out;
  }
  d.exp = expPart + beforePoint - 1 - zerosAfter;
  return NumSetDecimal(&d, out);
}

BcdReal *NumFromU64(u64 v, BcdReal *out) {
  NumDecimal d{};
  d.sign = 1;
  if (v == 0) return NumSetDecimal(&d, out);
  u8 all[20];
  int n = 0;
  for (u64 t = v; t != 0; t /= 10) all[n++] = static_cast<u8>(t % 10);
  // all[] holds the digits least significant first.
  d.exp = n - 1;
  for (int i = 0; i < 15; ++i) d.d[i] = (n - 1 - i >= 0) ? all[n - 1 - i] : 0;
  if (n > 15 && all[n - 16] >= 5) RoundUpLastDigit(&d);
  return NumSetDecimal(&d, out);
}

BcdReal *NumFromRatio(i32 sign, u128 n, u128 den, BcdReal *out) {
  NumDecimal d{};
  d.sign = sign < 0 ? -1 : 1;
  if (n == 0 || den == 0) return NumSetDecimal(&d, out);
  // Integer part digits first, then the fraction digits by long division;
  // sixteen significant digits decide the half-up rounding.
  u128 q = n / den;
  u128 r = n % den;
  u8 digits[16];
  int got = 0;
  int exp = -1;
  if (q != 0) {
    u8 qd[40];
    int qn = 0;
    for (u128 t = q; t != 0; t /= 10) qd[qn++] = static_cast<u8>(t % 10);
    exp = qn - 1;
    for (int i = qn - 1; i >= 0 && got < 16; --i) digits[got++] = qd[i];
    // Digits of q beyond the sixteenth only matter as "more than half".
  } else {
    // Leading zeros after the point.
    while (true) {
      r *= 10;
      const u128 dg = r / den;
      r %= den;
      if (dg != 0) {
        digits[got++] = static_cast<u8>(dg);
        break;
      }
      --exp;
    }
  }
  while (got < 16) {
    r *= 10;
    digits[got++] = static_cast<u8>(r / den);
    r %= den;
  }
  d.exp = exp;
  for (int i = 0; i < 15; ++i) d.d[i] = digits[i];
  if (digits[15] >= 5) RoundUpLastDigit(&d);
  return NumSetDecimal(&d, out);
}

int NumToU64(const BcdReal *x, u64 *out) {
  if (IsError(x) || IsFrac(x)) return 0;
  NumDecimal d;
  if (!NumGetDecimal(x, &d)) {
    *out = 0;
    return 1;
  }
  if (d.sign < 0 || d.exp > 17 || !DecimalIsInteger(d)) return 0;
  u64 v = 0;
  for (int i = 0; i <= d.exp; ++i) v = v * 10 + (i < 15 ? d.d[i] : 0);
  *out = v;
  return 1;
}

int NumToRatio(const BcdReal *x, i32 *sign, u64 *n, u64 *den) {
  if (IsError(x)) return 0;
  if (IsFrac(x)) {
    u64 w, a, b;
    FracFields(x, &w, &a, &b);
    if (b == 0) return 0;
    const u128 big = static_cast<u128>(w) * b + a;
    if (big >= kTen18) return 0;
    const u8 s = x->b[0] >> 4;
    *sign = (s == 5 || s == 6) ? -1 : 1;
    *n = static_cast<u64>(big);
    *den = b;
    return 1;
  }
  NumDecimal d;
  if (!NumGetDecimal(x, &d)) {
    *sign = 1;
    *n = 0;
    *den = 1;
    return 1;
  }
  int last = 14;
  while (d.d[last] == 0) --last;
  // value = (d1..d_last) x 10^(exp - last)
  u64 m = 0;
  for (int i = 0; i <= last; ++i) m = m * 10 + d.d[i];
  int scale = d.exp - last;
  u64 dd = 1;
  while (scale > 0) {
    if (m >= kTen18 / 10) return 0;
    m *= 10;
    --scale;
  }
  while (scale < 0) {
    if (dd >= kTen18 / 10) return 0;
    dd *= 10;
    ++scale;
  }
  const u64 g = NumGcd(m, dd);
  *sign = d.sign;
  *n = m / g;
  *den = dd / g;
  return 1;
}

BcdReal *NumFromInt16(i16 n, BcdReal *out) { return NumFromInt32(n, out); }

BcdReal *NumFromInt32(i32 n, BcdReal *out) {
  const i64 v = n;
  NumFromU64(static_cast<u64>(v < 0 ? -v : v), out);
  if (v < 0) FlipSign(out);
  return out;
}

namespace {

// Integer part of x toward zero, saturated to [lo, hi]; 0 for an error.
i64 IntegerPartSaturated(const BcdReal *x, i64 lo, i64 hi) {
  if (IsError(x)) return 0;
  i64 mag = 0;
  i32 sign = 1;
  if (IsFrac(x)) {
    NumFracParts p;
    NumFracUnpack(x, &p);
    sign = p.sign;
    u64 w;
    if (!NumToU64(&p.whole, &w)) w = static_cast<u64>(hi) + 1;
    mag = w > static_cast<u64>(hi) + 1 ? hi + 1 : static_cast<i64>(w);
  } else {
    NumDecimal d;
    if (!NumGetDecimal(x, &d)) return 0;
    sign = d.sign;
    if (d.exp > 11) {
      mag = hi + 1;  // far beyond every range asked for
    } else {
      for (int i = 0; i <= d.exp; ++i) mag = mag * 10 + (i < 15 ? d.d[i] : 0);
    }
  }
  const i64 v = sign < 0 ? -mag : mag;
  if (v < lo) return lo;
  if (v > hi) return hi;
  return v;
}

}  // namespace

i32 NumToInt16(const BcdReal *x) { return static_cast<i32>(IntegerPartSaturated(x, -32768, 32767)); }

i32 NumToInt32(const BcdReal *x) {
  return static_cast<i32>(IntegerPartSaturated(x, -2147483647ll - 1, 2147483647ll));
}

// ---- input text ----

namespace {

// Appends the text of x without a terminator; returns the new end.
u8 *AppendReal(const BcdReal *x, u8 *o) {
  if (IsFrac(x)) {
    if ((x->b[0] >> 4) == 5 || (x->b[0] >> 4) == 6) *o++ = 0x87;
    const int n = (x->b[1] >> 4) + 1;
    for (int i = 0; i < n && i < 10; ++i) {
      const u8 v = Nibble(x, 3 + i);
      *o++ = v == 0x0A ? 0xBB : static_cast<u8>('0' + v);
    }
    return o;
  }
  NumDecimal d;
  NumGetDecimal(x, &d);
  if (d.sign < 0) *o++ = 0x87;
  int last = 14;
  while (last > 0 && d.d[last] == 0) --last;
  const int e = d.exp;
  if (e == -1 || e == -2) {
    *o++ = '0';
    *o++ = '.';
    if (e == -2) *o++ = '0';
    for (int i = 0; i <= last; ++i) *o++ = static_cast<u8>('0' + d.d[i]);
  } else if (e >= 0 && e <= 9) {
    for (int i = 0; i <= e; ++i) *o++ = static_cast<u8>('0' + (i <= 14 ? d.d[i] : 0));
    if (last > e) {
      *o++ = '.';
      for (int i = e + 1; i <= last; ++i) *o++ = static_cast<u8>('0' + d.d[i]);
    }
  } else {
    *o++ = static_cast<u8>('0' + d.d[0]);
    *o++ = '.';
    for (int i = 1; i <= last; ++i) *o++ = static_cast<u8>('0' + d.d[i]);
    *o++ = 0x0F;
    *o++ = e < 0 ? 0x87 : 0x89;
    const int a = e < 0 ? -e : e;
    *o++ = static_cast<u8>('0' + a / 10);
    *o++ = static_cast<u8>('0' + a % 10);
  }
  return o;
}

bool IsZeroReal(const BcdReal *x) { return !IsFrac(x) && (x->b[1] & 0x0F) == 0; }

}  // namespace

u8 *NumRealToTokens(const BcdReal *x, u8 out[22]) {
  std::memset(out, 0, 22);
  if (IsError(x)) return out;
  AppendReal(x, out);
  return out;
}

u8 *NumToTokens(const Value *v, u8 out[45]) {
  std::memset(out, 0, 45);
  if (IsError(&v->re)) return out;
  if (!(v->re.b[0] & 0x80)) {
    AppendReal(&v->re, out);
    return out;
  }
  BcdReal re = v->re;
  re.b[0] &= 0x7F;
  BcdReal im = v->im;
  u8 *o = out;
  const bool wroteReal = !IsZeroReal(&re);
  if (wroteReal) o = AppendReal(&re, o);
  const u8 s = im.b[0] >> 4;
  const bool neg = s == 5 || s == 6;
  if (neg) {
    *o++ = 0x99;
    FlipSign(&im);
  } else if (wroteReal) {
    *o++ = 0x89;
  }
  const bool isOne = !IsFrac(&im) && im.b[0] == 0x10 && im.b[1] == 0x01 &&
                     std::memcmp(im.b + 2, "\0\0\0\0\0\0\0", 7) == 0;
  if (!isOne) o = AppendReal(&im, o);
  *o++ = 0x7F;
  *o++ = 0x50;
  return out;
}

// ---- fractions ----

void NumFracUnpack(const BcdReal *x, NumFracParts *out) {
  if (IsFrac(x)) {
    const u8 s = x->b[0] >> 4;
    out->sign = (s == 5 || s == 6) ? -1 : 1;
    u64 w, n, d;
    FracFields(x, &w, &n, &d);
    NumFromU64(w, RealSetZero(&out->whole));
    NumFromU64(n, RealSetZero(&out->num));
    NumFromU64(d, RealSetZero(&out->den));
    return;
  }
  NumDecimal d;
  if (!IsError(x)) {
    const int nz = NumGetDecimal(x, &d);
    if (!nz || DecimalIsInteger(d)) {
      out->sign = d.sign;
      std::memset(&out->whole, 0, 12);
      std::memcpy(out->whole.b, x->b, 9);
      if (d.sign < 0) FlipSign(&out->whole);
      RealSetZero(&out->num);
      NumFromU64(1, RealSetZero(&out->den));
      return;
    }
  }
  out->sign = 1;
  for (BcdReal *p : {&out->whole, &out->num, &out->den}) {
    RealSetZero(p);
    SetErrorBytes(p, 3);
  }
}

void NumFracSplitText(const char *text, NumFracParts *out) {
  char field[3][64];
  int fields = 0, len = 0;
  bool tooMany = false;
  for (const char *p = text;; ++p) {
    if (*p == 'a' || *p == 'A' || *p == '\0') {
      if (fields < 3) {
        field[fields][len] = '\0';
        ++fields;
      } else {
        tooMany = true;
      }
      len = 0;
      if (*p == '\0') break;
    } else if (fields < 3 && len < 63) {
      field[fields][len++] = *p;
    }
  }
  out->sign = 1;
  if (fields < 2 || tooMany) {
    for (BcdReal *p : {&out->whole, &out->num, &out->den}) {
      RealSetZero(p);
      SetErrorBytes(p, 3);
    }
    return;
  }
  BcdReal *dst[3];
  if (fields == 2) {
    RealSetZero(&out->whole);
    dst[0] = &out->num;
    dst[1] = &out->den;
  } else {
    dst[0] = &out->whole;
    dst[1] = &out->num;
    dst[2] = &out->den;
  }
  for (int i = 0; i < fields; ++i) NumParse(field[i], RealSetZero(dst[i]));
  // The sign travels with the first field.
  const u8 s = dst[0]->b[0] >> 4;
  if (s == 5 || s == 6) {
    out->sign = -1;
    FlipSign(dst[0]);
  }
}

BcdReal *NumFracFromText(const char *text, BcdReal *out) {
  NumFracParts p;
  NumFracSplitText(text, &p);
  NumDecimal w, n, d;
  const BcdReal *parts[3] = {&p.whole, &p.num, &p.den};
  for (const BcdReal *q : parts) {
    if (IsError(q)) {
      SetErrorBytes(out, 3);
      return out;
    }
  }
  const int wnz = NumGetDecimal(&p.whole, &w);
  const int nnz = NumGetDecimal(&p.num, &n);
  const int dnz = NumGetDecimal(&p.den, &d);
  if (!DecimalIsInteger(w) || !DecimalIsInteger(n) || !DecimalIsInteger(d) || !dnz) {
    SetErrorBytes(out, 3);
    return out;
  }
  int s = (nnz ? n.sign : 1) * d.sign * (wnz ? w.sign : 1);
  if (s < 0) p.sign = -p.sign;
  if (n.sign < 0) FlipSign(&p.num);
  if (d.sign < 0) FlipSign(&p.den);
  if (w.sign < 0) FlipSign(&p.whole);
  NumFracReduce(&p, &p);
  return NumFracPack(&p, out);
}

void NumFracReduce(const NumFracParts *in, NumFracParts *out) {
  if (out != in) *out = *in;
  u64 w, n, d;
  if (!NumToU64(&in->whole, &w) || !NumToU64(&in->num, &n) || !NumToU64(&in->den, &d) || d == 0 || n == 0)
    return;  // unreducible here: the builder writes such parts as a decimal
  w += n / d;
  n %= d;
  if (n != 0) {
    const u64 g = NumGcd(n, d);
    n /= g;
    d /= g;
  }
  NumFromU64(w, RealSetZero(&out->whole));
  NumFromU64(n, RealSetZero(&out->num));
  NumFromU64(d, RealSetZero(&out->den));
}

BcdReal *NumFracWrite(i32 sign, u64 w, u64 n, u64 d, BcdReal *out) {
  if (n == 0) {
    NumFromU64(w, out);
    if (sign < 0) FlipSign(out);
    return out;
  }
  const int nibbles = (w != 0 ? DigitCount(w) + 1 : 0) + DigitCount(n) + 1 + DigitCount(d);
  if (nibbles > 10) return NumFromRatio(sign, static_cast<u128>(w) * d + n, d, out);
  ClearBytes0To8(out);
  out->b[0] = sign < 0 ? 0x6A : 0x1A;
  out->b[1] = static_cast<u8>((nibbles - 1) << 4);
  int k = 3;
  auto put = [&](u64 v) {
    u8 tmp[20];
    int t = 0;
    do {
      tmp[t++] = static_cast<u8>(v % 10);
      v /= 10;
    } while (v != 0);
    while (t > 0) SetNibble(out, k++, tmp[--t]);
  };
  if (w != 0) {
    put(w);
    SetNibble(out, k++, 0x0A);
  }
  put(n);
  SetNibble(out, k++, 0x0A);
  put(d);
  return out;
}

BcdReal *NumFracPack(const NumFracParts *in, BcdReal *out) {
  for (const BcdReal *q : {&in->whole, &in->num, &in->den}) {
    if (IsError(q)) {
      SetErrorBytes(out, ValErrorCode(q));
      return out;
    }
  }
  NumDecimal nd;
  if (!NumGetDecimal(&in->num, &nd)) {
    ClearBytes0To8(out);
    std::memcpy(out->b, in->whole.b, 9);
    if (in->sign < 0) FlipSign(out);
    return out;
  }
  u64 w, n, d;
  if (NumToU64(&in->whole, &w) && NumToU64(&in->num, &n) && NumToU64(&in->den, &d) && d != 0)
    return NumFracWrite(in->sign, w, n, d, out);
  // Parts beyond the machine integers: whole + num / den by the decimal
  // operations.
  BcdReal q, r;
  RealSetZero(&q);
  RealSetZero(&r);
  RealDivDecimal(&in->num, &in->den, &q);
  RealAddDecimal(&in->whole, &q, &r);
  if (in->sign < 0) RealNegDecimal(&r, &r);
  if (const u8 code = ValErrorCode(&r)) {
    SetErrorBytes(out, code);
    return out;
  }
  std::memcpy(out->b, r.b, 9);
  return out;
}
