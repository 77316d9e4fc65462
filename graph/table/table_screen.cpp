#include "graph/table/table_screen.h"

#include <cstring>

#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "graph/table/graph_table.h"
#include "kernel/task.h"
#include "memory/item_array.h"
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
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr u32 kNoFunction = 30;
// SHIFT+VARS and the ALPHA group are off; OPT holds LMEM.
constexpr u16 kTableMask = kMaskShiftVars | kMaskAlphaGroup;

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

const FkeyItem kTablePages[2][6] = {
    {K(136, kGraphTableForm), K(56, kGraphTableDelete), {262, kFkeySubMenu, 1}, K(42, kGraphTableEdit),
     K(138, kGraphTableGraphCon), K(139, kGraphTableGraphPlt)},
    {K(9, kGraphTableDelRow), K(11, kGraphTableInsRow), K(140, kGraphTableAddRow), B, B, B},
};

bool InRunOrProg() { return SysIsAppName("@RUNMAT") || SysIsAppName("@PROG"); }

void Dims(const GraphContext *ctx, u32 *rows, u32 *cols) {
  *rows = *cols = 0;
  ItemMatDims(GraphTableOf(ctx), rows, cols);
}

// Types a new value of the variable on the cursor's row: 0 done, -1
// SHIFT+EXIT, -11 after an error box.
i32 EditVariable(GraphContext *ctx, u32 typed, u32 key) {
  const u8 table = GraphTableOf(ctx);
  const i32 row = ctx->tableTop + ctx->tableCursorRow - 1;
  Value v;
  std::memset(&v, 0, sizeof v);
  ItemMatGet(table, static_cast<u32>(row), 1, &v);
  BcdReal x = v.re;
  u32 k = key;
  TextLocate(1, 7);
  TextPrintField("", 21);
  const i32 r = EditReadNumber(typed, &k, 7, &x, "");
  if (r == -1) return -1;
  if (r != 0) return 0;
  RealFracToDecimal(&x, &x);
  GraphRefreshEntries(ctx);
  if (const u32 e = GraphFillTableRow(&x, ctx, row)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitShown;
  }
  return 0;
}

// The cursor's column into a list: on the variable column the variable's
// values, else the function column under the cursor.
void StoreCursorColumn(GraphContext *ctx) {
  const i32 column = ctx->tableCursorCol <= 1 ? 1 : ctx->tableLeft + ctx->tableCursorCol - 1;
  const i32 list = GraphAskListNumber();
  if (list == 0) return;
  const u8 table = GraphTableOf(ctx);
  if (GraphStoreTableColumn(static_cast<u8>(list), column, table) != 0) ErrBox(4);
}

}  // namespace

i32 GraphAskListNumber() {
  i32 n = 0;
  return PopupAskListNumber({4, 22, 23}, &n) == 0 ? n : 0;
}

