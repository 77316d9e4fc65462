// Open files, reads and writes over data fragments, and file operations.
#include "storage/fls_file.h"

#include <cstring>

#include "storage/fls.h"
#include "storage/fls_error.h"
#include "storage/fls_image.h"
#include "storage/fls_record.h"
#include "storage/wstr.h"

FlsOpenSlot g_fls_open[kFlsOpenSlots];
FlsFindSlot g_fls_find[kFlsFindSlots];

namespace {

const u16 kWorkPath[] = {'\\', '\\', 'f', 'l', 's', '0', '\\', 'E', 'A', 'C', 'T', 'W', 'O', 'R', 'K', '.', 'T', 'M', 'P', 0};

FlsFragmentList g_list;

// Type code of the fragments an ordinary write makes. Fragments of type 7 lie
// in the work sectors; only the work file has those, so another ".TMP" file
// keeps its data in the data sectors as an ordinary file.
u16 DataType(const FlsOpenSlot &s) { return s.type == 7 ? 1 : s.type; }

bool SlotOpen(i32 slot) {
  return slot >= 0 && slot < kFlsOpenSlots && g_fls_open[slot].state == 0 && g_fls_open[slot].entry < 4095;
}

u32 OwnerOf(u32 kind) { return kind & ~kFlsAttributeBit; }

void EntryName(u32 n, u16 *name12) {
  const u8 *e = FlsEntryBytes(n);
  for (int i = 0; i < 12; ++i) name12[i] = e ? FlsGet16(e + 8 + 2 * i) : 0xFFFF;
}

bool IsOpenEntry(u32 entry) {
  for (i32 s = 0; s < kFlsUserSlots; ++s)
    if (SlotOpen(s) && g_fls_open[s].entry == entry) return true;
  return false;
}

void FillInfo(u32 n, FileFindInfo *info) {
  u32 word = FlsEntryKindWord(n);
  std::memset(info, 0, sizeof *info);
  info->entry = static_cast<u16>(n);
  info->attribute = (word & kFlsAttributeBit) ? 1 : 0;
  info->data_address = kFlsImageBase;
  info->occupied = 32;
  if (FlsKindOf(word) != kFlsKindFile) return;
  u16 name[12];
  EntryName(n, name);
  info->type = FlsTypeFromExtension(name, 12);
  FlsListFragments(OwnerOf(word), &g_list);
  info->size = g_list.size;
  info->occupied = g_list.size + 32 * g_list.count + 32;
  FlsFragment f;
  if (g_list.count && FlsReadFragment(g_list.entry[0], &f) == 0) info->data_address = f.address;
}

// Deletes every live fragment of owner, then the entry.
i32 DeleteFile(u32 entry, u32 owner) {
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    u32 w = FlsEntryKindWord(n);
    if (FlsKindOf(w) != kFlsKindFragment || FlsIdOf(w) == 0) continue;
    const u8 *e = FlsEntryBytes(n);
    if (FlsGet32(e + 4) != owner) continue;
    i32 r = FlsDeleteEntry(n);
    if (r < 0) return r;
  }
  return FlsDeleteEntry(entry);
}

// Puts a new entry with kind word `word` and the given name in place of entry
// old. The new entry is written before the old one goes, so a full directory
// or a failed write never loses the file.
i32 ReplaceEntry(u32 old, u32 word, const u16 *name12) {
  const u8 *e = FlsEntryBytes(old);
  if (!e) return FlsErrMissing;
  u32 parent = FlsGet32(e + 4);
  i32 r = FlsNextFreeEntry();
  if (r < 0) return r;
  if (static_cast<u32>(r) >= kFlsMaxEntries) return FlsErrFull;
  u32 n = static_cast<u32>(r);
  u32 width = FlsKindOf(word) == kFlsKindFolder ? 16 : 24;
  r = FlsLoadEntry(n);
  if (r == 0) {
    FlsSelectWriteField(0);
    r = FlsSetField(&word, 4);
    FlsSelectWriteField(4);
    if (r == 0) r = FlsSetField(&parent, 4);
    FlsSelectWriteField(8);
    if (r == 0) r = FlsSetField(name12, width);
    if (r == 0) r = FlsWriteBackEntry();
  }
  FlsReleaseCursor();
  if (r < 0) return r;
  g_fls_entry_count = n + 1;
  // Open slots keep pointing at the live entry.
  for (i32 s = 0; s < kFlsOpenSlots; ++s)
    if (SlotOpen(s) && g_fls_open[s].entry == old) g_fls_open[s].entry = n;
  return FlsDeleteEntry(old);
}

