#include "graph/table/graph_table.h"

#include <cstdio>
#include <cstring>

#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "graph/memory/gmem_record.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/item_system.h"
#include "memory/mcs_store.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrDimension = 9;
constexpr u32 kErrRange = 28;
constexpr i32 kViewRows = 4;
constexpr u8 kRecurTable = 36;  // the recursion table, "RECURTBL"
constexpr u8 kTheta = 0xCE;
constexpr u8 kRadius = 0xCD;
constexpr i32 kCellX0 = 16;  // dot x of the variable column's cells
constexpr i32 kCellWidth = 28;
constexpr i32 kHeaderY = 8;

void StoreVar(u8 var, const BcdReal *v) {
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = *v;
  SysStoreVariable(var, &value);
}

bool IsMissingPoint(u32 code) { return code == 3 || code == 17 || code == 29; }

// The difference step of a slope at v: 1E(E-8) for the decimal exponent E
// of v (0 counts as exponent 0).
void SlopeStep(const BcdReal *v, BcdReal *h) {
  BcdReal one;
  RealSetOne(&one);
  RealScale10(&one, h, RealExponent(v) - 8);
}

// (b - a) / d, normalised; an error code of a or b passes.
void Quotient(const BcdReal *a, const BcdReal *b, const BcdReal *d, BcdReal *out) {
  BcdReal diff;
  RealSub(b, a, &diff);
  RealDiv(&diff, d, out);
  if (RealErrorCode(out) == 0) RealNormalize(out, out);
}

// Slope of a Y= style entry at x (central difference): 0, or an error code
// that must end the table (Ma ERROR, Non-Real and Time Out become an error
// value in the cell).
u32 SlopeY(const BcdReal *x, GraphContext *ctx, i32 idx, BcdReal *out) {
  BcdReal h, lo, hi, ylo, yhi, two, twoH;
  SlopeStep(x, &h);
  if (RealErrorCode(&h)) {
    *out = h;
    return 0;
  }
  RealSub(x, &h, &lo);
  RealAdd(x, &h, &hi);
  u32 e = GraphEvalFuncNext(&lo, &ylo, ctx, idx, 1);
  if (e == 0) e = GraphEvalFuncNext(&hi, &yhi, ctx, idx, 1);
  if (e != 0) {
    RealMakeError(static_cast<u8>(e), out);
    return IsMissingPoint(e) ? 0 : e;
  }
  RealMul(RealSetTwo(&two), &h, &twoH);
  Quotient(&ylo, &yhi, &twoH, out);
  return 0;
}

// Slopes of a parametric or polar entry at t: dX/dT, dY/dT, dY/dX (param)
// or dr/dtheta, dY/dX (polar).
u32 SlopesT(const BcdReal *t, GraphContext *ctx, i32 idx, BcdReal *dx, BcdReal *dy, BcdReal *dydx, BcdReal *dr) {
  BcdReal h, lo, hi, x0, y0, r0, x1, y1, r1, two, twoH;
  SlopeStep(t, &h);
  if (RealErrorCode(&h)) {
    *dx = *dy = *dydx = *dr = h;
    return 0;
  }
  RealSub(t, &h, &lo);
  RealAdd(t, &h, &hi);
  u32 e = GraphEvalParamNext(&lo, &x0, &y0, &r0, ctx, idx, 1);
  if (e == 0) e = GraphEvalParamNext(&hi, &x1, &y1, &r1, ctx, idx, 1);
  if (e != 0) {
    RealMakeError(static_cast<u8>(e), dx);
    *dy = *dydx = *dr = *dx;
    return IsMissingPoint(e) ? 0 : e;
  }
  RealMul(RealSetTwo(&two), &h, &twoH);
  Quotient(&x0, &x1, &twoH, dx);
  Quotient(&y0, &y1, &twoH, dy);
  Quotient(&r0, &r1, &twoH, dr);
  BcdReal ddx;
  RealSub(&x1, &x0, &ddx);
  Quotient(&y0, &y1, &ddx, dydx);
  return 0;
}

// Whether v lies strictly within -1E98 .. 1E98.
bool InTableRange(const BcdReal *v) {
  if (RealErrorCode(v)) return false;
  return RealExponent(v) < 98;
}

bool Split(const GraphContext *ctx) { return GraphScreenMode(ctx) != 0; }

