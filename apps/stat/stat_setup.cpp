// The set-up screens: which StatGraphs are drawn, each StatGraph's type and
// lists, and the lists of the calculations; for the spreadsheet the same
// screens edit cell ranges instead of list numbers.
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_glue.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr u16 kSetupMask = 231;
constexpr u32 kSheetBlockOffset = 24;  // bytes of Start and Width before the sheet's graph blocks

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem N(u32 page) { return {6, kFkeySibling, page}; }

// The menu state a screen changes: pages 0..10, the groups and the mask.
struct MenuSave {
  static constexpr i32 kPages = 11;
  u16 mask = 0;
  u16 groups[6] = {};
  const FkeyItem *pages[kPages] = {};
  void Save() {
    mask = KeyGetMenuMask();
    FkeySaveGroups(groups);
    FkeySavePages(0, kPages - 1, pages);
    KeySetMenuMask(kSetupMask);
  }
  void Restore() {
    FkeyPopLevel();
    FkeyRestoreGroups(groups);
    FkeyRestorePages(0, kPages - 1, pages);
    KeySetMenuMask(mask);
    KeyForgetDrawnRow();
  }
};

// Makes `page` the menu of the screen's level.
void ShowPage(u32 page, bool *pushed) {
  if (!*pushed) {
    FkeyPushLevel(page);
    *pushed = true;
  } else {
    FkeySetLevelMenu(page);
  }
  KeyForgetDrawnRow();
}

void Line(i32 row, const std::string &text, bool cursor) {
  TextLocate(1, row);
  if (cursor) TextPrintFieldRev(text.c_str(), 21);
  else TextPrintField(text.c_str(), 21);
}

std::string ListText(u16 n) { return n == 0 ? "1" : "List" + std::to_string(n); }

// ---- sheet condition blocks ----

// Cell references of a range at byte offset `at` of a record.
void RangeAt(const u8 *rec, u32 at, u16 a[2], u16 b[2]) {
  std::memcpy(a, rec + at, 4);
  std::memcpy(b, rec + at + 4, 4);
}
void SetRangeAt(u8 *rec, u32 at, const u16 a[2], const u16 b[2]) {
  std::memcpy(rec + at, a, 4);
  std::memcpy(rec + at + 4, b, 4);
}
std::string RangeTextAt(const u8 *rec, u32 at) {
  u16 a[2], b[2];
  RangeAt(rec, at, a, b);
  char text[32];
  StatCellRangeText(a, b, text);
  return text;
}

// The sheet's graph block g (1-3 the StatGraphs, 0 a working block):
// words at 24 + 32 g.
u16 *SheetBlock(u16 *sheetCond, int g) {
  return reinterpret_cast<u16 *>(reinterpret_cast<u8 *>(sheetCond) + kSheetBlockOffset + 32 * g);
}

i32 WriteGraph(u16 *statCond, u16 *sheetCond) {
  const i32 r = statCond ? StatWriteGraphCond(statCond) : static_cast<i32>(SheetWriteGraphCond(sheetCond));
  if (r != 0) ErrBox(r);
  return r;
}

// Draw flag, type, mark and option of graph g (1..3) of either record.
u16 &Flag(u16 *statCond, u16 *sheetCond, int g) { return statCond ? statCond[7 * g] : SheetBlock(sheetCond, g)[0]; }
u16 &Type(u16 *statCond, u16 *sheetCond, int g) {
  return statCond ? statCond[7 * g + 1] : SheetBlock(sheetCond, g)[1];
}
u16 &Mark(u16 *statCond, u16 *sheetCond, int g) {
  return statCond ? statCond[7 * g + 5] : SheetBlock(sheetCond, g)[14];
}

const char *TypeName(u16 type) {
  static const char *const kNames[] = {"Scatter", "xyLine", "NPPlot", "Hist",  "MedBox", "MedBox",
                                       "N-Dist",  "Broken", "Linear", "Med-Med", "Quad", "Cubic",
                                       "Quart",   "Log",    "Exp",    "Power", "Sin",    "Logistic"};
  return type >= 1 && type <= 18 ? kNames[type - 1] : "None";
}

int LayoutKind(u16 type) {
  static const u8 kKinds[] = {1, 1, 2, 3, 5, 5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3};
  return type >= 1 && type <= 18 ? kKinds[type - 1] : 0;
}

