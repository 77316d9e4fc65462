// Functions with arguments: "Pol(" and "Rec(", and the handlers that wait
// for the numeric algorithms, the spreadsheet and the function memories.
#include "eval/eval_calculus.h"

#include <cstring>

#include "ui/setup.h"

u32 EvalPolRec(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const u8 op = TokByte0(tok);
  EvalCell first, second;
  std::memset(&first, 0, sizeof first);
  std::memset(&second, 0, sizeof second);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &first, area, kEvalScalarArg)) {
    *result = first;
    return 0;
  }
  if (!TokIsComma(tok)) return EvalErrSyntax(result);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &second, area, kEvalScalarArg)) {
    *result = second;
    return 0;
  }
  // The closing bracket may be left out at the end of the text.
  if (TokByte0(tok) == ')') {
    TokNext(tok, pos);
  } else if (!TokEndsOperand(tok)) {
    return EvalErrSyntax(result);
  }
  std::memset(result, 0, sizeof *result);
  return EvalPolRecToken(op, &first, &second, result, SetupGetAngle());
}

namespace {

u32 Waiting(EvalCell *result) { return EvalRaiseError(kEvalErrSystem, result); }

}  // namespace

u32 EvalFnMemCall(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalLogAB(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalRndFix(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalIntegral(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalDerivative(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
u32 EvalSecondDerivative(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
u32 EvalSolve(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalSigma(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalFMinMax(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalSeq(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalPxlTest(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalCellRangeFunc(EvalCell *result, TokPos *, EvalCell *) { return Waiting(result); }
u32 EvalCellIf(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *, u32) { return Waiting(result); }
