// The run loop, the statement dispatch, the statement ends, the control
// structures with their block stack, and program calls.
#include "eval/prog.h"

#include <cstring>

#include "eval/eval.h"
#include "eval/prog_internal.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "number/bcd.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/sysvar.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

// Tokens the interpreter looks for.
constexpr u32 kTokIf = 0xF700;
constexpr u32 kTokThen = 0xF701;
constexpr u32 kTokElse = 0xF702;
constexpr u32 kTokIfEnd = 0xF703;
constexpr u32 kTokFor = 0xF704;
constexpr u32 kTokTo = 0xF705;
constexpr u32 kTokStep = 0xF706;
constexpr u32 kTokNext = 0xF707;
constexpr u32 kTokWhile = 0xF708;
constexpr u32 kTokWhileEnd = 0xF709;
constexpr u32 kTokDo = 0xF70A;
constexpr u32 kTokLpWhile = 0xF70B;
constexpr u32 kTokLbl = 0xE2;
constexpr u32 kTokGoto = 0xEC;
constexpr u32 kTokDsz = 0xE8;
constexpr u32 kTokIsz = 0xE9;
constexpr u32 kTokClrText = 0xF718;
constexpr u8 kArrow = 0x0E;
constexpr u8 kJumpArrow = 0x13;
constexpr u8 kDispStop = 0x0C;
// At "- Disp -" the VARS, SHIFT+VARS, ALPHA-group and catalog keys rest.
constexpr u16 kDispMenuMask = 198;
// At the '?' input line: the SHIFT group and CLIP rest; in Base-N mode also
// OPT, VARS and the catalog.
constexpr u16 kInputMenuMask = 48;
constexpr u16 kInputMenuMaskBaseN = 179;
constexpr u8 kNewline = 0x0D;

// The byte a stopped run points at.
const u8 kEndText[2] = {0, 0};

// Free main memory a run needs before its first statement.
constexpr u32 kProgMinFree = 5000;

const u8 *Next(const u8 *p) { return p + ProgTokLen(p); }

// Steps over the token at p during a scan; a string ("...") or a comment is
// stepped over whole, so the words inside them never count.
const u8 *ScanStep(const u8 *p) {
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') p += ProgTokLen(p);
    return *p ? p + 1 : p;
  }
  if (*p == '\'') {
    ++p;
    while (!ProgTokIsEnd(p)) p += ProgTokLen(p);
    return p;
  }
  return Next(p);
}

bool IsLoopOpener(u32 t) { return t == kTokFor || t == kTokWhile || t == kTokDo; }
bool IsLoopCloser(u32 t) { return t == kTokNext || t == kTokWhileEnd || t == kTokLpWhile; }

u32 CloserOf(u32 kind) {
  switch (kind) {
    case kProgBlockFor: return kTokNext;
    case kProgBlockWhile: return kTokWhileEnd;
    case kProgBlockDo: return kTokLpWhile;
    default: return 0;
  }
}

u32 KindOfOpener(u32 t) {
  switch (t) {
    case kTokIf: return kProgBlockIf;
    case kTokFor: return kProgBlockFor;
    case kTokWhile: return kProgBlockWhile;
    case kTokDo: return kProgBlockDo;
    default: return kProgBlockNone;
  }
}

// Scans from p for the closer `close` of a block opened by `open`, counting
// nested blocks of the same family; with `alt` (Else) also stops at that
// token at the same depth. Returns the position of the token found, or null
// at the end of the text.
const u8 *ScanForCloser(const u8 *p, u32 open, u32 close, u32 alt) {
  u32 depth = 0;
  while (*p) {
    const u32 t = ProgTokCode(p);
    if (t == open) {
      ++depth;
    } else if (t == close) {
      if (depth == 0) return p;
      --depth;
    } else if (alt != 0 && t == alt && depth == 0) {
      return p;
    }
    p = ScanStep(p);
  }
  return nullptr;
}

// ScanForCloser from p in the text of level lv, remembered for the level:
// an If inside a loop finds its Else or IfEnd once per run.
const u8 *LevelCloser(ProgLevel *lv, const u8 *p, u32 open, u32 close, u32 alt) {
  const u8 *start = lv->start;
  if (start == nullptr || p < start) return ScanForCloser(p, open, close, alt);
  const u32 from = static_cast<u32>(p - start) + 1;
  ProgCloserCache *c = &lv->closers[(from * 2654435761u) >> 29 & (kProgCloserCacheSize - 1)];
  if (c->from == from && c->open == open && c->close == close && c->alt == alt) {
    return c->found ? start + (c->found - 1) : nullptr;
  }
  const u8 *q = ScanForCloser(p, open, close, alt);
  *c = ProgCloserCache{from, q ? static_cast<u32>(q - start) + 1 : 0, static_cast<u16>(open), static_cast<u16>(close),
                       static_cast<u16>(alt)};
  return q;
}

// Steps over one statement: to its end token (which is left current).
const u8 *SkipStatement(const u8 *p) {
  while (!ProgTokIsEnd(p)) p = ScanStep(p);
  return p;
}

bool IsVariableLetter(u8 c) { return (c >= 'A' && c <= 'Z') || c == kVarR || c == kVarTheta; }

void SetLevelCount(ProgRunState *run, u32 count) {
  run->count = count;
  SetupSetByte(kSetupProgLevel, static_cast<u8>(count));
}

// Opening a block saves the enclosing one in a handle-heap block: the one
// the level's last closed block left spare when there is one (an If in a
// loop opens and closes a block on every pass), else a new one. The saved
// block is held in the level until the next opening writes it into its heap
// block; the heap block is taken all the same, so a full heap fails the
// opening as before.
u32 PushBlock(ProgRunState *run, ProgLevel *lv, u32 kind) {
  MemHandle h = lv->spare;
  lv->spare = 0;
  if (h == 0) {
    h = MemAlloc(sizeof(ProgBlock));
    if (h == 0) return ProgFail(run, kProgErrMemory);
  }
  if (lv->heldFor != 0) {
    u8 *save = MemDeref(lv->heldFor);
    if (save != nullptr) std::memcpy(save, &lv->held, sizeof(ProgBlock));
  }
  lv->held = lv->block;
  lv->heldFor = h;
  lv->block = ProgBlock{};
  lv->block.kind = kind;
  lv->block.saved = h;
  ++lv->depth;
  return 1;
}

// The block saved in heap block h (held in the level or written out).
bool LoadSavedBlock(const ProgLevel *lv, MemHandle h, ProgBlock *out) {
  if (h == 0) return false;
  if (h == lv->heldFor) {
    *out = lv->held;
    return true;
  }
  const u8 *saved = MemDeref(h);
  if (saved == nullptr) return false;
  std::memcpy(out, saved, sizeof(ProgBlock));
  return true;
}

void PopBlock(ProgLevel *lv) {
  if (lv->depth == 0) return;
  const MemHandle h = lv->block.saved;
  const bool saved = LoadSavedBlock(lv, h, &lv->block);
  if (!saved) lv->block = ProgBlock{};
  if (h == lv->heldFor) lv->heldFor = 0;
  // One freed block is kept for the level's next opening.
  if (saved && lv->spare == 0) {
    lv->spare = h;
  } else {
    MemFree(h);
  }
  --lv->depth;
}

