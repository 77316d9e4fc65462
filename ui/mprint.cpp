// The textbook token model: token classes, template shapes and lengths, the
// well-formedness check and the linear form.
#include "ui/mprint.h"

#include <cstring>
#include <vector>

namespace {

MprintState g_state{};

bool IsLead(u8 c) { return c == 0x7F || c == 0xF7 || c == 0xF9 || (c >= 0xE5 && c <= 0xE7); }

// Raw class of a one-byte token.
u8 OneByteClass(u8 c) {
  switch (c) {
    case 0x00: return kMprEnd;
    case 0x1A: return kMprBoxOpen;
    case 0x1B: return kMprBoxClose;
    case 0x1C: return kMprSeparator;
    case 0x1D: return kMprGroupOpen;
    case 0x1E: return kMprGroupClose;
    case '(': return kMprParenOpen;
    case ')': return kMprParenClose;
    case '{': return kMprBraceOpen;
    case '}': return kMprBraceClose;
    case '[': return kMprBracketOpen;
    case ']': return kMprBracketClose;
    case 0x84: return kMprListOpen;
    case 0x94: return kMprListClose;
    case 0xA4: return kMprRowOpen;
    case 0xB4: return kMprRowClose;
    case 0x86: case 0x8D: case 0x97: case 0xA5: case 0xA8: case 0xB5: case 0xB8: case 0xBB:
    case 0x8B: case 0x96: case 0x9B:
      return kMprHead;
    case 0x80: case 0xA0: case 0xF5: case 0xFB: case 0xFC: case 0xFD: case 0xFE:
      return kMprFunction;
    default: return kMprOrdinary;
  }
}

// Raw class of a 0x7F token by its second byte.
u8 SecondByteClass(u8 c) {
  switch (c) {
    case 0x26: case 0x27: case 0x29: case 0x5C: case 0x5D: case 0x5F: case 0x85:
      return kMprHead;
    case 0x20: case 0x28: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E: case 0x2F:
    case 0x47: case 0x49: case 0x4A: case 0x4B: case 0x86:
    case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEE: case 0xEF:
      return kMprFunction;
    default: return kMprOrdinary;
  }
}

struct TemplateRow {
  u16 head;
  u8 width;
  u8 kind;
};
constexpr TemplateRow kTemplates[15] = {
    {0x86, 1, 1},   {0x8D, 2, 4},   {0x97, 2, 1},   {0xA5, 2, 1},   {0xA8, 1, 6},
    {0xB5, 2, 1},   {0xB8, 1, 3},   {0xBB, 1, 3},   {0x7F26, 4, 2}, {0x7F27, 5, 2},
    {0x7F29, 2, 4}, {0x7F5C, 1, 7}, {0x7F5D, 1, 8}, {0x7F5F, 1, 5}, {0x7F85, 4, 2},
};

// The marker that must follow a head of each kind.
u8 KindMarker(u8 kind) {
  switch (kind) {
    case 1: case 3: return kMprGroup;
    case 2: case 4: case 6: return kMprOpen;
    case 5: return kMprMark5;
    case 7: return kMprList;
    case 8: return kMprRow;
    default: return 0xFF;
  }
}

// The opener class of a closer class.
u8 OpenerOf(u8 closer) {
  switch (closer) {
    case kMprParenClose: return kMprParenOpen;
    case kMprBraceClose: return kMprBraceOpen;
    case kMprBracketClose: return kMprBracketOpen;
    case kMprListClose: return kMprListOpen;
    case kMprRowClose: return kMprRowOpen;
    default: return 0xFF;
  }
}

u8 CloserOf(u8 opener) {
  switch (opener) {
    case kMprParenOpen: case kMprFunction: return kMprParenClose;
    case kMprBraceOpen: return kMprBraceClose;
    case kMprBracketOpen: return kMprBracketClose;
    case kMprListOpen: return kMprListClose;
    case kMprRowOpen: return kMprRowClose;
    default: return 0xFF;
  }
}

bool SameOpener(u8 a, u8 b) {
  auto norm = [](u8 c) { return c == kMprFunction ? static_cast<u8>(kMprParenOpen) : c; };
  return norm(a) == norm(b);
}

// Group walk: the length and whether the group's own closer ended it.
u32 GroupWalk(const u8 *start, u8 stop_at_comma, bool *closed) {
  *closed = false;
  const u8 opener = MprintTokenClass(start);
  if (stop_at_comma == 1 && opener != kMprParenOpen) return 0;
  const u8 closer = CloserOf(opener);
  if (closer == 0xFF) return 0;
  const u8 *p = start + MprintTokenLength(start);
  u32 nest = 0;
  for (;;) {
    const u8 cls = MprintTokenClass(p);
    if (cls == kMprEnd) break;
    if (cls == closer) {
      p += MprintTokenLength(p);
      if (nest == 0) {
        *closed = true;
        break;
      }
      --nest;
      continue;
    }
    if (SameOpener(cls, opener)) {
      ++nest;
      p += MprintTokenLength(p);
      continue;
    }
    if (cls == kMprHead) {
      const u32 n = MprintTemplateLength(p);
      p += n != 0 ? n : MprintTokenLength(p);
      continue;
    }
    if (cls == kMprBoxClose || cls == kMprListClose || cls == kMprRowClose) break;
    if (cls == kMprSeparator && opener < kMprListOpen) break;
    if (stop_at_comma == 1 && *p == ',') break;
    p += MprintTokenLength(p);
  }
  return static_cast<u32>(p - start);
}

// Steps over the parts of one box that holds separator-delimited parts (a
// box of kinds 2 and 4, a list, a matrix row), appending them; p stands on
// the first content byte; returns the pointer to the ending marker.
const u8 *WalkParts(const u8 *head, const u8 *p, u8 row, MprintPart *parts, u32 max, u32 *count, bool seps) {
  u8 column = 0;
  for (;;) {
    const u8 *end = p + MprintBoxLength(p);
    if (*count < max) parts[*count] = {static_cast<u16>(p - head), static_cast<u16>(end - head), row, column};
    ++*count;
    if (seps && *end == kMprSep) {
      p = end + 1;
      ++column;
      continue;
    }
    return end;
  }
}

}  // namespace

