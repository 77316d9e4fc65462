// The seven sub-applications as tables for the screen engine: their lines,
// function keys, and how each solve code is computed, shown and stored.
#include <cstdio>
#include <cstring>

#include "apps/finance/fin_graph.h"
#include "apps/finance/fin_screen.h"
#include "apps/stat/stat_app.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

namespace {

constexpr FkeyItem Blank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

constexpr u8 kN = 0, kI = 12, kPV = 24, kPMT = 36, kFV = 48, kPY = 60, kCY = 72, kPM1 = 84, kPM2 = 96;
constexpr u8 kCst = 108, kSel = 120, kMrg = 132, kD = 144;

constexpr FinLine L(const char *label, u8 offset) { return {label, kFinLineReal, offset}; }

const FinLine kSimpleLines[] = {L("n  =", kN), L("I% =", kI), L("PV =", kPV)};
const FinLine kCmpdLines[] = {L("n  =", kN),   L("I% =", kI),   L("PV =", kPV),
                              L("PMT=", kPMT), L("FV =", kFV), {"P/Y=", kFinLinePY, kPY},
                              {"C/Y=", kFinLineCY, kCY}};
const FinLine kCashLines[] = {L("I% =", kI), {"Csh=", kFinLineList, 0}};
const FinLine kAmortLines[] = {L("PM1=", kPM1), L("PM2=", kPM2), L("n  =", kN),   L("I% =", kI),
                               L("PV =", kPV),  L("PMT=", kPMT), L("FV =", kFV), {"P/Y=", kFinLinePY, kPY},
                               {"C/Y=", kFinLineCY, kCY}};
const FinLine kCnvtLines[] = {L("n  =", kN), L("I% =", kI)};
const FinLine kCostLines[] = {L("Cst=", kCst), L("Sel=", kSel), L("Mrg=", kMrg)};
const FinLine kDaysLines[] = {{"d1 =", kFinLineDate1, 0}, {"d2 =", kFinLineDate2, 0}, {"D  =", kFinLineDays, kD}};

// A result from a kernel: its value, or its error (every error shown as
// Ma ERROR where the sub-application knows no other).
void Take(FinAnswer *a, u32 err, const BcdReal &value, bool math_only) {
  a->err = err && math_only ? kFinErrMath : err;
  a->value = value;
  a->to_ans = true;
}

void SolveSimple(u32 code, FinMem *mem, FinAnswer *a) {
  BcdReal r;
  const u32 e = code == kFinSimpleSI ? FinSimpleSI(mem, &r) : FinSimpleSFV(mem, &r);
  Take(a, e, r, true);
  a->label = code == kFinSimpleSI ? "SI =" : "SFV=";
}

void SolveCmpd(u32 code, FinMem *mem, FinAnswer *a) {
  static const char *const kLabels[5] = {"n  =", "I% =", "PV =", "PMT=", "FV ="};
  FinTvmState st;
  BcdReal r;
  Take(a, FinCmpdSolve(mem, code, &r, &st), r, false);
  a->label = kLabels[code - kFinCmpdN];
  a->field = static_cast<i32>(12 * (code - kFinCmpdN));
}

void SolveCash(u32 code, FinMem *mem, FinAnswer *a) {
  static const char *const kLabels[4] = {"NPV=", "IRR=", "PBP=", "NFV="};
  FinTvmState st;
  BcdReal r;
  Take(a, FinCashSolve(mem, code, &r, &st), r, false);
  a->label = kLabels[code - kFinCashNPV];
  if (code == kFinCashIRR) a->field = kI;
}

void SolveAmort(u32 code, FinMem *mem, FinAnswer *a) {
  static const char *const kLabels[5] = {"PRN=", "INT=", "BAL=", "\xE5\x51PR=", "\xE5\x51IN="};
  FinTvmState st;
  BcdReal r;
  Take(a, FinAmortEngine(mem, code, &r, &st), r, false);
  a->label = kLabels[code - kFinAmortPRN];
}

void SolveCnvt(u32 code, FinMem *mem, FinAnswer *a) {
  BcdReal r;
  Take(a, code == kFinCnvtEFF ? FinCnvtEff(mem, &r) : FinCnvtApr(mem, &r), r, true);
  a->label = code == kFinCnvtEFF ? "EFF=" : "APR=";
  a->field = kI;
}

void SolveCost(u32 code, FinMem *mem, FinAnswer *a) {
  BcdReal r;
  const u32 e = code == kFinCostCst ? FinCostCst(mem, &r) : code == kFinCostSel ? FinCostSel(mem, &r) : FinCostMrg(mem, &r);
  Take(a, e, r, true);
  a->label = code == kFinCostCst ? "Cst=" : code == kFinCostSel ? "Sel=" : "Mrg=";
  a->field = code == kFinCostCst ? kCst : code == kFinCostSel ? kSel : kMrg;
}

// Days: 1 PRD, 2 d1+D, 3 d1-D.
void SolveDays(u32 code, FinMem *mem, FinAnswer *a) {
  const u32 basis360 = SetupGetItem(kSetupDateMode) == 1;
  if (code == 1) {
    BcdReal r;
    Take(a, FinDaysBetween(mem, basis360, &r), r, true);
    a->label = "Prd=";
    return;
  }
  FinDate d{};
  a->err = FinDateShift(mem, code == 3, basis360, &d);
  a->label = code == 2 ? "d+D=" : "d-D=";
  FinFormatDate(d, a->text);
}

// Cash flow: F5 opens the statistics list editor, F6 on the list line
// chooses the list.
bool CashKey(u32 key, FinScreenState *st) {
  if (key == 5) {
    StatRunMode10();
    return true;
  }
  if (key == 6 && st->row == 3) {
    i32 n = 0;
    if (FinSelectListNo(&n) != 0) return true;
    FinMem mem;
    if (FinReadMem(&mem) != 0) {
      ErrBox(kFinErrMemory);
      return true;
    }
    mem.list = static_cast<u16>(n);
    if (FinWriteMemChecked(&mem) != 0) ErrBox(kFinErrMemory);
    return true;
  }
  return false;
}

#define LINES(x) x, static_cast<u8>(sizeof x / sizeof x[0])

}  // namespace