// Finds the fragment of list that holds byte pos: its index, and the file
// offset of its first byte in *start; -1 when pos lies past the data.
i32 FragmentAt(const FlsFragmentList &list, u32 pos, u32 *start, FlsFragment *f) {
  u32 at = 0;
  for (u32 k = 0; k < list.count; ++k) {
    if (FlsReadFragment(list.entry[k], f) < 0) return -1;
    if (pos < at + f->length()) {
      *start = at;
      return static_cast<i32>(k);
    }
    at += f->length();
  }
  return -1;
}

}  // namespace

void FlsResetSlots() {
  for (auto &s : g_fls_open) {
    std::memset(&s, 0, sizeof s);
    s.state = 255;
    s.position = kFlsNoPosition;
  }
  for (auto &f : g_fls_find) {
    std::memset(&f, 0, sizeof f);
    f.last = kFlsFindFree;
  }
}

i32 FlsOpen(const u16 *path) {
  i32 slot = -1;
  for (i32 s = 0; s < kFlsUserSlots && slot < 0; ++s)
    if (g_fls_open[s].state == 255) slot = s;
  if (slot < 0) return FlsErrNoSlot;
  FlsPath at;
  i32 r = FlsResolvePath(path, &at);
  if (r < 0) return r;
  if (!at.found) return FlsErrMissing;
  u32 word = FlsEntryKindWord(at.entry);
  if (FlsKindOf(word) != kFlsKindFile) return FlsErrNotFile;
  if (IsOpenEntry(at.entry)) return FlsErrNoSlot;
  FlsOpenSlot &s = g_fls_open[slot];
  s.entry = at.entry;
  s.kind = word;
  s.parent = at.folder;
  std::memcpy(s.name, at.name, sizeof s.name);
  s.type = FlsTypeFromExtension(at.name, 12);
  s.state = 0;
  s.commit = 1;
  FlsListFragments(OwnerOf(word), &g_list);
  s.position = g_list.count ? 0 : kFlsNoPosition;
  return slot;
}

i32 FlsCommit(i32 slot) {
  if (!SlotOpen(slot)) return FlsErrBadArg;
  FlsListFragments(OwnerOf(g_fls_open[slot].kind), &g_list);
  // Fragments written since the last commit carry 0xFFFF; the ones before
  // them already hold their count.
  for (u32 k = g_list.count; k > 0; --k) {
    FlsFragment f;
    if (FlsReadFragment(g_list.entry[k - 1], &f) < 0) return FlsErrMissing;
    if (f.count != 0xFFFF) break;
    i32 r = FlsUpdateEntryField(f.entry, 10, g_list.count, 2);
    if (r < 0) return r;
  }
  return 0;
}

i32 FlsClose(i32 slot) {
  if (!SlotOpen(slot)) return FlsErrBadArg;
  i32 r = g_fls_open[slot].commit ? FlsCommit(slot) : 0;
  std::memset(&g_fls_open[slot], 0, sizeof g_fls_open[slot]);
  g_fls_open[slot].state = 255;
  g_fls_open[slot].position = kFlsNoPosition;
  return r;
}