MprintState *MprintGetState() { return &g_state; }

u16 MprintResultPosition() { return g_state.result; }

u16 MprintTokenAt(const u8 *p, u32 *length) {
  if (p[0] == 0) {
    *length = 0;
    return 0;
  }
  if (IsLead(p[0])) {
    if (p[1] == 0) {
      *length = 0;
      return 0;
    }
    *length = 2;
    return static_cast<u16>(p[0] << 8 | p[1]);
  }
  *length = 1;
  return p[0];
}

u32 MprintTokenLength(const u8 *p) {
  u32 n = 0;
  MprintTokenAt(p, &n);
  return n;
}

u8 MprintRawClass(const u8 *token) {
  u32 len = 0;
  const u16 code = MprintTokenAt(token, &len);
  if (len == 0) return kMprEnd;
  if (len == 1) return OneByteClass(static_cast<u8>(code));
  const u8 lead = static_cast<u8>(code >> 8), second = static_cast<u8>(code);
  if (lead == 0x7F) return second >= 240 ? static_cast<u8>(kMprOrdinary) : SecondByteClass(second);
  if (lead == 0xF7 && (second == 0x11 || second == 0x12 || second == 0xAF || second == 0xB0 || second == 0xB1))
    return kMprFunction;
  return kMprOrdinary;
}

u8 MprintTemplateNumber(const u8 *token) {
  u32 len = 0;
  const u16 code = MprintTokenAt(token, &len);
  if (len == 0) return kMprNoTemplate;
  if (len == 2 && (code >> 8) != 0x7F) return kMprNoTemplate;
  for (u8 i = 0; i < 15; ++i)
    if (kTemplates[i].head == code) return i;
  return kMprNoTemplate;
}

u8 MprintHeadWidth(u8 number) { return number < 15 ? kTemplates[number].width : 0; }

