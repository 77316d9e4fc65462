#include "ui/edit.h"

#include <cstring>

#include "eval/eval.h"
#include "memory/item_clip.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/font.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace {

constexpr i32 kErrSyntax = 2;
constexpr i32 kErrMa = 3;

u32 TextLen(const u8 *buf) { return static_cast<u32>(std::strlen(reinterpret_cast<const char *>(buf))); }

// The character at byte i: its code and, through len, its byte count (0 at
// the end).
u16 CharAt(const u8 *buf, u32 i, u32 *len) {
  int n = 0;
  const u16 code = FontReadChar(reinterpret_cast<const char *>(buf) + i, &n);
  *len = static_cast<u32>(n);
  return code;
}

// The index of the character before byte i (0 at the start).
u32 PrevChar(const u8 *buf, u32 i) {
  u32 at = 0, prev = 0;
  while (at < i) {
    u32 len = 0;
    CharAt(buf, at, &len);
    if (len == 0) break;
    prev = at;
    at += len;
  }
  return prev;
}

u32 NextChar(const u8 *buf, u32 i) {
  u32 len = 0;
  CharAt(buf, i, &len);
  return i + len;
}

u32 CodeBytes(u32 code) { return code > 0xFF ? 2u : 1u; }

void WriteCode(u8 *at, u32 code) {
  if (code > 0xFF) {
    at[0] = static_cast<u8>(code >> 8);
    at[1] = static_cast<u8>(code);
  } else {
    at[0] = static_cast<u8>(code);
  }
}

void DeleteRange(u8 *buf, u32 from, u32 to) {
  const u32 len = TextLen(buf);
  if (to > len) to = len;
  if (from >= to) return;
  std::memmove(buf + from, buf + to, len - to + 1);
}

// Columns of the text from byte from up to byte to.
i32 ColumnsBetween(const u8 *buf, u32 from, u32 to) {
  i32 cols = 0;
  for (u32 i = from; i < to;) {
    u32 len = 0;
    const u16 code = CharAt(buf, i, &len);
    if (len == 0) break;
    cols += EditCharColumns(code, nullptr);
    i += len;
  }
  return cols;
}

// The window start that keeps the cursor in a field of width columns: kept
// when the cursor lies in view, moved back onto the cursor when it lies
// before, moved on when it lies past the field's end.
u32 ScrollFor(const u8 *buf, u32 start, u32 cursor, i32 col, i32 width) {
  if (cursor < start) return cursor;
  if (ColumnsBetween(buf, start, cursor) + 1 <= width) return start;
  return static_cast<u32>(TextScrollStart(col, col + width, reinterpret_cast<const char *>(buf),
                                          static_cast<i32>(cursor)));
}

// Draws the field; the characters from sel_from to sel_to (byte indexes,
// sel_from < sel_to) reversed. Returns the column of the cursor.
i32 DrawField(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row, i32 width, u32 sel_from, u32 sel_to) {
  const i32 last = col + width - 1;
  i32 x = col;
  i32 cursor_x = col;
  u32 i = start;
  for (;;) {
    if (i == cursor) cursor_x = x;
    u32 len = 0;
    const u16 code = CharAt(buf, i, &len);
    if (len == 0 || x > last) break;
    char text[kStrTokenNameMax];
    const i32 cols = EditCharColumns(code, text);
    const u32 flags = (i >= sel_from && i < sel_to) ? kLcdTextReverse : 0;
    const char *p = text;
    for (i32 k = 0; k < cols && x <= last; ++k, ++x) {
      int n = 0;
      const u16 c = FontReadChar(p, &n);
      if (n == 0) break;
      p += n;
      LcdLocate(x - 1, row - 1);
      LcdPrintCharAtCursor(c, flags);
    }
    i += len;
  }
  for (; x <= last; ++x) {
    LcdLocate(x - 1, row - 1);
    LcdPrintCharAtCursor(' ', 0);
  }
  return cursor_x > last ? last : cursor_x;
}

