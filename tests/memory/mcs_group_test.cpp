// Group files and backups: writing to storage and host files, reading them
// back, the checks a restore makes first, and the writers' care for old files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "kernel/boot.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
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

Value Complex(i32 re, i32 im) {
  Value v{};
  NumFromInt32(re, &v.re);
  NumFromInt32(im, &v.im);
  v.re.b[0] |= 0x80;
  return v;
}

// Every item of main memory: (folder, name) -> type and data.
using ItemMap = std::map<std::pair<std::string, std::string>, std::pair<u8, std::vector<u8>>>;

ItemMap AllItems() {
  ItemMap out;
  for (u32 i = 1; i <= kMcsFolderCount; ++i) {
    McsFolderRecord *f = nullptr;
    if (McsFolderByIndex(i, &f) != 0 || !f || !f->name[0]) continue;
    const std::string folder(f->name, strnlen(f->name, 8));
    const McsItemRecord *items = McsFolderItems(f);
    for (u16 k = 0; k < f->count; ++k) {
      const std::string name(items[k].name, strnlen(items[k].name, 8));
      u8 *data = nullptr;
      u32 size = 0;
      u8 type = 0;
      McsFindItem(folder.c_str(), name.c_str(), &type, nullptr, &data, &size);
      out[{folder, name}] = {type, std::vector<u8>(data, data + size)};
    }
  }
  return out;
}

std::vector<u8> Vars() {
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  const u8 *p = reinterpret_cast<const u8 *>(slots);
  return std::vector<u8>(p, p + kMcsAlphaMemSize);
}

std::vector<u8> SetupBytes() { return std::vector<u8>(SetupItemAddress(0), SetupItemAddress(0) + kMcsSetupSize); }

// What a restore must give back whole.
struct MemoryState {
  ItemMap items;
  std::vector<u8> vars, setup;
  bool operator==(const MemoryState &) const = default;
};
MemoryState State() { return {AllItems(), Vars(), SetupBytes()}; }

void MakeProgram(const char *name, const char *password, const char *text) {
  std::vector<u8> item(10 + std::strlen(text) + 1, 0);
  std::memcpy(item.data(), password, std::strlen(password));
  std::memcpy(item.data() + 10, text, std::strlen(text));
  item.resize((item.size() + 3) & ~size_t{3}, 0);
  ASSERT_EQ(McsCreateItem("system", name, 0xC7, static_cast<u32>(item.size()), item.data()), 0u);
}

class GroupFileTest : public storage_test::StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    MountFresh();
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SysClearVariables();
  }

  // Programs, lists in two list files, matrices, variables and a changed
  // SET UP.
  void Fill() {
    MakeProgram("ALPHA", "", "1+2");
    MakeProgram("SECRET", "KEY", "A*B");
    for (i32 i = 1; i <= 3; ++i) ASSERT_EQ(ItemListSet(1, 1, 0, &(tmp_ = Real(i))), 0u);
    ASSERT_EQ(ItemListSetSubName(1, 1, "SUB"), 0u);
    ASSERT_EQ(ItemListSet(2, 3, 0, &(tmp_ = Complex(1, 2))), 0u);
    ASSERT_EQ(ItemListSet(2, 3, 0, &(tmp_ = Real(7))), 0u);
    ASSERT_EQ(ItemMatCreate(1, 2, 2), 0u);
    ASSERT_EQ(ItemMatSet(1, 2, 2, &(tmp_ = Real(9))), 0u);
    ASSERT_EQ(ItemMatCreate(2, 1, 3), 0u);
    ASSERT_EQ(ItemMatSet(2, 1, 1, &(tmp_ = Complex(0, 5))), 0u);
    for (u8 c = 'A'; c <= 'Z'; ++c) SysStoreVariable(c, &(tmp_ = Real(c)));
    SysStoreVariable(kVarTheta, &(tmp_ = Real(-4)));
    SysStoreVariable(kVarR, &(tmp_ = Real(12)));
    SysStoreVariable(kVarAns, &(tmp_ = Complex(3, -3)));
    SetupSetItem(kSetupAngle, 1);
    SetupSetItem(kSetupListFile, 2);
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

  std::vector<u8> HostFile(const char *rel) {
    std::ifstream in(dir_ + "/host/C/" + rel, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), {});
  }

  void WriteHostFile(const char *rel, const std::vector<u8> &b) {
    std::filesystem::create_directories(dir_ + "/host/C");
    std::ofstream out(dir_ + "/host/C/" + rel, std::ios::binary);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
  }

  Value tmp_{};
};

