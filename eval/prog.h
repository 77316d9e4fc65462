// The program interpreter: runs token text statement by statement, a line
// typed on the run screen (line mode) or a stored program started by a Prog
// statement (program mode), with the control structures, nested program
// calls, assignments, text output and the setting commands.
//
// Text positions are pointers to the start of the current token. The
// interpreter never runs from the bytes of a program item itself: every
// program (and the run line) is copied into a handle-heap block when its
// level opens, so a statement that creates, deletes or resizes items cannot
// move the text under a running program.
//
// Calculator thread only.
#pragma once
#include "eval/token_len.h"
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/real.h"

// What the run leaves to show (ProgRunContext::outputMode).
enum ProgOutputMode : u32 {
  kProgOutValue = 0,    // the value as a number
  kProgOutDone = 1,     // "Done"
  kProgOutNothing = 2,  // text already printed
  kProgOutMatrix = 3,
  kProgOutList = 4,
  kProgOutGraph = 5,
  kProgOutPlot = 6,
  kProgOutCapture = 7,
  kProgOutFTable = 8,
  kProgOutRTable = 9,
};

inline constexpr u32 kProgTextRows = 7;
inline constexpr u32 kProgRowBytes = 42;
inline constexpr u32 kProgMaxLevels = 11;

// The run context, owned by the caller of ProgRun.
struct ProgRunContext {
  // Rows 1-7 of the run screen: up to 21 characters of one or two bytes each,
  // zero bytes after the last character.
  u8 text[kProgTextRows][kProgRowBytes];
  u32 row;             // next output row 1..8 (8: scroll first, use row 7)
  char name[9];        // the program the run ended in ("" for a run line)
  u32 outputMode;      // ProgOutputMode
  u32 displayForm;     // 0, or 1-7 the conversion ending the statement
  u32 screenChanged;   // 1 after a full-screen display
  u32 captureNumber;   // operand of RclCapt
  u32 errorOffset;     // byte offset of the failing statement in that text
  Value last;          // the value of the last expression statement
  u32 keepArrays;      // 1: a list or matrix result opens no viewer (the caller shows it)
};

// A blank run screen: text rows empty, row 1, nothing to show.
void ProgContextClear(ProgRunContext *ctx);

// Runs the text at *text (complete tokens, then a zero byte; a run line that
// ends in the If token 0xF7 0x00 carries its own zero byte after it): line
// mode 1 runs it as a run-screen line, line mode
// 0 expects a Prog statement naming a stored program (Prog "NAME") and runs
// that program. Returns non-zero on success; on failure `result` holds the
// error value (its code in byte 1), ctx->name the program the error arose in
// (empty for the run line) and ctx->errorOffset the offset of the error in
// that program's text; in line mode *text then points at the error in the
// caller's text. The value of the last expression statement is in ctx->last.
// Every handle-heap block taken during the run is freed before it returns;
// blocks that were allocated before the run are left alone.
u32 ProgRun(const u8 **text, u32 lineMode, Value *result, ProgRunContext *ctx);

// Statement classes (ProgStmtClass) of the token at p.
enum ProgStmtClass : u8 {
  kProgClsNone = 0,
  kProgClsSetting = 1,
  kProgClsExpr = 2,
  kProgClsGraph = 3,
  kProgClsListRef = 4,
  kProgClsNewline = 11,
  kProgClsSeparator = 12,
  kProgClsAssignArrow = 13,
  kProgClsJumpArrow = 14,
  kProgClsInput = 15,
  kProgClsMatList = 16,
  kProgClsIf = 21,
  kProgClsFor = 22,
  kProgClsDo = 23,
  kProgClsWhile = 24,
  kProgClsBreak = 25,
  kProgClsProg = 26,
  kProgClsReturn = 27,
  kProgClsLabel = 29,
  kProgClsCount = 31,
  kProgClsStop = 50,
  kProgClsText = 51,
  kProgClsComment = 52,
  kProgClsLocate = 53,
  kProgClsClear = 54,
  kProgClsRnd = 55,
  kProgClsSend = 56,
  kProgClsReceive = 57,
  kProgClsPort = 58,
  kProgClsCapture = 59,
  kProgClsEnd = 99,
};

