// The document engine: the key loop over the lines, the line editor over the
// textbook editor, execution of calculation lines and the commands.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "apps/calc/ans_view.h"
#include "apps/calc/mat_edit.h"
#include "apps/calc/runmat_glue.h"
#include "apps/calcdoc/calcdoc.h"
#include "apps/calcdoc/calcdoc_draw.h"
#include "apps/stat/stat_app.h"
#include "eval/prog.h"
#include "eval/prog_matlist.h"
#include "eval/token_len.h"
#include "kernel/apps.h"
#include "kernel/heap.h"
#include "kernel/task.h"
#include "kernel/keyqueue.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "number/frac.h"
#include "number/numconv.h"
#include "number/numtext.h"
#include "number/valop.h"
#include "numeric/list_mem.h"
#include "number/value.h"
#include "memory/str.h"
#include "ui/catalog.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/mprint.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kErrSyntax = 2;
constexpr i32 kErrMemory = 4;
constexpr i32 kErrArgument = 8;
constexpr u16 kTokAns = 0xC0;
constexpr u32 kRunMaxEntries = 62;
constexpr u32 kLinearMax = 1024;

// ---- function-key pages -----------------------------------------------------------

constexpr FkeyItem B{0, 0, 0};
constexpr FkeyItem T(i16 icon, u32 token) { return {icon, kFkeyInput, token}; }
constexpr FkeyItem M(i16 icon, u32 menu) { return {icon, kFkeySubMenu, menu}; }
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }
constexpr FkeyItem N(u32 menu) { return {6, kFkeySibling, menu}; }

constexpr i16 kIconJump = 508, kIconDel = 56, kIconMat = 768, kIconMath = 407, kIconDelLine = 684,
              kIconDelAll = 260, kIconTop = 393, kIconBottom = 394, kIconMat22 = 411, kIconMat33 = 412,
              kIconMatMN = 413, kIconLogab = 410, kIconAbs = 157, kIconDiff = 185, kIconDiff2 = 186,
              kIconIntegral = 84, kIconSum = 190, kIconMatSub = 286;

const FkeyItem kRunPages[6][6] = {
    {M(kIconJump, 4), M(kIconDel, 1), K(kIconMat, kDocCmdMatEditor), M(kIconMath, 2), B, B},
    {K(kIconDelLine, kDocCmdDeleteLine), K(kIconDelAll, kDocCmdDeleteAll), B, B, B, B},
    {M(kIconMatSub, 5), T(kIconLogab, 0x7F85), T(kIconAbs, 0x97), T(kIconDiff, 0x7F26), T(kIconDiff2, 0x7F27), N(3)},
    {T(kIconIntegral, 0x8D), T(kIconSum, 0x7F29), B, B, B, N(2)},
    {K(kIconTop, kDocCmdTop), K(kIconBottom, kDocCmdBottom), B, B, B, B},
    {K(kIconMat22, kDocCmdMat22), K(kIconMat33, kDocCmdMat33), K(kIconMatMN, kDocCmdMatMN), B, B, B},
};

constexpr i16 kIconFile = 947, kIconStrip = 683, kIconText = 772, kIconChar = 673, kIconCase = 775,
              kIconCalc = 881, kIconIns = 948, kIconList = 769, kIconSave = 770, kIconSaveAs = 946,
              kIconOpt = 788, kIconCapa = 46, kIconSize = 790, kIconStop = 773;

// The e-activity's pages; slots 0-2 take pages by the current line's kind,
// slots 3-9 pages 6-12.
const FkeyItem kEactPages[13][6] = {
    {M(kIconFile, 3), K(kIconStrip, kDocCmdStrip), K(kIconText, kDocCmdSwitchKind), K(kIconChar, kDocCmdChar),
     K(kIconCase, kDocCmdCase), N(1)},
    {M(kIconFile, 3), K(kIconStrip, kDocCmdStrip), K(kIconCalc, kDocCmdSwitchKind), M(kIconMath, 6), M(kIconIns, 5),
     N(1)},
    {M(kIconFile, 9), K(kIconStrip, kDocCmdStrip), M(kIconIns, 5), K(kIconChar, kDocCmdChar), K(kIconCase, kDocCmdCase),
     N(1)},
    {M(kIconJump, 4), K(kIconDelLine, kDocCmdDeleteLine), M(kIconIns, 5), M(kIconMath, 6), B, N(2)},
    {M(kIconJump, 4), K(kIconDelLine, kDocCmdDeleteLine), K(kIconMat, kDocCmdMatEditor),
     K(kIconList, kDocCmdListEditor), B, N(0)},
    {K(kIconMat, kDocCmdMatEditor), K(kIconList, kDocCmdListEditor), B, B, B, N(0)},
    {K(kIconSave, kDocCmdSave), K(kIconSaveAs, kDocCmdSaveAs), K(kIconOpt, kDocCmdOptimize),
     K(kIconCapa, kDocCmdCapacity), B, B},
    {K(kIconTop, kDocCmdTop), K(kIconBottom, kDocCmdBottom), B, B, B, B},
    {K(kIconText, kDocCmdInsertText), K(kIconCalc, kDocCmdInsertCalc), K(kIconStop, kDocCmdInsertStop), B, B, B},
    {M(kIconMatSub, 8), T(kIconLogab, 0x7F85), T(kIconAbs, 0x97), T(kIconDiff, 0x7F26), T(kIconDiff2, 0x7F27), N(7)},
    {T(kIconIntegral, 0x8D), T(kIconSum, 0x7F29), B, B, B, N(6)},
    {K(kIconMat22, kDocCmdMat22), K(kIconMat33, kDocCmdMat33), K(kIconMatMN, kDocCmdMatMN), B, B, B},
    {K(kIconSave, kDocCmdSave), K(kIconSaveAs, kDocCmdSaveAs), K(kIconOpt, kDocCmdOptimize),
     K(kIconCapa, kDocCmdCapacity), K(kIconSize, kDocCmdStripSize), B},
};

// The text strip's pages.
const FkeyItem kTextPages[5][6] = {
    {M(kIconJump, 4), K(kIconDelLine, kDocCmdDeleteLine), K(kIconIns, kDocCmdInsertText), M(kIconMath, 1),
     K(kIconChar, kDocCmdChar), K(kIconCase, kDocCmdCase)},
    {M(kIconMatSub, 3), T(kIconLogab, 0x7F85), T(kIconAbs, 0x97), T(kIconDiff, 0x7F26), T(kIconDiff2, 0x7F27), N(2)},
    {T(kIconIntegral, 0x8D), T(kIconSum, 0x7F29), B, B, B, N(1)},
    {K(kIconMat22, kDocCmdMat22), K(kIconMat33, kDocCmdMat33), K(kIconMatMN, kDocCmdMatMN), B, B, B},
    {K(kIconTop, kDocCmdTop), K(kIconBottom, kDocCmdBottom), B, B, B, B},
};

// ---- helpers ------------------------------------------------------------------------

CalcDocState &Doc() { return *CalcDocGetState(); }

bool IsRun() { return std::strcmp(Doc().name, kDocNameRun) == 0; }
bool IsEact() { return std::strcmp(Doc().name, kDocNameEact) == 0; }
bool IsTextDoc() { return std::strcmp(Doc().name, kDocNameText) == 0; }

u8 KindAt(u32 i) { return DocKindOf(CalcDocEntryType(i)); }
u8 CurrentKind() { return KindAt(Doc().current); }

bool IsTextKind(u8 k) { return k == kDocText || k == kDocTemplateText; }
bool IsEditable(u8 k) { return k == kDocCalc || IsTextKind(k); }

