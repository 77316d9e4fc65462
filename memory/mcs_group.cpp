// Group table, member walks, descriptors and the host-file conversion of
// item data.
#include <cstdio>
#include <cstring>
#include <utility>

#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_group_internal.h"
#include "memory/mcs_store.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"

namespace {

// Items a plain group takes, when they exist: folder and name (a null name
// takes every item of the folder; a name of "*" followed by a type takes the
// folder's items of that type).
struct FixedItem {
  const char *folder;
  const char *name;
  u8 type;  // with a null name: 0 any type
};

struct GroupRow {
  const char *title;
  u8 numbered;
  const char *file;  // plain groups: the file name
  FixedItem items[9];
};

constexpr u8 kTypeGraphFunc = 0xC8;

const GroupRow kGroups[kMcsGroupCount] = {
    {"ALPHA MEM", 0, "ALPHAMEM.MCS", {{kMcsGlobalFolder, "ALPHAMEM", 0}}},
    {"CAPTURE", 0, "CAPTURE.MCS", {{"@REV2", "CAPT", 0}}},
    {"CONICS", 0, "CONICS.MCS", {{"@CONICS", "conicmem", 0}}},
    {"DRAW MEM", 0, "DRAWMEM.MCS", {{"main", "VWIN", 0}, {"main", "VWINR", 0}, {"main", "FACTOR", 0}}},
    {"DYNA MEM", 0, "DYNAMEM.MCS", {{"@DYNA", "D_MEM", 0}, {"@DYNA", "D_MEMG", 0}, {"@DYNA", "COND", 0}}},
    {"EQUATION",
     0,
     "EQUATION.MCS",
     {{"main", "EQU_SOLV", 0},
      {"main", "POLYCOEF", 0},
      {"main", "POLYRSLT", 0},
      {"main", "SIMLCOEF", 0},
      {"main", "SIMLRSLT", 0},
      {"@EQUA", "EQSLVLMT", 0}}},
    {"F-MEM", 1, nullptr, {}},
    {"FINANCIAL", 0, "FINANCE.MCS", {{"@FINANCE", "fina_mem", 0}}},
    {"G-MEM", 1, nullptr, {}},
    {"LISTFILE", 1, nullptr, {}},
    {"MATRIX", 1, nullptr, {}},
    {"PICTURE", 1, nullptr, {}},
    {"PROGRAM", 1, nullptr, {}},
    {"RECURSION", 0, "RECUR.MCS", {{"main", "RECURTBL", 0}, {"main", "RECRG", 0}, {"@RECUR", nullptr, 0}}},
    {"S-SHEET", 1, nullptr, {}},
    {"SETUP", 0, "SETUP.MCS", {{kMcsGlobalFolder, "SETUP", 0}}},
    {"STAT",
     0,
     "STAT.MCS",
     {{"main", "STATV1", 0},
      {"main", "STATV2", 0},
      {"main", "STAT0", 0},
      {"main", "STAT1", 0},
      {"main", "STAT2", 0},
      {"main", "STAT3", 0},
      {"main", "G_CND", 0},
      {"main", "C_CND", 0},
      {"@STAT", "STATap", 0}}},
    {"SYSTEM",
     0,
     "SYSTEM.MCS",
     {{"@REV2", "CLIP", 0}, {"@REV2", "NAT_CLIP", 0}, {"@RUNMAT", "REPLAY", 0}, {kMcsGlobalFolder, "SYSTEM", 0}}},
    {"TABLE", 0, "TABLE.MCS", {{"main", "GRAPHTBL", 0}, {"@TABLE", "RANGE", 0}}},
    {"V-WIN", 1, nullptr, {}},
    {"Y=DATA", 0, "Y=DATA.MCS", {{"main", nullptr, kTypeGraphFunc}}},
};

// Row numbers the code names.
enum : u32 {
  kRowFmem = 6,
  kRowGmem = 8,
  kRowList = 9,
  kRowMatrix = 10,
  kRowPicture = 11,
  kRowProgram = 12,
  kRowSheet = 14,
  kRowVwin = 19,
};

void CopyName(char *dst, const char *src, size_t cap) {
  std::snprintf(dst, cap, "%s", src);
}

// The 8-byte name of an item record as text.
void RecordName(const McsItemRecord &r, char out[9]) {
  std::memcpy(out, r.name, 8);
  out[8] = 0;
}

bool AddStoreItem(McsMember *m, const char *folder, const char *name) {
  if (McsFindItem(folder, name, nullptr, nullptr, nullptr, nullptr) != 0) return false;
  McsItemRef ref{};
  CopyName(ref.folder, folder, sizeof ref.folder);
  CopyName(ref.name, name, sizeof ref.name);
  m->items.push_back(ref);
  return true;
}

// Every item of a folder (type 0: any type) whose name begins with prefix,
// in record order.
template <typename Fn>
void ForEachItem(const char *folder, const char *prefix, u8 type, Fn fn) {
  McsFolderRecord *rec = nullptr;
  if (McsFindFolder(folder, &rec, nullptr) != 0 || !rec) return;
  const McsItemRecord *items = McsFolderItems(rec);
  const size_t n = std::strlen(prefix);
  const u16 count = rec->count;
  for (u16 i = 0; i < count; ++i) {
    if (type != 0 && items[i].type != type) continue;
    char name[9];
    RecordName(items[i], name);
    if (std::strncmp(name, prefix, n) != 0) continue;
    fn(name);
  }
}

// Members of a numbered group named "<prefix><n>" in a folder, numbered
// 1-limit, in number order.
void NumberedMembers(const char *folder, const char *prefix, u32 limit, const char *title_fmt,
                     const char *file_fmt, std::vector<McsMember> *out) {
  for (u32 n = 1; n <= limit; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%s%u", prefix, static_cast<unsigned>(n));
    if (std::strlen(name) > 8) break;
    McsMember m{};
    if (!AddStoreItem(&m, folder, name)) continue;
    std::snprintf(m.title, sizeof m.title, title_fmt, static_cast<unsigned>(n));
    std::snprintf(m.file, sizeof m.file, file_fmt, static_cast<unsigned>(n));
    out->push_back(m);
  }
}

void ListFileMembers(std::vector<McsMember> *out) {
  for (u32 file = 1; file <= 6; ++file) {
    McsMember m{};
    // Lists 1-26 of the file in number order.
    for (u32 list = 1; list <= 26; ++list) {
      char name[16];
      std::snprintf(name, sizeof name, "%uLIST%u", static_cast<unsigned>(file), static_cast<unsigned>(list));
      AddStoreItem(&m, "main", name);
    }
    if (m.items.empty()) continue;
    std::snprintf(m.title, sizeof m.title, "LIST FILE  %u", static_cast<unsigned>(file));
    std::snprintf(m.file, sizeof m.file, "L-LIST_%u.MCS", static_cast<unsigned>(file));
    out->push_back(m);
  }
}

void MatrixMembers(std::vector<McsMember> *out) {
  char name[9] = "MAT_";
  for (char c = 'A'; c <= 'Z'; ++c) {
    name[4] = c;
    name[5] = 0;
    McsMember m{};
    if (!AddStoreItem(&m, "main", name)) continue;
    CopyName(m.title, name, sizeof m.title);
    std::snprintf(m.file, sizeof m.file, "%s.MCS", name);
    out->push_back(m);
  }
  McsMember m{};
  if (AddStoreItem(&m, "main", "MAT_ANS")) {
    CopyName(m.title, "MAT_ANS", sizeof m.title);
    CopyName(m.file, "MAT_ANS.MCS", sizeof m.file);
    out->push_back(m);
  }
}

// One member per item of the folder: the item's name is the title, and the
// file is named after it.
void ItemMembers(const char *folder, std::vector<McsMember> *out) {
  ForEachItem(folder, "", 0, [&](const char *name) {
    McsMember m{};
    AddStoreItem(&m, folder, name);
    CopyName(m.title, name, sizeof m.title);
    std::snprintf(m.file, sizeof m.file, "%s.MCS", name);
    out->push_back(m);
  });
}

void PlainMember(const GroupRow &row, std::vector<McsMember> *out) {
  McsMember m{};
  CopyName(m.title, row.title, sizeof m.title);
  CopyName(m.file, row.file, sizeof m.file);
  for (const FixedItem &it : row.items) {
    if (!it.folder) break;
    if (!std::strcmp(it.folder, kMcsGlobalFolder)) {
      McsItemRef ref{};
      CopyName(ref.folder, it.folder, sizeof ref.folder);
      CopyName(ref.name, it.name, sizeof ref.name);
      m.items.push_back(ref);
    } else if (it.name) {
      AddStoreItem(&m, it.folder, it.name);
    } else {
      ForEachItem(it.folder, "", it.type, [&](const char *name) { AddStoreItem(&m, it.folder, name); });
    }
  }
  if (!m.items.empty()) out->push_back(m);
}

// A plain group holds something only through items of the store or the
// "$GLOBAL" areas (which always exist).
}  // namespace

