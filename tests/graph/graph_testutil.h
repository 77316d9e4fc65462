// Helpers of the graph engine tests: a fresh calculator with the initial
// V-Window in radians, entries written as readable token strings, and the
// pixel planes as text pictures.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../eval/eval_testutil.h"
#include "graph/engine/graph_context.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace graphtest {

using numtest::R;
using numtest::Show;

// A fresh calculator: main memory and SET UP cleared, radians, one graph
// screen, grid off, Simul Graph off, the display clear.
class Fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    McsClearAll();
    evaltest::ResetState();
    SetupSetItem(kSetupAngle, 1);
    SetupSetItem(kSetupDualScreen, 3);
    SetupSetItem(kSetupGrid, 1);
    SetupSetItem(kSetupSimulGraph, 1);
    LcdClearVram();
    std::memset(&ctx, 0, sizeof ctx);
  }
  void TearDown() override {
    evaltest::ResetState();
    HostFreeCalcRam();
  }

  // The context on the initial window ("VWIN" made on the way), planes
  // cleared with axes as SET UP says.
  void Open() {
    GraphInitContext(&ctx);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
    GraphClearBuffer(&ctx);
  }

  // Adds an entry; the text is kept by the fixture.
  GraphEntry &Add(u32 type, const std::string &formula, u8 style = 2) {
    texts.push_back(evaltest::Tokens(formula));
    GraphEntry e{};
    e.type = type;
    e.style = style;
    e.labelKind = 0;
    e.slot = static_cast<i32>(table.size()) + 1;
    table.push_back(e);
    Relink();
    return table.back();
  }
  void Relink() {
    // Texts and the table move as they grow: point the entries again.
    table.resize(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
      if (!(table[i].type & kGraphTypeBuiltin) && i < texts.size() && !texts[i].empty()) {
        table[i].text = texts[i].data();
      }
    }
    entries = table;
    entries.push_back(GraphEntry{});  // style 0 ends the table
    ctx.entries = entries.data();
  }

  u32 Plot() {
    Relink();
    return GraphPlotAll(&ctx);
  }

  GraphContext ctx{};
  std::vector<std::vector<u8>> texts;
  std::vector<GraphEntry> table;
  std::vector<GraphEntry> entries;
};

inline bool Lit(const GraphContext &c, int x, int y) {
  const u8 mask = static_cast<u8>(0x80 >> (x % 8));
  const int i = x / 8 + 16 * y;
  return ((c.planes[i] | c.planes[1024 + i]) & mask) != 0;
}

inline bool Lit1(const GraphContext &c, int x, int y) {
  return (c.planes[1024 + x / 8 + 16 * y] & (0x80 >> (x % 8))) != 0;
}

using Dots = std::set<std::pair<int, int>>;

inline Dots LitDots(const GraphContext &c) {
  Dots d;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x)
      if (Lit(c, x, y)) d.insert({x, y});
  return d;
}

inline int LitCount(const GraphContext &c) {
  int n = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) n += Lit(c, x, y);
  return n;
}

// The lit dots as 64 lines of 128 characters: '#' plane 0, '+' plane 1 only.
inline std::string Picture(const GraphContext &c) {
  std::string s;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const u8 mask = static_cast<u8>(0x80 >> (x % 8));
      const int i = x / 8 + 16 * y;
      s += (c.planes[i] & mask) ? '#' : (c.planes[1024 + i] & mask) ? '+' : '.';
    }
    s += '\n';
  }
  return s;
}

inline std::string Golden(const std::string &name) { return std::string(CORVANTA_GOLDEN_DIR) + "/" + name + ".txt"; }

}  // namespace graphtest
