// Shared inside the program interpreter: the run state, the block stack and
// the helpers the statement files use.
#pragma once
#include "eval/prog.h"
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/bcd.h"
#include "number/real.h"
#include "number/value.h"

// Error codes the interpreter raises.
enum ProgError : u32 {
  kProgErrBreak = 1,
  kProgErrSyntax = 2,
  kProgErrMa = 3,
  kProgErrMemory = 4,
  kProgErrGo = 5,
  kProgErrNesting = 6,
  kProgErrArgument = 8,
  kProgErrDimension = 9,
  kProgErrCom = 10,
  kProgErrSystem = 23,
  kProgErrRange = 28,
};

// Kinds of open blocks.
enum ProgBlockKind : u32 {
  kProgBlockNone = 0,
  kProgBlockIf = 1,
  kProgBlockFor = 2,
  kProgBlockDo = 3,
  kProgBlockWhile = 4,
};

// The innermost open block of a level; the enclosing ones are saved in
// handle-heap blocks chained through `saved`.
struct ProgBlock {
  u32 kind;               // ProgBlockKind
  const u8 *loopStart;    // For, Do: first statement of the body; While: the condition
  u32 word;               // If: 1 once its Else was passed; For: the variable
  BcdReal forEnd;
  BcdReal forStep;
  i32 forUp;              // For: the step's direction (1 up, 0 down)
  // For: the end and the step unpacked once, when both are plain numbers
  // (forWorkReady), for the addition and the test of each Next.
  BcdWork forEndWork;
  BcdWork forStepWork;
  u32 forWorkReady;
  MemHandle saved;        // the enclosing block, 0 at the outermost
};

// What a Goto's scan found for one label of a level: where the label's
// statement begins and the kinds of the blocks open there, outermost first
// (labels inside more than 12 blocks are scanned for each time).
struct ProgLabelCache {
  u32 target;  // offset in the level's text; 0 not found yet
  u8 depth;
  u8 kinds[12];
};
inline constexpr u32 kProgLabelCount = 38;  // 0-9, A-Z, r, theta

// Where a scan for a block's closer (ScanForCloser) that started at a place
// of a level's text ended. The text is the level's own copy, so a result
// holds while the level is open; a new level starts with none.
struct ProgCloserCache {
  u32 from;   // offset of the scan's start plus 1; 0 for an unused entry
  u32 found;  // offset of the token found plus 1; 0 when the text ended
  u16 open, close, alt;
};
inline constexpr u32 kProgCloserCacheSize = 8;

// One program level: the outer program or run line, and each called program.
struct ProgLevel {
  const u8 *start;   // the level's text (a copy in `text`)
  const u8 *ret;     // where this level's Prog statement ended
  char name[9];
  u8 depth;          // open blocks of this level
  ProgBlock block;   // the innermost one
  MemHandle text;    // the handle-heap copy of the text
  MemHandle spare;   // a block-saving heap block kept from the last closed block, 0 none
  // The enclosing block saved by the last opening, kept here until a further
  // opening writes it into its heap block `heldFor` (the innermost block's
  // `saved`), 0 none: an If opened and closed on every pass of a loop moves
  // no block through the heap.
  MemHandle heldFor;
  ProgBlock held;
  ProgLabelCache labels[kProgLabelCount];  // the Goto targets found in the copy
  ProgCloserCache closers[kProgCloserCacheSize];  // If, Else and IfEnd scans
};

struct ProgRunState {
  ProgLevel levels[kProgMaxLevels];
  u32 count;  // open levels (also SET UP byte 71)
  ProgRunContext *ctx;
  Value *result;
  const u8 *p;  // the current token
  bool stopped;
  bool shown;  // the outer level's result was shown at its end
};

// Working forms of numbers the interpreter made itself, keyed by their
// stored bytes 0-8, which are all RealUnpack reads: read back from a
// variable, such a number is unpacked without its checks. One entry holds
// the last loop value made by Next, one the last value of a short
// expression. An entry is a pure function of its key, so nothing ever
// makes it stale; each thread keeps its own.
struct ProgWorkMemo {
  struct Entry {
    u64 lo;  // stored bytes 0-7
    u64 hi;  // stored byte 8, with 0x100 set once the entry is used
    BcdWork w;
  } e[2];
};
extern constinit thread_local ProgWorkMemo g_progWorkMemo;
inline constexpr u32 kProgMemoNext = 0;
inline constexpr u32 kProgMemoShort = 1;

