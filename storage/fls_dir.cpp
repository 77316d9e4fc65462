// Directory entries, ids, paths, sector choice and fragment allocation.
#include <cstring>

#include "storage/fls.h"
#include "storage/fls_error.h"
#include "storage/fls_image.h"
#include "storage/fls_record.h"
#include "storage/wstr.h"

u32 g_fls_entry_count = 0;

namespace {

bool IsLive(u32 word, u32 kind) { return word != kFlsBlankWord && FlsKindOf(word) == kind && FlsIdOf(word) != 0; }

// Descriptor words of sector i (0 when the descriptor is missing or names
// another sector).
struct SectorInfo {
  bool valid;
  u32 role;
  u32 spare;
  u32 counter;
};

SectorInfo ReadSector(u32 i) {
  SectorInfo s = {false, kFlsBlankWord, kFlsBlankWord, kFlsBlankWord};
  const u8 *e = FlsEntryBytes(i);
  if (!e || FlsGet32(e) != kFlsKindSector + i + 1 || FlsGet32(e + 4) != FlsSectorAddress(i)) return s;
  s.valid = true;
  s.role = FlsGet32(e + 8);
  s.spare = FlsGet32(e + 12);
  s.counter = FlsGet32(e + 16) & 0x7FFFFFFF;
  return s;
}

bool SectorIsFree(const SectorInfo &s) { return s.valid && (s.role >> 16) == 0xFFFF && (s.spare >> 16) == 0xFFFF; }

// Free sectors in the order they are chosen: lowest erase counter first, the
// lowest index on a tie. Sector 0 always holds the directory.
i32 FreeSectorsInOrder(i32 *out) {
  i32 n = 0;
  for (u32 i = 1; i < kFlsSectorCount; ++i) {
    SectorInfo s = ReadSector(i);
    if (!SectorIsFree(s)) continue;
    i32 at = n++;
    while (at > 0 && ReadSector(static_cast<u32>(out[at - 1])).counter > s.counter) {
      out[at] = out[at - 1];
      --at;
    }
    out[at] = static_cast<i32>(i);
  }
  return n;
}

i32 AddDirSector() {
  i32 idx = FlsChooseFreeSector();
  if (idx < 0) return idx;
  u32 address = FlsSectorAddress(static_cast<u32>(idx));
  i32 r = FlsUpdateEntryField(static_cast<u32>(idx), 8, kFlsRoleDirectory, 4);
  if (r < 0) return r;
  r = FlsUpdateHeaderField(1, 4, address, 4);
  if (r < 0) return r;
  return FlsUpdateHeaderField(2, 0, kFlsKindHeader + 2, 4);
}

// The name bytes (big-endian, 24) of a 12-character name.
void NameBytes(const u16 *name12, u8 *out) {
  for (int i = 0; i < 12; ++i) FlsPut16(out + 2 * i, name12[i]);
}

// Splits off the device prefix: the part behind "\\fls0\" (or "fls0\"), or
// null for another device. A bare "\\fls0" gives an empty rest.
const u16 *AfterDevice(const u16 *path) {
  const u16 *p = path;
  if (p[0] == '\\' && p[1] == '\\') p += 2;
  static const char kDev[] = "fls0";
  for (int i = 0; i < 4; ++i)
    if (p[i] != static_cast<u16>(kDev[i])) return nullptr;
  p += 4;
  if (*p == '\\') return p + 1;
  return WstrIsEnd(*p) ? p : nullptr;
}

// Pads a component of len characters to 12 with 0xFFFF.
void PadName(const u16 *s, i32 len, u16 *out) {
  for (i32 i = 0; i < 12; ++i) out[i] = i < len ? s[i] : 0xFFFF;
}

i32 Upper(u16 c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Glob where '*' does not run over '.'.
bool Glob(const u16 *p, i32 np, const u16 *s, i32 ns) {
  i32 pi = 0, si = 0, star = -1, mark = 0;
  while (si < ns) {
    if (pi < np && p[pi] == '*') {
      star = pi++;
      mark = si;
    } else if (pi < np && (p[pi] == '?' || Upper(p[pi]) == Upper(s[si])) && !(p[pi] == '?' && s[si] == '.')) {
      ++pi;
      ++si;
    } else if (star >= 0 && s[mark] != '.') {
      pi = star + 1;
      si = ++mark;
    } else {
      return false;
    }
  }
  while (pi < np && p[pi] == '*') ++pi;
  return pi == np;
}

}  // namespace

i32 FlsChooseFreeSector() {
  i32 order[kFlsSectorCount];
  return FreeSectorsInOrder(order) > 0 ? order[0] : FlsErrNoBlankSector;
}

i32 FlsDataSectorIndex(u32 n) {
  for (u32 i = 1; i < kFlsSectorCount; ++i) {
    SectorInfo s = ReadSector(i);
    if (s.valid && s.role == n) return static_cast<i32>(i);
  }
  return -1;
}

i32 FlsWorkSectorIndex(u32 n) { return FlsDataSectorIndex(kFlsRoleWork + n); }

i32 FlsNextFreeEntry() {
  for (u32 n = 0; n < kFlsMaxEntries; ++n) {
    if (n == kFlsEntriesPerSector && FlsDirSector2Address() == 0) {
      i32 r = AddDirSector();
      if (r < 0) return r;
    }
    const u8 *e = FlsEntryBytes(n);
    if (!e) return FlsErrShortIo;
    if (FlsGet32(e) == kFlsBlankWord) {
      g_fls_entry_count = n;
      // The directory ends at its first blank entry, at mount as here. A
      // record left behind it (a damaged image) would join the directory
      // once this entry is written, and the next mount would refuse the
      // whole image: the directory then has no more room.
      const u8 *next = n + 1 < kFlsMaxEntries ? FlsEntryBytes(n + 1) : nullptr;
      if (next) {
        for (u32 i = 0; i < kFlsRecordSize; ++i)
          if (next[i] != 0xFF) return static_cast<i32>(kFlsMaxEntries);
      }
      return static_cast<i32>(n);
    }
  }
  g_fls_entry_count = kFlsMaxEntries;
  return static_cast<i32>(kFlsMaxEntries);
}

u32 FlsAllocId(u32 kind) {
  static u16 per_block[257];
  std::memset(per_block, 0, sizeof per_block);
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    u32 w = FlsEntryKindWord(n);
    if (!IsLive(w, kind)) continue;
    u32 id = FlsIdOf(w);
    ++per_block[(id - 1) / 255];
  }
  for (u32 b = 0; b < 257; ++b) {
    if (per_block[b] >= 255) continue;
    bool used[255] = {};
    for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
      u32 w = FlsEntryKindWord(n);
      if (!IsLive(w, kind)) continue;
      u32 id = FlsIdOf(w);
      if ((id - 1) / 255 == b) used[(id - 1) % 255] = true;
    }
    for (u32 slot = 0; slot < 255; ++slot)
      if (!used[slot]) return b * 255 + slot + 1;
  }
  return 0;
}