void CloseLevel(ProgLevel *lv) {
  while (lv->depth > 0) PopBlock(lv);
  MemFree(lv->spare);
  lv->spare = 0;
  MemFree(lv->text);
  lv->text = 0;
}

void UnwindAll(ProgRunState *run) {
  for (u32 i = run->count; i > 0; --i) CloseLevel(&run->levels[i - 1]);
  SetLevelCount(run, 0);
}

// Zero, the complex flag of a real part ignored.
bool IsZeroReal(const BcdReal *r) {
  u64 digits;
  std::memcpy(&digits, r->b + 1, 8);
  return (r->b[0] & 0x7F) == 0 && digits == 0;
}

// A scalar condition is true when either part is not zero.
bool IsTrue(const Value *v) {
  if (!IsZeroReal(&v->re)) return true;
  return (v->re.b[0] & 0x80) != 0 && !IsZeroReal(&v->im);
}

}  // namespace

u32 ProgRaise(u32 code, Value *result) {
  if (result) {
    if (!ProgIsScalar(result)) ValFreeTemp(result);
    std::memset(result, 0, sizeof(Value));
    RealMakeError(static_cast<u8>(code), &result->re);
  }
  return 0;
}

ProgLevel *ProgCurrentLevel(ProgRunState *run) {
  return &run->levels[run->count > 1 ? run->count - 1 : 0];
}

namespace {

// ---- statement end -----------------------------------------------------------

u32 PrintValueLine(ProgRunContext *ctx, const char *text);
u32 DispWait(ProgRunState *run, u32 valueRows);

// Shows a list, matrix, graph, capture or table result. 0 on an error
// (raised), 2 when it was left with EXE, else 1 (the text screen is back and
// the statement shows "Done").
u32 ShowResult(ProgRunState *run, bool textGoesOn) {
  ProgRunContext *ctx = run->ctx;
  if (ctx->keepArrays && (ctx->outputMode == kProgOutList || ctx->outputMode == kProgOutMatrix)) return 1;
  ctx->screenChanged = 1;
  u32 key = kKeyExit;
  if (const u32 code = ProgGlueShowResult(ctx, &key)) return ProgFail(run, code);
  if (key == kKeyExe) return 2;
  ProgRedrawText(ctx);
  if (key == kKeyAc && textGoesOn) return ProgFail(run, kProgErrBreak);
  ctx->outputMode = kProgOutDone;
  return 1;
}

// The end of a level's text: its open If blocks close; any other open block
// is a Syntax ERROR. A called program returns to its caller.
u32 EndOfText(ProgRunState *run) {
  ProgLevel *lv = ProgCurrentLevel(run);
  while (lv->depth > 0 && lv->block.kind == kProgBlockIf) PopBlock(lv);
  if (lv->depth > 0) return ProgFail(run, kProgErrSyntax);
  if (run->count >= 2) {
    CloseLevel(lv);
    SetLevelCount(run, run->count - 1);
    run->p = ProgCurrentLevel(run)->ret;
    return ProgStatementEnd(run);
  }
  if (run->ctx->outputMode >= kProgOutMatrix && !run->shown) {
    run->shown = true;
    return ShowResult(run, false) != 0;
  }
  return 1;
}

// The end of a statement that must not pause: ':', newline and display-stop
// are stepped over, the end of the text ends the level.
u32 EndAsNewline(ProgRunState *run) {
  const u8 c = *run->p;
  if (c == ':' || c == kNewline || c == kDispStop) {
    ++run->p;
    run->ctx->displayForm = 0;
    return 1;
  }
  if (c == 0) return EndOfText(run);
  return ProgFail(run, kProgErrSyntax);
}

}  // namespace

u32 ProgStatementEnd(ProgRunState *run) {
  ProgRunContext *ctx = run->ctx;
  switch (*run->p) {
    case ':':
    case kNewline:
      ++run->p;
      ctx->displayForm = 0;
      return 1;
    case 0:
      return EndOfText(run);
    case kDispStop: {
      ++run->p;
      u32 valueRows = 0;
      if (ctx->outputMode == kProgOutValue) {
        char text[kNumTextSize];
        const u16 option = static_cast<u16>(ctx->displayForm);
        Value v = ctx->last;
        NumToTextOpt(&v, text, &option);
        valueRows = PrintValueLine(ctx, text);
      } else if (ctx->outputMode != kProgOutNothing) {
        static const u8 kDone[] = "                 Done";
        ProgPrintText(ctx, kDone, 21);
      }
      ctx->displayForm = 0;
      if (ctx->outputMode >= kProgOutMatrix) {
        const u32 shown = ShowResult(run, *run->p != 0);
        if (shown != 1) return shown == 2 ? 1 : 0;
      }
      return DispWait(run, valueRows);
    }
    default:
      return ProgFail(run, kProgErrSyntax);
  }
}

namespace {

// ProgStatementEnd with its usual case, ':' or a newline, taken inline.
inline u32 StatementEnd(ProgRunState *run) {
  const u8 c = *run->p;
  if (c == ':' || c == kNewline) {
    ++run->p;
    run->ctx->displayForm = 0;
    return 1;
  }
  return ProgStatementEnd(run);
}

// Prints a value's text right-aligned from the next row: one row, or two
// when it holds a newline (a complex result). Returns the rows used.
u32 PrintValueLine(ProgRunContext *ctx, const char *text) {
  char buf[kNumTextSize];
  std::strncpy(buf, text, sizeof buf - 1);
  buf[sizeof buf - 1] = 0;
  char *part = buf;
  u32 rows = 0;
  for (;;) {
    char *nl = std::strchr(part, kNewline);
    if (nl) *nl = 0;
    char line[kNumTextSize];
    NumAlignRight(line, part, 21);
    ProgPrintText(ctx, reinterpret_cast<const u8 *>(line), static_cast<u32>(std::strlen(line)));
    ++rows;
    if (!nl) break;
    part = nl + 1;
  }
  return rows;
}

// The conversions of the shown value at "- Disp -" (F<>D, the fraction
// form, sexagesimal, ENG): the value's text changes in place on the rows it
// took above the pause line. Only a number shown outside Base-N mode.
void ConvertShownValue(ProgRunContext *ctx, u32 key, u32 lastRow, u32 rows) {
  if (rows == 0 || ctx->outputMode != kProgOutValue || SetupGetItem(kSetupMode) != 0) return;
  if (lastRow < rows) return;  // the value has scrolled off the top
  char text[kNumTextSize];
  if (!KeyConvertValue(key, &ctx->last, text)) return;
  const u32 first = lastRow - rows + 1;
  const u32 row = ctx->row;
  for (u32 r = first; r <= lastRow; ++r) std::memset(ctx->text[r - 1], 0, sizeof ctx->text[r - 1]);
  ctx->row = first;
  const u32 used = PrintValueLine(ctx, text);
  // A text that now takes fewer rows leaves the others blank.
  for (u32 r = first + used; r <= lastRow; ++r) ProgPutText(ctx, 1, r, reinterpret_cast<const u8 *>(" "), 1);
  ctx->row = row;
}

// "- Disp -": waits for EXE (go on) or AC (Break); the conversion keys
// change the value shown above it (valueRows: the rows it took, 0 when no
// value was shown). The OPT group and the menu-key mask are the pause's own
// while it waits.
u32 DispWait(ProgRunState *run, u32 valueRows) {
  ProgRunContext *ctx = run->ctx;
  if (ctx->row >= 8) {
    ProgNextRow(ctx);
    ctx->row = 7;
  }
  const i32 row = static_cast<i32>(ctx->row);
  auto drawPause = [&]() {
    ProgRedrawText(ctx);
    TextLocate(1, row);
    TextPrintField("             - Disp -", 21);
  };
  drawPause();
  u16 groups[6];
  FkeySaveGroups(groups);
  const u16 mask = KeyGetMenuMask();
  FkeyBuildOptGroup(6);
  KeySetMenuMask(kDispMenuMask);
  u32 result = 1;
  for (;;) {
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyExe || key == kKeyAc) {
      if (!ctx->screenChanged) {
        TextLocate(1, row);
        TextPrintField("", 21);
      }
      KeyBreakArm();
      if (key == kKeyAc) result = ProgFail(run, kProgErrBreak);
      break;
    }
    if (KeyIsValueConversion(key)) {
      ConvertShownValue(ctx, key, static_cast<u32>(row) - 1, valueRows);
      continue;
    }
    if (key == kKeyVWindow) {
      ProgGlueVwinScreen();
      drawPause();
      continue;
    }
    // G<->T and the graph screen's own keys show the graph drawn so far.
    const bool graphKey = key == kKeyGraphTable || key < 30000 || key >= 30200;
    if (graphKey && SetupGetItem(kSetupMode) == 0) {
      ctx->screenChanged = 1;
      u32 exitKey = key == kKeyGraphTable ? 0 : key;
      if (const u32 code = ProgGlueShowGraph(&exitKey)) {
        result = ProgFail(run, code);
        break;
      }
      if (exitKey == kKeyExe) break;
      if (exitKey == kKeyAc) {
        result = ProgFail(run, kProgErrBreak);
        break;
      }
      drawPause();
    }
  }
  KeySetMenuMask(mask);
  FkeyRestoreGroups(groups);
  return result;
}

