// The e-activity work areas: the file frame written byte for byte, a file
// read back into the same items, variables and SET UP, the user's memory set
// aside and given back unchanged, and damaged files refused without a trace.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "memory/mcs_workarea.h"
#include "number/numparse.h"
#include "tests/storage/storage_fixture.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

using storage_test::W;

Value Real(i32 n) {
  Value v{};
  NumFromInt32(n, &v.re);
  return v;
}

// Main memory, the variables and SET UP, byte for byte.
std::vector<u8> Raw() {
  std::vector<u8> out(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize);
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  const u8 *v = reinterpret_cast<const u8 *>(slots);
  out.insert(out.end(), v, v + kMcsAlphaMemSize);
  out.insert(out.end(), SetupItemAddress(0), SetupItemAddress(0) + kMcsSetupSize);
  return out;
}

u32 Get32(const std::vector<u8> &b, size_t at) {
  u32 v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(std::vector<u8> &b, size_t at, u32 v) { std::memcpy(b.data() + at, &v, 4); }

class WorkAreaTest : public storage_test::StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    MountFresh();
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SysClearVariables();
  }

  // A list, a matrix, a document item, variables and a changed SET UP.
  void Fill() {
    Value v{};
    for (i32 i = 1; i <= 3; ++i) ASSERT_EQ(ItemListSet(1, 1, 0, &(v = Real(i))), 0u);
    ASSERT_EQ(ItemMatCreate(1, 2, 2), 0u);
    ASSERT_EQ(ItemMatSet(1, 2, 2, &(v = Real(9))), 0u);
    const u8 doc[8] = {};
    ASSERT_EQ(McsCreateItem("@EACT", "EACT1", 0xD4, sizeof doc, doc), 0u);
    for (u8 c = 'A'; c <= 'Z'; ++c) SysStoreVariable(c, &(v = Real(c)));
    SetupSetItem(kSetupAngle, 1);
  }

  std::vector<u8> StorageFile(const char *path) {
    const i32 h = FileOpen(W(path).data());
    if (h < 0) return {};
    const i32 n = FileGetSize(h);
    std::vector<u8> b(static_cast<size_t>(n));
    EXPECT_EQ(FileRead(h, b.data(), n, 0), n);
    FileClose(h);
    return b;
  }
};

constexpr char kPath[] = "\\\\fls0\\AB.EAC";

TEST_F(WorkAreaTest, FileHasItsFrameAndReadsBackIntoTheSameMemory) {
  Fill();
  const std::vector<u8> before = Raw();
  ASSERT_EQ(SysSaveAppAreas(kAreaEactFile, W(kPath).data()), 0u);
  const std::vector<u8> file = StorageFile(kPath);
  ASSERT_GE(file.size(), 16u + kEactContextSize);
  EXPECT_EQ(Get32(file, 0), file.size());
  EXPECT_EQ(Get32(file, 4), kEactContextSize);
  EXPECT_EQ(file[10], 0x00);
  EXPECT_EQ(file[11], 0x01);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.data() + 12), 4), "Pack");
  // The context is SET UP and then the variables.
  EXPECT_EQ(0, std::memcmp(file.data() + 16, SetupItemAddress(0), kMcsSetupSize));
  // "@EACT" comes first of the folders here ("system" and the others are
  // empty), then "main" with the list and the matrix.
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.data() + 16 + kEactContextSize)), "@EACT");
  // The temporary file was put in place, not left beside it.
  EXPECT_TRUE(StorageFile("\\\\fls0\\_EACTWR_.EAC").empty());

  McsWorkEmptyEact();
  ASSERT_NE(Raw(), before);
  ASSERT_EQ(SysRestoreAppAreas(kAreaEactFile, W(kPath).data()), 0u);
  u8 bad = 0;
  EXPECT_EQ(McsCheckArea(&bad), 0u);
  // Items come back in a freshly laid-out area: compared as packed bytes.
  std::vector<u8> again;
  ASSERT_EQ(McsWorkPackEact(&again), 0u);
  EXPECT_EQ(again, file);
  Value a{};
  SysReadVariable('Q', &a);
  const Value q = Real('Q');
  EXPECT_EQ(0, std::memcmp(&a.re, &q.re, 12));
}