TEST_F(GroupFileTest, BackupRoundTripsThroughStorageAndHostFiles) {
  Fill();
  const MemoryState before = State();
  for (const char *path : {"\\\\fls0\\BACKUP.MCS", "C:\\BACKUP.MCS"}) {
    SCOPED_TRACE(path);
    ASSERT_EQ(McsSaveBackup(W(path).data()), 0);
    // Writing a host file leaves the live data as it was.
    EXPECT_EQ(State(), before);
    SysResetMainMemory();
    EXPECT_NE(State(), before);
    ASSERT_EQ(McsRestoreBackup(W(path).data()), 0);
    EXPECT_EQ(State(), before);
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u);
  }
}

TEST_F(GroupFileTest, SingleGroupsRoundTrip) {
  Fill();
  const MemoryState before = State();
  struct Group {
    const char *group, *member, *file;
    std::pair<std::string, std::string> item;  // the store item it carries, if any
  };
  const Group kGroups[] = {
      {"PROGRAM", "SECRET", "SECRET.MCS", {"system", "SECRET"}},
      {"LISTFILE", "LIST FILE  2", "L-LIST_2.MCS", {"main", "2LIST3"}},
      {"MATRIX", "MAT_B", "MAT_B.MCS", {"main", "MAT_B"}},
      {"ALPHA MEM", nullptr, "ALPHAMEM.MCS", {}},
      {"SETUP", nullptr, "SETUP.MCS", {}},
  };
  for (const Group &g : kGroups)
    for (const char *folder : {"\\\\fls0\\", "C:\\"})
      ASSERT_EQ(McsCountAndWriteGroup(W(folder).data(), g.group, g.member, 0), 0) << g.group << " " << folder;
  for (const Group &g : kGroups) {
    for (const char *folder : {"\\\\fls0\\", "C:\\"}) {
      SCOPED_TRACE(std::string(g.group) + " " + folder);
      SysResetMainMemory();
      const MemoryState reset = State();
      const std::string path = std::string(folder) + g.file;
      ASSERT_EQ(McsRestoreBackup(W(path.c_str()).data()), 0);
      ASSERT_EQ(McsRestoreBackup(W(path.c_str()).data()), 0) << "a second restore replaces";
      const MemoryState after = State();
      // The group's own part came back, and nothing else changed.
      EXPECT_EQ(after.vars, std::string(g.group) == "ALPHA MEM" ? before.vars : reset.vars);
      EXPECT_EQ(after.setup, std::string(g.group) == "SETUP" ? before.setup : reset.setup);
      ItemMap expected = reset.items;
      if (!g.item.first.empty()) expected[g.item] = before.items.at(g.item);
      EXPECT_EQ(after.items, expected);
    }
  }
}

TEST_F(GroupFileTest, StorageAndHostFilesDifferOnlyInByteOrder) {
  Fill();
  ASSERT_EQ(McsSaveBackup(W("\\\\fls0\\BACKUP.MCS").data()), 0);
  ASSERT_EQ(McsSaveBackup(W("C:\\BACKUP.MCS").data()), 0);
  const std::vector<u8> s = StorageFile("\\\\fls0\\BACKUP.MCS");
  const std::vector<u8> h = HostFile("BACKUP.MCS");
  ASSERT_EQ(s.size(), h.size());
  ASSERT_GE(s.size(), 32u);
  auto reversed = [&](size_t at, size_t n) {
    for (size_t i = 0; i < n; ++i)
      if (s[at + i] != h[at + n - 1 - i]) return false;
    return true;
  };
  EXPECT_TRUE(std::equal(s.begin(), s.begin() + 30, h.begin()));
  EXPECT_TRUE(reversed(30, 2));
  u16 count;
  std::memcpy(&count, &s[30], 2);
  size_t at = 32, lists = 0;
  for (u16 i = 0; i < count; ++i) {
    ASSERT_LE(at + 24, s.size());
    EXPECT_TRUE(std::equal(s.begin() + at, s.begin() + at + 17, h.begin() + at));
    EXPECT_TRUE(reversed(at + 17, 4));
    u32 size;
    std::memcpy(&size, &s[at + 17], 4);
    const std::string folder(reinterpret_cast<const char *>(&s[at]), strnlen(reinterpret_cast<const char *>(&s[at]), 8));
    const u8 type = s[at + 16];
    const size_t d = at + 24;
    if (folder == "main" && (type == 0x8A || type == 0x8C)) {
      // Lists and matrices: the count (or rows and columns) swapped, the
      // reals as they are.
      ++lists;
      EXPECT_TRUE(reversed(d + 8, 2));
      if (type == 0x8C) {
        EXPECT_TRUE(reversed(d + 10, 2));
      }
      EXPECT_TRUE(std::equal(s.begin() + d + 12, s.begin() + d + size, h.begin() + d + 12));
    } else {
      EXPECT_TRUE(std::equal(s.begin() + d, s.begin() + d + size, h.begin() + d)) << folder;
    }
    at = d + size;
  }
  EXPECT_EQ(at, s.size());
  EXPECT_EQ(lists, 4u);
}

