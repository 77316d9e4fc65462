// The textbook editor: the cursor inside templates, entering tokens and
// templates, deleting, and the textbook form of results.
//
// The cursor is a byte offset into the formula. It stands before an
// ordinary token, at the end of a part (on the marker that ends it) or at
// the end of the string, never between a template's markers
// (MprintLegalCursor).
#include <algorithm>
#include <cstring>

#include "kernel/heap.h"
#include "memory/mcs_store.h"
#include "number/numtext.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/mprint.h"

namespace {

u32 Length(const u8 *expr) { return static_cast<u32>(std::strlen(reinterpret_cast<const char *>(expr))); }

bool IsMarker(u8 c) {
  return c == kMprOpen || c == kMprClose || c == kMprSep || c == kMprGroup || c == kMprGroupEnd ||
         c == kMprMark5 || c == kMprList || c == kMprListEnd || c == kMprRow || c == kMprRowEnd;
}

// Offset of the token that ends right before `pos` (pos > 0).
u32 PrevToken(const u8 *expr, u32 pos) {
  u32 off = 0, prev = 0;
  while (off < pos) {
    prev = off;
    const u32 len = MprintTokenLength(expr + off);
    if (len == 0) break;
    off += len;
  }
  return prev;
}

bool Replace(u8 *expr, u32 limit, u32 at, u32 remove, const u8 *bytes, u32 n) {
  const u32 len = Length(expr);
  if (at + remove > len) return false;
  if (len - remove + n > limit) return false;
  std::memmove(expr + at + n, expr + at + remove, len - at - remove + 1);
  if (n != 0) std::memcpy(expr + at, bytes, n);
  return true;
}

// The legal place after the cursor, or the cursor itself at the end.
u32 NextLegal(const u8 *expr, u32 cursor) {
  u32 pos = cursor;
  for (;;) {
    const u32 len = MprintTokenLength(expr + pos);
    if (len == 0) return pos;
    pos += len;
    if (MprintLegalCursor(expr, static_cast<u16>(pos)) == pos) return pos;
  }
}

// The legal place before the cursor; the cursor itself when there is none.
u32 PrevLegal(const u8 *expr, u32 cursor) {
  if (cursor == 0) return 0;
  return MprintLegalCursor(expr, static_cast<u16>(PrevToken(expr, cursor)));
}

// Vertical move from the cursor: the part above or below in the innermost
// template that has one. Returns the new cursor or -1; *head_out, when
// given, receives the offset of that template's head.
i32 VerticalMove(const u8 *expr, u32 cursor, bool up, u32 *head_out = nullptr) {
  u32 pos = cursor;
  for (;;) {
    MprintPlace place{};
    if (!MprintFindTemplate(expr, static_cast<u16>(pos), &place)) return -1;
    const u8 *head = expr + place.head;
    MprintPart parts[kMprPartsMax];
    const u32 count = MprintTemplateParts(head, parts, kMprPartsMax);
    i32 target = -1;
    if (place.number == 7 || place.number == 13) {
      const u32 num = count == 3 ? 1 : 0;
      if (up && place.part == num + 1) target = static_cast<i32>(num);
      if (!up && place.part == num) target = static_cast<i32>(num + 1);
    } else if (place.number == 12) {
      const i32 row = place.row + (up ? -1 : 1);
      for (u32 i = 0; i < count; ++i)
        if (static_cast<i32>(parts[i].row) == row && parts[i].column == place.column) target = static_cast<i32>(i);
    } else if (place.number == 1 || place.number == 10) {
      // Integral: integrand, lower, upper; sum: term, index, first, last.
      const u32 upper = place.number == 1 ? 2 : 3, lower = 1;
      if (up && place.part != upper) target = static_cast<i32>(upper);
      if (!up && place.part == upper) target = 0;
      if (!up && place.part == 0) target = static_cast<i32>(lower);
    }
    if (target >= 0) {
      if (head_out != nullptr) *head_out = place.head;
      return static_cast<i32>(place.head + parts[target].start);
    }
    pos = place.head;  // try the template around this one
  }
}

// True for a part that reads the same without parentheses: empty, one
// number, or one single-byte name.
bool BarePart(const u8 *p, u32 n) {
  if (n == 0) return true;
  bool digits = true;
  for (u32 i = 0; i < n; ++i)
    if (!((p[i] >= '0' && p[i] <= '9') || p[i] == '.')) digits = false;
  if (digits) return true;
  return n == 1 && ((p[0] >= 'A' && p[0] <= 'Z') || p[0] == 0xCD || p[0] == 0xCE || p[0] == 0xD0 || p[0] == 0xC0);
}

// Replaces the template at head by its contents in linear text that keeps
// their meaning and stays well formed: a one-part template by its content,
// a fraction or x-th root by its parts joined with its operator (a part in
// parentheses unless it is a number or a name), a call-like template by its
// call ("∫(f,a,b)"), a list or matrix by its brackets.
bool DropTemplate(u8 *expr, u32 limit, u32 head) {
  MprintPart parts[kMprPartsMax];
  const u8 *h = expr + head;
  const u32 count = MprintTemplateParts(h, parts, kMprPartsMax);
  const u32 len = MprintTemplateLength(h);
  if (count == 0 || count > kMprPartsMax) return false;
  const u8 number = MprintTemplateNumber(h);
  const u8 kind = MprintTemplateKind(h);
  u8 joined[2 * kMprTextMax];
  u32 n = 0;
  bool fits = true;
  auto put = [&](u8 c) {
    if (n < sizeof joined) {
      joined[n++] = c;
    } else {
      fits = false;
    }
  };
  auto put_part = [&](u32 i, bool wrap) {
    const u8 *p = h + parts[i].start;
    const u32 w = parts[i].end - parts[i].start;
    wrap = wrap && !BarePart(p, w);
    if (wrap) put('(');
    for (u32 k = 0; k < w; ++k) put(p[k]);
    if (wrap) put(')');
  };
  if (kind == 1 || kind == 6) {
    put_part(0, false);
  } else if (kind == 3 || kind == 5) {
    const u8 joint = number == 6 ? 0xB8 : count == 3 ? 0xBB : 0xB9;
    for (u32 i = 0; i < count; ++i) {
      if (i > 0) put(joint);
      put_part(i, true);
    }
  } else if (kind == 2 || kind == 4) {
    const u32 head_len = MprintTokenLength(h);
    for (u32 k = 0; k < head_len; ++k) put(h[k]);
    for (u32 i = 0; i < count; ++i) {
      if (i > 0) put(',');
      put_part(i, false);
    }
    put(')');
  } else if (kind == 7) {
    put('{');
    for (u32 i = 0; i < count; ++i) {
      if (i > 0) put(',');
      put_part(i, false);
    }
    put('}');
  } else {
    put('[');
    for (u32 i = 0; i < count; ++i) {
      if (i == 0 || parts[i].row != parts[i - 1].row) {
        if (i > 0) put(']');
        put('[');
      } else {
        put(',');
      }
      put_part(i, false);
    }
    put(']');
    put(']');
  }
  if (!fits) return false;
  return Replace(expr, limit, head, len, joined, n);
}

u32 Delete(u8 *expr, u32 limit, u32 cursor) {
  if (KeyGetInsertMode() == kInsertOverwrite) {
    const u8 c = expr[cursor];
    if (c != 0 && !IsMarker(c) && MprintTokenClass(expr + cursor) != kMprHead)
      Replace(expr, limit, cursor, MprintTokenLength(expr + cursor), nullptr, 0);
    return cursor;
  }
  if (cursor == 0) return 0;
  const u32 prev = PrevToken(expr, cursor);
  const u8 c = expr[prev];
  if (!IsMarker(c)) {
    Replace(expr, limit, prev, cursor - prev, nullptr, 0);
    return prev;
  }
  const bool opens = c == kMprOpen || c == kMprList || c == kMprRow || c == kMprSep || c == kMprGroup ||
                     c == kMprMark5;
  if (opens) {
    MprintPlace place{};
    if (MprintFindTemplate(expr, static_cast<u16>(cursor), &place) && place.part == 0) {
      if (DropTemplate(expr, limit, place.head)) return place.head;
      return cursor;
    }
  }
  // At the start of a later part, or right after a template: step back.
  return PrevLegal(expr, cursor);
}

u32 Paste(u8 *expr, u32 limit, u32 cursor) {
  u8 *data = nullptr;
  u32 size = 0;
  const u8 *text = nullptr;
  u32 n = 0;
  if (McsFindItem("@REV2", "NAT_CLIP", nullptr, nullptr, &data, &size) == 0) {
    n = static_cast<u32>(strnlen(reinterpret_cast<const char *>(data), size));
    if (n <= kMprTextMax) {
      u8 copy[kMprTextMax + 1];
      std::memcpy(copy, data, n);
      copy[n] = 0;
      if (MprintCheckTemplates(copy)) text = data;
    }
  }
  if (text == nullptr && McsFindItem("@REV2", "CLIP", nullptr, nullptr, &data, &size) == 0) {
    n = static_cast<u32>(strnlen(reinterpret_cast<const char *>(data), size));
    text = data;
  }
  if (text == nullptr || n == 0) return cursor;
  u8 copy[kMprTextMax + 1];
  if (n > kMprTextMax) return cursor;
  std::memcpy(copy, text, n);
  if (!Replace(expr, limit, cursor, 0, copy, n)) return cursor;
  return cursor + n;
}

// A template's bytes as the keys enter it, with the cursor's offset in it.
u32 TemplateBytes(u32 code, u8 *out, u32 *cursor_at) {
  const MprintState &s = *MprintGetState();
  u32 n = 0;
  auto head = [&](u32 c) {
    if (c > 0xFF) out[n++] = static_cast<u8>(c >> 8);
    out[n++] = static_cast<u8>(c);
  };
  switch (code) {
    case 0x86: case 0x97: case 0xA5: case 0xB5:  // one part in a group
      head(code);
      out[n++] = kMprGroup;
      out[n++] = kMprOpen;
      *cursor_at = n;
      out[n++] = kMprClose;
      out[n++] = kMprGroupEnd;
      return n;
    case 0xBB: case 0xB8: case 30054:  // two stacked or joined parts
      if (code == 30054) {
        head(0x7F5F);
        out[n++] = kMprMark5;
      } else {
        head(code);
      }
      out[n++] = kMprGroup;
      out[n++] = kMprOpen;
      *cursor_at = n;
      out[n++] = kMprClose;
      out[n++] = kMprOpen;
      out[n++] = kMprClose;
      out[n++] = kMprGroupEnd;
      return n;
    case 0xA8: case 0x8B:  // the power; x² enters it with 2
      head(0xA8);
      out[n++] = kMprOpen;
      if (code == 0x8B) out[n++] = '2';
      *cursor_at = n;
      out[n++] = kMprClose;
      if (code == 0x8B) *cursor_at = n;
      return n;
    case 0x7F26: case 0x7F27: case 0x7F85: case 0x8D: case 0x7F29: {
      const u32 seps = code == 0x8D ? 2 : code == 0x7F29 ? 3 : 1;
      head(code);
      out[n++] = kMprOpen;
      *cursor_at = n;
      for (u32 i = 0; i < seps; ++i) out[n++] = kMprSep;
      out[n++] = kMprClose;
      return n;
    }
    case 0x7F5C:
      head(code);
      out[n++] = kMprList;
      *cursor_at = n;
      out[n++] = kMprListEnd;
      return n;
    case 0x7F5D:
      head(code);
      out[n++] = kMprRow;
      *cursor_at = n + 1;
      for (u32 r = 0; r < s.matrix_rows; ++r) {
        out[n++] = kMprRow;
        for (u32 c = 1; c < s.matrix_cols; ++c) out[n++] = kMprSep;
        out[n++] = kMprRowEnd;
      }
      out[n++] = kMprRowEnd;
      return n;
    default: return 0;
  }
}

}  // namespace

