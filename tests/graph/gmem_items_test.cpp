// The graph memory items: V-Window values and their rules, zoom factors,
// previous and saved windows, the mode byte, pictures, the command ring and
// graph memories.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_graphmem.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph_testutil.h"

namespace {

using graphtest::R;
using graphtest::Show;

class GmemItems : public graphtest::Fixture {
 protected:
  static std::vector<std::string> Fields(bool right = false) {
    std::vector<std::string> out;
    for (i32 i = 0; i < kVwinFieldCount; ++i) {
      BcdReal v;
      EXPECT_EQ(right ? GmemReadVwinrValue(&v, i) : GmemReadVwinValue(&v, i), 0u);
      out.push_back(Show(v));
    }
    return out;
  }
  static bool Exists(u8 kind, const char *name) {
    u32 size = 0;
    return McsOpenByKind(kind, name, &size) == 0;
  }
  static std::vector<u8> Item(u8 kind, const char *name) {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenByKindPtr(kind, name, &size, &data) != 0) return {};
    return std::vector<u8>(data, data + size);
  }
};

TEST_F(GmemItems, FreshWindowIsMadeOnFirstRead) {
  EXPECT_FALSE(Exists(kMcsKindList, "VWIN"));
  EXPECT_EQ(Fields(), (std::vector<std::string>{"-6.3", "6.3", "1", "0.1", "-3.1", "3.1", "1", "0",
                                                "6.2831853071796", "0.062831853071796", "0.203225806451613"}));
  EXPECT_TRUE(Exists(kMcsKindList, "VWIN"));
  // The right-hand window is its own item.
  EXPECT_FALSE(Exists(kMcsKindList, "VWINR"));
  EXPECT_EQ(Fields(true)[1], "6.3");
  BcdReal v;
  EXPECT_EQ(GmemReadVwinValue(&v, 11), 4u);
}