bool EmptyText(u32 i) {
  const u8 *t = CalcDocEntryText(i);
  return t == nullptr || t[0] == 0;
}

void CopyText(const u8 *text, u8 *out) {
  const size_t n = text ? std::min<size_t>(std::strlen(reinterpret_cast<const char *>(text)), kMprTextMax) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = 0;
}

u8 DefaultLineKind() { return IsRun() ? kDocCalc : kDocText; }

CalcDocLineInfo LineInfo(u8 kind, const u8 *text) {
  u16 w = 6, h = 8;
  if (kind == kDocText || kind == kDocTemplateText || kind == kDocCalc) {
    if (text[0] != 0) CalcDocMeasure(text, &w, &h);
    if (w == 0) w = 6;
  }
  return {DocTypeWord(kind), w, h};
}

// Stores the edited text into the current line; false when memory is short.
bool StoreLine(const u8 *text) {
  const u8 kind = CurrentKind();
  return CalcDocReplaceEntry(Doc().current, LineInfo(kind, text), text) == 1;
}

// Heap blocks taken while a line runs: the run's temporaries.
struct HeapMark {
  bool used[kMemSlotCount];
};

void MarkHeap(HeapMark *m) {
  for (u32 i = 0; i < kMemSlotCount; ++i) m->used[i] = MemSize(kMemSlotBase + 4 * i) != 0;
}

void FreeSince(const HeapMark &m) {
  for (u32 i = 0; i < kMemSlotCount; ++i)
    if (!m.used[i] && MemSize(kMemSlotBase + 4 * i) != 0) MemFree(kMemSlotBase + 4 * i);
}

// Yes/No confirmation: 1 for F1, 0 for anything that closes it.
bool Confirm(const char *question) {
  TextCursorState saved{};
  TextGetCursor(&saved);
  const u8 modifier = KeyGetModifier();
  KeySetModifier(kModNone);
  PopupOpenFramed(4);
  TextLocate(3, 2);
  TextPrint(question);
  TextLocate(3, 4);
  TextPrint("   Yes:[F1]");
  TextLocate(3, 5);
  TextPrint("   No :[F6]");
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupCloseKind5();
  KeySetModifier(modifier);
  PopupRestoreCursor(saved);
  return key == kKeyF1;
}

// ---- results ------------------------------------------------------------------------

// The latest results above line i become Ans, List Ans and Mat Ans, so a
// line reads the results of the lines above it wherever it stands.
void AnsFromAbove(u32 i) {
  const u32 keep = Doc().current;
  Doc().current = i;
  for (u32 k = i; k-- > 0;) {
    if (KindAt(k) != kDocResult) continue;
    Value v{};
    if (CalcDocResultValue(k, &v)) {
      if (ValKind(&v) == kValKindScalar) CalcDocStoreAns(&v);
      ValFreeTemp(&v);
    }
    break;
  }
  Value l{};
  if (CalcDocFindLastList(&l)) {
    CalcDocStoreAns(&l);
    ValFreeTemp(&l);
  }
  Value m{};
  if (CalcDocFindLastMatrix(&m)) {
    CalcDocStoreAns(&m);
    ValFreeTemp(&m);
  }
  Doc().current = keep;
}

// Lays a result out and stores it below line i (replacing the result there).
bool StoreResult(u32 i, Value *v, u16 form) {
  CalcDocResultFormat f = CalcDocNewFormat();
  f.form = form;
  u16 w = 0, h = 0;
  CalcDocLayoutResult(v, f, &w, &h);
  const CalcDocLineInfo info{DocTypeWord(kDocResult), w, h};
  const u32 at = i + 1;
  u32 ok;
  const u32 keep = Doc().current;
  if (at < CalcDocEntryCount() && KindAt(at) == kDocResult) {
    ok = CalcDocReplaceEntry(at, info, v);
    if (ok) {
      CalcDocResultFormat stored{};
      CalcDocResultFormatOf(at, &stored);
      stored.form = form;
      stored.width = w;
      stored.height = h;
      stored.display = f.display;
      stored.packed = f.packed;
      CalcDocSetResultFormat(at, stored);
    }
  } else {
    ok = CalcDocInsertEntry(at, info, v);
    if (ok) {
      CalcDocResultFormat stored{};
      CalcDocResultFormatOf(at, &stored);
      stored.form = form;
      CalcDocSetResultFormat(at, stored);
    }
  }
  Doc().current = keep;
  return ok == 1;
}

// A list or matrix command on a line ("*Row", "*Row+", "Row+", "Swap",
// "Fill("): it changes the stored matrix or list in place, and that matrix
// or list is the line's result. Sorting has no place on a line, nor has a
// token after the command: Syntax ERROR. 1, or 0 with the error in
// *result; *stop is where the run stopped.
u32 RunListMatrixCommand(const u8 *line, Value *result, u32 *stop) {
  std::memset(result, 0, sizeof *result);
  *stop = 0;
  if (line[0] == 0xF7 && (line[1] == 0xB0 || line[1] == 0xB1)) return ProgRaise(kErrSyntax, result);
  const u8 *p = line;
  u32 number = 0;
  const u32 ok = ProgMatListCommand(&p, result, &number);
  *stop = static_cast<u32>(p - line);
  if (ok != 1) {
    if (ValErrorCode(result) == 0 && ValErrorCode(&result->im) == 0) ProgRaise(kErrSyntax, result);
    return 0;
  }
  if (*p != 0) return ProgRaise(kErrSyntax, result);
  // The row operations work on a matrix; "Fill(" on the matrix or list that
  // ends it.
  bool matrix = line[0] == 0x7F && line[1] >= 0x42 && line[1] <= 0x45;
  if (!matrix) {
    for (const u8 *q = line + 2; q < p;) {
      if (q[0] == 0x7F && q[1] == 0x40) matrix = true;
      if (q[0] == 0x7F && (q[1] == 0x51 || (q[1] >= 0x6A && q[1] <= 0x6F))) matrix = false;
      const u32 len = TokLenAt(q);
      if (len == 0) break;
      q += len;
    }
  }
  const int got = matrix ? MatFromMemory(static_cast<int>(number), result) : ListRecall(static_cast<int>(number), result);
  if (got != 1) return ProgRaise(kErrMemory, result);
  return 1;
}

// Executes one line's textbook text. 1 with the result in *out; 0 with
// the error code in *error and the source offset of the error in *at.
u32 ExecuteLine(const u8 *text, Value *out, u16 *form, i32 *error, u16 *at) {
  *error = 0;
  *at = 0;
  if (!MprintCheckTemplates(text)) {
    *error = kErrSyntax;
    *at = MprintResultPosition();
    return 0;
  }
  static u8 linear[kLinearMax];
  if (MprintToLinear(text, linear, sizeof linear, 0, kMprLinearWhole) < 0) {
    *error = kErrMemory;
    return 0;
  }
  TextCursorOff();
  KeyBreakArm();
  LcdShowBusyIndicator();
  SetupSetByte(kSetupEvalFlags, static_cast<u8>(SetupGetByte(kSetupEvalFlags) | 8));
  static RunMatRunState run;
  std::memset(&run, 0, sizeof run);
  run.row = 1;
  run.keep_arrays = 1;
  const bool command = ProgStatementClass(linear) == kProgClsMatList;
  const u32 ok = command ? RunListMatrixCommand(linear, &run.result, &run.stop) : RunMatRunLine(linear, &run);
  SetupSetByte(kSetupEvalFlags, static_cast<u8>(SetupGetByte(kSetupEvalFlags) & ~8));
  if (ok == 1) {
    *out = run.result;
    // A list or matrix result stands as List Ans or Mat Ans when the run
    // ends (the run's own blocks are gone): it is read from there. A
    // command's list or matrix is read from where it is stored already.
    const int kind = ValKind(out);
    if (!command && kind == kValKindList && ListFromMemory(0, 0, out) != 1) *error = kErrMemory;
    if (!command && kind == kValKindMatrix && MatFromMemory(0, out) != 1) *error = kErrMemory;
    if (*error) return 0;
    *form = static_cast<u16>(run.display_form == 5 || run.display_form == 6 || run.display_form == 7
                                 ? run.display_form
                                 : 0);
    return 1;
  }
  u8 code = ValErrorCode(&run.result) ? ValErrorCode(&run.result) : ValErrorCode(&run.result.im);
  if (code == 0) code = kErrSyntax;
  if (code == 1) HostClearKeyQueue();
  *error = code;
  static u8 scratch[kLinearMax];
  MprintToLinear(text, scratch, sizeof scratch, run.stop, kMprLinearStop);
  *at = MprintResultPosition();
  return 0;
}

