// Helpers of the interpreter tests: program texts written readably and turned
// into token text, program items, variable and list readers.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "eval/prog.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numtext.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

// Token text from a readable form: words in braces name tokens ("{For}",
// "{Then}"), "->" is the assignment arrow, "=>" the jump arrow, "\n" a
// newline, "{Disp}" the display-stop, and + - * / the operator tokens;
// everything else stands for itself.
inline std::string ProgTok(const std::string &src) {
  static const std::map<std::string, std::string> words = {
      {"If", std::string("\xF7\x00", 2)}, {"Then", "\xF7\x01"}, {"Else", "\xF7\x02"}, {"IfEnd", "\xF7\x03"},
      {"For", "\xF7\x04"}, {"To", "\xF7\x05"}, {"Step", "\xF7\x06"}, {"Next", "\xF7\x07"},
      {"While", "\xF7\x08"}, {"WhileEnd", "\xF7\x09"}, {"Do", "\xF7\x0A"}, {"LpWhile", "\xF7\x0B"},
      {"Return", "\xF7\x0C"}, {"Break", "\xF7\x0D"}, {"Stop", "\xF7\x0E"}, {"Locate", "\xF7\x10"},
      {"Send", "\xF7\x11"}, {"Receive", "\xF7\x12"}, {"Pict", "\xF7\x93"}, {"ClrText", "\xF7\x18"}, {"ClrList", "\xF7\x1A"}, {"ClrMat", "\xF9\x1E"},
      {"Prog", "\xED"}, {"Lbl", "\xE2"}, {"Goto", "\xEC"}, {"Isz", "\xE9"}, {"Dsz", "\xE8"},
      {"Disp", "\x0C"}, {"Ans", "\xC0"}, {"neg", "\x87"}, {"r", "\xCD"}, {"theta", "\xCE"},
      {"List", "\x7F\x51"}, {"List1", "\x7F\x6A"}, {"Mat", "\x7F\x40"}, {"Dim", "\x7F\x46"},
      {"Deg", "\xDA"}, {"Rad", "\xDB"}, {"Gra", "\xDC"}, {"Norm", "\xD9"}, {"Fix", "\xE3"},
      {"Sci", "\xE4"}, {"Eng", "\xDD"}, {"Hex", "\xD5"}, {"Dec", "\xD4"}, {"Rnd", "\xD3"},
      {"GridOff", "\xF7\x7A"}, {"GridOn", "\xF7\x7D"}, {"AxesOff", "\xF7\xD2"}, {"G-Plot", "\xF7\x71"},
      {"FuncOff", "\xF7\xD0"}, {"a+bi", "\xF9\x09"}, {"Real", "\xF9\x08"}, {"EngOn", "\xF9\x0B"},
      {"EngOff", "\xF9\x0C"}, {"File", "\xF9\x1C"}, {"File3", "\xF7\xBA"}, {"Resid-List", "\xF7\x77"},
      {"BG-Pict", "\xF7\x79"}, {"ab/c", "\xF7\xCD"}, {"Simp", "\x7F\xB8"}, {"S-L-Dot", "\xF7\x9F"},
      {"VarList", "\xF9\x1D"}, {"Y>Type", "\xF7\x6A"}, {"RclCapt", "\xF7\x9A"},
      {"lb", "{"}, {"rb", "}"}, {"ViewWindow", "\xEB"}, {"StoV-Win", "\xF7\x97"}, {"RclV-Win", "\xF7\x98"}, {"SortA(", "\xF7\xB0"}, {"Fill(", "\x7F\x47"}, {"Swap", "\x7F\x45"}, {"Factor", "\xEA"}, {"ne", "\x11"}, {"le", "\x10"}, {"ge", "\x12"}, {"sqrt", "\x86"},
  };
  std::string out;
  for (size_t i = 0; i < src.size();) {
    if (src[i] == '{') {
      const size_t close = src.find('}', i);
      const std::string w = src.substr(i + 1, close - i - 1);
      const auto it = words.find(w);
      if (it == words.end()) ADD_FAILURE() << "unknown token word " << w;
      else out += it->second;
      i = close + 1;
      continue;
    }
    if (src.compare(i, 2, "->") == 0) {
      out += '\x0E';
      i += 2;
      continue;
    }
    if (src.compare(i, 2, "=>") == 0) {
      out += '\x13';
      i += 2;
      continue;
    }
    switch (src[i]) {
      case '+': out += '\x89'; break;
      case '-': out += '\x99'; break;
      case '*': out += '\xA9'; break;
      case '/': out += '\xB9'; break;
      case '\n': out += '\x0D'; break;
      default: out += src[i]; break;
    }
    ++i;
  }
  return out;
}