TEST_F(GroupFileTest, OneListOfThreeRealsMakesAHundredAndEightBytes) {
  for (i32 i = 1; i <= 3; ++i) ASSERT_EQ(ItemListSet(1, 1, 0, &(tmp_ = Real(i))), 0u);
  char title[13];
  u32 size = 0;
  EXPECT_EQ(McsGroupInfo("LISTFILE", title, &size), 1);
  EXPECT_EQ(size, 52u);
  EXPECT_EQ(McsGroupItemInfo("LISTFILE", 1, title, &size), 0);
  EXPECT_STREQ(title, "LIST FILE  1");
  EXPECT_EQ(McsGroupItemInfo("LISTFILE", 2, title, &size), -1);
  ASSERT_EQ(McsCountAndWriteGroup(W("\\\\fls0\\").data(), "LISTFILE", "LIST FILE  1", 0), 0);
  EXPECT_EQ(StorageFile("\\\\fls0\\L-LIST_1.MCS").size(), 108u);
  ASSERT_EQ(McsCountAndWriteGroup(W("C:\\").data(), "LISTFILE", nullptr, 0), 0);
  EXPECT_EQ(HostFile("L-LIST_1.MCS").size(), 108u);
}

TEST_F(GroupFileTest, GroupTableAnswers) {
  Fill();
  char title[13];
  u32 size = 0;
  // Plain groups that always hold something, numbered groups by member, and
  // groups with nothing in memory.
  EXPECT_EQ(McsGroupInfo("ALPHA MEM", title, &size), 0);
  EXPECT_EQ(size, 696u);
  EXPECT_EQ(McsGroupInfo("SETUP", title, &size), 0);
  EXPECT_EQ(size, 100u);
  EXPECT_EQ(McsGroupInfo("PROGRAM", title, &size), 1);
  EXPECT_EQ(McsGroupItemInfo("PROGRAM", 1, title, &size), 2);
  EXPECT_STREQ(title, "ALPHA");
  EXPECT_EQ(McsGroupItemInfo("PROGRAM", 2, title, &size), 0);
  EXPECT_STREQ(title, "SECRET");
  EXPECT_EQ(McsGroupItemInfo("PROGRAM", 0, title, &size), -1);
  EXPECT_EQ(McsGroupInfo("CONICS", title, &size), -1);
  EXPECT_EQ(McsGroupInfo("NO GROUP", title, &size), -1);
  McsGroupDesc d;
  EXPECT_EQ(McsGroupFileDesc("MATRIX", "MAT_A", &d), 1);
  EXPECT_STREQ(d.file, "MAT_A.MCS");
  EXPECT_EQ(d.convert, 19);
  EXPECT_EQ(McsGroupItemFileDesc("MATRIX", "MAT_A", 1, &d), -1);
  EXPECT_EQ(McsGroupItemFileDesc("MATRIX", nullptr, 1, &d), 2);
  EXPECT_STREQ(d.name, "MAT_B");
  EXPECT_EQ(McsItemConvertCode(0x8A, "main", "VWIN"), 15);
  EXPECT_EQ(McsItemConvertCode(0x8A, "main", "1LIST1"), 10);
  EXPECT_EQ(McsItemConvertCode(0xC7, "system", "ALPHA"), 0x8002);
}

