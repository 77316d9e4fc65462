// Readable form of the calculator's number texts, so that tables of cases
// read as text: 'E' exponent marker, '~' negative sign, 'i' imaginary unit,
// '<' angle sign, '/' fraction separator, '|' line break, 'A'-'F' Base-N
// digits, 'o' ' " the sexagesimal marks, {f} {n} {u} {M} {G} {T} {P} {E} the
// engineering prefixes written as control codes; any other byte as {xHH}.
#pragma once
#include <cstdio>
#include <string>

#include "number/numtext.h"
#include "ui/setup.h"

namespace numtext_test {

inline std::string Readable(const char *t) {
  std::string out;
  for (int i = 0; t[i]; ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    const unsigned char n = static_cast<unsigned char>(t[i + 1]);
    if (c == 0x7F && n == 0x50) {
      out += 'i';
      ++i;
    } else if (c == 0x7F && n == 0x54) {
      out += '<';
      ++i;
    } else if (c == 0xE5 && n == 0x96) {
      out += '\'';
      ++i;
    } else if (c == 0xE5 && n == 0x98) {
      out += '"';
      ++i;
    } else if (c == 0xE6 && n == 0x4B) {
      out += "{u}";
      ++i;
    } else if (c == 0x0F) {
      out += 'E';
    } else if (c == 0x87) {
      out += '~';
    } else if (c == 0xBB) {
      out += '/';
    } else if (c == 0x0D) {
      out += '|';
    } else if (c == 0x9C) {
      out += 'o';
    } else if (c >= 0x1A && c <= 0x1F) {
      out += static_cast<char>('A' + c - 0x1A);
    } else if (c == 0x01) {
      out += "{f}";
    } else if (c == 0x03) {
      out += "{n}";
    } else if (c >= 0x07 && c <= 0x0B) {
      static const char *const kBig[] = {"{M}", "{G}", "{T}", "{P}", "{E}"};
      out += kBig[c - 0x07];
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "{x%02X}", c);
      out += buf;
    }
  }
  return out;
}

// Display settings of a case: item 43, item 42, item 23, item 87, angle.
struct Mode {
  u8 display = 0;
  u8 complexMode = 0;
  u8 base = 0;
  u8 fracResult = 0;
  u8 angle = 0;
};

inline void ApplyMode(const Mode &m) {
  SetupResetAll();
  SetupSetItem(kSetupDisplay, m.display);
  SetupSetItem(kSetupComplexMode, m.complexMode);
  SetupSetItem(kSetupMode, m.base);
  SetupSetItem(kSetupFracResult, m.fracResult);
  SetupSetItem(kSetupAngle, m.angle);
}

}  // namespace numtext_test
