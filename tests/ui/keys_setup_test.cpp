#include <gtest/gtest.h>

#include "ui/setup.h"

namespace {

// The settings whose first choice is 0 start at 0; insert mode starts in
// insert and the list file at file 1.
TEST(SetupDefaults, ResetValues) {
  for (int n = 0; n < kSetupItemCount; ++n) SetupSetByte(static_cast<u8>(n), 0x5A);
  SetupResetAll();
  EXPECT_EQ(SetupGetItem(kSetupInsertMode), 2);
  EXPECT_EQ(SetupGetItem(kSetupListFile), 1);
  for (int n = 0; n < kSetupItemCount; ++n) {
    if (n == kSetupInsertMode || n == kSetupListFile) continue;
    EXPECT_EQ(SetupGetByte(static_cast<u8>(n)), 0) << n;
  }
}

}  // namespace
