// The token reader and the token classes.
#include "eval/token.h"

#include "ui/setup.h"

TokPos TokNext(EvalCell *tok, TokPos *pos) {
  u8 *t = tok->re.b;
  if (t[0] == kTokEnd) return *pos;
  const u8 *p = *pos;
  t[0] = *p;
  if (t[0] == kTokEnd) return p;
  if (TokIsLeadByte(t[0])) {
    t[1] = p[1];
    // A character lead byte cut off by the end of the text is read alone:
    // the position stays on the end byte. A token group's second byte may
    // be 0 (Xmin is 0x7F 0x00).
    if (t[1] == kTokEnd && !TokIsGroupLead(t[0])) {
      *pos = p + 1;
      return *pos;
    }
    ++p;
  }
  *pos = p + 1;
  return *pos;
}

void TokReread(EvalCell *tok, const TokPos *pos) {
  const u8 *p = *pos;
  tok->re.b[0] = p[-2];
  tok->re.b[1] = p[-1];
  if (!TokIsLeadByte(tok->re.b[0])) tok->re.b[0] = tok->re.b[1];
}

void TokStepBackRaw(EvalCell *tok, TokPos *pos) {
  const u8 *p = *pos - 1;
  tok->re.b[1] = *p;
  --p;
  tok->re.b[0] = *p;
  if (!TokIsLeadByte(tok->re.b[0])) {
    ++p;
    tok->re.b[0] = tok->re.b[1];
  }
  *pos = p;
}

void TokBack(EvalCell *tok, TokPos *pos) {
  if (tok->re.b[0] == kTokEnd) return;
  TokStepBackRaw(tok, pos);
  TokReread(tok, pos);
}

void TokSkipSigns(EvalCell *tok, TokPos *pos) {
  for (;;) {
    const u8 t = tok->re.b[0];
    if (t == kTokAdd) {
      TokNext(tok, pos);
      continue;
    }
    if (t == kTokSub) tok->re.b[0] = kTokNegSign;
    return;
  }
}

// ---- classes ----

int TokIsLetter(const EvalCell *tok) { return TokByte0(tok) >= 'A' && TokByte0(tok) <= 'Z'; }
int TokIsExtraVar(const EvalCell *tok) { return TokByte0(tok) == 0xCD || TokByte0(tok) == 0xCE; }
int TokIsFnMem(const EvalCell *tok) { return TokByte0(tok) >= 0x14 && TokByte0(tok) <= 0x19; }
int TokIsHexLetter(const EvalCell *tok) { return TokByte0(tok) >= 0x1A && TokByte0(tok) <= 0x1F; }
int TokIsDigit(const EvalCell *tok) { return TokByte0(tok) >= '0' && TokByte0(tok) <= '9'; }
int TokIsDigit1to9(const EvalCell *tok) { return TokByte0(tok) >= '1' && TokByte0(tok) <= '9'; }

int TokIsDecimalChar(const EvalCell *tok) {
  return TokByte0(tok) == '.' || TokByte0(tok) == kTokExpMark || TokIsDigit(tok);
}

int TokIsBaseNDigit(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  switch (SetupGetItem(kSetupMode)) {
    case 1:
      return t == '0' || t == '1';
    case 7:
      return t >= '0' && t <= '7';
    case 9:
      return TokIsDigit(tok);
    default:
      return TokIsDigit(tok) || TokIsHexLetter(tok);
  }
}

int TokIsNumberChar(const EvalCell *tok) {
  return SetupGetItem(kSetupMode) != 0 ? TokIsBaseNDigit(tok) : TokIsDecimalChar(tok);
}

int TokIsBaseNPrefix(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t == 0x84 || t == 0x94 || t == 0xA4 || t == 0xB4;
}

int TokIsStatSumVar(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t >= 0x8F && t <= 0xDF && (t & 0x0F) == 0x0F;
}

int TokIsStatRangeVar(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t == 0xAD || t == 0xBD || t == 0xAE || t == 0xBE || t == 0x8E || t == 0x9E;
}

int TokIsValueToken(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == kTokPi || (t >= 0xC0 && t <= 0xCA)) return 1;
  return TokIs2(tok, 0x7F, 0x50);
}

