// The financial kernels against references computed outside this code
// (tools/gen_finance.py, mpmath at 30 digits), their refusals, and the
// faults of the older design that they must not repeat.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "apps/finance/fin_calc.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;
using fintest::Near;
using fintest::R;

class FinKernels : public fintest::Memory {};

void SetPayment(const std::string &timing) { SetupSetItem(kSetupPayment, timing == "bgn" ? 0 : 1); }

u32 CmpdCode(const std::string &t) {
  return t == "n" ? kFinCmpdN : t == "i" ? kFinCmpdI : t == "pv" ? kFinCmpdPV : t == "pmt" ? kFinCmpdPMT : kFinCmpdFV;
}

std::vector<std::string> Split(const std::string &s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, ',')) out.push_back(part);
  return out;
}

TEST_F(FinKernels, AgreeWithTheReferenceTable) {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/../../data/finance_ref.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << path;
  std::string line;
  std::set<std::string> kinds;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string kind, code;
    s >> kind >> code;
    kinds.insert(kind);
    FinDefaultMem(&mem);
    FinTvmState st;
    BcdReal out;
    u32 err = 0;
    double want = 0, rel = 1e-12;
    if (kind == "cmpd") {
      std::string timing, py, cy, n, i, pv, pmt, fv;
      s >> timing >> py >> cy >> n >> i >> pv >> pmt >> fv >> want;
      SetPayment(timing);
      mem.py = R(py), mem.cy = R(cy), mem.n = R(n), mem.i = R(i), mem.pv = R(pv), mem.pmt = R(pmt), mem.fv = R(fv);
      err = FinCmpdSolve(&mem, CmpdCode(code), &out, &st);
      if (code == "i") rel = 1e-10;
    } else if (kind == "cash") {
      std::string i, flows;
      s >> i >> flows >> want;
      fintest::SetList(1, Split(flows));
      mem.i = R(i);
      const u32 c = code == "npv" ? kFinCashNPV : code == "nfv" ? kFinCashNFV : code == "pbp" ? kFinCashPBP : kFinCashIRR;
      err = FinCashSolve(&mem, c, &out, &st);
      if (c == kFinCashIRR) rel = 1e-10;
    } else if (kind == "amort") {
      std::string timing, py, cy, i, pv, pmt, pm1, pm2;
      s >> timing >> py >> cy >> i >> pv >> pmt >> pm1 >> pm2 >> want;
      SetPayment(timing);
      mem.py = R(py), mem.cy = R(cy), mem.i = R(i), mem.pv = R(pv), mem.pmt = R(pmt), mem.pm1 = R(pm1), mem.pm2 = R(pm2);
      const u32 c = code == "bal" ? kFinAmortBAL : code == "int" ? kFinAmortINT : code == "prn" ? kFinAmortPRN
                    : code == "sint" ? kFinAmortSumINT : kFinAmortSumPRN;
      err = FinAmortEngine(&mem, c, &out, &st);
      // A balance that a long loan almost pays off is the difference of
      // numbers of the size of PV: its digits are those of PV's scale.
      if (std::fabs(want) < 1e-3 * std::fabs(D(mem.pv))) rel = 1e-12 * std::fabs(D(mem.pv) / want);
    } else if (kind == "simple") {
      std::string basis, n, i, pv;
      s >> basis >> n >> i >> pv >> want;
      SetupSetItem(kSetupDateMode, basis == "360" ? 1 : 0);
      mem.n = R(n), mem.i = R(i), mem.pv = R(pv);
      err = code == "si" ? FinSimpleSI(&mem, &out) : FinSimpleSFV(&mem, &out);
    } else if (kind == "cnvt") {
      std::string n, i;
      s >> n >> i >> want;
      mem.n = R(n), mem.i = R(i);
      err = code == "eff" ? FinCnvtEff(&mem, &out) : FinCnvtApr(&mem, &out);
    } else if (kind == "cost") {
      std::string cst, sel, mrg;
      s >> cst >> sel >> mrg >> want;
      mem.cst = R(cst), mem.sel = R(sel), mem.mrg = R(mrg);
      err = code == "cst" ? FinCostCst(&mem, &out) : code == "sel" ? FinCostSel(&mem, &out) : FinCostMrg(&mem, &out);
      // The result also lands in its own field.
      const BcdReal &field = code == "cst" ? mem.cst : code == "sel" ? mem.sel : mem.mrg;
      EXPECT_EQ(std::memcmp(&field, &out, sizeof out), 0) << line;
    } else if (kind == "days") {
      int d1, m1, y1, d2, m2, y2;
      s >> d1 >> m1 >> y1 >> d2 >> m2 >> y2 >> want;
      mem.d1 = {u16(d1), u16(m1), u16(y1)};
      mem.d2 = {u16(d2), u16(m2), u16(y2)};
      err = FinDaysBetween(&mem, code == "360", &out);
      rel = 0;
    } else {
      ADD_FAILURE() << "unknown kind " << line;
      continue;
    }
    ASSERT_EQ(err, 0u) << line;
    EXPECT_TRUE(Near(out, want, rel)) << line;
  }
  EXPECT_EQ(kinds.size(), 7u) << "every kernel is in the table";
}

