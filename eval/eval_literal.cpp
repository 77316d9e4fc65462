// Number literals, Base-N literals and the engineering suffixes.
#include <cstring>

#include "eval/eval.h"
#include "kernel/heap.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/setup.h"

// ---- exponent word arithmetic ----

namespace {

// Bytes 0-1 of a real as four BCD nibbles: class, exponent tens, exponent
// units, first mantissa digit.
u16 GetWord(const BcdReal *x) { return static_cast<u16>((x->b[0] << 8) | x->b[1]); }
void SetWord(BcdReal *x, u16 w) {
  x->b[0] = static_cast<u8>(w >> 8);
  x->b[1] = static_cast<u8>(w);
}

// Nibble-wise decimal addition; carry out of the top nibble in *carry.
u16 BcdAdd16(u16 a, u16 b, u32 *carry) {
  u16 out = 0;
  u32 c = 0;
  for (int i = 0; i < 4; ++i) {
    u32 d = ((a >> (4 * i)) & 0xF) + ((b >> (4 * i)) & 0xF) + c;
    c = d >= 10;
    if (c) d -= 10;
    out = static_cast<u16>(out | (d << (4 * i)));
  }
  *carry = c;
  return out;
}

}  // namespace

u32 EvalBcdWordAdd(BcdReal *x, u16 word) {
  u32 carry;
  const u16 w = BcdAdd16(GetWord(x), word, &carry);
  if (carry || (w >> 12) >= 2) return 0;
  SetWord(x, w);
  return 1;
}

u32 EvalBcdWordSub(BcdReal *x, u16 word) {
  // Ten's complement of the word, then an addition.
  u16 comp = 0;
  for (int i = 0; i < 4; ++i) comp = static_cast<u16>(comp | ((9 - ((word >> (4 * i)) & 0xF)) << (4 * i)));
  u32 c1;
  comp = BcdAdd16(comp, 1, &c1);
  u32 carry;
  const u16 w = BcdAdd16(GetWord(x), comp, &carry);
  if (!carry || (w & 0xFFF0) == 0) return 0;
  SetWord(x, w);
  return 1;
}

u32 EvalExpIncrement(BcdReal *x) { return EvalBcdWordAdd(x, 0x0010); }
u32 EvalExpDecrement(BcdReal *x) { return EvalBcdWordSub(x, 0x0010); }

BcdReal *EvalRealFromInt32(i32 n, BcdReal *out) {
  std::memset(out->b, 0, 9);
  if (n == 0) return out;
  const bool neg = n < 0;
  u32 mag = neg ? 0u - static_cast<u32>(n) : static_cast<u32>(n);
  // Doubling with decimal carry, one bit at a time from the top.
  u8 acc[10] = {0};  // digits, most significant first
  for (int bit = 31; bit >= 0; --bit) {
    u32 carry = (mag >> bit) & 1;
    for (int i = 9; i >= 0; --i) {
      u32 d = acc[i] * 2 + carry;
      carry = d >= 10;
      acc[i] = static_cast<u8>(carry ? d - 10 : d);
    }
  }
  int first = 0;
  while (acc[first] == 0) ++first;
  NumDecimal dec;
  std::memset(&dec, 0, sizeof dec);
  dec.sign = neg ? -1 : 1;
  dec.exp = 9 - first;
  for (int i = first; i < 10; ++i) dec.d[i - first] = acc[i];
  return NumSetDecimal(&dec, out);
}

// ---- decimal literals ----

namespace {

// A positive number from its digits (the first non-zero, at most 15) and the
// decimal exponent of the first: 0 for Ma ERROR above the range; below it the
// number is zero.
u32 WriteDecimal(const u8 *d, int exp, BcdReal *out) {
  if (exp > 99) {
    std::memset(out->b, 0, 9);
    return 0;
  }
  if (exp < -99) {
    std::memset(out->b, 0, 9);
    return 1;
  }
  const u32 field = static_cast<u32>(exp >= 0 ? exp : 100 + exp);
  const u32 tens = field / 10;
  out->b[0] = static_cast<u8>(((exp >= 0 ? 1u : 0u) << 4) | tens);
  out->b[1] = static_cast<u8>(((field - 10 * tens) << 4) | d[0]);
  out->b[2] = static_cast<u8>((d[1] << 4) | d[2]);
  out->b[3] = static_cast<u8>((d[3] << 4) | d[4]);
  out->b[4] = static_cast<u8>((d[5] << 4) | d[6]);
  out->b[5] = static_cast<u8>((d[7] << 4) | d[8]);
  out->b[6] = static_cast<u8>((d[9] << 4) | d[10]);
  out->b[7] = static_cast<u8>((d[11] << 4) | d[12]);
  out->b[8] = static_cast<u8>((d[13] << 4) | d[14]);
  return 1;
}

bool IsDecimalByte(u8 c) { return c == '.' || c == kTokExpMark || (c >= '0' && c <= '9'); }

// The next token of a number: a digit, point or exponent mark is one byte
// and is taken straight from the text; anything else goes to the reader.
// True when the new token is such a character.
inline bool NextDecimalChar(EvalCell *tok, TokPos *pos) {
  const u8 c = **pos;
  if (IsDecimalByte(c)) {
    tok->re.b[0] = c;
    ++*pos;
    return true;
  }
  TokNext(tok, pos);
  return false;
}

}  // namespace