// The function column (1-based among the function columns) the view cursor
// stands on, 0 on the variable column.
i32 CursorFuncColumn(const GraphContext *ctx) {
  if (ctx->tableCursorCol <= 1) return 0;
  return ctx->tableLeft + ctx->tableCursorCol - 2;
}

void CellText(u8 table, u32 row, u32 col, char *out) {
  Value v;
  std::memset(&v, 0, sizeof v);
  ItemMatGet(table, row, col, &v);
  if (RealErrorCode(&v.re)) {
    std::strcpy(out, " ERROR");
    return;
  }
  NumFormatCell6(&v, out);
}

}  // namespace

u32 GraphTableFuncColumns(u32 type, u32 d) {
  if (!d) return GraphTypeIsParam(type) ? 2 : 1;
  if (!(type & kGraphTypeT)) return 2;
  return GraphTypeIsParam(type) ? 5 : 3;
}

// ---- the range record ------------------------------------------------------------

u32 TableResetRange() {
  TableRange r;
  RealSetOne(&r.start);
  RealSetFive(&r.end);
  RealSetOne(&r.step);
  return TableWriteRange(&r);
}

u32 TableWriteRange(const TableRange *r) {
  u8 rec[kItemTableRangeSize];
  std::memcpy(rec, &r->start, 12);
  std::memcpy(rec + 12, &r->end, 12);
  std::memcpy(rec + 24, &r->step, 12);
  return ItemTableRangeWrite(rec);
}

u32 TableReadRange(TableRange *r) {
  u8 rec[kItemTableRangeSize];
  if (ItemTableRangeRead(rec) != 0) {
    if (TableResetRange() != 0 || ItemTableRangeRead(rec) != 0) return kErrMemory;
  }
  std::memcpy(&r->start, rec, 12);
  std::memcpy(&r->end, rec + 12, 12);
  std::memcpy(&r->step, rec + 24, 12);
  return 0;
}

// ---- building ------------------------------------------------------------------------

