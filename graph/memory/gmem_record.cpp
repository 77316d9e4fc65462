#include "graph/memory/gmem_record.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "eval/token.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "ui/fkey.h"

namespace {

constexpr u8 kWork = kMcsKindWork;
constexpr u32 kHeader = 4;
constexpr u8 kTableMatrix = 35;

u8 *Open(const char *name, u32 *size) {
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kWork, name, size, &data) != 0) return nullptr;
  return data;
}

// Byte at of a small work item, made as {0, 0} when missing, set to v.
u32 WriteModeByte(u32 at, u8 v) {
  u32 size = 0;
  if (Open("GRPMODE", &size) != nullptr && size >= 2) return McsWriteByKind(kWork, "GRPMODE", 1, &v, at) <= 2 ? 0 : 4;
  McsDeleteByKind(kWork, "GRPMODE");
  u8 item[2] = {0, 0};
  item[at] = v;
  return McsCreateByKind(kWork, "GRPMODE", 2, item) <= 2 ? 0 : 4;
}

u8 ReadModeByte(u32 at) {
  u32 size = 0;
  const u8 *data = Open("GRPMODE", &size);
  return data != nullptr && size > at ? data[at] : 0;
}

// Where the first expression of a parametric command ends: the first comma
// outside brackets, or len (the statement's length in the text p).
u32 FirstExpressionEnd(const u8 *p, u32 len) {
  i32 depth = 0;
  for (u32 i = 0, n = 1; i < len; i += n) {
    const u8 c = p[i];
    n = TokLenAt(p + i);
    if (n == 2) continue;
    if (c == '(' || c == '[' || c == '{') ++depth;
    if ((c == ')' || c == ']' || c == '}') && depth > 0) --depth;
    if (c == ',' && depth == 0) return i;
  }
  return len;
}

void SlotName(u32 slot, char *dst) { std::snprintf(dst, 8, "COM%u", static_cast<unsigned>(slot)); }

// {first slot, count} of the ring; false when it is missing.
bool ReadRing(u8 *first, u8 *count) {
  u32 size = 0;
  const u8 *data = Open("COMGRAPH", &size);
  if (data == nullptr || size < 2) return false;
  *first = data[0] >= 1 && data[0] <= kGmemCommandSlots ? data[0] : 1;
  *count = data[1] <= kGmemCommandSlots ? data[1] : kGmemCommandSlots;
  return true;
}

}  // namespace

u8 GmemReadGraphMode() { return ReadModeByte(0); }
u32 GmemWriteGraphMode(u8 mode) { return WriteModeByte(0, mode); }
u8 GmemReadGraphModeAux() { return ReadModeByte(1); }
u32 GmemWriteGraphModeAux(u8 v) { return WriteModeByte(1, v); }

u32 GmemEnsureGraphMode() {
  u32 size = 0;
  if (Open("GRPMODE", &size) != nullptr) return 0;
  const u8 item[2] = {0, 0};
  return McsCreateByKind(kWork, "GRPMODE", 2, item) <= 2 ? 0 : 4;
}

u32 GmemAppendGraphCommand(const char *text, u16 type, u8 kind) {
  const u8 *src = reinterpret_cast<const u8 *>(text);
  if (src == nullptr || src[0] == 0) return 2;
  u8 first = 1;
  u8 count = 0;
  if (!ReadRing(&first, &count)) {
    const u8 ring[2] = {1, 0};
    McsDeleteByKind(kWork, "COMGRAPH");
    if (McsCreateByKind(kWork, "COMGRAPH", 2, ring) > 2) return 4;
  }
  u32 slot;
  if (count < kGmemCommandSlots) {
    ++count;
    slot = count;
  } else {
    slot = first;
  }
  // The item is built whole before it is stored.
  const u32 len = TokStatementLen(src);
  std::vector<u8> item(kHeader + len, 0);
  item[0] = static_cast<u8>(type & 0xFF);
  item[1] = static_cast<u8>(type >> 8);
  item[3] = kind;
  std::memcpy(item.data() + kHeader, src, len);
  if ((type & 0x401) == 0x401) {
    const u32 end = FirstExpressionEnd(src, len);
    if (end < len) {
      item[kHeader + end] = 0xF6;
    } else {
      item.push_back(0xF6);
    }
  }
  item.push_back(0);
  char name[8];
  SlotName(slot, name);
  McsDeleteByKind(kWork, name);
  if (McsCreateByKind(kWork, name, static_cast<u32>(item.size()), item.data()) > 2) {
    GmemDeleteCommands();
    return 4;
  }
  first = static_cast<u8>(count == kGmemCommandSlots ? (slot % kGmemCommandSlots) + 1 : 1);
  const u8 ring[2] = {first, count};
  if (McsWriteByKind(kWork, "COMGRAPH", 2, ring, 0) > 2) {
    GmemDeleteCommands();
    return 4;
  }
  return 0;
}

u32 GmemCommandName(i32 i, char *dst) {
  u8 first = 1;
  u8 count = 0;
  if (!ReadRing(&first, &count) || i < 0 || i > count || count == 0) return 1;
  u32 slot;
  if (i <= 1) {
    slot = first + count - 1u;
  } else if (count < kGmemCommandSlots) {
    slot = static_cast<u32>(i) - 1;
  } else {
    slot = static_cast<u32>(i) + first - 2;
  }
  while (slot > kGmemCommandSlots) slot -= kGmemCommandSlots;
  SlotName(slot, dst);
  return 0;
}

u8 GmemCommandCount() {
  u8 first = 1;
  u8 count = 0;
  return ReadRing(&first, &count) ? count : 0;
}