i32 FlsRead(i32 slot, void *buf, i32 size, i32 position) {
  if (!SlotOpen(slot) || size <= 0) return FlsErrBadArg;
  FlsOpenSlot &s = g_fls_open[slot];
  if (FlsKindOf(FlsEntryKindWord(s.entry)) != kFlsKindFile) return FlsErrNotFile;
  u32 pos = position < 0 ? s.position : static_cast<u32>(position);
  if (pos == kFlsNoPosition) return FlsErrBadArg;
  FlsListFragments(OwnerOf(s.kind), &g_list);
  u32 start;
  FlsFragment f;
  i32 k = FragmentAt(g_list, pos, &start, &f);
  if (k < 0) return pos < g_list.size ? FlsErrMissing : FlsErrBadArg;
  u8 *out = static_cast<u8 *>(buf);
  u32 left = static_cast<u32>(size);
  while (left > 0) {
    u32 in = pos - start;
    u32 n = f.length() - in;
    if (n > left) n = left;
    if (FlsRawRead(f.address + in, out, n) != static_cast<i32>(n)) return FlsErrShortIo;
    out += n;
    left -= n;
    pos += n;
    s.position = pos;
    if (left == 0) break;
    start += f.length();
    if (static_cast<u32>(++k) >= g_list.count) return FlsErrBadArg;  // the data ends first
    if (FlsReadFragment(g_list.entry[k], &f) < 0) return FlsErrMissing;
  }
  return size;
}

i32 FlsWrite(i32 slot, const void *buf, i32 size) {
  if (!SlotOpen(slot) || size <= 0) return FlsErrBadArg;
  FlsOpenSlot &s = g_fls_open[slot];
  FlsListFragments(OwnerOf(s.kind), &g_list);
  u32 before = g_list.size;
  i32 r = FlsAppendFragments(OwnerOf(s.kind), DataType(s), &g_list, static_cast<const u8 *>(buf), static_cast<u32>(size));
  if (r < 0) return r;
  s.position = before + static_cast<u32>(r);
  return r;
}

i32 FlsWriteAt(i32 slot, const void *buf, i32 size, i32 position) {
  if (!SlotOpen(slot) || size <= 0 || position < 0) return FlsErrBadArg;
  FlsOpenSlot &s = g_fls_open[slot];
  FlsListFragments(OwnerOf(s.kind), &g_list);
  u32 pos = static_cast<u32>(position);
  if (pos > g_list.size || static_cast<u32>(size) > g_list.size - pos) return FlsErrBadArg;
  // Two passes: first every piece is checked against the flash rule, then
  // written, so a refused write changes nothing.
  for (int pass = 0; pass < 2; ++pass) {
    u32 at = pos, start;
    const u8 *src = static_cast<const u8 *>(buf);
    FlsFragment f;
    i32 k = FragmentAt(g_list, at, &start, &f);
    u32 left = static_cast<u32>(size);
    while (left > 0) {
      if (k < 0) return FlsErrMissing;
      u32 in = at - start;
      u32 n = f.length() - in;
      if (n > left) n = left;
      if (pass == 0 && !FlsRawWritable(f.address + in, src, n)) return FlsErrFlashRule;
      if (pass == 1) {
        i32 r = FlsWriteBytes(f.address + in, src, n);
        if (r < 0) return r;
      }
      src += n;
      left -= n;
      at += n;
      start += f.length();
      if (left && (static_cast<u32>(++k) >= g_list.count || FlsReadFragment(g_list.entry[k], &f) < 0)) k = -1;
    }
  }
  s.position = pos + static_cast<u32>(size);
  return size;
}

i32 FlsReserve(i32 slot, i32 size) {
  if (!SlotOpen(slot) || size <= 0) return FlsErrBadArg;
  FlsOpenSlot &s = g_fls_open[slot];
  FlsListFragments(OwnerOf(s.kind), &g_list);
  i32 r = FlsAppendFragments(OwnerOf(s.kind), DataType(s), &g_list, nullptr, static_cast<u32>(size));
  if (r < 0) return r;
  if (s.position == kFlsNoPosition) s.position = 0;
  i32 c = FlsCommit(slot);
  return c < 0 ? c : r;
}