u8 MprintRawTemplateKind(const u8 *token) {
  if (MprintRawClass(token) != kMprHead) return 0;
  const u8 n = MprintTemplateNumber(token);
  return n < 15 ? kTemplates[n].kind : 0;
}

u8 MprintTokenClass(const u8 *token) {
  const u8 raw = MprintRawClass(token);
  if (raw != kMprHead) return raw;
  const u8 n = MprintTemplateNumber(token);
  if (n >= 15) return kMprOrdinary;
  const u8 kind = kTemplates[n].kind;
  if (token[MprintTokenLength(token)] == KindMarker(kind)) return kMprHead;
  return (kind == 2 || kind == 4) ? static_cast<u8>(kMprFunction) : static_cast<u8>(kMprOrdinary);
}

u8 MprintClassify(const u8 *token) {
  const u8 cls = MprintTokenClass(token);
  if (cls == kMprBoxClose && token[1] == kMprOpen) return kMprBoxBoundary;
  return cls;
}

u8 MprintTemplateKind(const u8 *token) {
  if (MprintTokenClass(token) != kMprHead) return 0;
  return kTemplates[MprintTemplateNumber(token)].kind;
}

bool MprintIsOpen(u8 c) { return c == kMprBoxOpen || c == kMprListOpen || c == kMprRowOpen; }
bool MprintIsClose(u8 c) { return c == kMprBoxClose || c == kMprListClose || c == kMprRowClose; }
bool MprintIsOpenOrSep(u8 c) { return MprintIsOpen(c) || c == kMprSeparator; }
bool MprintIsCloseOrSep(u8 c) { return MprintIsClose(c) || c == kMprSeparator; }
bool MprintIsParenOpen(u8 c) { return c == kMprParenOpen || c == kMprBraceOpen || c == kMprBracketOpen; }
bool MprintIsParenOpenOrFunc(u8 c) { return MprintIsParenOpen(c) || c == kMprFunction; }
bool MprintIsParenClose(u8 c) { return c == kMprParenClose || c == kMprBraceClose || c == kMprBracketClose; }

u32 MprintBoxLength(const u8 *start) {
  const u8 *p = start;
  u32 depth = 0;
  for (;;) {
    const u8 c = *p;
    if (c == 0) break;
    if (IsLead(c)) {
      if (p[1] == 0) break;
      p += 2;
      continue;
    }
    if (c == kMprOpen || c == kMprList || c == kMprRow) {
      ++depth;
    } else if (c == kMprClose || c == kMprListEnd || c == kMprRowEnd) {
      if (depth == 0) break;
      --depth;
    } else if (c == kMprSep && depth == 0) {
      break;
    }
    ++p;
  }
  return static_cast<u32>(p - start);
}

u32 MprintTemplateParts(const u8 *head, MprintPart *parts, u32 max) {
  if (MprintTokenClass(head) != kMprHead) return 0;
  const u8 kind = MprintTemplateKind(head);
  const u8 *p = head + MprintTokenLength(head);
  u32 count = 0;
  switch (kind) {
    case 1: case 3: case 5:
      if (kind == 5) ++p;  // 0x1F
      if (*p != kMprGroup) return 0;
      ++p;
      while (*p == kMprOpen) {
        const u8 *end = WalkParts(head, p + 1, 0, parts, max, &count, false);
        if (*end != kMprClose) break;
        p = end + 1;
      }
      break;
    case 2: case 4: case 6:
      while (*p == kMprOpen) {
        const u8 *end = WalkParts(head, p + 1, 0, parts, max, &count, kind != 6);
        if (*end != kMprClose) break;
        p = end + 1;
      }
      break;
    case 7:
      if (*p == kMprList) WalkParts(head, p + 1, 0, parts, max, &count, true);
      break;
    case 8:
      if (*p != kMprRow) return 0;
      ++p;
      for (u8 row = 0; *p == kMprRow; ++row) {
        const u8 *end = WalkParts(head, p + 1, row, parts, max, &count, true);
        if (*end != kMprRowEnd) break;
        p = end + 1;
      }
      break;
    default: return 0;
  }
  return count;
}