u32 Redraw(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row, i32 width, u32 sel_from, u32 sel_to) {
  start = ScrollFor(buf, start, cursor, col, width);
  const i32 x = DrawField(buf, start, cursor, col, row, width, sel_from, sel_to);
  TextLocate(x, row);
  KeyCursorFromState();
  return start;
}

i32 FieldWidth(i32 col) { return kLcdColumns - col + 1; }

// Leaves the CLIP state the selection ran in (its menu group closes with it).
void EndClipState() {
  if (KeyGetModifier() != kModClip) return;
  FkeyPopRange(kFkeyClipFirst, kFkeyClipLast);
  KeySetModifier(kModNone);
}

void Paste(u8 *buf, u32 size, u32 *cursor) {
  const char *clip = ItemClipData();
  if (!clip) return;
  const u32 n = ItemClipLength();
  for (u32 i = 0; i < n;) {
    int len = 0;
    const u16 code = FontReadChar(clip + i, &len);
    if (len == 0) break;
    const u32 at = EditPutCharAt(buf, size, *cursor, code, 1);
    if (at == *cursor) break;  // full
    *cursor = at;
    i += static_cast<u32>(len);
  }
}

// The selection loop of the CLIP-state arrows; key is the first arrow.
i32 Select(u8 *buf, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row, i32 width) {
  const u32 anchor = *cursor;
  u32 k = *key;
  for (;;) {
    if (k == kKeyClipLeft && *cursor > 0) *cursor = PrevChar(buf, *cursor);
    if (k == kKeyClipRight && buf[*cursor] != 0) *cursor = NextChar(buf, *cursor);
    const u32 from = anchor < *cursor ? anchor : *cursor;
    const u32 to = anchor < *cursor ? *cursor : anchor;
    *start = Redraw(buf, *start, *cursor, col, row, width, from, to);
    const u32 typed = KeyGetKey(&k);
    if (!typed && (k == kKeyClipLeft || k == kKeyClipRight)) continue;
    if (!typed && (k == kKeyCopy || k == kKeyCut)) {
      if (to > from) {
        char text[kEditLineMax + 1];
        u32 n = to - from;
        if (n > kEditLineMax) n = kEditLineMax;
        std::memcpy(text, buf + from, n);
        text[n] = 0;
        if (ItemClipStore(text, n + 1) != 0) {
          EndClipState();
          ErrBox(4);
        } else if (k == kKeyCut) {
          DeleteRange(buf, from, to);
          *cursor = from;
        }
      }
      EndClipState();
      *start = Redraw(buf, *start, *cursor, col, row, width, 0, 0);
      return 0;
    }
    EndClipState();
    *start = Redraw(buf, *start, *cursor, col, row, width, 0, 0);
    *key = k;
    return typed ? kEditHandBackChar : kEditHandBackKey;
  }
}

i32 ApplyKey(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row, i32 width, bool select) {
  const u32 len = TextLen(buf);
  if (*cursor > len) *cursor = len;
  switch (*key) {
    case kKeyAc:
      buf[0] = 0;
      *cursor = 0;
      *start = 0;
      break;
    case kKeyLeft:
      if (*cursor > 0) *cursor = PrevChar(buf, *cursor);
      break;
    case kKeyRight:
      if (*cursor < len) *cursor = NextChar(buf, *cursor);
      break;
    case kKeyDel:
      if (KeyGetInsertMode() == kInsertOverwrite && *cursor < len) {
        DeleteRange(buf, *cursor, NextChar(buf, *cursor));
      } else if (*cursor > 0) {
        const u32 prev = PrevChar(buf, *cursor);
        DeleteRange(buf, prev, *cursor);
        *cursor = prev;
      }
      break;
    case kKeyPaste:
      Paste(buf, size, cursor);
      break;
    case kKeyClipLeft:
    case kKeyClipRight:
      if (select) return Select(buf, start, cursor, key, col, row, width);
      break;
    default:
      break;
  }
  *start = Redraw(buf, *start, *cursor, col, row, width, 0, 0);
  return 0;
}