const char kMcsGlobalFolder[] = "$GLOBAL";

namespace {
// The running application's name as the "SYSTEM" item writes it.
char g_app_name[kMcsAppNameSize];
}  // namespace

void McsGroupMembers(u32 row, std::vector<McsMember> *out) {
  out->clear();
  if (row >= kMcsGroupCount) return;
  switch (row) {
    case kRowFmem:
      NumberedMembers("main", "FMEM", 20, "F-MEM  %u", "F-MEM_%u.MCS", out);
      break;
    case kRowGmem:
      NumberedMembers("@GRAPH", "GMEM", 20, "G-MEM  %u", "G-MEM_%u.MCS", out);
      break;
    case kRowList:
      ListFileMembers(out);
      break;
    case kRowMatrix:
      MatrixMembers(out);
      break;
    case kRowPicture:
      NumberedMembers("main", "PICT", 20, "PICT  %u", "PICT_%u.MCS", out);
      break;
    case kRowProgram:
      ItemMembers("system", out);
      break;
    case kRowSheet:
      ItemMembers("@SSHEET", out);
      break;
    case kRowVwin:
      NumberedMembers("main", "VMEM", 6, "V-WIN  %u", "V-WIN_%u.MCS", out);
      break;
    default:
      PlainMember(kGroups[row], out);
      break;
  }
}

