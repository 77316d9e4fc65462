// The financial calculation kernels: the time-value solvers, cash flow,
// amortisation, simple interest, interest conversion, cost and margin, and
// the day counts. Each is a plain operation on a copy of the financial
// record that leaves its result (or an error value) in *out and returns the
// calculator error code (0 success). Long loops poll the break key and end
// with code 1. Calculator thread only.
#pragma once
#include "apps/finance/fin_mem.h"
#include "kernel/types.h"
#include "number/real.h"

// Error codes the kernels return.
enum FinError : u32 {
  kFinOk = 0,
  kFinErrBreak = 1,
  kFinErrMath = 3,
  kFinErrMem = 4,
  kFinErrArg = 8,
  kFinErrDim = 9,
  kFinErrComplex = 25,
  kFinErrRange = 28,
};

// Solve codes of the sub-applications.
enum FinCode : u32 {
  kFinSimpleSI = 11,
  kFinSimpleSFV = 12,
  kFinCmpdList = 20,
  kFinCmpdN = 21,
  kFinCmpdI = 22,
  kFinCmpdPV = 23,
  kFinCmpdPMT = 24,
  kFinCmpdFV = 25,
  kFinCashNPV = 31,
  kFinCashIRR = 32,
  kFinCashPBP = 33,
  kFinCashNFV = 34,
  kFinAmortList = 40,
  kFinAmortPRN = 41,
  kFinAmortINT = 42,
  kFinAmortBAL = 43,
  kFinAmortSumPRN = 44,
  kFinAmortSumINT = 45,
  kFinCnvtEFF = 51,
  kFinCnvtAPR = 52,
  kFinCostCst = 61,
  kFinCostSel = 62,
  kFinCostMrg = 63,
};

// The equation's forms: present value (1 + i)^-n, future value (1 + i)^n.
enum FinForm : u32 { kFinFormZero = 0, kFinFormPV = 16, kFinFormFV = 80 };

// The solvers' working record.
struct FinTvmState {
  BcdReal ratio;   // C/Y over P/Y
  BcdReal n;
  BcdReal i;       // the rate per payment period as a fraction
  BcdReal pv, pmt, fv;
  BcdReal f, f1;   // the equation and its derivative at i (rate solvers)
  BcdReal best_f, best_i;
  u32 mode;        // 20 compound interest, 40 amortisation
  u32 target;      // the solve code
  u32 bgn;         // 1: payments at the beginning of each period
  BcdReal bal, intr, prn;  // amortisation
  u32 k, start, end;
  i32 sign;
  u32 form;        // FinForm
  u32 steps;       // Newton steps taken
};

// ---- checks ----
// 0 when value is a whole number from lo to hi (*out, when not null, the
// number), else 3.
u32 FinCheckWhole(const BcdReal *value, i32 lo, i32 hi, i32 *out);
// 0 when value is a whole number from 1 to 9999, else 8 (Argument ERROR).
u32 FinCheckPeriod(const BcdReal *value, i32 *out);

// ---- powers near 1 ----
// (1 + a)^b, (1 + a)^b - 1 and log10(1 + a), each without forming 1 + a, so
// small rates keep their digits.
BcdReal *FinPow1p(const BcdReal *a, const BcdReal *b, BcdReal *out);
BcdReal *FinPow1pMinus1(const BcdReal *a, const BcdReal *b, BcdReal *out);
BcdReal *FinLog1p(const BcdReal *a, BcdReal *out);

// ---- compound interest ----
// Fills the state from the record: n, PV, PMT, FV, the payment timing (SET
// UP Payment) and the rate per payment period i. 0, 8 when P/Y or C/Y is
// not a whole number from 1 to 9999, or the error of the rate.
u32 FinPrepareTvm(const FinMem *mem, u32 mode, FinTvmState *st);
// Solves for target (21 n, 22 I%, 23 PV, 24 PMT, 25 FV) from the other four.
u32 FinCmpdSolve(const FinMem *mem, u32 target, BcdReal *out, FinTvmState *st);

// ---- cash flow ----
// NPV, IRR, PBP or NFV of the flows in the record's cash-flow list.
u32 FinCashSolve(const FinMem *mem, u32 code, BcdReal *out, FinTvmState *st);

// ---- amortisation ----
// BAL, INT, PRN, ΣINT or ΣPRN over the record's payment range.
u32 FinAmortEngine(const FinMem *mem, u32 code, BcdReal *out, FinTvmState *st);
// The interest and principal parts of payment k and the balance after it;
// mem's rate, PV and PMT. 0 or the error code.
u32 FinAmortPayment(const FinMem *mem, u32 k, BcdReal *intr, BcdReal *prn, BcdReal *bal);

// ---- simple interest, conversion, cost ----
u32 FinSimpleSI(const FinMem *mem, BcdReal *out);
u32 FinSimpleSFV(const FinMem *mem, BcdReal *out);
u32 FinCnvtEff(const FinMem *mem, BcdReal *out);
u32 FinCnvtApr(const FinMem *mem, BcdReal *out);
// Each also writes its result into its field of mem.
u32 FinCostCst(FinMem *mem, BcdReal *out);
u32 FinCostSel(FinMem *mem, BcdReal *out);
u32 FinCostMrg(FinMem *mem, BcdReal *out);

// ---- days ----
inline constexpr u32 kFinSerialLast = 72684;  // 31 December 2099
// True for a date from 1/1/1901 to 31/12/2099 that exists.
bool FinDateValid(const FinDate &d);
// Days of month m (1-12) in year y.
u32 FinMonthDays(u32 year, u32 month);
// Serial day numbers of a valid date: 1 January 1901 is 1.
u32 FinDaySerial365(const FinDate &d);
u32 FinDaySerial360(const FinDate &d);
// The date of a serial 1-72684; false for another serial.
bool FinSerialToDate365(u32 serial, FinDate *out);
// 0 Sunday .. 6 Saturday.
u32 FinWeekday(u32 serial365);
// "MMmDDdYYYYy(WWW)", for example "01M01D1997Y(WED)"; out holds 17 bytes.
char *FinFormatDate(const FinDate &d, char *out);
// The days from d1 to d2 of the record on the 365-day calendar or the
// 360-day basis.
u32 FinDaysBetween(const FinMem *mem, u32 basis360, BcdReal *out);
// The date D days after (minus = 0) or before d1; 365-day calendar only.
u32 FinDateShift(const FinMem *mem, u32 minus, u32 basis360, FinDate *out);