u32 EvalParseDecimal(TokPos *pos, EvalCell *tok, EvalCell *result) {
  u8 digits[16] = {0};
  int exp = -1;     // decimal exponent of the first significant digit
  int stored = 0;   // significant digits kept (at most 15)
  bool point = false, significant = false, anyDigit = false;
  std::memset(&result->re, 0, sizeof result->re);

  while (TokByte0(tok) != kTokExpMark) {
    const u8 t = TokByte0(tok);
    if (t == '.') {
      if (point) return EvalErrSyntax(result);
      point = true;
    } else {
      anyDigit = true;
      if (t == '0' && !significant) {
        if (point) --exp;
      } else {
        significant = true;
        if (stored < 15) digits[stored++] = static_cast<u8>(t - '0');
        if (!point) ++exp;
      }
      if (!point && significant && exp > 99) return EvalErrMa(result);
    }
    if (!NextDecimalChar(tok, pos)) {
      if (!significant) return 1;  // zero
      if (!WriteDecimal(digits, exp, &result->re)) return EvalErrMa(result);
      return 1;
    }
  }

  // The exponent: signs, then one or two digits.
  if (!anyDigit) {
    digits[0] = 1;
    exp = 0;
    significant = true;
  }
  TokNext(tok, pos);
  bool negative = false;
  for (;;) {
    TokSkipSigns(tok, pos);
    if (TokByte0(tok) != kTokNegSign) break;
    negative = !negative;
    TokNext(tok, pos);
  }
  if (!TokIsDigit(tok)) return EvalErrSyntax(result);
  int e = TokByte0(tok) - '0';
  TokNext(tok, pos);
  if (TokIsDigit(tok)) {
    e = e * 10 + (TokByte0(tok) - '0');
    TokNext(tok, pos);
  }
  if (!significant) return 1;
  if (!WriteDecimal(digits, negative ? exp - e : exp + e, &result->re)) return EvalErrMa(result);
  return 1;
}

// ---- Base-N literals ----

u32 EvalParseBaseN(TokPos *pos, EvalCell *tok, EvalCell *result, u8 radix) {
  u32 limit;
  switch (radix) {
    case 1: limit = 0x8000; break;
    case 7: limit = 0x20000000; break;
    case 9: limit = 0x0CCCCCCD; break;
    case 15: limit = 0x10000000; break;
    default: return EvalErrMa(result);
  }
  u32 value = 0;
  for (;;) {
    const u8 t = TokByte0(tok);
    u32 digit;
    if (t >= '0' && t <= '9') {
      digit = t - '0';
    } else if (t >= 0x1A && t <= 0x1F) {
      digit = t - 0x1A + 10;
    } else {
      break;
    }
    if (value >= limit) return EvalErrMa(result);
    if (digit > radix) return EvalErrSyntax(result);
    value = value * (radix + 1u) + digit;
    TokNext(tok, pos);
  }
  if (!TokFollowsOperand(tok)) return EvalErrSyntax(result);
  if (radix == 9 && value >= 0x80000000u) return EvalErrMa(result);
  i32 n;
  if (radix == 1) {
    n = (value & 0x8000) ? static_cast<i32>(value) - 0x10000 : static_cast<i32>(value);
  } else {
    n = static_cast<i32>(value);
  }
  std::memset(result, 0, sizeof *result);
  EvalRealFromInt32(n, &result->re);
  return EvalBaseNResult(result, result, SetupGetItem(kSetupMode) != 0 ? SetupGetItem(kSetupMode) : radix);
}