// RealUnpackPlain of x, from the memo when x was made here.
inline bool ProgUnpackPlain(const BcdReal *x, BcdWork *w) {
  u64 lo;
  __builtin_memcpy(&lo, x->b, 8);
  const u64 hi = x->b[8] | 0x100u;
  const ProgWorkMemo::Entry *e = g_progWorkMemo.e;
  if (((e[0].lo ^ lo) | (e[0].hi ^ hi)) == 0) {
    *w = e[0].w;
    return true;
  }
  if (((e[1].lo ^ lo) | (e[1].hi ^ hi)) == 0) {
    *w = e[1].w;
    return true;
  }
  return RealUnpackPlain(x, w);
}

// RealPackPlain into a stored real whose bytes are all zero: bytes 0-8 as
// RealPackPlain writes them (bytes 9-11 stay zero), set with one 8-byte and
// one 4-byte store. A number packed here is read back as words at once (the
// memo's key, the copy into a cell or a variable), and words read over bytes
// stored one by one wait for those stores to reach the cache first.
inline bool ProgPackPlain(const BcdWork *src, BcdReal *dst) {
  u8 b0;
  u64 v;
  if (!RealPlainStoredWords(src, &b0, &v)) return false;
  const u64 first = u64{b0} | v << 8;
  const u32 last = static_cast<u32>(v >> 56);
  __builtin_memcpy(dst->b, &first, 8);
  __builtin_memcpy(dst->b + 8, &last, 4);
  return true;
}

// The real value of the stored real r (the imaginary part zero; with
// asResult, as the value layer makes a value of a real result: byte 0's
// complex flag and the unused bytes 9-11 cleared) into *out, as one 16-byte and one
// 8-byte store: a value is copied on (into a variable, a cell, Ans) by
// 16-byte and 8-byte reads, which take stored words only when each read
// lies inside one store.
inline void ProgRealValue(const BcdReal *r, Value *out, bool asResult) {
  typedef u64 Words __attribute__((vector_size(16)));
  static_assert(sizeof(Value) == 24);
  u64 first;
  u32 last;
  __builtin_memcpy(&first, r->b, 8);
  __builtin_memcpy(&last, r->b + 8, 4);
  if (asResult) {
    first &= ~u64{0x80};
    last &= 0xFF;
  }
  const Words head = {first, u64{last}};
  const u64 tail = 0;
  __builtin_memcpy(out, &head, 16);
  __builtin_memcpy(reinterpret_cast<u8 *>(out) + 16, &tail, 8);
}

// Eight packed decimal digits as a binary number.
inline u32 ProgDigits8Value(u32 x) {
  x = (x & 0x0F0F0F0Fu) + ((x >> 4) & 0x0F0F0F0Fu) * 10;
  x = (x & 0x00FF00FFu) + ((x >> 8) & 0x00FF00FFu) * 100;
  return (x & 0xFFFFu) + (x >> 16) * 10000;
}