int LineCount(int kind) {
  static const int kCounts[] = {2, 6, 4, 4, 5, 5};
  return kCounts[kind];
}

enum Field { kFieldNone, kFieldX, kFieldY, kFieldFreq, kFieldMark, kFieldOutliers };

// What line `line` (3..6) of a layout edits.
Field FieldOf(int kind, u16 type, int line) {
  switch (kind) {
    case 1: return line == 3 ? kFieldX : line == 4 ? kFieldY : line == 5 ? kFieldFreq : kFieldMark;
    case 2: return line == 3 ? kFieldX : line == 4 ? kFieldMark : kFieldNone;
    case 3:
      if (line == 3) return kFieldX;
      if (line == 4) return type == 17 || type == 18 ? kFieldY : kFieldFreq;
      return kFieldNone;
    case 4: return line == 3 ? kFieldX : line == 4 ? kFieldY : line == 5 ? kFieldFreq : kFieldNone;
    case 5: return line == 3 ? kFieldX : line == 4 ? kFieldFreq : line == 5 ? kFieldOutliers : kFieldNone;
    default: return kFieldNone;
  }
}

}  // namespace

// ---- cell ranges ----

int StatCellRefText(const u16 ref[2], char *out) {
  out[0] = 0;
  if (ref[0] == 0 || ref[1] == 0 || ref[0] > 26) return 0;
  std::snprintf(out, 8, "%c%u", '@' + ref[0], static_cast<unsigned>(ref[1]));
  return 1;
}

void StatCellRangeText(const u16 a[2], const u16 b[2], char *out) {
  char ta[8], tb[8];
  if (!StatCellRefText(a, ta) || !StatCellRefText(b, tb)) {
    std::strcpy(out, "1");
    return;
  }
  std::snprintf(out, 20, "%s:%s", ta, tb);
}

namespace {

// A column letter and a row 1..999 at *p: 1 with *p past them.
bool ParseRef(const char **p, u32 *ref) {
  const char *s = *p;
  if (*s < 'A' || *s > 'Z') return false;
  const u32 col = static_cast<u32>(*s++ - '@');
  u32 row = 0;
  int digits = 0;
  while (*s >= '0' && *s <= '9' && digits < 4) {
    row = row * 10 + static_cast<u32>(*s++ - '0');
    ++digits;
  }
  if (digits == 0 || row < 1 || row > 999) return false;
  *ref = col | row << 16;
  *p = s;
  return true;
}

}  // namespace

int StatParseCellRange(int kind, u32 *refA, u32 *refB, const char *text) {
  if (std::strlen(text) > 9) return 0;
  if (kind == 3 && std::strcmp(text, "1") == 0) {
    *refA = *refB = 0;
    return 1;
  }
  const char *p = text;
  u32 a = 0, b = 0;
  if (!ParseRef(&p, &a)) return 0;
  if (kind != 1) {
    if (*p++ != ':' || !ParseRef(&p, &b)) return 0;
  }
  if (*p != 0) return 0;
  *refA = a;
  *refB = b;
  return 1;
}

u32 StatEditCellRange(int kind, int typed, u32 key, u16 *refA, u16 *refB, int col, int row, const char *label) {
  constexpr u32 kSize = 9;
  const bool ranged = kind != 1;
  if (typed) {
    const bool usable = key == ':' || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    if (!usable) return key;
  }
  FkeyItem page[6] = {B, B, B, B, B, B};
  if (ranged) page[0] = {515, kFkeyInput, ':'};
  const FkeyItem *saved = nullptr;
  FkeySavePages(0, 0, &saved);
  FkeySetPage(0, page);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  u8 buf[kSize + 1] = {};
  u32 cursor = 0, start = 0;
  if (typed) {
    cursor = EditPutCharAt(buf, kSize, 0, key, 1);
  } else {
    char text[24];
    if (ranged) StatCellRangeText(refA, refB, text);
    else StatCellRefText(refA, text);
    if (std::strcmp(text, "1") == 0 && kind == 2) text[0] = 0;
    std::memcpy(buf, text, std::strlen(text) < kSize ? std::strlen(text) + 1 : kSize);
    cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  }
  TextLocate(1, row);
  TextPrintField(label, col - 1);
  u32 result = 0;
  for (;;) {
    start = EditRedrawLineIn(buf, start, cursor, col, row, 22 - col);
    FkeyDrawRow();
    u32 k = 0;
    if (KeyGetKey(&k) != 0) {
      cursor = EditPutChar(buf, kSize, cursor, k);
      continue;
    }
    if (k == kKeyXThetaT) {
      cursor = EditPutChar(buf, kSize, cursor, 'X');
      continue;
    }
    if (k == kKeyExit || k == kKeyQuit) {
      result = k;
      break;
    }
    if (k == kKeyExe) {
      u32 a = 0, b = 0;
      if (!StatParseCellRange(kind, &a, &b, reinterpret_cast<char *>(buf))) {
        ErrBox(kStatErrSyntax);
        continue;
      }
      refA[0] = static_cast<u16>(a & 0xFFFF);
      refA[1] = static_cast<u16>(a >> 16);
      if (refB) {
        refB[0] = static_cast<u16>(b & 0xFFFF);
        refB[1] = static_cast<u16>(b >> 16);
      }
      result = kKeyExe;
      break;
    }
    EditMoveCursorEx(buf, kSize, &start, &cursor, &k, col, row, 22 - col);
  }
  TextCursorOff();
  FkeyPopLevel();
  FkeyRestorePages(0, 0, &saved);
  KeyForgetDrawnRow();
  return result;
}

