// Statement classes: one byte per token in four tables (one-byte tokens,
// 0x7F xx, 0xF7 xx, 0xF9 xx), built while compiling from the ranges below.
#include <initializer_list>
#include <utility>

#include "eval/prog.h"

namespace {

template <size_t N>
constexpr void Fill(u8 (&t)[N], u32 first, u32 last, u8 cls) {
  for (u32 i = first; i <= last && i < N; ++i) t[i] = cls;
}

// Built while compiling: the tables are constant data.
constexpr ProgClassTables Build() {
  ProgClassTables t{};
  // One-byte tokens.
  auto &o = t.one;
  Fill(o, 0x7F, 0x7F, kProgClsSetting);
  Fill(o, 0xF7, 0xF7, kProgClsSetting);
  Fill(o, 0xF9, 0xF9, kProgClsSetting);
  Fill(o, 0xD4, 0xD7, kProgClsSetting);  // Dec Hex Bin Oct
  Fill(o, 0xD9, 0xDD, kProgClsSetting);  // Norm Deg Rad Gra Eng
  Fill(o, 0xE3, 0xE4, kProgClsSetting);  // Fix Sci
  Fill(o, 0xEA, 0xEB, kProgClsSetting);  // Factor ViewWindow
  for (auto [a, b] : {std::pair{0x0F, 0x0F}, {0x14, 0x1F}, {0x28, 0x28}, {0x2E, 0x2E}, {0x30, 0x39},
                      {0x41, 0x5B}, {0x7B, 0x7B}, {0x80, 0x87}, {0x89, 0x89}, {0x8D, 0x8F},
                      {0x91, 0x97}, {0x99, 0x99}, {0x9E, 0xA7}, {0xAD, 0xAF}, {0xB1, 0xB7},
                      {0xBD, 0xCA}, {0xCD, 0xD0}, {0xDE, 0xDF}, {0xFB, 0xFE}}) {
    Fill(o, a, b, kProgClsExpr);
  }
  Fill(o, 0xD1, 0xD1, kProgClsGraph);  // Cls
  Fill(o, 0xE0, 0xE1, kProgClsGraph);  // Plot Line
  Fill(o, 0xEE, 0xF5, kProgClsGraph);  // the Graph commands
  Fill(o, 0x0D, 0x0D, kProgClsNewline);
  Fill(o, ':', ':', kProgClsSeparator);
  Fill(o, 0x0C, 0x0C, kProgClsSeparator);
  Fill(o, 0x0E, 0x0E, kProgClsAssignArrow);
  Fill(o, 0x13, 0x13, kProgClsJumpArrow);
  Fill(o, '?', '?', kProgClsInput);
  Fill(o, 0xED, 0xED, kProgClsProg);
  Fill(o, 0xE2, 0xE2, kProgClsLabel);  // Lbl
  Fill(o, 0xEC, 0xEC, kProgClsLabel);  // Goto
  Fill(o, 0xE8, 0xE9, kProgClsCount);  // Dsz Isz
  Fill(o, '"', '"', kProgClsText);
  Fill(o, '\'', '\'', kProgClsComment);
  Fill(o, 0xD3, 0xD3, kProgClsRnd);
  Fill(o, 0x00, 0x00, kProgClsEnd);

  auto &a = t.x7f;
  Fill(a, 0x31, 0x39, kProgClsSetting);  // colour words
  Fill(a, 0xB8, 0xB8, kProgClsSetting);  // Simp
  for (auto [lo, hi] : {std::pair{0x00, 0x02}, {0x04, 0x06}, {0x08, 0x12}, {0x14, 0x16}, {0x18, 0x1A},
                        {0x1D, 0x2F}, {0x40, 0x41}, {0x46, 0x46}, {0x48, 0x50}, {0x52, 0x53},
                        {0x60, 0x68}, {0x76, 0x7D}, {0x85, 0x86}, {0x8F, 0x98}, {0xA0, 0xAE},
                        {0xB3, 0xB3}, {0xC0, 0xCD}, {0xD0, 0xDD}, {0xEA, 0xF4}}) {
    Fill(a, lo, hi, kProgClsExpr);
  }
  Fill(a, 0x51, 0x51, kProgClsListRef);
  Fill(a, 0x6A, 0x6F, kProgClsListRef);
  Fill(a, 0x42, 0x45, kProgClsMatList);  // *Row *Row+ Row+ Swap
  Fill(a, 0x47, 0x47, kProgClsMatList);  // Fill(

  auto &f = t.xf7;
  for (auto [lo, hi] : {std::pair{0x30, 0x36}, {0x3C, 0x5E}, {0x60, 0x61}, {0x63, 0x65}, {0x67, 0x67},
                        {0x6A, 0x6D}, {0x70, 0x72}, {0x76, 0x7A}, {0x7D, 0x7D}, {0x80, 0x80},
                        {0x88, 0x88}, {0x90, 0x92}, {0x95, 0x98}, {0x9C, 0x9F}, {0xB2, 0xCE},
                        {0xD0, 0xDC}}) {
    Fill(f, lo, hi, kProgClsSetting);
  }
  Fill(f, 0xAF, 0xAF, kProgClsExpr);  // PxlTest(
  for (auto [lo, hi] : {std::pair{0x19, 0x19}, {0x20, 0x2A}, {0x2E, 0x2F}, {0x62, 0x62}, {0x8C, 0x8F},
                        {0x93, 0x94}, {0xA0, 0xAD}}) {
    Fill(f, lo, hi, kProgClsGraph);
  }
  Fill(f, 0xB0, 0xB1, kProgClsMatList);  // SortA( SortD(
  Fill(f, 0x00, 0x00, kProgClsIf);
  Fill(f, 0x02, 0x03, kProgClsIf);  // Else IfEnd
  Fill(f, 0x04, 0x04, kProgClsFor);
  Fill(f, 0x07, 0x07, kProgClsFor);  // Next
  Fill(f, 0x0A, 0x0B, kProgClsDo);   // Do LpWhile
  Fill(f, 0x08, 0x09, kProgClsWhile);
  Fill(f, 0x0D, 0x0D, kProgClsBreak);
  Fill(f, 0x0C, 0x0C, kProgClsReturn);
  Fill(f, 0x0E, 0x0E, kProgClsStop);
  Fill(f, 0x10, 0x10, kProgClsLocate);
  Fill(f, 0x18, 0x18, kProgClsClear);  // ClrText
  Fill(f, 0x1A, 0x1A, kProgClsClear);  // ClrList
  Fill(f, 0x11, 0x11, kProgClsSend);     // Send(
  Fill(f, 0x15, 0x15, kProgClsSend);     // Send38k
  Fill(f, 0x12, 0x12, kProgClsReceive);  // Receive(
  Fill(f, 0x16, 0x16, kProgClsReceive);  // Receive38k
  Fill(f, 0x13, 0x14, kProgClsPort);     // OpenComport38k CloseComport38k
  Fill(f, 0x9A, 0x9A, kProgClsCapture);  // RclCapt

  auto &n = t.xf9;
  Fill(n, 0x08, 0x0C, kProgClsSetting);  // Real, complex modes, EngOn EngOff
  Fill(n, 0x10, 0x11, kProgClsSetting);
  Fill(n, 0x1C, 0x1D, kProgClsSetting);  // File VarList
  Fill(n, 0x12, 0x18, kProgClsExpr);
  Fill(n, 0x1B, 0x1B, kProgClsExpr);
  Fill(n, 0x21, 0x22, kProgClsExpr);
  Fill(n, 0x20, 0x20, kProgClsGraph);  // ZoomAuto
  Fill(n, 0x1E, 0x1E, kProgClsClear);  // ClrMat
  return t;
}

}  // namespace

constinit const ProgClassTables g_progClassTables = Build();