void RefreshScreen() {
  CalcDocScrollToCurrent();
  CalcDocDrawScreen(false, nullptr, nullptr);
  FkeyDrawRow();
  LcdRedraw();
}

// The outcome of an execution: the line to edit at an error (-1 none) and
// its cursor.
struct ExecOutcome {
  i32 edit_line = -1;
  u16 cursor = 0;
  bool view = false;
};

ExecOutcome ExecuteFrom(u32 from) {
  ExecOutcome out;
  CalcDocState &d = Doc();
  d.modified = 1;
  i32 last_result = -1;
  bool at_end = true;
  u32 i = from;
  while (i < CalcDocEntryCount()) {
    const u8 kind = KindAt(i);
    if (kind == kDocStop) {
      at_end = false;
      break;
    }
    if (kind != kDocCalc) {
      ++i;
      continue;
    }
    if (EmptyText(i)) {
      if (i + 1 >= CalcDocEntryCount()) break;
      d.current = i;
      if (!CalcDocDeleteLine(i)) break;
      continue;
    }
    u8 text[kMprTextMax + 1];
    CopyText(CalcDocEntryText(i), text);
    AnsFromAbove(i);
    d.current = i;
    HeapMark mark;
    MarkHeap(&mark);
    Value v{};
    u16 form = 0;
    i32 error = 0;
    u16 at = 0;
    if (!ExecuteLine(text, &v, &form, &error, &at)) {
      FreeSince(mark);
      d.current = i;
      RefreshScreen();
      ErrBox(error);
      out.edit_line = static_cast<i32>(i);
      out.cursor = at;
      return out;
    }
    const bool stored = StoreResult(i, &v, form);
    if (stored) CalcDocStoreAns(&v);
    FreeSince(mark);
    if (!stored) {
      d.current = i;
      ErrBox(kErrMemory);
      return out;
    }
    last_result = static_cast<i32>(i + 1);
    d.current = i + 1;
    RefreshScreen();
    i += 2;
  }
  const u32 n = CalcDocEntryCount();
  if (at_end) {
    if (n > 0 && KindAt(n - 1) == kDocResult) {
      const u8 k = DefaultLineKind();
      const u8 empty[1] = {0};
      if (!CalcDocInsertEntry(n, {DocTypeWord(k), 6, 8}, empty)) ErrBox(kErrMemory);
      d.current = CalcDocEntryCount() - 1;
    } else {
      d.current = n - 1;
    }
  } else if (last_result >= 0) {
    d.current = static_cast<u32>(last_result);
  }
  // A list or matrix too large for the textbook form opens its viewer.
  if (last_result >= 0) {
    Value v{};
    if (CalcDocResultValue(static_cast<u32>(last_result), &v)) {
      EvalArrayHeader h{};
      ValGetHeader(&v, &h);
      const int kind = ValKind(&v);
      if ((kind == kValKindList && h.count > kMprListMax) ||
          (kind == kValKindMatrix && (h.count > kMprMatrixMax || h.cols > kMprMatrixMax))) {
        d.current = static_cast<u32>(last_result);
        out.view = true;
      }
      ValFreeTemp(&v);
    }
  }
  if (IsRun()) {
    while (CalcDocEntryCount() >= kRunMaxEntries) {
      const u32 before = CalcDocEntryCount();
      if (!CalcDocDeleteLine(0) || CalcDocEntryCount() >= before) break;
    }
    if (!out.view) d.current = CalcDocEntryCount() - 1;
    d.row = 56;
  }
  d.fresh = KindAt(d.current) == kDocCalc ? 1 : 0;
  return out;
}

// The display conversion state of SET UP: item 61 and the engineering
// exponents shown (16-bit words at 62 and 64).
struct EngState {
  u8 conv;
  u16 re, im;
};

EngState GetEngState() {
  EngState e{SetupGetByte(kSetupDisplayState), 0, 0};
  std::memcpy(&e.re, SetupItemAddress(kSetupEngShown), 2);
  std::memcpy(&e.im, SetupItemAddress(kSetupEngShown2), 2);
  return e;
}

void SetEngState(const EngState &e) {
  SetupSetByte(kSetupDisplayState, e.conv);
  std::memcpy(SetupItemAddress(kSetupEngShown), &e.re, 2);
  std::memcpy(SetupItemAddress(kSetupEngShown2), &e.im, 2);
}

// One engineering step (up or down) of the result at index, from the state
// its display shows now.
void EngStep(u32 index, const Value &v, bool up) {
  CalcDocResultFormat f{};
  CalcDocResultFormatOf(index, &f);
  const bool stepped = f.form == 9 || f.form == 10;
  const EngState kept = GetEngState();
  char text[kNumTextSize];
  SetEngState(stepped ? EngState{f.conv, f.eng_re, f.eng_im} : EngState{0, 0, 0});
  // The first conversion only takes the engineering form; under the Eng
  // display the result shows that form already, so the step starts from it
  // and every press moves the exponent.
  if (!stepped && (SetupGetItem(kSetupDisplay) & 0x80) != 0) NumToTextEng(&v, text, up ? 1 : 0);
  const EngState before = GetEngState();
  NumToTextEng(&v, text, up ? 1 : 0);
  const EngState after = GetEngState();
  SetEngState(kept);
  f.conv0 = before.conv;
  f.eng_re0 = before.re;
  f.eng_im0 = before.im;
  f.conv = after.conv;
  f.eng_re = after.re;
  f.eng_im = after.im;
  f.form = up ? 10 : 9;
  u16 w = 0, h = 0;
  CalcDocLayoutResult(&v, f, &w, &h);
  f.width = w;
  f.height = h;
  CalcDocSetResultFormat(index, f);
  Doc().modified = 1;
}

// F<>D, the fraction form and the sexagesimal key on the result at index.
void ConvertResult(u32 index, u32 key) {
  Value v{};
  if (!CalcDocResultValue(index, &v)) return;
  if (ValKind(&v) != kValKindScalar) {
    ValFreeTemp(&v);
    return;
  }
  CalcDocResultFormat f{};
  CalcDocResultFormatOf(index, &f);
  u16 form = 0;
  switch (key) {
    case kKeyFracDec: {
      // A value holding a fraction becomes decimal; any other becomes a
      // fraction where it has one.
      Value out{};
      const bool frac = RealIsFrac(&v.re) || (ValIsComplex(&v) == 1 && RealIsFrac(&v.im));
      if (frac) {
        ValFracToDecimal(&v, &out);
      } else {
        ValToFraction(&v, &out);
      }
      if (ValErrorCode(&out) == 0) v = out;
      break;
    }
    case kKeyFracForm:
      form = f.form == 8 ? 0 : 8;
      break;
    case kKeyDms:
      form = 5;
      break;
    case kKeyEngUp:
    case kKeyEngDown:
      EngStep(index, v, key == kKeyEngUp);
      return;
    default:
      return;
  }
  const u32 line = index > 0 ? index - 1 : 0;
  StoreResult(line, &v, form);
  if (key == kKeyFracDec) CalcDocStoreAns(&v);
}