i32 StatInputListPopup(u32 *out) {
  i32 n = 0;
  const i32 r = PopupAskListNumber({439, 440}, &n);
  if (r != 0) return r;
  *out = static_cast<u32>(n);
  return 0;
}

// ---- the screens ----

i32 StatGraphSelectScreen(u16 *statCond, u16 *sheetCond) {
  static const FkeyItem kPage[6] = {K(17, 1), K(18, 2), K(19, 3), B, B, B};
  MenuSave menu;
  menu.Save();
  FkeySetPage(0, kPage);
  bool pushed = false;
  ShowPage(0, &pushed);
  i32 cursor = 1;
  i32 result = 0;
  while (result == 0) {
    LcdClearVram();
    for (i32 g = 1; g <= 3; ++g)
      Line(g, "StatGraph" + std::to_string(g) + "  :Draw" + (Flag(statCond, sheetCond, g) ? "On" : "Off"),
           g == cursor);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    switch (key) {
      case kKeyUp: if (cursor > 1) --cursor; break;
      case kKeyDown: if (cursor < 3) ++cursor; break;
      case 1:
      case 2:
        Flag(statCond, sheetCond, cursor) = key == 1 ? 1 : 0;
        WriteGraph(statCond, sheetCond);
        break;
      case 3:
      case kKeyExe: result = -10; break;
      case kKeyExit: result = -2; break;
      case kKeyQuit: result = -1; break;
      default: break;
    }
  }
  menu.Restore();
  return result;
}

