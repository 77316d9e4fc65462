// The item interface by kind, the current item and the variable slots.
#include "memory/mcs_api.h"

#include <cstdlib>
#include <cstring>

#include "memory/mcs_store.h"

namespace {

struct CurrentItem {
  char folder[9];
  char name[9];
  u8 kind;
};

CurrentItem g_current = {{}, {}, kMcsKindNone};
u32 g_last_store = 0;
Value g_vars[kMcsVarSlotCount];

const char *const kAppFolders[] = {"@RUNMAT", "@STAT",   "@EACT",  "@GRAPH", "@DYNA",    "@TABLE",
                                   "@RECUR",  "@CONICS", "@EQUA",  "@PROG",  "@FINANCE", "@SSHEET"};

u32 Mapped(u32 store_code) {
  g_last_store = store_code;
  return McsMapError(store_code);
}

u32 Done() {
  g_last_store = 0;
  return 0;
}

void CopyName(char dst[9], const char *src) {
  u32 n = 0;
  if (src)
    for (; n < 8 && src[n]; ++n) dst[n] = src[n];
  std::memset(dst + n, 0, 9 - n);
}

void SetCurrent(const char *folder, const char *name, u8 kind) {
  char f[9], n[9];
  CopyName(f, folder);  // the sources may be the current names themselves
  CopyName(n, name);
  std::memcpy(g_current.folder, f, 9);
  std::memcpy(g_current.name, n, 9);
  g_current.kind = kind;
}

void ClearCurrent() { SetCurrent(nullptr, nullptr, kMcsKindNone); }

// The current item becomes variable ch of "main": what SetCurrent stores,
// without the name copies (programs read and store variables in tight
// loops).
void SetCurrentVariable(u8 ch) {
  static constexpr char kMain[9] = "main";
  std::memcpy(g_current.folder, kMain, 9);
  std::memset(g_current.name, 0, 9);
  g_current.name[0] = static_cast<char>(ch);
  g_current.kind = kMcsKindVariable;
}

bool Empty(const char *text) { return !text || !text[0]; }
u32 Round4(u32 n) { return n > 0xFFFFFFFCu ? 0 : (n + 3) & ~3u; }
bool IsTextKind(u8 kind) { return kind == kMcsKindProgram || kind == kMcsKindText; }
bool KindMatches(u8 type, u8 kind) { return kind == kMcsKindFolder || McsTypeToKind(type) == kind; }

// Bytes of a text item in use: 10 bytes of header, the text and its
// terminator. Bounded by the item: a text without terminator uses it all.
u32 TextUsed(const u8 *data, u32 size) {
  if (size <= 10) return size;
  const void *z = std::memchr(data + 10, 0, size - 10);
  return z ? static_cast<u32>(static_cast<const u8 *>(z) - data) + 1 : size;
}

u32 FlagCode(const char *folder, const char *name) {
  u8 flags = 0;
  McsGetItemFlags(folder, name, &flags);
  return McsFlagError(flags);
}

u32 Insert(const char *folder, const char *name, u8 kind, u32 count, const void *src, u32 offset, bool text_rule) {
  u8 *data;
  u32 size;
  if (u32 r = McsFindItem(folder, name, nullptr, nullptr, &data, &size)) return Mapped(r);
  if (text_rule) {
    const u32 used = TextUsed(data, size);
    if (size - used >= count && offset <= used) {
      if (u32 r = FlagCode(folder, name)) return Mapped(r);
      u8 *staged = McsStageSource(src, count);
      const void *from = staged ? staged : src;
      McsMarkAllChanged();
      std::memmove(data + offset + count, data + offset, used - offset);
      if (from)
        std::memcpy(data + offset, from, count);
      else
        std::memset(data + offset, 0, count);
      std::free(staged);
      SetCurrent(folder, name, kind);
      return Done();
    }
  }
  const u32 count4 = Round4(count);
  if (count && !count4) return Mapped(kMcsBadSize);
  if (u32 r = McsInsertBytesFrom(folder, name, offset, count4, src, count)) return Mapped(r);
  if (const u32 pad = count4 - count) {
    // Exactly count source bytes stand at the offset; the old bytes follow
    // them and the rounding bytes are left over, zero, at the end.
    McsFindItem(folder, name, nullptr, nullptr, &data, &size);
    std::memmove(data + offset + count, data + offset + count4, size - count4 - offset);
    std::memset(data + size - pad, 0, pad);
  }
  SetCurrent(folder, name, kind);
  return Done();
}

u32 Write(const char *folder, const char *name, u8 kind, u32 count, const void *src, u32 offset) {
  u32 size;
  if (u32 r = McsFindItem(folder, name, nullptr, nullptr, nullptr, &size)) return Mapped(r);
  if (offset > size) return Mapped(kMcsWriteOffset);
  if (!src) {
    // No source stands for the start of the main-memory area.
    if (count > kMcsAreaSize) return Mapped(kMcsWriteTooBig);
    src = McsAreaAddress();
  }
  const u32 room = size - offset;
  if (room >= count) {
    if (count)
      if (u32 r = McsWriteBytes(folder, name, offset, count, src)) return Mapped(r);
    SetCurrent(folder, name, kind);
    g_last_store = 0;
    return room == count ? 1 : 0;
  }
  // The item grows: everything is checked before the first byte is written.
  const u32 rest = count - room;
  const u32 rest4 = Round4(rest);
  if (u32 r = FlagCode(folder, name)) return Mapped(r);
  if (!rest4) return Mapped(kMcsBadSize);
  if (McsFreeBytes() < rest4) return Mapped(kMcsNoRoomInsert);
  u8 *staged = McsStageSource(src, count);
  const u8 *from = static_cast<const u8 *>(staged ? staged : src);
  u32 r = room ? McsWriteBytes(folder, name, offset, room, from) : 0;
  if (!r) r = McsInsertBytesFrom(folder, name, size, rest4, from + room, rest);
  std::free(staged);
  if (r) return Mapped(r);
  SetCurrent(folder, name, kind);
  g_last_store = 0;
  return 2;
}

u32 Cut(const char *folder, const char *name, u8 kind, u32 count, u32 offset, bool text_rule) {
  u8 *data;
  u32 size;
  if (u32 r = McsFindItem(folder, name, nullptr, nullptr, &data, &size)) return Mapped(r);
  if (offset > size) return Mapped(kMcsCutOffset);
  if (u64{offset} + count > size) return Mapped(kMcsCutPastEnd);
  const u32 count4 = count & ~3u, pad = count & 3u;
  if (u32 r = McsCutBytes(folder, name, offset, count4)) return Mapped(r);
  const bool whole = offset == 0 && count == size;
  if (pad) {
    // The rest of the gap closes inside the item; the bytes left over at its
    // end become zero.
    McsMarkAllChanged();
    u32 now;
    McsFindItem(folder, name, nullptr, nullptr, &data, &now);
    std::memmove(data + offset, data + offset + pad, size - count - offset);
    std::memset(data + now - pad, 0, pad);
  }
  if (text_rule) {
    // A text item keeps less than 4 bytes of slack after a cut.
    if (McsFindItem(folder, name, nullptr, nullptr, &data, &size) == 0) {
      const u32 used = TextUsed(data, size);
      if (size - used >= 4)
        if (u32 r = McsCutBytes(folder, name, used, (size - used) & ~3u)) return Mapped(r);
    }
  } else if (whole) {
    // A non-text item cut whole comes back as 4 zero bytes.
    return kind == kMcsKindFolder ? McsCreateInFolder(folder, name, 4, nullptr)
                                  : McsCreateByKind(kind, name, 4, nullptr);
  }
  SetCurrent(folder, name, kind);
  return Done();
}

// Deletes the first record of the folder (of the kind, unless kind is 254)
// named `name`; the current name stays on the deleted name while a later
// record of the kind follows it.
u32 DeleteNamed(const char *folder, const char *name, u8 kind) {
  McsFolderRecord *f;
  if (u32 r = McsFindFolder(folder, &f, nullptr)) return Mapped(r);
  char n8[8];
  const bool named = McsNormaliseName(name, 2, n8) == 0;
  const McsItemRecord *items = McsFolderItems(f);
  u32 pos = f->count;
  for (u32 j = 0; named && j < f->count; ++j)
    if (KindMatches(items[j].type, kind) && std::memcmp(items[j].name, n8, 8) == 0) {
      pos = j;
      break;
    }
  if (pos == f->count) {
    ClearCurrent();
    g_last_store = kMcsNoItem;
    return 64;
  }
  char text[9];
  CopyName(text, items[pos].name);
  if (u32 r = McsDeleteItem(folder, text)) return Mapped(r);
  items = McsFolderItems(f);
  bool follows = false;
  for (u32 j = pos; j < f->count && !follows; ++j) follows = KindMatches(items[j].type, kind);
  if (follows)
    SetCurrent(folder, text, kind);
  else
    ClearCurrent();
  return Done();
}

u32 DeleteAll(const char *folder, u8 kind) {
  McsFolderRecord *f;
  if (u32 r = McsFindFolder(folder, &f, nullptr)) return Mapped(r);
  if (f->count == 0) {
    g_last_store = 0;
    return 35;
  }
  u32 failed = 0;
  for (u32 j = 0; j < f->count;) {
    const McsItemRecord *rec = McsFolderItems(f) + j;
    if (!(kind == kMcsKindNone || KindMatches(rec->type, kind))) {
      ++j;
      continue;
    }
    char text[9];
    CopyName(text, rec->name);
    // A deleted record's place is taken by the next one.
    if (u32 r = McsDeleteItem(folder, text)) {
      failed = r;
      ++j;
    }
  }
  ClearCurrent();
  return failed ? Mapped(failed) : Done();
}

u32 Find(const char *folder, const char *prefix, i32 direction, u8 kind) {
  McsFolderRecord *f;
  if (u32 r = McsFindFolder(folder, &f, nullptr)) return Mapped(r);
  g_last_store = 0;
  if (f->count == 0) return 65;
  const u32 plen = prefix ? static_cast<u32>(std::strlen(prefix)) : 0;
  if (plen > 8) return 64;
  const McsItemRecord *items = McsFolderItems(f);
  for (u32 k = 0; k < f->count; ++k) {
    const McsItemRecord &rec = items[direction >= 1 ? k : f->count - 1 - k];
    if (KindMatches(rec.type, kind) && (plen == 0 || std::memcmp(rec.name, prefix, plen) == 0)) {
      SetCurrent(folder, rec.name, kind);
      return 0;
    }
  }
  return 64;
}

u32 Open(const char *folder, const char *name, u8 kind, u32 *size, u8 **data) {
  if (size) *size = 0;
  u32 sz;
  u8 *p;
  if (u32 r = McsFindItem(folder, name, nullptr, nullptr, &p, &sz)) return Mapped(r);
  if (size) *size = sz;
  if (data) *data = p;
  SetCurrent(folder, name, kind);
  return Done();
}

bool NoCurrentItem() { return g_current.kind == kMcsKindVariable || g_current.kind == kMcsKindNone; }

Value *CurrentVariable() {
  const u32 slot = McsVarSlotIndex(static_cast<u8>(g_current.name[0]));
  return slot < kMcsVarSlotCount ? &g_vars[slot] : nullptr;
}

}  // namespace