TEST_F(GmemItems, ValueWritesKeepTheWindowWhole) {
  struct Case {
    const char *name;
    i32 idx;
    const char *value;
    std::vector<std::pair<i32, const char *>> after;
  } cases[] = {
      {"Xmax moves both dot widths", kVwinXmax, "10", {{kVwinXdot, "0.129365079365079"}, {kVwinXdotHalf, "0.262903225806452"}}},
      {"Xmin too", kVwinXmin, "0", {{kVwinXdot, "0.05"}, {kVwinXdotHalf, "0.101612903225806"}}},
      {"Xmax = Xmin stores a zero dot", kVwinXmax, "-6.3", {{kVwinXdot, "0"}, {kVwinXmax, "-6.3"}}},
      {"Xdot moves Xmax", kVwinXdot, "0.2", {{kVwinXmax, "18.9"}, {kVwinXdotHalf, "0.406451612903226"}}},
      {"half-width Xdot moves Xmax", kVwinXdotHalf, "0.1", {{kVwinXmax, "-0.1"}, {kVwinXdot, "0.0492063492063492"}}},
      {"a scale is kept positive", kVwinXscale, "-2", {{kVwinXscale, "2"}}},
      {"Yscale too", kVwinYscale, "-0.5", {{kVwinYscale, "0.5"}}},
      {"Ymin alone", kVwinYmin, "-10", {{kVwinYmin, "-10"}, {kVwinYmax, "3.1"}, {kVwinXdot, "0.1"}}},
      {"a negative T pitch", kVwinTpitch, "-1", {{kVwinTpitch, "-1"}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(GmemResetVwin(1), 0u);
    const VwinRecord prev{};
    ASSERT_EQ(McsCreateByKind(kMcsKindWork, "PREVWIN", sizeof prev, &prev), 0u);
    const BcdReal v = R(c.value);
    ASSERT_EQ(GmemWriteVwinValue(&v, c.idx), 0u);
    const std::vector<std::string> f = Fields();
    for (const auto &[idx, want] : c.after) EXPECT_EQ(f[idx], want) << "field " << idx;
    EXPECT_FALSE(Exists(kMcsKindWork, "PREVWIN"));  // a stored value forgets the zoom history
  }
}

TEST_F(GmemItems, RefusedValuesChangeNothing) {
  BcdReal err;
  RealMakeError(3, &err);
  struct Case {
    i32 idx;
    BcdReal v;
  } cases[] = {
      {kVwinXmin, R("1E98")},   {kVwinYmax, R("-1E98")}, {kVwinXmin, err},
      {kVwinXdot, R("0")},      {kVwinXdot, R("-0.1")},  {kVwinXdotHalf, R("0")},
      {kVwinTpitch, R("0")},    {kVwinXmax, R("9E97")},  // width/62 still fits, Xdot ok; see below
  };
  ASSERT_EQ(GmemResetVwin(1), 0u);
  const std::vector<std::string> before = Fields();
  for (size_t k = 0; k + 1 < std::size(cases); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(GmemWriteVwinValue(&cases[k].v, cases[k].idx), 28u);
    EXPECT_EQ(Fields(), before);
  }
  // A dot width that puts Xmax out of range is refused whole.
  const BcdReal huge_dot = R("9E96");
  EXPECT_EQ(GmemWriteVwinValue(&huge_dot, kVwinXdot), 28u);
  EXPECT_EQ(Fields(), before);
}

TEST_F(GmemItems, ZoomFactors) {
  BcdReal f;
  EXPECT_EQ(Show(*GmemReadZoomFactor(0, &f)), "2");  // made with 2 and 2
  EXPECT_EQ(Show(*GmemReadZoomFactor(1, &f)), "2");
  for (const char *bad : {"1E98", "0", "-1"}) {
    SCOPED_TRACE(bad);
    const BcdReal v = R(bad);
    EXPECT_EQ(GmemWriteZoomFactor(1, &v), 28u);
  }
  const BcdReal five = R("5");
  EXPECT_EQ(GmemWriteZoomFactor(1, &five), 0u);
  EXPECT_EQ(Show(*GmemReadZoomFactor(1, &f)), "5");
  EXPECT_EQ(Show(*GmemReadZoomFactor(0, &f)), "2");
  GmemDeleteZoomFactors();
  const BcdReal small = R("1E-99");
  EXPECT_EQ(GmemWriteZoomFactor(0, &small), 0u);  // made with defaults first
  EXPECT_EQ(Show(*GmemReadZoomFactor(1, &f)), "2");
}

TEST_F(GmemItems, PreviousAndSavedWindows) {
  VwinRecord rec;
  EXPECT_EQ(GmemReadOrigVwin(&rec), -1);
  EXPECT_EQ(GmemSaveOrigVwin(), 0u);  // the initial window, without making "VWIN"
  EXPECT_FALSE(Exists(kMcsKindList, "VWIN"));
  ASSERT_EQ(GmemReadOrigVwin(&rec), 0);
  EXPECT_EQ(Show(rec.f[kVwinXmax]), "6.3");
  EXPECT_EQ(Show(rec.f[kVwinTmax]), "6.2831853071796");

  EXPECT_EQ(GmemReadPrevVwin(&rec), 4u);
  ASSERT_EQ(GmemResetVwinStd(1), 0u);
  ASSERT_EQ(GmemResetVwinTrig(0), 0u);
  ASSERT_EQ(GmemSavePrevVwin(1), 0u);  // no "PREVWIN" yet: "VWIN" is copied
  ASSERT_EQ(GmemReadPrevVwin(&rec), 0u);
  EXPECT_EQ(Show(rec.f[kVwinXmax]), "10");
  ASSERT_EQ(GmemSavePrevVwin(1), 0u);  // now the right-hand window
  ASSERT_EQ(GmemReadPrevVwin(&rec), 0u);
  EXPECT_EQ(Show(rec.f[kVwinXmax]), "9.4247779607694");
}

TEST_F(GmemItems, ModeScreenAndPictures) {
  EXPECT_EQ(GmemReadGraphMode(), 0);
  EXPECT_EQ(GmemWriteGraphModeAux(2), 0u);
  EXPECT_EQ(Item(kMcsKindWork, "GRPMODE")[0], 0);
  EXPECT_EQ(GmemWriteGraphMode(7), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 7);
  EXPECT_EQ(GmemReadGraphModeAux(), 2);

  std::vector<u8> a(2048, 0);
  std::vector<u8> b(2048, 0xFF);
  a[5] = 0x81;
  EXPECT_EQ(GmemCreateScreenIfMissing(a.data()), 0u);
  EXPECT_EQ(GmemCreateScreenIfMissing(b.data()), 0u);  // the image made first stays
  std::vector<u8> got(2048);
  ASSERT_EQ(GmemReadScreen(got.data()), 0u);
  EXPECT_EQ(got, a);

  EXPECT_EQ(GmemPictDataPtr(3), nullptr);
  ASSERT_EQ(GmemStorePict(a.data(), 3), 0u);
  ASSERT_EQ(GmemRecallPict(got.data(), 3), 0u);
  EXPECT_EQ(got, a);
  EXPECT_EQ(GmemStorePict(a.data(), 21), 4u);
  // A picture shorter than its two planes reads as missing.
  std::vector<u8> shortPict(1024, 1);
  ASSERT_EQ(McsCreateByKind(7, "PICT4", 1024, shortPict.data()), 0u);
  EXPECT_EQ(GmemPictDataPtr(4), nullptr);
  EXPECT_EQ(GmemRecallPict(got.data(), 4), 4u);
  GmemDeletePict(3);
  EXPECT_EQ(GmemPictDataPtr(3), nullptr);
}

TEST_F(GmemItems, CommandRingKeepsTheNewestThirty) {
  EXPECT_EQ(GmemAppendGraphCommand("", 0x108, 2), 2u);
  for (int i = 1; i <= 32; ++i) {
    const std::string text = std::to_string(i);
    ASSERT_EQ(GmemAppendGraphCommand(text.c_str(), 0x108, 2), 0u);
  }
  EXPECT_EQ(GmemCommandCount(), 30);
  // Commands 31 and 32 overwrote slots 1 and 2; the oldest is now in slot 3.
  EXPECT_EQ(Item(kMcsKindWork, "COMGRAPH"), (std::vector<u8>{3, 30, 0, 0}));
  char name[8];
  const char *text = nullptr;
  struct Case {
    i32 i;
    const char *name;
    const char *text;
  } cases[] = {{1, "COM2", "32"}, {0, "COM2", "32"}, {2, "COM3", "3"}, {30, "COM1", "31"}};
  for (const Case &c : cases) {
    ASSERT_EQ(GmemCommandName(c.i, name), 0u) << c.i;
    EXPECT_STREQ(name, c.name);
    ASSERT_EQ(GmemCommandTextPtr(c.i, &text), 0);
    EXPECT_STREQ(text, c.text);
  }
  EXPECT_EQ(GmemCommandName(31, name), 1u);
  GmemDeleteCommands();
  EXPECT_EQ(GmemCommandName(1, name), 1u);
  EXPECT_FALSE(Exists(kMcsKindWork, "COM5"));
}

// Forgetting the commands finds each of the ring's items even when it is
// left alone (a ring cut short), and touches no other work item.
TEST_F(GmemItems, ForgettingTheCommandsLeavesNoneOfTheirItems) {
  const u8 raw[4] = {1, 2, 3, 4};
  for (const char *name : {"COMGRAPH", "COM7", "COM30", "COMOBCD"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(McsCreateByKind(kMcsKindWork, name, sizeof raw, raw), 0u);
    ASSERT_EQ(McsCreateByKind(kMcsKindWork, "CONDX", sizeof raw, raw), 0u);
    GmemDeleteCommands();
    EXPECT_FALSE(Exists(kMcsKindWork, name));
    EXPECT_TRUE(Exists(kMcsKindWork, "CONDX"));
    McsDeleteByKind(kMcsKindWork, "CONDX");
  }
  GmemDeleteCommands();  // nothing there: nothing happens
  EXPECT_EQ(GmemCommandCount(), 0);
}

TEST_F(GmemItems, CommandTexts) {
  // A parametric command splits its two texts at the first top-level comma.
  struct Case {
    const char *text;
    u16 type;
    std::string stored;
  } cases[] = {
      {"X+1:Y", 0x108, "X+1"},
      {"cos(T,1),sin T", 0x409, "cos(T,1)\xF6sin T"},
      {"T", 0x409, "T\xF6"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    GmemDeleteCommands();
    ASSERT_EQ(GmemAppendGraphCommand(c.text, c.type, 3), 0u);
    const std::vector<u8> item = Item(kMcsKindWork, "COM1");
    ASSERT_GE(item.size(), 4u);
    EXPECT_EQ(item[0] | (item[1] << 8), c.type);
    EXPECT_EQ(item[3], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(item.data() + 4)), c.stored);
  }
  // A text without its zero byte inside the item reads empty.
  GmemDeleteCommands();
  ASSERT_EQ(GmemAppendGraphCommand("X", 0x108, 2), 0u);
  const u8 raw[8] = {8, 1, 0, 2, 'A', 'B', 'C', 'D'};
  McsDeleteByKind(kMcsKindWork, "COM1");
  ASSERT_EQ(McsCreateByKind(kMcsKindWork, "COM1", 8, raw), 0u);
  const char *text = nullptr;
  ASSERT_EQ(GmemCommandTextPtr(1, &text), 0);
  EXPECT_STREQ(text, "");
  // Replacing the newest text pads it with zeros to the item's end.
  EXPECT_EQ(GmemReplaceNewestCommandText("Q"), 0u);
  EXPECT_EQ(Item(kMcsKindWork, "COM1"), (std::vector<u8>{8, 1, 0, 2, 'Q', 0, 0, 0}));
  EXPECT_EQ(GmemReplaceNewestCommandText("QRSTU"), 4u);  // would not end at the item's end
}

TEST_F(GmemItems, ReadOutValuesAndForgetting) {
  BcdReal v;
  EXPECT_EQ(GmemReadComValue(&v, 0), 4u);
  const BcdReal three = R("3");
  ASSERT_EQ(GmemWriteComValue(&three, 2), 0u);
  ASSERT_EQ(GmemReadComValue(&v, 2), 0u);
  EXPECT_EQ(Show(v), "3");
  ASSERT_EQ(GmemReadComValue(&v, 0), 0u);
  EXPECT_EQ(RealErrorCode(&v), 4);  // no value yet
  ASSERT_EQ(GmemWriteGraphMode(1), 0u);
  ASSERT_EQ(GmemAppendGraphCommand("X", 0x108, 2), 0u);
  GmemForgetGraphTable();
  EXPECT_EQ(GmemReadGraphMode(), 0);
  EXPECT_EQ(GmemCommandCount(), 0);
  EXPECT_EQ(GmemReadComValue(&v, 2), 4u);
}

TEST_F(GmemItems, VwinMemories) {
  VwinRecord rec;
  EXPECT_EQ(GmemRecallVwinMem(2, &rec), 4u);
  ASSERT_EQ(GmemResetVwinStd(1), 0u);
  ASSERT_EQ(GmemReadVwin(&rec), 0u);
  ASSERT_EQ(GmemStoreVwinMem(2, &rec), 0u);
  char name[12];
  EXPECT_STREQ(GmemVmemName(2, name), "VMEM2");
  VwinRecord back;
  ASSERT_EQ(GmemRecallVwinMem(2, &back), 0u);
  EXPECT_EQ(std::memcmp(&back, &rec, sizeof rec), 0);
  GmemDeleteVwinMem(2);
  EXPECT_EQ(GmemRecallVwinMem(2, &rec), 4u);
}

// Graph memories: stored and recalled whole, a damaged one refused.
class GraphMem : public GmemItems {
 protected:
  static void Func(int n, u8 flags, const char *text) {
    const u8 head[4] = {0x08, 0x01, flags, 2};
    ASSERT_EQ(GmemWriteFuncItem(n, head, text), 0u);
  }
  static std::vector<u8> Stored(int n) {
    char name[12];
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenInFolderPtr("@GRAPH", GmemGmemName(n, name), &size, &data) != 0) return {};
    return std::vector<u8>(data, data + size);
  }
  static void Replace(int n, const std::vector<u8> &bytes) {
    char name[12];
    GmemGmemName(n, name);
    McsDeleteInFolder("@GRAPH", name);
    ASSERT_EQ(McsCreateInFolder("@GRAPH", name, static_cast<u32>(bytes.size()), bytes.data()), 0u);
  }
};

TEST_F(GraphMem, StoreAndRecallRoundTrip) {
  Func(1, 0x80, "X");
  Func(20, 0x00, "2X+1");
  SetupSetItem(kSetupGrid, 0);
  const BcdReal ten = R("10");
  ASSERT_EQ(GmemWriteVwinValue(&ten, kVwinXmax), 0u);
  ASSERT_EQ(GmemStoreGraphMem(3), 0u);
  const std::vector<u8> mem = Stored(3);
  // 20 + one window + 20 headers + texts "X", "2X+1" and 18 empty slots.
  const size_t want = 20 + 132 + 80 + 2 + 5 + 18;
  EXPECT_GE(mem.size(), want);
  EXPECT_LT(mem.size(), want + 4);

  Func(5, 0x80, "X^2");
  GmemDeleteFunc(1);
  SetupSetItem(kSetupGrid, 1);
  ASSERT_EQ(GmemResetVwin(1), 0u);
  ASSERT_EQ(GmemWriteGraphMode(1), 0u);
  ASSERT_EQ(GmemRecallGraphMem(3), 0u);
  EXPECT_EQ(SetupGetItem(kSetupGrid), 0);
  EXPECT_EQ(Fields()[kVwinXmax], "10");
  EXPECT_STREQ(GmemFuncDataPtr(1), "X");
  EXPECT_STREQ(GmemFuncDataPtr(20), "2X+1");
  EXPECT_EQ(GmemFuncDataPtr(5), nullptr);  // every slot is replaced
  EXPECT_EQ(GmemReadGraphMode(), 0);       // the drawn graph is forgotten
  EXPECT_EQ(GmemRecallGraphMem(9), 0u);    // a missing memory changes nothing
}

TEST_F(GraphMem, TwoWindowsWhileTheScreenIsSplit) {
  SetupSetItem(kSetupDualScreen, 0);
  ASSERT_EQ(GmemResetVwinStd(0), 0u);
  ASSERT_EQ(GmemStoreGraphMem(1), 0u);
  EXPECT_GE(Stored(1).size(), 20u + 264 + 80 + 20);
  ASSERT_EQ(GmemResetVwin(0), 0u);
  ASSERT_EQ(GmemRecallGraphMem(1), 0u);
  EXPECT_EQ(Fields(true)[kVwinXmax], "10");
  // Stored while not split: the right-hand window is left as it is.
  SetupSetItem(kSetupDualScreen, 3);
  ASSERT_EQ(GmemStoreGraphMem(2), 0u);
  ASSERT_EQ(GmemResetVwin(0), 0u);
  ASSERT_EQ(GmemRecallGraphMem(2), 0u);
  EXPECT_EQ(Fields(true)[kVwinXmax], "6.3");
}

TEST_F(GraphMem, DamagedMemoryIsRefusedOrBounded) {
  Func(1, 0x80, "X");
  ASSERT_EQ(GmemStoreGraphMem(1), 0u);
  const std::vector<u8> good = Stored(1);
  Func(2, 0x80, "X+2");
  SetupSetItem(kSetupGrid, 1);

  // Too short for its window, or for the headers it claims: refused unchanged.
  for (size_t len : {size_t{100}, size_t{20 + 132 + 40}}) {
    SCOPED_TRACE(len);
    Replace(1, std::vector<u8>(good.begin(), good.begin() + static_cast<long>(len)));
    EXPECT_EQ(GmemRecallGraphMem(1), 4u);
    EXPECT_STREQ(GmemFuncDataPtr(2), "X+2");
    EXPECT_EQ(SetupGetItem(kSetupGrid), 1);
  }

  // A huge count is read as 20; a text without its zero stops at the item's
  // end; a SET UP byte outside its values is skipped.
  std::vector<u8> bad(good.begin(), good.begin() + 232);
  bad[15] = 0xFF;
  bad[16] = 0xFF;
  bad[8] = 9;   // Angle
  bad[11] = 1;  // Grid Off
  for (u8 c : {u8{'X'}, u8{0}, u8{'Q'}, u8{'Q'}}) bad.push_back(c);
  Replace(1, bad);
  SetupSetItem(kSetupAngle, 1);
  ASSERT_EQ(GmemRecallGraphMem(1), 0u);
  EXPECT_EQ(SetupGetItem(kSetupAngle), 1);
  EXPECT_EQ(SetupGetItem(kSetupGrid), 1);
  EXPECT_STREQ(GmemFuncDataPtr(1), "X");
  EXPECT_STREQ(GmemFuncDataPtr(2), "QQ");
  EXPECT_EQ(GmemFuncDataPtr(3), nullptr);
}

// With main memory nearly full: a memory that does not fit is refused with
// 50 and the old one stays whole; a recall whose functions do not fit changes
// nothing.
TEST_F(GraphMem, NoRoomChangesNothing) {
  Func(1, 0x80, "X");
  ASSERT_EQ(GmemStoreGraphMem(4), 0u);
  const std::vector<u8> old = Stored(4);
  ASSERT_EQ(GmemResetVwin(1), 0u);
  // Fill memory so that a memory with one long function no longer fits.
  u32 total = 0;
  u32 used = 0;
  u32 free_bytes = 0;
  McsGetMemoryUse(&total, &used, &free_bytes);
  ASSERT_GT(free_bytes, 600u);
  std::vector<u8> filler(free_bytes - 300, 0);
  ASSERT_EQ(McsCreateByKind(kMcsKindList, "FILL", static_cast<u32>(filler.size()), filler.data()), 0u);
  const std::string long_text(200, '1');
  Func(2, 0x80, long_text.c_str());
  McsGetMemoryUse(&total, &used, &free_bytes);
  ASSERT_LT(free_bytes, 205u);
  EXPECT_EQ(GmemStoreGraphMem(4), kGmemNoRoom);
  EXPECT_EQ(Stored(4), old);

  // A recall that would need more room than is free.
  ASSERT_EQ(McsDeleteByKind(kMcsKindList, "FILL"), 0u);
  ASSERT_EQ(GmemStoreGraphMem(5), 0u);  // functions 1 and 2
  GmemDeleteFunc(2);
  McsGetMemoryUse(&total, &used, &free_bytes);
  filler.assign(free_bytes - 100, 0);
  ASSERT_EQ(McsCreateByKind(kMcsKindList, "FILL", static_cast<u32>(filler.size()), filler.data()), 0u);
  Func(3, 0x80, "X+3");
  EXPECT_EQ(GmemRecallGraphMem(5), kGmemNoRoom);
  EXPECT_STREQ(GmemFuncDataPtr(3), "X+3");
  EXPECT_EQ(GmemFuncDataPtr(2), nullptr);
}

}  // namespace