i32 FlsFindName(u32 parent, const u16 *name12) {
  u8 want[24];
  NameBytes(name12, want);
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    const u8 *e = FlsEntryBytes(n);
    if (!e) break;
    u32 w = FlsGet32(e);
    if (!IsLive(w, kFlsKindFolder) && !IsLive(w, kFlsKindFile)) continue;
    if (FlsGet32(e + 4) == parent && std::memcmp(e + 8, want, 24) == 0) return static_cast<i32>(n);
  }
  return -1;
}

i32 FlsResolveFolder(const u16 *path, u32 *folder, const u16 **last) {
  const u16 *p = AfterDevice(path);
  if (!p) return FlsErrWrongDevice;
  u32 current = kFlsRootFolder;
  const u16 *start = p;
  for (i32 i = 0;; ++i) {
    if (p + i - path >= kFlsPathMax) return FlsErrBadArg;
    u16 c = p[i];
    if (WstrIsEnd(c)) break;
    if (c != '\\') continue;
    i32 len = static_cast<i32>(p + i - start);
    if (len < 1 || len > kFlsFileNameMax) return FlsErrBadArg;
    u16 name[12];
    PadName(start, len, name);
    i32 e = FlsFindName(current, name);
    if (e < 0 || !IsLive(FlsEntryKindWord(static_cast<u32>(e)), kFlsKindFolder)) return FlsErrFolderDiffers;
    current = FlsEntryKindWord(static_cast<u32>(e)) & ~kFlsAttributeBit;
    start = p + i + 1;
  }
  *folder = current;
  *last = start;
  return 0;
}