u32 MprintTemplateLength(const u8 *head) {
  if (MprintTokenClass(head) != kMprHead) return 0;
  const u8 kind = MprintTemplateKind(head);
  const u8 *p = head + MprintTokenLength(head);
  auto skip_box = [&](bool seps) {
    // p stands on the box's first content byte; returns the ending marker.
    for (;;) {
      p += MprintBoxLength(p);
      if (seps && *p == kMprSep) {
        ++p;
        continue;
      }
      return *p;
    }
  };
  switch (kind) {
    case 1: case 3: case 5:
      if (kind == 5) ++p;
      ++p;  // 0x1D
      while (*p == kMprOpen) {
        ++p;
        if (skip_box(false) != kMprClose) return static_cast<u32>(p - head);
        ++p;
      }
      if (*p == kMprGroupEnd) ++p;
      break;
    case 2: case 4: case 6:
      while (*p == kMprOpen) {
        ++p;
        if (skip_box(kind != 6) != kMprClose) return static_cast<u32>(p - head);
        ++p;
      }
      break;
    case 7:
      ++p;  // 0x84
      if (skip_box(true) == kMprListEnd) ++p;
      break;
    case 8:
      ++p;  // the outer 0xA4
      while (*p == kMprRow) {
        ++p;
        if (skip_box(true) != kMprRowEnd) return static_cast<u32>(p - head);
        ++p;
      }
      if (*p == kMprRowEnd) ++p;
      break;
    default: return 0;
  }
  return static_cast<u32>(p - head);
}

u32 MprintGroupLength(const u8 *start, u8 stop_at_comma) {
  bool closed = false;
  return GroupWalk(start, stop_at_comma, &closed);
}

u32 MprintGroupWalk(const u8 *start, u8 *closed) {
  bool c = false;
  const u32 n = GroupWalk(start, 0, &c);
  *closed = c ? 1 : 0;
  return n;
}

u32 MprintListElementOffset(const u8 *head, u32 n) {
  if (MprintTemplateKind(head) != 7 || n == 0 || n > kMprListMax) return 0;
  const u8 *p = head + MprintTokenLength(head);
  if (*p != kMprList) return 0;
  ++p;
  for (u32 i = 1; i < n; ++i) {
    p += MprintBoxLength(p);
    if (*p != kMprSep) return 0;
    ++p;
  }
  return static_cast<u32>(p - head);
}

u32 MprintMatrixCellOffset(const u8 *head, u32 row, u32 col) {
  if (MprintTemplateKind(head) != 8 || row == 0 || col == 0 || row > kMprMatrixMax || col > kMprMatrixMax)
    return 0;
  const u8 *p = head + MprintTokenLength(head);
  if (*p != kMprRow) return 0;
  ++p;
  for (u32 r = 1; r < row; ++r) {
    if (*p != kMprRow) return 0;
    ++p;
    for (;;) {
      p += MprintBoxLength(p);
      if (*p == kMprSep) {
        ++p;
        continue;
      }
      break;
    }
    if (*p != kMprRowEnd) return 0;
    ++p;
  }
  if (*p != kMprRow) return 0;
  ++p;
  for (u32 c = 1; c < col; ++c) {
    p += MprintBoxLength(p);
    if (*p != kMprSep) return 0;
    ++p;
  }
  return static_cast<u32>(p - head);
}

// ---- well-formedness -----------------------------------------------------------------

namespace {

// The offsets of the tokens that begin before `at`.
std::vector<u32> TokenStarts(const u8 *text, u32 at) {
  std::vector<u32> starts;
  starts.reserve(kMprTextMax + 1);
  for (u32 off = 0; off < at;) {
    starts.push_back(off);
    const u32 len = MprintTokenLength(text + off);
    if (len == 0) break;
    off += len;
  }
  return starts;
}

}  // namespace