const char *McsKindFolder(u8 kind) {
  switch (kind) {
    case 1: return "system";
    case 10: return "@REV2";
    case 255: return "@APLWORK";
    default: return "main";
  }
}

namespace {
const u8 kKindTypes[][2] = {{0, 0x82},  {1, 0xC7},  {2, 0xC8},  {3, 0xD5},   {4, 0x85},  {5, 0x8A},
                            {6, 0x8C},  {7, 0xCE},  {10, 0xCD}, {254, 0xD4}, {255, 0xD3}};
}

u8 McsKindToType(u8 kind) {
  for (const auto &kt : kKindTypes)
    if (kt[0] == kind) return kt[1];
  return 0;
}

u8 McsTypeToKind(u8 type) {
  for (const auto &kt : kKindTypes)
    if (kt[1] == type) return kt[0];
  return kMcsKindNone;
}

u32 McsVarSlotIndex(u8 ch) {
  if (ch >= 'A' && ch <= 'Z') return ch - 'A';
  if (ch == 0xCE) return 26;
  if (ch == 0xCD) return 27;
  if (ch == 0xC0) return 28;
  return kMcsVarSlotCount;
}

u32 McsMapError(u32 store_code) {
  switch (store_code) {
    case 0: return 0;
    case 16: return 19;
    case 17: return 81;
    case 18: return 23;
    case 19: return 21;
    case 20: return 51;
    case 21: return 24;
    case 22: return 22;
    case 24: return 25;
    case 48: return 64;
    case 65: return 18;
    case 80: return 48;
    case 81: return 50;
    case 82: return 82;
    case 255: return 255;
    default: return 64;
  }
}