i32 StatGraphSetupScreen(u16 *statCond, u16 *sheetCond) {
  const bool sheet = statCond == nullptr;
  static const FkeyItem kPages[11][6] = {
      {K(12, 1), K(13, 2), K(14, 3), B, B, B},
      {K(23, 4), K(24, 5), K(25, 6), B, B, N(2)},
      {K(26, 8), K(27, 9), K(29, 11), K(30, 12), B, N(3)},
      {K(31, 14), K(32, 15), K(33, 16), K(34, 17), K(35, 18), N(4)},
      {K(36, 20), K(37, 21), K(38, 22), K(39, 23), K(40, 24), N(1)},
      {B, B, B, B, B, B},
      {K(76, 26), B, B, B, B, B},
      {K(76, 27), B, B, B, B, B},
      {K(47, 28), K(76, 29), B, B, B, B},
      {K(48, 30), K(450, 31), K(49, 32), B, B, B},
      {K(17, 43), K(18, 44), B, B, B, B},
  };
  MenuSave menu;
  menu.Save();
  for (i32 p = 0; p < 11; ++p) FkeySetPage(p, kPages[p]);
  if (sheet) {
    static const FkeyItem kCell6[6] = {K(963, 40), B, B, B, B, B};
    static const FkeyItem kCell7[6] = {K(963, 41), B, B, B, B, B};
    static const FkeyItem kCell8[6] = {K(47, 28), K(963, 42), B, B, B, B};
    FkeySetPage(6, kCell6);
    FkeySetPage(7, kCell7);
    FkeySetPage(8, kCell8);
  }
  bool pushed = false;
  i32 g = 1;
  i32 line = 1;
  i32 result = 1;
  while (result == 1) {
    u16 &type = Type(statCond, sheetCond, g);
    const int kind = LayoutKind(type);
    if (line > LineCount(kind)) line = LineCount(kind);
    WriteGraph(statCond, sheetCond);
    LcdClearVram();
    Line(1, "StatGraph" + std::to_string(g), line == 1);
    Line(2, std::string(sheet ? "Graph Type:" : "Graph Type  :") + TypeName(type), line == 2);
    u32 page = line == 1 ? 0 : 1;
    for (int l = 3; l <= 6; ++l) {
      const Field f = FieldOf(kind, type, l);
      std::string text;
      const u16 *blk = sheet ? SheetBlock(sheetCond, g) : statCond + 7 * g;
      const u8 *raw = reinterpret_cast<const u8 *>(blk);
      switch (f) {
        case kFieldX:
          text = sheet ? "XCellRange:" + RangeTextAt(raw, 4) : "XList       :" + ListText(blk[2]);
          if (l == line) page = 6;
          break;
        case kFieldY:
          text = sheet ? "YCellRange:" + RangeTextAt(raw, 12) : "YList       :" + ListText(blk[3]);
          if (l == line) page = 7;
          break;
        case kFieldFreq:
          text = sheet ? "Frequency :" + RangeTextAt(raw, 20) : "Frequency   :" + ListText(blk[4]);
          if (l == line) page = 8;
          break;
        case kFieldMark: {
          static const char *const kMarks[] = {"\xE5\xA7", "\xE5\xA6", "\xE5\xA5"};
          const u16 m = Mark(statCond, sheetCond, g);
          text = std::string(sheet ? "Mark Type :" : "Mark Type   :") + (m <= 2 ? kMarks[m] : "");
          if (l == line) page = 9;
          break;
        }
        case kFieldOutliers:
          text = std::string(sheet ? "Outliers  :" : "Outliers    :") + (type == 6 ? "On" : "Off");
          if (l == line) page = 10;
          break;
        default: break;
      }
      Line(l, text, l == line && f != kFieldNone);
    }
    if (line != 2 || FkeyCurrentMenu() > 4 || FkeyCurrentMenu() < 1) ShowPage(page, &pushed);
    FkeyDrawRow();
    u32 key = 0;
    const bool typed = KeyGetKey(&key) != 0;
    u16 *blk = sheet ? SheetBlock(sheetCond, g) : statCond + 7 * g;
    const Field field = line >= 3 ? FieldOf(kind, type, line) : kFieldNone;
    if (sheet && (typed || key == kKeyRight || (key >= 40 && key <= 42)) &&
        (field == kFieldX || field == kFieldY || field == kFieldFreq)) {
      const u32 at = field == kFieldX ? 4 : field == kFieldY ? 12 : 20;
      u16 a[2], b[2];
      RangeAt(reinterpret_cast<u8 *>(blk), at, a, b);
      const char *label = field == kFieldX ? "XCellRange:" : field == kFieldY ? "YCellRange:" : "Frequency :";
      const u32 k = StatEditCellRange(field == kFieldFreq ? 3 : 2, typed ? 1 : 0, typed ? key : kKeyRight, a, b, 12,
                                      line, label);
      if (k == kKeyExe) SetRangeAt(reinterpret_cast<u8 *>(blk), at, a, b);
      if (k == kKeyQuit) result = -1;
      continue;
    }
    if (typed) continue;
    static const u8 kTypeOfCode[] = {0, 0, 0, 0, 1, 2, 3, 0, 4, 5, 0, 7, 8, 0, 9, 10, 11, 12, 13, 0, 14, 15, 16, 17, 18};
    if (key >= 1 && key <= 3) {
      g = static_cast<i32>(key);
    } else if (key >= 4 && key <= 24 && kTypeOfCode[key] != 0) {
      type = kTypeOfCode[key];
    } else if (key == 26 || key == 27 || key == 29) {
      u32 n = 0;
      if (StatInputListPopup(&n) == 0) blk[key == 26 ? 2 : key == 27 ? 3 : 4] = static_cast<u16>(n);
    } else if (key == 28) {
      if (sheet) std::memset(reinterpret_cast<u8 *>(blk) + 20, 0, 8);
      else blk[4] = 0;
    } else if (key >= 30 && key <= 32) {
      Mark(statCond, sheetCond, g) = static_cast<u16>(32 - key);
    } else if (key == 43 || key == 44) {
      type = key == 43 ? 6 : 5;
    } else if (key == kKeyUp) {
      if (line > 1) --line;
    } else if (key == kKeyDown) {
      if (line < LineCount(kind)) ++line;
    } else if (key == kKeyExe) {
      result = 0;
    } else if (key == kKeyExit) {
      result = -2;
    } else if (key == kKeyQuit) {
      result = -1;
    }
  }
  WriteGraph(statCond, sheetCond);
  menu.Restore();
  return result;
}