u8 MprintMatchCloser(const u8 *text, u32 at) {
  const u8 closer = MprintTokenClass(text + at);
  const u8 opener = OpenerOf(closer);
  if (opener == 0xFF) return 0;
  // Walk the token starts before `at`, last first.
  const std::vector<u32> starts = TokenStarts(text, at);
  u32 n = static_cast<u32>(starts.size());
  u32 same = 0, depth = 1;
  while (n > 0) {
    const u8 *t = text + starts[--n];
    const u8 cls = MprintTokenClass(t);
    if (cls == closer) {
      ++same;
    } else if (SameOpener(cls, opener) || (opener == kMprParenOpen && cls == kMprFunction)) {
      if (same == 0 && depth == 1) return 1;
      if (same > 0) --same;
    } else if (MprintIsOpen(cls)) {
      if (depth == 1) return 0;
      --depth;
    } else if (MprintIsClose(cls)) {
      ++depth;
    } else if (cls == kMprSeparator && depth == 1 && closer < kMprListClose) {
      return 0;
    }
  }
  return 0;
}

namespace {

// 1 when the comma at `at` stands inside a parenthesised group of its own
// box, or outside every template.
bool CommaAllowed(const u8 *text, u32 at) {
  const std::vector<u32> starts = TokenStarts(text, at);
  u32 n = static_cast<u32>(starts.size());
  i32 parens = 0;
  u32 depth = 0;  // templates stepped over on the way back
  while (n > 0) {
    const u8 cls = MprintTokenClass(text + starts[--n]);
    if (MprintIsClose(cls) || cls == kMprGroupClose) {
      ++depth;
    } else if (MprintIsOpen(cls) || cls == kMprGroupOpen) {
      if (depth == 0) return false;
      --depth;
    } else if (depth > 0) {
      continue;
    } else if (cls == kMprSeparator) {
      return false;
    } else if (MprintIsParenClose(cls)) {
      ++parens;
    } else if (MprintIsParenOpenOrFunc(cls)) {
      if (parens == 0) return true;
      --parens;
    }
  }
  return true;
}

}  // namespace

namespace {

// 1 when the template at head has the shape and the number of parts its
// number asks for.
bool TemplateShapeOk(const u8 *head, u32 len, const MprintPart *parts, u32 count) {
  const u8 kind = MprintTemplateKind(head);
  const u8 number = MprintTemplateNumber(head);
  const u8 last = head[len - 1];
  bool ok = (kind == 1 || kind == 3 || kind == 5)   ? last == kMprGroupEnd
            : (kind == 2 || kind == 4 || kind == 6) ? last == kMprClose
            : kind == 7                             ? last == kMprListEnd
                                                    : len >= 2 && last == kMprRowEnd && head[len - 2] == kMprRowEnd;
  if (!ok || count > kMprPartsMax) return false;
  switch (number) {
    case 0: case 2: case 3: case 4: case 5: return count == 1;
    case 6: case 13: return count == 2;
    case 7: return count == 2 || count == 3;
    case 8: case 9: case 14: return count == 2;
    case 1: return count == 3;
    case 10: return count == 4;
    case 11: return count >= 1 && count <= kMprListMax;
    case 12: {
      const u32 rows = parts[count - 1].row + 1u;
      if (rows > kMprMatrixMax) return false;
      u32 cols = 0;
      for (u32 i = 0; i < count; ++i)
        if (parts[i].row == 0) ++cols;
      if (cols == 0 || cols > kMprMatrixMax || rows * cols != count) return false;
      for (u32 i = 0; i < count; ++i)
        if (parts[i].row != i / cols || parts[i].column != i % cols) return false;
      return true;
    }
    default: return false;
  }
}

bool IsMarkerClass(u8 cls) {
  return cls == kMprBoxOpen || cls == kMprBoxClose || cls == kMprGroupOpen || cls == kMprGroupClose ||
         cls == kMprListOpen || cls == kMprListClose || cls == kMprRowOpen || cls == kMprRowClose ||
         cls == kMprSeparator;
}

}  // namespace