u32 McsCreateByKind(u8 kind, const char *name, u32 size, const void *data) {
  if (kind == kMcsKindVariable) return 16;
  if (Empty(name)) return 18;
  const char *folder = McsKindFolder(kind);
  const u32 found = McsFindItem(folder, name, nullptr, nullptr, nullptr, nullptr);
  if (found == 0) return 36;
  if (u32 r = McsCreateItemFrom(folder, name, McsKindToType(kind), Round4(size), data, size)) return Mapped(r);
  SetCurrent(folder, name, kind);
  return Done();
}

u32 McsCreateInFolder(const char *folder, const char *name, u32 size, const void *data) {
  if (Empty(folder)) return 17;
  if (Empty(name)) return 18;
  if (McsFindItem(folder, name, nullptr, nullptr, nullptr, nullptr) == 0) return 37;
  if (u32 r = McsCreateItemFrom(folder, name, McsKindToType(kMcsKindFolder), Round4(size), data, size))
    return Mapped(r);
  SetCurrent(folder, name, kMcsKindFolder);
  return Done();
}

u32 McsOpenByKind(u8 kind, const char *name, u32 *size) { return Open(McsKindFolder(kind), name, kind, size, nullptr); }
u32 McsOpenInFolder(const char *folder, const char *name, u32 *size) {
  return Open(folder, name, kMcsKindFolder, size, nullptr);
}
u32 McsOpenByKindPtr(u8 kind, const char *name, u32 *size, u8 **data) {
  return Open(McsKindFolder(kind), name, kind, size, data);
}
u32 McsOpenInFolderPtr(const char *folder, const char *name, u32 *size, u8 **data) {
  return Open(folder, name, kMcsKindFolder, size, data);
}

