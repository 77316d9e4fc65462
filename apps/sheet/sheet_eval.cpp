// Formula evaluation and recalculation. A formula cell is marked "being
// evaluated" (state 1) while its formula runs and "evaluated" (16) after; a
// reference that meets state 1 has come round to a cell on its own chain:
// Circular ERROR. A chain of references deeper than the stack allows is
// deferred: the deepest cell reached is remembered, the pass is unwound, that
// cell is evaluated from the top, and the first cell is evaluated again.
#include "apps/sheet/sheet_eval.h"

#include <cstring>
#include <utility>
#include <vector>

#include "eval/eval.h"
#include "eval/eval_lists.h"
#include "kernel/fiber.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "number/value.h"
#include "numeric/list_mem.h"
#include "numeric/list_stats.h"
#include "ui/setup.h"

namespace {

u32 g_latched = 0;
u32 g_depth = 0;  // formula evaluations under way
bool g_deferred = false;
i16 g_deferredCell[2] = {0, 0};
// Stack bytes one level of evaluation takes, measured as evaluations nest;
// a cell is deferred when less than twice that is left.
u64 g_perLevel = 0;
const u8 *g_levelSp[kSheetEvalDepthMax + 2] = {};
constexpr u64 kStackFloor = 4224;

const u8 *StackPointer() { return static_cast<const u8 *>(__builtin_frame_address(0)); }

bool StackShort() {
  if (g_depth >= kSheetEvalDepthMax) return true;
  const SysFiber *f = SysFiberCurrent();
  if (!f) return false;
  const u8 *sp = StackPointer();
  if (sp < f->low || sp > f->high) return false;
  return static_cast<u64>(sp - f->low) < kStackFloor + 2 * g_perLevel;
}

bool AutoCalcOn() { return SetupGetItem(kSetupAutoCalc) == 0; }

void MakeError(Value *out, u32 code) {
  std::memset(out, 0, sizeof *out);
  RealMakeError(static_cast<u8>(code), &out->re);
}

bool IsArray(const Value *v) {
  const int k = ValKind(v);
  return k == kValKindList || k == kValKindMatrix;
}

}  // namespace

u32 SheetEngineActive() { return g_depth > 0 || SysIsAppName(kSheetFolder); }

u32 SheetInputKind(const char *text) {
  if (text[0] == '"') return 3;
  if (text[0] == '=') return 2;
  return 1;
}

u32 SheetLatchError(u32 code) {
  if (code == 0) {
    g_latched = 0;
    return 0;
  }
  if (g_latched == 0) g_latched = code;
  const u32 r = g_latched;
  if (r == kSheetErrNone) g_latched = 0;
  return r;
}

u32 SheetParseCellRef(i16 out[2], const char **text) {
  const char *p = *text;
  if (*p == '$') ++p;
  if (*p < 'A' || *p > 'Z') return 0;
  const i16 col = static_cast<i16>(*p - 'A' + 1);
  ++p;
  if (*p == '$') ++p;
  if (*p < '1' || *p > '9') return 0;
  i32 row = 0;
  while (*p >= '0' && *p <= '9') {
    row = row * 10 + (*p - '0');
    if (row > kSheetRows) return 0;
    ++p;
  }
  out[0] = col;
  out[1] = static_cast<i16>(row);
  *text = p;
  return 1;
}