// A relation (token = != < > <= >=) between two nonzero numbers in working
// form with exponents from -100 to 99, decided from their signs, exponents
// and digits when their difference lies well above the subtraction's
// cancellation limit (below it two numbers compare equal): *a becomes the
// relation's 1 or 0, as the relation's digit operation makes it. False,
// with nothing changed, for any other pair, which that operation decides.
inline bool ProgDecideRelation(u8 op, BcdWork *a, const BcdWork *b) {
  u64 da, db;
  __builtin_memcpy(&da, a->b, 8);
  __builtin_memcpy(&db, b->b, 8);
  da = __builtin_bswap64(da);
  db = __builtin_bswap64(db);
  // Numbers (kind nibble 0) with a first digit, bytes 8-9 zero.
  if (static_cast<u8>((da >> 56) - 1) >= 9 || static_cast<u8>((db >> 56) - 1) >= 9) return false;
  if ((a->b[8] | a->b[9] | b->b[8] | b->b[9]) != 0) return false;
  const u32 ha = a->b[10], hb = b->b[10];
  const bool na = ha >= 0x50, nb = hb >= 0x50;
  const u32 ma = na ? ha - 0x50 : ha, mb = nb ? hb - 0x50 : hb;
  if ((ma != 0x09 && ma != 0x10) || (mb != 0x09 && mb != 0x10)) return false;
  int order;  // the sign of a - b
  if (na != nb) {
    order = na ? -1 : 1;
  } else {
    const u32 la = a->b[11], lb = b->b[11];
    const int ea = (ma == 0x10 ? 0 : -100) + static_cast<int>((la >> 4) * 10 + (la & 0x0F));
    const int eb = (mb == 0x10 ? 0 : -100) + static_cast<int>((lb >> 4) * 10 + (lb & 0x0F));
    // The first eight digits of each (digits 1-8 below the kind nibble).
    const u32 va = ProgDigits8Value(static_cast<u32>(da >> 28)), vb = ProgDigits8Value(static_cast<u32>(db >> 28));
    const bool aLarger = ea != eb ? ea > eb : va > vb;
    const int d = aLarger ? ea - eb : eb - ea;
    if (d <= 1) {
      // With L and S the larger and smaller number's fifteen digits (L
      // shifted by d), the subtraction makes L - S zero below 10^(2 + d);
      // L - S is at least 10^7 (Lh - Sh - 1) from their first eight digits
      // Lh (times 10^d) and Sh. Closer pairs are left to the subtraction.
      const u32 large = aLarger ? va : vb, small = aLarger ? vb : va;
      if ((d == 1 ? u64{large} * 10 : u64{large}) < u64{small} + 2) return false;
    }
    order = aLarger != na ? 1 : -1;
  }
  bool truth;
  switch (op) {
    case '=': truth = false; break;
    case 0x11: truth = true; break;
    case '<':
    case 0x10: truth = order < 0; break;
    case '>':
    case 0x12: truth = order > 0; break;
    default: return false;
  }
  if (truth) {
    BcdOne(a);
  } else {
    BcdZero(a);
  }
  return true;
}

// Keeps w as the working form of the stored x in the memo's entry `slot`
// (w must be what RealUnpack gives for x).
inline void ProgKeepWork(u32 slot, const BcdReal *x, const BcdWork *w) {
  ProgWorkMemo::Entry &e = g_progWorkMemo.e[slot];
  __builtin_memcpy(&e.lo, x->b, 8);
  e.hi = x->b[8] | 0x100u;
  e.w = *w;
}

// Shorthand for raising inside a run.
inline u32 ProgFail(ProgRunState *run, u32 code) { return ProgRaise(code, run->result); }

// The level in use (the first one while none or one is open).
ProgLevel *ProgCurrentLevel(ProgRunState *run);

// Evaluates the expression at *p with EvalArgument's flags (0x0F00 for a whole
// expression); *p ends on the token after it. 1, or 0 with the error in out.
u32 ProgEvalAt(const u8 **p, Value *out, u32 flags);
// A real argument (fractions kept): 1, or 0 with the error in out (a list or
// matrix gives Syntax ERROR, a complex value Ma ERROR when refuse_complex).
u32 ProgEvalReal(const u8 **p, Value *out, bool refuse_complex);

// Processes the statement end at run->p (the token that ends the statement
// just run).
u32 ProgStatementEnd(ProgRunState *run);
// Runs one statement at run->p, its end included.
u32 ProgExecStatement(ProgRunState *run);

// The store after an assignment arrow, the target at run->p: 1, or 0 with
// the error raised. The value's temporary block stays the caller's.
u32 ProgAssign(ProgRunState *run, Value *v);
// A text into a list sub-name (the target at run->p).
u32 ProgStringAssign(ProgRunState *run, const u8 *text, u32 len);
// Whether the target at p takes a typed text as it stands (a list's
// sub-name List n[0], a function memory, a graph function, a recursion
// formula) rather than the value of an expression.
bool ProgIsTextTarget(const u8 *p);
// Stores a statement's value as Ans (a list as List Ans, a matrix as Mat
// Ans), keeps it as the context's last value and frees a temporary block.
void ProgStoreAns(ProgRunContext *ctx, Value *v);
// ClrList and ClrMat (the token consumed, its operand at run->p).
u32 ProgClearItems(ProgRunState *run, u32 tok);
// Prints the sub-name of list n as a text line.
u32 ProgPrintListName(ProgRunState *run, u32 n);
// Whether a value is a scalar (not a list or matrix header).
inline bool ProgIsScalar(const Value *v) {
  const int kind = ValKind(v);
  return kind != kValKindList && kind != kValKindMatrix;
}

