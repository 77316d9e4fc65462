#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "array_testutil.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/valop.h"
#include "numeric/list_func.h"
#include "numeric/mat_alg.h"
#include "numeric/mat_ops.h"

using arrtest::List;
using arrtest::Mat;
using arrtest::Show;

namespace {

std::string Keep(Value v) {
  const std::string s = Show(v);
  arrtest::Drop(&v);
  return s;
}

TEST(MatOps, OperatorsAndFunctions) {
  MemFreeAll();
  const Value two = numtest::V("2");
  auto m22 = [] { return Mat(2, 2, {"1", "2", "3", "4"}); };
  struct Case {
    const char *name;
    std::string got, want;
  } cases[] = {
      {"add", [&] { Value a = m22(), b = m22(); const std::string s = Keep(*ValAdd(&a, &b, &a, 0)); arrtest::Drop(&b); return s; }(), "[[2,4][6,8]]"},
      {"add dimensions differ",
       [&] {
         Value a = m22(), b = Mat(1, 2, {"1", "2"}), o;
         const std::string s = Keep(*ValAdd(&a, &b, &o, 0));
         arrtest::Drop(&a);
         arrtest::Drop(&b);
         return s;
       }(),
       "E9"},
      {"product 2x3 by 3x2",
       [&] {
         Value a = Mat(2, 3, {"1", "2", "3", "4", "5", "6"}), b = Mat(3, 2, {"1", "0", "0", "1", "1", "1"}), o;
         const std::string s = Keep(*ValMul(&a, &b, &o, 0));
         arrtest::Drop(&a);
         arrtest::Drop(&b);
         return s;
       }(),
       "[[4,5][10,11]]"},
      {"product 2x3 by 2x3",
       [&] {
         Value a = Mat(2, 3, {"1", "2", "3", "4", "5", "6"}), b = Mat(2, 3, {"1", "2", "3", "4", "5", "6"}), o;
         const std::string s = Keep(*ValMul(&a, &b, &o, 0));
         arrtest::Drop(&a);
         arrtest::Drop(&b);
         return s;
       }(),
       "E9"},
      {"scalar times matrix", [&] { Value a = m22(), o; const std::string s = Keep(*ValMul(&two, &a, &o, 0)); arrtest::Drop(&a); return s; }(), "[[2,4][6,8]]"},
      {"matrix times scalar", [&] { Value a = m22(); return Keep(*ValMul(&a, &two, &a, 0)); }(), "[[2,4][6,8]]"},
      {"complex times matrix", [&] { Value a = m22(), o, c = numtest::C("1", "1"); const std::string s = Keep(*ValMul(&c, &a, &o, 0)); arrtest::Drop(&a); return s; }(), "E3"},
      {"complex minus itself is real",
       [&] {
         Value a = Mat(1, 2, {"1|1", "2"}), b = Mat(1, 2, {"1|1", "2"});
         ValSub(&a, &b, &a, 0);
         const std::string s = Show(a) + " " + std::to_string(MemSize(ArrInfoOf(&a).handle));
         arrtest::Drop(&a);
         arrtest::Drop(&b);
         return s;
       }(),
       "[[0,0]] 24"},
      {"abs of complex", [&] { Value a = Mat(1, 2, {"3|4", "-1"}); return Keep(*ValAbs(&a, &a)); }(), "[[5,1]]"},
      {"negate", [&] { Value a = m22(); return Keep(*ValNeg(&a, &a)); }(), "[[-1,-2][-3,-4]]"},
      {"int", [&] { Value a = Mat(1, 2, {"1.5", "-2.5"}); return Keep(*ValInt(&a, &a)); }(), "[[1,-2]]"},
      {"power 1 is a copy", [&] { Value a = m22(), n = numtest::V("1"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "[[1,2][3,4]]"},
      {"power 3", [&] { Value a = m22(), n = numtest::V("3"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "[[37,54][81,118]]"},
      {"power 0", [&] { Value a = m22(), n = numtest::V("0"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "E3"},
      {"power 2.5", [&] { Value a = m22(), n = numtest::V("2.5"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "E3"},
      {"power 32767", [&] { Value a = m22(), n = numtest::V("32767"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "E3"},
      {"power -1 inverts", [&] { Value a = m22(), n = numtest::V("-1"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "[[-2,1][1_1/2,-1/2]]"},
      {"power of non-square", [&] { Value a = Mat(1, 2, {"1", "2"}), n = numtest::V("2"); return Keep(*ValPow(&a, &n, &a, 0)); }(), "E9"},
      {"reciprocal", [&] { Value a = m22(); return Keep(*ValReciprocal(&a, &a, 0)); }(), "[[-2,1][1_1/2,-1/2]]"},
      {"reciprocal of a singular 2x2", [&] { Value a = Mat(2, 2, {"2", "4", "1", "2"}); return Keep(*ValReciprocal(&a, &a, 0)); }(), "E3"},
      {"identity 2", [&] { Value n = numtest::V("2"), o; return Keep(*MatIdentityToken(&n, &o)); }(), "[[1,0][0,1]]"},
      {"identity 256", [&] { Value n = numtest::V("256"), o; return Keep(*MatIdentityToken(&n, &o)); }(), "E8"},
      {"identity 0", [&] { Value n = numtest::V("0"), o; return Keep(*MatIdentityToken(&n, &o)); }(), "E8"},
      {"identity 2.5", [&] { Value n = numtest::V("2.5"), o; return Keep(*MatIdentityToken(&n, &o)); }(), "E8"},
      {"identity of a complex", [&] { Value n = numtest::C("2", "1"), o; return Keep(*MatIdentityToken(&n, &o)); }(), "E3"},
      {"dim of a list", [&] { Value a = List({"1", "2", "3", "4", "5"}); return Keep(*MatDimToken(&a, &a)); }(), "5"},
      {"dim of a matrix", [&] { Value a = Mat(3, 4, std::vector<std::string>(12, "0")); return Keep(*MatDimToken(&a, &a)); }(), "{3,4}"},
      {"dim of a scalar", [&] { Value a = numtest::V("7"), o; return Keep(*MatDimToken(&a, &o)); }(), "E2"},
      {"det of a scalar", [&] { Value a = numtest::V("7"), o; return Keep(*MatDetToken(&a, &o)); }(), "E3"},
      {"transpose", [&] { Value a = Mat(2, 3, {"1", "2", "3", "4", "5", "6"}); return Keep(*MatTransposeToken(&a, &a)); }(), "[[1,4][2,5][3,6]]"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.got, c.want) << c.name;
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

std::string Det(Value m) {
  Value out;
  MatDeterminant(&m, &out);
  arrtest::Drop(&m);
  return Show(out);
}

std::string Inv(Value m) {
  Value out;
  MatInverse(&m, &out);
  arrtest::Drop(&m);
  return Keep(out);
}

TEST(MatAlgebra, DeterminantAndInverse) {
  MemFreeAll();
  struct Case {
    const char *name;
    std::string got, want;
  } cases[] = {
      {"det 2x2", Det(Mat(2, 2, {"1", "2", "3", "4"})), "-2"},
      {"det 1x1", Det(Mat(1, 1, {"5"})), "5"},
      {"det equal rows", Det(Mat(3, 3, {"1", "2", "3", "1", "2", "3", "4", "5", "7"})), "0"},
      {"det all zero", Det(Mat(5, 5, std::vector<std::string>(25, "0"))), "0"},
      {"det one exchange", Det(Mat(3, 3, {"0", "1", "0", "1", "0", "0", "0", "0", "1"})), "-1"},
      {"det two exchanges", Det(Mat(3, 3, {"0", "1", "0", "0", "0", "1", "1", "0", "0"})), "1"},
      {"det zero first column", Det(Mat(3, 3, {"0", "1", "2", "0", "3", "4", "0", "5", "7"})), "0"},
      {"det exact fractions", Det(Mat(3, 3, {"2", "1", "1", "1", "3", "2", "1", "0", "0"})), "-1"},
      {"det of a Hilbert matrix", Det(Mat(3, 3, {"1", "1a2", "1a3", "1a2", "1a3", "1a4", "1a3", "1a4", "1a5"})), "1/2160"},
      {"det complex", Det(Mat(2, 2, {"1|1", "2", "3", "4|-1"})), "(-1,3)"},
      {"det of non-square", Det(Mat(2, 3, std::vector<std::string>(6, "1"))), "E9"},
      {"inverse 2x2 exact", Inv(Mat(2, 2, {"1", "2", "3", "4"})), "[[-2,1][1_1/2,-1/2]]"},
      {"inverse zero determinant 2x2", Inv(Mat(2, 2, {"2", "4", "1", "2"})), "E3"},
      {"inverse zero first column", Inv(Mat(3, 3, {"0", "1", "2", "0", "3", "4", "0", "5", "7"})), "E3"},
      {"inverse 3x3 exact", Inv(Mat(3, 3, {"2", "0", "0", "0", "4", "0", "0", "0", "8"})), "[[1/2,0,0][0,1/4,0][0,0,1/8]]"},
      {"inverse with exchange", Inv(Mat(3, 3, {"0", "1", "0", "1", "0", "0", "0", "0", "1"})), "[[0,1,0][1,0,0][0,0,1]]"},
      {"inverse of complex stays complex", Inv(Mat(1, 1, {"2"}, true)), "c[[1/2]]"},
      {"inverse complex 2x2", Inv(Mat(2, 2, {"0|1", "0", "0", "0|1"})), "c[[0|-1,0][0,0|-1]]"},
      {"inverse complex singular", Inv(Mat(2, 2, {"1|1", "1|1", "1|1", "1|1"})), "E3"},
      {"inverse non-square", Inv(Mat(2, 3, std::vector<std::string>(6, "1"))), "E9"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.got, c.want) << c.name;
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

// Pivot candidates of equal magnitude: the upper row stays, no exchange.
TEST(MatAlgebra, EqualPivotsKeepTheUpperRow) {
  MemFreeAll();
  Value w = Mat(2, 2, {"1", "5", "-1", "7"});
  Value perm = List({"0", "1"});
  u32 ex = 0;
  EXPECT_EQ(MatPivotColumn(&w, 0, &perm, &ex), 1);
  EXPECT_EQ(ex, 0u);
  EXPECT_EQ(Show(w), "[[1,5][-1,7]]");
  arrtest::Drop(&w);
  arrtest::Drop(&perm);
  MemFreeAll();
}

// Large work stays breakable: AC ends a product or power with Break and
// leaves no block behind; memory running out gives Memory ERROR.
TEST(MatOps, BreakAndMemoryLimits) {
  MemFreeAll();
  Value n = numtest::V("50"), id, out;
  MatIdentityToken(&n, &id);
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);  // AC
  const Value e = numtest::V("1000");
  EXPECT_EQ(Show(*ValPow(&id, &e, &out, 0)), "E1");
  Value id2 = id;
  EXPECT_EQ(Show(*ValMul(&id, &id2, &out, 0)), "E1");
  KeyBreakDisarm();
  EXPECT_EQ(arrtest::BlocksInUse(), 1u);
  arrtest::Drop(&id);
  // Identity 255 is accepted (780 KB); with the heap's slots exhausted it
  // is Memory ERROR.
  Value big = numtest::V("255");
  EXPECT_EQ(ArrInfoOf(MatIdentityToken(&big, &out)).rows, 255);
  arrtest::Drop(&out);
  std::vector<MemHandle> fill;
  while (MemHandle f = MemAlloc(1)) fill.push_back(f);
  EXPECT_EQ(Show(*MatIdentityToken(&big, &out)), "E4");
  for (MemHandle f : fill) MemFree(f);
  MemFreeAll();
}

// Determinants and inverses of random real and complex matrices up to 20 x
// 20 and of Hilbert matrices, against mpmath at 50 digits
// (tools/gen_array_refs.py). The worst relative error reached is printed.
std::string DataPath(const char *name) {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

long double Num(const BcdReal &r) {
  BcdReal d;
  RealFracToDecimal(&r, &d);
  return std::strtold(numtest::Show(d).c_str(), nullptr);
}

TEST(MatAlgebra, AgreesWithHighPrecisionReferences) {
  MemFreeAll();
  std::ifstream in(DataPath("mat_refs.txt"));
  ASSERT_TRUE(in.good());
  std::string line;
  double worstDet = 0, worstInv = 0, worstHilbDet = 0, worstHilbInv = 0;
  int rows = 0;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind, tok;
    int n;
    ss >> kind >> n;
    const bool cx = kind == "cplx";
    std::vector<std::string> els;
    if (kind == "hilb") {
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) els.push_back("1a" + std::to_string(i + j + 1));
      ss >> tok;  // ;
    } else {
      while (ss >> tok && tok != ";") {
        if (cx) {
          std::string im;
          ss >> im;
          els.push_back(tok + "|" + im);
        } else {
          els.push_back(tok);
        }
      }
    }
    std::vector<long double> ref;
    while (ss >> tok && tok != ";") ref.push_back(std::strtold(tok.c_str(), nullptr));
    std::vector<long double> inv;
    bool singular = false;
    while (ss >> tok) {
      if (tok == "-") singular = true;
      else inv.push_back(std::strtold(tok.c_str(), nullptr));
    }
    Value m = Mat(static_cast<u16>(n), static_cast<u16>(n), els), det, out;
    ASSERT_EQ(MatDeterminant(&m, &det), 1) << line.substr(0, 60);
    long double scale = 0;
    for (long double r : ref) scale = std::max(scale, std::fabs(r));
    const bool dc = det.re.b[0] & 0x80;
    det.re.b[0] &= 0x7F;
    const long double dr = Num(det.re), di = dc ? Num(det.im) : 0;
    long double err = std::fabs(dr - ref[0]) + (cx ? std::fabs(di - ref[1]) : 0);
    if (scale > 0) err /= scale;
    EXPECT_LT(err, kind == "hilb" ? 1e-9 : 1e-11) << line.substr(0, 80) << " got " << Show(det);
    (kind == "hilb" ? worstHilbDet : worstDet) = std::max(kind == "hilb" ? worstHilbDet : worstDet, double(err));
    if (!singular) {
      ASSERT_EQ(MatInverse(&m, &out), 1) << line.substr(0, 60);
      const ArrInfo a = ArrInfoOf(&out);
      const BcdReal *e = ArrElems(a.handle);
      long double iscale = 0, ierr = 0;
      for (long double r : inv) iscale = std::max(iscale, std::fabs(r));
      for (u32 k = 0; k < a.count; ++k) {
        Value x;
        ArrGet(e, a.count, a.complex, k, &x);
        const bool xc = x.re.b[0] & 0x80;
        x.re.b[0] &= 0x7F;
        const long double re = Num(x.re), im = xc ? Num(x.im) : 0;
        const long double want_re = cx ? inv[2 * k] : inv[k], want_im = cx ? inv[2 * k + 1] : 0;
        ierr = std::max(ierr, (std::fabs(re - want_re) + std::fabs(im - want_im)) / iscale);
      }
      (kind == "hilb" ? worstHilbInv : worstInv) = std::max(kind == "hilb" ? worstHilbInv : worstInv, double(ierr));
      arrtest::Drop(&out);
    }
    arrtest::Drop(&m);
    ++rows;
  }
  EXPECT_GT(rows, 20);
  std::printf("worst relative error: det %.3g, inverse %.3g; Hilbert det %.3g, inverse %.3g\n", worstDet, worstInv,
              worstHilbDet, worstHilbInv);
  EXPECT_LT(worstDet, 1e-11);
  EXPECT_LT(worstInv, 1e-9);
  EXPECT_LT(worstHilbDet, 1e-9);
  EXPECT_LT(worstHilbInv, 1e-6);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

}  // namespace