u8 MprintFindTemplate(const u8 *expr, u16 pos, MprintPlace *out) {
  u8 found = 0;
  for (u32 off = 0; off < pos;) {
    const u8 *p = expr + off;
    if (MprintTokenClass(p) == kMprHead) {
      MprintPart parts[kMprPartsMax];
      const u32 count = std::min<u32>(MprintTemplateParts(p, parts, kMprPartsMax), kMprPartsMax);
      for (u32 i = 0; i < count; ++i) {
        if (pos >= off + parts[i].start && pos <= off + parts[i].end) {
          if (out) *out = {static_cast<u16>(off), MprintTemplateNumber(p), static_cast<u8>(i), parts[i].row,
                           parts[i].column, static_cast<u8>(count)};
          found = 1;
          break;
        }
      }
    }
    const u32 len = MprintTokenLength(p);
    if (len == 0) break;
    off += len;
  }
  return found;
}

void MprintBoxAround(const u8 *expr, u16 pos, u16 *start, u16 *end) {
  MprintPlace place{};
  if (MprintFindTemplate(expr, pos, &place)) {
    MprintPart parts[kMprPartsMax];
    const u32 count = MprintTemplateParts(expr + place.head, parts, kMprPartsMax);
    if (place.part < count) {
      *start = static_cast<u16>(place.head + parts[place.part].start);
      *end = static_cast<u16>(place.head + parts[place.part].end);
      return;
    }
  }
  *start = 0;
  *end = static_cast<u16>(Length(expr));
}