// ---- program levels --------------------------------------------------------

// Opens a level on a copy of `len` bytes of text.
u32 OpenLevel(ProgRunState *run, const char *name, const u8 *text, u32 len) {
  const MemHandle h = MemAlloc(len + 3);
  if (h == 0) return ProgFail(run, kProgErrMemory);
  u8 *copy = MemDeref(h);
  std::memcpy(copy, text, len);
  std::memset(copy + len, 0, 3);
  // Zero bytes after the text end: a lead byte at the very end is read with
  // a zero second byte and still ends on an end token.
  const u32 textLen = ProgTextLen(copy, len);
  std::memset(copy + textLen, 0, len + 3 - textLen);
  ProgLevel *lv = &run->levels[run->count];
  *lv = ProgLevel{};
  lv->start = copy;
  lv->text = h;
  std::strncpy(lv->name, name, 8);
  lv->name[8] = 0;
  SetLevelCount(run, run->count + 1);
  run->p = copy;
  return 1;
}

// Prog "NAME": run->p is just after the Prog token.
u32 ProgCall(ProgRunState *run) {
  if (run->count >= kProgMaxLevels) return ProgFail(run, kProgErrNesting);
  const u8 *p = run->p;
  if (*p != '"') return ProgFail(run, kProgErrSyntax);
  ++p;
  char name[9] = {};
  u32 n = 0;
  bool closed = false;
  while (!ProgTokIsEnd(p)) {
    if (*p == '"') {
      closed = true;
      p = Next(p);
      break;
    }
    if (n >= 8) return ProgFail(run, kProgErrSyntax);
    name[n++] = static_cast<char>(*p);
    p = Next(p);
  }
  if (!closed || !ProgTokIsEnd(p)) {
    run->p = p;
    return ProgFail(run, kProgErrSyntax);
  }
  run->p = p;
  if (run->count > 0) ProgCurrentLevel(run)->ret = p;
  u32 size = 0;
  u8 *data = nullptr;
  if (n == 0 || McsOpenByKindPtr(kMcsKindProgram, name, &size, &data) != 0 || !data || size < 10) {
    return ProgFail(run, kProgErrGo);
  }
  const bool baseN = SetupGetItem(kSetupMode) != 0;
  if ((data[8] == 1) != baseN) return ProgFail(run, kProgErrGo);
  // The item is copied whole (its size bounds the text), then the text is
  // measured token by token in the copy.
  if (!OpenLevel(run, name, data + 10, size - 10)) return 0;
  if (*run->p == 0) run->ctx->outputMode = kProgOutDone;
  return 1;
}

// Return, and Return's effect at the end of a called program.
u32 ProgReturn(ProgRunState *run) {
  if (run->count >= 2) {
    CloseLevel(ProgCurrentLevel(run));
    SetLevelCount(run, run->count - 1);
    run->p = ProgCurrentLevel(run)->ret;
    return ProgStatementEnd(run);
  }
  run->stopped = true;
  run->p = kEndText;
  return 1;
}

u32 ProgStop(ProgRunState *run) {
  if (!ProgTokIsEnd(run->p)) return ProgFail(run, kProgErrSyntax);
  run->stopped = true;
  run->p = kEndText;
  return 1;
}

// ---- conditions and loop values --------------------------------------------

// Evaluates a condition; 1 with *truth set, else 0 (error raised).
u32 EvalCondition(ProgRunState *run, bool refuse_complex, bool *truth) {
  Value v;
  if (!ProgEvalAt(&run->p, &v, 0x0F00)) {
    *run->result = v;
    return 0;
  }
  if (!ProgIsScalar(&v)) {
    ValFreeTemp(&v);
    return ProgFail(run, kProgErrSyntax);
  }
  if (refuse_complex && (v.re.b[0] & 0x80)) return ProgFail(run, kProgErrSyntax);
  *truth = IsTrue(&v);
  return 1;
}

// The direction of a For loop's step: 1 when step > 0, else 0; -1 on an
// error value. Found once when the loop starts (its step never changes).
int StepUp(const BcdReal *step) {
  BcdReal zero{};
  return RealCompare(kRealCmpGt, step, &zero);
}

// Whether a For loop goes on with the variable at v: a step up while
// v <= end, down while v >= end. -1 on an error value.
int ForGoesOn(const BcdReal *v, const BcdReal *end, int up) {
  if (up < 0) return -1;
  return RealCompare(up ? kRealCmpLe : kRealCmpGe, v, end);
}

void ToDecimal(BcdReal *r) {
  if ((r->b[0] & 0x0F) == 0x0A) RealFracToDecimal(r, r);
}

void StoreReal(u8 var, const BcdReal *r) {
  Value v;
  ProgRealValue(r, &v, false);
  SysStoreVariable(var, &v);
}

// ---- control structures ----------------------------------------------------