namespace {

// The cells of one row of a table of cols columns (at most
// kGraphTableMaxCols): x and the function columns into line. 0, or the
// code of an evaluation that deleted the table.
u32 ComputeRow(const BcdReal *x, GraphContext *ctx, u32 cols, BcdReal *line) {
  const u8 table = GraphTableOf(ctx);
  std::memset(line, 0, 12 * cols);
  const u32 d = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
  const u32 width = GraphTableFuncColumns(ctx->entries[0].type, d);
  line[0] = *x;
  u32 fail = 0;
  for (u32 k = 0; ctx->entries[k].style != 0 && fail == 0; ++k) {
    const i32 idx = static_cast<i32>(k);
    const u32 type = ctx->entries[k].type;
    const u32 col = 1 + k * width;
    BcdReal cells[5];
    u32 n = 0;
    if (type & kGraphTypeT) {
      BcdReal px, py, r;
      fail = GraphEvalParam(x, &px, &py, &r, ctx, idx, 1);
      if (fail == 0) {
        if (GraphTypeIsParam(type)) {
          cells[n++] = px;
          cells[n++] = py;
        } else {
          cells[n++] = r;
        }
        if (d && RealErrorCode(&px) == 0) {
          BcdReal dx, dy, dydx, dr;
          fail = SlopesT(x, ctx, idx, &dx, &dy, &dydx, &dr);
          if (GraphTypeIsParam(type)) {
            cells[n++] = dx;
            cells[n++] = dy;
            StoreVar('T', x);
          } else {
            cells[n++] = dr;
            StoreVar(kTheta, x);
            StoreVar(kRadius, &r);
          }
          cells[n++] = dydx;
          StoreVar('X', &px);
          StoreVar('Y', &py);
        } else if (d) {
          const u32 more = GraphTypeIsParam(type) ? 3 : 2;
          for (u32 i = 0; i < more; ++i) cells[n++] = px;
        }
      }
    } else {
      BcdReal y;
      fail = GraphEvalFunc(x, &y, ctx, idx, 1);
      if (fail == 0) {
        cells[n++] = y;
        if (d) {
          BcdReal m = y;
          if (RealErrorCode(&y) == 0) fail = SlopeY(x, ctx, idx, &m);
          cells[n++] = m;
          StoreVar('X', x);
          StoreVar('Y', &y);
        }
      }
    }
    if (fail != 0) break;
    for (u32 i = 0; i < n && i < width && col + i < cols && col + i < kGraphTableMaxCols; ++i) line[col + i] = cells[i];
  }
  if (fail != 0) {
    ItemMatDelete(table);
    GmemForgetGraphTable();
    return fail;
  }
  return 0;
}

// Writes count rows of cols cells from row `first` (from 1) on.
u32 WriteRows(const char *name, u32 cols, u32 first, u32 count, const BcdReal *lines) {
  const u32 at = kItemArrayHeader + 12 * (first - 1) * cols;
  return McsWriteBytes("main", name, at, 12 * cols * count, lines) == 0 ? 0u : kErrMemory;
}

// Rows computed before they are written together: fewer writes into main
// memory while a table is built.
constexpr u32 kRowBatch = 8;

struct RowBatch {
  BcdReal cells[kRowBatch * kGraphTableMaxCols];
  u32 first = 1, count = 0;
};

// The variable of the rows of a range, start + i * step (rounded, cleaned
// up and snapped to zero), costs three decimal operations and a clean-up
// per row. When start and step are plain decimal numbers they are whole
// multiples of one power of ten, 10^unit; while i * step and the sum have
// at most 15 digits at that unit, the product and the sum are exact, and
// the value is made straight from the whole number start + i * step.
constexpr i64 kTen15 = 1000000000000000;

struct RowValues {
  bool whole = false;  // start and step were read as whole multiples
  i64 start = 0, step = 0;
  i32 unit = 0;     // exponent of ten of one whole unit
  i32 stepExp = 0;  // the step's exponent, for snapping to zero
};

// A plain decimal number as m * 10^q, m without trailing zeros (0 for
// zero, q then unused): false for an error, a fraction or a malformed real.
bool WholeAndUnit(const BcdReal *v, i64 *m, i32 *q) {
  *m = 0;
  *q = 0;
  if (!RealIsWellFormed(v) || RealErrorCode(v) || RealIsFrac(v)) return false;
  NumDecimal d;
  if (!NumGetDecimal(v, &d)) return true;
  i64 w = 0;
  for (const u8 digit : d.d) w = w * 10 + digit;
  i32 unit = d.exp - 14;
  while (w % 10 == 0) {
    w /= 10;
    ++unit;
  }
  *m = d.sign < 0 ? -w : w;
  *q = unit;
  return true;
}

// m * 10^k while it stays below 1E15 in size.
bool ScaleWhole(i64 *m, i32 k) {
  for (; k > 0; --k) {
    if (*m >= kTen15 / 10 || *m <= -kTen15 / 10) return false;
    *m *= 10;
  }
  return true;
}

RowValues MakeRowValues(const TableRange *r) {
  RowValues v;
  i64 start = 0, step = 0;
  i32 qStart = 0, qStep = 0;
  if (!WholeAndUnit(&r->start, &start, &qStart) || !WholeAndUnit(&r->step, &step, &qStep) || step == 0) return v;
  const i32 unit = (start != 0 && qStart < qStep) ? qStart : qStep;
  // Every value made then has an exponent from unit to unit + 14.
  if (unit < -99 || unit + 14 > 99) return v;
  if ((start != 0 && !ScaleWhole(&start, qStart - unit)) || !ScaleWhole(&step, qStep - unit)) return v;
  v.whole = true;
  v.start = start;
  v.step = step;
  v.unit = unit;
  v.stepExp = RealExponent(&r->step);
  return v;
}

// Row i's variable (from 0) from the whole multiples into x (all 12 bytes):
// false when the decimal operations must make it, that is when i * step or
// the sum reach 16 digits, or when its last four digits are ones the
// clean-up changes (0001-0009, 9991-9999).
bool WholeRowValue(const RowValues *v, u32 i, BcdReal *x) {
  const i64 part = static_cast<i64>(i) * v->step;
  const i64 k = v->start + part;
  if (part >= kTen15 || part <= -kTen15 || k >= kTen15 || k <= -kTen15) return false;
  std::memset(x, 0, sizeof *x);
  if (k == 0) return true;
  static constexpr u64 kPow10[16] = {1,
                                     10,
                                     100,
                                     1000,
                                     10000,
                                     100000,
                                     1000000,
                                     10000000,
                                     100000000,
                                     1000000000,
                                     10000000000,
                                     100000000000,
                                     1000000000000,
                                     10000000000000,
                                     100000000000000,
                                     1000000000000000};
  const bool neg = k < 0;
  u64 m = static_cast<u64>(neg ? -k : k);
  i32 digits = 1;
  while (digits < 15 && m >= kPow10[digits]) ++digits;
  m *= kPow10[15 - digits];  // d1 .. d15
  const u64 tail = m % 10000;
  if ((tail >= 1 && tail <= 9) || tail >= 9991) return false;
  const i32 e = v->unit + digits - 1;
  // Far below the step it is 0.
  if (v->stepExp - e >= 9) return true;
  NumDecimal d;
  d.sign = neg ? -1 : 1;
  d.exp = e;
  for (i32 n = 14; n >= 0; --n) {
    d.d[n] = static_cast<u8>(m % 10);
    m /= 10;
  }
  NumSetDecimal(&d, x);
  return true;
}

// Row i's variable through the decimal operations.
void DecimalRowValue(const TableRange *r, u32 i, BcdReal *x) {
  BcdReal fi;
  RealSetZero(x);
  NumFromInt32(static_cast<i32>(i), &fi);
  RealMul(&fi, &r->step, x);
  RealAdd(&r->start, x, x);
  RealNormalize(x, x);
  GraphSnapToZero(x, &r->step);
}

// Computes row `row` into the batch, writing the batch when it is full or
// the row is the last.
u32 BatchRow(RowBatch *b, const BcdReal *x, GraphContext *ctx, u32 row, u32 last, u32 cols, const char *name) {
  if (b->count == 0) b->first = row;
  if (const u32 e = ComputeRow(x, ctx, cols, b->cells + b->count * cols)) return e;
  if (++b->count < kRowBatch && row < last) return 0;
  const u32 e = WriteRows(name, cols, b->first, b->count, b->cells);
  b->count = 0;
  return e;
}

}  // namespace