// Number text in the calculator's codes to the parser's ASCII, checking its
// form: [sign] digits [. digits] [E [sign] digits], or up to three whole
// numbers joined by fraction marks. Returns false for any other text.
bool NumberText(const u8 *text, char *out, u32 cap) {
  u32 n = 0;
  bool any_digit = false, point = false, exp = false, exp_digit = false;
  u32 marks = 0;
  bool need_digit_after_mark = false;
  u32 i = 0;
  // Leading signs.
  while (text[i] == 0x87 || text[i] == 0x99 || text[i] == 0x89) {
    if (n + 1 >= cap) return false;
    if (text[i] != 0x89) out[n++] = '-';
    ++i;
  }
  for (; text[i]; ++i) {
    const u8 c = text[i];
    char a = 0;
    if (c >= '0' && c <= '9') {
      a = static_cast<char>(c);
      if (exp) exp_digit = true; else any_digit = true;
      need_digit_after_mark = false;
    } else if (c == '.') {
      if (point || exp || marks) return false;
      point = true;
      a = '.';
    } else if (c == 0x0F) {
      if (exp || marks) return false;
      exp = true;
      a = 'e';
      // The exponent's own sign.
      if (text[i + 1] == 0x87 || text[i + 1] == 0x99 || text[i + 1] == 0x89) {
        if (n + 2 >= cap) return false;
        out[n++] = 'e';
        if (text[i + 1] != 0x89) out[n++] = '-';
        ++i;
        continue;
      }
    } else if (c == 0xBB) {
      if (point || exp || !any_digit || need_digit_after_mark || ++marks > 2) return false;
      need_digit_after_mark = true;
      a = 'a';
    } else {
      return false;
    }
    if (n + 1 >= cap) return false;
    out[n++] = a;
  }
  out[n] = 0;
  if (!any_digit || need_digit_after_mark) return false;
  if (exp && !exp_digit) return false;
  return true;
}

// The editing loop shared by the number and value inputs: EXE hands the
// text to accept(), which returns 0 when it took it, else an error code to
// show.
template <typename Accept>
i32 ReadLine(u32 typed, u32 *key, i32 row, const char *prompt, u8 *buf, Accept accept) {
  TextLocate(1, row);
  i32 col = 1;
  if (prompt && prompt[0]) {
    TextPrint(prompt);
    for (const char *p = prompt;;) {
      int n = 0;
      FontReadChar(p, &n);
      if (n == 0) break;
      p += n;
      ++col;
    }
  }
  if (col > kLcdColumns) col = kLcdColumns;
  const i32 width = FieldWidth(col);
  u32 start = 0;
  u32 cursor = TextLen(buf);
  if (typed) {
    buf[0] = 0;
    cursor = EditPutChar(buf, kEditLineMax, 0, *key);
  }
  for (;;) {
    start = Redraw(buf, start, cursor, col, row, width, 0, 0);
    u32 k = 0;
    u32 is_char = KeyGetKey(&k);
    for (;;) {
      if (is_char) {
        if (k != kChrNewline && k != kChrArrow) cursor = EditPutChar(buf, kEditLineMax, cursor, k);
        break;
      }
      if (k == kKeyExit || k == kKeyQuit) {
        *key = k;
        TextCursorOff();
        return k == kKeyExit ? -2 : -1;
      }
      if (k == kKeyExe) {
        if (buf[0] == 0) break;
        const i32 err = accept(buf);
        if (err == 0) {
          *key = k;
          TextCursorOff();
          return 0;
        }
        ErrBox(err);
        break;
      }
      const i32 r = EditMoveCursorEx(buf, kEditLineMax, &start, &cursor, &k, col, row, width);
      if (r == kEditHandBackChar) {
        is_char = 1;
        continue;
      }
      if (r == kEditHandBackKey) continue;
      break;
    }
  }
}

// The value of the text: a plain number is read directly, anything else
// goes through the evaluator (so "2/3" and "sin 30" are numbers too), its
// fractions turned into decimals. Returns 0, or the error code to show.
i32 Evaluate(const u8 *text, Value *out) {
  std::memset(out, 0, sizeof *out);
  if (EditParseNumber(text, &out->re)) {
    if (RealIsFrac(&out->re)) RealFracToDecimal(&out->re, &out->re);
    RealSetZero(&out->im);
    return 0;
  }
  TokPos pos = text;
  EvalCell cell;
  if (EvalFormula(&pos, 5, &cell) == 0) {
    const i32 code = ValErrorCode(&cell);
    return code != 0 ? code : kErrSyntax;
  }
  *out = cell;
  return 0;
}

}  // namespace