u32 ProgIf(ProgRunState *run, u32 tok) {
  ProgLevel *lv = ProgCurrentLevel(run);
  if (tok == kTokIfEnd) {
    if (lv->depth == 0 || lv->block.kind != kProgBlockIf) return ProgFail(run, kProgErrSyntax);
    PopBlock(lv);
    return StatementEnd(run);
  }
  if (tok == kTokElse) {
    if (lv->depth == 0 || lv->block.kind != kProgBlockIf || lv->block.word != 0) {
      return ProgFail(run, kProgErrSyntax);
    }
    lv->block.word = 1;
    const u8 *q = LevelCloser(lv, run->p, kTokIf, kTokIfEnd, 0);
    if (!q) {
      // The text ends inside the Else part: the level ends there.
      while (*run->p) run->p = ScanStep(run->p);
      return 1;
    }
    PopBlock(lv);
    run->p = Next(q);
    return StatementEnd(run);
  }
  // If condition [end] Then
  if (!PushBlock(run, lv, kProgBlockIf)) return 0;
  bool truth = false;
  if (!EvalCondition(run, false, &truth)) return 0;
  const u8 c = *run->p;
  if (c == ':' || c == kNewline || c == kDispStop) {
    // The condition's statement end: a display-stop pauses there.
    if (!StatementEnd(run)) return 0;
  }
  if (ProgTokCode(run->p) != kTokThen) return ProgFail(run, kProgErrSyntax);
  run->p += 2;
  if (truth) {
    if (*run->p == 0) return ProgFail(run, kProgErrSyntax);
    if (*run->p == ':' || *run->p == kNewline) ++run->p;
    return 1;
  }
  const u8 *q = LevelCloser(lv, run->p, kTokIf, kTokIfEnd, kTokElse);
  if (!q) {
    while (*run->p) run->p = ScanStep(run->p);
    return 1;
  }
  if (ProgTokCode(q) == kTokElse) {
    lv->block.word = 1;
    run->p = Next(q);
    if (*run->p == ':' || *run->p == kNewline) ++run->p;
    return 1;
  }
  PopBlock(lv);
  run->p = Next(q);
  return StatementEnd(run);
}

// Leaves a loop whose closer is at q: the block closes, the run goes on after
// the closer (and its statement end).
u32 LeaveLoopAt(ProgRunState *run, const u8 *q) {
  PopBlock(ProgCurrentLevel(run));
  run->p = Next(q);
  return ProgStatementEnd(run);
}

// A display-stop after For or Next shows the loop variable as the
// statement's value.
void ShowLoopValue(ProgRunState *run, const BcdReal *value) {
  run->ctx->outputMode = kProgOutValue;
  Value v{};
  v.re = *value;
  run->ctx->last = v;
}

// The end of the For statement as a pass of the loop begins.
u32 ForStatementEnd(ProgRunState *run, const BcdReal *value) {
  if (*run->p == kDispStop) ShowLoopValue(run, value);
  return StatementEnd(run);
}

[[gnu::noinline]] u32 ProgFor(ProgRunState *run, u32 tok) {
  ProgLevel *lv = ProgCurrentLevel(run);
  if (tok == kTokNext) {
    if (lv->depth == 0 || lv->block.kind != kProgBlockFor) return ProgFail(run, kProgErrSyntax);
    Value v;
    SysReadVariable(static_cast<u8>(lv->block.word), &v);
    if (!ProgIsScalar(&v)) return ProgFail(run, kProgErrSyntax);
    if (v.re.b[0] & 0x80) return ProgFail(run, kProgErrMa);
    ToDecimal(&v.re);
    BcdReal nv{};
    int go;
    BcdWork w;
    if (lv->block.forWorkReady && ProgUnpackPlain(&v.re, &w)) {
      // The addition and the comparison RealAdd and RealCompare make, on
      // the end and step unpacked when the loop began; the new value's
      // working form is kept for the next pass.
      BcdAdd(&w, &lv->block.forStepWork);
      if (ProgPackPlain(&w, &nv)) {
        ProgKeepWork(kProgMemoNext, &nv, &w);
      } else {
        RealPack(&w, &nv);
        if (const u8 e = RealErrorCode(&nv)) return ProgFail(run, e);
        RealUnpack(&nv, &w);
      }
      u16 c;
      if (!BcdComparePositive(&w, &lv->block.forEndWork, &c)) c = BcdCompare(&w, &lv->block.forEndWork);
      go = lv->block.forUp ? (c == BCD_CMP_EQUAL || c == BCD_CMP_LESS) : (c == BCD_CMP_EQUAL || c == BCD_CMP_GREATER);
    } else {
      RealAdd(&v.re, &lv->block.forStep, &nv);
      if (const u8 e = RealErrorCode(&nv)) return ProgFail(run, e);
      go = ForGoesOn(&nv, &lv->block.forEnd, lv->block.forUp);
    }
    if (go < 0) return ProgFail(run, kProgErrSyntax);
    if (go) {
      StoreReal(static_cast<u8>(lv->block.word), &nv);
      run->p = lv->block.loopStart;
      return ForStatementEnd(run, &nv);
    }
    PopBlock(lv);
    if (*run->p == kDispStop) ShowLoopValue(run, &v.re);
    return ProgStatementEnd(run);
  }
  if (!PushBlock(run, lv, kProgBlockFor)) return 0;
  Value start;
  if (!ProgEvalReal(&run->p, &start, false)) {
    *run->result = start;
    return 0;
  }
  if (start.re.b[0] & 0x80) return ProgFail(run, kProgErrSyntax);
  ToDecimal(&start.re);
  if (*run->p != kArrow) return ProgFail(run, kProgErrSyntax);
  ++run->p;
  const u8 var = *run->p;
  if (!IsVariableLetter(var)) return ProgFail(run, kProgErrSyntax);
  ++run->p;
  StoreReal(var, &start.re);
  if (ProgTokCode(run->p) != kTokTo) return ProgFail(run, kProgErrSyntax);
  run->p += 2;
  Value end;
  if (!ProgEvalReal(&run->p, &end, false)) {
    *run->result = end;
    return 0;
  }
  if (end.re.b[0] & 0x80) return ProgFail(run, kProgErrSyntax);
  ToDecimal(&end.re);
  BcdReal step;
  RealSetOne(&step);
  std::memset(step.b + 9, 0, 3);
  if (ProgTokCode(run->p) == kTokStep) {
    run->p += 2;
    Value s;
    if (!ProgEvalReal(&run->p, &s, false)) {
      *run->result = s;
      return 0;
    }
    if (s.re.b[0] & 0x80) return ProgFail(run, kProgErrSyntax);
    step = s.re;
    ToDecimal(&step);
  }
  const u8 c = *run->p;
  if (c != ':' && c != kNewline && c != kDispStop) return ProgFail(run, kProgErrSyntax);
  BcdReal moved;
  RealAdd(&start.re, &step, &moved);
  if (RealErrorCode(&moved) == 0 && RealCompare(kRealCmpEq, &moved, &start.re) == 1) {
    return ProgFail(run, kProgErrArgument);
  }
  // The loop starts at the For statement's end: a display-stop there
  // pauses on every pass.
  lv->block.word = var;
  lv->block.forEnd = end.re;
  lv->block.forStep = step;
  lv->block.loopStart = run->p;
  lv->block.forUp = StepUp(&step);
  if (RealIsWellFormed(&end.re) && RealErrorCode(&end.re) == 0 && RealIsWellFormed(&step) && RealErrorCode(&step) == 0) {
    RealUnpackChecked(&end.re, &lv->block.forEndWork);
    RealUnpackChecked(&step, &lv->block.forStepWork);
    lv->block.forWorkReady = lv->block.forUp >= 0;
  }
  const int go = ForGoesOn(&start.re, &end.re, lv->block.forUp);
  if (go < 0) return ProgFail(run, kProgErrSyntax);
  if (go) return ForStatementEnd(run, &start.re);
  ++run->p;
  const u8 *q = ScanForCloser(run->p, kTokFor, kTokNext, 0);
  if (!q) return ProgFail(run, kProgErrSyntax);
  return LeaveLoopAt(run, q);
}