i32 FlsSeek(i32 slot, i32 position) {
  if (!SlotOpen(slot) || position < 0) return FlsErrBadArg;
  FlsOpenSlot &s = g_fls_open[slot];
  FlsListFragments(OwnerOf(s.kind), &g_list);
  u32 start;
  FlsFragment f;
  i32 k = FragmentAt(g_list, static_cast<u32>(position), &start, &f);
  if (k < 0) return FlsErrSeekPastEnd;
  s.position = static_cast<u32>(position);
  return static_cast<i32>(f.length() - (s.position - start));
}

i32 FlsFileSize(i32 slot) {
  if (!SlotOpen(slot)) return FlsErrBadArg;
  FlsListFragments(OwnerOf(g_fls_open[slot].kind), &g_list);
  return static_cast<i32>(g_list.size);
}

i32 FlsOccupiedSize(i32 slot) {
  if (!SlotOpen(slot)) return FlsErrBadArg;
  FlsListFragments(OwnerOf(g_fls_open[slot].kind), &g_list);
  return static_cast<i32>(g_list.size + 32 * g_list.count + 32);
}

i32 FlsCheckCreate(const u16 *path, i32 size) {
  if (size <= 0) return FlsErrBadArg;
  const u16 *last;
  u32 folder;
  i32 r = FlsResolveFolder(path, &folder, &last);
  if (r < 0) return r;
  u16 name[12];
  i32 len = WstrLength(last);
  if (len < 1 || len > kFlsFileNameMax) return FlsErrBadArg;
  for (i32 i = 0; i < 12; ++i) name[i] = i < len ? last[i] : 0xFFFF;
  u16 type = FlsTypeFromExtension(name, 12);
  i32 f = FlsTrialFragments(type == 7 ? 1 : type, static_cast<u32>(size));
  if (f < 0) return f;
  return static_cast<u32>(f) + g_fls_entry_count + static_cast<u32>(size) / 1024 < 4095 ? 0 : FlsErrFull;
}

i32 FlsCreate(const u16 *path, i32 size) {
  i32 r = FlsCheckCreate(path, size);
  if (r < 0) return r;
  i32 entry = FlsMakeEntry(path, 1);
  if (entry < 0) return entry;
  i32 slot = FlsOpen(path);
  if (slot < 0) {
    FlsDeleteEntry(static_cast<u32>(entry));
    return slot;
  }
  i32 reserved = FlsReserve(slot, size);
  FlsClose(slot);
  // A file that could not get its room is not left behind half made.
  if (reserved < 0) DeleteFile(static_cast<u32>(entry), OwnerOf(FlsEntryKindWord(static_cast<u32>(entry))));
  return reserved;
}

i32 FlsDelete(const u16 *path) {
  FlsPath at;
  i32 r = FlsResolvePath(path, &at);
  if (r < 0) return r;
  if (!at.found) return FlsErrMissing;
  u32 word = FlsEntryKindWord(at.entry);
  u32 kind = FlsKindOf(word);
  if (kind == kFlsKindFolder) {
    u32 self = OwnerOf(word);
    for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
      u32 w = FlsEntryKindWord(n);
      u32 k = FlsKindOf(w);
      if ((k != kFlsKindFolder && k != kFlsKindFile) || FlsIdOf(w) == 0) continue;
      if (FlsGet32(FlsEntryBytes(n) + 4) == self) return FlsErrNotEmpty;
    }
    return FlsDeleteEntry(at.entry);
  }
  if (kind != kFlsKindFile) return FlsErrNotFile;
  if (IsOpenEntry(at.entry)) return FlsErrNoSlot;
  return DeleteFile(at.entry, OwnerOf(word));
}

namespace {

// The name of the work file in the root folder.
bool IsWorkName(const FlsPath &at) {
  if (at.folder != kFlsRootFolder) return false;
  static const char kName[] = "EACTWORK.TMP";
  for (int i = 0; i < 12; ++i)
    if (at.name[i] != static_cast<u8>(kName[i])) return false;
  return true;
}

}  // namespace

