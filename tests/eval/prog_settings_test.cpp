// Setting commands and Rnd, read back from the SET UP items they write.
#include "tests/eval/prog_test_util.h"

namespace {

struct SettingCase {
  const char *line;
  std::vector<std::pair<u8, u8>> before;  // SET UP items set first
  u32 error;
  std::vector<std::pair<u8, u8>> after;   // SET UP items expected
};

class ProgSettings : public ProgFixture {};

TEST_F(ProgSettings, CommandsWriteTheirItems) {
  const SettingCase cases[] = {
      {"{Rad}", {}, 0, {{kSetupAngle, 1}}},
      {"{Gra}:{Deg}", {}, 0, {{kSetupAngle, 0}}},
      {"{Fix}3", {}, 0, {{kSetupDisplay, 0x23}}},
      {"{Sci}7", {{kSetupDisplay, 0x80}}, 0, {{kSetupDisplay, 0xB7}}},
      {"{Fix}", {}, 8, {{kSetupDisplay, 0x00}}},
      {"{Fix}A", {}, 8, {}},
      {"{Norm}2", {{kSetupDisplay, 0x23}}, 0, {{kSetupDisplay, 0x10}}},
      {"{Norm}1", {{kSetupDisplay, 0x90}}, 0, {{kSetupDisplay, 0x80}}},
      {"{Norm}", {{kSetupDisplay, 0x00}}, 0, {{kSetupDisplay, 0x10}}},
      {"{Norm}:{Norm}", {{kSetupDisplay, 0x00}}, 0, {{kSetupDisplay, 0x00}}},
      {"{Norm}", {{kSetupDisplay, 0x25}}, 0, {{kSetupDisplay, 0x00}}},
      {"{Norm}3", {}, 8, {}},
      {"{Eng}", {{kSetupDisplay, 0x23}}, 0, {{kSetupDisplay, 0xA3}}},
      {"{Eng}:{Eng}", {{kSetupDisplay, 0x23}}, 0, {{kSetupDisplay, 0x23}}},
      {"{EngOn}", {{kSetupDisplay, 0x10}}, 0, {{kSetupDisplay, 0x90}}},
      {"{EngOff}", {{kSetupDisplay, 0x92}}, 0, {{kSetupDisplay, 0x12}}},
      {"{Hex}", {}, 2, {{kSetupMode, 0}}},
      {"{Hex}", {{kSetupMode, 9}}, 0, {{kSetupMode, 15}}},
      {"{Dec}", {{kSetupMode, 1}}, 0, {{kSetupMode, 9}}},
      {"{GridOff}", {}, 0, {{kSetupGrid, 1}}},
      {"{GridOff}:{GridOn}", {}, 0, {{kSetupGrid, 0}}},
      {"{AxesOff}:{G-Plot}:{FuncOff}", {}, 0, {{kSetupAxes, 1}, {kSetupDrawType, 1}, {kSetupGraphFunc, 1}}},
      {"{a+bi}", {}, 0, {{kSetupComplexMode, 1}}},
      {"{a+bi}:{Real}", {}, 0, {{kSetupComplexMode, 0}}},
      {"{File3}", {}, 0, {{kSetupListFile, 3}}},
      {"{File}5", {}, 0, {{kSetupListFile, 5}}},
      {"{File}7", {}, 8, {}},
      {"{Resid-List}{List1}", {}, 0, {{kSetupResidList, 1}}},
      {"{Resid-List}{List}12", {}, 0, {{kSetupResidList, 12}}},
      {"{Resid-List}{List}27", {}, 8, {}},
      {"{VarList}{List}4", {}, 0, {{kSetupVariable, 4}}},
      {"{BG-Pict}20", {}, 0, {{kSetupBackground, 20}}},
      {"{BG-Pict}21", {}, 8, {}},
      {"{ab/c}", {}, 0, {{kSetupFracResult, 1}}},
      {"{S-L-Dot}", {}, 0, {{kSetupSketchLine, 3}}},
      {"{Y>Type}", {}, 0, {{kSetupFuncType, 4}}},
      {"{Simp}", {}, 2, {}},
      {"\xF7\x30", {}, 2, {}},          // an option word of other commands
      {"\x7F\x31" "1+2", {}, 0, {}},     // a colour word: the rest is skipped
      {"{Deg}5", {}, 2, {{kSetupAngle, 0}}},
      {"\xF7\x90", {{kSetupRecurType, 3}}, 0, {{kSetupRecurType, 0}}},
      {"\xF7\x91", {{kSetupRecurType, 0}}, 0, {{kSetupRecurType, 1}}},
      {"\xF7\x92", {{kSetupRecurType, 2}}, 0, {{kSetupRecurType, 4}}},
  };
  for (const SettingCase &c : cases) {
    SCOPED_TRACE(c.line);
    SetupResetAll();
    for (const auto &[item, value] : c.before) SetupSetItem(item, value);
    EXPECT_EQ(RunLine(ProgTok(c.line)), c.error);
    for (const auto &[item, value] : c.after) EXPECT_EQ(SetupGetItem(item), value) << "item " << int(item);
  }
}

// Rnd rounds Ans as the display would show it.
TEST_F(ProgSettings, RndRoundsAnsByTheDisplayMode) {
  struct {
    const char *line;
    u8 display;
    const char *ans;
  } cases[] = {
      {"2/3:{Rnd}", 0x23, "0.667"},
      {"2/3:{Rnd}", 0x32, "0.67"},
      {"1/3:{Rnd}", 0x00, "0.3333333333"},
      {"12.5:{Rnd}", 0x20, "13"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    SetupSetItem(kSetupDisplay, c.display);
    EXPECT_EQ(RunLine(ProgTok(c.line)), 0u);
    SetupSetItem(kSetupDisplay, 0);
    EXPECT_EQ(ProgTestVar(0xC0), c.ans);
  }
}

// The V-Window record "VWIN" as texts of its eleven fields.
std::vector<std::string> Vwin() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kMcsKindList, "VWIN", &size, &data) != 0 || size < 132) return {};
  std::vector<std::string> f;
  for (u32 i = 0; i < 11; ++i) {
    Value v{};
    std::memcpy(&v.re, data + 12 * i, 12);
    f.push_back(ProgTestText(v));
  }
  return f;
}

