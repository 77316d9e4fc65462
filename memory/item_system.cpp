#include "memory/item_system.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "memory/str.h"
#include "ui/setup.h"

namespace {

constexpr const char *kReplay = "REPLAY";
constexpr const char *kTableFolder = "@TABLE";
constexpr const char *kRange = "RANGE";
constexpr u32 kTextHeader = 10;  // text items: 10 header bytes, then the text
constexpr u32 kReplayBaseNByte = 10;

u8 FolderType() { return McsKindToType(kMcsKindFolder); }

// The end of the text that starts at data[at], within size bytes: the
// position of its terminator, as StrByteLen finds it (a token group's lead
// byte takes its next byte, even a zero), or size when none comes first.
u32 TextEnd(const u8 *data, u32 at, u32 size) {
  while (at < size && data[at] != 0) {
    const bool token_lead = data[at] == 0x7F || data[at] == 0xF7 || data[at] == 0xF9;
    if (!StrIsLeadByte(data[at])) {
      at += 1;
    } else if (token_lead || (at + 1 < size && data[at + 1] != 0)) {
      at += 2;
    } else {
      break;  // a cut character ends the text
    }
  }
  return at < size ? at : size;
}

// The history's lines, each with its zero byte; empty when there is none.
std::vector<std::vector<char>> ReplayLines() {
  std::vector<std::vector<char>> lines;
  char folder[9] = {};
  SysGetAppName(folder);
  u8 *data = nullptr;
  u32 size = 0;
  if (folder[0] == 0 || McsFindItem(folder, kReplay, nullptr, nullptr, &data, &size) != 0) return lines;
  u32 at = 0;
  while (at < size && data[at] != 0) {
    const u32 end = TextEnd(data, at, size);
    std::vector<char> line(data + at, data + end);
    line.push_back(0);
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

}  // namespace

u32 ItemWriteWhole(const char *folder, const char *name, u8 type, const void *data, u32 size) {
  if (size == 0 || size >= kMcsAreaSize) return kMcsNoRoom;
  const u32 size4 = (size + 3) & ~3u;
  std::vector<u8> bytes(size4, 0);
  std::memcpy(bytes.data(), data, size);
  u32 old = 0;
  u8 old_type = 0;
  if (McsFindItem(folder, name, &old_type, nullptr, nullptr, &old) != 0 || old_type != type)
    return McsCreateItem(folder, name, type, size4, bytes.data());
  if (size4 > old) {
    if (u32 r = McsInsertBytes(folder, name, old, size4 - old, nullptr)) return r;
    return McsWriteBytes(folder, name, 0, size4, bytes.data());
  }
  if (u32 r = McsWriteBytes(folder, name, 0, size4, bytes.data())) return r;
  return size4 < old ? McsCutBytes(folder, name, size4, old - size4) : 0;
}

// ---- REPLAY ----

u32 ItemReplayAdd(const char *text) {
  char folder[9] = {};
  SysGetAppName(folder);
  if (folder[0] == 0) return kMcsNoFolder;
  // The new line, cut to 255 bytes at a character boundary.
  std::vector<char> line;
  const char *p = text;
  while (p != nullptr && *p != 0) {
    const char *next = StrNextChar(p);
    if (next == p || static_cast<u32>(next - text) > kItemReplayMax - 1) break;
    p = next;
  }
  const u32 n = p == nullptr ? 0 : static_cast<u32>(p - text);
  if (n == 0) return 0;
  line.assign(text, text + n);
  line.push_back(0);

  std::vector<std::vector<char>> lines = ReplayLines();
  const bool created = McsFindItem(folder, kReplay, nullptr, nullptr, nullptr, nullptr) != 0;
  lines.push_back(line);
  u32 total = 0;
  for (const auto &l : lines) total += static_cast<u32>(l.size());
  size_t first = 0;
  while (total > kItemReplayMax) total -= static_cast<u32>(lines[first++].size());
  std::vector<char> bytes;
  for (size_t k = first; k < lines.size(); ++k) bytes.insert(bytes.end(), lines[k].begin(), lines[k].end());
  if (u32 r = ItemWriteWhole(folder, kReplay, FolderType(), bytes.data(), static_cast<u32>(bytes.size()))) return r;
  if (created) SetupSetByte(kReplayBaseNByte, SetupGetItem(kSetupMode) != 0 ? 1 : 0);
  return 0;
}

u32 ItemReplayCount() { return static_cast<u32>(ReplayLines().size()); }

void ItemReplayDelete() {
  char folder[9] = {};
  SysGetAppName(folder);
  if (folder[0] != 0) McsDeleteItem(folder, kReplay);
}

i32 ItemReplayLineSize(u32 i) {
  const auto lines = ReplayLines();
  if (i == 0 || i > lines.size()) return -1;
  return static_cast<i32>(lines[i - 1].size());
}

u32 ItemReplayLine(u32 i, char *out) {
  const auto lines = ReplayLines();
  out[0] = 0;
  if (i == 0 || i > lines.size()) return 1;
  std::memcpy(out, lines[i - 1].data(), lines[i - 1].size());
  return 0;
}

// ---- function memories ----

char *ItemFmemName(u32 slot, char *dst) {
  std::snprintf(dst, 9, "FMEM%u", static_cast<unsigned>(slot % 100));
  return dst;
}

u32 ItemFmemStore(u32 slot, const char *text) {
  if (slot == 0 || slot > kItemFmemCount) return 21;
  char name[9];
  ItemFmemName(slot, name);
  const u32 n = StrByteLen(text);
  if (n == 0) {
    McsDeleteItem(McsKindFolder(kMcsKindText), name);
    return 0;
  }
  std::vector<u8> bytes(kTextHeader + n + 1, 0);
  std::memcpy(bytes.data() + kTextHeader, text, n);
  return ItemWriteWhole(McsKindFolder(kMcsKindText), name, McsKindToType(kMcsKindText), bytes.data(),
                        static_cast<u32>(bytes.size()));
}

const char *ItemFmemData(u32 slot) {
  if (slot == 0 || slot > kItemFmemCount) return nullptr;
  char name[9];
  u8 *data = nullptr;
  u32 size = 0;
  u8 type = 0;
  if (McsFindItem(McsKindFolder(kMcsKindText), ItemFmemName(slot, name), &type, nullptr, &data, &size) != 0)
    return nullptr;
  if (type != McsKindToType(kMcsKindText) || size <= kTextHeader) return nullptr;
  // A text must end inside its item.
  if (TextEnd(data, kTextHeader, size) >= size) return nullptr;
  const char *text = reinterpret_cast<const char *>(data + kTextHeader);
  return text[0] == 0 ? nullptr : text;
}

u32 ItemFmemLength(u32 slot) {
  const char *text = ItemFmemData(slot);
  return StrByteLen(text);
}

// ---- table range ----

u32 ItemTableRangeRead(u8 *dst) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsFindItem(kTableFolder, kRange, nullptr, nullptr, &data, &size) != 0 || size < kItemTableRangeSize)
    return 65;
  std::memcpy(dst, data, kItemTableRangeSize);
  return 0;
}

u32 ItemTableRangeWrite(const u8 *rec) {
  if (McsFindFolder(kTableFolder, nullptr, nullptr) != 0)
    if (u32 r = McsCreateFolder(kTableFolder)) return r;
  return ItemWriteWhole(kTableFolder, kRange, FolderType(), rec, kItemTableRangeSize);
}