// Setting commands (class 1) and Rnd (class 55). ProgSetCommand gives 0
// (error raised), 1, or kProgSetEndAsNewline when a following display-stop
// is to be taken as a newline (a statistics result already shown).
inline constexpr u32 kProgSetEndAsNewline = 3;
u32 ProgSetCommand(ProgRunState *run);
u32 ProgRnd(ProgRunState *run);
// A changed graph display: the graph screen's record of what it drew and
// the statistics result lists are forgotten.
void ProgDropMarks();
// Lists changed: a recorded graph mode becomes 11 and the statistics result
// lists are forgotten.
void ProgListsChanged();
// "ViewWindow" values and "Factor" (run->p after the command).
u32 ProgViewWindow(ProgRunState *run);
u32 ProgFactor(ProgRunState *run);
// "StoV-Win" n and "RclV-Win" n: the V-Window memories "VMEM"1-6.
u32 ProgStoreVwinMem(ProgRunState *run);
u32 ProgRecallVwinMem(ProgRunState *run);
// "StoGMEM" n and "RclGMEM" n: the graph memories "GMEM"1-20 of "@GRAPH".
u32 ProgStoreGmem(ProgRunState *run);
u32 ProgRecallGmem(ProgRunState *run);

// Text output on the run screen.
void ProgRedrawText(ProgRunContext *ctx);
// The row the next line goes to (scrolling the text copy when full).
u32 ProgNextRow(ProgRunContext *ctx);
// Puts a text on text row `row` (1-7) from `column` (1-21), up to column 21.
void ProgPutText(ProgRunContext *ctx, u32 column, u32 row, const u8 *text, u32 len);
// Prints a text from the current row, wrapping at 21 columns; a newline or
// display-stop inside starts a new row.
void ProgPrintText(ProgRunContext *ctx, const u8 *text, u32 len);
void ProgClearText(ProgRunContext *ctx);

// The neighbours the interpreter reaches through its seam (eval/prog_glue.cpp).
// The line input of the "?" command: 2 after EXE, 1 after AC, 0 on failure
// with the error in status.
u32 ProgGlueInput(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *text);
// Graph and sketch commands (class 3) and the list and matrix commands
// (class 16): 1 done with *p past the command, 0 with the error in result.
u32 ProgGlueGraphCommand(const u8 **p, Value *result, ProgRunContext *ctx);
u32 ProgGlueMatListCommand(const u8 **p, Value *result);
// Shows the result of output modes 3-9 (list, matrix, graph, capture,
// tables) and gives the key that left it in *key: 0, or an error code.
u32 ProgGlueShowResult(ProgRunContext *ctx, u32 *key);
// At "- Disp -": the graph drawn so far on the graph screen (*key its first
// key, 0 for none; on return the key that left it), and the View Window
// screen. ShowGraph gives 0 or an error code.
u32 ProgGlueShowGraph(u32 *key);
void ProgGlueVwinScreen();
// A value into a system variable or recursion term (*p at the target), and
// a text into a function memory, graph function or recursion formula: 1 with
// *p past the target, 0 with the error in result.
u32 ProgGlueAssignSystem(const u8 **p, const Value *v, Value *result);
u32 ProgGlueAssignText(const u8 **p, const u8 *text, u32 len, Value *result);
// "D Var": the moving coefficient (1..26) of the dynamic graph. 0 or 4.
u32 ProgGlueSetDynaVar(u16 var);
// The statistics calculation commands ("1-Variable", "LinearReg" ...; code
// the second byte of the 0xF7 token, run->p after it): 0 error raised, 1
// done (a following display-stop is taken as a newline), 2 done (a
// following display-stop stays).
u32 ProgStatCommand(ProgRunState *run, u8 code);
// "S-Gph1".."S-Gph3" (code 0x4A-0x4C, the token already read): the draw
// flag, type, lists, frequency and mark of that StatGraph into "G_CND".
u32 ProgSetStatGraph(ProgRunState *run, u8 code);
// A list operand: List1-List6, or List followed by a number 1..26 (else
// Argument ERROR): 1 with *out and run->p past it, or 0 with the error raised.
u32 ProgReadListOperand(ProgRunState *run, u32 *out);