TEST_F(FinKernels, CompoundInterestAtZeroRateAndItsRefusals) {
  SetPayment("end");
  struct C {
    u32 target;
    const char *n, *i, *pv, *pmt, *fv;
    u32 err;
    const char *want;
  } cases[] = {
      {kFinCmpdN, "0", "0", "10000", "-250", "500", 0, "42"},
      {kFinCmpdPV, "48", "0", "0", "-250", "500", 0, "11500"},
      {kFinCmpdPMT, "48", "0", "10000", "0", "500", 0, "-218.75"},
      {kFinCmpdFV, "48", "0", "10000", "-250", "0", 0, "2000"},
      // The payments exactly repay the loan: 0 without iterating.
      {kFinCmpdI, "48", "0", "12000", "-250", "0", 0, "0"},
      // Nothing paid out, or nothing received: no rate balances it.
      {kFinCmpdI, "48", "0", "1000", "0", "500", 3, nullptr},
      {kFinCmpdI, "48", "0", "0", "0", "0", 3, nullptr},
      {kFinCmpdI, "-5", "0", "1000", "-30", "0", 3, nullptr},
      // No periods to pay in.
      {kFinCmpdPMT, "0", "5", "1000", "0", "-500", 3, nullptr},
      {kFinCmpdPMT, "0", "0", "1000", "0", "-500", 3, nullptr},
      // A rate of -100 % or less compounds nothing; just above it does.
      {kFinCmpdPV, "48", "-100", "0", "-250", "500", 3, nullptr},
      {kFinCmpdFV, "48", "-250", "1000", "-250", "0", 3, nullptr},
      {kFinCmpdN, "0", "-100", "1000", "-250", "500", 3, nullptr},
      // A non-positive q: the logarithm's Ma ERROR.
      {kFinCmpdN, "0", "10", "1000", "100", "20000", 3, nullptr},
  };
  for (const C &c : cases) {
    mem.n = R(c.n), mem.i = R(c.i), mem.pv = R(c.pv), mem.pmt = R(c.pmt), mem.fv = R(c.fv);
    FinTvmState st;
    BcdReal out;
    EXPECT_EQ(FinCmpdSolve(&mem, c.target, &out, &st), c.err) << c.target << " " << c.i;
    if (c.want) {
      EXPECT_TRUE(Near(out, std::stod(c.want), 1e-14)) << c.target;
    } else {
      EXPECT_EQ(RealErrorCode(&out), c.err);
    }
  }
}

TEST_F(FinKernels, RateGuardRefusesExactlyMinus100AndBelow) {
  // Small negative rates (the older guard refused -0.009 to -0.001) and
  // rates far below -100 (which it let through) are told apart by value.
  SetPayment("end");
  mem.n = R("60"), mem.pv = R("25000"), mem.pmt = R("-500");
  struct C {
    const char *i;
    u32 err;
  } cases[] = {{"-0.005", 0}, {"-0.001", 0}, {"-0.009999", 0}, {"-99.999", 0},
               {"-100", 3},   {"-100.5", 3}, {"-10000", 3},     {"-20000", 3}};
  for (const C &c : cases) {
    mem.i = R(c.i);
    FinTvmState st;
    BcdReal out;
    EXPECT_EQ(FinCmpdSolve(&mem, kFinCmpdFV, &out, &st), c.err) << c.i;
  }
}

TEST_F(FinKernels, StoredPeriodsAreCheckedBeforeUse) {
  SetPayment("end");
  mem.n = R("60"), mem.i = R("7.5"), mem.pv = R("25000"), mem.pmt = R("-500");
  for (const char *bad : {"0", "2.5", "10000", "-12"}) {
    for (BcdReal *field : {&mem.py, &mem.cy}) {
      FinDefaultMem(&mem);
      mem.n = R("60"), mem.i = R("7.5"), mem.pv = R("25000"), mem.pmt = R("-500");
      *field = R(bad);
      FinTvmState st;
      BcdReal out;
      EXPECT_EQ(FinCmpdSolve(&mem, kFinCmpdFV, &out, &st), 8u) << bad;
      mem.pm1 = R("1"), mem.pm2 = R("2");
      EXPECT_EQ(FinAmortEngine(&mem, kFinAmortBAL, &out, &st), 8u) << bad;
    }
  }
}

