// Helpers of the financial tests: reals from text and back, and a fixture
// with main memory and SET UP at their defaults.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "apps/finance/fin_calc.h"
#include "apps/finance/fin_mem.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "tests/number/work_text.h"
#include "ui/setup.h"

namespace fintest {

inline BcdReal R(const std::string &text) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  NumParse(text.c_str(), &r);
  return r;
}

// The value as a double, or NaN for an error value.
inline double D(const BcdReal &r) {
  if (RealErrorCode(&r)) return std::nan("");
  BcdWork w;
  RealUnpack(&r, &w);
  return std::stod(numtest::WorkToText(w));
}

// Within rel of the reference (absolutely within rel when it is 0).
inline testing::AssertionResult Near(const BcdReal &got, double want, double rel) {
  if (RealErrorCode(&got)) return testing::AssertionFailure() << "error " << int(RealErrorCode(&got));
  const double g = D(got);
  const double scale = want == 0 ? 1 : std::fabs(want);
  if (std::fabs(g - want) <= rel * scale) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << g << " want " << want << " rel " << std::fabs(g - want) / scale;
}

// A list of the current list file from number texts.
inline void SetList(u8 list, const std::vector<std::string> &flows) {
  ItemListDelete(0, list);
  for (const std::string &f : flows) {
    Value v{};
    v.re = R(f);
    ASSERT_EQ(ItemListSet(0, list, 0, &v), 0u);
  }
}

class Memory : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    FinDefaultMem(&mem);
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
  FinMem mem;
};

}  // namespace fintest