// ---- moving -------------------------------------------------------------------------

void ResetKeyState() {
  KeySetModifier(kModNone);
  KeySetInsertMode(kInsertInsert);
}

void MoveLine(u32 key) {
  CalcDocState &d = Doc();
  const u32 n = CalcDocEntryCount();
  const i32 h = static_cast<i32>(CalcDocEntryHeight(d.current));
  const u8 from = CurrentKind();
  u32 to = d.current;
  switch (key) {
    case kKeyUp:
    case kDocCmdLineUp:
      if (key == kKeyUp && d.row < 0) {
        d.row = std::min(d.row + 8, 0);
        return;
      }
      if (d.current == 0 || (d.current == 1 && KindAt(0) == kDocTitle)) return;
      to = d.current - 1;
      {
        const i32 nh = static_cast<i32>(CalcDocEntryHeight(to));
        d.row = nh > 56 ? 56 - nh : d.row - nh;
      }
      break;
    case kKeyDown:
    case kDocCmdLineDown:
      if (key == kKeyDown && d.row + h > 56) {
        d.row = std::max(d.row - 8, 56 - h);
        return;
      }
      if (d.current + 1 >= n) return;
      to = d.current + 1;
      d.row += h;
      break;
    case kDocCmdTop:
      to = KindAt(0) == kDocTitle && n > 1 ? 1 : 0;
      d.row = 0;
      ResetKeyState();
      break;
    case kDocCmdBottom: {
      to = n - 1;
      const i32 nh = static_cast<i32>(CalcDocEntryHeight(to));
      d.row = nh > 56 ? 56 - nh : 56 - nh;
      ResetKeyState();
      break;
    }
    default: return;
  }
  d.current = to;
  if (!(IsTextKind(from) && IsTextKind(KindAt(to)))) ResetKeyState();
}

// ---- the line editor ----------------------------------------------------------------

// Enters "List" or "Mat" and Ans before an operator typed first on a fresh
// line under a result.
void AnsPrefix(u8 *buf, u16 *cursor) {
  const u32 cur = Doc().current;
  if (cur > 0 && KindAt(cur - 1) == kDocResult) {
    const u8 *data = CalcDocEntryData(cur - 1);
    const u8 k = data ? static_cast<u8>(data[0] & 0x70) : 0;
    if (k == 0x20) *cursor = MprintDrawAt(buf, kMprTextMax, *cursor, 0x7F51, kInsertInsert);
    if (k == 0x30) *cursor = MprintDrawAt(buf, kMprTextMax, *cursor, 0x7F40, kInsertInsert);
  }
  *cursor = MprintDrawAt(buf, kMprTextMax, *cursor, kTokAns, kInsertInsert);
}

bool IsEngineKey(u32 key) {
  switch (key) {
    case kKeyExe:
    case kKeyExit:
    case kKeyQuit:
    case kKeySetup:
    case kKeyPageUp:
    case kKeyPageDown:
      return true;
    default:
      return key < 30000;
  }
}

// The m x n pop-up: the matrix template's size, each 1 to 6. False when
// cancelled.
bool AskMatrixSize(u8 *rows, u8 *cols) {
  static u8 last[2] = {2, 2};
  u8 size[2] = {last[0] ? last[0] : u8{1}, last[1] ? last[1] : u8{1}};
  TextCursorState saved{};
  TextGetCursor(&saved);
  const u8 modifier = KeyGetModifier();
  KeySetModifier(kModNone);
  u32 field = 0;
  bool ok = false;
  for (;;) {
    PopupOpenFramed(4);
    TextLocate(3, 2);
    TextPrint("Matrix");
    for (u32 f = 0; f < 2; ++f) {
      char line[16];
      std::snprintf(line, sizeof line, "  %c  :%u", f == 0 ? 'm' : 'n', static_cast<unsigned>(size[f]));
      TextLocate(3, static_cast<i32>(3 + f));
      if (f == field) TextPrintRev(line);
      else TextPrint(line);
    }
    TextLocate(3, 5);
    TextPrint("   EXE");
    u32 key = 0;
    const bool is_char = KeyGetKey(&key) == 1;
    PopupCloseKind5();
    if (is_char && key >= '0' && key <= '9') {
      size[field] = static_cast<u8>(key - '0');
    } else if (!is_char && (key == kKeyUp || key == kKeyDown)) {
      field ^= 1;
    } else if (!is_char && key == kKeyExe) {
      if (size[0] < 1 || size[0] > 6 || size[1] < 1 || size[1] > 6) {
        ErrBox(kErrArgument);
        continue;
      }
      ok = true;
      break;
    } else if (!is_char && (key == kKeyExit || key == kKeyQuit)) {
      break;
    }
  }
  KeySetModifier(modifier);
  PopupRestoreCursor(saved);
  if (ok) {
    last[0] = size[0];
    last[1] = size[1];
    *rows = size[0];
    *cols = size[1];
  }
  return ok;
}

// COPY: the line's text to the clipboard items.
void CopyLine(const u8 *text) {
  const u32 n = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(text)));
  if (ItemClipStorePair(reinterpret_cast<const char *>(text), n) != 0) ErrBox(kErrMemory);
}

// Part of a line picked in the CLIP state: LEFT and RIGHT move the cursor by
// whole elements (a token or a whole template) inside the box where the
// first arrow found it; UP and DOWN widen the selection to the template
// around it that has a line above or below. Before an arrow the whole line
// is taken.
struct LineSelection {
  bool on = false;
  u16 anchor = 0;
};

// The bytes COPY and CUT take: [*from, *to) of buf.
void SelectedRange(const LineSelection &sel, const u8 *buf, u16 cursor, u16 *from, u16 *to) {
  if (sel.on) {
    MprintSelectionRange(buf, sel.anchor, cursor, from, to);
  } else {
    *from = 0;
    *to = static_cast<u16>(std::strlen(reinterpret_cast<const char *>(buf)));
  }
}

// COPY and CUT in the line editor; CUT removes what it copied. False when
// the clipboard could not take it (Memory ERROR shown, the line unchanged).
bool CopySelection(const LineSelection &sel, u8 *buf, u16 *cursor, bool cut) {
  u16 from = 0, to = 0;
  SelectedRange(sel, buf, *cursor, &from, &to);
  if (sel.on && from == to) return true;  // arrows that went nowhere take nothing
  if (ItemClipStorePair(reinterpret_cast<const char *>(buf + from), to - from) != 0) {
    ErrBox(kErrMemory);
    return false;
  }
  if (cut && to > from) {
    std::memmove(buf + from, buf + to, std::strlen(reinterpret_cast<char *>(buf + to)) + 1);
    *cursor = from;
  }
  return true;
}

// What the edited line shows reversed: the selection in the CLIP state,
// nothing outside it.
void ShowSelection(const LineSelection &sel, const u8 *buf, u16 cursor) {
  if (KeyGetModifier() != kModClip) {
    MprintSetSelection(0, 0);
    return;
  }
  u16 from = 0, to = 0;
  SelectedRange(sel, buf, cursor, &from, &to);
  MprintSetSelection(from, to);
}