i32 StatCalcSetupScreen(u16 *statCalcCond, u8 *sheetCalcCond) {
  const bool sheet = statCalcCond == nullptr;
  static const FkeyItem kListPage[6] = {K(76, 7), B, B, B, B, B};
  static const FkeyItem kFreqPage[6] = {K(47, 10), K(76, 7), B, B, B, B};
  static const FkeyItem kCellPage[6] = {K(963, 8), B, B, B, B, B};
  static const FkeyItem kCellFreqPage[6] = {K(47, 10), K(963, 8), B, B, B, B};
  MenuSave menu;
  menu.Save();
  FkeySetPage(0, sheet ? kCellPage : kListPage);
  FkeySetPage(1, sheet ? kCellFreqPage : kFreqPage);
  static const char *const kLabels[] = {"1Var XList  :", "1Var Freq   :", "2Var XList  :", "2Var YList  :",
                                        "2Var Freq   :"};
  static const char *const kSheetLabels[] = {"1Var XCell:", "1Var Freq :", "2Var XCell:", "2Var YCell:",
                                             "2Var Freq :"};
  // Words of C_CND and byte offsets of the sheet's ranges for lines 1..5.
  static const u32 kWord[] = {kCondOneX, kCondOneFreq, kCondTwoX, kCondTwoY, kCondTwoFreq};
  static const u32 kAt[] = {2, 10, 18, 26, 34};
  bool pushed = false;
  i32 line = 1;
  i32 result = 1;
  while (result == 1) {
    if (sheet) SheetWriteCalcCond(sheetCalcCond);
    else if (const i32 w = StatWriteCalcCond(statCalcCond)) ErrBox(w);
    LcdClearVram();
    for (i32 l = 1; l <= 5; ++l) {
      const std::string value = sheet ? RangeTextAt(sheetCalcCond, kAt[l - 1])
                                      : (l == 2 || l == 5 ? ListText(statCalcCond[kWord[l - 1]])
                                                          : "List" + std::to_string(statCalcCond[kWord[l - 1]]));
      Line(l, std::string(sheet ? kSheetLabels[l - 1] : kLabels[l - 1]) + value, l == line);
    }
    const bool freqLine = line == 2 || line == 5;
    ShowPage(freqLine ? 1 : 0, &pushed);
    FkeyDrawRow();
    u32 key = 0;
    const bool typed = KeyGetKey(&key) != 0;
    if (sheet && (typed || key == 8 || key == kKeyRight)) {
      u16 a[2], b[2];
      RangeAt(sheetCalcCond, kAt[line - 1], a, b);
      const u32 k = StatEditCellRange(freqLine ? 3 : 2, typed ? 1 : 0, typed ? key : kKeyRight, a, b, 12, line,
                                      kSheetLabels[line - 1]);
      if (k == kKeyExe) SetRangeAt(sheetCalcCond, kAt[line - 1], a, b);
      if (k == kKeyQuit) result = -1;
      continue;
    }
    if (typed) continue;
    switch (key) {
      case kKeyUp: if (line > 1) --line; break;
      case kKeyDown: if (line < 5) ++line; break;
      case 7: {
        u32 n = 0;
        if (!sheet && StatInputListPopup(&n) == 0) statCalcCond[kWord[line - 1]] = static_cast<u16>(n);
        break;
      }
      case 10:
        if (sheet) std::memset(sheetCalcCond + (line <= 2 ? 10 : 34), 0, 8);
        else statCalcCond[line <= 2 ? kCondOneFreq : kCondTwoFreq] = 0;
        break;
      case kKeyExe: result = 0; break;
      case kKeyExit: result = -2; break;
      case kKeyQuit: result = -1; break;
      default: break;
    }
  }
  if (sheet) SheetWriteCalcCond(sheetCalcCond);
  else StatWriteCalcCond(statCalcCond);
  menu.Restore();
  return result;
}