u32 McsInsertByKind(u8 kind, const char *name, u32 count, const void *src, u32 offset) {
  if (kind == kMcsKindVariable) return 85;
  return Insert(McsKindFolder(kind), name, kind, count, src, offset, IsTextKind(kind));
}

u32 McsInsertInFolder(const char *folder, const char *name, u32 count, const void *src, u32 offset) {
  return Insert(folder, name, kMcsKindFolder, count, src, offset, false);
}

u32 McsWriteByKind(u8 kind, const char *name, u32 count, const void *src, u32 offset) {
  return Write(McsKindFolder(kind), name, kind, count, src, offset);
}

u32 McsWriteInFolder(const char *folder, const char *name, u32 count, const void *src, u32 offset) {
  return Write(folder, name, kMcsKindFolder, count, src, offset);
}

u32 McsCutByKind(u8 kind, const char *name, u32 count, u32 offset) {
  if (kind == kMcsKindVariable) return 86;
  return Cut(McsKindFolder(kind), name, kind, count, offset, IsTextKind(kind));
}

u32 McsCutInFolder(const char *folder, const char *name, u32 count, u32 offset) {
  return Cut(folder, name, kMcsKindFolder, count, offset, false);
}

u32 McsDeleteByKind(u8 kind, const char *name) {
  if (kind == kMcsKindVariable) return 16;
  return DeleteNamed(McsKindFolder(kind), name, kind);
}

u32 McsDeleteInFolder(const char *folder, const char *name) { return DeleteNamed(folder, name, kMcsKindFolder); }

u32 McsDeleteAllOfKind(u8 kind) {
  if (kind == kMcsKindVariable) return 16;
  return DeleteAll(McsKindFolder(kind), kind);
}

u32 McsDeleteAllInFolder(const char *folder) { return DeleteAll(folder, kMcsKindNone); }

u32 McsFindByKind(u8 kind, const char *prefix, i32 direction) {
  if (kind == kMcsKindVariable) return 16;
  return Find(McsKindFolder(kind), prefix, direction, kind);
}

u32 McsFindInFolder(const char *folder, const char *prefix, i32 direction) {
  return Find(folder, prefix, direction, kMcsKindFolder);
}

u32 McsInsertCurrent(u32 count, const void *src, u32 offset) {
  if (NoCurrentItem()) return 85;
  const CurrentItem c = g_current;
  return Insert(c.folder, c.name, c.kind, count, src, offset, IsTextKind(c.kind));
}

u32 McsWriteCurrent(u32 count, const void *src, u32 offset) {
  if (g_current.kind == kMcsKindVariable) {
    // A variable is its 24-byte slot: the write stays inside it.
    Value *slot = CurrentVariable();
    if (!slot) return 64;
    if (!src) return 19;
    if (u64{offset} + count > sizeof(Value)) return 21;
    std::memmove(reinterpret_cast<u8 *>(slot) + offset, src, count);
    return offset + count == sizeof(Value) ? 1 : 0;
  }
  const CurrentItem c = g_current;
  return Write(c.folder, c.name, c.kind, count, src, offset);
}