u32 McsGroupSpecial(const char *folder, const char *name) {
  if (std::strcmp(folder, kMcsGlobalFolder) != 0) return kMcsSpecialNone;
  if (!std::strcmp(name, "ALPHAMEM")) return kMcsSpecialAlphaMem;
  if (!std::strcmp(name, "SETUP")) return kMcsSpecialSetup;
  if (!std::strcmp(name, "SYSTEM")) return kMcsSpecialAppName;
  return kMcsSpecialOther;
}

bool McsGroupResolve(const McsItemRef &ref, const char *file, McsGroupDesc *out) {
  std::memset(out, 0, sizeof *out);
  CopyName(out->file, file, sizeof out->file);
  CopyName(out->folder, ref.folder, sizeof out->folder);
  CopyName(out->name, ref.name, sizeof out->name);
  switch (McsGroupSpecial(ref.folder, ref.name)) {
    case kMcsSpecialAlphaMem: {
      u32 size = 0;
      Value *slots = nullptr;
      McsVariablePtr('A', &size, &slots);
      out->data = reinterpret_cast<const u8 *>(slots);
      out->size = kMcsAlphaMemSize;
      out->convert = 1;
      return slots != nullptr;
    }
    case kMcsSpecialSetup:
      out->data = SysGlueSetupArray();
      out->size = kMcsSetupSize;
      out->convert = 0x8000;
      return true;
    case kMcsSpecialAppName:
      out->data = reinterpret_cast<const u8 *>(SysGetAppName(g_app_name));
      out->size = kMcsAppNameSize;
      out->convert = 0x8007;
      return true;
    case kMcsSpecialNone: {
      u8 *data = nullptr;
      u32 size = 0;
      u8 type = 0;
      if (McsFindItem(ref.folder, ref.name, &type, nullptr, &data, &size) != 0) return false;
      out->type = type;
      out->data = data;
      out->size = size;
      out->convert = McsItemConvertCode(type, ref.folder, ref.name);
      return true;
    }
    default:
      return false;
  }
}