const FinSubApp kFinSimple = {294, kFinTitleDateMode, LINES(kSimpleLines),
                              {Code(794, 1), Code(795, 2), Blank, Blank, Blank, Blank},
                              {kFinSimpleSI, kFinSimpleSFV, 0, 0, 0, 0}, 0, 0, FinSimpleGraph, SolveSimple, nullptr};
const FinSubApp kFinCompound = {295, kFinTitlePayment, LINES(kCmpdLines),
                                {Code(796, 1), Code(797, 2), Code(798, 3), Code(799, 4), Code(800, 5), Code(780, 6)},
                                {kFinCmpdN, kFinCmpdI, kFinCmpdPV, kFinCmpdPMT, kFinCmpdFV, 0},
                                kFinAmortList, kFinAmortList, FinCmpdGraph, SolveCmpd, nullptr};
const FinSubApp kFinCash = {296, kFinTitlePlain, LINES(kCashLines),
                            {Code(801, 1), Code(802, 2), Code(803, 3), Code(804, 4), Code(769, 5), Code(769, 6)},
                            {kFinCashNPV, kFinCashIRR, kFinCashPBP, kFinCashNFV, 0, 0}, 0, 0, FinCashGraph, SolveCash, CashKey};
const FinSubApp kFinAmort = {297, kFinTitlePayment, LINES(kAmortLines),
                             {Code(805, 1), Code(806, 2), Code(807, 3), Code(808, 4), Code(809, 5), Code(778, 6)},
                             {kFinAmortBAL, kFinAmortINT, kFinAmortPRN, kFinAmortSumINT, kFinAmortSumPRN, 0},
                             kFinCmpdList, kFinCmpdList, FinAmortGraph, SolveAmort, nullptr};
const FinSubApp kFinConversion = {298, kFinTitlePlain, LINES(kCnvtLines),
                                  {Code(810, 1), Code(811, 2), Blank, Blank, Blank, Blank},
                                  {kFinCnvtEFF, kFinCnvtAPR, 0, 0, 0, 0}, 0, 0, nullptr, SolveCnvt, nullptr};
const FinSubApp kFinCost = {299, kFinTitlePlain, LINES(kCostLines),
                            {Code(785, 1), Code(15, 2), Code(787, 3), Blank, Blank, Blank},
                            {kFinCostCst, kFinCostSel, kFinCostMrg, 0, 0, 0}, 0, 0, nullptr, SolveCost, nullptr};
const FinSubApp kFinDays = {300, kFinTitleDateMode, LINES(kDaysLines),
                            {Code(812, 1), Code(813, 2), Code(814, 3), Blank, Blank, Blank},
                            {1, 2, 3, 0, 0, 0}, 0, 0, nullptr, SolveDays, nullptr};