i32 FlsResolvePath(const u16 *path, FlsPath *out) {
  const u16 *last;
  i32 r = FlsResolveFolder(path, &out->folder, &last);
  if (r < 0) return r;
  i32 len = WstrLength(last);
  if (len < 1 || len > kFlsFileNameMax) return FlsErrBadArg;
  PadName(last, len, out->name);
  out->name_length = len;
  i32 e = FlsFindName(out->folder, out->name);
  out->found = e >= 0 ? 1 : 0;
  out->entry = e >= 0 ? static_cast<u32>(e) : 0;
  return out->found;
}

i32 FlsMakeEntry(const u16 *path, i32 kind) {
  FlsPath at;
  i32 r = FlsResolvePath(path, &at);
  if (r < 0) return r;
  if (at.found) return FlsErrExists;
  u32 k;
  u32 width;
  if (kind == 1) {
    k = kFlsKindFile;
    width = 24;
  } else if (kind == 5) {
    // Folders lie in the root and their names have at most 8 characters.
    if (at.folder != kFlsRootFolder || at.name_length > kFlsFolderNameMax) return FlsErrBadArg;
    k = kFlsKindFolder;
    width = 16;
  } else {
    return FlsErrBadArg;
  }
  r = FlsNextFreeEntry();
  if (r < 0) return r;
  if (static_cast<u32>(r) >= kFlsMaxEntries) return FlsErrFull;
  u32 n = static_cast<u32>(r);
  u32 id = FlsAllocId(k);
  if (id == 0) return FlsErrFull;
  u32 word = k | id | kFlsAttributeBit;
  r = FlsLoadEntry(n);
  if (r == 0) {
    FlsSelectWriteField(0);
    r = FlsSetField(&word, 4);
    FlsSelectWriteField(4);
    if (r == 0) r = FlsSetField(&at.folder, 4);
    FlsSelectWriteField(8);
    if (r == 0) r = FlsSetField(at.name, width);
    if (r == 0) r = FlsWriteBackEntry();
  }
  FlsReleaseCursor();
  if (r < 0) return r;
  g_fls_entry_count = n + 1;
  return static_cast<i32>(n);
}

u16 FlsTypeFromExtension(const u16 *name, i32 n) {
  i32 len = 0;
  while (len < n && !WstrIsEnd(name[len])) ++len;
  i32 dot = -1;
  for (i32 i = 0; i < len; ++i)
    if (name[i] == '.') dot = i;
  if (dot < 0 || len - dot - 1 != 3) return 1;
  char ext[4] = {};
  for (int i = 0; i < 3; ++i) ext[i] = static_cast<char>(Upper(name[dot + 1 + i]));
  if (!std::strcmp(ext, "EAC") || !std::strcmp(ext, "MCS")) return 3;
  if (!std::strcmp(ext, "LNG")) return 4;
  if (!std::strcmp(ext, "TMP")) return 7;
  if (!std::strcmp(ext, "UFX")) return 2;
  return 1;
}

i32 FlsMatchPattern(const u16 *pattern, const u16 *name12) {
  i32 np = WstrLength(pattern);
  i32 ns = 0;
  while (ns < 12 && !WstrIsEnd(name12[ns])) ++ns;
  while (ns > 0 && name12[ns - 1] == ' ') --ns;
  while (np > 0 && pattern[np - 1] == ' ') --np;
  return Glob(pattern, np, name12, ns) ? 1 : 0;
}

i32 FlsReadFragment(u32 n, FlsFragment *out) {
  const u8 *e = FlsEntryBytes(n);
  if (!e || !IsLive(FlsGet32(e), kFlsKindFragment)) return FlsErrMissing;
  out->entry = n;
  out->owner = FlsGet32(e + 4);
  out->type = FlsGet16(e + 8);
  out->count = FlsGet16(e + 10);
  out->number = FlsGet16(e + 12);
  out->sector = FlsGet16(e + 14);
  out->offset = FlsGet16(e + 16);
  out->length_m1 = FlsGet16(e + 18);
  i32 idx = out->type == 7 ? FlsWorkSectorIndex(out->sector)
                           : (out->sector >= 1 && out->sector <= kFlsDataSectors ? FlsDataSectorIndex(out->sector) : -1);
  if (idx < 0 || static_cast<u32>(out->offset) + out->length() > kFlsSectorSize) return FlsErrMissing;
  out->address = FlsSectorAddress(static_cast<u32>(idx)) + out->offset;
  return 0;
}

