// The number core against reference tables made outside this code
// (tools/gen_number_oracle.py: Python's decimal module for the four basic
// operations, mpmath at 40 digits for the functions). Each case goes the
// stored road: unpack the operands, run the operation, pack the result.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "number/bcd.h"
#include "tests/number/work_text.h"

namespace {

struct Line {
  std::string op, unit, a, b, expected;
  bool deliberate;
  int lineNo;
};

std::vector<Line> Load(const char *name) {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/../data/" + name;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::vector<Line> lines;
  std::string text;
  int no = 0;
  while (std::getline(in, text)) {
    ++no;
    if (text.empty() || text[0] == '#') continue;
    std::istringstream s(text);
    Line l;
    std::string flag;
    s >> l.op >> l.unit >> l.a >> l.b >> l.expected >> flag;
    l.deliberate = flag == "D";
    l.lineNo = no;
    lines.push_back(l);
  }
  return lines;
}

// Stored operand from text, through the stored form.
BcdWork Operand(const std::string &text) {
  const BcdWork w = numtest::WorkFromText(text);
  BcdReal r;
  RealPack(&w, &r);
  BcdWork back;
  RealUnpack(&r, &back);
  return back;
}

std::string StoredResult(BcdWork w) {
  BcdReal r;
  RealPack(&w, &r);
  if (RealErrorCode(&r)) return "err" + std::to_string(RealErrorCode(&r));
  BcdWork back;
  RealUnpack(&r, &back);
  return numtest::WorkToText(back);
}

using Binary = i16 (*)(BcdWork *, const BcdWork *);
using Unary = i16 (*)(BcdWork *);
using WithUnit = i16 (*)(BcdWork *, u16);

std::string Run(const Line &l) {
  static const std::map<std::string, Binary> binary = {
      {"add", BcdAdd}, {"sub", BcdSub}, {"mul", BcdMul}, {"div", BcdDiv}, {"pow", BcdPow}};
  static const std::map<std::string, Unary> unary = {
      {"sqrt", BcdSqrt},   {"ln", BcdLn},       {"log10", BcdLog10}, {"exp", BcdExp},
      {"exp10", BcdExp10}, {"sinh", BcdSinh},   {"cosh", BcdCosh},   {"tanh", BcdTanh},
      {"asinh", BcdAsinh}, {"acosh", BcdAcosh}, {"atanh", BcdAtanh}, {"logs", BcdLogs},
      {"log10s", BcdLog10s}, {"exp10s", BcdExp10s}};
  static const std::map<std::string, WithUnit> withUnit = {{"sin", BcdSin},   {"cos", BcdCos},
                                                           {"tan", BcdTan},   {"asin", BcdAsin},
                                                           {"acos", BcdAcos}, {"atan", BcdAtan}};
  BcdWork a = Operand(l.a);
  if (auto it = binary.find(l.op); it != binary.end()) {
    const BcdWork b = Operand(l.b);
    it->second(&a, &b);
  } else if (auto u = unary.find(l.op); u != unary.end()) {
    u->second(&a);
  } else if (auto t = withUnit.find(l.op); t != withUnit.end()) {
    t->second(&a, static_cast<u16>(std::stoi(l.unit)));
  } else {
    ADD_FAILURE() << "unknown operation " << l.op;
  }
  return StoredResult(a);
}

void CheckTable(const char *name) {
  const std::vector<Line> lines = Load(name);
  std::map<std::string, int> count, deliberate;
  int failures = 0;
  for (const Line &l : lines) {
    ++count[l.op];
    if (l.deliberate) ++deliberate[l.op];
    const std::string got = Run(l);
    if (got != l.expected && ++failures <= 30)
      ADD_FAILURE() << name << ":" << l.lineNo << ": " << l.op << " " << l.unit << " " << l.a << " " << l.b
                    << " gives " << got << ", reference " << l.expected;
  }
  EXPECT_EQ(failures, 0) << name;
  for (const auto &[op, n] : count)
    std::printf("%-7s %5d cases (%d where the dropped digits decide)\n", op.c_str(), n, deliberate[op]);
}

TEST(Oracle, BasicOperationsDigitForDigit) { CheckTable("number_arith.txt"); }
TEST(Oracle, FunctionsRoundLikeTheReference) { CheckTable("number_trans.txt"); }

}  // namespace
// Arguments at and one to three units beside the multiples of pi/2: only the
// roundings of the multiples themselves (of pi or of the pi key) snap.
TEST(Oracle, TrigonometryBesideMultiplesOfHalfPi) { CheckTable("number_halfpi.txt"); }