TEST_F(FinKernels, PowersNearOneKeepTheirDigits) {
  // (1 + 1E-12)^360 - 1 by subtraction keeps three digits; here all of them.
  BcdReal out;
  const BcdReal a = R("1e-12"), b = R("360");
  FinPow1pMinus1(&a, &b, &out);
  EXPECT_TRUE(Near(out, 3.6000000006462000e-10, 1e-13));
  const BcdReal c = R("0.05"), m = R("-10");
  FinPow1p(&c, &m, &out);
  EXPECT_TRUE(Near(out, 0.61391325354075693, 1e-14));
}

TEST_F(FinKernels, CashFlowRefusals) {
  struct C {
    std::vector<std::string> flows;
    u32 code;
    u32 err;
  } cases[] = {
      // A zero after a negative flow is no sign change.
      {{"-100", "0"}, kFinCashIRR, 3},
      {{"-100", "-50", "0"}, kFinCashIRR, 3},
      {{"100", "50"}, kFinCashIRR, 3},
      // The derivative is 0 where Newton starts: no step to take.
      {{"5", "-2", "1"}, kFinCashIRR, 3},
      // Newton's first step lands at -900 %, where 1 + i is negative.
      {{"1000", "-100"}, kFinCashIRR, 3},
      // Never paid back within the list.
      {{"-1000", "100", "100"}, kFinCashPBP, 3},
      {{}, kFinCashNPV, 9},
  };
  mem.i = R("10");
  for (const C &c : cases) {
    if (c.flows.empty()) {
      ItemListDelete(0, 1);
    } else {
      fintest::SetList(1, c.flows);
    }
    FinTvmState st;
    BcdReal out;
    EXPECT_EQ(FinCashSolve(&mem, c.code, &out, &st), c.err) << c.flows.size();
  }
  // A complex flow, and list numbers outside 1-20.
  fintest::SetList(1, {"-100", "50", "60"});
  Value z{};
  z.re = R("5");
  z.im = R("1");
  z.re.b[0] |= 0x80;
  ASSERT_EQ(ItemListSet(0, 1, 2, &z), 0u);
  FinTvmState st;
  BcdReal out;
  EXPECT_EQ(FinCashSolve(&mem, kFinCashNPV, &out, &st), 25u);
  for (u16 list : {0, 21, 65535}) {
    mem.list = list;
    EXPECT_EQ(FinCashSolve(&mem, kFinCashNPV, &out, &st), 8u) << list;
  }
}

TEST_F(FinKernels, AmortisationByHandAndItsRanges) {
  mem.pv = R("1000"), mem.pmt = R("-100"), mem.i = R("12");
  struct C {
    const char *timing, *pm1, *pm2;
    u32 code, err;
    double want;
  } cases[] = {
      {"end", "1", "1", kFinAmortINT, 0, -10},     {"end", "1", "1", kFinAmortPRN, 0, -90},
      {"end", "1", "1", kFinAmortBAL, 0, 910},     {"bgn", "1", "1", kFinAmortINT, 0, 0},
      {"bgn", "1", "1", kFinAmortPRN, 0, -100},    {"bgn", "1", "1", kFinAmortBAL, 0, 900},
      {"end", "1", "1", kFinAmortSumINT, 8, 0},    {"end", "3", "2", kFinAmortSumPRN, 8, 0},
      {"end", "0", "5", kFinAmortINT, 8, 0},       {"end", "1", "10000", kFinAmortBAL, 8, 0},
      {"end", "1.5", "5", kFinAmortBAL, 8, 0},
  };
  for (const C &c : cases) {
    SetPayment(c.timing);
    mem.pm1 = R(c.pm1), mem.pm2 = R(c.pm2);
    FinTvmState st;
    BcdReal out;
    EXPECT_EQ(FinAmortEngine(&mem, c.code, &out, &st), c.err) << c.timing << c.code;
    if (!c.err) {
      EXPECT_TRUE(Near(out, c.want, 1e-14)) << c.timing << c.code;
    }
  }
  // ΣINT over 1-12 is the sum of the twelve single payments' INT.
  SetPayment("end");
  double sum = 0;
  for (int k = 1; k <= 12; ++k) {
    mem.pm1 = R(std::to_string(k));
    FinTvmState st;
    BcdReal out;
    ASSERT_EQ(FinAmortEngine(&mem, kFinAmortINT, &out, &st), 0u);
    sum += D(out);
  }
  mem.pm1 = R("1"), mem.pm2 = R("12");
  FinTvmState st;
  BcdReal out;
  ASSERT_EQ(FinAmortEngine(&mem, kFinAmortSumINT, &out, &st), 0u);
  EXPECT_TRUE(Near(out, sum, 1e-13));
}