namespace {

// Bytes an element takes: a whole template, or one token.
u32 ElementLength(const u8 *p) {
  return MprintTokenClass(p) == kMprHead ? MprintTemplateLength(p) : MprintTokenLength(p);
}

// The element of box [start, end) holding `at` strictly inside it, as
// [*lo, *hi); at itself when it is a place of the box (or lies outside it).
void ElementAround(const u8 *expr, u16 start, u16 end, u16 at, u16 *lo, u16 *hi) {
  *lo = *hi = std::clamp(at, start, end);
  for (u32 off = start; off < end && off < at;) {
    u32 len = ElementLength(expr + off);
    if (len == 0) break;
    if (off + len > end) len = end - off;
    if (at < off + len) {
      *lo = static_cast<u16>(off);
      *hi = static_cast<u16>(off + len);
      return;
    }
    off += len;
  }
}

// The element boundary of box [start, end) after (right) or before `pos`;
// pos itself at the box's edge.
u16 BoxStep(const u8 *expr, u16 start, u16 end, u16 pos, bool right) {
  for (u32 off = start; off < end;) {
    u32 len = ElementLength(expr + off);
    if (len == 0) break;
    if (off + len > end) len = end - off;
    if (right && off + len > pos) return static_cast<u16>(off + len);
    if (!right) {
      if (off >= pos) return pos;
      if (off + len >= pos) return static_cast<u16>(off);
    }
    off += len;
  }
  return pos;
}

}  // namespace