void FlsListFragments(u32 owner, FlsFragmentList *out) {
  out->count = 0;
  out->size = 0;
  // Entry of fragment number k; kept all zero between calls.
  static u16 by_number[kFlsMaxEntries + 1];
  static u16 touched[kFlsMaxEntries];
  u32 hits = 0;
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    const u8 *e = FlsEntryBytes(n);
    if (!e) break;
    if (!IsLive(FlsGet32(e), kFlsKindFragment) || FlsGet32(e + 4) != owner) continue;
    u16 number = FlsGet16(e + 12);
    if (number >= 1 && number <= kFlsMaxEntries && by_number[number] == 0) {
      by_number[number] = static_cast<u16>(n);
      touched[hits++] = number;
    }
  }
  for (u32 k = 1; k <= kFlsMaxEntries && by_number[k]; ++k) {
    FlsFragment f;
    if (FlsReadFragment(by_number[k], &f) < 0) break;
    out->entry[out->count++] = by_number[k];
    out->size += f.length();
  }
  for (u32 i = 0; i < hits; ++i) by_number[touched[i]] = 0;
}

// ---- Allocation -----------------------------------------------------------

namespace {

struct PlanSector {
  bool exists;
  u32 map[kFlsUnitsPerSector / 32];  // bit set: unit in use
};

struct PlanFragment {
  u16 sector;  // data sector number 1..4
  u16 unit;
  u32 bytes;
};

struct Plan {
  PlanSector data[kFlsDataSectors];
  i32 free_sectors;   // free sectors not yet taken by the plan
  u32 fresh_mask;     // data sectors the plan creates
  u32 count;
  PlanFragment frag[kFlsMaxEntries];
};

Plan g_plan;

bool UnitUsed(const PlanSector &s, u32 u) { return FlsBitOp(FlsBitTest, const_cast<u32 *>(&s.map[u / 32]), u % 32); }

void MarkUnits(PlanSector &s, u32 from, u32 count) {
  for (u32 u = from; u < from + count && u < kFlsUnitsPerSector; ++u) FlsBitOp(FlsBitSet, &s.map[u / 32], u % 32);
}

// Every fragment that lies in a data sector keeps its units, deleted ones
// too: their bytes stay written until the sector is erased.
void PlanInit(Plan &p) {
  std::memset(&p, 0, sizeof p);
  i32 index_of[kFlsDataSectors];
  for (u32 k = 0; k < kFlsDataSectors; ++k) {
    index_of[k] = FlsDataSectorIndex(k + 1);
    p.data[k].exists = index_of[k] >= 0;
  }
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    const u8 *e = FlsEntryBytes(n);
    if (!e) break;
    u32 w = FlsGet32(e);
    if (w == kFlsBlankWord || FlsKindOf(w) != kFlsKindFragment || FlsGet16(e + 8) == 7) continue;
    u16 sector = FlsGet16(e + 14);
    if (sector < 1 || sector > kFlsDataSectors) continue;
    u32 offset = FlsGet16(e + 16);
    u32 len = static_cast<u32>(FlsGet16(e + 18)) + 1;
    u32 first = offset / kFlsUnitSize;
    u32 last = (offset + len + kFlsUnitSize - 1) / kFlsUnitSize;
    MarkUnits(p.data[sector - 1], first, last - first);
  }
  i32 order[kFlsSectorCount];
  p.free_sectors = FreeSectorsInOrder(order);
}

// Length of the free run that starts at unit u.
u32 RunAt(const PlanSector &s, u32 u) {
  u32 n = 0;
  while (u + n < kFlsUnitsPerSector && !UnitUsed(s, u + n)) ++n;
  return n;
}

// Finds a run in sector s for `need` units (type 3 and 6: any run, type 2:
// a 512-unit block on a 512-unit border). Returns the first unit and the run
// taken in *units, or -1.
i32 FindRun(const PlanSector &s, u16 type, u32 need, u32 *units) {
  bool any = type == 3 || type == 6;
  u32 step = type == 2 ? 512 : 1;
  for (u32 u = 0; u < kFlsUnitsPerSector; u += step) {
    if (UnitUsed(s, u)) continue;
    u32 run = RunAt(s, u);
    if (any || run >= need) {
      *units = any ? (run < need ? run : need) : need;
      return static_cast<i32>(u);
    }
    if (step == 1) u += run;
  }
  return -1;
}