i32 FlsRename(const u16 *old_path, const u16 *new_path) {
  FlsPath from, to;
  i32 r = FlsResolvePath(old_path, &from);
  if (r < 0) return r;
  if (!from.found) return FlsErrMissing;
  if (IsOpenEntry(from.entry)) return FlsErrNoSlot;
  r = FlsResolvePath(new_path, &to);
  if (r < 0) return r;
  if (to.found) return FlsErrExists;
  if (to.folder != from.folder) return FlsErrFolderDiffers;
  u32 word = FlsEntryKindWord(from.entry);
  u32 kind = FlsKindOf(word);
  if (kind != kFlsKindFolder && kind != kFlsKindFile) return FlsErrNotFile;
  if (kind == kFlsKindFolder && to.name_length > kFlsFolderNameMax) return FlsErrBadArg;
  // The work file keeps its name: its data lies in the work sectors, which
  // the next work-file write takes again, so under another name it would be
  // overwritten; nor may another file take the name and with it the place of
  // the work file.
  if (IsWorkName(from) || IsWorkName(to)) return FlsErrBadArg;
  if (kind == kFlsKindFile) {
    FlsListFragments(OwnerOf(word), &g_list);
    for (u32 i = 0; i < g_list.count; ++i) {
      FlsFragment f;
      if (FlsReadFragment(g_list.entry[i], &f) == 0 && f.type == 7) return FlsErrBadArg;
    }
  }
  return ReplaceEntry(from.entry, word, to.name);
}

i32 FlsSetAttribute(const u16 *path, i32 flag) {
  FlsPath at;
  i32 r = FlsResolvePath(path, &at);
  if (r < 0) return r;
  if (!at.found) return FlsErrMissing;
  if (IsOpenEntry(at.entry)) return FlsErrNoSlot;
  u32 word = FlsEntryKindWord(at.entry);
  u32 kind = FlsKindOf(word);
  if (kind != kFlsKindFolder && kind != kFlsKindFile) return FlsErrNotFile;
  word = flag ? (word | kFlsAttributeBit) : (word & ~kFlsAttributeBit);
  u16 name[12];
  EntryName(at.entry, name);
  return ReplaceEntry(at.entry, word, name);
}

i32 FlsGetInfo(const u16 *path, FileFindInfo *info) {
  FlsPath at;
  i32 r = FlsResolvePath(path, &at);
  if (r < 0) return r;
  if (!at.found) return FlsErrMissing;
  FillInfo(at.entry, info);
  return 0;
}

i32 FlsFindFirst(const u16 *pattern, i32 *slot, u16 *name, FileFindInfo *info) {
  i32 s = -1;
  for (i32 i = 0; i < kFlsFindSlots && s < 0; ++i)
    if (g_fls_find[i].last == kFlsFindFree) s = i;
  if (s < 0) return FlsErrNoFindSlot;
  u32 folder;
  const u16 *last;
  i32 r = FlsResolveFolder(pattern, &folder, &last);
  if (r < 0) return r;
  i32 len = WstrLength(last);
  if (len < 1 || len > kFlsFileNameMax) return FlsErrBadArg;
  FlsFindSlot &f = g_fls_find[s];
  for (i32 i = 0; i < 13; ++i) f.pattern[i] = i < len ? last[i] : 0;
  f.folder = folder;
  f.last = kFlsFirstEntry - 1;
  *slot = s;
  return FlsFindNext(s, name, info);
}