// While the CLIP state is on, the key reader calls this when it draws the
// level's F-key row: after EXIT ended the state the line is drawn again
// without its reversed part.
struct ClipRedraw {
  u8 *buf;
  u16 *cursor;
};

void RedrawAfterClip(void *arg) {
  const ClipRedraw *r = static_cast<const ClipRedraw *>(arg);
  if (KeyGetModifier() != kModClip) {
    MprintSetSelection(0, 0);
    CalcDocDrawScreen(false, r->buf, r->cursor);
  }
  FkeyDrawRow();
}

// "Aa": upper-case and lower-case alpha trade places (a lock stays a lock).
void ToggleCase() {
  const u8 m = KeyGetModifier();
  const u8 lock = m & 0x80;
  if (m & kModLower) {
    KeySetModifier(static_cast<u8>(lock | kModAlpha));
  } else if (m & kModAlpha) {
    KeySetModifier(static_cast<u8>(lock | kModLower));
  } else {
    KeySetModifier(kModLowerLock);
  }
}

// Edits the current calculation or text line. `first` is the key that
// started it (a character, an edit key or kKeyEditLine); the result is the
// key or command handed back to the engine.
u32 EditLine(u32 first, bool first_is_char, u16 start_cursor) {
  CalcDocState &d = Doc();
  const u8 kind = CurrentKind();
  // On the stack: the e-activity editor and a strip's document engine run
  // in two tasks and each keeps its own line while the other runs.
  u8 buf[kMprTextMax + 1];
  u8 orig[kMprTextMax + 1];
  CopyText(CalcDocEntryText(d.current), orig);
  if (first_is_char || first == kKeyPaste) {
    buf[0] = 0;
  } else {
    CopyText(orig, buf);
  }
  u16 cursor = static_cast<u16>(std::strlen(reinterpret_cast<const char *>(buf)));
  if (first == kKeyRight) {
    cursor = 0;
    KeySetInsertMode(kInsertInsert);
  } else if (first == kKeyLeft) {
    KeySetInsertMode(kInsertInsert);
  } else if (first == kKeyEditLine && start_cursor < cursor) {
    cursor = start_cursor;
  }
  u32 key = first;
  bool is_char = first_is_char;
  bool have = first != kKeyEditLine && first != kKeyLeft && first != kKeyRight;
  LineSelection sel;
  for (;;) {
    if (have) {
      have = false;
      if (!is_char && (key == kKeyCopy || key == kKeyCut)) {
        // The key reader has ended the CLIP state already.
        const bool cut = key == kKeyCut;
        const bool done = CopySelection(sel, buf, &cursor, cut);
        sel.on = false;
        if (!cut || !done) continue;
        d.fresh = 0;
      } else if (KeyGetModifier() != kModClip) {
        sel.on = false;
      }
      if (!is_char && (key == kKeyCopy || key == kKeyCut)) {
        // Stored below.
      } else if (!is_char && key == kKeyClip) {
        // The CLIP state: the whole line is taken until an arrow picks part
        // of it.
        sel.on = false;
      } else if (!is_char && key >= kKeyClipUp && key <= kKeyClipDown) {
        const u16 anchor = sel.on ? sel.anchor : cursor;
        if (key == kKeyClipLeft || key == kKeyClipRight) {
          cursor = MprintSelectionStep(buf, anchor, cursor, key == kKeyClipRight);
        } else {
          // Nothing above or below: the selection stays as it was (the
          // whole line before the first arrow).
          const u16 to = MprintSelectionVertical(buf, cursor, key == kKeyClipUp);
          if (to == cursor) continue;
          cursor = to;
        }
        sel.on = true;
        sel.anchor = anchor;
        continue;
      } else if (is_char) {
        const u16 token = static_cast<u16>(key);
        if (d.fresh && kind == kDocCalc && buf[0] == 0 && CalcDocIsOperatorToken(token)) AnsPrefix(buf, &cursor);
        cursor = MprintDrawAt(buf, kMprTextMax, cursor, token, KeyGetInsertMode());
        d.fresh = 0;
      } else if (key == kKeyXThetaT) {
        cursor = MprintDrawAt(buf, kMprTextMax, cursor, RunMatGlueGraphVarChar(), KeyGetInsertMode());
        d.fresh = 0;
      } else if (key == kKeyMatTemplate || key == kDocCmdMat22 || key == kDocCmdMat33 || key == kDocCmdMatMN) {
        u8 rows = 0, cols = 0;
        if (key == kDocCmdMat22) MprintSetMatrixSize(2, 2);
        if (key == kDocCmdMat33) MprintSetMatrixSize(3, 3);
        if (key == kDocCmdMatMN) {
          const bool asked = AskMatrixSize(&rows, &cols);
          FkeyRestoreLevelRoot();
          if (!asked) continue;
          MprintSetMatrixSize(rows, cols);
        }
        // The size commands enter the matrix template; the key itself enters
        // the fraction-form template.
        cursor = MprintDrawAt(buf, kMprTextMax, cursor, key == kKeyMatTemplate ? u32{kKeyMatTemplate} : u32{0x7F5D},
                              KeyGetInsertMode());
        d.fresh = 0;
      } else if (key == kDocCmdChar) {
        const u32 c = CatalogCharSelect();
        if (c == 0) continue;
        cursor = MprintDrawAt(buf, kMprTextMax, cursor, static_cast<u16>(c), KeyGetInsertMode());
        d.fresh = 0;
      } else if (key == kDocCmdCase) {
        ToggleCase();
        continue;
      } else if (key == kKeyDel && IsTextKind(kind) && cursor == 0 && d.current > 0 &&
                 IsTextKind(KindAt(d.current - 1))) {
        // DEL at the start of a text line joins it to the text line above.
        const u32 above = d.current - 1;
        u8 joined[kMprTextMax + 1];
        CopyText(CalcDocEntryText(above), joined);
        const size_t head = std::strlen(reinterpret_cast<char *>(joined));
        const size_t tail = std::strlen(reinterpret_cast<char *>(buf));
        if (head + tail > kMprTextMax) continue;
        std::memcpy(joined + head, buf, tail + 1);
        const i32 above_height = static_cast<i32>(CalcDocEntryHeight(above));
        if (!StoreLine(joined) || !CalcDocRemoveEntry(above)) {
          ErrBox(kErrMemory);
          CopyText(CalcDocEntryText(d.current), buf);
          cursor = 0;
          continue;
        }
        d.current = above;
        d.row -= above_height;
        CopyText(joined, buf);
        cursor = static_cast<u16>(head);
        d.modified = 1;
      } else if (key == kKeyExe) {
        if (kind == kDocCalc) {
          if (buf[0] == 0) {
            // The empty last line under a result runs the line above again.
            const u32 cur = d.current;
            const bool last = cur + 1 == CalcDocEntryCount();
            if (!(last && cur >= 2 && KindAt(cur - 1) == kDocResult && KindAt(cur - 2) == kDocCalc)) continue;
            CopyText(CalcDocEntryText(cur - 2), buf);
          }
          if (!StoreLine(buf)) ErrBox(kErrMemory);
          return kDocCmdExecute;
        }
        // A text line: the text after the cursor becomes a new line below.
        u8 tail[kMprTextMax + 1];
        CopyText(buf + cursor, tail);
        buf[cursor] = 0;
        if (!StoreLine(buf) || !CalcDocInsertEntry(d.current + 1, LineInfo(kDocText, tail), tail)) {
          ErrBox(kErrMemory);
        } else {
          d.row += static_cast<i32>(CalcDocEntryHeight(d.current - 1));
          CopyText(tail, buf);
          cursor = 0;
        }
      } else if (key == kKeyExit || key == kKeyQuit) {
        if (KeyGetInsertMode() == kInsertOverwrite && key == kKeyExit) {
          KeySetInsertMode(kInsertInsert);
        } else if (IsTextKind(kind)) {
          StoreLine(buf);
          return key;
        } else {
          const bool changed = std::strcmp(reinterpret_cast<char *>(buf), reinterpret_cast<char *>(orig)) != 0;
          if (key == kKeyQuit) {
            CopyText(orig, buf);
            StoreLine(buf);
            return key;
          }
          if (changed) {
            CopyText(orig, buf);
            cursor = static_cast<u16>(std::strlen(reinterpret_cast<char *>(buf)));
            StoreLine(buf);
          } else if (buf[0] != 0) {
            return kKeyExit;
          }
        }
      } else if (KeyIsValueConversion(key)) {
        if (kind == kDocCalc && buf[0] == 0) return key;
      } else if (key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown || key == kKeyDel ||
                 key == kKeyAc || key == kKeyPaste) {
        const u32 r = MprintEditKey(buf, kMprTextMax, &cursor, key);
        const u32 cur = d.current;
        if (r == kMprEditUp && cur > 0 && !(cur == 1 && KindAt(0) == kDocTitle)) {
          StoreLine(buf);
          return kDocCmdLineUp;
        }
        if (r == kMprEditDown && cur + 1 < CalcDocEntryCount()) {
          StoreLine(buf);
          return kDocCmdLineDown;
        }
        if ((r == kMprEditLeft || r == kMprEditRight) && IsTextKind(kind)) {
          const bool up = r == kMprEditLeft;
          if (up ? cur > 0 && IsTextKind(KindAt(cur - 1)) : cur + 1 < CalcDocEntryCount() && IsTextKind(KindAt(cur + 1))) {
            StoreLine(buf);
            return up ? kDocCmdLineUp : kDocCmdLineDown;
          }
        }
        if (key != kKeyLeft && key != kKeyRight && key != kKeyUp && key != kKeyDown) d.fresh = 0;
      } else if (IsEngineKey(key)) {
        StoreLine(buf);
        return key;
      }
      // Every change goes into the document at once.
      if (!StoreLine(buf)) {
        ErrBox(kErrMemory);
        CopyText(CalcDocEntryText(d.current), buf);
        cursor = MprintLegalCursor(buf, cursor);
      }
    }
    CalcDocScrollToCurrent();
    ShowSelection(sel, buf, cursor);
    CalcDocDrawScreen(false, buf, &cursor);
    const i32 before = d.row;
    CalcDocScrollToCursor(MprintGetState()->cursor_y);
    if (d.row != before) CalcDocDrawScreen(false, buf, &cursor);
    MprintSetSelection(0, 0);
    FkeyDrawRow();
    key = 0;
    ClipRedraw redraw{buf, &cursor};
    const bool clip = KeyGetModifier() == kModClip;
    const KeyRootRow outer = clip ? KeySetRootRowHook({RedrawAfterClip, &redraw}) : KeyRootRow{nullptr, nullptr};
    is_char = KeyGetKey(&key) == 1;
    if (clip) KeySetRootRowHook(outer);
    if (is_char && key == 0) continue;
    have = true;
  }
}