u32 SheetEvalFormulaText(const char *text, Value *out, const i16 cell[2], u32 whole) {
  if (StackShort()) {
    MakeError(out, kSheetErrMemory);
    g_deferred = true;
    g_deferredCell[0] = cell[0];
    g_deferredCell[1] = cell[1];
    return 0;
  }
  if (!SheetSetEvalState(nullptr, cell[0], cell[1], kSheetStateBusy)) {
    SheetLatchError(kSheetErrMemory);
    return kSheetErrMemory;
  }
  // The formula is evaluated from a copy: the store's text buffers are
  // shared by every level of the chain. Zeros follow its end, so that a
  // two-byte token cut by the end never reads on.
  char formula[kSheetTextMax + 4];
  const size_t len = strnlen(text, kSheetTextMax);
  std::memcpy(formula, text, len);
  std::memset(formula + len, 0, 4);
  const u8 *sp = StackPointer();
  g_levelSp[g_depth] = sp;
  if (g_depth > 0 && g_levelSp[g_depth - 1] > sp && g_levelSp[g_depth - 1] - sp < (1 << 16)) {
    const u64 used = static_cast<u64>(g_levelSp[g_depth - 1] - sp);
    if (used > g_perLevel) g_perLevel = used;
  }
  ++g_depth;
  TokPos pos = reinterpret_cast<const u8 *>(formula);
  std::memset(out, 0, sizeof *out);
  u32 ok;
  if (whole) {
    EvalCell tok;
    std::memset(&tok, 0, sizeof tok);
    ok = EvalWholeExpr(&pos, &tok, out, 1);
    if (ok && TokByte0(&tok) != 0) ok = EvalRaiseError(kEvalErrSyntax, out);
  } else {
    ok = EvalFormula(&pos, 2, out);
  }
  --g_depth;
  if (ok && IsArray(out)) {
    EvalFreeCell(out);
    ok = EvalRaiseError(kEvalErrSyntax, out);
  }
  if (!ok && !g_deferred) {
    u32 code = ValErrorCode(out);
    if (code == 31) {
      code = kSheetErrSyntax;
      MakeError(out, code);
    }
    if (code == 0) code = kSheetErrSyntax;
    SheetLatchError(code);
  }
  if (ValErrorCode(out) != kSheetErrPlainText) {
    // A number over the one a previous pass left: stored, marked evaluated.
    if (!g_deferred && SheetFinishFormulaCell(nullptr, cell[0], cell[1], out, kSheetStateDone)) return 0;
    if (SheetTextKinds(nullptr, cell[0], cell[1]) & kSheetFlagText) SheetClearPlainText(nullptr, cell[0], cell[1], 1);
    if (SheetWriteValue(nullptr, cell[0], cell[1], out) != 0) {
      SheetLatchError(kSheetErrMemory);
      SheetSetMark(nullptr, cell[0], cell[1]);
      return kSheetErrMemory;
    }
    // Stored again: other formulas may read it. The mark is cleared with
    // the state set to "evaluated" in one write when the pass is not
    // deferred.
    if (!g_deferred) {
      if (!SheetCellFlags(nullptr, cell[0], cell[1], kSheetStateDone, 7)) {
        SheetLatchError(kSheetErrMemory);
        return kSheetErrMemory;
      }
      return 0;
    }
    SheetCellMark(nullptr, cell[0], cell[1], 0);
  } else {
    SheetClearValues(nullptr, cell[0], cell[1], 1);
    i16 ref[2];
    const char *p = formula;
    char *plain = nullptr;
    if (!SheetParseCellRef(ref, &p)) {
      SheetLatchError(kSheetErrSyntax);
    } else if (SheetReadPlainText(nullptr, ref[0], ref[1], &plain)) {
      char copy[kSheetTextMax + 1];
      std::memcpy(copy, plain, std::strlen(plain) + 1);
      if (SheetWritePlainText(nullptr, cell[0], cell[1], copy) != 0) {
        SheetLatchError(kSheetErrMemory);
        SheetSetMark(nullptr, cell[0], cell[1]);
        return kSheetErrMemory;
      }
    }
  }
  if (!g_deferred && !SheetSetEvalState(nullptr, cell[0], cell[1], kSheetStateDone)) {
    SheetLatchError(kSheetErrMemory);
    return kSheetErrMemory;
  }
  return 0;
}

namespace {

// A cell's formula text as stored, "=" first: anything else is Syntax ERROR.
u32 EvalStoredFormula(const char *text, Value *out, const i16 cell[2], u32 whole) {
  if (text[0] != '=') {
    MakeError(out, kSheetErrSyntax);
    return 0;
  }
  return SheetEvalFormulaText(text + 1, out, cell, whole);
}

}  // namespace

u32 SheetEvalCell(Value *out, const i16 cell[2], u32 whole) {
  // Read straight into this level's own copy: the store's text buffers are
  // shared by every level of the chain.
  char text[kSheetTextMax + 1];
  if (!SheetReadText(nullptr, cell[0], cell[1], text, kSheetFlagFormula, nullptr)) text[0] = 0;
  return EvalStoredFormula(text, out, cell, whole);
}

u32 SheetGetCellValue(const i16 cell[2], Value *out) {
  std::memset(out, 0, sizeof *out);
  SheetCellState look;
  SheetCellRead(nullptr, cell[0], cell[1], &look);
  const u32 kinds = look.kinds;
  if (!(kinds & kSheetFlagFormula)) {
    if (kinds & kSheetFlagText) {
      MakeError(out, kSheetErrPlainText);
      return 0;
    }
    if (kinds & kSheetFlagNumber) *out = look.number;
    return ValErrorCode(out) == 0 && (kinds & kSheetFlagNumber) ? 1 : 0;
  }
  if (kinds & kSheetFlagMark) {
    SheetLatchError(kSheetErrMemory);
    MakeError(out, kSheetErrMemory);
    return 0;
  }
  const u32 state = look.state;
  if (state == kSheetStateBusy) {
    SheetLatchError(kSheetErrCircular);
    MakeError(out, kSheetErrCircular);
    return 0;
  }
  if (state != kSheetStateDone && AutoCalcOn()) {
    SheetEvalCell(out, cell, 1);
    return ValErrorCode(out) == 0 ? 1 : 0;
  }
  if (kinds & kSheetFlagText) {
    MakeError(out, kSheetErrPlainText);
    return 0;
  }
  if (!(kinds & kSheetFlagNumber)) return 0;
  *out = look.number;
  return ValErrorCode(out) == 0 ? 1 : 0;
}