u32 GraphFillTableRow(const BcdReal *x, GraphContext *ctx, i32 row) {
  LcdShowBusyIndicator();
  const u8 table = GraphTableOf(ctx);
  u32 rows = 0, cols = 0;
  if (ItemMatDims(table, &rows, &cols) != 0 || row < 1 || static_cast<u32>(row) > rows) {
    return kErrMemory;
  }
  if (cols > kGraphTableMaxCols) return kErrMemory;
  BcdReal line[kGraphTableMaxCols];
  if (const u32 e = ComputeRow(x, ctx, cols, line)) return e;
  char name[9];
  return WriteRows(ItemMatName(table, name), cols, static_cast<u32>(row), 1, line);
}

u32 GraphBuildTable(GraphContext *ctx) {
  KeyBreakArm();
  i32 curves = 0;
  if (const u32 e = GraphScanEntries(ctx, &curves)) return e;
  const u32 count = static_cast<u32>(GraphEntryCount(ctx));
  for (u32 k = 0; k < count; ++k) {
    if (ctx->entries[k].type & 0xE000u) return kErrSyntax;
  }
  const u32 d = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
  const u32 cols = count * (count ? GraphTableFuncColumns(ctx->entries[0].type, d) : 1) + 1;
  if (cols > kGraphTableMaxCols) return kErrMemory;
  const u8 table = GraphTableOf(ctx);
  const u8 list = SetupGetItem(kSetupVariable);
  if (list != 0) {
    const u32 n = ItemListSize(0, list);
    if (n == 0 || n > kGraphTableMaxRows) return kErrDimension;
    if (ItemMatCreate(table, n, cols) != 0) return kErrMemory;
    char name[9];
    ItemMatName(table, name);
    RowBatch batch;
    for (u32 i = 1; i <= n; ++i) {
      Value v;
      std::memset(&v, 0, sizeof v);
      if (ItemListGet(0, list, i, &v) != 0) return kErrMemory;
      GraphRefreshEntries(ctx);
      if (i % 16 == 1) LcdShowBusyIndicator();
      if (const u32 e = BatchRow(&batch, &v.re, ctx, i, n, cols, name)) return e;
    }
  } else {
    TableRange r;
    if (TableReadRange(&r) != 0) return kErrMemory;
    if (!InTableRange(&r.start) || !InTableRange(&r.end) || !InTableRange(&r.step)) return kErrRange;
    BcdReal zero;
    RealSetZero(&zero);
    // A step of 0 gives no rows at all.
    if (RealCompare(kRealCmpEq, &r.step, &zero) == 1) return kErrRange;
    const bool down = RealCompare(kRealCmpGt, &r.start, &r.end) == 1;
    const bool up = RealCompare(kRealCmpLt, &r.start, &r.end) == 1;
    const bool stepUp = RealCompare(kRealCmpGt, &r.step, &zero) == 1;
    if ((down && stepUp) || (up && !stepUp)) {
      RealNegDecimal(&r.step, &r.step);
      if (TableWriteRange(&r) != 0) return kErrMemory;
    }
    BcdReal q, span, limit;
    RealSub(&r.end, &r.start, &span);
    RealDiv(&span, &r.step, &q);
    if (RealErrorCode(&q)) return kErrRange;
    RealSet32767(&limit);
    if (RealCompare(kRealCmpLt, &q, &zero) == 1 || RealCompare(kRealCmpGe, &q, &limit) == 1) return kErrRange;
    BcdReal whole;
    RealInt(&q, &whole);
    const u32 n = static_cast<u32>(NumToInt32(&whole)) + 1;
    if (n > kGraphTableMaxRows) return kErrRange;
    if (ItemMatCreate(table, n, cols) != 0) return kErrMemory;
    char name[9];
    ItemMatName(table, name);
    RowBatch batch;
    const RowValues made = MakeRowValues(&r);
    for (u32 i = 0; i < n; ++i) {
      BcdReal x;
      if (!made.whole || !WholeRowValue(&made, i, &x)) DecimalRowValue(&r, i, &x);
      // The texts may have moved while the last row was written.
      GraphRefreshEntries(ctx);
      if (i % 16 == 0) LcdShowBusyIndicator();
      if (const u32 e = BatchRow(&batch, &x, ctx, i + 1, n, cols, name)) return e;
    }
  }
  ctx->tableTop = ctx->tableLeft = ctx->tableCursorCol = ctx->tableCursorRow = 1;
  return 0;
}

