// Helpers of the spreadsheet tests: a fixture with main memory and SET UP at
// their defaults and the sheet "SHEET" current, and cells written and read
// as readable texts (formulas in the evaluator tests' notation).
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "apps/sheet/sheet_eval.h"
#include "apps/sheet/sheet_store.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "tests/eval/eval_testutil.h"
#include "ui/setup.h"

namespace sheettest {

inline std::string Tok(const std::string &s) {
  std::vector<u8> t = evaltest::Tokens(s);
  while (!t.empty() && t.back() == 0) t.pop_back();
  return std::string(t.begin(), t.end());
}

inline Value V(const std::string &text) {
  Value v{};
  NumParse(text.c_str(), &v.re);
  return v;
}

// The cell's number as the result line shows it, "ERROR n" for an error
// value, "" for none.
inline std::string Num(i32 col, i32 row) {
  Value v;
  if (!SheetReadValue(nullptr, col, row, &v)) return "";
  if (u8 e = ValErrorCode(&v)) return "ERROR " + std::to_string(e);
  char out[kNumTextSize];
  NumToText(&v, out);
  std::string s(out);
  while (!s.empty() && s[0] == ' ') s.erase(0, 1);
  for (char &c : s)
    if (static_cast<u8>(c) == 0x87) c = '-';
  return s;
}

inline std::string Formula(i32 col, i32 row) {
  char *f = nullptr;
  return SheetReadFormula(nullptr, col, row, &f) ? std::string(f) : std::string();
}

inline void PutNum(i32 col, i32 row, const std::string &n) {
  const Value v = V(n);
  ASSERT_EQ(SheetWriteValue(nullptr, col, row, &v), 0u);
}

inline void PutFormula(i32 col, i32 row, const std::string &f) {
  ASSERT_EQ(SheetWriteFormula(nullptr, col, row, Tok(f).c_str()), 0u);
}

inline std::vector<u8> Item(const char *name = "SHEET") {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, name, &size, &d) != 0) return {};
  return std::vector<u8>(d, d + size);
}

inline u32 Get32(const std::vector<u8> &b, size_t at) {
  u32 v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// Takes all but `leave` bytes of free main memory into a filler item.
inline void FillMemory(u32 leave) {
  McsDeleteInFolder("main", "FILLER");
  const u32 free_bytes = SheetFreeBytes();
  if (free_bytes <= leave + 64) return;
  u32 want = (free_bytes - leave) & ~3u;
  while (want > 0 && McsCreateInFolder("main", "FILLER", want, nullptr) != 0) want -= 4;
}

class Sheet : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    ASSERT_EQ(SheetSetCurrentName("SHEET"), 1u);
    ASSERT_NE(SheetOpen(nullptr), nullptr);
    SheetLatchError(0);
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
};

}  // namespace sheettest