int TokIsOperand7F(const EvalCell *tok) {
  if (TokByte0(tok) != 0x7F) return 0;
  const u8 s = TokByte1(tok);
  if (s <= 0x1F) return !(s == 0x03 || s == 0x07 || s == 0x13 || s == 0x17 || s == 0x1B || s == 0x1C);
  if (s == 0x20) return 1;
  if (s >= 0x2C && s <= 0x3F) return 1;
  if (s == 0x40 || s == 0x4A || s == 0x4B) return 1;
  if (s >= 0x50 && s <= 0x53) return 1;
  if (s >= 0x60 && s <= 0x68) return 1;
  if (s >= 0x6A && s <= 0x6F) return 1;
  if (s >= 0x76 && s <= 0x7D) return 1;
  if (s == 0x8F) return 1;
  if (s >= 0x90 && s <= 0x98) return 1;
  if (s >= 0xA0 && s <= 0xAE) return 1;
  if (s >= 0xC0 && s <= 0xCD) return 1;
  if (s >= 0xD0 && s <= 0xDD) return 1;
  return s >= 0xE0 && s <= 0xF4;
}

int TokIsMat(const EvalCell *tok) { return TokIs2(tok, 0x7F, 0x40); }
int TokIsList(const EvalCell *tok) { return TokIs2(tok, 0x7F, 0x51); }

int TokIsListName(const EvalCell *tok) {
  return TokByte0(tok) == 0x7F && (TokByte1(tok) == 0x51 || (TokByte1(tok) >= 0x6A && TokByte1(tok) <= 0x6F));
}

int TokIsRowCommand(const EvalCell *tok) {
  return TokByte0(tok) == 0x7F && TokByte1(tok) >= 0x42 && TokByte1(tok) <= 0x45;
}

int TokIsRelation(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return (t >= 0x10 && t <= 0x12) || (t >= 0x3C && t <= 0x3E);
}

int TokIsCloseBracket(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t == ')' || t == ']' || t == '}';
}

int TokIsOpenBracket(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t == '(' || (t >= 0xFB && t <= 0xFE);
}

int TokIsBracketFunction(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == kTokPol || t == kTokIntegral || t == kTokRec) return 1;
  if (t == 0xF7) return TokByte1(tok) == 0xAF;
  if (t != 0x7F) return 0;
  const u8 s = TokByte1(tok);
  return s == 0x49 || s == 0x4B || s == 0x85 || s == 0x86 || (s >= 0x26 && s <= 0x2C) ||
         (s >= 0xE9 && s <= 0xEF);
}

int TokIsStatementEnd(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  return t == ':' || t == kTokNewline || t == kTokDisplayStop || t == kTokEnd;
}

int TokIsListSeparator(const EvalCell *tok) { return TokByte0(tok) == ';' || TokByte0(tok) == ','; }
int TokIsComma(const EvalCell *tok) { return TokByte0(tok) == ','; }

// The classes below are looked up in a table for the one-byte tokens (they
// depend on the byte alone there); the two-byte tokens and the parts that
// depend on SET UP are decided by these forms, which also fill the table.
namespace {

// TokEndsOperand without the relations (which end an operand only while bit
// 1 of the evaluator byte is set).
int EndsOperandFixed(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == kTokAssign) return 1;
  if (TokIsStatementEnd(tok) || TokIsListSeparator(tok) || TokIsRowCommand(tok)) return 1;
  if (t == kTokJump || t == kTokFnSeparator) return 1;
  if (TokIs2(tok, 0xF7, 0x06)) return 1;
  return t == 0xF9 && TokByte1(tok) >= 0x01 && TokByte1(tok) <= 0x07;
}

// The 0xF9 tokens that are operands: sequence terms and the two dot widths.
static int IsF9Operand(u8 s) {
  return s == 0x12 || s == 0x13 || (s >= 0x15 && s <= 0x18) || s == 0x1B || s == 0x21 || s == 0x22;
}

// TokStartsOperand without the number characters (which depend on the mode).
int StartsOperandFixed(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == 0xF9) return IsF9Operand(TokByte1(tok));
  if (t == '$' || t == '{' || t == '[') return 1;
  if (TokIsOperand7F(tok) || TokIsFnMem(tok) || TokIsExtraVar(tok) || TokIsBaseNPrefix(tok)) return 1;
  if (TokIsLetter(tok) || TokIsStatSumVar(tok) || TokIsStatRangeVar(tok) || TokIsValueToken(tok)) return 1;
  return TokIsMat(tok) || TokIsList(tok) || TokIsBracketFunction(tok);
}