u32 GraphStoreTableColumn(u8 list, i32 column, u8 table) {
  u32 rows = 0, cols = 0;
  ItemMatDims(table, &rows, &cols);
  if (column < 1 || static_cast<u32>(column) > cols) return 0;
  const auto usable = [&](u32 row, Value *v) {
    std::memset(v, 0, sizeof *v);
    return ItemMatGet(table, row, static_cast<u32>(column), v) == 0 && RealErrorCode(&v->re) == 0;
  };
  u32 count = 0;
  Value v;
  for (u32 row = 1; row <= rows; ++row) count += usable(row, &v) ? 1 : 0;
  if (count == 0) return 0;
  // Making the list may move the table in main memory: the cells are read
  // again by name afterwards.
  if (ItemListCreate(0, list, count) != 0) return kErrMemory;
  u32 i = 0;
  for (u32 row = 1; row <= rows; ++row) {
    if (!usable(row, &v)) continue;
    if (ItemListSet(0, list, ++i, &v) != 0) return kErrMemory;
  }
  return 0;
}

u32 GraphTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx) {
  const u8 table = GraphTableOf(ctx);
  const u32 type = ctx->entries[0].type;
  const u32 d = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
  const u32 col = 2 + static_cast<u32>(idx) * GraphTableFuncColumns(type, d);
  u32 rows = 0, cols = 0;
  Value v;
  std::memset(&v, 0, sizeof v);
  u32 e = ItemMatDims(table, &rows, &cols);
  if (e == 0 && (row < 1 || static_cast<u32>(row) > rows || col + (GraphTypeIsParam(type) ? 1 : 0) > cols)) e = kErrMemory;
  if (e == 0 && GraphTypeIsParam(type)) {
    e = ItemMatGet(table, static_cast<u32>(row), col, &v);
    *x = v.re;
    if (e == 0) e = ItemMatGet(table, static_cast<u32>(row), col + 1, &v);
    *y = v.re;
  } else if (e == 0) {
    e = ItemMatGet(table, static_cast<u32>(row), 1, &v);
    *x = v.re;
    if (e == 0) e = ItemMatGet(table, static_cast<u32>(row), col, &v);
    *y = v.re;
    if (e == 0 && GraphTypeIsPolar(type)) {
      const BcdReal theta = *x;
      const BcdReal r = *y;
      GraphPolarToRect(&r, &theta, x, y, GraphAngleUnit(ctx));
    }
  }
  if (e != 0) {
    RealMakeError(kErrMemory, x);
    RealMakeError(kErrMemory, y);
    return kErrMemory;
  }
  StoreVar('X', x);
  StoreVar('Y', y);
  return 0;
}