TEST_F(ProgSettings, ViewWindowFillsItsPositions) {
  // Three commas and -5: only Ymin changes, on the initial window.
  ASSERT_EQ(RunLine(ProgTok("{ViewWindow},,,{neg}5")), 0u);
  EXPECT_EQ(Vwin(), (std::vector<std::string>{"-6.3", "6.3", "1", "0.1", "-5", "3.1", "1", "0", "360", "3.6",
                                                 "0.2032258065"}));
  ASSERT_EQ(RunLine(ProgTok("{ViewWindow}0,12.6,{neg}2,{neg}1,1,0.5,0,1,0.1")), 0u);
  EXPECT_EQ(Vwin(), (std::vector<std::string>{"0", "12.6", "2", "0.1", "-1", "1", "0.5", "0", "1", "0.1",
                                                 "0.2032258065"}));
  struct {
    const char *line;
    u32 error;
  } bad[] = {
      {"{ViewWindow}", 2},                    // no value
      {"{ViewWindow},,", 2},                  // positions but no value
      {"{ViewWindow}1,2,3,4,5,6,7,8,9,10", 2},  // a tenth position
      {"{ViewWindow}1,1", 28},                // Xdot 0
      {"{ViewWindow}1\x0F""99", 28},          // out of range
      {"{ViewWindow}{neg}1,1,1,1,1,1,0,1,0", 28},  // T pitch 0
  };
  for (const auto &c : bad) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RunLine(ProgTok(c.line)), c.error);
  }
  EXPECT_EQ(Vwin()[1], "12.6");  // a failing command leaves the record alone
}

TEST_F(ProgSettings, FactorZoomsAboutTheCentre) {
  ASSERT_EQ(RunLine(ProgTok("{ViewWindow}{neg}10,10,1,{neg}4,8,1")), 0u);
  ASSERT_EQ(RunLine(ProgTok("{Factor}2")), 0u);
  std::vector<std::string> w = Vwin();
  EXPECT_EQ(w[0], "-5");
  EXPECT_EQ(w[1], "5");
  EXPECT_EQ(w[4], "-1");
  EXPECT_EQ(w[5], "5");
  ASSERT_EQ(RunLine(ProgTok("{Factor}0.5,4")), 0u);
  w = Vwin();
  EXPECT_EQ(w[0], "-10");
  EXPECT_EQ(w[1], "10");
  EXPECT_EQ(w[4], "1.25");
  EXPECT_EQ(w[5], "2.75");
  EXPECT_EQ(RunLine(ProgTok("{Factor}0")), 3u);
  EXPECT_EQ(RunLine(ProgTok("{Factor}2,0")), 3u);
}

