// The expression evaluator: token text to one Value under the calculator's
// operator priorities, implicit multiplication and error codes.
//
// EvalExpr is an operator-precedence evaluator over explicit stacks: an
// operand stack, an operator stack and a return stack (text positions of
// function-memory calls), gathered in a stack area. Handlers of operand
// tokens are found through a 1024-row dispatch table (eval/eval_table.h).
// Handlers that take arguments call EvalExpr again on the same stack area, so
// one area serves a whole nested evaluation. Applications and the program
// interpreter enter through EvalWholeExpr, EvalArgument and EvalFormula,
// which own a fresh area.
//
// Every entry point and handler returns non-zero on success, or 0 with the
// error value (byte 0 0xF0, byte 1 the CalcErrorCode) in its result cell.
// Calculator thread only.
#pragma once
#include "eval/token.h"
#include "kernel/types.h"
#include "number/real.h"

// ---- the stack area ----

constexpr int kEvalOperandMax = 10;   // entries of 12 bytes
constexpr int kEvalOperatorMax = 26;  // token bytes
constexpr int kEvalReturnMax = 10;    // saved text positions

// Operands: a real or the first half of a cell takes one 12-byte entry; a
// cell whose byte 0 has bit 7 set (complex, complex list or matrix header,
// error value) takes two, the second marked by bit 7 of its first byte.
struct EvalOperandStack {
  u8 count;
  u8 pad[3];
  BcdReal entry[kEvalOperandMax];
};

// Operators and markers, one byte each; a two-byte token is pushed second
// byte first, so its lead byte is on top.
struct EvalOperatorStack {
  u8 count;
  u8 bytes[kEvalOperatorMax];
};

// Text positions to return to after the text of a function memory.
struct EvalReturnStack {
  u8 count;
  TokPos pos[kEvalReturnMax];
};

struct EvalStackArea {
  EvalOperandStack *operands;
  EvalOperatorStack *operators;
  EvalReturnStack *returns;
};

// Markers on the operator stack besides operators, '(' and bracket functions.
constexpr u8 kEvalArgMarker = 0x20;
constexpr u8 kEvalCalcMarker = 0x8D;
constexpr u8 kEvalFnMemMarker = 0x80;

// ---- the flag word of EvalExpr ----

enum EvalFlag : u32 {
  kEvalArgPlain1 = 0x0001,      // plain argument: push the argument marker
  kEvalArgPlain2 = 0x0002,
  kEvalArgCalculus = 0x0004,    // calculus argument: push the calculus marker
  kEvalArgPlain8 = 0x0008,
  kEvalNoMatrix10 = 0x0010,     // '[' and "Mat" may not start an operand
  kEvalNoMatrix20 = 0x0020,
  kEvalNoMatrix40 = 0x0040,
  kEvalRecurTerms = 0x0080,     // recursion terms may be read
  kEvalAcceptScalar = 0x0100,
  kEvalAcceptList = 0x0200,
  kEvalAcceptMatrix = 0x0400,
  kEvalAcceptComplex = 0x0800,
  kEvalFnMemArg = 0x2000,       // function-memory argument: push its marker
  kEvalOpenBracket = 0x4000,    // EvalArgument: push '(' first
  kEvalFracToDecimal = 0x8000,  // fractions of the result become decimals
  kEvalAnyResult = 0x0F00,      // masked with 0xFF00: no result test
};

// Flag words the callers use.
constexpr u32 kEvalWhole = 0x0F00;
constexpr u32 kEvalScalarArg = 0x8104;

// ---- entry points ----

// Evaluates the expression at the current token. On success the result cell
// holds the value and the token cell the first token after the expression.
u32 EvalExpr(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 flags);
// EvalExpr with flags 0x0F00 on a fresh stack area; arms break detection.
// prime: read the first token from the text first. Text that lies in the
// item store is evaluated from a copy, so items that move during the
// evaluation cannot invalidate it; the position given back is the matching
// place in the caller's text.
u32 EvalWholeExpr(TokPos *pos, EvalCell *tok, EvalCell *result, u32 prime);
// The same with the caller's flags; 0x4000 pushes an opening '(' first.
u32 EvalArgument(TokPos *pos, EvalCell *tok, EvalCell *result, u32 prime, u32 flags);

// One formula for an application's editor. mode 2, 3, 5: a list or matrix
// result is Syntax ERROR; mode 3 refuses a complex result (Ma ERROR) and
// stores a plain result as Ans; modes 3 and 5 hand a trailing assignment
// arrow to the interpreter's assignment; mode 5 turns a fraction into a
// decimal. Text left after the formula is Syntax ERROR. On failure *pos is
// where evaluation stopped.
u32 EvalFormula(TokPos *pos, u32 mode, EvalCell *result);

