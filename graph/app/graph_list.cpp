#include "graph/app/graph_list.h"

#include <cstdio>
#include <cstring>

#include "eval/token.h"
#include "graph/app/graph_fmem.h"
#include "graph/app/graph_funcs.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_graphmem.h"
#include "graph/table/graph_table.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kFirstRow = 2;
constexpr i32 kLastRow = 7;
constexpr u32 kErrMemory = 4;
constexpr i32 kEditMenu = 0;

constexpr FkeyItem Blank{0, kFkeyBlank, 0};

struct StyleGlyph {
  u8 style;
  u8 rows[16];
};
// Two bytes a row, leftmost dot in the high bit of the first.
const StyleGlyph kStyleGlyphs[] = {
    {2, {0, 0, 0, 0, 0, 0, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {3, {0, 0, 0, 0, 0, 0, 0x7F, 0xF0, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0}},
    {5, {0, 0, 0, 0, 0, 0, 0x6D, 0xB0, 0x6D, 0xB0, 0, 0, 0, 0, 0, 0}},
    {6, {0, 0, 0, 0, 0, 0, 0x7F, 0xF0, 0x55, 0x50, 0x7F, 0xF0, 0, 0, 0, 0}},
    {7, {0, 0, 0, 0, 0, 0, 0x55, 0x50, 0x2A, 0xA0, 0x55, 0x50, 0, 0, 0, 0}},
    {8, {0, 0, 0, 0, 0, 0, 0x55, 0x50, 0, 0, 0, 0, 0, 0, 0, 0}},
    {255, {}},
};

bool AppIs(const char *name) {
  char app[9] = {};
  SysGetAppName(app);
  return std::strcmp(app, name) == 0;
}

bool StyleShown() { return AppIs("@GRAPH") || AppIs("@TABLE") || AppIs("@STAT"); }

// The list letter of a type (two-byte character), 0 for an unknown type.
u16 LetterOf(u16 type, i32 part) {
  switch (type) {
    case kGraphFuncY:
    case kGraphFuncYGt:
    case kGraphFuncYLt:
    case kGraphFuncYGe:
    case kGraphFuncYLe:
      return 0xE5B4;
    case kGraphFuncR:
      return 0xE5B2;
    case kGraphFuncXc:
      return 0xE5B3;
    case kGraphFuncParam:
      return part == 0 ? 0xE5B3 : 0xE5B4;
    default:
      return 0;
  }
}

// The relation character of a type, plain or in its selected form.
u16 RelationOf(u16 type, bool selected) {
  u8 plain = '=';
  u8 sel = 184;
  switch (type) {
    case kGraphFuncYLt: plain = '<'; sel = 185; break;
    case kGraphFuncYGt: plain = '>'; sel = 186; break;
    case kGraphFuncYLe: plain = 0x10; sel = 187; break;
    case kGraphFuncYGe: plain = 0x12; sel = 188; break;
    default: break;
  }
  return selected ? static_cast<u16>(0xE500 | sel) : plain;
}

// Appends a character code to a display text.
void PutCode(char *s, u16 code) {
  size_t n = std::strlen(s);
  if (code > 0xFF) s[n++] = static_cast<char>(code >> 8);
  s[n++] = static_cast<char>(code & 0xFF);
  s[n] = 0;
}

// The prefix of a line: letter, "t" for parametric lines, slot number; "?"
// for an unknown type.
void Prefix(i32 n, i32 part, char *out) {
  out[0] = 0;
  const u16 type = GraphSlotType(n);
  const u16 letter = LetterOf(type, part);
  if (letter == 0) {
    std::strcpy(out, "?");
  } else {
    PutCode(out, letter);
    if (type == kGraphFuncParam) std::strcat(out, "t");
  }
  char num[4];
  std::snprintf(num, sizeof num, "%d", static_cast<int>(n));
  std::strcat(out, num);
}

// The part of a slot's text a line shows (the whole text when not
// parametric), into out (256 bytes).
void PartText(i32 n, i32 part, char *out) {
  out[0] = 0;
  const char *t = GmemFuncDataPtr(n);
  if (t == nullptr) return;
  if (GraphSlotType(n) != kGraphFuncParam) {
    std::snprintf(out, 256, "%s", t);
    return;
  }
  const char *second = GraphSkipFuncHead(t);
  if (part == 1) {
    std::snprintf(out, 256, "%s", second);
    return;
  }
  const bool sep = second > t && static_cast<u8>(second[-1]) == kGraphFuncSeparator;
  const size_t len = static_cast<size_t>(sep ? second - t - 1 : second - t);
  std::memcpy(out, t, len);
  out[len] = 0;
}

void DrawStyleMark(i32 row, u8 style, bool reverse) {
  TextLocate(17, row);
  if (reverse) {
    TextPrintRev("[  ]");
  } else {
    TextPrint("[  ]");
  }
  const u8 *g = GraphStyleGlyph(style);
  const i32 x0 = 6 * 17;
  const i32 y0 = 8 * (row - 1);
  for (i32 y = 0; y < 8; ++y) {
    const u32 bits = (u32{g[2 * y]} << 8) | g[2 * y + 1];
    for (i32 x = 0; x < 12; ++x) {
      if (bits & (0x8000u >> x)) LcdSetPixel(x0 + x, y0 + y, reverse ? 0 : 1);
    }
  }
}

// The column where a line's text starts.
i32 TextColumn(i32 n) { return (GraphSlotType(n) == kGraphFuncParam ? 5 : 4) + (n >= 10 ? 1 : 0); }

void DrawLine(i32 row, i32 n, i32 part, bool cursor) {
  char prefix[16];
  Prefix(n, part, prefix);
  TextLocate(1, row);
  if (cursor) {
    TextPrintRev(prefix);
  } else {
    TextPrint(prefix);
  }
  const u16 type = GraphSlotType(n);
  const u32 len = GraphFuncTextLength(n);
  const u8 bit = GraphAppSelectBit();
  char rel[4] = {};
  if (len == 0) {
    rel[0] = ':';
  } else {
    PutCode(rel, RelationOf(type, bit != 0 && (GraphFuncAttr(n) & bit) != 0));
  }
  TextPrint(rel);
  const i32 col = TextColumn(n);
  const i32 last = StyleShown() ? 16 : 20;
  char text[256];
  PartText(n, part, text);
  char shown[2 * 21 + 1];
  StrExpandTokens(text, shown, last - col + 1);
  TextLocate(col, row);
  if (cursor) {
    TextPrintRev(shown);
  } else {
    TextPrint(shown);
  }
  if (StyleShown()) {
    if (part == 1) {
      TextLocate(17, row);
      TextPrint("    ");
    } else {
      DrawStyleMark(row, len != 0 ? GmemReadFuncKind(n) : static_cast<u8>(2), cursor);
    }
  }
  TextLocate(21, row);
  const u8 attr = GraphFuncAttr(n);
  if (AppIs("@GRAPH") && SetupGetItem(kSetupDualScreen) == 0 && (attr & kGraphSelRight)) {
    char mark[3] = {static_cast<char>(0xE5), static_cast<char>((attr & kGraphSelGraph) ? 0xB5 : 0xB6), 0};
    TextPrint(mark);
  } else {
    TextPrint(" ");
  }
}

// Steps (n, part) one line on; false past slot 20.
bool NextLine(i32 *n, i32 *part) {
  if (*part + 1 < GraphSlotLines(*n)) {
    ++*part;
    return true;
  }
  if (*n >= kGmemFuncSlots) return false;
  ++*n;
  *part = 0;
  return true;
}

void UsePage(i32 id, const FkeyItem *page) {
  FkeySetPage(id, page);
  FkeyPushLevel(static_cast<u32>(id));
  KeyForgetDrawnRow();
}

void PrintMsg(i32 id, i32 col, i32 row) {
  char text[64];
  MsgTextPlain(id, text, sizeof text);
  TextLocate(col, row);
  TextPrint(text);
}

}  // namespace

i32 GraphSlotLines(i32 n) { return GraphSlotType(n) == kGraphFuncParam ? 2 : 1; }

const u8 *GraphStyleGlyph(u8 style) {
  for (const StyleGlyph &g : kStyleGlyphs) {
    if (g.style == 255) break;
    if (g.style == style) return g.rows;
  }
  return kStyleGlyphs[0].rows;
}

void GraphListCursorHome(GraphListCursor *c) {
  *c = GraphListCursor{1, 0, 1, 0};
  FkeyBackToLevelRoot();
}

void GraphDrawFuncList(const char *title, const GraphListCursor *c) {
  TextLocate(1, 1);
  TextPrintField(title, 21);
  i32 n = c->top;
  i32 part = c->topPart;
  i32 row = kFirstRow;
  for (bool more = n <= kGmemFuncSlots; more && row <= kLastRow; ++row) {
    DrawLine(row, n, part, n == c->slot && part == c->part);
    more = NextLine(&n, &part);
  }
  for (; row <= kLastRow; ++row) {
    TextLocate(1, row);
    TextPrintField("", 21);
  }
}

i32 GraphCursorRow(const GraphListCursor *c) {
  i32 n = c->top;
  i32 part = c->topPart;
  i32 row = kFirstRow;
  while ((n != c->slot || part != c->part) && NextLine(&n, &part)) ++row;
  return row;
}

void GraphFuncListKeys(GraphListCursor *c, u32 key) {
  const i32 row = GraphCursorRow(c);
  if (key == kKeyUp) {
    if (c->part == 1) {
      c->part = 0;
    } else if (c->slot > 1) {
      --c->slot;
      c->part = GraphSlotLines(c->slot) - 1;
    } else {
      HostClearKeyQueue();
      return;
    }
    if (row == kFirstRow) {
      c->top = c->slot;
      c->topPart = c->part;
    }
  } else if (key == kKeyDown) {
    if (!NextLine(&c->slot, &c->part)) {
      HostClearKeyQueue();
      return;
    }
    if (row >= kLastRow && !NextLine(&c->top, &c->topPart)) c->topPart = 0;
  }
  HostClearKeyQueue();
}

i32 GraphEditFuncLine(u32 key, u32 typed, const char *title, GraphListCursor *c) {
  const i32 r = GraphFuncLineEditor(key, typed, title, c);
  if (r == 0) GraphFuncListKeys(c, kKeyDown);
  return r;
}

i32 GraphFuncLineEditor(u32 key, u32 typed, const char *title, GraphListCursor *c) {
  (void)title;
  if (typed && (key == 13 || key == 14)) return -6;
  const u16 savedMask = KeyGetMenuMask();
  KeySetMenuMask(96);
  const FkeyItem *savedPages[1];
  FkeySavePages(kEditMenu, kEditMenu, savedPages);
  static FkeyItem page[6];
  const FkeyItem all[5] = {{622, kFkeyInput, 0x7FF0},
                           {623, kFkeyInput, 0x7FF1},
                           {624, kFkeyInput, 0x7FF2},
                           {625, kFkeyInput, 0x7FF3},
                           {626, kFkeyInput, 0x7FF4}};
  const i32 shown = AppIs("@GRAPH") || AppIs("@TABLE") ? 5 : AppIs("@DYNA") ? 4 : 1;
  for (i32 k = 0; k < 6; ++k) page[k] = k < shown ? all[k] : Blank;
  UsePage(kEditMenu, page);

  const i32 n = c->slot;
  const u16 type = GraphSlotType(n);
  // The room of the line: a parametric half shares 255 bytes with the other.
  u32 size = kGraphFuncTextRoom;
  const char *stored = GmemFuncDataPtr(n);
  if (stored == nullptr) stored = "";
  if (type == kGraphFuncParam) {
    const char *second = GraphSkipFuncHead(stored);
    const bool sep = second > stored && static_cast<u8>(second[-1]) == kGraphFuncSeparator;
    u32 other = 1;
    if (sep) other = c->part == 0 ? 1 + static_cast<u32>(std::strlen(second)) : static_cast<u32>(second - stored);
    size = kGraphFuncTextRoom - other;
    if (*stored == 0) --size;
  }
  u8 buf[kGraphFuncTextRoom + 2] = {};
  u32 start = 0, cursor = 0;
  if (!typed && key == kKeyRight) {
    char part[256];
    PartText(n, c->part, part);
    std::memcpy(buf, part, std::strlen(part) < size ? std::strlen(part) : size);
  }
  const i32 row = GraphCursorRow(c);
  const i32 col = TextColumn(n);
  char prefix[16];
  Prefix(n, c->part, prefix);
  TextLocate(1, row);
  TextPrintField(prefix, 21);
  TextLocate(col - 1, row);
  char rel[4] = {};
  PutCode(rel, GraphFuncTextLength(n) == 0 ? ':' : RelationOf(type, false));
  TextPrint(rel);

  auto typeVar = [&]() -> u32 { return type == kGraphFuncParam ? 'T' : type == kGraphFuncR ? 0xCE : 'X'; };
  i32 result = 0;
  bool pendingChar = typed != 0;
  bool pendingKey = false;
  u32 k = key;
  if (typed == 0 && key == kKeyXThetaT) {
    pendingChar = true;
    k = typeVar();
  }
  for (;;) {
    start = EditRedrawLine(buf, start, cursor, col, row);
    if (!pendingChar && !pendingKey) {
      pendingChar = KeyGetKey(&k) != 0;
      pendingKey = !pendingChar;
    }
    if (pendingChar) {
      pendingChar = false;
      if (k != 13 && k != 14) cursor = EditPutChar(buf, size, cursor, k);
      continue;
    }
    pendingKey = false;
    if (k == kKeyXThetaT) {
      cursor = EditPutChar(buf, size, cursor, typeVar());
      continue;
    }
    if (k == kKeyExit) {
      result = -2;
      break;
    }
    if (k == kKeyQuit) {
      result = -1;
      break;
    }
    if (k == kKeyExe) {
      if (buf[0] == 0) continue;
      if (GraphStoreFuncText(n, c->part, reinterpret_cast<const char *>(buf)) == 0) {
        result = 0;
        break;
      }
      ErrBox(kErrMemory);
      continue;
    }
    if (k == kKeyFmemSto || k == kKeyFmemRcl || k == kKeyFmemSee) {
      const i32 mode = k == kKeyFmemSto ? kGraphFmemStore : k == kKeyFmemRcl ? kGraphFmemRecall : kGraphFmemList;
      GraphFmemPopup(mode, buf, &cursor, size);
      continue;
    }
    if (k == kKeyAc || k == kKeyLeft || k == kKeyRight || k == kKeyDel || k == kKeyPaste || k == kKeyClipLeft ||
        k == kKeyClipRight) {
      const i32 r = EditMoveCursor(buf, size, &start, &cursor, &k, col, row);
      if (r == kEditHandBackChar) pendingChar = true;
      if (r == kEditHandBackKey) pendingKey = true;
      continue;
    }
  }
  FkeyPopLevel();
  FkeyRestorePages(kEditMenu, kEditMenu, savedPages);
  KeySetMenuMask(savedMask);
  KeyForgetDrawnRow();
  TextCursorOff();
  return result;
}

i32 GraphDeleteFuncConfirm(i32 n) {
  PopupOpenFramed(4);
  const i32 row = PopupFirstRow(4);
  PrintMsg(7, 3, row);
  PrintMsg(8, 3, row + 1);
  PrintMsg(2, 3, row + 2);
  PrintMsg(3, 3, row + 3);
  i32 result = 0;
  for (;;) {
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyF1) {
      GmemDeleteFunc(n);
      result = 0;
      break;
    }
    if (key == kKeyExit || key == kKeyF6) {
      result = -2;
      break;
    }
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  PopupCloseKind5();
  return result;
}

i32 GraphMemPopup(i32 recall) {
  PopupOpenFramed(4);
  const i32 row = PopupFirstRow(4);
  PrintMsg(recall ? 5 : 4, 3, row);
  PrintMsg(14, 3, row + 1);
  PrintMsg(15, 3, row + 2);
  TextLocate(3, row + 3);
  TextPrint(" G-Mem[1~20]:    ");
  i32 n = 0;
  const i32 r = TextInputNumber(&n, 17, row + 3, 1, 20);
  PopupCloseKind5();
  if (r == 0) {
    const u32 e = recall ? GmemRecallGraphMem(n) : GmemStoreGraphMem(n);
    if (e != 0) ErrBox(static_cast<i32>(kErrMemory));
  }
  return r;
}

void TableScreenTitle(char *buf) {
  i32 id = 301;
  if (AppIs("@TABLE")) {
    id = SetupGetItem(kSetupTableDual) != 0 ? 702 : 457;
  } else {
    switch (SetupGetItem(kSetupDualScreen)) {
      case 0: id = 458; break;
      case 1: id = 302; break;
      case 2: id = 457; break;
      default: id = 301; break;
    }
  }
  MsgTextPlain(id, buf, 24);
  static const char *const kNames[8] = {"Y=", "r=", "Param", "X=c", "Y>", "Y<", "Y\x12", "Y\x10"};
  const u8 t = SetupGetItem(kSetupFuncType);
  std::strcat(buf, ":");
  if (t < 8) std::strcat(buf, kNames[t]);
}

namespace {

const char *const kRangeLabels[3] = {" Start:", " End  :", " Step :"};

BcdReal *RangeField(TableRange *r, i32 line) { return line == 1 ? &r->start : line == 2 ? &r->end : &r->step; }

void DrawRange(TableRange *r, i32 line) {
  for (i32 l = 1; l <= 3; ++l) {
    char text[40];
    std::strcpy(text, kRangeLabels[l - 1]);
    Value v{};
    v.re = *RangeField(r, l);
    char cell[24];
    NumFormatCell10(&v, cell);
    std::strncat(text, cell, sizeof text - std::strlen(text) - 1);
    TextLocate(1, l + 3);
    if (l == line) {
      TextPrintFieldRev(text, 21);
    } else {
      TextPrintField(text, 21);
    }
  }
  TextLocate(1, 7);
  TextPrintField("", 21);
}

}  // namespace

i32 TableSettingScreen() {
  const u16 savedMask = KeyGetMenuMask();
  KeySetMenuMask(231);
  const FkeyItem *savedPages[1];
  FkeySavePages(0, 0, savedPages);
  static const FkeyItem kBlankPage[6] = {Blank, Blank, Blank, Blank, Blank, Blank};
  UsePage(0, kBlankPage);
  i32 result = 0;
  TableRange r;
  if (TableReadRange(&r) != 0) {
    ErrBox(static_cast<i32>(kErrMemory));
  } else {
    LcdClearVram();
    PrintMsg(305, 1, 1);
    TextLocate(1, 2);
    const u8 t = SetupGetItem(kSetupFuncType);
    TextPrintField(t == 0 ? "X" : t == 1 ? "\xCE" : t == 2 ? "T" : "", 21);
    i32 line = 1;
    for (;;) {
      FkeyDrawRow();
      DrawRange(&r, line);
      u32 key = 0;
      const bool isChar = KeyGetKey(&key) != 0;
      u32 typed = 0;
      if (isChar) {
        typed = 1;
      } else if (key == kKeyXThetaT) {
        typed = 1;
        key = t == 2 ? 'T' : t == 1 ? 0xCE : 'X';
      } else if (key == kKeyUp) {
        if (line > 1) --line;
        continue;
      } else if (key == kKeyDown) {
        if (line < 3) ++line;
        continue;
      } else if (key == kKeyExit || key == kKeyExe || key == kKeyQuit) {
        result = key == kKeyExit ? -2 : key == kKeyExe ? 0 : -1;
        break;
      } else if (key != kKeyRight) {
        continue;
      }
      BcdReal v = *RangeField(&r, line);
      const i32 e = EditReadNumber(typed, &key, line + 3, &v, kRangeLabels[line - 1]);
      if (e == -1) {
        result = -1;
        break;
      }
      if (e != 0) continue;
      RealFracToDecimal(&v, &v);
      *RangeField(&r, line) = v;
      if (TableWriteRange(&r) != 0) ErrBox(static_cast<i32>(kErrMemory));
      if (line < 3) ++line;
    }
  }
  FkeyPopLevel();
  FkeyRestorePages(0, 0, savedPages);
  KeySetMenuMask(savedMask);
  KeyForgetDrawnRow();
  TextCursorOff();
  return result;
}
