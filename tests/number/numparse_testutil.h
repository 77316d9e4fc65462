// Test helpers of the number core: build reals from text and show reals and
// values as plain text, so that tables of cases read as numbers.
#pragma once
#include <cstring>
#include <string>

#include "number/numparse.h"
#include "number/real.h"

namespace numtest {

// A stored real from a text NumParse accepts ("1.5", "-2e-3", "1a3").
inline BcdReal R(const char *text) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  NumParse(text, &r);
  return r;
}

// "E3" for an error value; "-2_1/3" or "1/3" for a fraction; otherwise the
// decimal: plain for exponents -5..14 ("0.001", "-12.5"), else "d.ddde-7".
inline std::string Show(const BcdReal &x) {
  if ((x.b[0] >> 4) == 0xF) return "E" + std::to_string(x.b[1]);
  const u8 s = x.b[0] >> 4;
  const bool neg = s == 5 || s == 6;
  if ((x.b[0] & 0x0F) == 0x0A) {
    std::string t = neg ? "-" : "";
    const int n = (x.b[1] >> 4) + 1;
    int fields = 1;
    std::string body;
    for (int i = 0; i < n; ++i) {
      const int k = 3 + i;
      const u8 v = (k & 1) ? (x.b[k / 2] & 0x0F) : (x.b[k / 2] >> 4);
      if (v == 0x0A) {
        body += '|';
        ++fields;
      } else {
        body += static_cast<char>('0' + v);
      }
    }
    // n|d or w|n|d
    if (fields == 3) {
      const size_t p = body.find('|');
      body[p] = '_';
    }
    body[body.rfind('|')] = '/';
    return t + body;
  }
  NumDecimal d;
  if (!NumGetDecimal(&x, &d)) return "0";
  int last = 14;
  while (last > 0 && d.d[last] == 0) --last;
  std::string digits;
  for (int i = 0; i <= last; ++i) digits += static_cast<char>('0' + d.d[i]);
  std::string out = neg ? "-" : "";
  if (d.exp >= -5 && d.exp <= 14) {
    if (d.exp < 0) {
      out += "0." + std::string(-d.exp - 1, '0') + digits;
    } else if (static_cast<int>(digits.size()) <= d.exp + 1) {
      out += digits + std::string(d.exp + 1 - digits.size(), '0');
    } else {
      out += digits.substr(0, d.exp + 1) + "." + digits.substr(d.exp + 1);
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += "." + digits.substr(1);
  return out + "e" + std::to_string(d.exp);
}

inline Value V(const char *re) {
  Value v;
  std::memset(&v, 0, sizeof v);
  NumParse(re, &v.re);
  return v;
}

// A complex value (flag set) from two texts.
inline Value C(const char *re, const char *im) {
  Value v = V(re);
  NumParse(im, &v.im);
  v.re.b[0] |= 0x80;
  return v;
}

// "E3", a real as Show, "(re,im)" for a complex value, "list"/"matrix".
inline std::string ShowV(const Value &v) {
  if ((v.re.b[0] >> 4) == 0xF) return "E" + std::to_string(v.re.b[1]);
  const u8 k = v.re.b[0] & 0x70;
  if (k == 0x20) return "list";
  if (k == 0x30) return "matrix";
  if (v.re.b[0] & 0x80) {
    BcdReal re = v.re;
    re.b[0] &= 0x7F;
    return "(" + Show(re) + "," + Show(v.im) + ")";
  }
  return Show(v.re);
}

}  // namespace numtest
