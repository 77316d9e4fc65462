// Graph and sketch statements of programs: the first byte picks a command
// (with or without a line-style prefix), the rest is its argument text (up
// to 255 bytes), run on fresh items with the initial window. Every
// statement ends with success or an error code 1-38, writes the image only
// as whole items (the stored "SCREEN" and pictures stay 2048 bytes), leaves
// the graph-variable bits of SET UP clear and no handle-heap block behind.
#include <cstring>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "graph/command/graph_command.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/heap.h"
#include "ui/lcd.h"
#include "ui/setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupDualScreen, 3);
  LcdClearVram();

  fuzz::Reader in(data, size);
  const u8 pick = in.Byte();
  static const u16 kCommands[] = {
      0xD1,   0xF719, 0xE0,   0xE1,   0xF793, 0xF794, 0xF7A3, 0xF7A4, 0xF7A5, 0xF7A6, 0xF7A7, 0xF7A8,
      0xF7A9, 0xF7AA, 0xF7AB, 0xF7AC, 0xF7AD, 0xEE,   0xF0,   0xF1,   0xF2,   0xF3,   0xF4,   0xF5,
      0xF762, 0xF720, 0xF72E, 0xEF,   0xF7A0, 0xF7A1, 0xF7A2, 0xF920,
  };
  constexpr u32 kCount = sizeof kCommands / sizeof kCommands[0];
  std::vector<u8> text;
  if (pick & 0x80) {
    text.push_back(0xF7);
    text.push_back(static_cast<u8>(0x8C + ((pick >> 5) & 3)));
  }
  const u16 cmd = kCommands[(pick & 0x1F) % kCount];
  if (cmd > 0xFF) text.push_back(static_cast<u8>(cmd >> 8));
  text.push_back(static_cast<u8>(cmd & 0xFF));
  while (!in.Empty() && text.size() < 255) text.push_back(in.Byte());
  text.push_back(0);
  text.push_back(0);
  // Getkey and the dynamic display wait for keys; a fuzz run has none.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == 0x7F && text[i + 1] == 0x8F) text[i + 1] = 0x50;
    if (text[i] == 0xF7 && text[i + 1] == 0x22) text[i + 1] = 0x19;
  }

  const u8 *p = text.data();
  Value result;
  std::memset(&result, 0, sizeof result);
  u32 show = 0;
  i32 key = 0;
  const u32 ok = GraphRunSketchCommand(&p, &result, &show, &key);
  const u8 code = RealErrorCode(&result.re);
  FUZZ_CHECK(ok == 1 || (code >= 1 && code <= 38), "result %u code %u", ok, code);
  FUZZ_CHECK(ok == 0 || code == 0, "success with an error value");
  FUZZ_CHECK(p >= text.data() && p < text.data() + text.size(), "position left the text");
  FUZZ_CHECK(show <= kGraphShowRTable, "show %u", show);
  u8 planes[2048];
  const u32 screen = GmemReadScreen(planes);
  FUZZ_CHECK(screen == 0 || screen == 4, "screen read %u", screen);
  FUZZ_CHECK((SetupGetByte(kSetupGraphVars) & 0x1F) == 0, "graph variable bits left set");
  for (i32 row = 1; row <= 63; ++row) {
    const i32 lit = GraphPixelTest(1 + row, row);
    FUZZ_CHECK(lit >= -1 && lit <= 1, "pixel test %d", lit);
  }
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
  return 0;
}
