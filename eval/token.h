// Token text and the one reader that walks it.
//
// Formulas and program lines are token text: one byte a token, or two bytes
// after a lead byte (0x7F, 0xF7, 0xF9 token groups; 0xE5-0xE7 two-byte
// characters, read like tokens). The text ends at the byte 0x00.
//
// The reader keeps the current token in bytes 0-1 of a token cell (a 24-byte
// EvalCell) and a text position: the address of the next unread byte. Once
// the cell holds the end token 0x00 it stays there.
#pragma once
#include "eval/token_len.h"
#include "kernel/types.h"
#include "number/real.h"

// The evaluator's 24-byte cell: a token in bytes 0-1, or a Value.
using EvalCell = Value;
// A text position: the address of the next unread byte of token text.
using TokPos = const u8 *;

// Structural and operator tokens the evaluator names.
enum CalcTokenByte : u8 {
  kTokEnd = 0x00,
  kTokDisplayStop = 0x0C,
  kTokNewline = 0x0D,
  kTokAssign = 0x0E,
  kTokExpMark = 0x0F,
  kTokLessEqual = 0x10,
  kTokNotEqual = 0x11,
  kTokGreaterEqual = 0x12,
  kTokJump = 0x13,
  kTokFnSeparator = 0xF6,
  kTokLead7F = 0x7F,
  kTokLeadF7 = 0xF7,
  kTokLeadF9 = 0xF9,
  kTokPol = 0x80,
  kTokAdd = 0x89,
  kTokSub = 0x99,
  kTokMul = 0xA9,
  kTokDiv = 0xB9,
  kTokPow = 0xA8,
  kTokXRoot = 0xB8,
  kTokNegSign = 0x87,
  kTokDms = 0x8C,
  kTokIntegral = 0x8D,
  kTokRec = 0xA0,
  kTokFracBar = 0xBB,
  kTokAns = 0xC0,
  kTokPi = 0xD0,
  kTokImplicitValue = 0xF8,    // implicit multiplication before a value
  kTokImplicitBracket = 0xFA,  // implicit multiplication before a bracket or function
};

// Bytes 0-1 of a token cell.
inline u8 TokByte0(const EvalCell *tok) { return tok->re.b[0]; }
inline u8 TokByte1(const EvalCell *tok) { return tok->re.b[1]; }
// 1 when the cell holds the two-byte token lead, second.
inline int TokIs2(const EvalCell *tok, u8 lead, u8 second) {
  return tok->re.b[0] == lead && tok->re.b[1] == second;
}

// Reads the next token into the cell and advances the position; returns the
// new position. A token is as long as TokLenAt says: a character lead byte
// directly before the end byte is read alone, so the position never passes
// the end of the text.
TokPos TokNext(EvalCell *tok, TokPos *pos);
// The step-back readers look up to two bytes behind the position: a text
// read directly with them carries two bytes before its first token (the
// evaluator's entry points read from such a copy).
//
// The token that ends just before the position, into the cell; the position
// stays.
void TokReread(EvalCell *tok, const TokPos *pos);
// Moves the position back over the token that ends there, which the cell
// then holds.
void TokStepBackRaw(EvalCell *tok, TokPos *pos);
// Unreads the current token: the next TokNext gives it again. Nothing for
// the end token.
void TokBack(EvalCell *tok, TokPos *pos);
// At the start of an operand: skips '+' tokens; a '-' token becomes the
// negation sign 0x87 in the cell.
void TokSkipSigns(EvalCell *tok, TokPos *pos);