u32 McsCutCurrent(u32 count, u32 offset) {
  if (NoCurrentItem()) return 86;
  const CurrentItem c = g_current;
  return Cut(c.folder, c.name, c.kind, count, offset, IsTextKind(c.kind));
}

u32 McsDeleteCurrent() {
  if (NoCurrentItem()) return 87;
  const CurrentItem c = g_current;
  McsFolderRecord *f;
  if (u32 r = McsFindFolder(c.folder, &f, nullptr)) return Mapped(r);
  char n8[8];
  McsNormaliseName(c.name, 2, n8);
  const McsItemRecord *items = McsFolderItems(f);
  u32 pos = f->count;
  for (u32 j = 0; j < f->count; ++j)
    if (std::memcmp(items[j].name, n8, 8) == 0) pos = j;
  if (pos == f->count) {
    g_last_store = kMcsNoItem;
    return 80;
  }
  const u8 type = items[pos].type;
  if (u32 r = McsDeleteItem(c.folder, c.name)) return Mapped(r);
  // The walk resumes where the deleted record stood.
  items = McsFolderItems(f);
  for (u32 j = pos; j < f->count; ++j)
    if (items[j].type == type) {
      SetCurrent(c.folder, items[j].name, c.kind);
      return Done();
    }
  ClearCurrent();
  return Done();
}

u32 McsStepCurrent(i32 direction) {
  if (NoCurrentItem()) return 87;
  const CurrentItem c = g_current;
  McsFolderRecord *f;
  if (u32 r = McsFindFolder(c.folder, &f, nullptr)) return Mapped(r);
  g_last_store = 0;
  char n8[8];
  McsNormaliseName(c.name, 2, n8);
  const McsItemRecord *items = McsFolderItems(f);
  const i32 count = f->count;
  i32 at = 0;  // first record not below the current name
  while (at < count && std::memcmp(items[at].name, n8, 8) < 0) ++at;
  const bool on = at < count && std::memcmp(items[at].name, n8, 8) == 0;
  if (direction >= 1) {
    for (i32 j = on ? at + 1 : at; j < count; ++j)
      if (KindMatches(items[j].type, c.kind)) {
        SetCurrent(c.folder, items[j].name, c.kind);
        return 0;
      }
  } else {
    for (i32 j = at - 1; j >= 0; --j)
      if (KindMatches(items[j].type, c.kind)) {
        SetCurrent(c.folder, items[j].name, c.kind);
        return 0;
      }
  }
  return 64;
}

u32 McsReadCurrent(u32 offset, u32 count, void *dst) {
  const u8 *data;
  u32 size;
  if (g_current.kind == kMcsKindVariable) {
    const Value *slot = CurrentVariable();
    if (!slot) return 64;
    data = reinterpret_cast<const u8 *>(slot);
    size = sizeof(Value);
  } else {
    u8 *p;
    if (u32 r = McsFindItem(g_current.folder, g_current.name, nullptr, nullptr, &p, &size)) return Mapped(r);
    g_last_store = 0;
    data = p;
  }
  if (offset == 0) {
    std::memcpy(dst, data, size);
    return 0;
  }
  if (u64{offset} + count - 1 > size) return 26;
  std::memcpy(dst, data + offset - 1, count);
  return 0;
}

u32 McsCurrentKindSize(u8 *kind, u32 *size) {
  if (g_current.kind == kMcsKindVariable) {
    if (kind) *kind = kMcsKindVariable;
    if (size) *size = sizeof(Value);
    return 0;
  }
  u8 type;
  u32 sz;
  if (u32 r = McsFindItem(g_current.folder, g_current.name, &type, nullptr, nullptr, &sz)) return Mapped(r);
  if (kind) *kind = McsTypeToKind(type);
  if (size) *size = sz;
  return Done();
}

u32 McsCurrentPtr(u32 *size, u8 **data) {
  if (g_current.kind == kMcsKindVariable) {
    Value *slot = CurrentVariable();
    if (!slot) return 64;
    if (size) *size = sizeof(Value);
    if (data) *data = reinterpret_cast<u8 *>(slot);
    return 0;
  }
  u32 sz;
  u8 *p;
  if (u32 r = McsFindItem(g_current.folder, g_current.name, nullptr, nullptr, &p, &sz)) return Mapped(r);
  if (size) *size = sz;
  if (data) *data = p;
  return Done();
}

