// Whole expressions as token texts: the value and the display text of each,
// or its error code, grouped by what they exercise.
#include <gtest/gtest.h>

#include <string>

#include "../number/numtext_testutil.h"
#include "eval_testutil.h"
#include "number/numtext.h"

namespace {

using evaltest::Eval;

struct Case {
  const char *text;   // token text, eval_testutil.h notation
  const char *value;  // numtest::ShowV of the result, "E<code>" for an error
  const char *shown;  // the display text of the result (empty for errors)
};

// Variables the cases read: A = 4, B = 15, X = 2, theta = 3, r = 5, Ans = 7.
void SetVariables() {
  const std::pair<u8, const char *> vars[] = {{'A', "4"}, {'B', "15"}, {'X', "2"},
                                              {kVarTheta, "3"}, {kVarR, "5"}, {kVarAns, "7"}};
  for (const auto &[code, text] : vars) {
    const Value v = numtest::V(text);
    SysStoreVariable(code, &v);
  }
}

std::string Shown(const std::string &text) {
  evaltest::Outcome o = evaltest::Whole(text);
  if (!o.ok) return "";
  char buf[kNumTextSize];
  NumToText(&o.value, buf);
  EvalFreeCell(&o.value);
  return numtext_test::Readable(buf);
}

void RunTable(const Case *cases, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const Case &c = cases[k];
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Eval(c.text), c.value);
    if (c.value[0] != 'E' && c.value[0] != '{') {
      EXPECT_EQ(Shown(c.text), c.shown);
    }
  }
}

class Expr : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::ResetState();
    SetVariables();
  }
  void TearDown() override { evaltest::ResetState(); }
};

