// A stand-in for the graph function list in the graph screen's system tests:
// it takes GRAPH's place in the main menu, stores the functions a test
// names, opens the graph screen with a mode, and after the screen returns
// notes its exit code, the V-Window and the variables X and Y. Any key then
// opens the screen again. Also a reader of the small font the read-outs
// are written in.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_screen.h"
#include "kernel/apps.h"
#include "tests/number/numparse_testutil.h"
#include "tests/support/harness.h"
#include "ui/font.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace gapp {

// A graph function: its type word, attribute byte, kind byte and formula,
// written with '^' '-' '+' '*' '/' '~' (negative) and {sin} {cos} {sqrt}.
struct Func {
  u16 type;
  u8 flags;
  u8 kind;
  std::string text;
};

struct Noted {
  int result = 999;
  int runs = 0;
  std::array<std::string, kVwinFieldCount> vwin;
  std::string x, y;
  std::string readout;  // the first read-out value of the last graph (an integral)
};

inline std::mutex g_lock;
inline std::vector<Func> g_funcs;
inline int g_mode = kGraphDrawFuncs;
inline Noted g_noted;
// SET UP items set after the defaults below (item, value).
inline std::vector<std::pair<int, int>> g_setup;
// Run on the calculator thread after the functions are stored, before the
// screen opens (items a test wants in place); null for none.
inline void (*g_before)() = nullptr;
// The mode that shows the last graph as RUN-MAT's G<->T does
// (GraphRedisplay) in place of GraphScreenEntry.
inline constexpr int kRedisplay = 0;

inline std::vector<u8> Tokens(const std::string &s) {
  std::vector<u8> out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '{') {
      const size_t end = s.find('}', i);
      const std::string name = s.substr(i + 1, end - i - 1);
      i = end;
      out.push_back(name == "sin" ? 0x81 : name == "cos" ? 0x82 : name == "sqrt" ? 0x86 : 0xFF);
      continue;
    }
    switch (c) {
      case '+': out.push_back(0x89); break;
      case '-': out.push_back(0x99); break;
      case '*': out.push_back(0xA9); break;
      case '/': out.push_back(0xB9); break;
      case '^': out.push_back(0xA8); break;
      case '~': out.push_back(0x87); break;
      case 'T': out.push_back(0x54); break;
      default: out.push_back(static_cast<u8>(c)); break;
    }
  }
  out.push_back(0);
  return out;
}

inline std::string ShowVar(u8 code) {
  Value v;
  SysReadVariable(code, &v);
  return numtest::Show(v.re);
}

inline void Note(int result) {
  Noted n;
  n.result = result;
  VwinRecord rec;
  if (GmemReadVwin(&rec) == 0)
    for (int i = 0; i < kVwinFieldCount; ++i) n.vwin[i] = numtest::Show(rec.f[i]);
  BcdReal com;
  n.readout = GmemReadComValue(&com, 0) == 0 ? numtest::Show(com) : "";
  n.x = ShowVar('X');
  n.y = ShowVar('Y');
  std::lock_guard<std::mutex> hold(g_lock);
  n.runs = g_noted.runs + 1;
  g_noted = n;
}

inline u32 App(u32, u16) {
  // Kept outside the frame: the kernel leaves an application by a jump, so
  // its locals are never destroyed.
  static std::vector<Func> funcs;
  static std::vector<std::pair<int, int>> setup;
  int mode = kGraphDrawFuncs;
  void (*before)() = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    funcs = g_funcs;
    mode = g_mode;
    setup = g_setup;
    before = g_before;
  }
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupDrawType, 0);
  SetupSetItem(kSetupCoord, 0);
  SetupSetItem(kSetupDerivative, 1);
  SetupSetItem(kSetupGrid, 1);
  SetupSetItem(kSetupLabel, 1);
  SetupSetItem(kSetupDualScreen, 3);
  for (const auto &[item, value] : setup) SetupSetItem(item, static_cast<u8>(value));
  for (size_t i = 0; i < funcs.size(); ++i) {
    const u8 head[4] = {static_cast<u8>(funcs[i].type & 0xFF), static_cast<u8>(funcs[i].type >> 8), funcs[i].flags,
                        funcs[i].kind};
    const std::vector<u8> t = Tokens(funcs[i].text);
    GmemWriteFuncItem(static_cast<int>(i) + 1, head, reinterpret_cast<const char *>(t.data()));
  }
  if (before != nullptr) before();
  for (;;) {
    int out = 0;
    u32 key = 0;
    const int r = mode == kRedisplay ? static_cast<int>(GraphRedisplay(&key)) : GraphScreenEntry(mode, &out);
    Note(r);
    LcdClearVram();
    KeyGetKey(&key);
  }
}

// Installs the stand-in with these functions; call before the calculator
// starts.
inline void Install(std::vector<Func> funcs, int mode = kGraphDrawFuncs, std::vector<std::pair<int, int>> setup = {},
                    void (*before)() = nullptr) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_before = before;
    g_setup = std::move(setup);
    g_funcs = std::move(funcs);
    g_mode = mode;
    g_noted = Noted{};
  }
  SysReplaceMainMenuEntry(3, App);
}

inline Noted Last() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_noted;
}

// The text in the small font whose cells start at dot (x, y), read glyph by
// glyph against the font; stops at the first cell no glyph matches. The
// negative sign reads as '-'. Trailing blanks are dropped.
inline std::string MiniText(int x, int y, int end = 128) {
  std::string out;
  while (x < end) {
    int best = -1, bestWidth = -1;
    for (int g = 0; g < kFontMiniGlyphCount; ++g) {
      const FontMiniGlyph &f = kFontMiniGlyphs[g];
      if (f.code < 0x20 || f.code > 0xFF || f.width <= bestWidth) continue;
      bool same = true;
      for (int r = 0; r < 6 && same; ++r)
        for (int c = 0; c <= f.width && same; ++c) {
          const bool want = c < f.width && (f.rows[r] & (0x80 >> c));
          const bool got = x + c < 128 && CalcDot(x + c, y + r);
          same = want == got;
        }
      if (same) {
        best = g;
        bestWidth = f.width;
      }
    }
    if (best < 0) break;
    const u16 code = kFontMiniGlyphs[best].code;
    out += code == 0x87 ? '-' : static_cast<char>(code);
    x += bestWidth + 1;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// key pressed n times, as one key list.
inline std::string Rep(const std::string &key, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + key;
  return s;
}

// The 16-column read-out field at small-font cell (col, row): dot
// (4 col - 4, 8 row - 6).
inline std::string MiniCell(int col, int row) { return MiniText(4 * col - 4, 8 * row - 6, 4 * col - 4 + 63); }

// A fixture that starts the calculator with the stand-in in place and opens it.
class GraphScreenTest : public testing::Test {
 protected:
  void Open(std::vector<Func> funcs, int mode = kGraphDrawFuncs, std::vector<std::pair<int, int>> setup = {},
            void (*before)() = nullptr) {
    Install(std::move(funcs), mode, std::move(setup), before);
    CalcStart();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("RIGHT RIGHT RIGHT EXE"));
  }
  void TearDown() override { CalcStop(); }
};

inline constexpr u16 kY = 264;
inline constexpr u16 kParam = 1033;
inline constexpr u8 kSel = 0x80;

}  // namespace gapp