// ---- row commands --------------------------------------------------------------------

u32 GraphInsertTableRow(i32 row, u8 table) {
  u32 rows = 0, cols = 0;
  if (ItemMatDims(table, &rows, &cols) != 0 || row < 1 || static_cast<u32>(row) > rows) return kErrMemory;
  if (ItemMatInsertRows(table, static_cast<u32>(row), 1) != 0) return kErrMemory;
  for (u32 c = 1; c <= cols; ++c) {
    Value v;
    std::memset(&v, 0, sizeof v);
    ItemMatGet(table, static_cast<u32>(row) + 1, c, &v);
    if (ItemMatSet(table, static_cast<u32>(row), c, &v) != 0) return kErrMemory;
  }
  return 0;
}

u32 GraphTableRowCommand(u32 key, GraphContext *ctx) {
  const u8 table = GraphTableOf(ctx);
  u32 rows = 0, cols = 0;
  if (ItemMatDims(table, &rows, &cols) != 0 || rows == 0) return 0;
  const i32 row = ctx->tableTop + ctx->tableCursorRow - 1;
  if (row < 1 || static_cast<u32>(row) > rows) return 0;
  if (key == kGraphTableDelRow) {
    if (rows == 1) {
      // A matrix has at least one row: the last row takes the table with it.
      ItemMatDelete(table);
      ctx->tableTop = ctx->tableCursorRow = 1;
      return 0;
    }
    ItemMatDeleteRows(table, static_cast<u32>(row), 1);
    if (static_cast<u32>(row) == rows) {
      if (ctx->tableCursorRow == 1 && ctx->tableTop > 1) {
        --ctx->tableTop;
      } else if (ctx->tableCursorRow > 1) {
        --ctx->tableCursorRow;
      }
    } else if (ctx->tableTop > 1 && static_cast<u32>(ctx->tableTop) + kViewRows - 1 > rows - 1) {
      // Keep the view full when rows below it are gone.
      --ctx->tableTop;
      ++ctx->tableCursorRow;
    }
    return 0;
  }
  if (key != kGraphTableInsRow && key != kGraphTableAddRow) return 0;
  if (rows >= kGraphTableMaxRows) return 0;
  if (GraphInsertTableRow(row, table) != 0) {
    ErrBox(kErrMemory);
    return 1;
  }
  if (key == kGraphTableAddRow) {
    if (ctx->tableCursorRow < kViewRows) {
      ++ctx->tableCursorRow;
    } else {
      ++ctx->tableTop;
    }
  }
  return 0;
}

// ---- cursor --------------------------------------------------------------------------

namespace {

// Down one row with the view; false at the last row.
bool RowDown(GraphContext *ctx, i32 rows) {
  const i32 row = ctx->tableTop + ctx->tableCursorRow - 1;
  if (row >= rows) return false;
  if (ctx->tableCursorRow < kViewRows) {
    ++ctx->tableCursorRow;
  } else {
    ++ctx->tableTop;
  }
  return true;
}

bool RowUp(GraphContext *ctx) {
  const i32 row = ctx->tableTop + ctx->tableCursorRow - 1;
  if (row <= 1) return false;
  if (ctx->tableCursorRow > 1) {
    --ctx->tableCursorRow;
  } else {
    --ctx->tableTop;
  }
  return true;
}

}  // namespace