TEST_F(Expr, Priorities) {
  const Case cases[] = {
      {"2+3*4", "14", "14"},
      {"2*3+4", "10", "10"},
      {"2^3^2", "64", "64"},                 // equal priorities: left to right
      {"~2^2", "-4", "~4"},                   // negation below ^
      {"2^~2", "0.25", "0.25"},
      {"2^-2", "0.25", "0.25"},               // '-' after an operator is a sign
      {"1/2A", "0.125", "0.125"},             // 2A binds before the division
      {"6/2(1+2)", "1", "1"},                 // so does 2(...)
      {"2{sin}30", "1", "1"},                 // sin 30 first, then times 2
      {"{sin}2B", "0.5", "0.5"},              // sin(2B)
      {"{sin}30^2", "0", "0"},              // sin(30^2) = sin 900
      {"(2+3", "5", "5"},                     // open brackets close at the end
      {"((2", "2", "2"},
      {"2(3)(4)", "24", "24"},
      {"3{!}{sq}", "36", "36"},               // postfix left to right
      {"2{sq}{!}", "24", "24"},
      {"1+2=3", "1", "1"},
      {"1+2<3", "0", "0"},
      {"2*3{>=}6", "1", "1"},
      {"1{And}0{Or}1", "1", "1"},
      {"5{P}2*2", "40", "40"},                // nPr before *
      {"+-+2", "-2", "~2"},
      {"--2", "2", "2"},
      {"2A{sq}", "32", "32"},
      {"X{sq}+2X+1", "9", "9"},
      {"2{pi}", "6.2831853071796", "6.283185307"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, OperatorsAndFunctions) {
  const Case cases[] = {
      {"7-9", "-2", "~2"},
      {"7/8", "0.875", "0.875"},
      {"3{xrt}8", "2", "2"},
      {"5{P}2", "20", "20"},
      {"5{C}2", "10", "10"},
      {"1{And}1", "1", "1"},
      {"0{Or}0", "0", "0"},
      {"{LNot}0", "1", "1"},
      {"{Not}5", "-6", "~6"},                  // bitwise not in every mode
      {"1{!=}2", "1", "1"},
      {"2{<=}2", "1", "1"},
      {"3>2", "1", "1"},
      {"{cos}60", "0.5", "0.5"},
      {"{tan}45", "1", "1"},
      {"{asin}1", "90", "90"},
      {"{acos}0", "90", "90"},
      {"{atan}1", "45", "45"},
      {"{sinh}0", "0", "0"},
      {"{cosh}0", "1", "1"},
      {"{tanh}0", "0", "0"},
      {"{asinh}0", "0", "0"},
      {"{acosh}1", "0", "0"},
      {"{atanh}0", "0", "0"},
      {"{ln}1", "0", "0"},
      {"{log}1000", "3", "3"},
      {"{exp}0", "1", "1"},
      {"{10^}3", "1000", "1000"},
      {"{sqrt}16", "4", "4"},
      {"{cbrt}27", "3", "3"},
      {"{cbrt}7.65669062108349{e}~79", "9.14843976744566e-27", "9.148439767E~27"},  // to the last digit
      {"{cbrt}7865499408565300000000000000000", "19887282100.9979", "1.98872821E+10"},
      {"{cbrt}~0.008", "-0.2", "~0.2"},
      {"7{xrt}1.23456789012345{e}~90", "1.43195942087411e-13", "1.431959421E~13"},
      {"{Abs}~3", "3", "3"},
      {"{Int}~2.5", "-2", "~2"},
      {"{Frac}2.5", "0.5", "0.5"},
      {"{Intg}~2.5", "-3", "~3"},
      {"{Neg}3", "-3", "~3"},
      {"4{inv}", "0.25", "0.25"},
      {"5{!}", "120", "120"},
      {"{pi}{rad}", "180", "180"},
      {"200{gra}", "180", "180"},
      {"90{deg}", "90", "90"},
      {"2{dms}30{dms}", "2.5", "2.5"},
      {"2{dms}30{dms}36{dms}", "2.51", "2.51"},
      {"2{dms}", "2", "2"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, Fractions) {
  const Case cases[] = {
      {"1{frac}2{frac}3", "1_2/3", "5/3"},
      {"0{frac}1{frac}3", "1/3", "1/3"},
      {"2{frac}0{frac}3", "2", "2"},
      {"1{frac}2+1{frac}3", "5/6", "5/6"},
      {"(~2){frac}1{frac}3", "-2_1/3", "~7/3"},
      {"~2{frac}1{frac}3", "-2_1/3", "~7/3"},
      {"1{frac}2^2", "1/4", "1/4"},          // ^ binds into the fraction
      {"4^1{frac}2", "2", "2"},              // the bar closes 4^1
      {"3{frac}4*2", "1_1/2", "3/2"},
      {"2{frac}4", "1/2", "1/2"},
      {"1{frac}2{frac}3{frac}4", "E2", ""},
      {"4{frac}0", "E3", ""},
      {"0{frac}3", "0", "0"},
      {"1{And}0{frac}3", "0", "0"},            // " And" waits whole under 0_3
      {"1{Or}0{frac}3", "1", "1"},
      {"{Pol}1,1){frac}2", "E3", ""},          // lists take no fraction bar
      {"2{frac}{Pol}1,1)", "E3", ""},
      // A decimal quotient is cleaned up as the same division by '/' is.
      {"1{frac}((2+3)^30{frac}6)", "6.442450944e-21", "6.442450944E~21"},
      {"1/((2+3)^30/6)", "6.442450944e-21", "6.442450944E~21"},
      // Integers of any size are exact operands.
      {"1{e}19{frac}3{e}19", "1/3", "1/3"},
      {"2{e}19{frac}4{e}19", "1/2", "1/2"},
      {"~6{e}30{frac}4{e}30", "-1_1/2", "~3/2"},
      {"1{frac}3*3{e}18", "1e18", "1E+18"},
      {"1{e}20{frac}3", "3.33333333333333e19", "3.333333333E+19"},
      {"1{frac}3+1{e}19", "1e19", "1E+19"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, ComplexModes) {
  // Real mode: a non-real result is an error; a+bi and r<theta compute it.
  const Case real[] = {
      {"{sqrt}~4", "E17", ""},
      {"1+2{i}", "(1,2)", "1+2i"},
      {"{i}{sq}", "-1", "~1"},
  };
  RunTable(real, std::size(real));
  SetupSetItem(kSetupComplexMode, 1);
  const Case rect[] = {
      {"{sqrt}~4", "(0,2)", "2i"},
      {"(1+{i})(1-{i})", "2", "2"},
      {"{Abs}(3+4{i})", "5", "5"},
      {"{Arg}{i}", "90", "90"},
      {"{Conjg}(1+2{i})", "(1,-2)", "1-2i"},
      {"{ReP}(1+2{i})", "1", "1"},
      {"{ImP}(1+2{i})", "2", "2"},
      {"2{angle}90", "(0,2)", "2i"},
  };
  RunTable(rect, std::size(rect));
  SetupSetItem(kSetupComplexMode, 2);
  EXPECT_EQ(Eval("{sqrt}~4"), "(0,2)");
  EXPECT_EQ(Shown("{sqrt}~4"), "2<90");
}

TEST_F(Expr, BaseN) {
  const std::pair<u8, const char *> vars[] = {{'A', "-2.5"}, {'C', "-0.5"}};
  for (const auto &[code, text] : vars) {
    const Value v = numtest::V(text);
    SysStoreVariable(code, &v);
  }
  SetupSetItem(kSetupMode, 9);  // decimal, 32 bits
  const Case dec[] = {
      {"32767+1", "32768", ""},
      {"7/2", "3", ""},
      {"~7/2", "-3", ""},    // the integer part goes toward zero
      {"7/~2", "-3", ""},
      {"~1/2", "0", ""},
      {"5/~3*3", "-3", ""},
      {"A", "-2", ""},       // a variable is read as its integer part
      {"C", "0", ""},
      {"7{frac}2", "3", ""},
      {"{sin}1", "E8", ""},
      {"2^2", "E8", ""},
      {"{h}{HF}{HF}", "255", ""},
      {"{b}101", "5", ""},
      {"{o}17", "15", ""},
      {"{o}8", "E3", ""},
      {"{o}18", "E2", ""},
      {"{d}2147483647", "2147483647", ""},
      {"{d}2147483648", "E3", ""},
      {"{d}2147483647+1", "E3", ""},
      {"~5", "-5", ""},
      {"5{and}3", "1", ""},
      {"5{or}3", "7", ""},
      {"5{xor}3", "6", ""},
      {"5{xnor}3", "-7", ""},
      {"{Not}0", "-1", ""},
      {"1.5", "E2", ""},
      {"{HA}", "E2", ""},
  };
  for (const Case &c : dec) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Eval(c.text), c.value);
  }
  SetupSetItem(kSetupMode, 1);  // binary, 16 bits
  EXPECT_EQ(Eval("{d}32767+1"), "E3");
  EXPECT_EQ(Eval("1111111111111111"), "-1");
  EXPECT_EQ(Eval("11111111111111111"), "E3");
  EXPECT_EQ(Eval("12"), "E2");
  SetupSetItem(kSetupMode, 15);  // hexadecimal
  EXPECT_EQ(Eval("{HF}{HF}+1"), "256");
  EXPECT_EQ(Eval("A{HA}"), "E2");  // the letter A is the variable A: no digit may follow
  SetupSetItem(kSetupMode, 7);     // octal
  EXPECT_EQ(Eval("17+1"), "16");
}

TEST_F(Expr, EngineeringSuffixes) {
  const Value d = numtest::V("1.23456789049995");
  SysStoreVariable('D', &d);
  const Case cases[] = {
      {"D{k}", "1234.5678905", "1234.567891"},  // the scaled value is cleaned up
      {"5{k}", "5000", "5000"},
      {"5{f}", "5e-15", "5E~15"},
      {"2{m}", "0.002", "2E~03"},
      {"3{M}", "3000000", "3000000"},
      {"1{e}~90{f}", "0", "0"},
      {"1{e}90{EE}", "E3", ""},
      {"~5{u}", "-5e-6", "~5E~06"},
      {"1.5{G}+1", "1500000001", "1500000001"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, LiteralLimits) {
  const Case cases[] = {
      {"1{e}99", "1e99", "1E+99"},
      {"9.99999999999999{e}99+0", "9.99999999999999e99", "9.999999999E+99"},  // the largest number stays
      {"10{e}99", "E3", ""},
      {"0.1{e}~99", "0", "0"},
      {"1{e}~99", "1e-99", "1E~99"},
      {"1234567890123456789", "1.23456789012345e18", "1.23456789E+18"},
      {"123456789012345", "123456789012345", "1.23456789E+14"},
      {"1234567890123456", "1.23456789012345e15", "1.23456789E+15"},
      {"12.", "12", "12"},
      {"25{e}2", "2500", "2500"},
      {"30*7", "210", "210"},
      {"2.00000000000009", "2", "2"},
      {"0.005", "0.005", "5E~03"},
      {"000.5", "0.5", "0.5"},
      {"{e}5", "100000", "100000"},
      {"1{e}--5", "100000", "100000"},
      {"1{e}-5", "0.00001", "1E~05"},
      {"1{e}~~5", "100000", "100000"},
      {"1.2.3", "E2", ""},
      {"1{e}", "E2", ""},
      {"1{e}123", "E2", ""},
      {".5", "0.5", "0.5"},
      {"0", "0", "0"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, VariablesAndValues) {
  const Case cases[] = {
      {"A", "4", "4"},
      {"2A", "8", "8"},
      {"AB", "60", "60"},
      {"{Ans}+1", "8", "8"},
      {"2{Ans}", "14", "14"},
      {"{theta}{r}", "15", "15"},
      {"{pi}", "3.1415926535898", "3.141592654"},
      {"C", "0", "0"},
      {"{i}", "(0,1)", "i"},
  };
  RunTable(cases, std::size(cases));
}

TEST_F(Expr, GraphRestrictions) {
  SetupSetByte(kSetupGraphVars, 0x01);  // a graph function of X
  EXPECT_EQ(Eval("X+1"), "3");
  EXPECT_EQ(Eval("Y"), "E2");
  EXPECT_EQ(Eval("T"), "E2");
  EXPECT_EQ(Eval("{theta}"), "E2");
  EXPECT_EQ(Eval("{r}"), "E2");
  EXPECT_EQ(Eval("A"), "4");
  SetupSetByte(kSetupGraphVars, 0x0C);  // theta and T
  EXPECT_EQ(Eval("{theta}+T"), "3");
  EXPECT_EQ(Eval("X"), "E2");
  SetupSetByte(kSetupGraphVars, 0);
  EXPECT_EQ(Eval("Y+{r}"), "5");
}

TEST_F(Expr, SyntaxErrors) {
  const char *texts[] = {
      "",               // nothing to evaluate
      "1+2)",           // unbalanced brackets
      ")",
      "1+",             // operator at the end
      "1*/2",           // two operators
      "*2",
      "{sin}",          // a function without its argument
      "()",
      "{Pol},1)",       // empty argument
      "{Pol}1,)",
      "{Pol}1)",
      "1+{If}2",        // a statement token inside an expression
      "1+{Step}",
      "A2",             // a digit after a variable
      "2{dms}30",       // minutes need their mark
      "2{dms}{dms}",
      "2{!}3",
      "{HA}",           // hex digits outside Base-N mode
      "{#E541}",        // a character, not a token
      "3{frac}",
      "1~2",
      "{#24}A{#24}1",   // a sheet cell outside the spreadsheet
  };
  for (const char *t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(Eval(t), "E2");
  }
}

TEST_F(Expr, MathAndOtherErrors) {
  const Case cases[] = {
      {"1/0", "E3", ""},
      {"{ln}0", "E3", ""},
      {"{log}~1", "E17", ""},
      {"0^0", "E3", ""},
      {"{asin}2", "E3", ""},
      {"70{!}", "E3", ""},
      {"1{e}99*10", "E3", ""},
      {"{Pol}1+{i},1)", "E3", ""},        // a complex argument
      {"{sqrt}~1", "E17", ""},             // Non-Real in Real mode
      {"{Rec}2,0)", "{2,0}", ""},
      {"{Rec}2,90", "{0,2}", ""},              // ')' may be left out at the end
      {"3+{Pol}3,4)", "{8,56.130102354156}", ""},  // a list operand
      {"{logab}2,8)", "3", "3"},
      {"{logab}2,8", "3", "3"},
      {"{logab}1,8)", "E3", ""},
      {"{logab}2)", "E2", ""},
      {"{RndFix}{pi},2)", "3.14", "3.14"},
      {"{RndFix}2{frac}3)", "0.6666666667", "0.6666666667"},
      {"{RndFix}1.23456,0)", "1", "1"},
      {"{RndFix}1.5,10)", "E8", ""},
      {"{RndFix}1.5,~1)", "E8", ""},
      {"{RndFix}1.5,2.7)", "1.5", "1.5"},
      {"{Pol}1,1)", "{1.4142135623731,45}", ""},
  };
  RunTable(cases, std::size(cases));
}

// The normal probabilities in formulas; the statistics estimates and the
// normalised variate need a statistics result, and there is none yet.
TEST_F(Expr, NormalProbabilitiesAndEstimates) {
  const Case cases[] = {
      {"{Pr(}1.96)", "0.975", "0.975"},
      {"{Pr(}~1.96", "0.024998", "0.024998"},
      {"{#FC}0)", "0", "0"},                     // Q(
      {"{#FD}1.96)+1", "1.024998", "1.024998"},  // R( inside a sum
      {"{#FE}1)", "E4", ""},                     // t( without statistics
      {"2{#CB}", "E4", ""},                      // x-hat
      {"2{#CC}", "E4", ""},                      // y-hat
      {"{Pr(}{i})", "E3", ""},                  // a complex number is Ma ERROR
      {"{#FE}(1+{i}))", "E3", ""},
      {"{i}{#CB}", "E3", ""},
  };
  RunTable(cases, std::size(cases));
}

// Seq( and the sum of a sequence in whole formulas.
TEST_F(Expr, SequencesAndSums) {
  const Case cases[] = {
      {"{#7F2C}X{sq},X,1,5,1)", "{1,4,9,16,25}", ""},
      {"{#7F2C}X,X,1,9,4)+1", "{2,6,10}", ""},
      {"{#7F29}X,X,1,10,1)", "55", "55"},
      {"2{#7F29}1{frac}X,X,1,2,1)", "3", "3"},
      {"{#7F29}X,X,1,10", "55", "55"},  // the bracket closes at the end
      {"{#7F29}X,X,1)", "E2", ""},
  };
  RunTable(cases, std::size(cases));
}

// Rows whose records are not made yet give their error, never a made-up
// value.
TEST_F(Expr, WaitingRows) {
  // Statistics results before any calculation are not available.
  for (const char *t : {"{xbar}", "{minX}", "{Mod}"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(Eval(t), "E4");
  }
  EXPECT_EQ(Eval("{an}"), "E2");  // a recursion term outside the recursion table
  EXPECT_EQ(Eval("{Sim}"), "E4");  // Sim Coef with no coefficients stored
  // The financial variables read the financial record, which is not made yet.
  EXPECT_EQ(Eval("{Fin_n}"), "E4");
  // Det and Sum of a number: Ma ERROR from the list and matrix engines.
  EXPECT_EQ(Eval("{Det}A"), "E3");
  EXPECT_EQ(Eval("{Sum}A"), "E3");
  // A list or matrix that does not exist is Dimension ERROR; Max( takes a
  // list, not a bare number.
  EXPECT_EQ(Eval("{List}1"), "E9");
  EXPECT_EQ(Eval("{Mat}A"), "E9");
  EXPECT_EQ(Eval("{Max}1)"), "E8");
}

}  // namespace