// Plans fragments for n bytes; `cont_sector`/`cont_unit` is where the file's
// data ends (sector 0 when nowhere). 0 or -4 / -12.
i32 PlanBytes(Plan &p, u16 type, u32 n, u32 cont_sector, u32 cont_unit) {
  while (n > 0) {
    u32 need = type == 2 ? 512 : (n + kFlsUnitSize - 1) / kFlsUnitSize;
    if (need > kFlsUnitsPerSector) {
      if (type != 3 && type != 6) return FlsErrFull;
      need = kFlsUnitsPerSector;
    }
    if (p.count >= kFlsMaxEntries) return FlsErrFull;
    u32 sector = 0, unit = 0, units = 0;
    // Continue right after the file's last byte when that room is free.
    if (cont_sector >= 1 && cont_sector <= kFlsDataSectors && p.data[cont_sector - 1].exists &&
        cont_unit < kFlsUnitsPerSector && (type != 2 || cont_unit % 512 == 0)) {
      u32 run = RunAt(p.data[cont_sector - 1], cont_unit);
      bool any = type == 3 || type == 6;
      if ((any && run > 0) || run >= need) {
        sector = cont_sector;
        unit = cont_unit;
        units = any ? (run < need ? run : need) : need;
      }
    }
    for (u32 k = 0; sector == 0 && k < kFlsDataSectors; ++k) {
      PlanSector &s = p.data[k];
      if (!s.exists) {
        if (p.free_sectors <= 0) return FlsErrNoBlankSector;
        --p.free_sectors;
        s.exists = true;
        p.fresh_mask |= 1u << k;
      }
      i32 u = FindRun(s, type, need, &units);
      if (u >= 0) {
        sector = k + 1;
        unit = static_cast<u32>(u);
      }
    }
    if (sector == 0) return FlsErrFull;
    u32 bytes = units * kFlsUnitSize;
    if (bytes > n) bytes = n;
    MarkUnits(p.data[sector - 1], unit, units);
    p.frag[p.count++] = {static_cast<u16>(sector), static_cast<u16>(unit), bytes};
    n -= bytes;
    cont_sector = sector;
    cont_unit = unit + units;
  }
  return 0;
}

// Checks the room the planned fragments need in the directory.
i32 PlanDirectory(Plan &p, u32 extra, bool *need_second) {
  *need_second = false;
  u32 entries = g_fls_entry_count + p.count + extra;
  if (entries > kFlsMaxEntries) return FlsErrFull;
  if (entries > kFlsEntriesPerSector && FlsDirSector2Address() == 0) {
    if (p.free_sectors <= 0) return FlsErrNoBlankSector;
    --p.free_sectors;
    *need_second = true;
  }
  return 0;
}

i32 DeleteEntry(u32 n) {
  u32 word = FlsEntryKindWord(n);
  return FlsUpdateEntryField(n, 0, FlsKindOf(word), 4);
}

i32 WriteFragmentEntry(u32 n, u32 id, u32 owner, u16 type, u16 number, const PlanFragment &f) {
  i32 r = FlsLoadEntry(n);
  if (r == 0) {
    u32 words[2] = {kFlsKindFragment | id, owner};
    u16 halves[6] = {type, 0xFFFF, number, f.sector, static_cast<u16>(f.unit * kFlsUnitSize),
                     static_cast<u16>(f.bytes - 1)};
    for (u32 i = 0; r == 0 && i < 2; ++i) {
      FlsSelectWriteField(4 * i);
      r = FlsSetField(&words[i], 4);
    }
    for (u32 i = 0; r == 0 && i < 6; ++i) {
      FlsSelectWriteField(8 + 2 * i);
      r = FlsSetField(&halves[i], 2);
    }
    if (r == 0) r = FlsWriteBackEntry();
  }
  FlsReleaseCursor();
  return r;
}

