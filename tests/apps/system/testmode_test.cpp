// The hidden service mode: its gates, its number routines, the key that
// opens it, the message check's bounds and the variable manager's lists.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "apps/system/basetool.h"
#include "apps/system/testmode.h"
#include "graph/memory/gmem_func.h"
#include "kernel/calc_ram.h"
#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/keycodes.h"

namespace {

std::string Row(const std::string &screen, int r) {
  size_t at = 0;
  for (int i = 1; i < r; ++i) at = screen.find('\n', at) + 1;
  std::string row = screen.substr(at, screen.find('\n', at) - at);
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

void StoreFunc(int n, const char *text, u8 attribute) {
  const u8 head[4] = {8, 1, attribute, 1};
  ASSERT_EQ(GmemWriteFuncItem(n, head, text), 0u);
}

class TestModeBase : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
};

TEST(TestModeNumbers, HexAndDecimalDigits) {
  char out[24];
  struct Hex {
    u32 value, n;
    const char *text;
  };
  for (const Hex &c : {Hex{0x1F, 4, "001F"}, Hex{0xABCDEF12, 8, "ABCDEF12"}, Hex{0x123, 2, "23"}, Hex{0, 1, "0"}}) {
    HexDigits(c.value, out, c.n);
    EXPECT_STREQ(out, c.text) << c.value;
  }
  HexByte(0xE6, out);
  EXPECT_STREQ(out, "E6");

  struct Dec {
    i32 value;
    u32 width;
    const char *text;
  };
  for (const Dec &c : {Dec{0, 10, "0"}, Dec{-120, 10, "-120"}, Dec{123456, 3, "456"}, Dec{INT_MIN, 10, "-2147483648"},
                       Dec{32767, 5, "32767"}}) {
    IntToDecimal(c.value, out, c.width);
    EXPECT_STREQ(out, c.text) << c.value;
  }
  IntToText(-7, out);
  EXPECT_STREQ(out, "-7");

  struct Count {
    i32 value;
    u32 digits;
  };
  for (const Count &c : {Count{0, 1}, Count{9, 1}, Count{10, 2}, Count{-32768, 5}, Count{INT_MAX, 10}, Count{INT_MIN, 10}})
    EXPECT_EQ(DecimalDigitCount(c.value), c.digits) << c.value;
}

TEST_F(TestModeBase, GatesOpenOnlyOnTheWholeAccessTextWithTheFlag) {
  EXPECT_EQ(TestModeCheckGate(), 0u);  // no function 13
  EXPECT_EQ(BaseToolCheckGate(), 0u);
  struct Case {
    const char *text;
    u8 attribute;
    u32 open;
  };
  for (const Case &c : {Case{"MORVILKE", 0x80, 1}, Case{"MORVILKE", 0x81, 1}, Case{"MORVILKE", 0x01, 0},
                        Case{"MORVILKF", 0x80, 0}, Case{"MORVILK", 0x80, 0}, Case{"MORVILKEE", 0x80, 0},
                        Case{"morvilke", 0x80, 0}}) {
    StoreFunc(13, c.text, c.attribute);
    EXPECT_EQ(TestModeCheckGate(), c.open) << c.text << " " << int{c.attribute};
  }
  // Each tool has its own slot and text.
  StoreFunc(13, "VANTU", 0x80);
  EXPECT_EQ(TestModeCheckGate(), 0u);
  EXPECT_EQ(BaseToolCheckGate(), 0u);
  StoreFunc(7, "VANTU", 0x80);
  EXPECT_EQ(BaseToolCheckGate(), 1u);
}

class TestModeScreen : public TestModeBase {
 protected:
  void SetUp() override {
    TestModeBase::SetUp();
    StartScreenTest();
  }
  void TearDown() override {
    KeySetModifier(0);
    StopKeyFeed();
  }
};

TEST_F(TestModeScreen, AlphaLockedKeyOpensTheModeAndHandsOnTheTestKey) {
  StoreFunc(13, "MORVILKE", 0x80);
  TextLocate(1, 1);
  TextPrint("underneath");
  keyfeed::record = true;
  KeySetModifier(kModAlphaLock);
  Press({kKeyTestGate, kKeyExit});
  u32 key = 0;
  EXPECT_EQ(KeyGetKey(&key), 0u);
  EXPECT_EQ(key, static_cast<u32>(kKeyTest));
  EXPECT_EQ(KeyGetModifier(), 0);
  ASSERT_GE(keyfeed::seen.size(), 2u);
  EXPECT_EQ(Row(keyfeed::seen[1], 1), "----- TEST MODE -----");
  EXPECT_EQ(Row(keyfeed::seen[1], 3), "[1]:Valiable Manager");
  EXPECT_EQ(Row(keyfeed::seen[1], 4), "[2]:Font/Lang Check");
  // The screen underneath is given back.
  EXPECT_EQ(Row(ScreenText(), 1), "underneath");
}

TEST_F(TestModeScreen, ClosedGateOrNoLockLeavesTheKeyAlone) {
  struct Case {
    bool stored;
    u8 modifier;
  };
  for (const Case &c : {Case{false, kModAlphaLock}, Case{true, 0}, Case{true, kModAlpha}}) {
    if (c.stored) StoreFunc(13, "MORVILKE", 0x80);
    else GmemDeleteFunc(13);
    KeySetModifier(c.modifier);
    Press({kKeyTestGate});
    u32 key = 0;
    KeyGetKey(&key);
    EXPECT_EQ(key, static_cast<u32>(kKeyTestGate)) << c.stored << " " << int{c.modifier};
    KeySetModifier(0);
  }
}

i32 LangNoIn(const char *folder) {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenInFolderPtr(folder, "LangNo", &size, &data) != 0) return -1;
  return data[0] << 8 | data[1];
}

