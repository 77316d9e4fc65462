// The recursion application's key loops.
#include "graph/recur/recur_app.h"

#include <cstring>

#include "graph/recur/recur_graph.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "graph/recur/recur_web.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "graph/table/table_screen.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/item_array.h"
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
#include "ui/setup_screen.h"
#include "ui/text.h"

namespace {

constexpr u32 kEditSize = 255;
constexpr i32 kFirstRow = 2;  // text row of formula a

enum RecurKey : u32 {
  kCmdSelect = 1,
  kCmdDelete = 2,
  kCmdType = 3,
  kCmdRange = 5,
  kCmdTable = 6,
};

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }
constexpr FkeyItem T(i16 icon, u32 code) { return {icon, kFkeyInput, code}; }

constexpr u32 kTokN = 0x7FA3, kTokAn = 0x7FA0, kTokAn1 = 0x7FA1, kTokBn = 0x7FA7, kTokBn1 = 0x7FA8;
constexpr u32 kTokCn = 0xF912, kTokCn1 = 0xF913;

const FkeyItem kListPage[6] = {K(55, kCmdSelect), K(56, kCmdDelete), K(57, kCmdType),
                               {310, kFkeySubMenu, 1}, K(134, kCmdRange), K(135, kCmdTable)};
const FkeyItem kTermsGeneral[6] = {T(294, kTokN), B, B, B, B, B};
const FkeyItem kTermsFirst[6] = {T(294, kTokN), T(314, kTokAn), T(316, kTokBn), T(112, kTokCn), B, B};
const FkeyItem kTermsSecond[6] = {T(294, kTokN), T(314, kTokAn), T(315, kTokAn1), T(316, kTokBn), T(317, kTokBn1),
                                  T(112, kTokCn)};
const FkeyItem kBlankPage[6] = {B, B, B, B, B, B};
// The table's graph keys: the terms joined (G-CON) or as points (G-PLT),
// their sums the same ways while the sums are shown, and the web graph for
// the first-order types.
constexpr u32 kCmdWeb = 41;
void TablePage(bool sums) {
  static FkeyItem page[6];
  const u8 t = RecurType();
  page[0] = B;
  page[1] = sums ? K(749, kRecurGraphSumLines) : B;
  page[2] = sums ? K(751, kRecurGraphSumPoints) : B;
  page[3] = t == 1 || t == 2 ? K(318, kCmdWeb) : B;
  page[4] = K(138, kRecurGraphLines);
  page[5] = K(139, kRecurGraphPoints);
  FkeySetPage(3, page);
}

void PrintMsg(i32 id, i32 col, i32 row) {
  char text[64];
  if (!MsgText(id, text)) return;
  TextLocate(col, row);
  TextPrint(text);
}

// "an+1" and the like: the term the type's formulas produce for sequence k.
void FormulaName(u32 k, char *out) {
  static const u32 kBase[3] = {0x7FA0, 0x7FA7, 0xF912};
  const u8 t = RecurType();
  const u32 step = t == 0 ? 0 : t <= 2 ? 1 : 2;
  StrTokenName(kBase[k] + step, out);
}

i32 NameColumns(u32 k) {
  char name[kStrTokenNameMax];
  FormulaName(k, name);
  return static_cast<i32>(StrCharCount(name));
}

// "Delete Formula?" with Yes F1 / No F6: true on F1.
bool ConfirmDelete() {
  constexpr i32 kKind = 4;
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kKind);
  PopupDrawWindow(kKind);
  static const i32 kLines[3][2] = {{7, 2}, {2, 4}, {3, 5}};
  for (const auto &line : kLines) PrintMsg(line[0], 3, line[1]);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupClose(kKind);
  PopupRestoreCursor(saved);
  return key == kKeyF1;
}