void MprintSelectionRange(const u8 *expr, u16 anchor, u16 pos, u16 *from, u16 *to) {
  u16 start = 0, end = 0;
  MprintBoxAround(expr, pos, &start, &end);
  u16 lo = 0, hi = 0;
  ElementAround(expr, start, end, anchor, &lo, &hi);
  *from = std::min(lo, pos);
  *to = std::max(hi, pos);
}

u16 MprintSelectionStep(const u8 *expr, u16 anchor, u16 pos, bool right) {
  u16 start = 0, end = 0;
  MprintBoxAround(expr, pos, &start, &end);
  u16 from = 0, to = 0;
  MprintSelectionRange(expr, anchor, pos, &from, &to);
  // Crossing the element that holds the anchor changes nothing shown: one
  // more step, so that every arrow shows its effect.
  u16 at = pos;
  for (int i = 0; i < 2; ++i) {
    const u16 next = BoxStep(expr, start, end, at, right);
    if (next == at) return at;
    at = next;
    u16 f = 0, t = 0;
    MprintSelectionRange(expr, anchor, at, &f, &t);
    if (f != from || t != to) return at;
  }
  return at;
}

u16 MprintSelectionVertical(const u8 *expr, u16 pos, bool up) {
  u32 head = 0;
  if (VerticalMove(expr, pos, up, &head) < 0) return pos;
  return static_cast<u16>(head + MprintTemplateLength(expr + head));
}