// The While condition at run->p: true runs the body, false leaves the loop.
u32 WhileTest(ProgRunState *run) {
  bool truth = false;
  if (!EvalCondition(run, true, &truth)) return 0;
  const u8 c = *run->p;
  if (c != ':' && c != kNewline && c != kDispStop) return ProgFail(run, kProgErrSyntax);
  if (truth) {
    if (c == kDispStop) return ProgStatementEnd(run);
    ++run->p;
    return 1;
  }
  const u8 *q = ScanForCloser(run->p, kTokWhile, kTokWhileEnd, 0);
  if (!q) return ProgFail(run, kProgErrSyntax);
  return LeaveLoopAt(run, q);
}

u32 ProgWhile(ProgRunState *run, u32 tok) {
  ProgLevel *lv = ProgCurrentLevel(run);
  if (tok == kTokWhileEnd) {
    if (lv->depth == 0 || lv->block.kind != kProgBlockWhile) return ProgFail(run, kProgErrSyntax);
    run->p = lv->block.loopStart;
    return WhileTest(run);
  }
  if (!PushBlock(run, lv, kProgBlockWhile)) return 0;
  lv->block.loopStart = run->p;
  return WhileTest(run);
}

u32 ProgDo(ProgRunState *run, u32 tok) {
  ProgLevel *lv = ProgCurrentLevel(run);
  if (tok == kTokLpWhile) {
    if (lv->depth == 0 || lv->block.kind != kProgBlockDo) return ProgFail(run, kProgErrSyntax);
    bool truth = false;
    if (!EvalCondition(run, false, &truth)) return 0;
    if (truth) {
      if (!ProgTokIsEnd(run->p)) return ProgFail(run, kProgErrSyntax);
      // Back to Do's statement end, which is processed again.
      run->p = lv->block.loopStart;
      return ProgStatementEnd(run);
    }
    PopBlock(lv);
    return ProgStatementEnd(run);
  }
  if (!PushBlock(run, lv, kProgBlockDo)) return 0;
  const u8 c = *run->p;
  if (c != ':' && c != kNewline && c != kDispStop) return ProgFail(run, kProgErrSyntax);
  // The loop starts at Do's statement end: a display-stop there pauses on
  // every pass.
  lv->block.loopStart = run->p;
  return ProgStatementEnd(run);
}

// Break: leaves the innermost loop. The scan counts every nested loop, of any
// kind, one deeper at its opener and back at its closer, so the closer of the
// loop being left is the first loop closer met at depth 0.
u32 ProgBreak(ProgRunState *run) {
  if (*run->p == 0) return EndOfText(run);
  const u8 c = *run->p;
  if (c != ':' && c != kNewline && c != kDispStop) return ProgFail(run, kProgErrSyntax);
  ++run->p;
  ProgLevel *lv = ProgCurrentLevel(run);
  while (lv->depth > 0 && lv->block.kind == kProgBlockIf) PopBlock(lv);
  if (lv->depth == 0) return ProgFail(run, kProgErrSyntax);
  const u32 closer = CloserOf(lv->block.kind);
  const u8 *q = run->p;
  u32 depth = 0;
  for (;;) {
    if (*q == 0) return ProgFail(run, kProgErrSyntax);
    const u32 t = ProgTokCode(q);
    if (IsLoopOpener(t)) {
      ++depth;
    } else if (IsLoopCloser(t)) {
      if (depth == 0) {
        if (t != closer) {
          run->p = q;
          return ProgFail(run, kProgErrSyntax);
        }
        break;
      }
      --depth;
    }
    q = ScanStep(q);
  }
  q = Next(q);
  if (closer == kTokLpWhile) q = SkipStatement(q);
  if (!ProgTokIsEnd(q)) {
    run->p = q;
    return ProgFail(run, kProgErrSyntax);
  }
  PopBlock(lv);
  run->p = q;
  return ProgStatementEnd(run);
}

// ---- Lbl / Goto ----------------------------------------------------------------

// The label's place in ProgLevel::labels: 0-9, A-Z, r, theta.
int LabelSlot(u8 label) {
  if (label >= '0' && label <= '9') return label - '0';
  if (label >= 'A' && label <= 'Z') return 10 + (label - 'A');
  return label == kVarR ? 36 : 37;
}

u32 ReadLabel(ProgRunState *run, u8 *label) {
  const u8 c = *run->p;
  if (!((c >= '0' && c <= '9') || IsVariableLetter(c))) return ProgFail(run, kProgErrArgument);
  *label = c;
  ++run->p;
  return 1;
}

u32 ProgGoto(ProgRunState *run, u32 tok) {
  u8 label = 0;
  if (!ReadLabel(run, &label)) return 0;
  if (tok == kTokLbl) return ProgStatementEnd(run);
  const u8 c = *run->p;
  if (c == ':' || c == kNewline || c == kDispStop) {
    // The Goto's statement end (a display-stop pauses) comes before the jump.
    if (!ProgStatementEnd(run)) return 0;
  } else if (c != 0) {
    return ProgFail(run, kProgErrSyntax);
  }
  // Where the label stands and the kinds of the blocks open there: found
  // once per level (the text is the level's own copy, so what the scan found
  // holds while the level is open), by a scan from the start otherwise.
  ProgLevel *lv = ProgCurrentLevel(run);
  u8 kinds[256];
  u32 n = 0;
  const u8 *target = nullptr;
  const int slot = LabelSlot(label);
  ProgLabelCache &cached = lv->labels[slot];
  if (cached.target != 0) {
    target = lv->start + cached.target;
    n = cached.depth;
    std::memcpy(kinds, cached.kinds, n);
  } else {
    const u8 *q = lv->start;
    while (*q) {
      const u32 t = ProgTokCode(q);
      if (t == kTokLbl && q[1] == label) {
        target = q + 2;
        break;
      }
      if (t == kTokIf || IsLoopOpener(t)) {
        if (n < sizeof kinds) kinds[n] = static_cast<u8>(KindOfOpener(t));
        ++n;
      } else if (t == kTokIfEnd) {
        if (n > 0 && n <= sizeof kinds && kinds[n - 1] == kProgBlockIf) --n;
      } else if (IsLoopCloser(t)) {
        while (n > 0 && n <= sizeof kinds && kinds[n - 1] == kProgBlockIf) --n;
        if (n == 0) {
          run->p = q;
          return ProgFail(run, kProgErrSyntax);
        }
        --n;
      }
      q = ScanStep(q);
    }
    if (!target || n > sizeof kinds) return ProgFail(run, kProgErrGo);
    if (n <= sizeof cached.kinds) {
      cached.target = static_cast<u32>(target - lv->start);
      cached.depth = static_cast<u8>(n);
      std::memcpy(cached.kinds, kinds, n);
    }
  }
  // The kinds of the blocks open now, outermost first.
  u8 open[256];
  u32 m = lv->depth;
  if (m > sizeof open) return ProgFail(run, kProgErrGo);
  {
    ProgBlock b = lv->block;
    for (u32 i = m; i > 0; --i) {
      open[i - 1] = static_cast<u8>(b.kind);
      if (b.saved) LoadSavedBlock(lv, b.saved, &b);
    }
  }
  u32 same = 0;
  while (same < m && same < n && open[same] == kinds[same]) ++same;
  for (u32 i = same; i < n; ++i) {
    if (kinds[i] != kProgBlockIf) return ProgFail(run, kProgErrGo);
  }
  while (lv->depth > same) PopBlock(lv);
  for (u32 i = same; i < n; ++i) {
    if (!PushBlock(run, lv, kProgBlockIf)) return 0;
  }
  run->p = target;
  return ProgStatementEnd(run);
}