// "Select Type": F1-F3 set the type; false on EXIT.
bool SelectType() {
  constexpr i32 kKind = 4;
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kKind);
  PopupDrawWindow(kKind);
  PrintMsg(180, 3, 2);
  static const char *const kLines[3] = {"F1:an=An+B", "F2:an+1=Aan+Bn+C", "F3:an+2=Aan+1+Ban+"};
  for (i32 i = 0; i < 3; ++i) {
    TextLocate(3, 3 + i);
    TextPrint(kLines[i]);
  }
  const u32 key = PopupWaitKey({kKeyF1, kKeyF2, kKeyF3, kKeyExit, kKeyQuit});
  PopupClose(kKind);
  PopupRestoreCursor(saved);
  if (key == kKeyExit || key == kKeyQuit) return false;
  RecurSetType(key - kKeyF1 + 1);
  for (int w = 1; w <= 3; ++w) RecurSelectFormula(w, 0);
  return true;
}

void TermsPage() {
  const u8 t = RecurType();
  FkeySetPage(1, t == 0 ? kTermsGeneral : t <= 2 ? kTermsFirst : kTermsSecond);
}

// A value of the table setting for line i of the type: its id and prompt.
struct SettingLine {
  u32 id;
  const char *prompt;
};

u32 SettingLines(SettingLine *out) {
  const u8 t = RecurType();
  u32 n = 0;
  out[n++] = {kRecurIdStart, " Start:"};
  out[n++] = {kRecurIdEnd, " End  :"};
  if (t == 1 || t == 2) {
    const u32 first = t == 1 ? kRecurIdA0 : kRecurIdA1;
    static const char *const kPrompts[2][3] = {{" a0   :", " b0   :", " c0   :"}, {" a1   :", " b1   :", " c1   :"}};
    for (u32 k = 0; k < 3; ++k) out[n++] = {first + k, kPrompts[t - 1][k]};
    static const char *const kStarts[3] = {" anStr:", " bnStr:", " cnStr:"};
    for (u32 k = 0; k < 3; ++k) out[n++] = {kRecurIdAStart + k, kStarts[k]};
  } else if (t >= 3) {
    const u32 first = t == 3 ? kRecurIdA0 : kRecurIdA1;
    static const char *const kPrompts[2][6] = {{" a0   :", " a1   :", " b0   :", " b1   :", " c0   :", " c1   :"},
                                               {" a1   :", " a2   :", " b1   :", " b2   :", " c1   :", " c2   :"}};
    for (u32 k = 0; k < 3; ++k) {
      out[n++] = {first + k, kPrompts[t - 3][2 * k]};
      out[n++] = {first + 3 + k, kPrompts[t - 3][2 * k + 1]};
    }
  }
  return n;
}

void ValueText(u32 id, char *out) {
  BcdReal v;
  if (RecurReadValue(id, &v) != 0) RealSetZero(&v);
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = v;
  NumFormatCell13(&value, out);
}

}  // namespace

void RecurDrawFormulas(i32 line) {
  TextClearRows(1, 7);
  PrintMsg(304, 1, 1);
  for (u32 k = 0; k < 3; ++k) {
    const i32 row = kFirstRow + static_cast<i32>(k);
    char name[kStrTokenNameMax];
    FormulaName(k, name);
    TextLocate(1, row);
    TextPrint(name);
    const u8 *text = RecurFormulaText(static_cast<int>(k) + 1);
    if (text == nullptr || text[0] == 0) {
      TextPrint(":");
    } else {
      RecurFormulaInUse(static_cast<int>(k) + 1) ? TextPrintRev("=") : TextPrint("=");
      const i32 room = 21 - NameColumns(k) - 1;
      char shown[2 * 21 + 1];
      StrExpandTokens(reinterpret_cast<const char *>(text), shown, room);
      TextPrint(shown);
    }
    if (static_cast<i32>(k) + 1 == line) LcdReverseArea(0, (row - 1) * 8, 127, row * 8 - 1);
  }
}

