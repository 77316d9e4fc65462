// List and matrix operands: each gives System ERROR (23) until the list and
// matrix engines are part of the system.
#include "eval/eval_lists.h"

#include "number/real.h"

namespace {

u32 Waiting(EvalCell *result) { return EvalRaiseError(kEvalErrSystem, result); }

Value *WaitingValue(Value *out) {
  RealMakeError(kEvalErrSystem, &out->re);
  return out;
}

}  // namespace

u32 EvalListLiteral(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalMatLiteral(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalListName(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalMatName(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalDeltaList(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalAugment(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalListToMat(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalMatToList(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }
u32 EvalListStatFunc(EvalCell *result, TokPos *, EvalCell *, EvalStackArea *) { return Waiting(result); }

Value *MatDetToken(const Value *, Value *out) { return WaitingValue(out); }
Value *MatTransposeToken(const Value *, Value *out) { return WaitingValue(out); }
Value *MatDimToken(const Value *, Value *out) { return WaitingValue(out); }
Value *MatIdentityToken(const Value *, Value *out) { return WaitingValue(out); }
Value *ListSumToken(const Value *, Value *out) { return WaitingValue(out); }
Value *ListProdToken(const Value *, Value *out) { return WaitingValue(out); }
Value *ListPercentToken(const Value *, Value *out) { return WaitingValue(out); }
Value *ListCumlToken(const Value *, Value *out) { return WaitingValue(out); }

u32 EvalArrayToDecimal(EvalCell *cell) { return Waiting(cell); }