// Stores a program item: 8 bytes of password, the mode byte, one free byte,
// the text and its terminator.
inline u32 ProgTestStore(const std::string &name, const std::string &text, u8 mode = 0) {
  std::vector<u8> item(10 + text.size() + 1, 0);
  item[8] = mode;
  std::memcpy(item.data() + 10, text.data(), text.size());
  McsDeleteByKind(kMcsKindProgram, name.c_str());
  return McsCreateByKind(kMcsKindProgram, name.c_str(), static_cast<u32>(item.size()), item.data());
}

// A number text in ASCII: the negative sign as '-', the exponent mark as 'E'.
inline std::string ProgTestText(const Value &v) {
  char buf[kNumTextSize];
  NumToText(&v, buf);
  std::string s;
  for (const char *c = buf; *c; ++c) {
    const u8 b = static_cast<u8>(*c);
    s += b == 0x87 ? '-' : b == 0x0F ? 'E' : *c;
  }
  return s;
}

inline std::string ProgTestVar(u8 var) {
  Value v;
  SysReadVariable(var, &v);
  return ProgTestText(v);
}

// A list's elements as texts joined by ','; "-" when the list is missing.
inline std::string ProgTestList(u8 list) {
  const u32 n = ItemListSize(0, list);
  if (n == 0) return "-";
  std::string s;
  for (u32 i = 1; i <= n; ++i) {
    Value v;
    ItemListGet(0, list, i, &v);
    if (i > 1) s += ',';
    s += ProgTestText(v);
  }
  return s;
}

// A text row of the run context, without trailing blanks.
inline std::string ProgTestRow(const ProgRunContext &ctx, u32 row) {
  std::string s(reinterpret_cast<const char *>(ctx.text[row - 1]),
                strnlen(reinterpret_cast<const char *>(ctx.text[row - 1]), kProgRowBytes));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The handle-heap slots in use.
inline std::vector<bool> ProgTestHeap() {
  std::vector<bool> used(kMemSlotCount);
  for (u32 n = 0; n < kMemSlotCount; ++n) used[n] = MemDeref(kMemSlotBase + 4 * n) != nullptr;
  return used;
}

// A fresh main memory, SET UP and variables for each test.
class ProgFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SysClearVariables();
    ProgContextClear(&ctx);
  }
  void TearDown() override { HostFreeCalcRam(); }

  // Runs the stored program `name`; returns the error code (0 on success).
  u32 RunProgram(const std::string &name) {
    const std::string call = std::string("\xED\"") + name + "\"";
    const u8 *p = reinterpret_cast<const u8 *>(call.c_str());
    Value result{};
    const u32 ok = ProgRun(&p, 0, &result, &ctx);
    const u32 code = ValErrorCodeOf(result);
    EXPECT_EQ(ok != 0, code == 0);
    return code;
  }
  // Runs a run line; returns the error code and leaves the error position.
  u32 RunLine(const std::string &line) {
    // Complete tokens and a zero byte; a second zero covers a text whose
    // last token is a lone lead byte.
    line_ = line + std::string(1, '\0');
    const u8 *p = reinterpret_cast<const u8 *>(line_.c_str());
    Value result{};
    const u32 ok = ProgRun(&p, 1, &result, &ctx);
    errorAt = static_cast<u32>(p - reinterpret_cast<const u8 *>(line_.c_str()));
    const u32 code = ValErrorCodeOf(result);
    EXPECT_EQ(ok != 0, code == 0);
    return code;
  }
  static u32 ValErrorCodeOf(const Value &v) { return (v.re.b[0] & 0xF0) == 0xF0 ? v.re.b[1] : 0; }

  ProgRunContext ctx{};
  u32 errorAt = 0;
  std::string line_;
};