u32 RecurStoreFormula(int which, const u8 *text) {
  u32 e = RecurWriteFormula(which, reinterpret_cast<const char *>(text));
  if (e == 0) e = RecurSetFormulaKind(which, 2);
  if (e == 0) RecurSelectFormula(which, 1);
  if (e != 0) ErrBox(4);
  return e;
}

i32 RecurTableSetting(u32 *changed) {
  SettingLine lines[8];
  const u32 count = SettingLines(lines);
  u32 cur = 0, top = 0;
  FkeySetPage(2, kBlankPage);
  FkeyPushLevel(2);
  i32 result = 0;
  for (;;) {
    TextClearRows(1, 7);
    char title[40];
    MsgText(305, title);
    const u8 t = RecurType();
    std::strcat(title, t == 0 ? "n" : t <= 2 ? "n+1" : "n+2");
    TextLocate(1, 1);
    TextPrintField(title, 21);
    if (cur < top) top = cur;
    if (cur >= top + 6) top = cur - 5;
    for (u32 i = top; i < count && i < top + 6; ++i) {
      const i32 row = 2 + static_cast<i32>(i - top);
      char num[32];
      ValueText(lines[i].id, num);
      TextLocate(1, row);
      TextPrint(lines[i].prompt);
      TextPrint(num);
      if (i == cur) LcdReverseArea(0, (row - 1) * 8, 127, row * 8 - 1);
    }
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    if (isChar || key == kKeyRight) {
      BcdReal v;
      if (RecurReadValue(lines[cur].id, &v) != 0) RealSetZero(&v);
      const i32 row = 2 + static_cast<i32>(cur - top);
      const i32 r = EditReadNumber(isChar ? 1 : 0, &key, row, &v, lines[cur].prompt);
      if (r == -1) {
        result = -1;
        break;
      }
      if (r != 0) continue;
      RealFracToDecimal(&v, &v);
      if (lines[cur].id <= kRecurIdEnd) {
        // The range counts terms: whole numbers from 0.
        RealCint(&v, &v);
        RealAbs(&v, &v);
      }
      RealNormalize(&v, &v);
      if (RecurWriteValue(lines[cur].id, &v) != 0) {
        ErrBox(4);
        continue;
      }
      RecurResetGraphState();
      *changed = 1;
      if (cur + 1 < count) ++cur;
      continue;
    }
    if (key == kKeyUp && cur > 0) --cur;
    if (key == kKeyDown && cur + 1 < count) ++cur;
    if (key == kKeyExe || key == kKeyExit) break;
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

u32 RecurMakeTable() {
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kRecurTableMatrix, &rows, &cols) == 0 && rows != 0 && cols != 0) return 0;
  const u32 e = RecurGenerateTable();
  if (e != 0) ErrBox(static_cast<i32>(e));
  return e;
}