u8 MprintCheckTemplates(const u8 *text) {
  const u32 total = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(text)));
  // Pass 1: every marker a template's shape covers is owned by it; a
  // template of a bad shape fails at its head.
  u8 owned_small[kMprTextMax + 1];
  u8 *owned = owned_small;
  u8 *heap = nullptr;
  if (total > kMprTextMax) owned = heap = new u8[total + 1];
  std::memset(owned, 0, total + 1);
  u32 bad = total + 1;
  for (u32 off = 0; off < total;) {
    const u8 *p = text + off;
    if (MprintTokenClass(p) == kMprHead) {
      MprintPart parts[kMprPartsMax];
      const u32 len = MprintTemplateLength(p);
      const u32 count = MprintTemplateParts(p, parts, kMprPartsMax);
      if (!TemplateShapeOk(p, len, parts, count)) {
        bad = off;
        break;
      }
      u32 from = 0;
      for (u32 i = 0; i < count; ++i) {
        for (u32 k = from; k < parts[i].start; ++k) owned[off + k] = 1;
        from = parts[i].end;
      }
      for (u32 k = from; k < len; ++k) owned[off + k] = 1;
    }
    const u32 step = MprintTokenLength(p);
    if (step == 0) break;  // a lead byte without its second byte ends the text
    off += step;
  }
  // Pass 2: token by token.
  u32 off = 0;
  u8 result = 1;
  for (;;) {
    const u8 *p = text + off;
    const u8 cls = MprintTokenClass(p);
    if (cls == kMprEnd) break;
    bool fail = off == bad;
    u32 at = off;
    if (!fail && (cls == kMprFunction || MprintIsParenOpen(cls))) {
      bool closed = false;
      const u32 len = GroupWalk(p, 0, &closed);
      const u8 after = MprintTokenClass(p + len);
      if (!closed && (after == kMprBoxClose || after == kMprSeparator || after == kMprListClose ||
                      after == kMprRowClose))
        fail = true;
    } else if (!fail && MprintIsParenClose(cls)) {
      fail = MprintMatchCloser(text, off) == 0;
    } else if (!fail && *p == ',') {
      fail = !CommaAllowed(text, off);
    } else if (!fail && IsMarkerClass(cls)) {
      fail = owned[off] == 0;
    }
    if (fail) {
      g_state.result = static_cast<u16>(at);
      result = 0;
      break;
    }
    off += MprintTokenLength(p);
  }
  delete[] heap;
  return result;
}

// ---- cursor places ----------------------------------------------------------------------

namespace {

// 1 when offset `pos` of text (a token start) is a place the cursor may
// stand: before an ordinary token, at the end of a box, part or string, but
// not between a template's markers.
bool LegalAt(const u8 *text, u32 pos) {
  const u8 c = text[pos];
  if (c == kMprOpen || c == kMprGroup || c == kMprGroupEnd || c == kMprMark5 || c == kMprList || c == kMprRow)
    return false;
  if (c == kMprRowEnd && pos > 0 && text[pos - 1] == kMprRowEnd) return false;
  return true;
}

}  // namespace

u16 MprintLegalCursor(const u8 *expr, u16 cursor) {
  u32 best = 0, off = 0;
  for (;;) {
    if (off > cursor) break;
    if (LegalAt(expr, off)) best = off;
    const u32 len = MprintTokenLength(expr + off);
    if (len == 0) break;
    off += len;
  }
  return static_cast<u16>(best);
}

namespace {

// The first legal cursor place at or after pos (a token start).
u32 ForwardLegal(const u8 *text, u32 pos) {
  for (;;) {
    if (LegalAt(text, pos)) return pos;
    const u32 len = MprintTokenLength(text + pos);
    if (len == 0) return pos;
    pos += len;
  }
}

// True for a box content that reads the same without parentheses: one
// number (digits and a point) or one single-token name.
bool SimpleBox(const u8 *start) {
  const u32 n = MprintBoxLength(start);
  if (n == 0 || start[n] == kMprSep) return false;
  bool digits = true;
  for (u32 i = 0; i < n; ++i)
    if (!((start[i] >= '0' && start[i] <= '9') || start[i] == '.')) digits = false;
  if (digits) return true;
  if (n == 1) {
    const u8 c = start[0];
    return (c >= 'A' && c <= 'Z') || c == 0xCD || c == 0xCE || c == 0xD0 || c == 0xC0;
  }
  return false;
}

}  // namespace