i32 McsGroupRow(const char *group) {
  if (!group) return -1;
  for (u32 i = 0; i < kMcsGroupCount; ++i)
    if (!std::strncmp(group, kGroups[i].title, 12)) return static_cast<i32>(i);
  return -1;
}

const char *McsGroupTitle(u32 row) { return row < kMcsGroupCount ? kGroups[row].title : nullptr; }
u8 McsGroupNumbered(u32 row) { return row < kMcsGroupCount ? kGroups[row].numbered : 0; }

namespace {

u32 MemberSize(const McsMember &m) {
  u32 total = 0;
  for (const McsItemRef &ref : m.items) {
    McsGroupDesc d;
    if (McsGroupResolve(ref, m.file, &d)) total += d.size;
  }
  return total;
}

}  // namespace

i32 McsGroupInfo(const char *group, char *title, u32 *size) {
  const i32 row = McsGroupRow(group);
  if (row < 0) return -1;
  std::vector<McsMember> members;
  McsGroupMembers(static_cast<u32>(row), &members);
  if (members.empty()) return -1;
  u32 total = 0;
  for (const McsMember &m : members) total += MemberSize(m);
  if (title) CopyName(title, kGroups[row].title, 13);
  if (size) *size = total;
  return kGroups[row].numbered ? 1 : 0;
}

i32 McsGroupItemInfo(const char *group, i32 member, char *title, u32 *size) {
  const i32 row = McsGroupRow(group);
  if (row < 0 || member < 1 || !kGroups[row].numbered) return -1;
  std::vector<McsMember> members;
  McsGroupMembers(static_cast<u32>(row), &members);
  if (static_cast<size_t>(member) > members.size()) return -1;
  const McsMember &m = members[static_cast<size_t>(member - 1)];
  if (title) CopyName(title, m.title, 13);
  if (size) *size = MemberSize(m);
  return static_cast<size_t>(member) < members.size() ? member + 1 : 0;
}

bool McsGroupCollect(const char *group, const char *member, std::vector<McsGroupDesc> *out) {
  out->clear();
  const i32 row = McsGroupRow(group);
  if (row < 0) return false;
  std::vector<McsMember> members;
  McsGroupMembers(static_cast<u32>(row), &members);
  const bool whole = !member || !member[0];
  bool found = false;
  for (const McsMember &m : members) {
    if (!whole && std::strncmp(m.title, member, 12) != 0) continue;
    found = true;
    for (const McsItemRef &ref : m.items) {
      McsGroupDesc d;
      if (McsGroupResolve(ref, m.file, &d)) out->push_back(d);
    }
  }
  return found && !out->empty();
}

i32 McsGroupFileDesc(const char *group, const char *member, McsGroupDesc *out) {
  return McsGroupItemFileDesc(group, member, 0, out) < 0 ? -1 : 1;
}

i32 McsGroupItemFileDesc(const char *group, const char *member, i32 position, McsGroupDesc *out) {
  if (position < 0) return -1;
  std::vector<McsGroupDesc> items;
  if (!McsGroupCollect(group, member, &items)) return -1;
  if (static_cast<size_t>(position) >= items.size()) return -1;
  *out = items[static_cast<size_t>(position)];
  return position + 1;
}

// ---- conversion ----------------------------------------------------------------

void SysSwapRealBytes(void *dst, const void *src) { std::memmove(dst, src, 12); }