// A valid one-list storage file to spoil in the table below.
std::vector<u8> ListFile() {
  std::vector<u8> f(32 + 24 + 28, 0);
  std::memcpy(f.data(), "Brindlex", 8);
  f[8] = '1';
  f[10] = 0x10;
  f[30] = 1;
  u8 *h = &f[32];
  std::memcpy(h, "main", 4);
  std::memcpy(h + 8, "1LIST1", 6);
  h[16] = 0x8A;
  h[17] = 28;
  u8 *d = h + 24;
  d[8] = 1;                        // one element
  NumFromInt32(5, reinterpret_cast<BcdReal *>(d + 16));
  return f;
}

std::vector<u8> GlobalFile(const char *name, std::vector<u8> data) {
  std::vector<u8> f(32 + 24, 0);
  std::memcpy(f.data(), "Brindlex", 8);
  f[8] = '1';
  f[30] = 1;
  std::memcpy(&f[32], "$GLOBAL", 7);
  std::memcpy(&f[40], name, std::strlen(name));
  const u32 n = static_cast<u32>(data.size());
  std::memcpy(&f[32 + 17], &n, 4);
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

TEST_F(GroupFileTest, RestoreRefusesABadFileAndChangesNothing) {
  Fill();
  ASSERT_EQ(McsRestoreFromBytes(ListFile().data(), static_cast<u32>(ListFile().size()), 0), 0) << "the base file is good";
  const MemoryState before = State();
  const std::vector<u8> setup = SetupBytes();
  std::vector<u8> bad_setup = setup;
  bad_setup[kSetupAngle] = 7;
  std::vector<u8> vars = Vars();
  std::vector<u8> list_var = vars;
  list_var[0] = 0x20;
  const std::vector<u8> base = ListFile();
  struct Case {
    const char *what;
    std::vector<u8> file;
  };
  auto spoil = [](auto fn) {
    std::vector<u8> f = ListFile();
    fn(f);
    return f;
  };
  const Case kCases[] = {
      {"truncated header", std::vector<u8>(base.begin(), base.begin() + 20)},
      {"truncated data", std::vector<u8>(base.begin(), base.end() - 1)},
      {"trailing bytes", spoil([](auto &f) { f.push_back(0); })},
      {"magic", spoil([](auto &f) { f[0] = 'b'; })},
      {"format", spoil([](auto &f) { f[8] = '2'; })},
      {"no items", spoil([](auto &f) { f[30] = 0; })},
      {"two items, one there", spoil([](auto &f) { f[30] = 2; })},
      {"size past the end", spoil([](auto &f) { f[32 + 17] = 200; })},
      {"size not whole words", spoil([](auto &f) { f[32 + 17] = 27; })},
      {"empty item name", spoil([](auto &f) { std::memset(&f[40], 0, 8); })},
      {"control code in a name", spoil([](auto &f) { f[41] = 0x07; })},
      {"bytes behind the name's end", spoil([](auto &f) { f[47] = 'X'; })},
      {"list count above its size", spoil([](auto &f) { f[56 + 8] = 2; })},
      {"list count of 1000", spoil([](auto &f) { f[56 + 8] = 0xE8; f[56 + 9] = 0x03; })},
      {"list header bytes 10-11", spoil([](auto &f) { f[56 + 10] = 1; })},
      {"malformed real", spoil([](auto &f) { f[56 + 16 + 3] = 0xAB; })},
      {"type 0", spoil([](auto &f) { f[32 + 16] = 0; })},
      {"ALPHAMEM of 100 bytes", GlobalFile("ALPHAMEM", std::vector<u8>(100, 0))},
      {"ALPHAMEM with a list value", GlobalFile("ALPHAMEM", list_var)},
      {"SETUP of 696 bytes", GlobalFile("SETUP", std::vector<u8>(696, 0))},
      {"SETUP angle 7", GlobalFile("SETUP", bad_setup)},
      {"SYSTEM without an end", GlobalFile("SYSTEM", std::vector<u8>(9, 'A'))},
      {"program without an end", [] {
         std::vector<u8> f = ListFile();
         std::memset(&f[32], 0, 16);
         std::memcpy(&f[32], "system", 6);
         std::memcpy(&f[40], "P", 1);
         f[48] = 0xC7;
         std::memset(&f[56], 'A', 28);
         f[56 + 9] = 0;
         return f;
       }()},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(McsRestoreFromBytes(c.file.data(), static_cast<u32>(c.file.size()), 0), -34);
    EXPECT_EQ(State(), before);
  }
  // The same refusals reach the user through a file.
  WriteHostFile("BAD.MCS", kCases[0].file);
  EXPECT_EQ(McsRestoreBackup(W("C:\\BAD.MCS").data()), -34);
  EXPECT_EQ(McsRestoreBackup(W("C:\\NONE.MCS").data()), FlsErrNotFound);
  EXPECT_EQ(State(), before);
}

TEST_F(GroupFileTest, RestoreThatRunsOutOfMemoryPutsEverythingBack) {
  Fill();
  // A file that changes the variables and SET UP, then adds a program and
  // a list too large for the room left.
  ASSERT_EQ(McsCountAndWriteGroup(W("C:\\").data(), "ALPHA MEM", nullptr, 0), 0);
  std::vector<u8> file = HostFile("ALPHAMEM.MCS");
  std::vector<u8> big(24 + 16 + 12 * 999, 0);
  std::memcpy(big.data(), "main", 4);
  std::memcpy(big.data() + 8, "3LIST1", 6);
  big[16] = 0x8A;
  const u32 n = 16 + 12 * 999;
  for (int i = 0; i < 4; ++i) big[17 + i] = static_cast<u8>(n >> (24 - 8 * i));
  big[24 + 8] = 0x03;  // 999, big-endian
  big[24 + 9] = 0xE7;
  file.insert(file.end(), big.begin(), big.end());
  file[31] = 2;
  SysStoreVariable('A', &(tmp_ = Real(-1)));
  // Fill main memory so the list cannot fit.
  u32 total = 0, used = 0, free_bytes = 0;
  McsGetSizes(&total, &used, &free_bytes);
  ASSERT_GT(free_bytes, 12000u);
  ASSERT_EQ(McsCreateItem("main", "FILLER", 0xD4, (free_bytes - 11000) & ~3u, nullptr), 0u);
  const MemoryState before = State();
  EXPECT_EQ(McsRestoreFromBytes(file.data(), static_cast<u32>(file.size()), 1), FlsErrFull);
  EXPECT_EQ(State(), before);
}

TEST_F(GroupFileTest, WritersKeepOldFilesUntilTheNewOneIsWhole) {
  Fill();
  i32 q = 1000;
  for (const char *path : {"\\\\fls0\\BACKUP.MCS", "C:\\BACKUP.MCS"}) {
    SCOPED_TRACE(path);
    const bool host = path[0] == 'C';
    auto read = [&] { return host ? HostFile("BACKUP.MCS") : StorageFile(path); };
    ASSERT_EQ(McsSaveBackup(W(path).data()), 0);
    const std::vector<u8> old = read();
    SysStoreVariable('Q', &(tmp_ = Real(++q)));
    // An existing file is not replaced unless asked.
    EXPECT_EQ(McsSaveBackup(W(path).data()), FlsErrExists);
    EXPECT_EQ(read(), old);
    ASSERT_EQ(McsSaveBackup(W(path).data(), 1), 0);
    EXPECT_NE(read(), old);
    EXPECT_EQ(read().size(), old.size());
  }
  // A storage write that fails half way keeps the old file whole and
  // leaves no partial one.
  const std::vector<u8> old = StorageFile("\\\\fls0\\BACKUP.MCS");
  SysStoreVariable('Q', &(tmp_ = Real(99)));
  storage_test::g_fail_write = storage_test::g_writes + 3;
  EXPECT_LT(McsSaveBackup(W("\\\\fls0\\BACKUP.MCS").data(), 1), 0);
  storage_test::g_fail_write = -1;
  EXPECT_EQ(StorageFile("\\\\fls0\\BACKUP.MCS"), old);
  FileFindInfo info;
  EXPECT_LT(FileGetInfo(W("\\\\fls0\\_WRITE_.MCS").data(), &info), 0);
}

}  // namespace