i32 GraphTableScreen(GraphContext *ctx, u32 firstKey) {
  u32 pending = firstKey;
  // The cursor's value in another form stays on its line until the next
  // key; the fraction keys go on from the form shown.
  bool converted = false;
  Value shown{};
  char shownText[kNumTextSize];
  for (;;) {
    u32 rows = 0, cols = 0;
    Dims(ctx, &rows, &cols);
    GraphDrawTable(ctx, 0);
    if (converted) GraphTableShowValueText(ctx, shownText);
    u32 key = pending;
    bool isChar = false;
    if (pending == 0) {
      isChar = KeyGetKey(&key) != 0;
    }
    pending = 0;
    if (!isChar && KeyIsValueConversion(key)) {
      if (converted || GraphTableCursorValue(ctx, &shown)) converted = KeyConvertValue(key, &shown, shownText);
      continue;
    }
    converted = false;
    const bool tableApp = SysIsAppName("@TABLE") && GraphScreenMode(ctx) != 2;
    if (isChar || key == kGraphTableEdit) {
      if (tableApp && ctx->tableCursorCol == 1 && rows > 0) {
        const i32 r = EditVariable(ctx, isChar ? 1u : 0u, isChar ? key : u32{kKeyRight});
        if (r != 0) return r;
      }
      continue;
    }
    switch (key) {
      case kGraphTableForm:
      case kKeyExit:
        return kGraphExitExit;
      case kGraphTableDelete:
        if (GraphConfirmDeleteTable() == 0) {
          GmemForgetTable(GraphTableOf(ctx));
          return 0;
        }
        break;
      case kGraphTableGraphCon:
        return kGraphTableConnect;
      case kGraphTableGraphPlt:
        return kGraphTablePlot;
      case kGraphTableDelRow:
      case kGraphTableInsRow:
      case kGraphTableAddRow:
        GraphTableRowCommand(key, ctx);
        break;
      case kKeyExe:
        if (InRunOrProg()) return kGraphExitExe;
        // RECUR's table draws its points on EXE only while no sums are shown.
        if (SysIsAppName("@RECUR") && (ctx->optionFlags & kGraphOptDerivative)) break;
        if (GraphScreenMode(ctx) != 2) return kGraphTableConnect;
        break;
      case kKeyAc:
        if (GraphScreenMode(ctx) <= 1) {
          if (InRunOrProg()) return kGraphExitAc;
        } else if (GmemReadGraphMode() != 0) {
          return kGraphShowLast;
        }
        break;
      case kKeyUp:
      case kKeyDown:
      case kKeyLeft:
      case kKeyRight:
        GraphTableMoveCursor(ctx, key, static_cast<i32>(rows), static_cast<i32>(cols));
        break;
      case kKeyQuit:
        return kGraphExitQuit;
      case kKeyVWindow: {
        // The View Window keeps the table's menus and, when nothing
        // changed, gives the table its display back.
        const u32 mode = GraphScreenMode(ctx);
        if (GraphOpenVwinScreen(static_cast<i8>(mode == 0 ? 0 : mode == 1 ? 1 : 17)) != 0) return kGraphExitChanged;
        break;
      }
      case kKeySetup:
        if (GraphRunSetup()) return kGraphExitChanged;
        break;
      case kKeyGraphStoreColumn:
        if (rows > 0) StoreCursorColumn(ctx);
        break;
      case kKeyGraphTable:
        if (InRunOrProg()) break;
        if (GraphScreenMode(ctx) >= 2) return kGraphExitShown;
        return kGraphShowLast;
      default:
        if (key < 30000 || key >= 30200) return static_cast<i32>(key);
        break;
    }
  }
}

i32 GraphTableScreenMenu(GraphContext *ctx) {
  const u16 mask = KeyGetMenuMask();
  u16 groups[6];
  FkeySaveGroups(groups);
  const FkeyItem *pages[2];
  FkeySavePages(0, 1, pages);
  KeySetMenuMask(kTableMask);
  FkeyBuildOptGroup(13);
  FkeyBuildVarsGroup(1);
  FkeyBuildShiftGroup(GmemReadGraphMode() != 0 ? 6 : 2);
  FkeySetPage(0, kTablePages[0]);
  FkeySetPage(1, kTablePages[1]);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  if (GraphScreenMode(ctx) == 0) LcdClearVram();
  const i32 r = GraphTableScreen(ctx, 0);
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  FkeyRestorePages(0, 1, pages);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return r;
}

u32 TableShowFromProgram(u32 *key) {
  GraphContext ctx;
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  ctx.screenFlags = static_cast<u8>(ctx.screenFlags & ~kGraphScreenModeMask);
  ctx.tableKind = kGraphTableMatrix;
  if (GraphDrawKind(&ctx, kGraphSelTable) == 0) return kNoFunction;
  ctx.entries = GraphEntryTable();
  if (const u32 e = GraphBuildTable(&ctx)) return e;
  const u16 mask = KeyGetMenuMask();
  const FkeyItem *pages[1];
  FkeySavePages(0, 0, pages);
  static const FkeyItem kBlank[6] = {B, B, B, B, B, B};
  KeySetMenuMask(246);
  FkeySetPage(0, kBlank);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  LcdClearVram();
  const i32 r = GraphTableScreen(&ctx, *key);
  FkeyPopLevel();
  FkeyRestorePages(0, 0, pages);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  switch (r) {
    case kGraphExitChanged:
    case kGraphExitNothing:
    case kGraphExitExit: *key = kKeyExit; break;
    case kGraphExitAc: *key = kKeyAc; break;
    case kGraphExitExe:
    case 0: *key = kKeyExe; break;
    case kGraphExitShown: *key = kKeyGraphTable; break;
    case kGraphExitQuit: *key = kKeyQuit; break;
    default: break;
  }
  return 0;
}