// ---- the strip name ----------------------------------------------------------------------

// Edits the current strip's name inside its bar. `first` is the key that
// started it: a typed character starts a new name, LEFT and RIGHT edit the
// name it has. The result is the key or command handed back to the engine.
u32 EditStripName(u32 first, bool first_is_char) {
  CalcDocState &d = Doc();
  const u8 *data = CalcDocEntryData(d.current);
  if (data == nullptr) return kDocCmdNothing;
  u8 name[kDocStripNameSize] = {};
  if (!first_is_char) {
    std::strncpy(reinterpret_cast<char *>(name), reinterpret_cast<const char *>(data + kDocStripHead),
                 kDocStripNameSize - 1);
  }
  u16 cursor = first == kKeyRight ? 0 : static_cast<u16>(std::strlen(reinterpret_cast<char *>(name)));
  const auto store = [&]() {
    if (CalcDocReplaceEntry(d.current, {DocTypeWord(kDocStrip), 128, 12}, name)) {
      d.modified = 1;
    } else {
      ErrBox(kErrMemory);
    }
  };
  const auto put = [&](u32 code) {
    // A character goes in only while the name stays within the bar.
    u8 trial[kDocStripNameSize];
    std::memcpy(trial, name, sizeof trial);
    const u32 at = EditPutCharAt(trial, kDocStripNameSize - 1, cursor, code, KeyGetInsertMode() != kInsertOverwrite);
    if (at == cursor || CalcDocStripNameColumns(trial) > kDocStripNameColumns) return;
    std::memcpy(name, trial, sizeof name);
    cursor = static_cast<u16>(at);
  };
  u32 key = first;
  bool is_char = first_is_char;
  bool have = first != kKeyLeft && first != kKeyRight;
  u32 result = kDocCmdNothing;
  for (;;) {
    if (have) {
      char *text = reinterpret_cast<char *>(name);
      if (is_char) {
        put(key);
      } else if (key == kKeyXThetaT) {
        put(RunMatGlueGraphVarChar());
      } else if (key == kDocCmdChar) {
        if (const u32 c = CatalogCharSelect()) put(c);
      } else if (key == kDocCmdCase) {
        ToggleCase();
      } else if (key == kKeyLeft) {
        if (cursor > 0) cursor = static_cast<u16>(StrPrevChar(text, text + cursor) - text);
      } else if (key == kKeyRight) {
        if (name[cursor] != 0) cursor = static_cast<u16>(StrNextChar(text + cursor) - text);
      } else if (key == kKeyDel) {
        // Insert mode deletes before the cursor, overwrite mode at it.
        u16 from = cursor, to = cursor;
        if (KeyGetInsertMode() == kInsertOverwrite && name[cursor] != 0) {
          to = static_cast<u16>(StrNextChar(text + cursor) - text);
        } else if (cursor > 0) {
          from = static_cast<u16>(StrPrevChar(text, text + cursor) - text);
        }
        std::memmove(name + from, name + to, std::strlen(text + to) + 1);
        cursor = from;
      } else if (key == kKeyAc) {
        name[0] = 0;
        cursor = 0;
      } else if (key == kKeyExe) {
        store();
        break;
      } else if (key == kKeyExit) {
        break;
      } else if (key == kKeyQuit) {
        result = kKeyQuit;
        break;
      } else if (key == kKeyUp || key == kKeyDown || key == kKeySetup || key == kKeyPageUp || key == kKeyPageDown ||
                 key < 30000) {
        store();
        result = key;
        break;
      }
    }
    have = true;
    CalcDocScrollToCurrent();
    CalcDocDrawScreen(false, name, &cursor);
    FkeyDrawRow();
    key = 0;
    is_char = KeyGetKey(&key) == 1;
    if (is_char && key == 0) have = false;
  }
  TextCursorOff();
  ShellSetGraphCursorWord(0);
  return result;
}

// ---- the engine -----------------------------------------------------------------------

// Slots 0-2 of the e-activity by the current line's kind; the menu goes
// back to its root when slot 0 changed under an open sub-menu.
void SetEactMenus() {
  if (!IsEact()) return;
  const u8 kind = CalcDocEntryCount() ? CurrentKind() : static_cast<u8>(kDocText);
  static const u8 kText[3] = {0, 3, 5}, kStrip[3] = {2, 4, 2}, kOther[3] = {1, 4, 1};
  const u8 *pages = IsTextKind(kind) ? kText : kind == kDocStrip ? kStrip : kOther;
  const bool changed = FkeyPageOf(0) != kEactPages[pages[0]];
  for (i32 slot = 0; slot < 3; ++slot) FkeySetPage(slot, kEactPages[pages[slot]]);
  const i32 top = FkeyTop();
  if (changed && top >= 0 && top < 100 && top != 4) FkeyRestoreLevelRoot();
}