void GraphTableMoveCursor(GraphContext *ctx, u32 key, i32 rows, i32 cols) {
  if (rows <= 0) return;
  const bool split = Split(ctx);
  const i32 shownCols = split ? 2 : (cols < 4 ? cols : 4);
  const i32 maxLeft = split ? (cols > 1 ? cols - 1 : 1) : (cols > 3 ? cols - 3 : 1);
  switch (key) {
    case kKeyUp:
      RowUp(ctx);
      break;
    case kKeyDown:
      RowDown(ctx, rows);
      break;
    case kKeyRight:
      if (ctx->tableCursorCol < shownCols) {
        ++ctx->tableCursorCol;
      } else if (ctx->tableLeft < maxLeft) {
        ++ctx->tableLeft;
      } else if (RowDown(ctx, rows)) {
        ctx->tableCursorCol = 1;
        ctx->tableLeft = 1;
      }
      break;
    case kKeyLeft:
      if (ctx->tableCursorCol == 2 && ctx->tableLeft > 1) {
        --ctx->tableLeft;
      } else if (ctx->tableCursorCol > 1) {
        --ctx->tableCursorCol;
      } else if (RowUp(ctx)) {
        ctx->tableCursorCol = shownCols;
        ctx->tableLeft = maxLeft;
      }
      break;
    default:
      break;
  }
}

// ---- headers and drawing -------------------------------------------------------------

i32 GraphTableEntryOfColumn(i32 p, GraphContext *ctx) {
  const u32 d = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
  const u32 w = GraphTableFuncColumns(ctx->entries[0].type, d);
  return (p - 1) / static_cast<i32>(w);
}

namespace {

// The recursion table's headers: n, then each sequence's term and, with
// the sums shown, its sum: a, b, c with the subscript n, Sigma before a sum.
void RecurHeaderText(i32 p, GraphContext *ctx, char *out) {
  if (p <= 0) {
    std::strcpy(out, "   n");
    return;
  }
  const bool sum = (ctx->optionFlags & kGraphOptDerivative) != 0 && p % 2 == 0;
  const i32 slot = ctx->entries[GraphTableEntryOfColumn(p, ctx)].slot;
  const char letter = static_cast<char>('a' + (slot >= 1 && slot <= 3 ? slot - 1 : 0));
  std::snprintf(out, 8, "%s%c\xE5\xDE", sum ? " \xE5\x51" : "  ", letter);
}

}  // namespace

void GraphTableHeaderText(i32 p, GraphContext *ctx, char *out) {
  if (GraphTableOf(ctx) == kRecurTable) {
    RecurHeaderText(p, ctx, out);
    return;
  }
  const u32 type0 = ctx->entries[0].type;
  if (p <= 0) {
    if (GraphTypeIsParam(type0)) {
      std::strcpy(out, "   T");
    } else if (GraphTypeIsPolar(type0)) {
      std::snprintf(out, 8, "   %c", static_cast<char>(kTheta));
    } else {
      std::strcpy(out, "   X");
    }
    return;
  }
  const bool d = (ctx->optionFlags & kGraphOptDerivative) != 0;
  const char *h = "  Y";
  if (GraphTypeIsParam(type0)) {
    if (!d) {
      h = (p % 2) ? " Xt" : " Yt";
    } else {
      static const char *const kParam[5] = {" Y'", " Xt", " Yt", "Xt'", "Yt'"};
      h = kParam[p % 5];
    }
  } else if (GraphTypeIsPolar(type0)) {
    if (d) {
      static const char *const kPolar[3] = {" Y'", "  r", " r'"};
      h = kPolar[p % 3];
    } else {
      h = "  r";
    }
  } else if (d && p % 2 == 0) {
    h = " Y'";
  }
  const i32 idx = GraphTableEntryOfColumn(p, ctx);
  std::snprintf(out, 8, "%s%d", h, static_cast<int>(ctx->entries[idx].slot));
}

void GraphTableHeader(i32 p, i32 screenColumn, GraphContext *ctx) {
  char text[8];
  GraphTableHeaderText(p, ctx, text);
  TextPrintMini(kCellX0 + kCellWidth * screenColumn, kHeaderY, text, 16);
}