u32 EvalNumberLiteral(EvalCell *result, TokPos *pos, EvalCell *tok) {
  const u8 mode = SetupGetItem(kSetupMode);
  if (mode != 0) return EvalParseBaseN(pos, tok, result, mode);
  if (!EvalParseDecimal(pos, tok, result)) return 0;
  std::memset(&result->im, 0, sizeof result->im);
  return EvalNormalizeCell(result);
}

namespace {

// The radix prefixes: the first digit decides between Syntax and Ma ERROR.
u32 PrefixedLiteral(EvalCell *result, TokPos *pos, EvalCell *tok, u8 radix) {
  TokNext(tok, pos);
  const u8 t = TokByte0(tok);
  const bool digit = t >= '0' && t <= '9';
  bool ok;
  switch (radix) {
    case 1: ok = t == '0' || t == '1'; break;
    case 15: ok = digit || (t >= 0x1A && t <= 0x1F); break;
    case 7:
      if (t == '8' || t == '9') return EvalErrMa(result);
      ok = digit;
      break;
    default: ok = digit; break;
  }
  if (!ok) return EvalErrSyntax(result);
  return EvalParseBaseN(pos, tok, result, radix);
}

}  // namespace

u32 EvalBinLiteral(EvalCell *result, TokPos *pos, EvalCell *tok) { return PrefixedLiteral(result, pos, tok, 1); }
u32 EvalDecLiteral(EvalCell *result, TokPos *pos, EvalCell *tok) { return PrefixedLiteral(result, pos, tok, 9); }
u32 EvalHexLiteral(EvalCell *result, TokPos *pos, EvalCell *tok) { return PrefixedLiteral(result, pos, tok, 15); }
u32 EvalOctLiteral(EvalCell *result, TokPos *pos, EvalCell *tok) { return PrefixedLiteral(result, pos, tok, 7); }

// ---- engineering suffixes ----

u32 EvalScaleReal(BcdReal *x, u16 shift, u8 suffix) {
  if ((x->b[0] >> 4) == 0xF) return 0;
  RealFracToDecimal(x, x);
  if ((x->b[1] & 0x0F) == 0) return 1;  // zero
  const u8 cls = x->b[0] >> 4;
  const bool neg = cls == 5 || cls == 6;
  if (neg) x->b[0] = static_cast<u8>(x->b[0] - 0x50);
  u32 ok;
  if (suffix <= 5) {
    ok = EvalBcdWordSub(x, shift);
    if (!ok) {
      std::memset(x->b, 0, 9);
      return 1;
    }
  } else {
    ok = EvalBcdWordAdd(x, shift);
    if (!ok) {
      RealMakeError(kEvalErrMa, x);
      return 0;
    }
  }
  if (neg) x->b[0] = static_cast<u8>(x->b[0] + 0x50);
  return 1;
}

u32 EvalApplySuffix(EvalCell *cell, u8 suffix) {
  if (ValErrorCode(cell) != 0) return 0;
  const int k = suffix <= 5 ? 6 - suffix : suffix - 5;
  u16 shift = static_cast<u16>(k * 0x30);
  if (shift >= 0xA0) shift = static_cast<u16>(shift + 0x60);
  const u8 kind = cell->re.b[0] & 0x70;
  if (kind == 0x30) {
    EvalFreeCell(cell);
    return EvalErrMa(cell);
  }
  if (kind == 0x20) {
    u32 handle;
    u16 count;
    std::memcpy(&handle, &cell->re.b[8], 4);
    std::memcpy(&count, &cell->re.b[2], 2);
    u8 *block = MemDeref(handle);
    if (block == nullptr) {
      EvalFreeCell(cell);
      return EvalErrMemory(cell);
    }
    const u32 parts = (cell->re.b[0] & 0x80) ? 2 : 1;
    for (u32 i = 0; i < count * parts; ++i) {
      BcdReal *e = reinterpret_cast<BcdReal *>(block + 12 * i);
      if (!EvalScaleReal(e, shift, suffix)) {
        EvalFreeCell(cell);
        return EvalErrMa(cell);
      }
    }
    return 1;
  }
  if (cell->re.b[0] & 0x80) {
    if (!EvalScaleReal(&cell->im, shift, suffix)) return EvalErrMa(cell);
    cell->re.b[0] &= 0x7F;
    const u32 ok = EvalScaleReal(&cell->re, shift, suffix);
    if (!ok) return EvalErrMa(cell);
    cell->re.b[0] |= 0x80;
    return 1;
  }
  if (!EvalScaleReal(&cell->re, shift, suffix)) return EvalErrMa(cell);
  return 1;
}