void *SysSwapValueBytes(void *dst, const void *src) {
  SysSwapRealBytes(dst, src);
  SysSwapRealBytes(static_cast<u8 *>(dst) + 12, static_cast<const u8 *>(src) + 12);
  return dst;
}

u16 McsItemConvertCode(u8 type, const char *folder, const char *name) {
  auto is = [&](const char *s) { return !std::strcmp(name, s); };
  auto begins = [&](const char *s) { return !std::strncmp(name, s, std::strlen(s)); };
  if (!std::strcmp(folder, "system")) return 0x8002;
  if (!std::strcmp(folder, "main")) {
    if (type == kTypeGraphFunc) return 3;
    if (type == 0x8A) {
      if (begins("VWIN")) return 15;
      if (begins("VMEM")) return 17;
      if (is("factor") || is("FACTOR")) return 18;
      return 10;
    }
    if (type == 0x8C) return 19;
    return 0x801A;
  }
  if (!std::strcmp(folder, "@REV2")) return is("CLIP") ? 0x8005 : begins("NAT") ? 0x8006 : 27;
  if (!std::strcmp(folder, "@APLWORK")) {
    if (is("SCREEN")) return 0x801C;
    if (is("PREVWIN")) return 29;
    if (is("ORIGVWIN")) return 30;
    if (is("COMGRAPH")) return 0x801F;
    if (begins("COM")) return 32;
    if (is("GRPMODE")) return 0x8021;
    if (is("PLOT")) return 34;
    return 35;
  }
  if (!std::strcmp(folder, "@RUNMAT")) return is("REPLAY") ? 0x8024 : 37;
  if (!std::strcmp(folder, "@STAT")) return is("G_CND") ? 39 : is("C_CND") ? 40 : 41;
  if (!std::strcmp(folder, "@GRAPH")) return 42;
  if (!std::strcmp(folder, "@DYNA")) return is("D_MEM") ? 43 : is("D_MEM_G") ? 0x802C : 45;
  if (!std::strcmp(folder, "@TABLE")) return 46;
  if (!std::strcmp(folder, "@RECUR")) return 47;
  if (!std::strcmp(folder, "@EQUA")) return 48;
  if (!std::strcmp(folder, "@FINANCE")) return 49;
  if (!std::strcmp(folder, "@SSHEET")) return 53;
  if (!std::strcmp(folder, "@EACT")) return 54;
  if (!std::strcmp(folder, "@CONICS")) return 55;
  return 0x8000;
}

namespace {

void Swap16(u8 *p) { std::swap(p[0], p[1]); }
void Swap32(u8 *p) {
  std::swap(p[0], p[3]);
  std::swap(p[1], p[2]);
}

u32 Get32(const u8 *p) {
  u32 v;
  std::memcpy(&v, p, 4);
  return v;
}

// Swaps n numbers of width w from offset at, as far as they lie inside size.
void SwapRun(u8 *data, u32 size, u32 at, u32 n, u32 w) {
  for (u32 i = 0; i < n; ++i) {
    const u64 p = u64{at} + u64{i} * w;
    if (p + w > size) return;
    if (w == 2) Swap16(data + p);
    else Swap32(data + p);
  }
}

// n stored reals from offset at: their bytes are in a fixed order already.
void RealRun(u8 *data, u32 size, u32 at, u64 n) {
  for (u64 i = 0; i < n; ++i) {
    const u64 p = at + i * 12;
    if (p + 12 > size) return;
    SysSwapRealBytes(data + p, data + p);
  }
}

// The sheet record: a table of a + b + c entry sizes from byte 16, the
// entries behind it.
void ConvertSheet(u8 *data, u32 size, bool to_host) {
  if (size < 16) return;
  // The three counts are the low bytes of u16 words: in memory order on a
  // little-endian machine at 2, 4 and 6, in the stored form at 3, 5 and 7.
  const u32 lo = to_host ? 0 : 1;
  const u32 a = data[2 + lo], b = data[4 + lo], c = data[6 + lo];
  const u32 n = a + b + c;
  const u64 table = 16;
  u64 at = table + u64{n} * 4;
  for (u32 i = 0; i < n && at <= size; ++i) {
    if (table + u64{i} * 4 + 4 > size) return;
    u8 *sp = data + table + i * 4;
    // The sizes are read in memory order: before swapping when writing a
    // host file, after it when reading one.
    u32 entry = to_host ? Get32(sp) : __builtin_bswap32(Get32(sp));
    if (at + entry > size) return;
    if (entry != 0 && i >= a + b && entry >= 4) {
      u8 *e = data + at;
      u32 count = to_host ? Get32(e) : __builtin_bswap32(Get32(e));
      if (u64{count} * 4 + 4 > entry) count = (entry - 4) / 4;
      for (u32 k = 0; k < count; ++k) Swap16(e + 4 + k * 4);
      Swap32(e);
    }
    at += entry;
  }
  SwapRun(data, size, 2, 3, 2);
  SwapRun(data, size, 8, n + 2, 4);
}

}  // namespace

