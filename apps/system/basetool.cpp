// The number-base tool: input line, result view, figure and grouping boxes,
// and the exact digit-string arithmetic.
#include "apps/system/basetool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "apps/system/testmode.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

// ---- digit strings -----------------------------------------------------------------

i32 DigitStrCompare(const char *a, const char *b) {
  const size_t na = std::strlen(a), nb = std::strlen(b);
  if (na != nb) return na > nb ? 1 : -1;
  const int c = std::strcmp(a, b);
  return c > 0 ? 1 : c < 0 ? -1 : 0;
}

namespace {

void StripZeros(std::string *s) {
  size_t k = 0;
  while (k + 1 < s->size() && (*s)[k] == '0') ++k;
  s->erase(0, k);
}

// The difference of two digit strings, the first not smaller.
std::string SubDigits(const std::string &a, const std::string &b) {
  std::string r = a;
  int borrow = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    const size_t ia = r.size() - 1 - i;
    int d = (r[ia] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
    borrow = d < 0;
    if (d < 0) d += 10;
    r[ia] = static_cast<char>('0' + d);
  }
  StripZeros(&r);
  return r;
}

char DigitChar(u32 d) { return static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10); }
u32 DigitValue(char c) { return c >= 'A' ? static_cast<u32>(c - 'A' + 10) : static_cast<u32>(c - '0'); }

}  // namespace

void DigitStrSub(char *a, const char *b) {
  const i32 c = DigitStrCompare(a, b);
  if (c == 0) {
    std::strcpy(a, "0");
    return;
  }
  const std::string r = c > 0 ? SubDigits(a, b) : "-" + SubDigits(b, a);
  std::strcpy(a, r.c_str());
}