i32 GmemCommandTextPtr(i32 i, const char **out) {
  static const char kEmpty[1] = {0};
  char name[8];
  if (GmemCommandName(i, name) != 0) return -1;
  u32 size = 0;
  const u8 *data = Open(name, &size);
  if (data == nullptr) return -1;
  if (size <= kHeader || TokTextLen(data + kHeader, size - kHeader) >= size - kHeader) {
    *out = kEmpty;
  } else {
    *out = reinterpret_cast<const char *>(data + kHeader);
  }
  return 0;
}

u32 GmemReplaceNewestCommandText(const char *text) {
  char name[8];
  if (GmemCommandName(1, name) != 0) return 4;
  u32 size = 0;
  if (Open(name, &size) == nullptr) return 4;
  // The text and its zero byte, padded with zeros: nothing past the source
  // is read.
  const u32 len = TokTextLen(text);
  std::vector<u8> padded((len + 1 + 3) & ~3u, 0);
  std::memcpy(padded.data(), text, len);
  if (kHeader + padded.size() != size) return 4;
  return McsWriteByKind(kWork, name, static_cast<u32>(padded.size()), padded.data(), kHeader) == 1 ? 0 : 4;
}

void GmemDeleteCommands() {
  // Every item of the ring is named "COM..." ("COMGRAPH", "COM1".."COM30",
  // "COMOBCD", "COMLINE"): with none there, one search replaces the 32 deletions.
  if (McsFindByKind(kWork, "COM", 1) != 0) return;
  McsDeleteByKind(kWork, "COMGRAPH");
  for (u32 slot = 1; slot <= kGmemCommandSlots; ++slot) {
    char name[8];
    SlotName(slot, name);
    McsDeleteByKind(kWork, name);
  }
  McsDeleteByKind(kWork, "COMOBCD");
  GmemDeleteLineReadout();
}

u32 GmemWriteLineReadout(const GmemLineReadout *r) {
  GmemDeleteLineReadout();
  return McsCreateByKind(kWork, "COMLINE", sizeof *r, r) <= 2 ? 0 : 4;
}

u32 GmemReadLineReadout(GmemLineReadout *r) {
  u32 size = 0;
  const u8 *data = Open("COMLINE", &size);
  if (data == nullptr || size < sizeof *r) return 4;
  std::memcpy(r, data, sizeof *r);
  return 0;
}

void GmemDeleteLineReadout() { McsDeleteByKind(kWork, "COMLINE"); }

u32 GmemWriteComValue(const BcdReal *v, i32 idx) {
  if (idx < 0 || idx > 2) return 4;
  u32 size = 0;
  if (Open("COMOBCD", &size) == nullptr || size < 3 * sizeof(BcdReal)) {
    BcdReal none[3];
    for (BcdReal &r : none) RealMakeError(4, &r);
    McsDeleteByKind(kWork, "COMOBCD");
    if (McsCreateByKind(kWork, "COMOBCD", sizeof none, none) > 2) return 4;
  }
  return McsWriteByKind(kWork, "COMOBCD", sizeof(BcdReal), v, static_cast<u32>(idx) * sizeof(BcdReal)) <= 2 ? 0 : 4;
}

u32 GmemReadComValue(BcdReal *out, i32 idx) {
  u32 size = 0;
  const u8 *data = Open("COMOBCD", &size);
  if (data == nullptr || idx < 0 || idx > 2 || size < (static_cast<u32>(idx) + 1) * sizeof(BcdReal)) return 4;
  std::memcpy(out, data + static_cast<u32>(idx) * sizeof(BcdReal), sizeof(BcdReal));
  return 0;
}

void GmemDeleteGraphRecord() {
  if (SysIsAppName("@RUNMAT") || SysIsAppName("@PROG")) FkeyBuildShiftGroup(1);
  McsDeleteByKind(kWork, "GRPMODE");
  GmemDeleteCommands();
}

void GmemForgetGraphTable() {
  ItemMatDelete(kTableMatrix);
  GmemDeleteGraphRecord();
}

namespace {
constexpr u8 kRecurMatrix = 36;

// The "PLOT" item (kGmemPlotBytes bytes), nullptr when missing or short.
u8 *OpenPlot() {
  u32 size = 0;
  u8 *data = Open("PLOT", &size);
  return data != nullptr && size >= kGmemPlotBytes ? data : nullptr;
}

u32 NewPlot(const u8 pt[8]) {
  McsDeleteByKind(kWork, "PLOT");
  u8 item[kGmemPlotBytes] = {};
  std::memcpy(item, pt, 8);
  item[16] = 1;
  return McsCreateByKind(kWork, "PLOT", sizeof item, item) == 0 ? 0 : 4;
}
}  // namespace

u32 GmemAddPlotPoint(const u8 pt[8]) {
  u8 *data = OpenPlot();
  if (data == nullptr) return NewPlot(pt);
  std::memmove(data + 8, data, 8);
  std::memcpy(data, pt, 8);
  data[16] = 2;
  return 0;
}

u32 GmemSetPlotPoint(const u8 pt[8]) {
  u8 *data = OpenPlot();
  if (data == nullptr) return NewPlot(pt);
  std::memcpy(data, pt, 8);
  return 0;
}

u32 GmemReadPlot(u8 out[16]) {
  const u8 *data = OpenPlot();
  if (data == nullptr) return 0;
  std::memcpy(out, data, 16);
  return data[16];
}

void GmemDeletePlot() { McsDeleteByKind(kWork, "PLOT"); }

void RecurResetGraphState() {
  ItemMatDelete(kRecurMatrix);
  GmemDeleteGraphRecord();
}

void GmemForgetTable(u8 matrix) {
  ItemMatDelete(matrix);
  GmemDeleteGraphRecord();
}
