// Helpers of the statistics command tests: main memory at its defaults, the
// reference table of tools/gen_stat_test_refs.py, lists and matrices from
// number texts.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "tests/apps/finance/fin_test_util.h"
#include "ui/setup.h"

namespace stattest {

using fintest::D;
using fintest::Near;
using fintest::R;
using fintest::SetList;

// The reference value of a key of tests/data/stat_test_refs.txt.
inline double Ref(const std::string &key) {
  static const std::map<std::string, double> table = [] {
    std::map<std::string, double> t;
    std::string path = __FILE__;
    path = path.substr(0, path.rfind('/')) + "/../../data/stat_test_refs.txt";
    std::ifstream in(path);
    std::string k, v;
    while (in >> k >> v) t[k] = std::stod(v);
    return t;
  }();
  const auto it = table.find(key);
  if (it == table.end()) ADD_FAILURE() << "no reference " << key;
  return it == table.end() ? 0 : it->second;
}

inline void SetMatrix(u8 m, const std::vector<std::vector<std::string>> &rows) {
  ASSERT_EQ(ItemMatCreate(m, static_cast<u32>(rows.size()), static_cast<u32>(rows[0].size())), 0u);
  for (size_t i = 0; i < rows.size(); ++i)
    for (size_t j = 0; j < rows[i].size(); ++j) {
      Value v{};
      v.re = R(rows[i][j]);
      ASSERT_EQ(ItemMatSet(m, static_cast<u32>(i + 1), static_cast<u32>(j + 1), &v), 0u);
    }
}

// Element i (from 1) of a list of the current list file as a double.
inline double ListAt(u8 list, u32 i) {
  Value v{};
  if (ItemListGet(0, list, i, &v) != 0) return -12345;
  return D(v.re);
}

// Main memory cleared and SET UP at its defaults, List 1 and List 2 holding
// the two samples of the reference table.
class Memory : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SetList(1, {"5.1", "4.9", "5.6", "5.8", "6", "5.2", "4.7", "5.5"});
    SetList(2, {"4.8", "5", "4.6", "5.1", "4.4", "4.9"});
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
};

}  // namespace stattest