TEST_F(TestModeScreen, MessageNumberStaysInsideItsBoundsAndIsKept) {
  SysSetAppName("@RUNMAT");
  keyfeed::record = true;
  // UP at 0 stays; DOWN twice; a typed number above the top is held at it;
  // DOWN there stays.
  Press({kKeyUp, kKeyDown, kKeyDown});
  PressText("99999");
  Press({kKeyExe, kKeyDown, kKeyExit});
  TestMessageCheck();
  ASSERT_GE(keyfeed::seen.size(), 11u);
  EXPECT_EQ(Row(keyfeed::seen[0], 1), "***Message Check***");
  EXPECT_EQ(Row(keyfeed::seen[0], 7), "LangNo>0");
  EXPECT_EQ(Row(keyfeed::seen[1], 7), "LangNo>0");
  EXPECT_EQ(Row(keyfeed::seen[3], 7), "LangNo>2");
  EXPECT_EQ(Row(keyfeed::seen[9], 7), "LangNo>32767");
  EXPECT_EQ(Row(keyfeed::seen[10], 7), "LangNo>32767");
  EXPECT_EQ(LangNoIn("@RUNMAT"), 32767);  // high byte first

  // The next visit starts from the kept number.
  ClearKeys();
  keyfeed::record = true;
  Press({kKeyUp, kKeyExit});
  TestMessageCheck();
  ASSERT_GE(keyfeed::seen.size(), 2u);
  EXPECT_EQ(Row(keyfeed::seen[0], 7), "LangNo>32767");
  EXPECT_EQ(Row(keyfeed::seen[1], 7), "LangNo>32766");
}