namespace {

constexpr i32 kRecurShowLast = 35;  // the last recursion graph again

// The stored recursion graph again, its keys from `key`: -6 when none.
i32 RedrawLast(GraphContext *ctx, u32 key) {
  switch (GmemReadGraphMode()) {
    case 5: return RecurTimeGraph(kRecurGraphPoints, ctx, key);
    case 6: return RecurTimeGraph(kRecurGraphLines, ctx, key);
    case 8: return RecurTimeGraph(kRecurGraphSumPoints, ctx, key);
    case 9: return RecurTimeGraph(kRecurGraphSumLines, ctx, key);
    default: return RecurRedrawWeb(ctx, key);
  }
}

bool GraphMode(i32 r) {
  return r == kRecurGraphPoints || r == kRecurGraphLines || r == kRecurGraphSumLines || r == kRecurGraphSumPoints ||
         r == static_cast<i32>(kCmdWeb) || r == kRecurShowLast;
}

// One graph mode (32, 33, 38, 40, 41, or 35 the last graph) on ctx, its
// keys from `key`: the graph screen's result. -11 after an error box when
// the view cannot be loaded.
i32 RunGraph(GraphContext *ctx, i32 mode, u32 key) {
  if (const u32 e = RecurLoadView(ctx)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitShown;
  }
  if (mode == static_cast<i32>(kCmdWeb)) return RecurWebGraph(ctx);
  if (mode == kRecurShowLast) return RedrawLast(ctx, key);
  return RecurTimeGraph(mode, ctx, key);
}

// The graphs from the full-screen table: a mode and the modes its screen
// asks for next. -1 after SHIFT+EXIT, else 0 (back to the table).
i32 RunGraphs(i32 mode) {
  static GraphContext ctx;
  RecurSetupContext(&ctx);
  u32 key = 0;
  for (;;) {
    const i32 r = RunGraph(&ctx, mode, key);
    key = 0;
    if (r == kGraphExitQuit) return kGraphExitQuit;
    if (r <= 0 || r == kRecurTableMode) return 0;
    if (GraphMode(r)) {
      mode = r;
      continue;
    }
    // A key the graph screen handed on: the last graph runs it.
    mode = kRecurShowLast;
    key = static_cast<u32>(r);
  }
}

// Whether a table of cols columns holds the sums beside the terms.
bool TableHasSums(u32 cols) {
  const u32 flags = RecurDependencyFlags();
  const u32 selected = (flags & kRecurSelA ? 1u : 0u) + (flags & kRecurSelB ? 1u : 0u) + (flags & kRecurSelC ? 1u : 0u);
  return SetupGetItem(kSetupSumDisplay) == 0 && cols > 2 && cols == 1 + 2 * selected;
}

// The table screen's loop; a program's view (program) has no graph keys and
// ends on EXE and AC too. *endKey: the key that ended it.
i32 TableLoop(bool program, u32 *endKey) {
  *endKey = kKeyExit;
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0 || rows == 0) return 0;
  const u32 flags = RecurDependencyFlags();
  const bool sums = TableHasSums(cols);
  if (program) {
    FkeySetPage(3, kBlankPage);
  } else {
    TablePage(sums);
  }
  FkeyPushLevel(3);
  u32 row = 1, col = 1, top = 1, left = 1;
  i32 result = 0;
  for (;;) {
    TextClearRows(1, 7);
    // The column headings: n, then each selected term (and its sum).
    TextLocate(1, 1);
    TextPrint("n");
    const u32 shownCols = cols < 4 ? cols - 1 : 3;
    if (col < left) left = col;
    if (col >= left + shownCols) left = col - shownCols + 1;
    if (row < top) top = row;
    if (row >= top + 5) top = row - 4;
    for (u32 c = left; c < left + shownCols && c < cols; ++c) {
      u32 seq = 0, at = 1;
      for (u32 k = 0; k < 3; ++k) {
        if (!(flags & (kRecurSelA << k))) continue;
        if (c == at || (sums && c == at + 1)) seq = k;
        at += sums ? 2 : 1;
      }
      char name[kStrTokenNameMax];
      static const u32 kTerm[3] = {0x7FA0, 0x7FA7, 0xF912};
      StrTokenName(kTerm[seq], name);
      char heading[40] = {0};
      const bool isSum = sums && ((c - 1) % 2 == 1);
      if (isSum) std::strcat(heading, "\xE5\x51");  // the sum sign
      std::strcat(heading, name);
      TextLocate(4 + 6 * static_cast<i32>(c - left), 1);
      TextPrint(heading);
    }
    for (u32 r = top; r < top + 5 && r <= rows; ++r) {
      const i32 y = 2 + static_cast<i32>(r - top);
      Value v;
      char cell[32];
      ItemMatGet(kRecurTableMatrix, r, 1, &v);
      NumFormatCell6(&v, cell);
      // n in three columns while it fits.
      const char *n = cell;
      while (*n == ' ' && std::strlen(n) > 3) ++n;
      TextLocate(1, y);
      TextPrint(n);
      for (u32 c = left; c < left + shownCols && c < cols; ++c) {
        ItemMatGet(kRecurTableMatrix, r, c + 1, &v);
        if (ValErrorCode(&v) != 0) {
          std::strcpy(cell, "ERROR");
        } else {
          NumFormatCell6(&v, cell);
        }
        TextLocate(4 + 6 * static_cast<i32>(c - left), y);
        (r == row && c == col) ? TextPrintRev(cell) : TextPrint(cell);
      }
    }
    // The value under the cursor in full on the bottom line.
    Value v;
    char full[32];
    ItemMatGet(kRecurTableMatrix, row, col + 1, &v);
    if (ValErrorCode(&v) != 0) {
      std::strcpy(full, "ERROR");
    } else {
      NumFormatCell13(&v, full);
    }
    const char *shown = full;
    while (*shown == ' ') ++shown;
    TextLocate(1, 7);
    TextPrintField(shown, 21);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyUp && row > 1) --row;
    if (key == kKeyDown && row < rows) ++row;
    if (key == kKeyLeft && col > 1) --col;
    if (key == kKeyRight && col + 1 < cols) ++col;
    if (program && (key == kKeyExe || key == kKeyAc)) {
      *endKey = key;
      break;
    }
    const bool graphKey = key == kRecurGraphLines || key == kRecurGraphPoints || key == kRecurGraphSumLines ||
                          key == kRecurGraphSumPoints || key == kCmdWeb;
    if (!program && (graphKey || key == kKeyGraphTable)) {
      if (RunGraphs(key == kKeyGraphTable ? kRecurShowLast : static_cast<i32>(key)) == kGraphExitQuit) {
        result = -1;
        break;
      }
      continue;
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      *endKey = key;
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  KeyForgetDrawnRow();
  return result;
}

}  // namespace