u16 MprintDrawAt(u8 *expr, u32 limit, u16 cursor_in, u32 code, u8 insert_mode) {
  if (limit > kMprTextMax) limit = kMprTextMax;
  if (expr[0] == kMprEmptyBox && expr[1] == 0) {
    expr[0] = 0;
    cursor_in = 0;
  }
  u32 cursor = MprintLegalCursor(expr, cursor_in);
  MprintSaveBackup(expr, static_cast<u16>(cursor));
  u8 bytes[2 + 2 * kMprMatrixMax * kMprMatrixMax + 8];
  u32 at = 0;
  u32 n = TemplateBytes(code, bytes, &at);
  if (n != 0) {
    // Square root, Abs, e^ and 10^ before a number take it in.
    const u8 kind = MprintRawTemplateKind(bytes);
    if (kind == 1) {
      u32 end = cursor;
      while ((expr[end] >= '0' && expr[end] <= '9') || expr[end] == '.') ++end;
      if (end > cursor) {
        u8 wrapped[kMprTextMax + 8];
        const u32 num = end - cursor;
        if (n + num > sizeof wrapped) return static_cast<u16>(cursor);
        std::memcpy(wrapped, bytes, at);
        std::memcpy(wrapped + at, expr + cursor, num);
        std::memcpy(wrapped + at + num, bytes + at, n - at);
        if (!Replace(expr, limit, cursor, num, wrapped, n + num)) return static_cast<u16>(cursor);
        return static_cast<u16>(cursor + at + num);
      }
    }
    if (!Replace(expr, limit, cursor, 0, bytes, n)) return static_cast<u16>(cursor);
    return static_cast<u16>(cursor + at);
  }
  // Key codes (30000-32100) other than the template keys enter nothing; the
  // two-byte token codes lie above them (lead byte 0x7F and up).
  if (code == 0 || code > 0xFFFF || (code >= 30000 && code < 0x7F00)) return static_cast<u16>(cursor);
  // A comma in a list element starts the next element.
  if (code == ',') {
    MprintPlace place{};
    if (MprintFindTemplate(expr, static_cast<u16>(cursor), &place) && place.number == 11) {
      const u8 sep = kMprSep;
      if (place.parts >= kMprListMax) return static_cast<u16>(cursor);
      if (!Replace(expr, limit, cursor, 0, &sep, 1)) return static_cast<u16>(cursor);
      return static_cast<u16>(cursor + 1);
    }
  }
  if (code > 0xFF) {
    bytes[n++] = static_cast<u8>(code >> 8);
    bytes[n++] = static_cast<u8>(code);
  } else {
    bytes[n++] = static_cast<u8>(code);
  }
  u32 remove = 0;
  if (insert_mode == kInsertOverwrite) {
    const u8 c = expr[cursor];
    if (c != 0 && !IsMarker(c) && MprintTokenClass(expr + cursor) != kMprHead)
      remove = MprintTokenLength(expr + cursor);
  }
  if (!Replace(expr, limit, cursor, remove, bytes, n)) return static_cast<u16>(cursor);
  return static_cast<u16>(cursor + n);
}

u32 MprintEditKey(u8 *expr, u32 limit, u16 *cursor_io, u32 key) {
  if (limit > kMprTextMax) limit = kMprTextMax;
  u32 cursor = MprintLegalCursor(expr, *cursor_io);
  u32 result = kMprEditDone;
  switch (key) {
    case kKeyLeft:
      if (cursor == 0) {
        result = kMprEditLeft;
      } else {
        cursor = PrevLegal(expr, cursor);
      }
      break;
    case kKeyRight:
      if (expr[cursor] == 0) {
        result = kMprEditRight;
      } else {
        cursor = NextLegal(expr, cursor);
      }
      break;
    case kKeyUp:
    case kKeyDown: {
      const i32 to = VerticalMove(expr, cursor, key == kKeyUp);
      if (to < 0) {
        result = key == kKeyUp ? kMprEditUp : kMprEditDown;
      } else {
        cursor = static_cast<u32>(to);
      }
      break;
    }
    case kKeyDel:
      MprintSaveBackup(expr, static_cast<u16>(cursor));
      cursor = Delete(expr, limit, cursor);
      break;
    case kKeyAc:
      MprintSaveBackup(expr, static_cast<u16>(cursor));
      expr[0] = 0;
      cursor = 0;
      break;
    case kKeyPaste:
      MprintSaveBackup(expr, static_cast<u16>(cursor));
      cursor = Paste(expr, limit, cursor);
      break;
    default: return kMprEditOther;
  }
  *cursor_io = MprintLegalCursor(expr, static_cast<u16>(cursor));
  return result;
}