// ---- Isz / Dsz and the jump arrow ----------------------------------------------

// Skips the next statement when `skip`; the statement ends as if by a newline.
u32 JumpOn(ProgRunState *run, bool skip) {
  if (!skip) return 1;
  run->p = SkipStatement(run->p);
  return EndAsNewline(run);
}

u32 ProgJumpCount(ProgRunState *run, u32 tok) {
  const u8 var = *run->p;
  if (!IsVariableLetter(var)) return ProgFail(run, kProgErrArgument);
  ++run->p;
  Value v;
  SysReadVariable(var, &v);
  if (!ProgIsScalar(&v) || (v.re.b[0] & 0x80)) return ProgFail(run, kProgErrMa);
  BcdReal one;
  RealSetOne(&one);
  BcdReal nv;
  if (tok == kTokIsz) {
    RealAdd(&v.re, &one, &nv);
  } else {
    RealSub(&v.re, &one, &nv);
  }
  if (const u8 e = RealErrorCode(&nv)) return ProgFail(run, e);
  StoreReal(var, &nv);
  const u8 c = *run->p;
  if (c == 0) return EndOfText(run);
  if (!EndAsNewline(run)) return 0;
  if (*run->p == 0) return 1;
  return JumpOn(run, IsZeroReal(&nv));
}

}  // namespace

namespace {

// An expression statement.
[[gnu::noinline]] u32 ExprStatement(ProgRunState *run) {
  ProgRunContext *ctx = run->ctx;
  Value v;
  if (!ProgEvalAt(&run->p, &v, 0x0F00)) {
    *run->result = v;
    return 0;
  }
  const int kind = ValKind(&v);
  if (kind == kValKindMatrix) ctx->outputMode = kProgOutMatrix;
  if (kind == kValKindList) ctx->outputMode = kProgOutList;
  const u8 c = *run->p;
  if (c == kArrow) {
    ++run->p;
    if (!ProgAssign(run, &v)) return 0;
  } else if (c == kJumpArrow) {
    ++run->p;
    if (!ProgIsScalar(&v)) {
      ValFreeTemp(&v);
      return ProgFail(run, kProgErrMa);
    }
    if (v.re.b[0] & 0x80) return ProgFail(run, kProgErrMa);
    if (ProgTokIsEnd(run->p)) return ProgFail(run, kProgErrSyntax);
    ctx->last = v;
    return JumpOn(run, IsZeroReal(&v.re));
  } else if (c == 0xF9 && run->p[1] >= 0x01 && run->p[1] <= 0x07) {
    const u8 form = run->p[1];
    if ((form == 6 || form == 7) && kind == kValKindMatrix) {
      ValFreeTemp(&v);
      return ProgFail(run, kProgErrMa);
    }
    if (form == 3) {
      // Binary shows 16 bits: a value outside them stops the run.
      Value bits;
      if (!EvalBaseNOperand(&v, &bits, 1)) {
        ValFreeTemp(&v);
        return ProgFail(run, kProgErrMa);
      }
    }
    ctx->displayForm = form;
    run->p += 2;
  }
  ProgStoreAns(ctx, &v);
  return StatementEnd(run);
}

// ---- text statements, Locate, clear, Input ------------------------------------

// Collects the text of a "..." statement (run->p just after the opening
// quote) into buf; 0 with Memory ERROR past 255 bytes.
u32 CollectText(ProgRunState *run, u8 *buf, u32 *len) {
  u32 n = 0;
  const u8 *p = run->p;
  while (*p && *p != '"') {
    const u32 l = ProgTokLen(p);
    if (n + l > 255) return ProgFail(run, kProgErrMemory);
    std::memcpy(buf + n, p, l);
    n += l;
    p += l;
  }
  if (*p == '"') ++p;
  buf[n] = 0;
  *len = n;
  run->p = p;
  return 1;
}

u32 ProgInput(ProgRunState *run, const u8 *prompt, u32 promptLen);

u32 ProgTextStatement(ProgRunState *run) {
  u8 text[260];
  u32 len = 0;
  if (!CollectText(run, text, &len)) return 0;
  const u8 c = *run->p;
  if (ProgTokIsEnd(run->p)) {
    ProgPrintText(run->ctx, text, len);
    return ProgStatementEnd(run);
  }
  if (c == '?') {
    ++run->p;
    return ProgInput(run, text, len);
  }
  if (c == kArrow) {
    ++run->p;
    return ProgStringAssign(run, text, len) ? ProgStatementEnd(run) : 0;
  }
  return ProgFail(run, kProgErrSyntax);
}

u32 ProgLocate(ProgRunState *run) {
  u32 col = 0;
  u32 row = 0;
  if (!ProgEvalIntArg(&run->p, run->result, &col, 21)) return 0;
  if (*run->p != ',') return ProgFail(run, kProgErrSyntax);
  ++run->p;
  if (!ProgEvalIntArg(&run->p, run->result, &row, 7)) return 0;
  if (*run->p != ',') return ProgFail(run, kProgErrSyntax);
  ++run->p;
  if (*run->p == '"') {
    ++run->p;
    u8 text[260];
    u32 len = 0;
    if (!CollectText(run, text, &len)) return 0;
    ProgPutText(run->ctx, col, row, text, len);
  } else {
    Value v;
    if (!ProgEvalAt(&run->p, &v, 0x0F00)) {
      *run->result = v;
      return 0;
    }
    if (!ProgIsScalar(&v)) {
      ValFreeTemp(&v);
      return ProgFail(run, kProgErrSyntax);
    }
    char text[kNumTextSize];
    NumToText(&v, text);
    ProgPutText(run->ctx, col, row, reinterpret_cast<const u8 *>(text),
                static_cast<u32>(std::strlen(text)));
  }
  return ProgStatementEnd(run);
}

u32 ProgClear(ProgRunState *run, u32 tok) {
  if (tok == kTokClrText) {
    ProgClearText(run->ctx);
    LcdShowBusyIndicator();
    return ProgStatementEnd(run);
  }
  return ProgClearItems(run, tok) ? ProgStatementEnd(run) : 0;
}

// '?' (after an optional prompt): reads a line and stores what it gives.
// The line of the '?' command, read with the F-key groups of a calculation:
// in Base-N mode SHIFT+VARS only, else OPT, VARS and SHIFT+VARS; ALPHA
// always. The groups and the menu-key mask are put back afterwards.
u32 InputLine(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *line) {
  u16 groups[6];
  FkeySaveGroups(groups);
  const u16 mask = KeyGetMenuMask();
  const bool baseN = SetupGetItem(kSetupMode) != 0;
  FkeyBuildAlphaGroup(1);
  if (baseN) {
    FkeyBuildShiftVarsGroup(3);
    KeySetMenuMask(kInputMenuMaskBaseN);
  } else {
    FkeyBuildOptGroup(3);
    FkeyBuildVarsGroup(1);
    FkeyBuildShiftVarsGroup(1);
    KeySetMenuMask(kInputMenuMask);
  }
  const u32 r = ProgGlueInput(pos, status, ctx, line);
  KeySetMenuMask(mask);
  FkeyRestoreGroups(groups);
  return r;
}

u32 ProgInput(ProgRunState *run, const u8 *prompt, u32 promptLen) {
  if (*run->p != kArrow) return ProgFail(run, kProgErrSyntax);
  ++run->p;
  const u8 *target = run->p;
  if (ProgTokIsEnd(target)) return ProgFail(run, kProgErrSyntax);
  ProgRunContext *ctx = run->ctx;
  u8 line[260] = {};
  Value status{};
  const u8 *pos = line;
  for (;;) {
    // The prompt and '?' on a row; the line is read on the rows after it.
    u8 ask[262];
    std::memcpy(ask, prompt ? prompt : line, promptLen);
    ask[promptLen] = '?';
    ProgPrintText(ctx, ask, promptLen + 1);
    const u32 r = InputLine(&pos, &status, ctx, line);
    KeyBreakArm();
    if (r == 0) {
      *run->result = status;
      return ValErrorCode(&status) ? 0 : ProgFail(run, kProgErrSystem);
    }
    if (r == 1) {
      if (line[0] == 0) return ProgFail(run, kProgErrBreak);
      line[0] = 0;
      status = Value{};
      pos = line;
      ProgClearText(ctx);
      continue;
    }
    if (line[0] == 0) continue;
    if (ProgIsTextTarget(target)) {
      // A text target keeps the typed text as it stands.
      run->p = target;
      if (!ProgStringAssign(run, line, static_cast<u32>(std::strlen(reinterpret_cast<const char *>(line))))) return 0;
      ctx->outputMode = kProgOutDone;
      return ProgStatementEnd(run);
    }
    const u8 *lp = line;
    Value v;
    if (!ProgEvalAt(&lp, &v, 0x0F00) || *lp != 0) {
      if (ValErrorCode(&v) == 0) {
        ValFreeTemp(&v);
        ProgRaise(kProgErrSyntax, &v);
      }
      // The error of the imaginary part when only that part holds one.
      u8 code = ValErrorCode(&v);
      if ((v.re.b[0] & 0xF0) != 0xF0 && ValErrorCode(&v.im)) code = ValErrorCode(&v.im);
      ErrBox(code);
      status = v;
      pos = lp;
      ProgClearText(ctx);
      continue;
    }
    run->p = target;
    if (!ProgAssign(run, &v)) return 0;
    ctx->last = v;
    ctx->outputMode = ProgIsScalar(&v) ? kProgOutValue : kProgOutDone;
    if (!ProgIsScalar(&v)) ValFreeTemp(&v);
    return ProgStatementEnd(run);
  }
}

// A number 1..limit of one or two digits.
bool LinkNumber(const u8 **p, u32 limit) {
  const u8 *q = *p;
  if (*q < '1' || *q > '9') return false;
  u32 n = *q++ - '0';
  if (*q >= '0' && *q <= '9') n = n * 10 + (*q++ - '0');
  if (n > limit) return false;
  *p = q;
  return true;
}

// What Send( and Receive( may name: a variable (A-Z, r, theta, Ans), List n,
// List1-List6, Mat X, and for Receive( a Pict n.
bool LinkTarget(const u8 **p, bool receive) {
  const u8 *q = *p;
  if ((q[0] >= 'A' && q[0] <= 'Z') || q[0] == 0xCD || q[0] == 0xCE || q[0] == 0xC0) {
    ++q;
  } else if (q[0] == 0x7F && q[1] >= 0x6A && q[1] <= 0x6F) {
    q += 2;
  } else if (q[0] == 0x7F && q[1] == 0x51) {
    q += 2;
    if (!LinkNumber(&q, 26)) return false;
  } else if (q[0] == 0x7F && q[1] == 0x40 && q[2] >= 'A' && q[2] <= 'Z') {
    q += 3;
  } else if (receive && q[0] == 0xF7 && q[1] == 0x93) {
    q += 2;
    if (!LinkNumber(&q, 20)) return false;
  } else {
    return false;
  }
  if (*q == ')') ++q;
  if (!ProgTokIsEnd(q)) return false;
  *p = q;
  return true;
}

// Send( and Receive( read their operand before the link is asked, so a
// malformed statement is a Syntax ERROR (or its expression's error); a
// well-formed one finds no link port: Com ERROR.
u32 LinkStatement(ProgRunState *run, bool receive) {
  const u8 *q = run->p;
  if (!LinkTarget(&q, receive)) {
    if (receive) return ProgFail(run, kProgErrSyntax);
    // Send( of an expression: a scalar goes as Ans, a list as List Ans.
    Value v;
    if (!ProgEvalAt(&q, &v, 0x0F00)) {
      run->p = q;
      *run->result = v;
      return 0;
    }
    ValFreeTemp(&v);
    if (*q == ')') ++q;
    run->p = q;
    if (!ProgTokIsEnd(q)) return ProgFail(run, kProgErrSyntax);
  }
  run->p = q;
  return ProgFail(run, kProgErrCom);
}

}  // namespace