void GraphTableTopLine(i32 p, GraphContext *ctx) {
  TextLocate(1, 1);
  if (p <= 0) {
    TextPrintField("", 21);
    return;
  }
  const u32 type0 = ctx->entries[0].type;
  const bool d = (ctx->optionFlags & kGraphOptDerivative) != 0;
  const char *name = nullptr;
  char theta[8];
  if (d) {
    if (GraphTypeIsParam(type0)) {
      name = p % 5 == 3 ? "dx/dt" : p % 5 == 4 ? "dy/dt" : p % 5 == 0 ? "dy/dx" : nullptr;
    } else if (GraphTypeIsPolar(type0)) {
      std::snprintf(theta, sizeof theta, "dr/d%c", static_cast<char>(kTheta));
      name = p % 3 == 2 ? theta : p % 3 == 0 ? "dy/dx" : nullptr;
    } else if (p % 2 == 0) {
      name = "dy/dx";
    }
  }
  if (name != nullptr) {
    TextPrintField(name, 21);
    return;
  }
  GraphShowFuncLabel(ctx, GraphTableEntryOfColumn(p, ctx));
}

void GraphTableBrackets(GraphContext *ctx) {
  const i32 left = Split(ctx) ? 69 : 13;
  const i32 right = 125;
  for (i32 y = 16; y <= 47; ++y) {
    LcdSetPixel(left, y, 1);
    LcdSetPixel(right, y, 1);
  }
  LcdSetPixel(left + 1, 16, 1);
  LcdSetPixel(left + 1, 47, 1);
  LcdSetPixel(right - 1, 16, 1);
  LcdSetPixel(right - 1, 47, 1);
}

void GraphDrawTable(GraphContext *ctx, i32 how) {
  const u8 complexMode = SetupGetItem(kSetupComplexMode);
  SetupSetItem(kSetupComplexMode, 0);
  const u8 table = GraphTableOf(ctx);
  u32 rows = 0, cols = 0;
  ItemMatDims(table, &rows, &cols);
  const bool split = Split(ctx);
  if (split) {
    LcdClearArea(LcdRect{64, 8, 127, 55});
  } else {
    LcdClearVram();
  }
  GraphTableBrackets(ctx);
  const i32 shown = split ? 2 : 4;
  for (i32 c = 0; c < shown; ++c) {
    const u32 mcol = c == 0 ? 1 : static_cast<u32>(ctx->tableLeft + c);
    if (mcol > cols || cols == 0) break;
    const i32 screenCol = split ? c + 2 : c;
    GraphTableHeader(c == 0 ? 0 : static_cast<i32>(mcol) - 1, screenCol, ctx);
    for (i32 r = 1; r <= kViewRows; ++r) {
      const u32 mrow = static_cast<u32>(ctx->tableTop + r - 1);
      if (mrow > rows) break;
      char cell[24];
      CellText(table, mrow, mcol, cell);
      const bool cursor = r == ctx->tableCursorRow && c + 1 == ctx->tableCursorCol;
      TextPrintMiniAtCell(7 * screenCol + 5, r + 2, cell, cursor ? 18 : 16);
    }
  }
  if (how == 0 && rows > 0) {
    const u32 mrow = static_cast<u32>(ctx->tableTop + ctx->tableCursorRow - 1);
    const u32 mcol = ctx->tableCursorCol <= 1 ? 1 : static_cast<u32>(ctx->tableLeft + ctx->tableCursorCol - 1);
    Value v;
    std::memset(&v, 0, sizeof v);
    ItemMatGet(table, mrow, mcol, &v);
    char text[kNumTextSize];
    if (RealErrorCode(&v.re)) {
      std::strcpy(text, "ERROR");
    } else {
      NumToText(&v, text);
    }
    GraphTableShowValueText(ctx, text);
    if (!split) GraphTableTopLine(CursorFuncColumn(ctx), ctx);
  }
  SetupSetItem(kSetupComplexMode, complexMode);
}

void GraphTableShowValueText(GraphContext *ctx, const char *text) {
  if (Split(ctx)) {
    LcdClearArea(LcdRect{64, 48, 127, 55});
    TextPrintMini(66, 50, text, 16);
  } else {
    TextLocate(1, 7);
    TextPrintCore(kTextField, text, 21);
  }
}

bool GraphTableCursorValue(GraphContext *ctx, Value *v) {
  const u8 table = GraphTableOf(ctx);
  const u32 mrow = static_cast<u32>(ctx->tableTop + ctx->tableCursorRow - 1);
  const u32 mcol = ctx->tableCursorCol <= 1 ? 1 : static_cast<u32>(ctx->tableLeft + ctx->tableCursorCol - 1);
  std::memset(v, 0, sizeof *v);
  return ItemMatGet(table, mrow, mcol, v) == 0 && RealErrorCode(&v->re) == 0;
}