TEST_F(ProgSettings, ViewWindowMemories) {
  ASSERT_EQ(RunLine(ProgTok("{ViewWindow}0,20,2:{StoV-Win}3:{ViewWindow}{neg}1,1")), 0u);
  EXPECT_EQ(Vwin()[1], "1");
  ASSERT_EQ(RunLine(ProgTok("{RclV-Win}3")), 0u);
  EXPECT_EQ(Vwin()[1], "20");
  EXPECT_EQ(Vwin()[2], "2");
  EXPECT_EQ(RunLine(ProgTok("{RclV-Win}4")), 4u);  // a memory never stored
  EXPECT_EQ(RunLine(ProgTok("{StoV-Win}7")), 8u);
  EXPECT_EQ(RunLine(ProgTok("{StoV-Win}")), 8u);
}

// Graph functions and recursion formulas: selections and line styles.
TEST_F(ProgSettings, GraphFunctionSelectionsAndStyles) {
  auto store = [](const char *name, u8 attr) {
    const u8 item[8] = {0, 0, attr, 2, 'X', 0, 0, 0};
    ASSERT_LE(McsCreateByKind(2, name, sizeof item, item), 2u) << name;
  };
  auto header = [](const char *name, u32 at) -> int {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenByKindPtr(2, name, &size, &data) != 0) return -1;
    return data[at];
  };
  store("1", 0x80);
  store("12", 0x00);
  store("AN", 0x10);
  ASSERT_EQ(RunLine(ProgTok("\xF7\xC9" "12:\xF7\xD8")), 0u);  // T SelOn 12, G SelOff (all)
  EXPECT_EQ(header("1", 2), 0x00);
  EXPECT_EQ(header("12", 2), 0x20);
  ASSERT_EQ(RunLine(ProgTok("\xF7\xC8" "1:\xF7\xDB")), 0u);  // G SelOn 1, R SelOff (all)
  EXPECT_EQ(header("1", 2), 0x80);
  EXPECT_EQ(header("AN", 2), 0x00);
  ASSERT_EQ(RunLine(ProgTok("\xF7\x3E" "12:\xF7\x3F\x7F\xA0")), 0u);  // BrokenThickG 12, DotG an
  EXPECT_EQ(header("12", 3), 5);
  EXPECT_EQ(header("AN", 3), 8);
  EXPECT_EQ(header("1", 3), 2);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x3C" "3")), 0u);  // a function never defined: nothing
  EXPECT_EQ(header("3", 3), -1);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x3C" "21")), 8u);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x3C" "1+")), 2u);
  EXPECT_EQ(RunLine(ProgTok("\xF7\xCB" "1")), 2u);  // R SelOn takes a formula name
  ASSERT_EQ(RunLine(ProgTok("\xF7\xCB")), 0u);  // R SelOn: all three
  EXPECT_EQ(header("AN", 2), 0x10);
  ASSERT_EQ(RunLine(ProgTok("\xF7\x92")), 0u);  // a recursion type deselects them
  EXPECT_EQ(header("AN", 2), 0x00);
}

TEST_F(ProgSettings, DynamicVariable) {
  ASSERT_EQ(RunLine(ProgTok("\xF7\x80" "B")), 0u);  // D Var B: the record is made
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenInFolderPtr("@DYNA", "COND", &size, &data), 0u);
  u16 var = 0, speed = 0;
  std::memcpy(&speed, data + 36, 2);
  std::memcpy(&var, data + 38, 2);
  EXPECT_EQ(var, 2);
  EXPECT_EQ(speed, 3);
  ASSERT_EQ(RunLine(ProgTok("\xF7\x80" "Z")), 0u);
  ASSERT_EQ(McsOpenInFolderPtr("@DYNA", "COND", &size, &data), 0u);
  std::memcpy(&var, data + 38, 2);
  EXPECT_EQ(var, 26);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x80" "X")), 2u);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x80" "1")), 2u);
}