// ---- dispatch ----------------------------------------------------------------

namespace {

// Every statement of class cls but the two of a loop's body and end (see
// ProgExecStatement); the colour word is stepped over.
[[gnu::noinline]] u32 ExecStatement(ProgRunState *run, u8 cls) {
  ProgRunContext *ctx = run->ctx;
  switch (cls) {
    case kProgClsExpr:
    case kProgClsRnd: ctx->outputMode = kProgOutValue; break;
    case kProgClsGraph: ctx->outputMode = kProgOutGraph; break;
    case kProgClsNewline:
    case kProgClsIf:
    case kProgClsFor:
    case kProgClsDo:
    case kProgClsWhile:
    case kProgClsReturn:
    case kProgClsLabel:
    case kProgClsCount:
    case kProgClsStop:
    case kProgClsComment:
    case kProgClsEnd: break;
    default: ctx->outputMode = kProgOutDone; break;
  }
  const u32 tok = ProgTokCode(run->p);
  if (cls > 10 && cls != kProgClsNewline && cls != kProgClsEnd && cls != kProgClsMatList) {
    run->p = Next(run->p);
  }
  switch (cls) {
    case kProgClsSetting: {
      const u32 r = ProgSetCommand(run);
      if (!r) return 0;
      return r == kProgSetEndAsNewline ? EndAsNewline(run) : ProgStatementEnd(run);
    }
    case kProgClsExpr: return ExprStatement(run);
    case kProgClsListRef: {
      u32 n = 0;
      // Where the caller shows list results (the calculation document) a
      // bare list is its value, not its sub-name printed.
      if (ctx->keepArrays || !EvalParseListRef(&run->p, &n)) {
        // Not a bare list (List 1[2]+1, List 1×2): an expression whose
        // value is shown like any other.
        ctx->outputMode = kProgOutValue;
        return ExprStatement(run);
      }
      ctx->outputMode = kProgOutNothing;
      if (!ProgPrintListName(run, n)) return 0;
      return ProgStatementEnd(run);
    }
    case kProgClsGraph:
      ctx->screenChanged = 1;
      if (!ProgGlueGraphCommand(&run->p, run->result, ctx)) return 0;
      KeyBreakArm();
      LcdShowBusyIndicator();
      return ProgStatementEnd(run);
    case kProgClsNewline:
    case kProgClsEnd: return ProgStatementEnd(run);
    case kProgClsInput:
      ctx->outputMode = kProgOutValue;
      return ProgInput(run, nullptr, 0);
    case kProgClsMatList:
      if (!ProgGlueMatListCommand(&run->p, run->result)) return 0;
      return ProgStatementEnd(run);
    case kProgClsIf: return ProgIf(run, tok);
    case kProgClsFor: return ProgFor(run, tok);
    case kProgClsDo: return ProgDo(run, tok);
    case kProgClsWhile: return ProgWhile(run, tok);
    case kProgClsBreak: return ProgBreak(run);
    case kProgClsProg: return ProgCall(run);
    case kProgClsReturn: return ProgReturn(run);
    case kProgClsLabel: return ProgGoto(run, tok);
    case kProgClsCount: return ProgJumpCount(run, tok);
    case kProgClsStop: return ProgStop(run);
    case kProgClsText:
      ctx->outputMode = kProgOutNothing;
      return ProgTextStatement(run);
    case kProgClsComment:
      run->p = SkipStatement(run->p);
      if (*run->p == kDispStop) {
        ++run->p;
        return 1;
      }
      return ProgStatementEnd(run);
    case kProgClsLocate:
      ctx->outputMode = kProgOutNothing;
      return ProgLocate(run);
    case kProgClsClear: return ProgClear(run, tok);
    case kProgClsRnd:
      if (!ProgRnd(run)) return 0;
      return ProgStatementEnd(run);
    case kProgClsSend: return LinkStatement(run, false);
    case kProgClsReceive: return LinkStatement(run, true);
    case kProgClsPort:
      // There is no link port.
      return ProgFail(run, kProgErrCom);
    case kProgClsCapture: {
      ctx->outputMode = kProgOutCapture;
      u32 n = 0;
      if (!ProgEvalIntArg(&run->p, run->result, &n, 20)) return 0;
      ctx->captureNumber = n;
      if (!ProgTokIsEnd(run->p)) return ProgFail(run, kProgErrSyntax);
      return ProgStatementEnd(run);
    }
    default:
      if (cls <= 10) run->p = Next(run->p);
      return ProgFail(run, kProgErrSyntax);
  }
}

}  // namespace

