// Seams to the subsystems above the evaluator. Each owner replaces its seam
// when it lands; until then the seam gives System ERROR (23). The assignment
// of a formula's trailing arrow is the interpreter's.
#include "eval/eval_glue.h"

#include "apps/calcdoc/calcdoc_store.h"
#include "apps/finance/fin_mem.h"
#include "apps/stat/stat_cond.h"
#include "apps/sheet/sheet_eval.h"
#include "eval/prog.h"
#include "graph/dyna/dyna_glue.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/command/graph_command.h"
#include "graph/table/graph_table.h"
#include "graph/recur/recur_glue.h"
#include "number/real.h"
#include "numeric/list_mem.h"
#include "numeric/random.h"

// The statistics results are the statistics application's result lists: a
// value the last calculation did not give (or no calculation yet) is not
// available; one it could not compute carries its error.
i32 EvalGlueStatValue(u32 n, BcdReal *out) {
  Value v{};
  if (StatCalcValue(static_cast<int>(n), &v) == -2) return -2;
  *out = v.re;
  return RealErrorCode(out);
}
u8 EvalGlueStatModes(EvalCell *out) {
  if (StatResultListSize() == 0 || ListFromMemory(kStatResultFile, 1, out) != 1) return 4;
  return 0;
}
// The V-Windows and zoom factors are the graph memory's records, made with
// their defaults when missing.
u8 EvalGlueVwinValue(u32 right, u32 index, BcdReal *out) {
  const i32 idx = static_cast<i32>(index);
  return static_cast<u8>(right ? GmemReadVwinrValue(out, idx) : GmemReadVwinValue(out, idx));
}
u8 EvalGlueZoomFactor(u32 isY, BcdReal *out) {
  GmemReadZoomFactor(static_cast<i32>(isY), out);
  return RealErrorCode(out);
}
u8 EvalGlueDynaValue(u32 which, BcdReal *out) { return DynaGlueValue(which, out); }
// The table range record, made with its defaults when missing.
u8 EvalGlueTableRange(u32 which, BcdReal *out) {
  TableRange r;
  if (which > 2) return kEvalGlueWaiting;
  if (TableReadRange(&r) != 0) return kEvalErrMemory;
  *out = which == 0 ? r.start : which == 1 ? r.end : r.step;
  return 0;
}
u8 EvalGlueRecurValue(u32 id, BcdReal *out) { return RecurGlueValue(id, out); }
// The equation items 30-33 and the function table 35 are read in place; the
// recursion table (36) without its error rows.
u8 EvalGlueEquaMatrix(u32 number, EvalCell *out) {
  if (number == 36) return RecurResultMatrix(out);
  if (number < 30 || number > 35 || number == 34) return kEvalGlueWaiting;
  return MatFromMemory(static_cast<int>(number), out) == 1 ? 0 : ValErrorCode(out);
}
// The time-value variables live in the financial record.
u8 EvalGlueFinValue(u32 offset, BcdReal *out) { return FinValueAt(offset, out); }
// Cells of the current sheet, while the spreadsheet runs or evaluates.
u32 EvalGlueSheetRunning() { return SheetEngineActive(); }
u8 EvalGlueSheetCell(u32 column, u32 row, Value *out) {
  const i16 cell[2] = {static_cast<i16>(column), static_cast<i16>(row)};
  SheetGetCellValue(cell, out);
  return ValErrorCode(out);
}
u8 EvalGlueSheetRange(u8 func, const i16 range[4], Value *out) {
  SheetRange r{range[0], range[1], range[2], range[3]};
  SheetCellRangeFunc(func, &r, out);
  return ValErrorCode(out);
}
// The latest scalar result above the document line being run.
u8 EvalGlueDocLastAns(Value *out) { return CalcDocGetLastAns(out) == 1 ? 0 : kEvalGlueWaiting; }
u16 EvalGlueGraphFuncType(u32 n) { return GmemReadFuncType(static_cast<int>(n)); }
const char *EvalGlueGraphFuncText(u32 n) { return GmemFuncDataPtr(static_cast<int>(n)); }
i32 EvalGluePixelTest(i32 column, i32 row) { return GraphPixelTest(column, row); }
u32 EvalRandom(EvalCell *result, TokPos *pos, EvalCell *tok) { return NumericRandomToken(result, pos, tok); }
// The interpreter stores the value into the target after the arrow.
u32 EvalGlueAssign(TokPos *pos, EvalCell *tok, EvalCell *value) { return ProgAssignAt(pos, tok, value); }
