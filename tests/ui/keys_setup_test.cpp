#include <gtest/gtest.h>

#include "ui/setup.h"

namespace {

// The settings whose first choice is 0 start at 0; insert mode starts in
// insert, the list file at file 1 and Dual Screen at Off (3), so a fresh
// graph screen is not split.
TEST(SetupDefaults, ResetValues) {
  for (int n = 0; n < kSetupItemCount; ++n) SetupSetByte(static_cast<u8>(n), 0x5A);
  SetupResetAll();
  EXPECT_EQ(SetupGetItem(kSetupInsertMode), 2);
  EXPECT_EQ(SetupGetItem(kSetupListFile), 1);
  EXPECT_EQ(SetupGetItem(kSetupDualScreen), 3);
  for (int n = 0; n < kSetupItemCount; ++n) {
    if (n == kSetupInsertMode || n == kSetupListFile || n == kSetupDualScreen) continue;
    EXPECT_EQ(SetupGetByte(static_cast<u8>(n)), 0) << n;
  }
}

}  // namespace
