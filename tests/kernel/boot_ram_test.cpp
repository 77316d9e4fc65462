// The boot's RAM check: signature, main-memory walk and the notice box.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "kernel/boot.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_store.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr i32 kMenuColumn = 4, kMenuRow = 9;

// Stores a one-digit value into variable A.
void StoreA(u8 digit) {
  Value v{};
  v.re.b[0] = 0x10;  // a positive number, exponent 0
  v.re.b[1] = 0x00;
  v.re.b[2] = static_cast<u8>(digit << 4);
  SysStoreVariable('A', &v);
}

bool AIsZero() {
  Value v{};
  SysReadVariable('A', &v);
  for (u8 b : v.re.b) {
    if (b != 0) return false;
  }
  return true;
}

bool SignatureValid() { return std::memcmp(SysRamSignature(), "ORVEKWIN", 8) == 0; }

u32 AreaWalk() {
  u8 folder = 0;
  return McsCheckArea(&folder);
}

const u16 kStorage[] = {'f', 'l', 's', '0', 0};

// A storage image in a fresh temporary file (unformatted until formatted).
class BootRam : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    HostClearKeyQueue();
    char path[] = "/tmp/corvanta-boot-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = path;
    ASSERT_EQ(FlsImageOpen(path_.c_str()), 0);
  }
  void TearDown() override {
    FlsImageClose();
    unlink(path_.c_str());
  }
  void Format() { ASSERT_GE(FileFormatStorage(kStorage, 1), 0); }
  std::string path_;
};

TEST_F(BootRam, FreshRamIsInitialisedAndTheBoxWaitsForMenu) {
  Format();
  SysClearRamSignature();
  // The box reads keys until MENU: the first two are ignored.
  HostPostKey(3, 2, 0);  // EXE
  HostPostKey(7, 3, 0);  // 1
  HostPostKey(kMenuColumn, kMenuRow, 0);
  HostPostKey(3, 8, 0);  // DOWN, left for whoever reads next
  EXPECT_EQ(SysCheckRam(), kSysBootRamInit | kSysBootMainCleared);
  EXPECT_TRUE(SignatureValid());
  EXPECT_EQ(AreaWalk(), 0u);
  EXPECT_EQ(HostKeyQueueCount(), 1u);
  HostClearKeyQueue();
}

TEST_F(BootRam, ValidRamAndMainMemoryAreKeptWithoutABox) {
  Format();
  SysClearRamSignature();
  HostPostKey(kMenuColumn, kMenuRow, 0);
  SysCheckRam();
  SetupSetItem(kSetupAngle, 1);
  StoreA(7);
  ASSERT_FALSE(AIsZero());
  ASSERT_EQ(McsCreateFolder("KEEPME") & 0xFF, 0u);
  HostPostKey(3, 8, 0);  // would be eaten by a box
  EXPECT_EQ(SysCheckRam(), 0u);
  EXPECT_EQ(HostKeyQueueCount(), 1u);
  EXPECT_EQ(SetupGetItem(kSetupAngle), 1);
  EXPECT_FALSE(AIsZero());
  u8 index = 0;
  EXPECT_EQ(McsFindFolder("KEEPME", nullptr, &index) & 0xFF, 0u);
  HostClearKeyQueue();
}

TEST_F(BootRam, BrokenMainMemoryIsClearedAndRamReinitialised) {
  Format();
  SysClearRamSignature();
  HostPostKey(kMenuColumn, kMenuRow, 0);
  SysCheckRam();
  SetupSetItem(kSetupAngle, 2);
  StoreA(3);
  ASSERT_FALSE(AIsZero());
  std::memset(CalcRamArea(), 0xA5, 256);
  ASSERT_NE(AreaWalk(), 0u);
  HostPostKey(kMenuColumn, kMenuRow, 0);
  EXPECT_EQ(SysCheckRam(), kSysBootRamInit | kSysBootMainCleared);
  EXPECT_EQ(AreaWalk(), 0u);
  EXPECT_EQ(SetupGetItem(kSetupAngle), SetupDefault(kSetupAngle));
  EXPECT_TRUE(AIsZero());
  EXPECT_EQ(HostKeyQueueCount(), 0u);
}

TEST_F(BootRam, UnformattedStorageIsFormattedWithASecondBox) {
  ASSERT_EQ(FlsCheck(), -6);
  SysClearRamSignature();
  HostPostKey(kMenuColumn, kMenuRow, 0);  // closes "MAIN MEMORIES"
  HostPostKey(3, 2, 0);                   // EXE, ignored by the second box
  HostPostKey(kMenuColumn, kMenuRow, 0);  // closes "STORAGE MEMORIES"
  EXPECT_EQ(SysCheckRam(), kSysBootRamInit | kSysBootMainCleared | kSysBootStorageFormatted);
  EXPECT_EQ(HostKeyQueueCount(), 0u);
  EXPECT_EQ(FlsCheck(), 0);
  u32 free_bytes = 0;
  EXPECT_EQ(FileGetFreeSpace(kStorage, &free_bytes), 0);
  EXPECT_GT(free_bytes, 0u);
  // Formatted now: the next check leaves the storage alone.
  EXPECT_EQ(SysCheckRam(), 0u);
}

TEST_F(BootRam, StorageThatCannotBeFormattedIsNotReportedCleared) {
  FlsImageClose();  // no image: the format fails
  SysClearRamSignature();
  HostPostKey(kMenuColumn, kMenuRow, 0);
  HostPostKey(kMenuColumn, kMenuRow, 0);  // the storage box waits for MENU too
  EXPECT_EQ(SysCheckRam(), kSysBootRamInit | kSysBootMainCleared);
  EXPECT_EQ(HostKeyQueueCount(), 0u);
}

TEST_F(BootRam, ResetOperations) {
  Format();
  SysClearRamSignature();
  SysResetMainMemory();
  EXPECT_TRUE(SignatureValid());
  EXPECT_EQ(AreaWalk(), 0u);
  EXPECT_EQ(SysFormatStorage() >= 0, true);
  EXPECT_EQ(FlsCheck(), 0);
  EXPECT_EQ(SysBatteryLevel(), 0u);
  EXPECT_EQ(SysCheckBattery(0), 0u);
  EXPECT_EQ(SysWarnLowBattery(0), 0u);
}

}  // namespace
