// Transcendental kernels (interim: not yet computed; each leaves UNDEF).
#include "number/digits/digits.h"
#include "number/digits/reg.h"

using namespace dig;

static void NotYet(BcdExt *x) { ExtUndef(x); }

void ShExtPermutations(BcdExt *n, const BcdExt *) { NotYet(n); }
void ShExtCombinations(BcdExt *n, const BcdExt *) { NotYet(n); }
void ShExtLog10(BcdExt *x) { NotYet(x); }
void ShExtLn(BcdExt *x) { NotYet(x); }
void ShExtLog10s(BcdExt *x) { NotYet(x); }
void ShExtLogs(BcdExt *x) { NotYet(x); }
void ShExtExp10(BcdExt *x) { NotYet(x); }
void ShExtExp10s(BcdExt *x) { NotYet(x); }
void ShExtExp(BcdExt *x) { NotYet(x); }
void ShExtPow(BcdExt *x, const BcdExt *) { NotYet(x); }
void ShExtPowAlt(BcdExt *x, const BcdExt *) { NotYet(x); }
void ShExtSin(BcdExt *x, u16) { NotYet(x); }
void ShExtCos(BcdExt *x, u16) { NotYet(x); }
void ShExtTan(BcdExt *x, u16) { NotYet(x); }
void ShExtAsin(BcdExt *x) { NotYet(x); }
void ShExtAcos(BcdExt *x) { NotYet(x); }
void ShExtAtan(BcdExt *x) { NotYet(x); }
void ShExtSinhA(BcdExt *x) { NotYet(x); }
void ShExtSinhB(BcdExt *x) { NotYet(x); }
void ShExtCosh(BcdExt *x) { NotYet(x); }
void ShExtTanhA(BcdExt *x) { NotYet(x); }
void ShExtTanhB(BcdExt *x) { NotYet(x); }
void ShExtAsinhA(BcdExt *x) { NotYet(x); }
void ShExtAsinhB(BcdExt *x) { NotYet(x); }
void ShExtAcosh(BcdExt *x) { NotYet(x); }
void ShExtAtanhA(BcdExt *x) { NotYet(x); }
void ShExtAtanhB(BcdExt *x) { NotYet(x); }