// ---- stack primitives ----

// 0 when the stack is full (the count is unchanged).
u32 EvalPushOperand(const EvalCell *cell, EvalOperandStack *stack);
// Pops the top item into out (bytes 12-23 zero for a one-entry item); 0 when
// the stack is empty.
u32 EvalPopOperand(EvalCell *out, EvalOperandStack *stack);
// Pushes the cell's token (two bytes for a lead byte); 0 when full.
u32 EvalPushOperator(const EvalCell *tok, EvalOperatorStack *stack);
// Pops the top token into bytes 0-1 of out; 0 when empty or when the
// argument marker was popped (it is consumed).
u32 EvalPopOperator(EvalOperatorStack *stack, EvalCell *out);
u32 EvalPushReturn(TokPos pos, EvalReturnStack *stack);
u32 EvalPopReturn(EvalReturnStack *stack, TokPos *out);
// Releases the list or matrix payload of every operand above `keep` entries.
void EvalReleaseOperands(EvalOperandStack *stack, u32 keep = 0);
// 1 when the new operator goes on top of the stack, 0 when the top operator
// must be applied first.
u32 EvalTakesPrecedence(const EvalCell *op, const EvalOperatorStack *stack);
// Priority of an operator token (smaller binds tighter; 15 brackets).
u32 EvalOpPriority(u8 b0, u8 b1);

// ---- operator reduction (the core's appliers) ----

// The right cell receives the result.
u32 EvalApplyBinary(EvalCell *left, const EvalCell *op, EvalCell *right);
// The cell is replaced by the result ('(' leaves it unchanged).
u32 EvalApplyUnary(EvalCell *cell, const EvalCell *op);
u32 EvalApplyFractionBar(EvalCell *left, EvalCell *right, EvalStackArea *area, u32 flags);
u32 EvalIsScalar(EvalCell *cell);
u32 EvalIsRealScalar(EvalCell *cell);
u32 EvalTakeAbsolute(EvalCell *cell);
u32 EvalNegateCell(EvalCell *cell);
u32 EvalNormalizeCell(EvalCell *cell);

// ---- operator application by token ----

u32 EvalBinaryToken(const u8 *op, const Value *left, const Value *right, Value *result, u16 angle,
                    u32 allowComplex);
u32 EvalUnaryToken(const u8 *op, const Value *x, Value *result, u16 angle, u32 allowComplex);
u32 EvalPostfixToken(const u8 *op, const Value *x, Value *result, u16 angle, u32 allowComplex);
u32 EvalPolRecToken(u8 op, const Value *first, const Value *second, Value *result, u16 angle);
// A value as a Base-N integer of the mode's width (fractions first become
// decimals); lists, matrices, complex values and values out of range give
// Ma ERROR. Returns 1 unless the result is an error value.
u32 EvalBaseNOperand(const Value *in, Value *out, u8 mode);
// The value checked against the mode's range (-32768..32767 for mode 1,
// else 32 bits) and cut to its integer part; outside: Ma ERROR.
u32 EvalBaseNResult(const Value *in, Value *out, u8 mode);

// ---- cells, element access, argument tests ----

void EvalMakeListHeader(EvalCell *cell, u32 handle, u16 count, u32 isReal);
void EvalMakeMatHeader(EvalCell *cell, u32 handle, u16 rows, u16 cols, u32 isReal);
void EvalSetListHeader(u8 kind, u16 count, u32 handle, EvalCell *cell);
void EvalSetMatHeader(u8 kind, u16 rows, u16 cols, u32 handle, EvalCell *cell);
BcdReal *EvalSetMinusOne(BcdReal *dst);
BcdReal *EvalSetMaxReal(BcdReal *dst);
BcdReal *EvalSetMinReal(BcdReal *dst);
BcdReal *EvalSetSixty(BcdReal *dst);
BcdReal *EvalSetThirtySixHundred(BcdReal *dst);
// True for a cell that heads a list or matrix (kind byte 0x2x/0x3x, with or
// without the complex bit), false for scalars and error values.
inline bool EvalIsArrayCell(const EvalCell *cell) {
  return cell->re.b[0] != 0xF0 && (cell->re.b[0] & 0x60) == 0x20;
}
// Releases the heap block of a list or matrix cell and clears the handle in
// the cell, so a second release does nothing; blocks of stored items stay.
void EvalFreeCell(EvalCell *cell);
void EvalFreeBlock(u32 handle);
// Releases an operand's list or matrix block unless the result holds the
// same block (an engine that reused it); an operation's result is a block of
// its own otherwise.
void EvalReleaseUnlessKept(EvalCell *operand, const EvalCell *result);
// Element n (from 1) of a list, element (row, column) of a matrix. An index
// outside 1..count gives 0 and leaves out unchanged (callers that append one
// element rely on that; the others raise Dimension ERROR themselves).
u32 EvalGetListElement(u32 n, const EvalCell *list, EvalCell *out);
u32 EvalGetMatElement(u32 row, u32 col, const EvalCell *mat, EvalCell *out);
// 3 integer, 5 fraction, 0 with a fractional part.
u32 EvalIntegerTest(const BcdReal *x);
// An integer 1..9999 not above limit into *out: 1; else Argument ERROR, 0.
u32 EvalIntArg(EvalCell *cell, u16 *out, u16 limit);