// Where the file's data ends: its last fragment's data sector and the unit
// behind its last byte.
void DataEnd(const FlsFragmentList *list, u32 *sector, u32 *unit) {
  *sector = 0;
  *unit = 0;
  if (!list || list->count == 0) return;
  FlsFragment f;
  if (FlsReadFragment(list->entry[list->count - 1], &f) < 0 || f.type == 7) return;
  *sector = f.sector;
  *unit = (f.offset + f.length() + kFlsUnitSize - 1) / kFlsUnitSize;
}

}  // namespace

i32 FlsAddFragmentEntry(u32 owner, u16 type, u16 number, u16 sector, u16 offset, u32 bytes) {
  i32 r = FlsNextFreeEntry();
  if (r < 0) return r;
  if (static_cast<u32>(r) >= kFlsMaxEntries) return FlsErrFull;
  u32 entry = static_cast<u32>(r);
  u32 id = FlsAllocId(kFlsKindFragment);
  if (id == 0) return FlsErrFull;
  PlanFragment f = {sector, static_cast<u16>(offset / kFlsUnitSize), bytes};
  r = WriteFragmentEntry(entry, id, owner, type, number, f);
  if (r < 0) return r;
  g_fls_entry_count = entry + 1;
  return static_cast<i32>(entry);
}

i32 FlsDeleteEntry(u32 n) { return DeleteEntry(n); }

i32 FlsTrialFragments(u16 type, u32 n) {
  Plan &p = g_plan;
  PlanInit(p);
  i32 r = PlanBytes(p, type, n, 0, 0);
  if (r < 0) return r;
  bool second;
  r = PlanDirectory(p, 1, &second);
  return r < 0 ? r : static_cast<i32>(p.count);
}

i32 FlsAppendFragments(u32 owner, u16 type, const FlsFragmentList *list, const u8 *data, u32 n) {
  if (n == 0) return 0;
  Plan &p = g_plan;
  PlanInit(p);
  u32 cont_sector, cont_unit;
  DataEnd(list, &cont_sector, &cont_unit);
  i32 r = PlanBytes(p, type, n, cont_sector, cont_unit);
  bool second = false;
  if (r == 0) r = PlanDirectory(p, 1, &second);
  if (r < 0) return r;
  if (second) {
    r = AddDirSector();
    if (r < 0) return r;
  }
  for (u32 k = 0; k < kFlsDataSectors; ++k) {
    if (!(p.fresh_mask & (1u << k))) continue;
    i32 idx = FlsChooseFreeSector();
    if (idx < 0) return idx;
    r = FlsUpdateEntryField(static_cast<u32>(idx), 8, k + 1, 4);
    if (r < 0) return r;
  }
  u32 first_number = list ? list->count + 1 : 1;
  u32 made = 0;
  u32 done = 0;
  static u16 made_entries[kFlsMaxEntries];
  for (; made < p.count; ++made) {
    const PlanFragment &f = p.frag[made];
    r = FlsAddFragmentEntry(owner, type, static_cast<u16>(first_number + made), f.sector,
                            static_cast<u16>(f.unit * kFlsUnitSize), f.bytes);
    if (r < 0) break;
    u32 entry = static_cast<u32>(r);
    made_entries[made] = static_cast<u16>(entry);
    if (data) {
      FlsFragment fr;
      r = FlsReadFragment(entry, &fr);
      if (r == 0) r = FlsWriteBytes(fr.address, data + done, f.bytes);
      if (r < 0) {
        ++made;
        break;
      }
    }
    done += f.bytes;
  }
  if (r < 0) {
    // Nothing half-written stays in the file: the fragments of this write go.
    for (u32 i = 0; i < made; ++i) DeleteEntry(made_entries[i]);
    return r;
  }
  return static_cast<i32>(done);
}

i32 FlsFreeSpace(u32 *bytes) {
  Plan &p = g_plan;
  PlanInit(p);
  u64 total = 0;
  u32 missing = 0;
  for (u32 k = 0; k < kFlsDataSectors; ++k) {
    if (!p.data[k].exists) {
      ++missing;
      continue;
    }
    for (u32 u = 0; u < kFlsUnitsPerSector; ++u)
      if (!UnitUsed(p.data[k], u)) total += kFlsUnitSize;
  }
  u32 usable = static_cast<u32>(p.free_sectors);
  if (usable > missing) usable = missing;
  total += static_cast<u64>(usable) * kFlsSectorSize;
  *bytes = static_cast<u32>(total);
  return 0;
}