TEST_F(TestModeScreen, VariableManagerWalksFoldersAndShowsItems) {
  const u8 bytes[8] = {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4};
  ASSERT_EQ(McsCreateInFolder("main", "RAWITEM", 8, bytes), 0u);
  keyfeed::record = true;
  // Folder list in table order from "system"; UP wraps to the last folder,
  // "@APLWORK", shown as the bottom row; UP again reaches "main". EXE lists
  // its items (one made by folder name has type 212); EXE on the item shows
  // its bytes; keys back out.
  Press({kKeyUp, kKeyUp, kKeyExe, kKeyExe, kKeyExit, kKeyExit, kKeyExit});
  VarMgrMain();
  ASSERT_GE(keyfeed::seen.size(), 7u);
  EXPECT_EQ(Row(keyfeed::seen[0], 1), "Folder     Size   val");
  EXPECT_EQ(Row(keyfeed::seen[0], 2), "system        0     0");
  EXPECT_EQ(Row(keyfeed::seen[1], 6), "main          8     1");
  EXPECT_EQ(Row(keyfeed::seen[1], 7), "@APLWORK      0     0");
  EXPECT_EQ(Row(keyfeed::seen[3], 1), "Val        Type  Size");
  EXPECT_EQ(Row(keyfeed::seen[3], 2), "RAWITEM     GEO    28");
  EXPECT_EQ(Row(keyfeed::seen[4], 1), "DEADBEEF01020304");
  EXPECT_EQ(Row(keyfeed::seen[5], 2), "RAWITEM     GEO    28");
  EXPECT_EQ(Row(keyfeed::seen[6], 6), "main          8     1");
}

// An item's bytes in hex fill at most the eight rows of the screen: 84
// bytes of a long item show, cut within the eighth row, nothing past it.
TEST_F(TestModeScreen, LongItemsHexIsCutAtTheScreensEnd) {
  u8 bytes[200];
  for (int i = 0; i < 200; ++i) bytes[i] = static_cast<u8>(i);
  ASSERT_EQ(McsCreateInFolder("main", "RAWITEM", sizeof bytes, bytes), 0u);
  keyfeed::record = true;
  Press({kKeyUp, kKeyUp, kKeyExe, kKeyExe, kKeyExit, kKeyExit, kKeyExit});
  VarMgrMain();
  ASSERT_GE(keyfeed::seen.size(), 5u);
  std::string hex;
  for (int i = 0; i < 200; ++i) {
    char b[3];
    HexByte(bytes[i], b);
    hex += b;
  }
  for (int r = 1; r <= 8; ++r) EXPECT_EQ(Row(keyfeed::seen[4], r), hex.substr(21 * (r - 1), 21)) << r;
}

TEST_F(TestModeScreen, FolderOfTooManyItemsGivesTheErrorBox) {
  ASSERT_EQ(McsCreateFolder("BIG"), 0u);
  for (int i = 0; i < 101; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "I%03d", i);
    ASSERT_EQ(McsCreateInFolder("BIG", name, 4, "abc"), 0u);
  }
  keyfeed::record = true;
  const std::string before = [] {
    Press({kKeyExit});
    VarMgrMain();
    return keyfeed::seen.at(0);
  }();
  // Find the row of "BIG" and walk to it.
  int row = -1;
  for (int r = 2; r <= 7; ++r)
    if (Row(before, r).rfind("BIG", 0) == 0) row = r;
  ASSERT_GT(row, 0) << before;
  ClearKeys();
  keyfeed::record = true;
  for (int r = 2; r < row; ++r) Press({kKeyDown});
  Press({kKeyExe, kKeyExit, kKeyExit, kKeyExit});
  VarMgrMain();
  bool boxed = false;
  for (const std::string &s : keyfeed::seen) boxed = boxed || s.find("ERROR") != std::string::npos;
  EXPECT_TRUE(boxed);
}

TEST_F(TestModeScreen, FourDigitPopupWritesTheWorkItem) {
  PressText("1234");
  Press({kKeyExe});
  TestPopupSize(3);
  u8 *data = nullptr;
  u32 size = 0;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindWork, "InpDat", &size, &data), 0u);
  ASSERT_EQ(size, 32u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(data + 24), 4), "1234");
  for (int i = 0; i < 24; ++i) EXPECT_EQ(data[i], 0) << i;
}

}  // namespace