// ---- error raisers: write the error value, return 0 ----

u32 EvalErrBreak(EvalCell *cell);
u32 EvalErrSyntax(EvalCell *cell);
u32 EvalErrMa(EvalCell *cell);
u32 EvalErrMemory(EvalCell *cell);
u32 EvalErrStack(EvalCell *cell);
u32 EvalErrArgument(EvalCell *cell);
u32 EvalErrDimension(EvalCell *cell);
u32 EvalErrSystem(EvalCell *cell);
u32 EvalErrTimeOut(EvalCell *cell);
// Writes the error value with the code (nothing is released); returns 0.
u32 EvalErrorCodeInto(EvalCell *cell, u8 code);
// Frees the cell's list or matrix payload, then writes the error value.
u32 EvalRaiseError(u8 code, EvalCell *cell);

// Error codes the evaluator raises.
enum EvalErrorCode : u8 {
  kEvalErrBreak = 1,
  kEvalErrSyntax = 2,
  kEvalErrMa = 3,
  kEvalErrMemory = 4,
  kEvalErrStack = 7,
  kEvalErrArgument = 8,
  kEvalErrDimension = 9,
  kEvalErrNonReal = 17,
  kEvalErrSystem = 23,
  kEvalErrTimeOut = 29,
};

// ---- number literals and engineering suffixes ----

u32 EvalNumberLiteral(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalBinLiteral(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalDecLiteral(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalHexLiteral(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalOctLiteral(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalParseDecimal(TokPos *pos, EvalCell *tok, EvalCell *result);
u32 EvalParseBaseN(TokPos *pos, EvalCell *tok, EvalCell *result, u8 radix);
u32 EvalBcdWordAdd(BcdReal *x, u16 word);
u32 EvalBcdWordSub(BcdReal *x, u16 word);
u32 EvalExpIncrement(BcdReal *x);
u32 EvalExpDecrement(BcdReal *x);
BcdReal *EvalRealFromInt32(i32 n, BcdReal *out);
u32 EvalApplySuffix(EvalCell *cell, u8 suffix);
u32 EvalScaleReal(BcdReal *x, u16 shift, u8 suffix);

// ---- variables and system values ----

u32 EvalReadVariable(u8 code, EvalCell *out);
u32 EvalVariable(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalVarX(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalVarY(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalVarT(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalVarTheta(EvalCell *result);
u32 EvalVarR(EvalCell *result);
u32 EvalSheetAbsCell(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalAns(EvalCell *result);
u32 EvalPi(EvalCell *result);
u32 EvalImagUnit(EvalCell *result);
u32 EvalGetkey(EvalCell *result);
u32 EvalGetStatVar(EvalCell *result, EvalCell *tok);
u32 EvalStatModes(EvalCell *result);
u32 EvalVwinValue(EvalCell *result, EvalCell *tok);
u32 EvalRightVwinValue(EvalCell *result, EvalCell *tok);
u32 EvalZoomFactor(EvalCell *result, EvalCell *tok);
u32 EvalDynaValue(EvalCell *result, EvalCell *tok);
u32 EvalTableRange(EvalCell *result, EvalCell *tok);
u32 EvalRecurValue(EvalCell *result, EvalCell *tok, u32 flags);
u32 EvalEquaMatrix(EvalCell *result, EvalCell *tok);
u32 EvalFinValue(EvalCell *result, EvalCell *tok);

// ---- functions with arguments ----

// "Pol(" and "Rec(": two arguments, then ')'.
u32 EvalPolRec(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
