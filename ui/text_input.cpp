#include <cstdlib>
#include <cstring>

#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace {

// The field's characters and the cursor within them.
struct DigitField {
  char text[kLcdColumns + 1];
  i32 length;
  i32 cursor;
  i32 width;
};

void Insert(DigitField *f, char c) {
  if (f->length >= f->width) return;
  std::memmove(f->text + f->cursor + 1, f->text + f->cursor, static_cast<size_t>(f->length - f->cursor));
  f->text[f->cursor++] = c;
  f->text[++f->length] = 0;
}

void DeleteAtCursor(DigitField *f) {
  i32 at = f->cursor < f->length ? f->cursor : f->length - 1;
  if (at < 0) return;
  std::memmove(f->text + at, f->text + at + 1, static_cast<size_t>(f->length - at));
  --f->length;
  f->cursor = at;
}

void Show(const DigitField &f, i32 col, i32 row) {
  TextLocate(col, row);
  TextPrintField(f.text, col + f.width - 1);
  i32 at = f.cursor < f.width ? f.cursor : f.width - 1;
  TextLocate(col + at, row);
  KeyCursorFromState();
}

}  // namespace

namespace {

// The digit field's key loop, starting with the digits of `start`.
i32 DigitsLoop(char *buffer, i32 col, i32 row, i32 width, const char *start) {
  if (!buffer || width < 1) return -2;
  if (width > kLcdColumns - col + 1) width = kLcdColumns - col + 1;
  if (width < 1) return -2;
  TextCursorState saved;
  TextGetCursor(&saved);
  u16 mask = KeyGetMenuMask();
  KeyAddMenuMask(144);
  DigitField f{};
  f.width = width;
  for (const char *p = start; *p; ++p)
    if (*p >= '0' && *p <= '9') Insert(&f, *p);
  i32 result;
  for (;;) {
    Show(f, col, row);
    u32 key = 0;
    u32 typed = KeyGetKey(&key);
    if (typed) {
      if (key >= '0' && key <= '9') Insert(&f, static_cast<char>(key));
      continue;
    }
    if (key == kKeyExit) {
      result = -2;
      break;
    }
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
    if (key == kKeyExe) {
      if (f.length == 0) continue;
      std::memcpy(buffer, f.text, static_cast<size_t>(f.length) + 1);
      result = 0;
      break;
    }
    if (key == kKeyAc) {
      f.length = f.cursor = 0;
      f.text[0] = 0;
    } else if (key == kKeyLeft) {
      if (f.cursor > 0) --f.cursor;
    } else if (key == kKeyRight) {
      if (f.cursor < f.length) ++f.cursor;
    } else if (key == kKeyDel) {
      DeleteAtCursor(&f);
    }
  }
  KeySetMenuMask(mask);
  TextSetCursor(&saved);
  return result;
}

}  // namespace

i32 TextInputDigits(char *buffer, i32 col, i32 row, i32 width, i32 first) {
  const char start[2] = {first >= '0' && first <= '9' ? static_cast<char>(first) : '\0', 0};
  return DigitsLoop(buffer, col, row, width, start);
}

i32 TextEditDigits(char *buffer, i32 col, i32 row, i32 width) {
  char start[kLcdColumns + 1] = {};
  if (buffer) std::strncpy(start, buffer, kLcdColumns);
  return DigitsLoop(buffer, col, row, width, start);
}

i32 TextInputDigitsField(char *buffer, i32 col, i32 row, i32 width) {
  return TextInputDigits(buffer, col, row, width, 0);
}

i32 TextInputTwoDigits(char *buffer, i32 col, i32 row) { return TextInputDigits(buffer, col, row, 2, 0); }

i32 TextInputNumber(i32 *out, i32 col, i32 row, i32 low, i32 high) {
  for (;;) {
    char digits[3] = {0, 0, 0};
    i32 r = TextInputTwoDigits(digits, col, row);
    if (r != 0) return r;
    i32 n = std::atoi(digits);
    if (n >= low && n <= high) {
      *out = n;
      return 0;
    }
    ErrBox(8);
  }
}
