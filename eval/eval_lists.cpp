// List and matrix operands: each gives System ERROR (23) until the list and
// matrix engines are part of the system.
#include "eval/eval_lists.h"

#include "number/real.h"

namespace {

u32 Waiting(EvalCell *result) { return EvalRaiseError(kEvalErrSystem, result); }

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

// The list and matrix token functions are the list and matrix engines' own
// (numeric/).

u32 EvalArrayToDecimal(EvalCell *cell) { return Waiting(cell); }