void InstallPages() {
  if (IsEact()) {
    for (i32 slot = 3; slot < 10; ++slot) FkeySetPage(slot, kEactPages[slot + 3]);
    SetEactMenus();
  } else if (IsTextDoc()) {
    FkeyResetGroups();
    for (i32 id = 0; id < 5; ++id) FkeySetPage(id, kTextPages[id]);
  } else {
    FkeyResetGroups();
    for (i32 id = 0; id < 6; ++id) FkeySetPage(id, kRunPages[id]);
  }
  KeySetMenuMask(kMaskShiftVars | kMaskShiftGroup | kMaskAlphaGroup);
  FkeyBuildOptGroup(9);
  FkeyBuildVarsGroup(1);
  FkeyBuildClipGroup(2);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
}

void ViewResult(u32 index) {
  Value v{};
  if (!CalcDocResultValue(index, &v)) return;
  CalcDocStoreAns(&v);
  const int kind = ValKind(&v);
  ValFreeTemp(&v);
  i32 exit_key = 0;
  if (kind == kValKindList) {
    if (AnsViewList(0, 0, &exit_key) != 0) ErrBox(kErrMemory);
  } else if (kind == kValKindMatrix) {
    if (AnsViewMatrix(0, &exit_key) != 0) ErrBox(kErrMemory);
  } else {
    return;
  }
  InstallPages();
}

// Runs the strip at index: its application becomes the CHLD task on the
// strip's data, and the editor comes back here when the user switches back.
void RunStrip(u32 index) {
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr) return;
  u16 id = 0;
  std::memcpy(&id, d + 12, 2);
  Doc().modified = 1;
  Doc().strip = index;
  SysChildApp row{};
  if (SysFindChildApp(id, &row) != 1) return;
  TextCursorOff();
  if (SysRunChildApp(&row) != 0) ErrBox(kErrMemory);
  InstallPages();
}

// Asks an application and inserts a strip for it above the current line.
void InsertStrip(u8 kind) {
  SysChildApp row{};
  if (!IsEact() || EactSelectStripApp(&row) != 1) return;
  u32 at = Doc().current;
  if (kind == kDocResult && at > 0) --at;
  CalcDocStripHead head{};
  std::strncpy(head.app, row.name ? row.name : "", sizeof head.app - 1);
  head.id = row.id;
  head.sub = row.sub_id;
  // A new strip is named after the application chosen for it; the user
  // renames it by typing on its bar.
  char caption[40];
  if (!MsgText(static_cast<i32>(row.message), caption)) caption[0] = 0;
  const char *text = caption;
  while (static_cast<u8>(text[0]) == 0xF9 && static_cast<u8>(text[1]) == 0xC9) text += 2;
  u8 name[kDocStripNameSize] = {};
  std::memcpy(name, text, std::min<size_t>(std::strlen(text), kDocStripNameSize - 1));
  while (CalcDocStripNameColumns(name) > kDocStripNameColumns) name[std::strlen(reinterpret_cast<char *>(name)) - 1] = 0;
  head.name = name;
  if (CalcDocInsertEntry(at, {DocTypeWord(kDocStrip), 128, 12}, &head)) {
    Doc().current = at;
    Doc().modified = 1;
  } else {
    ErrBox(kErrMemory);
  }
}

// A calculation line becomes a text line (its result goes), a text line a
// calculation line.
void SwitchKind() {
  CalcDocState &d = Doc();
  const u8 kind = CurrentKind();
  if (!IsEditable(kind)) return;
  u8 text[kMprTextMax + 1];
  CopyText(CalcDocEntryText(d.current), text);
  const u8 to = kind == kDocCalc ? kDocText : kDocCalc;
  if (kind == kDocCalc && d.current + 1 < CalcDocEntryCount() && KindAt(d.current + 1) == kDocResult) {
    if (!CalcDocRemoveEntry(d.current + 1)) {
      ErrBox(kErrMemory);
      return;
    }
  }
  if (!CalcDocReplaceEntry(d.current, LineInfo(to, text), text)) {
    ErrBox(kErrMemory);
    return;
  }
  d.modified = 1;
}

}  // namespace

void EactInstallMenus() { InstallPages(); }

bool CalcDocIsOperatorToken(u16 token) {
  if (token > 0xFF) return token == 0x7F54 || token == 0x7FB0 || token == 0x7FB1 || (token >= 0xF901 && token <= 0xF907);
  const u8 t = static_cast<u8>(token);
  if ((t >= 0x01 && t <= 0x0B) || t == 0x0E || (t >= 0x10 && t <= 0x12) || (t >= 0x3C && t <= 0x3E)) return true;
  switch (t) {
    case 0x88: case 0x89: case 0xA8: case 0xA9: case 0xAA: case 0xAB: case 0xAC:
    case 0xB8: case 0xB9: case 0xBA: case 0xBC: case 0xCB: case 0xCC:
      return true;
    default:
      return false;
  }
}

void CalcDocValueToText(const Value *value, const CalcDocResultFormat &format, char *out) {
  Value v = *value;
  char text[kNumTextSize];
  text[0] = 0;
  switch (format.form) {
    case 5: KeyConvertValue(kKeyDms, &v, text); break;
    case 8: KeyConvertValue(kKeyFracForm, &v, text); break;
    case 9:
    case 10: {
      // The step that made the shown form, taken again from its start.
      const EngState kept = GetEngState();
      SetEngState({format.conv0, format.eng_re0, format.eng_im0});
      NumToTextEng(&v, text, format.form == 10 ? 1 : 0);
      SetEngState(kept);
      break;
    }
    default: {
      const u16 form = format.form == 6 || format.form == 7 ? format.form : 0;
      NumToTextOpt(&v, text, &form);
      break;
    }
  }
  std::strncpy(out, text, 63);
  out[63] = 0;
}

void CalcDocMeasure(const u8 *text, u16 *width, u16 *height) {
  u8 copy[kMprTextMax + 1];
  CopyText(text, copy);
  u16 w = 0;
  u8 h = 8;
  if (!MprintMeasure(copy, &w, &h)) {
    w = 6;
    h = 8;
  }
  *width = static_cast<u16>(std::min<u32>(w, kDocScreenWidth));
  *height = h;
}

void CalcDocLayoutResult(const Value *value, const CalcDocResultFormat &format, u16 *width, u16 *height) {
  u8 tokens[kMprTextMax + 1];
  if (format.form == 0 && MprintFromValue(value, tokens, sizeof tokens) != 0) {
    CalcDocMeasure(tokens, width, height);
    return;
  }
  const int kind = ValKind(value);
  char text[64];
  if (kind == kValKindList) {
    std::strcpy(text, "List Result");
  } else if (kind == kValKindMatrix) {
    std::strcpy(text, "Mat Result");
  } else {
    CalcDocValueToText(value, format, text);
  }
  const char *brk = std::strchr(text, 13);
  const u32 a = static_cast<u32>(brk ? brk - text : std::strlen(text));
  const u32 b = brk ? static_cast<u32>(std::strlen(brk + 1)) : 0;
  *width = static_cast<u16>(std::min<u32>(6 * std::max(a, b), kDocScreenWidth));
  *height = brk ? 16 : 8;
}