// The four class tables: one-byte tokens, and the second bytes of the 0x7F,
// 0xF7 and 0xF9 tokens (0xF9 0x00-0x3F only).
struct ProgClassTables {
  u8 one[256];
  u8 x7f[256];
  u8 xf7[256];
  u8 xf9[64];
};
extern const ProgClassTables g_progClassTables;

// The class of a one-byte token or of the second byte of a 0x7F, 0xF7 or 0xF9
// token (lead 0 for one-byte tokens).
inline u8 ProgTokenClass(u8 lead, u8 code) {
  const ProgClassTables &t = g_progClassTables;
  switch (lead) {
    case 0: return t.one[code];
    case 0x7F: return t.x7f[code];
    case 0xF7: return t.xf7[code];
    case 0xF9: return code < sizeof t.xf9 ? t.xf9[code] : u8{kProgClsNone};
    default: return kProgClsNone;
  }
}
// The class of the token at p (a leading colour word 0x7F 0x34-0x36 is
// stepped over first).
inline u8 ProgStatementClass(const u8 *p) {
  if (p[0] == 0x7F && p[1] >= 0x34 && p[1] <= 0x36) p += 2;
  const u8 c = p[0];
  // A group lead byte always takes its second byte (TokLenAt).
  if (c == 0x7F || c == 0xF7 || c == 0xF9) return ProgTokenClass(c, p[1]);
  if (c == 0xE5 || c == 0xE6 || c == 0xE7) return kProgClsNone;
  return g_progClassTables.one[c];
}

// Token helpers over token text.
// Length of the token at p (TokLenAt): 0 at the end of the text, 2 after a
// token group's lead byte (0xF7 0x00 is "If", 0x7F 0x00 "Xmin").
inline u32 ProgTokLen(const u8 *p) { return TokLenAt(p); }
// Bytes of token text up to its end token, counted token by token (at most
// limit bytes).
inline u32 ProgTextLen(const u8 *p, u32 limit) {
  u32 n = 0;
  while (n < limit && p[n] != 0) n += ProgTokLen(p + n);
  return n < limit ? n : limit;
}
// The token at p as one code: lead x 256 + second byte, or the byte.
inline u32 ProgTokCode(const u8 *p) {
  return ProgTokLen(p) == 2 ? (u32(p[0]) << 8 | p[1]) : p[0];
}
inline bool ProgTokIsEnd(const u8 *p) {
  const u8 c = *p;
  return c == ':' || c == 0x0D || c == 0x0C || c == 0;
}

// Evaluates a real argument at *p and turns it into an integer 1..limit; any
// other value gives Argument ERROR (8) in `result`, an evaluation error its
// own code (Break stays Break). *p is left on the token after the argument.
u32 ProgEvalIntArg(const u8 **p, Value *result, u32 *out, u32 limit);

// A whole-list reference standing alone up to the statement end: List n
// (n 1..26, or Ans for 0) or List1-List6, optionally followed by "[]" or
// "[0]". 1 with *number and *p moved past it, else 0 and *p unchanged.
u32 EvalParseListRef(const u8 **p, u32 *number);

// The store of an assignment arrow that ends a formula (EvalFormula): *pos
// points just after the arrow; on success the value is stored into the target
// written there, and tok and *pos are left on the token after it, as the
// token reader leaves them. 1, or 0 with the error value in `value`.
u32 ProgAssignAt(const u8 **pos, Value *tok, Value *value);

// Writes the error value of code into result (freeing a temporary list or
// matrix it held) and returns 0.
u32 ProgRaise(u32 code, Value *result);
