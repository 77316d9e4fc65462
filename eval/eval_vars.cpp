// Variables and system value tokens.
#include <cstring>

#include "eval/eval.h"
#include "eval/eval_glue.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

u32 EvalReadVariable(u8 code, EvalCell *out) {
  SysReadVariable(code, out);
  const u8 mode = SetupGetItem(kSetupMode);
  if (mode != 0 && ValErrorCode(out) == 0) {
    if (out->re.b[0] & 0x80) return EvalErrMa(out);
    return EvalBaseNResult(out, out, mode);
  }
  return ValErrorCode(out) == 0;
}

namespace {

// Bits of SET UP byte 74 while a graph function is evaluated: which free
// variables it may name.
constexpr u8 kAllowX = 0x01;
constexpr u8 kAllowTheta = 0x04;
constexpr u8 kAllowT = 0x08;

bool Forbidden(u8 allowBit) {
  const u8 r = SetupGetByte(kSetupGraphVars) & 0x1F;
  if (r == 0) return false;
  return allowBit == 0 || (r & allowBit) == 0;
}

// A cell reference of the spreadsheet after its column letter: '$' and a row
// of one to three digits, the first 1-9.
u32 CellValue(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 column) {
  if (TokByte0(tok) == '$') TokNext(tok, pos);
  if (!TokIsDigit1to9(tok)) return EvalErrSyntax(result);
  u32 row = 0;
  for (int i = 0; i < 3 && TokIsDigit(tok); ++i) {
    row = row * 10 + (TokByte0(tok) - '0');
    TokNext(tok, pos);
  }
  Value v;
  std::memset(&v, 0, sizeof v);
  const u8 code = EvalGlueSheetCell(column, row, &v);
  if (code == 0) {
    *result = v;
    return 1;
  }
  if (code != 32) return EvalErrorCodeInto(result, code);
  const bool whole = TokByte0(tok) == kTokEnd && area->operands->count == 0 && area->operators->count == 0 &&
                     area->returns->count == 0;
  if (whole) {
    RealMakeError(32, &result->re);
    return 1;
  }
  RealMakeError(31, &result->re);
  return 0;
}

u32 Letter(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const u8 letter = TokByte0(tok);
  // A cell reference (A1, A$1) only where a digit or '$' follows the letter;
  // the spreadsheet is asked only then.
  const u8 follow = **pos;
  if (((follow >= '1' && follow <= '9') || follow == '$') && EvalGlueSheetRunning()) {
    const TokPos start = *pos;
    const EvalCell startTok = *tok;
    TokNext(tok, pos);
    if (TokIsDigit1to9(tok)) return CellValue(result, pos, tok, area, letter - 'A' + 1);
    if (TokByte0(tok) == '$') {
      TokNext(tok, pos);
      if (TokIsDigit1to9(tok)) return CellValue(result, pos, tok, area, letter - 'A' + 1);
    }
    *pos = start;
    *tok = startTok;
  }
  if (!EvalReadVariable(letter, result)) return 0;
  TokNext(tok, pos);
  return 1;
}

}  // namespace

u32 EvalErrorCodeInto(EvalCell *cell, u8 code) {
  RealMakeError(code, &cell->re);
  return 0;
}

u32 EvalVariable(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  return Letter(result, pos, tok, area);
}

u32 EvalVarX(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  if (Forbidden(kAllowX)) return EvalErrSyntax(result);
  return Letter(result, pos, tok, area);
}

u32 EvalVarY(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  if (Forbidden(0)) return EvalErrSyntax(result);
  return Letter(result, pos, tok, area);
}

u32 EvalVarT(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  if (Forbidden(kAllowT)) return EvalErrSyntax(result);
  return Letter(result, pos, tok, area);
}

u32 EvalVarTheta(EvalCell *result) {
  if (Forbidden(kAllowTheta)) return EvalErrSyntax(result);
  return EvalReadVariable(kVarTheta, result);
}

u32 EvalVarR(EvalCell *result) {
  if (Forbidden(0)) return EvalErrSyntax(result);
  return EvalReadVariable(kVarR, result);
}

u32 EvalSheetAbsCell(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  if (!EvalGlueSheetRunning()) return EvalErrSyntax(result);
  TokNext(tok, pos);
  if (!TokIsLetter(tok)) return EvalErrSyntax(result);
  const u32 column = TokByte0(tok) - 'A' + 1;
  TokNext(tok, pos);
  return CellValue(result, pos, tok, area, column);
}

u32 EvalAns(EvalCell *result) {
  if (SetupGetByte(kSetupEvalFlags) & 8) {
    const u8 code = EvalGlueDocLastAns(result);
    if (code != 0) return EvalErrorCodeInto(result, code);
    return ValErrorCode(result) == 0;
  }
  return EvalReadVariable(kVarAns, result);
}

u32 EvalPi(EvalCell *result) {
  std::memset(result, 0, sizeof *result);
  RealSetPi(&result->re);
  return 1;
}

u32 EvalImagUnit(EvalCell *result) {
  std::memset(result, 0, sizeof *result);
  RealSetOne(&result->im);
  result->re.b[0] |= 0x80;
  return 1;
}

u32 EvalGetkey(EvalCell *result) {
  std::memset(result, 0, sizeof *result);
  ShellSleep(50);
  i32 column = 0, row = 0;
  if (!HostTakeNewestKey(&column, &row)) return 1;
  if (column == 1 && row == 1) return EvalErrBreak(result);
  NumFromInt32(10 * column + row - 1, &result->re);
  return 1;
}