TEST_F(FinKernels, SimpleConversionAndCostRefusals) {
  BcdReal out;
  // A Date Mode other than 360 counts 365 days.
  SetupSetItem(kSetupDateMode, 7);
  mem.n = R("90"), mem.i = R("7"), mem.pv = R("1000");
  ASSERT_EQ(FinSimpleSI(&mem, &out), 0u);
  EXPECT_TRUE(Near(out, -1260.0 / 73, 1e-14));
  mem.pv = R("0");
  ASSERT_EQ(FinSimpleSFV(&mem, &out), 0u);
  EXPECT_EQ(D(out), 0);
  mem.n = R("9e99"), mem.i = R("9e99"), mem.pv = R("9e99");
  EXPECT_EQ(FinSimpleSI(&mem, &out), 3u);
  mem.n = R("0"), mem.i = R("12");
  EXPECT_EQ(FinCnvtEff(&mem, &out), 3u);
  EXPECT_EQ(FinCnvtApr(&mem, &out), 3u);
  mem.cst = R("40"), mem.mrg = R("100");
  EXPECT_EQ(FinCostSel(&mem, &out), 3u);
  mem.sel = R("0");
  EXPECT_EQ(FinCostMrg(&mem, &out), 3u);
  // A refused result leaves the field as it was.
  EXPECT_EQ(D(mem.mrg), 100);
}

TEST_F(FinKernels, EverySerialRoundTripsAndMatchesTheCalendar) {
  using namespace std::chrono;
  const sys_days first = year{1901} / January / 1;
  for (u32 s = 1; s <= kFinSerialLast; ++s) {
    FinDate d;
    ASSERT_TRUE(FinSerialToDate365(s, &d)) << s;
    const year_month_day ymd{first + days{s - 1}};
    ASSERT_EQ(d.year, int(ymd.year())) << s;
    ASSERT_EQ(d.month, unsigned(ymd.month())) << s;
    ASSERT_EQ(d.day, unsigned(ymd.day())) << s;
    ASSERT_TRUE(FinDateValid(d)) << s;
    ASSERT_EQ(FinDaySerial365(d), s);
    ASSERT_EQ(FinWeekday(s), weekday{first + days{s - 1}}.c_encoding()) << s;
  }
  FinDate d;
  EXPECT_FALSE(FinSerialToDate365(0, &d));
  EXPECT_FALSE(FinSerialToDate365(kFinSerialLast + 1, &d));
}

TEST_F(FinKernels, DatesShownAndShifted) {
  struct C {
    FinDate d1;
    const char *days;
    u32 minus, basis360, err;
    const char *shown;
  } cases[] = {
      {{1, 1, 1997}, "1000", 0, 0, 0, "09M28D1999Y(TUE)"},
      {{30, 12, 1904}, "1", 0, 0, 0, "12M31D1904Y(SAT)"},
      {{1, 3, 2000}, "1", 1, 0, 0, "02M29D2000Y(TUE)"},
      {{31, 12, 2099}, "1", 0, 0, 3, nullptr},
      {{1, 1, 1901}, "1", 1, 0, 3, nullptr},
      {{1, 1, 1997}, "1", 0, 1, 3, nullptr},
      {{1, 1, 1997}, "2.5", 0, 0, 3, nullptr},
      {{1, 1, 1997}, "-1e99", 0, 0, 3, nullptr},
      // Dates no pop-up lets through: refused, never looked up.
      {{31, 2, 2000}, "1", 0, 0, 3, nullptr},
      {{1, 13, 2000}, "1", 0, 0, 3, nullptr},
      {{1, 0, 2000}, "1", 0, 0, 3, nullptr},
      {{1, 65535, 2000}, "1", 0, 0, 3, nullptr},
      {{0, 1, 1900}, "1", 0, 0, 3, nullptr},
  };
  for (const C &c : cases) {
    mem.d1 = c.d1;
    mem.d = R(c.days);
    FinDate out{};
    EXPECT_EQ(FinDateShift(&mem, c.minus, c.basis360, &out), c.err) << c.shown;
    if (c.shown) {
      char text[17];
      EXPECT_STREQ(FinFormatDate(out, text), c.shown);
    }
    mem.d2 = c.d1;
    BcdReal between;
    EXPECT_EQ(FinDaysBetween(&mem, 0, &between), FinDateValid(c.d1) ? 0u : 3u);
  }
  char text[17];
  EXPECT_STREQ(FinFormatDate({1, 1, 1997}, text), "01M01D1997Y(WED)");
  // 29 February exists in 2000 and 1904, not in 1999.
  EXPECT_TRUE(FinDateValid({29, 2, 2000}));
  EXPECT_TRUE(FinDateValid({29, 2, 1904}));
  EXPECT_FALSE(FinDateValid({29, 2, 1999}));
}

}  // namespace