namespace {

// One evaluation that may have to start again from the top: a formula cell
// (getValue false) or a referenced cell's value.
struct Task {
  i16 cell[2];
  bool getValue;
  u32 whole;
  Value *out;
  u32 result;
  // The formula as the recalculation's walk just read it, for the first
  // run only; a run from the top again reads it afresh.
  const char *formula;
};

void RunTask(Task *t) {
  if (const char *f = t->formula) {
    t->formula = nullptr;
    t->result = EvalStoredFormula(f, t->out, t->cell, t->whole);
    return;
  }
  t->result = t->getValue ? SheetGetCellValue(t->cell, t->out) : SheetEvalCell(t->out, t->cell, t->whole);
}

// Evaluates the task from the top of the stack until no cell of its chain
// is deferred. A restart happens only here, at the top; a deferred cell
// must be finished by its own pass, else the chain cannot be evaluated:
// Memory ERROR.
void FromTop(Task *t) {
  if (g_depth > 0) {
    RunTask(t);
    return;
  }
  for (;;) {
    g_deferred = false;
    RunTask(t);
    if (!g_deferred) return;
    g_deferred = false;
    Value v;
    Task first{{g_deferredCell[0], g_deferredCell[1]}, false, 1, &v, 0, nullptr};
    if (first.cell[0] == t->cell[0] && first.cell[1] == t->cell[1]) {
      SheetLatchError(kSheetErrMemory);
      return;
    }
    FromTop(&first);
    if (g_deferred || SheetCellFlags(nullptr, first.cell[0], first.cell[1], 0, 3) != kSheetStateDone) {
      g_deferred = false;
      SheetLatchError(kSheetErrMemory);
      return;
    }
    SheetMaskEvalStates(nullptr, kSheetStateDone);
  }
}

}  // namespace

u32 SheetEvalCellDeep(Value *out, const i16 cell[2], u32 whole) {
  Task t{{cell[0], cell[1]}, false, whole, out, 0, nullptr};
  FromTop(&t);
  return t.result;
}

u32 SheetGetCellValueDeep(const i16 cell[2], Value *out) {
  Task t{{cell[0], cell[1]}, true, 1, out, 0, nullptr};
  FromTop(&t);
  return t.result;
}

namespace {

u32 RecalcPass() {
  i32 col = 0, row = 0;
  char *text = nullptr;
  u32 found = SheetFirstFormula(nullptr, &col, &row, &text, 0);
  while (found) {
    Value v;
    Task t{{static_cast<i16>(col), static_cast<i16>(row)}, false, 1, &v, 0, text};
    FromTop(&t);
    if (ValErrorCode(&v) == kSheetErrBreak || KeyBreakPoll()) {
      SheetMaskEvalStates(nullptr, 0);
      return kSheetErrBreak;
    }
    found = SheetNextFormula(nullptr, &col, &row, &text, 0);
  }
  SheetMaskEvalStates(nullptr, 0);
  return SheetLatchError(kSheetErrNone);
}

}  // namespace

u32 SheetRecalcAll() {
  SheetSessionBegin();
  const u32 r = RecalcPass();
  SheetSessionEnd();
  return r;
}

u32 SheetCellRangeFunc(u8 func, SheetRange *r, Value *out) {
  if (r->col1 > r->col2) std::swap(r->col1, r->col2);
  if (r->row1 > r->row2) std::swap(r->row1, r->row2);
  constexpr u8 kFile = 253, kList = 0;
  // The numbers are gathered first: a cell of the range may itself run a
  // cell function, which uses the same scratch list.
  std::vector<Value> values;
  bool failed = false;
  for (i16 c = r->col1; c <= r->col2 && !failed; ++c) {
    for (i16 w = r->row1; w <= r->row2; ++w) {
      if (SheetCellKinds(nullptr, c, w) == 0) continue;
      const i16 cell[2] = {c, w};
      Value v;
      if (!SheetGetCellValueDeep(cell, &v)) {
        failed = true;
        break;
      }
      values.push_back(v);
    }
  }
  if (failed) {
    MakeError(out, kSheetErrSyntax);
    return 0;
  }
  std::memset(out, 0, sizeof *out);
  if (values.empty()) return 1;
  ItemListDelete(kFile, kList);
  bool stored = ItemListCreate(kFile, kList, static_cast<u32>(values.size())) == 0;
  for (u32 i = 0; stored && i < values.size(); ++i) stored = ItemListSet(kFile, kList, i + 1, &values[i]) == 0;
  Value list;
  if (!stored || !ListFromMemory(kFile, kList, &list)) {
    SheetLatchError(kSheetErrMemory);
    MakeError(out, kSheetErrMemory);
    ItemListDelete(kFile, kList);
    return 1;
  }
  int ok = 0;
  switch (func) {
    case 233: ok = ListSum(&list, out); break;
    case 234: ok = ListProd(&list, out); break;
    case 235: ok = EvalListMinMax(&list, out, 1) != 0; break;
    case 236: ok = EvalListMinMax(&list, out, 0) != 0; break;
    case 237: ok = ListMean(&list, out); break;
    case 238: ok = ListMedianValue(&list, out); break;
    default: break;
  }
  if (!ok) {
    SheetLatchError(kEvalErrSystem);
    if (ValErrorCode(out) == 0) MakeError(out, kEvalErrSystem);
  }
  ItemListDelete(kFile, kList);
  return 1;
}
