#include <gtest/gtest.h>

#include "eval_testutil.h"

using evaltest::Eval;

TEST(Smoke, Basics) {
  evaltest::ResetState();
  EXPECT_EQ(Eval("1+2"), "3");
  EXPECT_EQ(Eval("2+3*4"), "14");
  EXPECT_EQ(Eval("2^3^2"), "64");
  EXPECT_EQ(Eval("~2^2"), "-4");
  EXPECT_EQ(Eval("2^-2"), "0.25");
  EXPECT_EQ(Eval("(2+3"), "5");
  EXPECT_EQ(Eval("2+3)"), "E2");
  EXPECT_EQ(Eval("{sin}30"), "0.5");
  EXPECT_EQ(Eval("1{frac}2{frac}3"), "1_2/3");
  EXPECT_EQ(Eval("{Pol}1,1)"), "{1.4142135623731,45}");
}