i32 MprintToLinear(const u8 *src, u8 *dst, u32 cap, u32 stop, u8 mode) {
  MprintWriter w{dst, cap};
  if (cap == 0) return -1;
  if (mode == kMprLinearShort && src[0] == kMprEmptyBox && src[1] == 0) {
    dst[0] = 0;
    return 0;
  }
  // Per open box: whether its parentheses are left out. Per open template
  // group: the operator written between its boxes.
  constexpr u32 kDepth = 256;
  bool box_bare[kDepth];
  u16 group_op[kDepth];
  u32 boxes = 0, groups = 0;
  bool kind1_mark = false;
  bool after_call_head = false;
  u16 pending_op = 0;
  u32 off = 0;
  bool stopped = false;
  for (;;) {
    const u8 *p = src + off;
    const u8 cls = MprintClassify(p);
    if (cls == kMprEnd) break;
    u32 len = MprintTokenLength(p);
    const bool call_head = after_call_head;
    after_call_head = false;
    switch (cls) {
      case kMprHead: {
        const u8 kind = MprintTemplateKind(p);
        const u8 number = MprintTemplateNumber(p);
        if (kind == 1) {
          w.Put('(');
          for (u32 i = 0; i < len; ++i) w.Put(p[i]);
          kind1_mark = true;
          pending_op = 0;
        } else if (kind == 3 || kind == 5) {
          pending_op = number == 6 ? 0xB8 : 0xBB;
          if (kind == 5) ++len;  // the 0x1F marker
        } else if (kind == 2 || kind == 4 || kind == 6) {
          for (u32 i = 0; i < len; ++i) w.Put(p[i]);
          after_call_head = kind != 6;
        }
        // Lists and matrices: their brackets are the linear form.
        break;
      }
      case kMprBoxOpen: {
        const bool bare = !call_head && mode == kMprLinearShort && SimpleBox(p + 1);
        if (!call_head && !bare) w.Put('(');
        if (boxes < kDepth) box_bare[boxes] = bare;
        ++boxes;
        break;
      }
      case kMprBoxClose:
      case kMprBoxBoundary: {
        bool bare = false;
        if (boxes > 0) {
          --boxes;
          if (boxes < kDepth) bare = box_bare[boxes];
        }
        if (!bare) w.Put(')');
        if (cls == kMprBoxBoundary) {
          const u16 op = groups > 0 && groups <= kDepth ? group_op[groups - 1] : 0xBB;
          w.Put(op != 0 ? static_cast<u8>(op) : 0xBB);
        }
        break;
      }
      case kMprSeparator: w.Put(','); break;
      case kMprGroupOpen:
        if (!kind1_mark) w.Put('(');
        kind1_mark = false;
        if (groups < kDepth) group_op[groups] = pending_op;
        ++groups;
        pending_op = 0;
        break;
      case kMprGroupClose:
        w.Put(')');
        if (groups > 0) --groups;
        break;
      case kMprListOpen: w.Put('{'); break;
      case kMprListClose: w.Put('}'); break;
      case kMprRowOpen: w.Put('['); break;
      case kMprRowClose: w.Put(']'); break;
      default:
        for (u32 i = 0; i < len; ++i) w.Put(p[i]);
        break;
    }
    if (w.full) {
      dst[0] = 0;
      return -1;
    }
    off += len;
    if (mode == kMprLinearStop && w.n > stop) {
      g_state.result = static_cast<u16>(ForwardLegal(src, off));
      stopped = true;
      break;
    }
  }
  if (mode == kMprLinearStop && !stopped) g_state.result = static_cast<u16>(off);
  dst[w.n] = 0;
  return static_cast<i32>(w.n);
}