void McsConvertItemData(u8 *data, u32 size, u16 code) {
  if (!data || (code & 0x8000)) return;
  switch (code) {
    case 1:
      for (u32 i = 0; i + 24 <= size; i += 24) SysSwapValueBytes(data + i, data + i);
      return;
    case 3: case 4: case 32:
      SwapRun(data, size, 0, 1, 2);
      return;
    case 10: case 11: case 12: case 13:
      // Lists: the element count at byte 8 (the reals need no change).
      if (size >= 16) RealRun(data, size, 16, (size - 16) / 12);
      SwapRun(data, size, 8, 1, 2);
      return;
    case 15: case 16: case 17: case 29: case 30:
      RealRun(data, size, 0, 11);
      return;
    case 18: case 48:
      RealRun(data, size, 0, 2);
      return;
    case 19: case 20: case 21: case 22: case 23: case 24: case 25:
      if (size >= 16) RealRun(data, size, 16, (size - 16) / 12);
      SwapRun(data, size, 8, 2, 2);
      return;
    case 27:
      SwapRun(data, size, 0, 2, 2);
      return;
    case 34:
      SwapRun(data, size, 0, 4, 4);
      return;
    case 35: case 47:
      RealRun(data, size, 0, 14);
      return;
    case 37: case 38: case 54:
      if (size >= 1) SwapRun(data, size, 4, u32{data[0]} + 1, 4);
      return;
    case 39:
      RealRun(data, size, 0, 2);
      SwapRun(data, size, 24, 35, 2);
      return;
    case 40:
      SwapRun(data, size, 0, 6, 2);
      return;
    case 41:
      SwapRun(data, size, 0, 18, 2);
      RealRun(data, size, 36, 23);
      return;
    case 42:
      RealRun(data, size, 20, 22);
      return;
    case 43:
      RealRun(data, size, 16, 3);
      SwapRun(data, size, 52, 4, 2);
      RealRun(data, size, 60, 56);
      RealRun(data, size, 732, 11);
      return;
    case 45:
      RealRun(data, size, 0, 3);
      SwapRun(data, size, 36, 4, 2);
      return;
    case 46:
      RealRun(data, size, 0, 3);
      return;
    case 49:
      RealRun(data, size, 0, 19);
      SwapRun(data, size, 228, 12, 2);
      return;
    case 51:
      RealRun(data, size, 0, 2);
      SwapRun(data, size, 24, 80, 2);
      return;
    case 52:
      SwapRun(data, size, 0, 21, 2);
      return;
    case 53:
      ConvertSheet(data, size, true);
      return;
    case 55:
      if (size >= 1) data[0] = 0;
      return;
    default:
      return;
  }
}

void McsConvertItemDataFromHost(u8 *data, u32 size, u16 code) {
  if (code == 53) {
    if (data) ConvertSheet(data, size, false);
    return;
  }
  McsConvertItemData(data, size, code);
}

