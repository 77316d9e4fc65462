// Functions with arguments: "Pol(", "Rec(", "logab(" and "RndFix(", and the
// handlers that wait for the numeric algorithms, the graph screen, the
// spreadsheet and the function memories.
#include "eval/eval_calculus.h"

#include <cstring>

#include "eval/eval_lists.h"
#include "number/valop.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

// ')' ends the argument list when present; the end of the text closes it too.
void CloseArguments(TokPos *pos, EvalCell *tok) {
  if (TokByte0(tok) == ')') TokNext(tok, pos);
}

}  // namespace

u32 EvalPolRec(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const u8 op = TokByte0(tok);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, result, area, kEvalScalarArg)) return 0;
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  // The first value waits on the operand stack while the second is read.
  if (!EvalPushOperand(result, area->operands)) return EvalErrStack(result);
  TokNext(tok, pos);
  EvalCell second;
  std::memset(&second, 0, sizeof second);
  const u32 ok = EvalExpr(pos, tok, &second, area, kEvalScalarArg);
  EvalCell first;
  EvalPopOperand(&first, area->operands);
  if (!ok) {
    *result = second;
    return 0;
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  if (!EvalPolRecToken(op, &first, &second, result, SetupGetAngle())) return 0;
  return EvalNormalizeCell(result);
}

u32 EvalLogAB(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  constexpr u32 kFlags = 0x0B04;
  EvalCell base, value;
  std::memset(&base, 0, sizeof base);
  std::memset(&value, 0, sizeof value);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &base, area, kFlags)) {
    *result = base;
    return 0;
  }
  if (!TokIsComma(tok)) {
    EvalFreeCell(&base);
    return EvalErrSyntax(result);
  }
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &value, area, kFlags)) {
    EvalFreeCell(&base);
    *result = value;
    return 0;
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  ValLogBase(&base, &value, result, SetupGetItem(kSetupComplexMode));
  EvalReleaseUnlessKept(&base, result);
  EvalReleaseUnlessKept(&value, result);
  if (ValErrorCode(result) != 0) return 0;
  return EvalNormalizeCell(result);
}

u32 EvalRndFix(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  EvalCell value;
  std::memset(&value, 0, sizeof value);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &value, area, 0x8F04)) {
    *result = value;
    return 0;
  }
  int digits = 10;
  if (TokIsComma(tok)) {
    TokNext(tok, pos);
    EvalCell n;
    std::memset(&n, 0, sizeof n);
    if (!EvalExpr(pos, tok, &n, area, kEvalScalarArg)) {
      EvalFreeCell(&value);
      *result = n;
      return 0;
    }
    // 0, or a number from 1 to below 10, taken as its integer part.
    const bool zero = n.re.b[0] == 0 && n.re.b[1] == 0;
    if (!zero && (n.re.b[0] != 0x10 || (n.re.b[1] & 0xF0) != 0)) {
      EvalFreeCell(&value);
      return EvalErrArgument(result);
    }
    digits = zero ? 0 : (n.re.b[1] & 0x0F);
  }
  CloseArguments(pos, tok);
  std::memset(result, 0, sizeof *result);
  ValRound(&value, result, digits);
  EvalReleaseUnlessKept(&value, result);
  return ValErrorCode(result) == 0;
}

namespace {

u32 Waiting(EvalCell *result) { return EvalRaiseError(kEvalErrSystem, result); }

}  // namespace

u32 EvalFnMemCall(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalIntegral(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalDerivative(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
u32 EvalSecondDerivative(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
u32 EvalSolve(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalSigma(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  return EvalSeqArguments(result, pos, tok, area, 1);
}
u32 EvalFMinMax(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalSeq(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  return EvalSeqArguments(result, pos, tok, area, 0);
}
u32 EvalPxlTest(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalCellRangeFunc(EvalCell *result, TokPos *, EvalCell *) { return Waiting(result); }
u32 EvalCellIf(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