u32 McsCurrentName(char *dst) {
  if (g_current.kind == kMcsKindNone) {
    g_last_store = kMcsNoItem;
    return 80;
  }
  std::memcpy(dst, g_current.name, 9);
  return 0;
}

u32 McsStoreVariable(u8 ch, const Value *value) {
  const u32 slot = McsVarSlotIndex(ch);
  if (slot >= kMcsVarSlotCount || !value) return 64;
  // Copied through a local: the 24 bytes move inline, and a source that
  // overlaps the slot is read whole first.
  const Value v = *value;
  g_vars[slot] = v;
  SetCurrentVariable(ch);
  return 0;
}

u32 McsReadVariable(u8 ch, Value *out) {
  const u32 slot = McsVarSlotIndex(ch);
  if (slot >= kMcsVarSlotCount || !out) return 64;
  const Value v = g_vars[slot];
  *out = v;
  SetCurrentVariable(ch);
  return 0;
}

u32 McsVariablePtr(u8 ch, u32 *size, Value **slot) {
  const u32 n = McsVarSlotIndex(ch);
  if (n >= kMcsVarSlotCount) return 64;
  if (size) *size = sizeof(Value);
  if (slot) *slot = &g_vars[n];
  SetCurrentVariable(ch);
  return 0;
}

u32 McsStoreBlock(u8 kind, const char *name, MemHandle block, u32 prefix_size, const void *prefix) {
  const u8 *bytes = MemDeref(block);
  const u32 block_size = MemSize(block);
  const char *folder = McsKindFolder(kind);
  const u8 type = McsKindToType(kind);
  u32 r;
  if (!bytes) {
    r = kMcsBadSize;
  } else if (prefix_size == 0) {
    r = McsCreateItemFrom(folder, name, type, Round4(block_size), bytes, block_size);
  } else {
    const u32 head = Round4(prefix_size);
    const u64 total = (u64{block_size} + prefix_size + 3) & ~u64{3};
    const u32 count = total > 0xFFFFFFFFu ? 0 : static_cast<u32>(total - prefix_size);
    // The room for both steps is checked first, so a full memory leaves no
    // half-stored item behind.
    u32 old = 0;
    const bool exists = McsFindItem(folder, name, nullptr, nullptr, nullptr, &old) == 0;
    const u64 need = u64{head} + count + (exists ? 0 : 20);
    if (!count || !head) {
      r = kMcsBadSize;
    } else if (need > u64{McsFreeBytes()} + old) {
      r = exists ? kMcsNoRoomInsert : kMcsNoRoom;
    } else {
      r = McsCreateItemFrom(folder, name, type, head, prefix, prefix_size);
      if (!r) r = McsInsertBytesFrom(folder, name, prefix_size, count, bytes, block_size < count ? block_size : count);
    }
  }
  MemFree(block);
  if (!r) SetCurrent(folder, name, kind);
  return Mapped(r);
}

u32 McsCountItemsOfType(const char *folder, u8 type) {
  McsFolderRecord *f;
  if (McsFindFolder(folder, &f, nullptr)) return 0;
  const McsItemRecord *items = McsFolderItems(f);
  u32 n = 0;
  for (u32 j = 0; j < f->count; ++j) n += items[j].type == type;
  return n;
}

u32 McsListItemsOfType(const char *folder, u8 type, u8 *dst) {
  McsFolderRecord *f;
  if (McsFindFolder(folder, &f, nullptr)) return 0;
  const McsItemRecord *items = McsFolderItems(f);
  u32 n = 0;
  for (u32 j = 0; j < f->count && n < 300; ++j) {
    if (items[j].type != type) continue;
    std::memcpy(dst + 9 * n, items[j].name, 8);
    ++n;
  }
  return n;
}

u32 McsLastError() { return g_last_store; }

u32 McsGetMemoryUse(u32 *total, u32 *used, u32 *free_bytes) {
  McsGetSizes(total, used, free_bytes);
  return Done();
}

u32 McsResetItems() {
  ClearCurrent();
  u32 r = McsInitArea();
  for (const char *folder : kAppFolders)
    if (!r) r = McsCreateFolder(folder);
  g_last_store = r;
  return McsMapError(r);
}

void McsForgetCurrent() { ClearCurrent(); }

u32 McsClearAll() {
  ClearCurrent();
  MemClearTable();
  for (Value &v : g_vars) RealSetZero(&v.re);
  u32 r = McsInitArea();
  for (const char *folder : kAppFolders)
    if (!r) r = McsCreateFolder(folder);
  g_last_store = r;
  return McsMapError(r);
}