i32 EditCharColumns(u16 code, char *text) {
  // A token shows as its display name ("sin " takes four columns); any
  // other character as its own glyph.
  char name[kStrTokenNameMax];
  StrTokenName(code, name);
  const i32 cols = static_cast<i32>(StrCharCount(name));
  if (cols == 0) {
    name[0] = ' ';
    name[1] = 0;
  }
  if (text) std::memcpy(text, name, std::strlen(name) + 1);
  return cols == 0 ? 1 : cols;
}

u32 EditPutCharAt(u8 *buf, u32 size, u32 pos, u32 code, u32 insert) {
  if (!buf || code == 0) return pos;
  const u32 len = TextLen(buf);
  if (pos > len) pos = len;
  const u32 need = CodeBytes(code);
  u32 replaced = 0;
  if (!insert && pos < len) replaced = NextChar(buf, pos) - pos;
  if (len - replaced + need > size) return pos;
  std::memmove(buf + pos + need, buf + pos + replaced, len - pos - replaced + 1);
  WriteCode(buf + pos, code);
  return pos + need;
}

u32 EditPutChar(u8 *buf, u32 size, u32 pos, u32 code) {
  return EditPutCharAt(buf, size, pos, code, KeyGetInsertMode() != kInsertOverwrite);
}

i32 EditMoveCursorEx(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row, i32 width) {
  return ApplyKey(buf, size, start, cursor, key, col, row, width, true);
}

i32 EditMoveCursor(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row) {
  return EditMoveCursorEx(buf, size, start, cursor, key, col, row, FieldWidth(col));
}

i32 EditMoveCursorIn(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 key, i32 col, i32 row, i32 columns) {
  return ApplyKey(buf, size, start, cursor, &key, col, row, columns, false);
}

u32 EditRedrawLine(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row) {
  return Redraw(buf, start, cursor, col, row, FieldWidth(col), 0, 0);
}

u32 EditRedrawLineIn(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row, i32 width) {
  return Redraw(buf, start, cursor, col, row, width, 0, 0);
}

i32 EditParseNumber(const u8 *text, BcdReal *out) {
  char ascii[kEditLineMax + 8];
  if (!text || !NumberText(text, ascii, sizeof ascii)) return 0;
  BcdReal r;
  RealSetZero(&r);
  NumParse(ascii, &r);
  if (RealErrorCode(&r) != 0) return 0;
  *out = r;
  return 1;
}

i32 EditEvaluateNumber(const u8 *text, BcdReal *out) {
  Value v;
  const i32 err = Evaluate(text, &v);
  if (err != 0) return err;
  if (ValIsComplex(&v) == 1) return kErrMa;  // a real is asked for
  *out = v.re;
  return 0;
}

i32 EditReadNumber(u32 typed, u32 *key, i32 row, BcdReal *value, const char *prompt) {
  u8 buf[kEditLineMax + 1] = {};
  if (!typed) NumRealToTokens(value, buf);
  return ReadLine(typed, key, row, prompt, buf, [value](const u8 *text) -> i32 {
    BcdReal r;
    const i32 err = EditEvaluateNumber(text, &r);
    if (err == 0) *value = r;
    return err;
  });
}

i32 EditReadValue(u32 typed, u32 *key, i32 row, Value *value, const char *prompt) {
  u8 buf[kEditLineMax + 1] = {};
  if (!typed) {
    u8 text[45];
    NumToTokens(value, text);
    std::memcpy(buf, text, sizeof text);
  }
  return ReadLine(typed, key, row, prompt, buf, [value](const u8 *text) -> i32 {
    Value v;
    const i32 err = Evaluate(text, &v);
    if (err != 0) return err;
    *value = v;
    return 0;
  });
}