namespace {

// Statistics result numbers by token.
u32 StatNumber(const EvalCell *tok) {
  const u8 b0 = TokByte0(tok);
  if (b0 == 0x7F) {
    const u8 s = TokByte1(tok);
    switch (s) {
      case 0x1D: return 19;
      case 0x1E: return 20;
      case 0x1F: return 21;
      case 0xD6: return 23;
      case 0x76: return 24;
      case 0x77: return 26;
      case 0x97: return 28;
      case 0x98: return 29;
      case 0xDD: return 36;
      default:
        if (s >= 0x78 && s <= 0x7D) return 30 + (s - 0x78);
        return 0;
    }
  }
  switch (b0) {
    case 0xAF: return 1;
    case 0xC2: return 2;
    case 0x9F: return 3;
    case 0x8F: return 4;
    case 0xC4: return 5;
    case 0xC5: return 6;
    case 0xAE: return 7;
    case 0xBE: return 8;
    case 0xC3: return 9;
    case 0xCF: return 10;
    case 0xBF: return 11;
    case 0xC6: return 12;
    case 0xC7: return 13;
    case 0xAD: return 14;
    case 0xBD: return 15;
    case 0xDF: return 16;
    case 0xC8: return 17;
    case 0xC9: return 18;
    case 0xCA: return 22;
    case 0x9E: return 25;
    default: return 0;
  }
}

// A real from a seam: 0 ok, else the code raised.
u32 FromSeam(EvalCell *result, u8 code) {
  if (code != 0) return EvalErrorCodeInto(result, code);
  std::memset(&result->im, 0, sizeof result->im);
  return ValErrorCode(result) == 0;
}

}  // namespace

u32 EvalGetStatVar(EvalCell *result, EvalCell *tok) {
  const u32 n = StatNumber(tok);
  if (n == 0) return EvalErrSystem(result);
  std::memset(result, 0, sizeof *result);
  const i32 r = EvalGlueStatValue(n, &result->re);
  if (r == -2) return EvalErrMemory(result);
  return FromSeam(result, static_cast<u8>(r));
}

u32 EvalStatModes(EvalCell *result) {
  const u8 code = EvalGlueStatModes(result);
  if (code != 0) return EvalErrorCodeInto(result, code);
  return 1;
}

u32 EvalVwinValue(EvalCell *result, EvalCell *tok) {
  u32 index;
  if (TokByte0(tok) == 0xF9) {
    index = 3;
  } else {
    const u8 s = TokByte1(tok);
    index = s <= 0x06 ? s : s - 1u;
  }
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueVwinValue(0, index, &result->re));
}

u32 EvalRightVwinValue(EvalCell *result, EvalCell *tok) {
  u32 index;
  if (TokByte0(tok) == 0xF9) {
    index = 10;
  } else {
    const u8 s = static_cast<u8>(TokByte1(tok) - 0x10);
    index = s <= 0x06 ? s : s - 1u;
  }
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueVwinValue(1, index, &result->re));
}

u32 EvalZoomFactor(EvalCell *result, EvalCell *tok) {
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueZoomFactor(TokByte1(tok) == 0x0C, &result->re));
}

u32 EvalDynaValue(EvalCell *result, EvalCell *tok) {
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueDynaValue(TokByte1(tok) - 0x0D, &result->re));
}

u32 EvalTableRange(EvalCell *result, EvalCell *tok) {
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueTableRange(TokByte1(tok) - 0x91, &result->re));
}

namespace {

u32 RecurId(const EvalCell *tok) {
  const u8 s = TokByte1(tok);
  if (TokByte0(tok) == 0xF9) {
    switch (s) {
      case 0x12: return 0x116;
      case 0x13: return 0x117;
      case 0x15: return 5;
      case 0x16: return 8;
      case 0x17: return 11;
      case 0x18: return 14;
      default: return 0;
    }
  }
  switch (s) {
    case 0x95: return 1;
    case 0x96: return 2;
    case 0xA4: return 3;
    case 0xA5: return 6;
    case 0xA6: return 9;
    case 0xAA: return 4;
    case 0xAB: return 7;
    case 0xAC: return 10;
    case 0xAD: return 12;
    case 0xAE: return 13;
    case 0xA0: return 0x110;
    case 0xA1: return 0x111;
    case 0xA3: return 0x119;
    case 0xA7: return 0x113;
    case 0xA8: return 0x114;
    default: return 0;
  }
}

}  // namespace

u32 EvalRecurValue(EvalCell *result, EvalCell *tok, u32 flags) {
  const u32 id = RecurId(tok);
  if (id == 0) return EvalErrSystem(result);
  if (id >= 0x100 && !(flags & kEvalRecurTerms)) return EvalErrSyntax(result);
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueRecurValue(id, &result->re));
}

u32 EvalEquaMatrix(EvalCell *result, EvalCell *tok) {
  u32 number;
  switch (TokByte1(tok)) {
    case 0x60: number = 32; break;  // Sim Coef
    case 0x61: number = 30; break;  // Ply Coef
    case 0x62: number = 33; break;  // Sim Result
    case 0x63: number = 31; break;  // Ply Result
    case 0x90: number = 35; break;  // F Result
    default: number = 36; break;    // R Result
  }
  const u8 code = EvalGlueEquaMatrix(number, result);
  if (code != 0) return EvalErrorCodeInto(result, code);
  return 1;
}

u32 EvalFinValue(EvalCell *result, EvalCell *tok) {
  const u8 s = TokByte1(tok);
  const u32 offset = s >= 0x64 && s <= 0x68 ? 12u * (s - 0x64) : (s == 0xCC ? 60u : 72u);
  std::memset(result, 0, sizeof *result);
  return FromSeam(result, EvalGlueFinValue(offset, &result->re));
}
