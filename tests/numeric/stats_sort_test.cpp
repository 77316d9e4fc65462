#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "array_testutil.h"
#include "kernel/heap.h"
#include "numeric/list_func.h"
#include "numeric/list_stats.h"
#include "numeric/sort.h"

using arrtest::List;
using arrtest::Mat;
using arrtest::Show;

namespace {

std::string R(const BcdReal &r) { return numtest::Show(r); }

std::string Out(int ok, const Value &v) { return std::to_string(ok) + " " + Show(v); }

TEST(ListStats, MediansQuartilesAndSums) {
  MemFreeAll();
  struct Case {
    std::vector<std::string> data;
    std::string median, q1, q3;
  } cases[] = {
      {{"1", "2", "3", "4"}, "2.5", "1.5", "3.5"},
      {{"1", "2", "3", "4", "5"}, "3", "1.5", "4.5"},
      {{"6", "5", "4", "3", "2", "1"}, "3.5", "2", "5"},
      {{"7", "1"}, "4", "1", "7"},
      {{"5"}, "5", "5", "5"},
      {{"3", "1", "2"}, "2", "1", "3"},
      {{"9.99999999999999e99"}, "9.99999999999999e99", "9.99999999999999e99", "9.99999999999999e99"},
  };
  for (const Case &c : cases) {
    Value l = List(c.data), m;
    BcdReal q1, q3;
    ListMedianValue(&l, &m);
    ListQuartile1(&l, &q1);
    ListQuartile3(&l, &q3);
    EXPECT_EQ(Show(m), c.median) << c.data.size();
    EXPECT_EQ(R(q1), c.q1) << c.data.size();
    EXPECT_EQ(R(q3), c.q3) << c.data.size();
    arrtest::Drop(&l);
  }
  // An empty list has no median or quartiles: Dimension ERROR.
  Value empty = List({});
  Value m;
  BcdReal q;
  EXPECT_EQ(Out(ListMedianValue(&empty, &m), m), "0 E9");
  EXPECT_EQ(ListQuartile1(&empty, &q), 0);
  EXPECT_EQ(R(q), "E9");
  EXPECT_EQ(ListQuartile3(&empty, &q), 0);
  EXPECT_EQ(R(q), "E9");
  arrtest::Drop(&empty);
  // Sums and products, complex lists included; complex lists refused
  // where only reals are taken.
  Value c = List({"1|2", "3"}), p = List({"2", "0.5"}), out;
  EXPECT_EQ(Out(ListSum(&c, &out), out), "1 (4,2)");
  EXPECT_EQ(Out(ListProd(&p, &out), out), "1 1");
  EXPECT_EQ(Out(ListMean(&c, &out), out), "0 E25");
  // The largest number is its own sum and mean: the clean-up does not round
  // it past the range.
  Value big = List({"9.99999999999999e99"});
  EXPECT_EQ(Out(ListSum(&big, &out), out), "1 9.99999999999999e99");
  EXPECT_EQ(Out(ListMean(&big, &out), out), "1 9.99999999999999e99");
  arrtest::Drop(&big);
  EXPECT_EQ(ListQuartile1(&c, &q), 0);
  EXPECT_EQ(R(q), "E25");
  arrtest::Drop(&c);
  arrtest::Drop(&p);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

TEST(ListStats, WithFrequencies) {
  MemFreeAll();
  Value d = List({"1", "2", "3"}), f = List({"1", "0", "3"}), out;
  BcdReal q;
  EXPECT_EQ(Out(ListMedianFreq(&d, &f, &out), out), "1 3");
  EXPECT_EQ(ListQuartile1Freq(&d, &f, &q), 1);
  EXPECT_EQ(R(q), "2");
  EXPECT_EQ(ListQuartile3Freq(&d, &f, &q), 1);
  EXPECT_EQ(R(q), "3");
  EXPECT_EQ(Out(ListMeanFreq(&d, &f, &out), out), "1 2.5");
  struct Bad {
    const char *name;
    std::vector<std::string> freq;
    std::string median, mean;
  } bad[] = {
      {"half", {"0.5", "1", "1"}, "0 E3", "1 2.2"},
      {"negative", {"-1", "1", "1"}, "0 E3", "1 4"},
      {"too large", {"65536", "1", "1"}, "0 E3", "1 1.00004577497025"},
      {"all zero", {"0", "0", "0"}, "0 E3", "0 E3"},
      {"length", {"1", "1"}, "0 E9", "0 E9"},
  };
  // A complex list is refused before unequal sizes, as the frequency total
  // refuses it.
  Value cf = List({"1|1", "1"});
  EXPECT_EQ(ListQuartile1Freq(&d, &cf, &q), 0);
  EXPECT_EQ(R(q), "E25");
  EXPECT_EQ(ListQuartile3Freq(&d, &cf, &q), 0);
  EXPECT_EQ(R(q), "E25");
  arrtest::Drop(&cf);
  for (const Bad &b : bad) {
    Value fb = List(b.freq);
    EXPECT_EQ(Out(ListMedianFreq(&d, &fb, &out), out), b.median) << b.name;
    EXPECT_EQ(Out(ListMeanFreq(&d, &fb, &out), out), b.mean) << b.name;
    EXPECT_EQ(ListQuartile1Freq(&d, &fb, &q), 0) << b.name;
    arrtest::Drop(&fb);
  }
  // One-variable statistics of one value; frequencies summing to 0.
  Value one = List({"4"}), o[6];
  Value *outs[6] = {&o[0], &o[1], &o[2], &o[3], &o[4], &o[5]};
  EXPECT_EQ(ListOneVarStats(&one, outs), 1);
  std::string all;
  for (const Value &v : o) all += Show(v) + " ";
  EXPECT_EQ(all, "1 4 4 16 0 E3 ");
  Value z = List({"1", "-1", "0"});
  EXPECT_EQ(ListOneVarStatsFreq(&d, &z, outs), 1);
  all.clear();
  for (const Value &v : o) all += Show(v) + " ";
  EXPECT_EQ(all, "0 E3 E3 E3 E3 E3 ");
  for (Value *v : {&d, &f, &one, &z}) arrtest::Drop(v);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

// The one-pass textbook routines agree with the two-pass result set on
// well-conditioned data; sums of products with and without frequencies.
TEST(ListStats, OnePassRoutinesAndSumsOfProducts) {
  MemFreeAll();
  Value x = List({"2", "4", "4", "4", "5", "5", "7", "9"}), f = List({"1", "2", "1", "1", "1", "1", "1", "1"});
  Value y = List({"1", "1", "1", "1", "1", "1", "1", "2"}), shortList = List({"1"});
  BcdReal r;
  EXPECT_EQ(ListPopStdDev(&x, &r), 1);
  EXPECT_EQ(R(r), "2");
  EXPECT_EQ(ListSampleStdDev(&x, &r), 1);
  EXPECT_EQ(R(r), "2.13808993529939");
  EXPECT_EQ(ListSumSquares(&x, &r), 1);
  EXPECT_EQ(R(r), "232");
  EXPECT_EQ(ListSumWeighted(&x, &f, &r), 1);
  EXPECT_EQ(R(r), "44");
  EXPECT_EQ(ListSumSquaresWeighted(&x, &f, &r), 1);
  EXPECT_EQ(R(r), "248");
  EXPECT_EQ(ListMeanFreqReal(&x, &f, &r), 1);
  EXPECT_EQ(R(r), "4.88888888888889");
  EXPECT_EQ(ListPopStdDevFreq(&x, &shortList, &r), 0);
  EXPECT_EQ(R(r), "E9");
  EXPECT_EQ(ListSumOfProducts(&x, &y, &r), 1);
  EXPECT_EQ(R(r), "49");
  EXPECT_EQ(ListSumOfProductsFreq(&x, &y, &f, &r), 1);
  EXPECT_EQ(R(r), "53");
  EXPECT_EQ(ListSumOfProducts(&x, &shortList, &r), 0);
  EXPECT_EQ(R(r), "E9");
  for (Value *v : {&x, &f, &y, &shortList}) arrtest::Drop(v);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

std::string DataPath(const char *name) {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

long double Num(const BcdReal &r) { return std::strtold(numtest::Show(r).c_str(), nullptr); }

void Near(const BcdReal &got, const std::string &want, const std::string &what) {
  if (want == "-") {
    EXPECT_EQ(R(got), "E3") << what;
    return;
  }
  const long double w = std::strtold(want.c_str(), nullptr), g = Num(got);
  EXPECT_LE(std::fabs(g - w), 1e-13L * std::max(1.0L, std::fabs(w))) << what << " got " << R(got) << " want " << want;
}

// Means, medians, quartiles, sums and the one-variable results against
// Python's statistics and decimal (tools/gen_array_refs.py).
TEST(ListStats, AgreesWithPythonStatistics) {
  MemFreeAll();
  std::ifstream in(DataPath("list_stats.txt"));
  ASSERT_TRUE(in.good());
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind, tok;
    ss >> kind;
    std::vector<std::string> data, freq, want;
    while (ss >> tok && tok != ";") data.push_back(tok);
    if (kind == "freq") {
      while (ss >> tok && tok != ";") freq.push_back(tok);
    }
    while (ss >> tok) want.push_back(tok);
    Value d = List(data), mean, med;
    BcdReal q1, q3;
    const std::string what = line.substr(0, 50);
    if (kind == "stats") {
      ListMean(&d, &mean);
      ListMedianValue(&d, &med);
      ListQuartile1(&d, &q1);
      ListQuartile3(&d, &q3);
      Value o[6];
      Value *outs[6] = {&o[0], &o[1], &o[2], &o[3], &o[4], &o[5]};
      ASSERT_EQ(ListOneVarStats(&d, outs), 1) << what;
      Near(mean.re, want[0], "mean " + what);
      Near(o[1].re, want[0], "1-var mean " + what);
      Near(med.re, want[1], "median " + what);
      Near(q1, want[2], "q1 " + what);
      Near(q3, want[3], "q3 " + what);
      Near(o[2].re, want[4], "sum " + what);
      Near(o[3].re, want[5], "sum of squares " + what);
      Near(o[4].re, want[6], "population sd " + what);
      Near(o[5].re, want[7], "sample sd " + what);
    } else {
      Value f = List(freq);
      ListMeanFreq(&d, &f, &mean);
      ListMedianFreq(&d, &f, &med);
      ListQuartile1Freq(&d, &f, &q1);
      ListQuartile3Freq(&d, &f, &q3);
      Near(mean.re, want[0], "mean " + what);
      Near(med.re, want[1], "median " + what);
      Near(q1, want[2], "q1 " + what);
      Near(q3, want[3], "q3 " + what);
      arrtest::Drop(&f);
    }
    arrtest::Drop(&d);
    ++rows;
  }
  EXPECT_GT(rows, 50);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

TEST(ListFunctions, CumlPercentMatrixBuilders) {
  MemFreeAll();
  auto keep = [](int ok, Value v) {
    const std::string s = std::to_string(ok) + " " + Show(v);
    arrtest::Drop(&v);
    return s;
  };
  Value a = List({"1", "2", "3"}), b = List({"1", "3"}), neg = List({"1", "-1"}), c = List({"1|1", "2"});
  Value x = List({"1", "2"}), y = List({"3", "4"}), out, scratch;
  struct Case {
    const char *name;
    std::string got, want;
  } cases[] = {
      {"cuml", keep(ListCuml(&a, &out), out), "1 {1,3,6}"},
      {"cuml complex", keep(ListCuml(&c, &out), out), "1 c{1|1,3|1}"},
      {"percent", keep(ListPercent(&b, &out, &scratch), out), "1 {25,75}"},
      {"percent negative", keep(ListPercent(&neg, &out, &scratch), out), "0 E3"},
      {"list to matrix pair", keep(ListPairToMat(&x, &y, &out), out), "1 [[1,3][2,4]]"},
      {"list to matrix lengths", keep(ListPairToMat(&a, &y, &out), out), "0 E9"},
      {"list to column", keep(ListToMatColumn(&c, &out), out), "1 c[[1|1][2]]"},
      {"augment", [&] {
         Value m1 = Mat(1, 2, {"1", "2"}), m2 = Mat(1, 1, {"3"});
         const std::string s = keep(MatAugment(&m1, &m2, &out), out);
         arrtest::Drop(&m1);
         arrtest::Drop(&m2);
         return s;
       }(), "1 [[1,2,3]]"},
      {"augment rows differ", [&] {
         Value m1 = Mat(1, 2, {"1", "2"}), m2 = Mat(2, 1, {"3", "4"});
         const std::string s = keep(MatAugment(&m1, &m2, &out), out);
         arrtest::Drop(&m1);
         arrtest::Drop(&m2);
         return s;
       }(), "0 E9"},
      {"append a column", [&] {
         Value m = Mat(2, 1, {"1", "2"});
         const std::string s = keep(MatAppendListColumn(&y, &m, &out), out);
         arrtest::Drop(&m);
         return s;
       }(), "1 [[1,3][2,4]]"},
  };
  for (const Case &k : cases) EXPECT_EQ(k.got, k.want) << k.name;
  // Fill: a complex value into a real heap list grows its block; into a
  // real matrix too; a real value into a complex list makes it real.
  const Value z = numtest::C("1", "2"), r = numtest::V("5");
  EXPECT_EQ(ListFill(&z, &a), 1);
  EXPECT_EQ(Show(a), "c{1|2,1|2,1|2}");
  EXPECT_EQ(ListFill(&r, &a), 1);
  EXPECT_EQ(Show(a), "{5,5,5}");
  Value m = Mat(1, 2, {"0", "0"});
  EXPECT_EQ(MatFill(&z, &m), 1);
  EXPECT_EQ(Show(m), "c[[1|2,1|2]]");
  for (Value *v : {&a, &b, &neg, &c, &x, &y, &m}) arrtest::Drop(v);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

// SortA and SortD on random data with ties and up to six companion lists:
// the key comes out ordered and the rows stay paired (each row is one of
// the original rows, each used once).
TEST(Sorting, KeyOrderedAndRowsPaired) {
  MemFreeAll();
  std::mt19937 rng(1210);
  for (int round = 0; round < 40; ++round) {
    const int n = round < 10 ? round + 1 : static_cast<int>(rng() % 999) + 1;
    const int companions = static_cast<int>(rng() % 7);
    const bool desc = round % 2 == 1;
    std::vector<std::vector<std::string>> cols(companions + 1);
    for (int i = 0; i < n; ++i) {
      cols[0].push_back(std::to_string(static_cast<int>(rng() % 7) - 3));  // many ties
      for (int c = 1; c <= companions; ++c) cols[c].push_back(std::to_string(i * 10 + c));
    }
    std::vector<Value> lists;
    for (const auto &col : cols) lists.push_back(List(col));
    std::vector<Value *> ptrs;
    for (Value &v : lists) ptrs.push_back(&v);
    const u32 r = desc ? SortListsDescending(static_cast<int>(ptrs.size()), ptrs.data())
                       : SortListsAscending(static_cast<int>(ptrs.size()), ptrs.data());
    ASSERT_EQ(r, 0u);
    std::vector<std::vector<long double>> got(cols.size());
    for (size_t c = 0; c < cols.size(); ++c) {
      const ArrInfo a = ArrInfoOf(&lists[c]);
      const BcdReal *e = ArrElems(a.handle);
      for (int i = 0; i < n; ++i) got[c].push_back(Num(e[i]));
    }
    for (int i = 1; i < n; ++i) {
      if (desc) EXPECT_GE(got[0][i - 1], got[0][i]);
      else EXPECT_LE(got[0][i - 1], got[0][i]);
    }
    if (companions > 0) {
      std::vector<bool> seen(n, false);
      for (int i = 0; i < n; ++i) {
        const int orig = static_cast<int>(got[1][i] - 1) / 10;
        ASSERT_TRUE(orig >= 0 && orig < n && !seen[orig]);
        seen[orig] = true;
        EXPECT_EQ(got[0][i], std::strtold(cols[0][orig].c_str(), nullptr));
        for (int c = 1; c <= companions; ++c) EXPECT_EQ(got[c][i], orig * 10 + c);
      }
    }
    for (Value &v : lists) arrtest::Drop(&v);
  }
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

TEST(Sorting, EdgeCasesAndFailures) {
  MemFreeAll();
  Value k = List({"3", "1", "2"}), c = List({"30", "10", "20"});
  Value *two[2] = {&k, &c};
  EXPECT_EQ(SortListsAscending(2, two), 0u);
  EXPECT_EQ(Show(k) + Show(c), "{1,2,3}{10,20,30}");
  EXPECT_EQ(SortListsDescending(2, two), 0u);
  EXPECT_EQ(Show(k) + Show(c), "{3,2,1}{30,20,10}");
  Value cx = List({"-3", "1|1", "2"});
  Value *one[1] = {&cx};
  EXPECT_EQ(SortListsAscending(1, one), 0u);
  EXPECT_EQ(Show(cx), "c{1|1,2,-3}");
  // Equal keys in a short list keep their order, companions with them.
  Value t = List({"1", "0", "1", "0"}), tc = List({"1", "2", "3", "4"});
  Value *ties[2] = {&t, &tc};
  EXPECT_EQ(SortListsAscending(2, ties), 0u);
  EXPECT_EQ(Show(tc), "{2,4,1,3}");
  // Memory for the copies runs out: every list stays as it was, paired.
  Value k2 = List({"3", "1", "2"}), c2 = List({"30", "10", "20"});
  Value *pair[2] = {&k2, &c2};
  std::vector<MemHandle> fill;
  while (MemHandle f = MemAlloc(1)) fill.push_back(f);
  for (int free = 0; free < 3; ++free) {
    // Leave `free` slots: enough for the permutation and some copies, not
    // for every copy.
    for (int i = 0; i < free; ++i) MemFree(fill[fill.size() - 1 - i]);
    const u32 r = SortListsAscending(2, pair);
    EXPECT_EQ(r, 4u) << free;
    EXPECT_EQ(Show(k2) + Show(c2), "{3,1,2}{30,10,20}") << free;
    for (int i = 0; i < free; ++i) fill[fill.size() - 1 - i] = MemAlloc(1);
  }
  // Three slots: the permutation and both copies; sorted and paired.
  for (int i = 0; i < 3; ++i) MemFree(fill[fill.size() - 1 - i]);
  EXPECT_EQ(SortListsAscending(2, pair), 0u);
  EXPECT_EQ(Show(k2) + Show(c2), "{1,2,3}{10,20,30}");
  for (int i = 0; i < 3; ++i) fill[fill.size() - 1 - i] = MemAlloc(1);
  for (MemHandle f : fill) MemFree(f);
  // The heap sorts refuse an empty array.
  const MemHandle h = MemAlloc(12);
  EXPECT_EQ(ListHeapSort(0, h), 9u);
  MemFree(h);
  for (Value *v : {&k, &c, &cx, &t, &tc, &k2, &c2}) arrtest::Drop(v);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

}  // namespace
