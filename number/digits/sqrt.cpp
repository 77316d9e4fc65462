// Square root on the extended form: the exact first 23 digits of the root,
// found digit pair by digit pair.
#include "number/digits/digits.h"
#include "number/digits/reg.h"

using namespace dig;

void ShExtSqrt(BcdExt *a) {
  if (ExtKindNib(a) != BCD_NIB_NUMBER) return;
  if (ExtIsZero(a)) return ExtZero(a);
  const u16 w = ExtWord(a);
  const int e = WordExp(w);
  const u128 m = ExtDigits(a) & kDigitsMask;
  // Radicand digits: an odd exponent keeps d1 d2 as the first pair; an even
  // one pairs a leading 0 with d1. The root's exponent is floor(e / 2).
  const bool odd = (e & 1) != 0;
  int digit[48] = {};
  int n = odd ? 0 : 1;
  for (int i = 1; i <= 23; ++i) digit[n++] = static_cast<int>((m >> (4 * DigitNibble(i))) & 0xF);
  // Square root of the 46-digit radicand, pair by pair: p is the root so
  // far, r the remainder (below 2p + 1).
  u128 p = 0, r = 0;
  for (int i = 0; i < 23; ++i) {
    r = r * 100 + static_cast<u128>(digit[2 * i] * 10 + digit[2 * i + 1]);
    const u128 base = p * 20;
    u128 x = base ? r / base : 9;
    if (x > 9) x = 9;
    while ((base + x) * x > r) --x;
    r -= (base + x) * x;
    p = p * 10 + x;
  }
  const int er = e >= 0 ? e / 2 : -((-e + 1) / 2);
  SetExt(a, BinToReg(p) << 0, MakeWord(er, false));
}