// ---- results ------------------------------------------------------------------------

namespace {

using Out = MprintWriter;

// A display text without its line breaks.
void PutText(Out *o, const char *text) {
  for (const char *p = text; *p; ++p)
    if (*p != 0x0D) o->Put(static_cast<u8>(*p));
}

// A scalar's display text, its fraction written as a fraction template.
void PutScalar(Out *o, const Value *v) {
  char text[kNumTextSize];
  NumToText(v, text);
  const bool complex = ValIsComplex(v) == 1;
  const char *p = text;
  // Only a real fraction turns into a template: "n⌟d" or "w⌟n⌟d".
  const char *bar1 = complex ? nullptr : std::strchr(p, static_cast<char>(0xBB));
  if (bar1 == nullptr) {
    PutText(o, text);
    return;
  }
  if (static_cast<u8>(*p) == 0x87) {
    o->Put(0x87);
    ++p;
  }
  const char *bar2 = std::strchr(bar1 + 1, static_cast<char>(0xBB));
  o->Put(0xBB);
  o->Put(kMprGroup);
  auto part = [&](const char *from, const char *to) {
    o->Put(kMprOpen);
    for (const char *q = from; q < to; ++q) o->Put(static_cast<u8>(*q));
    o->Put(kMprClose);
  };
  part(p, bar1);
  if (bar2 != nullptr) {
    part(bar1 + 1, bar2);
    part(bar2 + 1, bar2 + std::strlen(bar2));
  } else {
    part(bar1 + 1, bar1 + std::strlen(bar1));
  }
  o->Put(kMprGroupEnd);
}

// Element i of a list or matrix block of n elements.
void Element(const u8 *block, u32 n, u32 i, bool complex, Value *out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out->re.b, block + 12 * i, 12);
  if (complex) {
    Value parts{};
    std::memcpy(parts.im.b, block + 12 * (n + i), 12);
    ValFromParts(&out->re, &parts.im, out);
  }
}

}  // namespace

u32 MprintFromValue(const Value *value, u8 *out, u32 cap) {
  if (cap == 0) return 0;
  out[0] = 0;
  Out o{out, cap};
  const int kind = ValKind(value);
  if (kind == kValKindScalar) {
    PutScalar(&o, value);
  } else if (kind == kValKindList || kind == kValKindMatrix) {
    EvalArrayHeader h{};
    ValGetHeader(value, &h);
    const bool complex = (h.kind & 0x80) != 0;
    const u8 *block = MemDeref(h.handle);
    if (block == nullptr) return 0;
    Value e{};
    if (kind == kValKindList) {
      if (h.count == 0 || h.count > kMprListMax) return 0;
      o.Put(0x7F);
      o.Put(0x5C);
      o.Put(kMprList);
      for (u32 i = 0; i < h.count; ++i) {
        if (i > 0) o.Put(kMprSep);
        Element(block, h.count, i, complex, &e);
        PutScalar(&o, &e);
      }
      o.Put(kMprListEnd);
    } else {
      if (h.count == 0 || h.cols == 0 || h.count > kMprMatrixMax || h.cols > kMprMatrixMax) return 0;
      o.Put(0x7F);
      o.Put(0x5D);
      o.Put(kMprRow);
      const u32 n = static_cast<u32>(h.count) * h.cols;
      for (u32 r = 0; r < h.count; ++r) {
        o.Put(kMprRow);
        for (u32 c = 0; c < h.cols; ++c) {
          if (c > 0) o.Put(kMprSep);
          Element(block, n, r * h.cols + c, complex, &e);
          PutScalar(&o, &e);
        }
        o.Put(kMprRowEnd);
      }
      o.Put(kMprRowEnd);
    }
  } else {
    return 0;
  }
  if (o.full) {
    out[0] = 0;
    return 0;
  }
  out[o.n] = 0;
  return o.n;
}
