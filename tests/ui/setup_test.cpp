#include "ui/setup.h"

#include <gtest/gtest.h>

namespace {

TEST(Setup, ByteAccessRefusesIndexesFrom100) {
  SetupResetAll();
  SetupSetByte(99, 7);
  EXPECT_EQ(SetupGetByte(99), 7);
  SetupSetByte(100, 9);
  SetupSetByte(255, 9);
  EXPECT_EQ(SetupGetByte(100), 0);
  EXPECT_EQ(SetupGetByte(255), 0);
  EXPECT_EQ(SetupItemAddress(100), nullptr);
  EXPECT_EQ(SetupItemAddress(62) + 2, SetupItemAddress(64));
}

TEST(Setup, ResetAllRestoresDefaults) {
  for (int n = 0; n < kSetupItemCount; ++n) SetupSetByte(static_cast<u8>(n), 0xA5);
  SetupResetAll();
  for (int n = 0; n < kSetupItemCount; ++n) EXPECT_EQ(SetupGetByte(static_cast<u8>(n)), SetupDefault(static_cast<u8>(n))) << n;
  SetupSetItem(kSetupAngle, 1);
  EXPECT_EQ(SetupGetAngle(), 1);
}

}  // namespace