namespace {

// The table on the right half beside the last recursion graph (empty axes
// when none is drawn), run by the graph screen's table loop with the
// table's graph keys; `key` is handled first. The loop's result.
i32 SplitTable(GraphContext *ctx, u32 key) {
  static GraphEntry entries[4];
  u32 rows = 0, cols = 0;
  ItemMatDims(kRecurTableMatrix, &rows, &cols);
  RecurBuildEntries(kRecurGraphLines, entries);
  ctx->entries = entries;
  const u8 grp = GmemReadGraphMode();
  if (grp == 0 || GmemReadScreen(ctx->planes) != 0) GraphClearBuffer(ctx);
  GraphRefreshScreen(ctx);
  const u16 mask = KeyGetMenuMask();
  u16 groups[6];
  FkeySaveGroups(groups);
  FkeyBuildOptGroup(grp != 0 ? 8 : 11);
  FkeyBuildShiftGroup(grp != 0 ? 6 : 2);
  KeySetMenuMask(kMaskVars | kMaskShiftVars | kMaskAlphaGroup);
  TablePage(TableHasSums(cols));
  FkeyPushLevel(3);
  KeyForgetDrawnRow();
  const i32 r = GraphTableScreen(ctx, key);
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return r;
}

// The table and its graphs sharing the screen, one mode after another from
// the table: -1 after SHIFT+EXIT, else 0 (back to the formulas: EXIT,
// G<->T on the table, a changed SET UP or V-Window, an error shown).
i32 SplitScreens() {
  static GraphContext ctx;
  RecurSetupContext(&ctx);
  if (const u32 e = GmemSaveOrigVwin()) {
    ErrBox(static_cast<i32>(e));
    return 0;
  }
  i32 mode = kRecurTableMode;
  u32 key = 0;
  for (;;) {
    i32 r = 0;
    if (mode != kRecurTableMode) {
      r = RunGraph(&ctx, mode, key);
    } else if (const u32 e = RecurLoadView(&ctx)) {
      ErrBox(static_cast<i32>(e));
      return 0;
    } else {
      r = SplitTable(&ctx, key);
    }
    key = 0;
    if (r == kGraphExitQuit) return kGraphExitQuit;
    if (r <= 0) return 0;
    if (r == kRecurTableMode || GraphMode(r)) {
      mode = r;
      continue;
    }
    // A key handed on: the last graph runs it; with none drawn the table
    // stays.
    const u8 grp = GmemReadGraphMode();
    const bool drawn = grp == 5 || grp == 6 || grp == 8 || grp == 9 || grp == 10;
    mode = drawn ? kRecurShowLast : kRecurTableMode;
    key = drawn ? static_cast<u32>(r) : 0;
  }
}

}  // namespace