u32 ProgExecStatement(ProgRunState *run) {
  if (run->p[0] == 0x7F && run->p[1] >= 0x34 && run->p[1] <= 0x36) run->p += 2;
  const u8 cls = ProgStatementClass(run->p);
  // An expression statement and Next, the statements of a loop, straight to
  // their handlers: what ExecStatement does for them.
  if (cls == kProgClsExpr) {
    run->ctx->outputMode = kProgOutValue;
    return ExprStatement(run);
  }
  if (cls == kProgClsFor && run->p[1] == 0x07) {
    run->p += 2;
    return ProgFor(run, kTokNext);
  }
  // If, Else and IfEnd (all 0xF7 tokens) leave the output mode as it is.
  if (cls == kProgClsIf) {
    const u32 tok = 0xF700u | run->p[1];
    run->p += 2;
    return ProgIf(run, tok);
  }
  return ExecStatement(run, cls);
}

// ---- the run loop ----------------------------------------------------------

namespace {

// Which handle-heap slots hold a block: the run frees only the blocks taken
// after it began, never a caller's.
void HeapMark(bool used[kMemSlotCount]) {
  for (u32 n = 0; n < kMemSlotCount; ++n) used[n] = MemDeref(kMemSlotBase + 4 * n) != nullptr;
}

void HeapRelease(const bool used[kMemSlotCount]) {
  for (u32 n = 0; n < kMemSlotCount; ++n) {
    if (!used[n]) MemFree(kMemSlotBase + 4 * n);
  }
}

}  // namespace

void ProgContextClear(ProgRunContext *ctx) {
  std::memset(ctx, 0, sizeof *ctx);
  ctx->row = 1;
  ctx->outputMode = kProgOutDone;
}

u32 ProgRun(const u8 **text, u32 lineMode, Value *result, ProgRunContext *ctx) {
  TextCursorOff();
  std::memset(result, 0, sizeof *result);
  bool used[kMemSlotCount];
  HeapMark(used);
  ProgRunState run{};
  run.ctx = ctx;
  run.result = result;
  ctx->displayForm = 0;
  ctx->outputMode = kProgOutDone;
  ctx->screenChanged = 0;
  ctx->errorOffset = 0;
  run.shown = false;
  const u8 *orig = *text;
  u32 ok = 1;
  if (lineMode) {
    SetLevelCount(&run, 0);
    const u32 len = ProgTextLen(orig, 0xFFFF);
    ok = OpenLevel(&run, ctx->name, orig, len);
  } else {
    SetLevelCount(&run, 0);
    run.p = orig;
    if (*run.p != 0xED) {
      ok = ProgFail(&run, kProgErrSyntax);
    } else {
      ++run.p;
      ok = ProgCall(&run);
    }
    ctx->row = 1;
  }
  char outer[9] = {};
  std::memcpy(outer, run.levels[0].name, 9);
  if (ok) {
    KeyBreakArm();
    LcdShowBusyIndicator();
    u32 total = 0;
    u32 usedBytes = 0;
    u32 freeBytes = 0;
    McsGetMemoryUse(&total, &usedBytes, &freeBytes);
    if (freeBytes <= kProgMinFree) ok = ProgFail(&run, kProgErrMemory);
  }
  while (ok && !run.stopped) {
    if (*run.p == 0) {
      const u32 wasCount = run.count;
      ok = EndOfText(&run);
      if (wasCount <= 1) break;
      continue;
    }
    ok = ProgExecStatement(&run);
    if (!ok) break;
    KeyBreakArm();
    if (*run.p == 0 && run.count <= 1) continue;
    if (KeyBreakPoll()) ok = ProgFail(&run, kProgErrBreak);
  }
  // Where the run ended, for the error box and the editor.
  if (lineMode) {
    if (!ok && run.count > 0) {
      const ProgLevel *first = &run.levels[0];
      const u8 *p = run.count > 1 ? first->ret : run.p;
      if (p && p >= first->start && p <= first->start + ProgTextLen(first->start, 0xFFFF)) {
        ctx->errorOffset = static_cast<u32>(p - first->start);
        *text = orig + ctx->errorOffset;
      }
    }
  } else if (ok) {
    std::memcpy(ctx->name, outer, 9);
  } else if (run.count > 0) {
    const ProgLevel *lv = ProgCurrentLevel(&run);
    std::memcpy(ctx->name, lv->name, 9);
    if (run.p >= lv->start) ctx->errorOffset = static_cast<u32>(run.p - lv->start);
  }
  UnwindAll(&run);
  ProgRedrawText(ctx);
  if (ctx->screenChanged) {
    TextLocate(1, 8);
    TextPrintField("", 21);
    ctx->screenChanged = 0;
  }
  if (ctx->outputMode >= kProgOutMatrix && ctx->outputMode <= kProgOutPlot) ctx->outputMode = kProgOutDone;
  HeapRelease(used);
  if (!ProgIsScalar(&ctx->last)) {
    EvalArrayHeader h;
    ValGetHeader(&ctx->last, &h);
    h.handle = 0;
    ValSetHeader(&h, &ctx->last);
  }
  return ok;
}
