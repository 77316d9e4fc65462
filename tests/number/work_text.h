// Test helpers: working and extended numbers from and to a plain text form.
// Text form: optional '-', digits with an optional '.', optional 'e' and a
// signed exponent ("1.5e-3", "-32768", "6.66666666666667e-1"). Printed
// numbers are "d1.d2...dn" without trailing zeros, then "e<exp>" unless the
// exponent is 0; special kinds print as "inf", "-inf", "undef", "true",
// "false", "err<code>".
#pragma once
#include <cstring>
#include <string>

#include "number/real.h"

namespace numtest {

// Digits (up to 23 significant, the rest dropped) into an extended number.
inline BcdExt ExtFromText(const std::string &text) {
  BcdExt x{};
  size_t i = 0;
  bool neg = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
  std::string digits;
  int pointPos = -1, exp = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9')
      digits += c;
    else if (c == '.')
      pointPos = static_cast<int>(digits.size());
    else if (c == 'e' || c == 'E') {
      exp = std::stoi(text.substr(i + 1));
      break;
    }
  }
  if (pointPos < 0) pointPos = static_cast<int>(digits.size());
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return x;  // zero
  // value = 0.digits x 10^pointPos x 10^exp; d1 is digits[first].
  const int e = exp + pointPos - static_cast<int>(first) - 1;
  std::string sig = digits.substr(first);
  sig.resize(23, '0');
  for (int k = 0; k < 23; ++k) {
    const int nib = k + 1;  // nibble 0 is the kind nibble
    const u8 d = static_cast<u8>(sig[k] - '0');
    x.b[nib / 2] |= (nib & 1) ? d : static_cast<u8>(d << 4);
  }
  const int v = e + 1000;
  u16 word = static_cast<u16>((v / 1000) << 12 | (v / 100 % 10) << 8 | (v / 10 % 10) << 4 | v % 10);
  if (neg) word = static_cast<u16>(word + 0x5000);
  BcdExtSetWord(&x, word);
  return x;
}

// Working number: the first 15 significant digits of the text (dropped, not
// rounded).
inline BcdWork WorkFromText(const std::string &text) {
  const BcdExt e = ExtFromText(text);
  BcdWork w{};
  std::memcpy(w.b, e.b, 8);
  BcdSetWord(&w, BcdExtGetWord(&e));
  return w;
}

inline std::string DigitsToText(const u8 *b, int ndigits, u16 word) {
  const u8 kind = b[0] >> 4;
  if (kind == 0xF) return "err" + std::to_string(word);
  if (kind == 0x4) return word >= 0x5000 ? "-inf" : "inf";
  if (kind == 0x8) return "undef";
  if (kind == 0x9) return "true";
  if (kind == 0xA) return "false";
  if (kind != 0) return "kind" + std::to_string(kind);
  if (word == 0) return "0";
  std::string digits;
  for (int k = 0; k < ndigits; ++k) {
    const int nib = k + 1;
    const u8 d = (nib & 1) ? (b[nib / 2] & 0x0F) : (b[nib / 2] >> 4);
    digits += static_cast<char>('0' + d);
  }
  const bool neg = word >= 0x5000;
  const u16 m = neg ? static_cast<u16>(word - 0x5000) : word;
  const int e = ((m >> 12) & 0xF) * 1000 + ((m >> 8) & 0xF) * 100 + ((m >> 4) & 0xF) * 10 + (m & 0xF) - 1000;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string s = neg ? "-" : "";
  s += digits[0];
  if (digits.size() > 1) s += "." + digits.substr(1);
  if (e != 0) s += "e" + std::to_string(e);
  return s;
}

inline std::string WorkToText(const BcdWork &w) { return DigitsToText(w.b, 15, BcdGetWord(&w)); }
inline std::string ExtToText(const BcdExt &x) { return DigitsToText(x.b, 23, BcdExtGetWord(&x)); }

}  // namespace numtest