int PrefixOp(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == 0x7F) {
    const u8 s = TokByte1(tok);
    return (s >= 0x21 && s <= 0x25) || s == 0xB3 || s == 0x41 || s == 0x46 || s == 0x48 ||
           (s >= 0x4C && s <= 0x4F);
  }
  if (TokIsLeadByte(t)) return 0;
  if (t >= 0xFB && t <= 0xFE) return 1;
  if (t == 0xDE || t == '(') return 1;
  const u8 lo = t & 0x0F;
  return t >= 0x81 && t <= 0xB7 && lo >= 1 && lo <= 7;
}

int InfixOp(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == kTokFracBar || TokIsRelation(tok)) return 1;
  if (t == 0x7F) {
    const u8 s = TokByte1(tok);
    return s == 0x54 || s == 0xB0 || s == 0xB1;
  }
  if (t == kTokImplicitValue || t == kTokImplicitBracket) return 1;
  const u8 lo = t & 0x0F;
  return t >= 0x88 && t <= 0xBA && lo >= 0x8 && lo <= 0xA;
}

int CanFollowOperand(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (t == kTokFracBar || t == kTokEnd) return 0;
  if (TokIsCloseBracket(tok) || t < 0x0C) return 1;
  if (t == 0xCB || t == 0xCC) return 1;
  const u8 lo = t & 0x0F;
  return t >= 0x8B && t <= 0xBC && (lo == 0x0B || lo == 0x0C);
}

}  // namespace

TokClassTable g_tokClasses = TokBuildClasses();

TokClassTable TokBuildClasses() {
  TokClassTable c{};
  for (int t = 0; t < 256; ++t) {
    const u8 b = static_cast<u8>(t);
    if (TokIsLeadByte(b)) continue;
    EvalCell tok{};
    tok.re.b[0] = b;
    c.bits[t] = static_cast<u8>((EndsOperandFixed(&tok) ? kTokClsEnds : 0) | (TokIsRelation(&tok) ? kTokClsRelation : 0) |
                                (StartsOperandFixed(&tok) ? kTokClsStarts : 0) | (PrefixOp(&tok) ? kTokClsPrefix : 0) |
                                (InfixOp(&tok) ? kTokClsInfix : 0) | (CanFollowOperand(&tok) ? kTokClsFollows : 0));
  }
  c.ready = true;
  return c;
}

u8 TokClassesFilled(u8 t) {
  // Asked before the program's static start-up filled the table.
  if (!g_tokClasses.ready) g_tokClasses = TokBuildClasses();
  return g_tokClasses.bits[t];
}

int TokEndsOperandSlow(const EvalCell *tok) {
  const u8 t = TokByte0(tok);
  if (TokIsLeadByte(t)) return EndsOperandFixed(tok);
  // A relation ends an operand only while bit 1 of the evaluator byte is set.
  return (SetupGetByte(kSetupEvalFlags) & 2) || (TokOneByteClasses(t) & kTokClsEnds) ? 1 : 0;
}

int TokStartsOperandSlow(const EvalCell *tok) {
  if (TokIsLeadByte(TokByte0(tok)) && StartsOperandFixed(tok)) return 1;
  return TokIsNumberChar(tok);
}

int TokIsPrefixOpLead(const EvalCell *tok) { return PrefixOp(tok); }
int TokIsInfixOpLead(const EvalCell *tok) { return InfixOp(tok); }
int TokCanFollowOperandLead(const EvalCell *tok) { return CanFollowOperand(tok); }

int TokMarkImplicitMul(EvalCell *tok) {
  const u8 t = TokByte0(tok);
  u8 mark = 0;
  if (t == 0xF9) {
    if (!IsF9Operand(TokByte1(tok))) return 0;
    mark = kTokImplicitValue;
  } else if (t == 0x7F && (TokByte1(tok) == 0x20 || (TokByte1(tok) >= 0x2C && TokByte1(tok) <= 0x2F))) {
    mark = kTokImplicitBracket;
  } else if (t == '{' || t == '[') {
    mark = kTokImplicitBracket;
  } else if (t == '$' || TokIsExtraVar(tok) || TokIsFnMem(tok) || TokIsLetter(tok) || TokIsOperand7F(tok) ||
             TokIsMat(tok) || TokIsStatSumVar(tok) || TokIsStatRangeVar(tok) || TokIsValueToken(tok)) {
    mark = kTokImplicitValue;
  } else if (t == kTokNegSign) {
    return 0;
  } else if (TokIsBracketFunction(tok) || TokIsPrefixOp(tok) || TokIsBaseNPrefix(tok)) {
    mark = kTokImplicitBracket;
  } else {
    return 0;
  }
  tok->re.b[0] = mark;
  return 1;
}