i32 FlsFindNext(i32 slot, u16 *name, FileFindInfo *info) {
  if (slot < 0 || slot >= kFlsFindSlots || g_fls_find[slot].last == kFlsFindFree) return FlsErrBadArg;
  FlsFindSlot &f = g_fls_find[slot];
  for (u32 n = f.last + 1u; n < g_fls_entry_count; ++n) {
    const u8 *e = FlsEntryBytes(n);
    if (!e) break;
    u32 w = FlsGet32(e);
    u32 k = FlsKindOf(w);
    if ((k != kFlsKindFolder && k != kFlsKindFile) || FlsIdOf(w) == 0 || FlsGet32(e + 4) != f.folder) continue;
    u16 entry_name[12];
    EntryName(n, entry_name);
    if (!FlsMatchPattern(f.pattern, entry_name)) continue;
    f.last = static_cast<u16>(n);
    if (name) {
      for (int i = 0; i < 12; ++i) name[i] = entry_name[i] == 0xFFFF ? 0 : entry_name[i];
      name[12] = 0;
    }
    if (info) FillInfo(n, info);
    return 0;
  }
  if (g_fls_entry_count > f.last + 1u) f.last = static_cast<u16>(g_fls_entry_count - 1);
  return FlsErrNotFound;
}

i32 FlsFindClose(i32 slot) {
  if (slot < 0 || slot >= kFlsFindSlots || g_fls_find[slot].last == kFlsFindFree) return FlsErrBadArg;
  g_fls_find[slot].last = kFlsFindFree;
  return 0;
}

i32 FlsWriteWorkFile(const void *buf, i32 size, i32 position) {
  i32 slot = FlsOpen(kWorkPath);
  if (slot < 0) {
    // Two sectors for the work area: work sectors left from before are used
    // again, the others are taken from the free sectors.
    i32 missing = (FlsWorkSectorIndex(1) < 0) + (FlsWorkSectorIndex(2) < 0);
    i32 free = 0;
    for (u32 i = 1; i < kFlsSectorCount; ++i) {
      const u8 *e = FlsEntryBytes(i);
      if (!e) continue;
      u32 role = FlsGet32(e + 8), spare = FlsGet32(e + 12);
      if ((role >> 16) == 0xFFFF && (spare >> 16) == 0xFFFF && FlsBlankTest(FlsSectorAddress(i), nullptr)) ++free;
    }
    if (free < missing) return FlsErrNoBlankSector;
    if (g_fls_entry_count + 7 >= 4095) return FlsErrFull;
    i32 entry = FlsMakeEntry(kWorkPath, 1);
    if (entry < 0) return entry;
    slot = FlsOpen(kWorkPath);
    if (slot < 0) return slot;
    u32 owner = OwnerOf(g_fls_open[slot].kind);
    i32 r = 0;
    for (u16 n = 1; n <= 2 && r >= 0; ++n) {
      if (FlsWorkSectorIndex(n) < 0) {
        i32 idx = FlsChooseFreeSector();
        r = idx < 0 ? idx : FlsUpdateEntryField(static_cast<u32>(idx), 8, kFlsRoleWork + n, 4);
      }
      if (r >= 0) r = FlsAddFragmentEntry(owner, 7, n, n, 0, kFlsSectorSize);
    }
    if (r >= 0) r = FlsCommit(slot);
    if (r < 0) {
      FlsClose(slot);
      return r;
    }
    g_fls_open[slot].position = 0;
  }
  i32 r = FlsWriteAt(slot, buf, size, position);
  FlsClose(slot);
  return r;
}

i32 FlsReadWorkFile(void *buf, i32 size, i32 position) {
  i32 slot = FlsOpen(kWorkPath);
  if (slot < 0) return slot;
  i32 r = FlsRead(slot, buf, size, position);
  FlsClose(slot);
  return r;
}

i32 FlsEraseWorkArea(i32 n) {
  for (i32 k = 2; k >= 1; --k) {
    if (n != 0 && n != k) continue;
    i32 idx = FlsWorkSectorIndex(static_cast<u32>(k));
    if (idx >= 0) FlsEraseWithRetry(FlsSectorAddress(static_cast<u32>(idx)));
  }
  return 0;
}

i32 FlsOptimize() {
  // The mark asks for compaction: 0x0FFF in the first block header's word at 8.
  i32 r = FlsUpdateHeaderField(1, 8, 0x0FFF, 2);
  if (r < 0) return FlsErrShortIo;
  FlsEraseWorkArea(0);
  FlsDelete(kWorkPath);
  return 0;
}