// Token classes: 1 or 0.
int TokIsLetter(const EvalCell *tok);
int TokIsExtraVar(const EvalCell *tok);
int TokIsFnMem(const EvalCell *tok);
int TokIsHexLetter(const EvalCell *tok);
int TokIsDigit(const EvalCell *tok);
int TokIsDigit1to9(const EvalCell *tok);
int TokIsDecimalChar(const EvalCell *tok);
int TokIsBaseNDigit(const EvalCell *tok);
int TokIsNumberChar(const EvalCell *tok);
int TokIsBaseNPrefix(const EvalCell *tok);
int TokIsStatSumVar(const EvalCell *tok);
int TokIsStatRangeVar(const EvalCell *tok);
int TokIsValueToken(const EvalCell *tok);
int TokIsOperand7F(const EvalCell *tok);
int TokIsMat(const EvalCell *tok);
int TokIsList(const EvalCell *tok);
int TokIsListName(const EvalCell *tok);
int TokIsRowCommand(const EvalCell *tok);
int TokIsRelation(const EvalCell *tok);
int TokIsCloseBracket(const EvalCell *tok);
int TokIsOpenBracket(const EvalCell *tok);
int TokIsBracketFunction(const EvalCell *tok);
int TokIsStatementEnd(const EvalCell *tok);
int TokIsListSeparator(const EvalCell *tok);
int TokIsComma(const EvalCell *tok);
// Whether a token directly after a complete operand starts a further operand
// multiplied in; when it does, byte 0 becomes the mark 0xF8 or 0xFA that
// gives the product its priority (byte 1 keeps the token's second byte, so
// TokReread gets the real token back).
int TokMarkImplicitMul(EvalCell *tok);

// ---- the classes of the one-byte tokens, looked up inline ----
//
// The evaluator asks for the classes of every token it reads: for the one-
// byte tokens they depend on the byte alone (apart from the relations, which
// end an operand by a SET UP bit, and the number characters, which depend on
// the mode) and are looked up in a table the program fills as it starts; the
// two-byte tokens and those exceptions go to the out-of-line forms.
enum TokClassBit : u8 {
  kTokClsEnds = 1,
  kTokClsRelation = 2,
  kTokClsStarts = 4,
  kTokClsPrefix = 8,
  kTokClsInfix = 16,
  kTokClsFollows = 32,
};
struct TokClassTable {
  u8 bits[256];
  bool ready;
};
extern TokClassTable g_tokClasses;
TokClassTable TokBuildClasses();
u8 TokClassesFilled(u8 t);
int TokEndsOperandSlow(const EvalCell *tok);
int TokStartsOperandSlow(const EvalCell *tok);
int TokIsPrefixOpLead(const EvalCell *tok);
int TokIsInfixOpLead(const EvalCell *tok);
int TokCanFollowOperandLead(const EvalCell *tok);

inline u8 TokOneByteClasses(u8 t) {
  if (!g_tokClasses.ready) [[unlikely]]
    return TokClassesFilled(t);
  return g_tokClasses.bits[t];
}

inline int TokEndsOperand(const EvalCell *tok) {
  const u8 t = tok->re.b[0];
  if (!TokIsLeadByte(t) && !(TokOneByteClasses(t) & kTokClsRelation)) return TokOneByteClasses(t) & kTokClsEnds ? 1 : 0;
  return TokEndsOperandSlow(tok);
}
inline int TokStartsOperand(const EvalCell *tok) {
  const u8 t = tok->re.b[0];
  if (!TokIsLeadByte(t) && (TokOneByteClasses(t) & kTokClsStarts)) return 1;
  return TokStartsOperandSlow(tok);
}
inline int TokIsPrefixOp(const EvalCell *tok) {
  const u8 t = tok->re.b[0];
  return TokIsLeadByte(t) ? TokIsPrefixOpLead(tok) : (TokOneByteClasses(t) & kTokClsPrefix ? 1 : 0);
}
inline int TokIsInfixOp(const EvalCell *tok) {
  const u8 t = tok->re.b[0];
  return TokIsLeadByte(t) ? TokIsInfixOpLead(tok) : (TokOneByteClasses(t) & kTokClsInfix ? 1 : 0);
}
inline int TokCanFollowOperand(const EvalCell *tok) {
  const u8 t = tok->re.b[0];
  return TokIsLeadByte(t) ? TokCanFollowOperandLead(tok) : (TokOneByteClasses(t) & kTokClsFollows ? 1 : 0);
}
inline int TokFollowsOperand(EvalCell *tok) {
  const u8 t = tok->re.b[0];
  if (t == '.' || t == kTokExpMark || (t >= '0' && t <= '9')) return 0;
  if (TokCanFollowOperand(tok) || TokIsInfixOp(tok) || TokEndsOperand(tok)) return 1;
  return TokMarkImplicitMul(tok);
}
inline int TokFollowsBracket(EvalCell *tok) {
  if (TokCanFollowOperand(tok)) return 0;
  if (TokIsInfixOp(tok) || TokEndsOperand(tok)) return 1;
  return TokMarkImplicitMul(tok);
}