u32 CalcDocEngine(u32 first_command) {
  CalcDocState &d = Doc();
  u32 pending = first_command;
  bool pending_char = false;
  bool have = true;
  u16 edit_cursor = 0xFFFF;
  for (;;) {
    if (CalcDocEntryCount() == 0) return kKeyExit;
    CalcDocScrollToCurrent();
    if (CurrentKind() == kDocTitle) {
      ++d.current;
      continue;
    }
    SetEactMenus();
    if (!have) {
      CalcDocDrawScreen(true, nullptr, nullptr);
      FkeyDrawRow();
      u32 key = 0;
      pending_char = KeyGetKey(&key) == 1;
      if (pending_char && key == 0) continue;
      pending = key;
      edit_cursor = 0xFFFF;
    }
    have = false;
    const u32 key = pending;
    const u8 kind = CurrentKind();
    // Characters and the keys the engine leaves alone go to the line editor.
    const bool editor_command = key == kDocCmdMat22 || key == kDocCmdMat33 || key == kDocCmdMatMN ||
                                key == kDocCmdChar || key == kDocCmdCase;
    const bool engine_key = !pending_char && key != kKeyLeft && key != kKeyRight && key != kKeyDel &&
                            key != kKeyAc && key != kKeyPaste && key != kKeyXThetaT && key != kKeyMatTemplate &&
                            !(editor_command && IsEditable(kind)) && !((key == kKeyEditLine || key == kKeyClip) && IsEditable(kind)) &&
                            !(kind == kDocStrip && (key == kDocCmdChar || key == kDocCmdCase));
    if (!engine_key) {
      if (IsEditable(kind)) {
        const u32 r = EditLine(key, pending_char, edit_cursor);
        pending = r;
        pending_char = false;
        have = true;
        edit_cursor = 0xFFFF;
      } else if (kind == kDocStrip) {
        pending = EditStripName(key, pending_char);
        pending_char = false;
        have = true;
      } else if (kind == kDocResult && (key == kKeyLeft || key == kKeyRight)) {
        // A result wider than the screen scrolls; nothing to do otherwise.
      }
      continue;
    }
    switch (key) {
      case kKeyExe:
      case kDocCmdExecute:
        if (kind == kDocCalc) {
          const ExecOutcome o = ExecuteFrom(d.current);
          if (o.edit_line >= 0) {
            d.current = static_cast<u32>(o.edit_line);
            pending = kKeyEditLine;
            have = true;
            edit_cursor = o.cursor;
            continue;
          }
          if (o.view) ViewResult(d.current);
        } else if (kind == kDocResult) {
          ViewResult(d.current);
        } else if (kind == kDocStrip) {
          RunStrip(d.current);
        }
        break;
      case kDocCmdInsertText:
      case kDocCmdInsertCalc:
      case kDocCmdInsertStop: {
        u32 at = d.current;
        if (kind == kDocResult && at > 0) --at;
        const u8 k = static_cast<u8>(key == kDocCmdInsertText ? kDocText : key == kDocCmdInsertCalc ? kDocCalc : kDocStop);
        const u8 empty[1] = {0};
        const CalcDocLineInfo info{DocTypeWord(k), static_cast<u16>(k == kDocStop ? 128 : 6), 8};
        if (CalcDocInsertEntry(at, info, empty)) {
          d.current = at;
          d.modified = 1;
        } else {
          ErrBox(kErrMemory);
        }
        FkeyRestoreLevelRoot();
        break;
      }
      case kDocCmdStrip:
        InsertStrip(kind);
        break;
      case kKeyCopy:
        if (IsEditable(kind)) {
          u8 text[kMprTextMax + 1];
          CopyText(CalcDocEntryText(d.current), text);
          CopyLine(text);
        }
        break;
      case kDocCmdSwitchKind:
        SwitchKind();
        break;
      case kDocCmdSave:
      case kDocCmdSaveAs:
        if (IsEact()) {
          EactSaveFile(key);
          InstallPages();
        }
        FkeyRestoreLevelRoot();
        break;
      case kDocCmdCapacity:
      case kDocCmdStripSize:
        if (IsEact()) EactShowSizes(key);
        FkeyRestoreLevelRoot();
        break;
      case kDocCmdOptimize:
        if (IsEact()) EactOptimizeStorage();
        FkeyRestoreLevelRoot();
        break;
      case kKeyUp:
      case kKeyDown:
      case kDocCmdLineUp:
      case kDocCmdLineDown:
      case kDocCmdTop:
      case kDocCmdBottom:
        MoveLine(key);
        if (key == kDocCmdTop || key == kDocCmdBottom) FkeyRestoreLevelRoot();
        break;
      case kKeyPageUp:
      case kKeyPageDown: {
        const u32 steps = 56 / 8;
        for (u32 s = 0; s < steps; ++s) MoveLine(key == kKeyPageUp ? kDocCmdLineUp : kDocCmdLineDown);
        FkeyRestoreLevelRoot();
        break;
      }
      case kKeyFracDec:
      case kKeyFracForm:
      case kKeyDms:
      case kKeyEngUp:
      case kKeyEngDown:
        if (kind == kDocResult) {
          ConvertResult(d.current, key);
        } else if (kind == kDocCalc && EmptyText(d.current) && d.current > 0 && KindAt(d.current - 1) == kDocResult) {
          ConvertResult(d.current - 1, key);
        }
        break;
      case kDocCmdDeleteLine:
        if (Confirm("Delete Line?")) {
          if (!CalcDocDeleteLine(d.current)) ErrBox(kErrMemory);
        }
        FkeyRestoreLevelRoot();
        break;
      case kDocCmdDeleteAll:
        if (Confirm("Delete All?")) {
          McsDeleteInFolder(d.folder, d.name);
          Value zero{};
          CalcDocStoreAns(&zero);
          char name[9];
          std::memcpy(name, d.name, sizeof name);
          CalcDocOpen(name);
          d.modified = 1;
        }
        FkeyRestoreLevelRoot();
        break;
      case kDocCmdMatEditor:
      case kDocCmdListEditor:
        TextCursorOff();
        if (key == kDocCmdMatEditor) {
          MatEditMain();
        } else {
          StatRunMode10();
        }
        InstallPages();
        d.modified = 1;
        break;
      case kKeySetup: {
        u32 changed = 0;
        RunMatGlueSetupScreen(&changed);
        if (changed) d.modified = 1;
        if (IsRun() && (SetupGetItem(kSetupInputMode) == kInputLinear || SetupGetItem(kSetupMode) != 0))
          return kKeySetup;
        InstallPages();
        break;
      }
      case kKeyQuit:
        if (IsEact()) {
          if (EactLeaveQuestion(key)) return key;
          break;
        }
        MoveLine(IsRun() ? kDocCmdBottom : kDocCmdTop);
        FkeyRestoreLevelRoot();
        break;
      case kKeyExit:
        if (IsEact() && EactLeaveQuestion(key)) return key;
        break;
      default:
        break;
    }
    // A text line, or an empty calculation line, is edited at once.
    const u8 now = CurrentKind();
    if (IsTextKind(now) || (now == kDocCalc && EmptyText(d.current))) {
      pending = kKeyEditLine;
      pending_char = false;
      have = true;
    }
  }
}

u32 RunMatCalcDocMain(u32, u32) {
  static char name[9];
  std::strcpy(name, kDocNameRun);
  const u32 first = CalcDocOpen(name);
  if (CalcDocGetState()->damaged) ErrBox(kErrMemory);
  if (first == kKeyExit) {
    ErrBox(kErrMemory);
    return 1;
  }
  InstallPages();
  CalcDocEngine(first);
  return 1;
}