// A graph memory keeps the graph settings, the V-Window and the graph
// functions, and gives them back.
TEST_F(ProgSettings, GraphMemories) {
  const u8 f1[8] = {0, 0, 0x80, 3, 'X', 0, 0, 0};
  const u8 f5[8] = {0, 0, 0x00, 2, '2', 'X', 0, 0};
  ASSERT_LE(McsCreateByKind(2, "1", sizeof f1, f1), 2u);
  ASSERT_LE(McsCreateByKind(2, "5", sizeof f5, f5), 2u);
  ASSERT_EQ(RunLine(ProgTok("{GridOff}:{ViewWindow}0,10:\xF7\x95" "2")), 0u);  // StoGMEM 2
  ASSERT_EQ(McsDeleteByKind(2, "1"), 0u);
  ASSERT_EQ(RunLine(ProgTok("{GridOn}:{ViewWindow}{neg}1,1")), 0u);
  ASSERT_EQ(RunLine(ProgTok("\xF7\x96" "2")), 0u);  // RclGMEM 2
  EXPECT_EQ(SetupGetItem(kSetupGrid), 1);
  EXPECT_EQ(Vwin()[1], "10");
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(2, "1", &size, &data), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(data + 4)), "X");
  EXPECT_EQ(data[2], 0x80);
  EXPECT_EQ(data[3], 3);
  ASSERT_EQ(McsOpenByKindPtr(2, "5", &size, &data), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(data + 4)), "2X");
  EXPECT_NE(McsOpenByKindPtr(2, "2", &size, &data), 0u);
  EXPECT_EQ(RunLine(ProgTok("\xF7\x96" "3")), 4u);   // never stored
  EXPECT_EQ(RunLine(ProgTok("\xF7\x95" "21")), 8u);
}

// A setting that changes the graph display forgets what the graph screen
// drew and the statistics results; a list-file change marks the graph mode.
TEST_F(ProgSettings, GraphRecordIsForgotten) {
  auto work = [](const char *name) {
    u32 size = 0;
    return McsOpenByKind(255, name, &size) == 0;
  };
  const u8 mode[4] = {2, 0, 0, 0};
  ASSERT_LE(McsCreateByKind(255, "GRPMODE", sizeof mode, mode), 2u);
  ASSERT_LE(McsCreateByKind(255, "COM12", sizeof mode, mode), 2u);
  ASSERT_EQ(ItemListCreate(254, 0, 3), 0u);
  ASSERT_EQ(RunLine(ProgTok("{FuncOff}")), 0u);  // not a display change
  EXPECT_TRUE(work("GRPMODE"));
  ASSERT_EQ(RunLine(ProgTok("\xF7\xBB")), 0u);  // File4
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(255, "GRPMODE", &size, &data), 0u);
  EXPECT_EQ(data[0], 11);
  EXPECT_EQ(ItemListSize(254, 0), 0u);
  ASSERT_EQ(RunLine(ProgTok("{GridOff}")), 0u);
  EXPECT_FALSE(work("GRPMODE"));
  EXPECT_FALSE(work("COM12"));
  ASSERT_LE(McsCreateByKind(255, "GRPMODE", sizeof mode, mode), 2u);
  ASSERT_EQ(RunLine(ProgTok("{ViewWindow}1,2")), 0u);
  EXPECT_FALSE(work("GRPMODE"));

  // The commands on the graph functions' selection forget their table and
  // the drawn graph.
  const char *selections[] = {"\xF7\x88", "\xF7\xB2", "\xF7\xB7", "\xF7\xC5", "\xF7\xD5", "{VarList}{List}12"};
  for (const char *line : selections) {
    SCOPED_TRACE(line);
    ASSERT_LE(McsCreateByKind(255, "GRPMODE", sizeof mode, mode), 2u);
    ASSERT_EQ(ItemMatCreate(35, 2, 2), 0u);
    ASSERT_EQ(RunLine(ProgTok(line)), 0u);
    u32 rows = 9, cols = 9;
    ItemMatDims(35, &rows, &cols);
    EXPECT_EQ(rows, 0u);
    EXPECT_FALSE(work("GRPMODE"));
  }

  // Filling a list marks the graph mode and clears the statistics results,
  // as a list file change does.
  ASSERT_EQ(RunLine(ProgTok("{lb}1,2{rb}->{List1}:{Deg}")), 0u);
  ASSERT_LE(McsCreateByKind(255, "GRPMODE", sizeof mode, mode), 2u);
  ASSERT_EQ(ItemListCreate(254, 0, 3), 0u);
  ASSERT_EQ(RunLine(ProgTok("{Fill(}7,{List1}")), 0u);
  ASSERT_EQ(McsOpenByKindPtr(255, "GRPMODE", &size, &data), 0u);
  EXPECT_EQ(data[0], 11);
  EXPECT_EQ(ItemListSize(254, 0), 0u);
}

}  // namespace