void DigitStrTimes16(char *s) {
  std::string r;
  u32 carry = 0;
  for (size_t i = std::strlen(s); i-- > 0;) {
    const u32 v = static_cast<u32>(s[i] - '0') * 16 + carry;
    r.insert(r.begin(), static_cast<char>('0' + v % 10));
    carry = v / 10;
  }
  while (carry) {
    r.insert(r.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
  StripZeros(&r);
  std::strcpy(s, r.c_str());
}

void DigitStrPow16(char *out, u32 k) {
  std::strcpy(out, "1");
  for (u32 i = 0; i < k; ++i) DigitStrTimes16(out);
}

void DigitStrToHex(const char *dec, char *out) {
  static const u32 kStart[16] = {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 9, 10, 11, 12, 13};
  const size_t n = std::strlen(dec);
  u32 k = kStart[n < 16 ? n : 15];
  char rest[64], power[64];
  std::snprintf(rest, sizeof rest, "%s", dec);
  for (;;) {
    DigitStrPow16(power, k);
    if (k == 0 || DigitStrCompare(power, rest) <= 0) break;
    --k;
  }
  size_t at = 0;
  for (i32 p = static_cast<i32>(k); p >= 0; --p) {
    DigitStrPow16(power, static_cast<u32>(p));
    u32 digit = 0;
    while (DigitStrCompare(rest, power) >= 0) {
      DigitStrSub(rest, power);
      ++digit;
    }
    out[at++] = DigitChar(digit);
  }
  out[at] = 0;
}

namespace {

// The complement in base b (every digit d to b - 1 - d, then one added).
void Complement(char *s, u32 base) {
  const size_t n = std::strlen(s);
  for (size_t i = 0; i < n; ++i) s[i] = DigitChar(base - 1 - DigitValue(s[i]));
  for (size_t i = n; i-- > 0;) {
    const u32 v = DigitValue(s[i]) + 1;
    s[i] = DigitChar(v % base);
    if (v < base) break;
  }
}

// Digits of a decimal digit string in base 2 or 8 (long division).
std::string ToSmallBase(std::string dec, u32 base) {
  std::string out;
  while (!(dec.size() == 1 && dec[0] == '0')) {
    std::string q;
    u32 rem = 0;
    for (char c : dec) {
      rem = rem * 10 + static_cast<u32>(c - '0');
      q += static_cast<char>('0' + rem / base);
      rem %= base;
    }
    StripZeros(&q);
    out.insert(out.begin(), DigitChar(rem));
    dec = q;
  }
  return out.empty() ? "0" : out;
}

}  // namespace

void HexComplement(char *s) { Complement(s, 16); }

// ---- formatting ----------------------------------------------------------------------

u32 BaseToolFormat(const BcdReal *value, const BaseToolState *state, char *out) {
  const u8 *b = value->b;
  auto nib = [&](u32 i) { return static_cast<u32>(i % 2 ? b[i / 2] & 0xF : b[i / 2] >> 4); };
  std::string mant;
  for (u32 i = 3; i < 18; ++i) mant += static_cast<char>('0' + nib(i));
  if (mant.find_first_not_of('0') == std::string::npos) {
    std::strcpy(out, "0");
    return 0;
  }
  const u32 sign = nib(0);
  const bool negative = sign == 5 || sign == 6;
  i32 e = static_cast<i32>(nib(1) * 10 + nib(2));
  if (sign == 0 || sign == 5) e -= 100;
  if (e >= 15) return 15;
  if (e < -13) return 3;
  while (!mant.empty() && mant.back() == '0') mant.pop_back();
  std::string whole, frac;
  if (e >= 0) {
    whole = mant.substr(0, static_cast<size_t>(e + 1) < mant.size() ? static_cast<size_t>(e + 1) : mant.size());
    while (whole.size() < static_cast<size_t>(e + 1)) whole += '0';
    if (mant.size() > whole.size()) frac = mant.substr(whole.size());
  } else {
    whole = "0";
    frac = std::string(static_cast<size_t>(-e - 1), '0') + mant;
  }
  std::string text;
  if (state->out_base == 0) {
    text = whole;
    if (!frac.empty()) text += "." + frac;
    if (negative) text = "-" + text;
  } else {
    static const u32 kBases[4] = {10, 16, 2, 8};
    const u32 base = kBases[state->out_base & 3];
    if (base == 16) {
      char hex[64];
      DigitStrToHex(whole.c_str(), hex);
      text = hex;
    } else {
      text = ToSmallBase(whole, base);
    }
    if (state->figures) {
      if (text.size() > state->figures) return 15;
      text.insert(0, state->figures - text.size(), '0');
    } else if (base == 16 && text[0] >= '8') {
      text.insert(text.begin(), '0');
    }
    if (negative) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%s", text.c_str());
      Complement(buf, base);
      text = buf;
    }
  }
  if (state->group >= 3) {
    std::string grouped;
    for (size_t i = 0; i < text.size(); ++i) {
      if (i && (text.size() - i) % state->group == 0) grouped += ' ';
      grouped += text[i];
    }
    text = grouped;
  }
  std::snprintf(out, 65, "%s", text.c_str());
  return 0;
}

// ---- screens ------------------------------------------------------------------------------

namespace {

constexpr i32 kMenu = 50;
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr u32 kCodeOct = 5;  // F4: octal; the codes 1-3 are the first three bases
// The tool's keys: F1 Dec, F2 Hex, F3 Bin, F4 Oct, F5 the figure box.
const FkeyItem kPage[6] = {K(353, 1), K(354, 2), K(355, 3), K(356, kCodeOct), K(95, 4), {0, kFkeyBlank, 0}};
// The settings' keys: automatic figures, choose figures, grouping off,
// choose grouping.
const FkeyItem kSettingsPage[6] = {K(492, 1), K(95, 2), K(422, 10), K(16, 11), {0, kFkeyBlank, 0}, {0, kFkeyBlank, 0}};

const char *const kLabels[4] = {"Dec", "Hex", "Bin", "Oct"};

u32 BaseOfCode(u32 code) { return code == kCodeOct ? 3 : code - 1; }

void DrawLabels(const BaseToolState &s) {
  char line[32];
  std::snprintf(line, sizeof line, "[%s]", kLabels[s.in_base & 3]);
  TextLocate(1, 1);
  TextPrint(line);
  std::snprintf(line, sizeof line, "--------[%s]--------", kLabels[s.out_base & 3]);
  TextLocate(1, 2);
  TextPrintField(line, 21);
}

// A two-digit entry at (col, row) in a box: the number, or -1 when left.
i32 ReadTwoDigits(i32 col, i32 row) {
  char digits[4] = "";
  if (TextInputTwoDigits(digits, col, row) != 0) return -1;
  return static_cast<i32>(std::strtol(digits, nullptr, 10));
}

void FigureBox(BaseToolState *s) {
  PopupOpen(5);
  PopupDrawWindow(4);
  TextLocate(3, 2);
  TextPrint("Display Figure");
  char now[32];
  if (s->figures == 0) std::snprintf(now, sizeof now, "  Now: Automatic");
  else if (s->figures == 1) std::snprintf(now, sizeof now, "  Now: 1 Figure");
  else std::snprintf(now, sizeof now, "  Now: %u Figures", static_cast<unsigned>(s->figures));
  TextLocate(1, 3);
  TextPrint(now);
  TextLocate(3, 5);
  TextPrint("[Auto:0/1-16]>");
  const i32 n = ReadTwoDigits(18, 5);
  PopupClose(5);
  if (n > 16) ErrBox(8);
  else if (n >= 0) s->figures = static_cast<u32>(n);
}

// "Select" box for the figures (grouping false) or the grouping.
void SelectBox(BaseToolState *s, bool grouping) {
  PopupOpen(5);
  PopupDrawWindow(4);
  TextLocate(3, 2);
  TextPrint("Select");
  TextLocate(1, 3);
  TextPrint(grouping ? "  Digits Space" : "  Display Figure");
  TextLocate(3, 5);
  TextPrint(grouping ? "Space[3-16]:" : "   Fig[1-16]:");
  const i32 n = ReadTwoDigits(17, 5);
  PopupClose(5);
  if (n < 0) return;
  if (n > 16 || (grouping && n < 3) || (!grouping && n < 1)) {
    ErrBox(8);
    return;
  }
  if (grouping) s->group = static_cast<u32>(n);
  else s->figures = static_cast<u32>(n);
}

// -2 on EXIT or EXE, -1 on SHIFT+EXIT.
i32 Settings(BaseToolState *s) {
  FkeySetPage(kMenu + 1, kSettingsPage);
  FkeyPushLevel(kMenu + 1);
  KeyForgetDrawnRow();
  PopupOpen(6);
  u32 row = 1;
  i32 result = -2;
  for (;;) {
    PopupDrawWindow(3);
    char line[2][32];
    if (s->figures) std::snprintf(line[0], 32, "Figure      :Fig%u", static_cast<unsigned>(s->figures));
    else std::snprintf(line[0], 32, "Figure      :Auto");
    if (s->group) std::snprintf(line[1], 32, "Space       :%uChar", static_cast<unsigned>(s->group));
    else std::snprintf(line[1], 32, "Space       :OFF");
    for (u32 r = 0; r < 2; ++r) {
      TextLocate(2, static_cast<i32>(3 + r));
      if (r + 1 == row) TextPrintFieldRev(line[r], 20);
      else TextPrintField(line[r], 20);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key == kKeyUp) row = 1;
    else if (key == kKeyDown) row = 2;
    else if (key == 1) s->figures = 0;
    else if (key == 2) SelectBox(s, false);
    else if (key == 10) s->group = 0;
    else if (key == 11) SelectBox(s, true);
    else if (key == kKeyExit || key == kKeyExe) break;
    else if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  PopupClose(6);
  FkeyPopLevel();
  KeyForgetDrawnRow();
  return result;
}

// Draws the value on row 3, right-aligned; false after an error box.
bool DrawValue(const BcdReal &v, const BaseToolState &s) {
  char text[80];
  const u32 e = BaseToolFormat(&v, &s, text);
  TextLocate(1, 3);
  TextPrintField("", 21);
  if (e) {
    ErrBox(static_cast<i32>(e));
    return false;
  }
  const i32 len = static_cast<i32>(std::strlen(text));
  TextLocate(len < 21 ? 22 - len : 1, 3);
  TextPrint(len > 21 ? text + (len - 21) : text);
  return true;
}

// The result view: a typed character or a key the input screen acts on.
u32 ShowResult(const BcdReal &v, BaseToolState *s, u32 *is_char) {
  TextCursorOff();
  for (;;) {
    DrawLabels(*s);
    DrawValue(v, *s);
    FkeyDrawRow();
    u32 key = 0;
    *is_char = KeyGetKey(&key);
    if (*is_char) return key;
    switch (key) {
      case kKeyExit: case kKeyAc: case kKeyLeft: case kKeyRight: case kKeyQuit: return key;
      case 1: case 2: case 3: case kCodeOct: s->out_base = BaseOfCode(key); break;
      case 4: FigureBox(s); break;
      case kKeySetup:
        if (Settings(s) == -1) return kKeyQuit;
        break;
      default: break;
    }
  }
}

}  // namespace

u32 BaseToolCheckGate() { return TestModeAccessGate(7, "VANTU"); }

void BaseToolMain() {
  BaseToolState s{};
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeySetPage(kMenu, kPage);
  FkeyPushLevel(kMenu);
  KeyForgetDrawnRow();
  u8 line[256] = {};
  u32 start = 0, cursor = 0;
  u32 pending = 0, pending_char = 0;
  for (;;) {
    for (i32 r = 1; r <= 7; ++r) {
      TextLocate(1, r);
      TextPrintField("", 21);
    }
    DrawLabels(s);
    start = EditRedrawLineIn(line, start, cursor, 6, 1, 16);
    KeyCursorFromState();
    FkeyDrawRow();
    u32 key = pending;
    u32 is_char = pending_char;
    pending = 0;
    if (key == 0) is_char = KeyGetKey(&key);
    if (is_char) {
      u32 c = key;
      switch (c) {
        case 129: c = 29; break;
        case 130: c = 30; break;
        case 131: c = 31; break;
        case 133: c = 28; break;
        case 149: c = 27; break;
        default: break;
      }
      cursor = EditPutChar(line, 255, cursor, c);
      continue;
    }
    if (key == kKeyExit || key == kKeyQuit) break;
    if (key == 1 || key == 2 || key == 3 || key == kCodeOct) {
      s.in_base = BaseOfCode(key);
      static const u8 kModes[4] = {0, 15, 1, 7};
      SetupSetItem(kSetupMode, kModes[s.in_base]);
    } else if (key == 4) {
      FigureBox(&s);
    } else if (key == kKeySetup) {
      if (Settings(&s) == -1) break;
    } else if (key == kKeyXThetaT) {
      cursor = EditPutChar(line, 255, cursor, 26);
    } else if (key == kKeyExe) {
      BcdReal v{};
      const i32 err = EditEvaluateNumber(line, &v);
      if (err) {
        ErrBox(err);
        continue;
      }
      const u32 r = ShowResult(v, &s, &pending_char);
      if (pending_char) {
        std::memset(line, 0, sizeof line);
        start = cursor = 0;
        pending = r;
      } else if (r == kKeyLeft) {
        cursor = 0;
        start = 0;
      } else if (r == kKeyRight) {
        cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(line)));
      } else if (r == kKeyQuit) {
        break;
      } else {
        std::memset(line, 0, sizeof line);
        start = cursor = 0;
        if (r == kKeyExit) break;
      }
    } else if (key == kKeyAc || key == kKeyLeft || key == kKeyRight || key == kKeyDel || key == kKeyPaste ||
               key == kKeyClipLeft || key == kKeyClipRight) {
      if (key == kKeyAc) {
        std::memset(line, 0, sizeof line);
        start = cursor = 0;
      } else {
        EditMoveCursorIn(line, 255, &start, &cursor, key, 6, 1, 16);
      }
    }
  }
  TextCursorOff();
  SetupSetItem(kSetupMode, 0);
  FkeyPopLevel();
  KeyForgetDrawnRow();
  KeySetMenuMask(mask);
}