TEST_F(WorkAreaTest, MissingFileGivesEmptyAreas) {
  Fill();
  ASSERT_EQ(SysRestoreAppAreas(kAreaEactFile, W("\\\\fls0\\NONE.EAC").data()), 0u);
  EXPECT_NE(McsFindItem("@EACT", "EACT1", nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(McsFindFolder("@RUNMAT", nullptr, nullptr), 0u);
  Value a{};
  SysReadVariable('A', &a);
  const Value zero{};
  EXPECT_EQ(0, std::memcmp(&a.re, &zero.re, 12));
  EXPECT_EQ(SetupGetItem(kSetupAngle), 0);
}

TEST_F(WorkAreaTest, UserMemoryComesBackByteIdentical) {
  Fill();
  const std::vector<u8> before = Raw();
  ASSERT_EQ(SysSaveAppAreas(kAreaUser, nullptr), 0u);
  EXPECT_TRUE(McsWorkUserHeld());
  // E-activity works on other memory meanwhile.
  McsWorkEmptyEact();
  Value v = Real(77);
  SysStoreVariable('A', &v);
  ASSERT_EQ(McsCreateItem("@EACT", "TEXT1", 0xD4, 8, nullptr), 0u);
  SetupSetItem(kSetupAngle, 2);
  ASSERT_EQ(SysRestoreAppAreas(kAreaUser, nullptr), 0u);
  EXPECT_FALSE(McsWorkUserHeld());
  EXPECT_EQ(Raw(), before);
}

TEST_F(WorkAreaTest, PackedSizeLimitIsKept) {
  // Programs that together pass the file's limit.
  std::vector<u8> prog(12000, 0);
  prog[10] = '1';
  ASSERT_EQ(McsCreateItem("system", "P1", 0xC7, 12000, prog.data()), 0u);
  ASSERT_EQ(McsCreateItem("system", "P2", 0xC7, 12000, prog.data()), 0u);
  std::vector<u8> bytes;
  EXPECT_EQ(McsWorkPackEact(&bytes), 0u);
  ASSERT_EQ(McsCreateItem("system", "P3", 0xC7, 12000, prog.data()), 0u);
  EXPECT_EQ(McsWorkPackEact(&bytes), 101u);
}

// Every damaged file is refused before anything changes.
TEST_F(WorkAreaTest, DamagedFilesAreRefusedAndChangeNothing) {
  Fill();
  std::vector<u8> good;
  ASSERT_EQ(McsWorkPackEact(&good), 0u);
  const size_t folder = 16 + kEactContextSize;  // first folder header ("@EACT")
  const size_t item = folder + 16;              // its first item record
  struct Case {
    const char *what;
    u32 code;
    std::function<void(std::vector<u8> &)> spoil;
  };
  const Case cases[] = {
      {"total", 301, [](std::vector<u8> &b) { Put32(b, 0, Get32(b, 0) + 4); }},
      {"context size", 301, [](std::vector<u8> &b) { Put32(b, 4, 800); }},
      {"version", 301, [](std::vector<u8> &b) { b[11] = 2; }},
      {"magic", 301, [](std::vector<u8> &b) { b[12] = 'p'; }},
      {"cut short", 303, [](std::vector<u8> &b) { b.erase(b.end() - 4, b.end()); Put32(b, 0, static_cast<u32>(b.size())); }},
      {"byte left over", 301, [](std::vector<u8> &b) { b.push_back(0); Put32(b, 0, static_cast<u32>(b.size())); }},
      {"SET UP", 302, [](std::vector<u8> &b) { b[16 + kSetupAngle] = 9; }},
      {"variable", 302, [](std::vector<u8> &b) { b[16 + kMcsSetupSize] = 0xF0; }},
      {"folder count", 303, [](std::vector<u8> &b) { b[8] = 0xFF; }},
      {"folder name", 303, [folder](std::vector<u8> &b) { b[folder] = 0; }},
      {"folder data size", 303, [folder](std::vector<u8> &b) { Put32(b, folder + 12, 0x7FFFFFF0); }},
      {"item count", 304, [folder](std::vector<u8> &b) { b[folder + 10] += 1; }},
      {"item name", 304, [item](std::vector<u8> &b) { b[item] = 0x01; }},
      {"item size unaligned", 304, [item](std::vector<u8> &b) { Put32(b, item + 8, Get32(b, item + 8) - 1); }},
      {"item size beyond", 304, [item](std::vector<u8> &b) { Put32(b, item + 8, 0xFFFFFFF0); }},
      {"item type", 304, [item](std::vector<u8> &b) { b[item + 12] = 0; }},
      {"item flags", 304, [item](std::vector<u8> &b) { b[item + 13] = 0x80; }},
  };
  const std::vector<u8> before = Raw();
  for (const Case &c : cases) {
    std::vector<u8> bad = good;
    c.spoil(bad);
    EXPECT_EQ(McsWorkUnpackEact(bad.data(), static_cast<u32>(bad.size())), c.code) << c.what;
    EXPECT_EQ(Raw(), before) << c.what;
  }
  // A list whose header disagrees with its size: found in "main".
  std::vector<u8> bad = good;
  const size_t main_folder = folder + 16 + Get32(good, folder + 12);
  ASSERT_EQ(std::string(reinterpret_cast<const char *>(bad.data() + main_folder)), "main");
  size_t at = main_folder + 16;
  while (bad[at + 12] != 0x8A) at += 16 + Get32(bad, at + 8);  // the list item
  bad[at + 16 + 8] = 200;  // element count
  EXPECT_EQ(McsWorkUnpackEact(bad.data(), static_cast<u32>(bad.size())), 304u);
  EXPECT_EQ(Raw(), before);
  // The good bytes are taken.
  EXPECT_EQ(McsWorkUnpackEact(good.data(), static_cast<u32>(good.size())), 0u);
}

}  // namespace

namespace {

TEST_F(WorkAreaTest, SavesUnderTwoNamesKeepBoth) {
  Fill();
  ASSERT_EQ(SysSaveAppAreas(kAreaEactFile, W("\\\\fls0\\AB.EAC").data()), 0u);
  ASSERT_EQ(SysSaveAppAreas(kAreaEactFile, W("\\\\fls0\\CD.EAC").data()), 0u);
  EXPECT_FALSE(StorageFile("\\\\fls0\\AB.EAC").empty());
  EXPECT_FALSE(StorageFile("\\\\fls0\\CD.EAC").empty());
  // Saving again over a file replaces it.
  ASSERT_EQ(SysSaveAppAreas(kAreaEactFile, W("\\\\fls0\\AB.EAC").data()), 0u);
  EXPECT_EQ(StorageFile("\\\\fls0\\AB.EAC"), StorageFile("\\\\fls0\\CD.EAC"));
}

}  // namespace
