// The spreadsheet's system-test fixture: the calculator booted into
// S-SHEET, lines typed on the cell input, cells read back as texts.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "apps/sheet/sheet_app.h"
#include "apps/sheet/sheet_store.h"
#include "kernel/calc_ram.h"
#include "number/numtext.h"
#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

class SheetApp : public CalcSystemTest {
 protected:
  void SetUp() override {
    // The calculator's RAM outlives a restart, as a real one keeps its
    // sheets: each case starts from a fresh main memory.
    HostFreeCalcRam();
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("F"));
    ASSERT_EQ(CalcTitle(), "@SSHEET");
  }
  // Types a line of calculator codes (letters, digits, '=', '$' stand for
  // themselves; '+' and '*' are the operator tokens) and EXE.
  static testing::AssertionResult Type(const std::string &line) {
    testing::AssertionResult r = Codes(line);
    if (!r) return r;
    return CalcPress("EXE");
  }
  // The same codes without EXE.
  static testing::AssertionResult Codes(const std::string &line) {
    for (char c : line) {
      u16 code = static_cast<u8>(c);
      if (c == '+') code = 0x89;
      if (c == '*') code = 0xA9;
      if (c == '/') code = 0xB9;
      testing::AssertionResult r = CalcPostCodes({code});
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // The cell's number as the result line writes it ("ERROR" for an error
  // value, "" for none). Read while the calculator waits for a key.
  static std::string Num(i32 col, i32 row) {
    Value v;
    if (!SheetReadValue(nullptr, col, row, &v)) return "";
    if (ValErrorCode(&v)) return "ERROR";
    char out[kNumTextSize];
    NumToText(&v, out);
    std::string s(out);
    return s.substr(s.find_first_not_of(' '));
  }
  static std::string Formula(i32 col, i32 row) {
    char *f = nullptr;
    return SheetReadFormula(nullptr, col, row, &f) ? std::string(f) : std::string();
  }
  static std::string Tok(std::string s) {
    for (char &c : s) {
      if (c == '+') c = static_cast<char>(0x89);
      if (c == '*') c = static_cast<char>(0xA9);
    }
    return s;
  }
};