i32 RecurTableScreen() {
  if (RecurSplitScreen()) return SplitScreens();
  u32 key = 0;
  return TableLoop(false, &key);
}

u32 RecurTableView() {
  u32 key = 0;
  TableLoop(true, &key);
  return key;
}

u32 RecurAppMain(u32, u16) {
  RecurResetGraphState();
  KeySetMenuMask(231);
  FkeySetPage(0, kListPage);
  TermsPage();
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  i32 line = 1;
  bool editing = false;
  // The text under edit and a second zero byte after its end.
  u8 buf[kEditSize + 2] = {};
  u32 start = 0, cursor = 0;
  auto startEditing = [&](bool keep) {
    std::memset(buf, 0, sizeof buf);
    if (keep) {
      const u8 *text = RecurFormulaText(line);
      if (text != nullptr) std::memcpy(buf, text, RecurTextLength(text));
    }
    start = 0;
    cursor = keep ? RecurTextLength(buf) : 0;
    editing = true;
    KeyCursorFromState();
  };
  for (;;) {
    TermsPage();
    RecurDrawFormulas(editing ? 0 : line);
    const i32 row = kFirstRow + line - 1;
    if (editing) {
      const i32 col = NameColumns(static_cast<u32>(line - 1)) + 2;
      TextLocate(col - 1, row);
      TextPrint("=");
      start = EditRedrawLine(buf, start, cursor, col, row);
    } else {
      TextCursorOff();
    }
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = kTokN;
    }
    if (isChar) {
      if (key == 13 || key == 14 || key == 0) continue;
      if (!editing) startEditing(false);
      cursor = EditPutChar(buf, kEditSize, cursor, key);
      continue;
    }
    if (editing) {
      if (key == kKeyExe) {
        if (buf[0] != 0 && RecurStoreFormula(line, buf) != 0) continue;
        editing = false;
        if (line < 3) ++line;
        continue;
      }
      if (key == kKeyExit) {
        editing = false;
        continue;
      }
      if (key == kKeyUp || key == kKeyDown || key == kKeyQuit) {
        editing = false;
      } else {
        const i32 col = NameColumns(static_cast<u32>(line - 1)) + 2;
        EditMoveCursor(buf, kEditSize, &start, &cursor, &key, col, row);
        continue;
      }
    }
    switch (key) {
      case kKeyUp:
        if (line > 1) --line;
        break;
      case kKeyDown:
        if (line < 3) ++line;
        break;
      case kKeyRight: startEditing(true); break;
      case kCmdSelect: {
        const u8 *text = RecurFormulaText(line);
        if (text != nullptr && text[0] != 0) RecurSelectFormula(line, RecurFormulaSelected(line) ? 0 : 1);
        break;
      }
      case kKeyDel:
      case kCmdDelete: {
        const u8 *text = RecurFormulaText(line);
        if (text != nullptr && text[0] != 0 && ConfirmDelete()) RecurDeleteFormula(line);
        break;
      }
      case kCmdType:
        SelectType();
        break;
      case kCmdRange: {
        u32 changed = 0;
        if (RecurTableSetting(&changed) == -1) line = 1;
        break;
      }
      case kKeyExe:
      case kCmdTable:
        if (RecurMakeTable() == 0) RecurTableScreen();
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@RECUR", &changed);
        if (changed) RecurResetGraphState();
        break;
      }
      case kKeyVWindow:
        GraphOpenVwinScreen();
        break;
      case kKeyQuit:
        line = 1;
        break;
      default: break;
    }
  }
}
