// The application work areas of e-activity: its files, the user's memory set
// aside while it runs, and the data its strips carry.
#include "memory/mcs_workarea.h"

#include <cstring>

#include "kernel/task_glue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group_internal.h"
#include "memory/mcs_store.h"
#include "storage/file.h"
#include "storage/fls_error.h"
#include "storage/wstr.h"

namespace {

constexpr u32 kItemHead = 16;
constexpr u32 kFolderHead = 16;
constexpr i32 kPathMax = 260;
constexpr char kTempName[] = "_EACTWR_.EAC";
constexpr char kWorkFolder[] = "@APLWORK";
constexpr const char *kFirstFolders[] = {"system", "library", "@REV3", "@REV1", "@EACT"};

void Put16(u8 *p, u16 v) { std::memcpy(p, &v, 2); }
void Put32(u8 *p, u32 v) { std::memcpy(p, &v, 4); }
u16 Get16(const u8 *p) {
  u16 v;
  std::memcpy(&v, p, 2);
  return v;
}
u32 Get32(const u8 *p) {
  u32 v;
  std::memcpy(&v, p, 4);
  return v;
}

u8 *VarSlots() {
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  return reinterpret_cast<u8 *>(slots);
}

// ---- folders as bytes -------------------------------------------------------------

// Appends the items of a folder (all but `skip`) in record order: the
// number of items written.
u32 PackFolder(const McsFolderRecord *record, const char *skip, std::vector<u8> *out) {
  char folder[9] = {};
  std::memcpy(folder, record->name, 8);
  const McsItemRecord *items = McsFolderItems(record);
  u32 written = 0;
  for (u32 i = 0; i < record->count; ++i) {
    char name[9] = {};
    std::memcpy(name, items[i].name, 8);
    if (skip != nullptr && std::strcmp(name, skip) == 0) continue;
    u8 type = 0;
    u8 *data = nullptr;
    u32 size = 0;
    if (McsFindItem(folder, name, &type, nullptr, &data, &size) != 0) continue;
    u8 head[kItemHead] = {};
    std::memcpy(head, items[i].name, 8);
    Put32(head + 8, size);
    head[12] = items[i].type;
    head[13] = items[i].flags;
    out->insert(out->end(), head, head + kItemHead);
    out->insert(out->end(), data, data + size);
    ++written;
  }
  return written;
}

struct ItemRef {
  u32 folder;  // index into the parsed folders
  char name[9];
  u8 type;
  u8 flags;
  const u8 *data;
  u32 size;
};

struct FolderRef {
  char name[9];
  u8 flags;
};

// Checks `count` items (count 0xFFFFFFFF: as many as there are) filling
// exactly size bytes of folder data; appends them.
bool ParseItems(const u8 *data, u32 size, u32 count, u32 folder, const char *folder_name,
                std::vector<ItemRef> *out) {
  u32 at = 0, n = 0;
  const size_t first = out->size();
  while (at < size && n < count) {
    if (size - at < kItemHead) return false;
    const u8 *h = data + at;
    ItemRef it{};
    it.folder = folder;
    if (!McsNameFieldOk(h, it.name)) return false;
    it.size = Get32(h + 8);
    it.type = h[12];
    it.flags = h[13];
    if (Get16(h + 14) != 0 || it.flags > 7) return false;
    if (it.size > size - at - kItemHead) return false;
    it.data = h + kItemHead;
    if (!McsItemBytesOk(folder_name, it.name, it.type, it.data, it.size)) return false;
    for (size_t k = first; k < out->size(); ++k)
      if (std::strcmp((*out)[k].name, it.name) == 0) return false;
    out->push_back(it);
    at += kItemHead + it.size;
    ++n;
  }
  return at == size && (count == 0xFFFFFFFFu || n == count);
}

// Puts parsed items into a folder (made when missing), replacing items of
// the same name: 0 or a store code.
u32 PlaceItems(const char *folder, const std::vector<ItemRef> &items, u32 which) {
  if (McsFindFolder(folder, nullptr, nullptr) != 0) {
    if (u32 r = McsCreateFolder(folder)) return r;
  }
  for (const ItemRef &it : items) {
    if (it.folder != which) continue;
    if (McsFindItem(folder, it.name, nullptr, nullptr, nullptr, nullptr) == 0) {
      if (u32 r = McsDeleteItem(folder, it.name)) return r;
    }
    if (u32 r = McsCreateItem(folder, it.name, it.type, it.size, it.data)) return r;
    if (it.flags != 0) {
      if (u32 r = McsSetItemFlags(folder, it.name, it.flags)) return r;
    }
  }
  return 0;
}

// Deletes every item of a folder but `skip`, whatever its flags.
void EmptyFolder(const char *folder, const char *skip) {
  McsFolderRecord *record = nullptr;
  if (McsFindFolder(folder, &record, nullptr) != 0) return;
  for (u32 guard = 0; guard < 4096; ++guard) {
    if (McsFindFolder(folder, &record, nullptr) != 0 || record->count == 0) return;
    const McsItemRecord *items = McsFolderItems(record);
    bool deleted = false;
    for (u32 i = 0; i < record->count; ++i) {
      char name[9] = {};
      std::memcpy(name, items[i].name, 8);
      if (skip != nullptr && std::strcmp(name, skip) == 0) continue;
      McsSetItemFlags(folder, name, 0);
      deleted = McsDeleteItem(folder, name) == 0;
      break;
    }
    if (!deleted) return;
  }
}

// ---- snapshots -------------------------------------------------------------------

struct Snapshot {
  bool held = false;
  std::vector<u8> area;
  u8 vars[kMcsAlphaMemSize];
  u8 setup[kMcsSetupSize];
};

void Take(Snapshot *s) {
  s->area.assign(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize);
  std::memcpy(s->vars, VarSlots(), kMcsAlphaMemSize);
  std::memcpy(s->setup, SysGlueSetupArray(), kMcsSetupSize);
  s->held = true;
}

void PutBack(Snapshot *s) {
  if (!s->held) return;
  std::memcpy(McsAreaAddress(), s->area.data(), kMcsAreaSize);
  McsNoteAreaRewritten();
  std::memcpy(VarSlots(), s->vars, kMcsAlphaMemSize);
  std::memcpy(SysGlueSetupArray(), s->setup, kMcsSetupSize);
  McsForgetCurrent();
}

Snapshot g_user;     // area 32768
Snapshot g_undo;     // a restore that fails part way
std::vector<u8> g_side;  // area 2048: folder data
char g_side_folder[9];

// ---- files -----------------------------------------------------------------------

i32 PathLength(const u16 *p) {
  i32 n = 0;
  while (n < kPathMax - 1 && !WstrIsEnd(p[n])) ++n;
  return n;
}

// The path of the file written before it takes the final name: the same
// folder, kTempName.
bool TempPath(const u16 *path, u16 *out) {
  const i32 n = PathLength(path);
  i32 cut = -1;
  for (i32 i = 0; i < n; ++i)
    if (path[i] == '\\') cut = i;
  const i32 len = static_cast<i32>(sizeof kTempName - 1);
  if (cut < 0 || cut + 1 + len + 1 > kPathMax) return false;
  for (i32 i = 0; i <= cut; ++i) out[i] = path[i];
  for (i32 i = 0; i < len; ++i) out[cut + 1 + i] = static_cast<u8>(kTempName[i]);
  out[cut + 1 + len] = 0;
  return true;
}

// Reads a whole file of at most `limit` bytes: 0, 1 missing, 300 unreadable,
// 301 too large.
u32 ReadFile(const u16 *path, u32 limit, std::vector<u8> *out) {
  const i32 h = FileOpen(path);
  if (h == FlsErrNotFound || h == FlsErrMissing) return 1;
  if (h < 0) return 300;
  u32 r = 0;
  const i32 size = FileGetSize(h);
  if (size < 0) {
    r = 300;
  } else if (static_cast<u32>(size) > limit) {
    r = 301;
  } else {
    out->resize(static_cast<size_t>(size));
    if (size > 0 && FileRead(h, out->data(), size, 0) != size) r = 300;
  }
  FileClose(h);
  return r;
}

// Writes bytes as the file at path: a new file beside it, read back and
// compared, then put in place. 0 or 103-106.
u32 WriteFileSafely(const u16 *path, const std::vector<u8> &bytes) {
  u16 temp[kPathMax];
  if (!TempPath(path, temp)) return 103;
  const i32 size = static_cast<i32>(bytes.size());
  i32 r = FileCreate(temp, size);
  if (r == FlsErrExists) {
    // Left behind by a write that never finished.
    FileDelete(temp);
    r = FileCreate(temp, size);
  }
  if (r < 0) return 103;
  i32 h = FileOpen(temp);
  if (h < 0) {
    FileDelete(temp);
    return 104;
  }
  r = FileWriteAt(h, bytes.data(), size, 0);
  const i32 c = FileClose(h);
  if (r != size || c < 0) {
    FileDelete(temp);
    return 104;
  }
  std::vector<u8> back;
  if (ReadFile(temp, kEactFileLimit, &back) != 0 || back != bytes) {
    FileDelete(temp);
    return 105;
  }
  if (FileReplace(temp, path) < 0) {
    FileDelete(temp);
    return 106;
  }
  return 0;
}

// ---- strips ------------------------------------------------------------------------

// The current strip's data inside "EACT1": its offset (of the u32 byte
// count) and the item's bytes, or false.
bool StripData(u32 *offset, u8 **item, u32 *item_size) {
  const i32 at = SysGlueStripDataOffset();
  if (at < 0) return false;
  if (McsOpenInFolderPtr("@EACT", "EACT1", item_size, item) != 0) return false;
  if (static_cast<u32>(at) + 4 > *item_size) return false;
  *offset = static_cast<u32>(at);
  return true;
}

// Area 4096 to "EACT1": the strip application's folder packed into the
// strip's data, then emptied. 0 or 201.
u32 SaveStrip(const char *folder) {
  u32 at = 0, size = 0;
  u8 *item = nullptr;
  if (!StripData(&at, &item, &size)) return 201;
  const u32 old_len = Get32(item + at);
  std::vector<u8> data(4, 0);
  McsFolderRecord *record = nullptr;
  if (McsFindFolder(folder, &record, nullptr) == 0) PackFolder(record, "EACT1", &data);
  const u32 len = static_cast<u32>(data.size() - 4);
  Put32(data.data(), len);
  // The data area is the end of the strip's entry: the old bytes make way
  // for the new ones and the entries behind it move by the difference.
  const u32 old_span = 4 + (old_len <= size - at - 4 ? old_len : 0);
  if (McsInsertInFolder("@EACT", "EACT1", static_cast<u32>(data.size()), data.data(), at) != 0) return 201;
  if (McsCutInFolder("@EACT", "EACT1", old_span, at + static_cast<u32>(data.size())) != 0) {
    McsCutInFolder("@EACT", "EACT1", static_cast<u32>(data.size()), at);
    return 201;
  }
  SysGlueShiftStripOffsets(static_cast<i32>(data.size()) - static_cast<i32>(old_span));
  EmptyFolder(folder, "EACT1");
  return 0;
}

// Area 4096 from "EACT1": the strip's items into its application's folder.
// 0, 401 or 402.
u32 RestoreStrip(const char *folder) {
  u32 at = 0, size = 0;
  u8 *item = nullptr;
  if (!StripData(&at, &item, &size)) return 401;
  const u32 len = Get32(item + at);
  if (len > size - at - 4) return 401;
  // The data is copied out: placing items moves "EACT1".
  std::vector<u8> data(item + at + 4, item + at + 4 + len);
  std::vector<ItemRef> items;
  if (!ParseItems(data.data(), len, 0xFFFFFFFFu, 0, folder, &items)) return 401;
  for (const ItemRef &it : items)
    if (std::strcmp(it.name, "EACT1") == 0) return 401;
  Take(&g_undo);
  EmptyFolder(folder, "EACT1");
  if (PlaceItems(folder, items, 0) != 0) {
    PutBack(&g_undo);
    return 402;
  }
  return 0;
}

// ---- the e-activity file -------------------------------------------------------------

void AppendFolder(const McsFolderRecord *record, std::vector<u8> *out) {
  const size_t head = out->size();
  out->resize(head + kFolderHead, 0);
  const u32 count = PackFolder(record, nullptr, out);
  u8 *h = out->data() + head;
  std::memcpy(h, record->name, 8);
  h[8] = record->flags;
  Put16(h + 10, static_cast<u16>(count));
  Put32(h + 12, static_cast<u32>(out->size() - head - kFolderHead));
}

bool IsFirstFolder(const char *name) {
  for (const char *f : kFirstFolders)
    if (std::strcmp(name, f) == 0) return true;
  return false;
}

u32 ShowBox(u32 code) {
  if (code != 0) SysGlueWorkAreaBox(code);
  return code;
}

}  // namespace

u32 McsWorkPackEact(std::vector<u8> *out) {
  if (McsAreaAddress() == nullptr || VarSlots() == nullptr) return 102;
  out->assign(kEactFrameHead, 0);
  out->insert(out->end(), SysGlueSetupArray(), SysGlueSetupArray() + kMcsSetupSize);
  out->insert(out->end(), VarSlots(), VarSlots() + kMcsAlphaMemSize);
  u32 folders = 0;
  auto add = [&](McsFolderRecord *record) {
    if (record == nullptr || record->count == 0 || record->name[0] == 0) return;
    AppendFolder(record, out);
    ++folders;
  };
  for (const char *name : kFirstFolders) {
    McsFolderRecord *record = nullptr;
    if (McsFindFolder(name, &record, nullptr) == 0) add(record);
  }
  for (u32 index = 1; index <= kMcsFolderCount; ++index) {
    McsFolderRecord *record = nullptr;
    if (McsFolderByIndex(index, &record) != 0 || record == nullptr || record->name[0] == 0) continue;
    char name[9] = {};
    std::memcpy(name, record->name, 8);
    if (IsFirstFolder(name) || std::strcmp(name, kWorkFolder) == 0) continue;
    add(record);
  }
  u8 *h = out->data();
  Put32(h, static_cast<u32>(out->size()));
  Put32(h + 4, kEactContextSize);
  Put16(h + 8, static_cast<u16>(folders));
  Put16(h + 10, 0x0100);
  std::memcpy(h + 12, "Pack", 4);
  if (out->size() + 128 >= kEactFileLimit) return 101;
  return 0;
}

void McsWorkEmptyEact() {
  McsResetItems();
  std::memset(VarSlots(), 0, kMcsAlphaMemSize);
  SysGlueResetSetup();
}

u32 McsWorkUnpackEact(const u8 *bytes, u32 size) {
  if (McsAreaAddress() == nullptr || VarSlots() == nullptr) return 305;
  if (bytes == nullptr || size < kEactFrameHead + kEactContextSize || size + 128 >= kEactFileLimit) return 301;
  if (Get32(bytes) != size || Get32(bytes + 4) != kEactContextSize || Get16(bytes + 10) != 0x0100 ||
      std::memcmp(bytes + 12, "Pack", 4) != 0)
    return 301;
  const u8 *context = bytes + kEactFrameHead;
  if (!McsSetupBytesOk(context)) return 302;
  for (u32 v = 0; v < kMcsVarSlotCount; ++v)
    if (!McsVariableBytesOk(context + kMcsSetupSize + 24 * v)) return 302;
  const u32 count = Get16(bytes + 8);
  if (count > kMcsFolderCount) return 303;
  std::vector<FolderRef> folders;
  std::vector<ItemRef> items;
  u32 at = kEactFrameHead + kEactContextSize;
  for (u32 f = 0; f < count; ++f) {
    if (size - at < kFolderHead) return 303;
    const u8 *h = bytes + at;
    FolderRef ref{};
    if (!McsNameFieldOk(h, ref.name) || ref.name[0] == '$' || std::strcmp(ref.name, kWorkFolder) == 0) return 303;
    ref.flags = h[8];
    if (h[9] != 0 || ref.flags > 1) return 303;
    for (const FolderRef &other : folders)
      if (std::strcmp(other.name, ref.name) == 0) return 303;
    const u32 n = Get16(h + 10);
    const u32 len = Get32(h + 12);
    if (len > size - at - kFolderHead) return 303;
    if (!ParseItems(h + kFolderHead, len, n, f, ref.name, &items)) return 304;
    folders.push_back(ref);
    at += kFolderHead + len;
  }
  if (at != size) return 301;
  Take(&g_undo);
  McsWorkEmptyEact();
  std::memcpy(SysGlueSetupArray(), context, kMcsSetupSize);
  std::memcpy(VarSlots(), context + kMcsSetupSize, kMcsAlphaMemSize);
  u32 r = 0;
  for (u32 f = 0; f < folders.size() && r == 0; ++f) {
    r = PlaceItems(folders[f].name, items, f);
    if (r == 0 && folders[f].flags != 0) r = McsSetFolderFlags(folders[f].name, folders[f].flags);
  }
  u8 bad = 0;
  if (r == 0 && McsCheckArea(&bad) != 0) r = 1;
  if (r != 0) {
    PutBack(&g_undo);
    return 305;
  }
  return 0;
}

bool McsWorkUserHeld() { return g_user.held; }

i32 McsWorkOnUserMemory(i32 (*work)(void *), void *arg) {
  if (!g_user.held) return work(arg);
  Snapshot eact;
  Take(&eact);
  PutBack(&g_user);
  const i32 r = work(arg);
  Take(&g_user);
  PutBack(&eact);
  return r;
}

u32 SysSaveAppAreas(u32 mask, const u16 *path) {
  if (mask & kAreaUser) {
    if (McsAreaAddress() == nullptr || VarSlots() == nullptr) return ShowBox(102);
    Take(&g_user);
  }
  if (mask & kAreaEactSide) {
    // The e-activity's own items of the strip application's folder wait
    // here while the strip's items take their place.
    g_side.clear();
    g_side_folder[0] = 0;
    char folder[9] = {};
    McsFolderRecord *record = nullptr;
    if (SysGlueStripFolder(folder) && McsFindFolder(folder, &record, nullptr) == 0) {
      PackFolder(record, "EACT1", &g_side);
      std::memcpy(g_side_folder, folder, 9);
      EmptyFolder(folder, "EACT1");
    }
  }
  if (mask & kAreaStrip) {
    // Without a current strip there is no strip data to keep.
    char folder[9] = {};
    if (SysGlueStripFolder(folder)) {
      if (u32 r = SaveStrip(folder)) return ShowBox(r);
    }
  }
  // The editor's state goes last when a strip is entered, after the strip
  // data steps that read the editor's current strip.
  if (mask & kAreaCarry) SysGlueEactCarry(1);
  if (mask & kAreaEactFile) {
    std::vector<u8> bytes;
    if (u32 r = McsWorkPackEact(&bytes)) return ShowBox(r);
    if (path == nullptr) return ShowBox(103);
    if (u32 r = WriteFileSafely(path, bytes)) return ShowBox(r);
  }
  return 0;
}

u32 SysRestoreAppAreas(u32 mask, const u16 *path) {
  if (mask & kAreaEactFile) {
    if (path == nullptr) return ShowBox(300);
    std::vector<u8> bytes;
    const u32 r = ReadFile(path, kEactFileLimit, &bytes);
    if (r == 1) {
      McsWorkEmptyEact();
    } else if (r != 0) {
      return ShowBox(r);
    } else if (u32 u = McsWorkUnpackEact(bytes.data(), static_cast<u32>(bytes.size()))) {
      return ShowBox(u);
    }
  }
  // Leaving a strip, the editor's state comes back first.
  if (mask & kAreaCarry) SysGlueEactCarry(0);
  if (mask & kAreaStrip) {
    char folder[9] = {};
    if (SysGlueStripFolder(folder)) {
      if (u32 r = RestoreStrip(folder)) return ShowBox(r);
    }
  }
  if (mask & kAreaEactSide) {
    if (g_side_folder[0] != 0) {
      std::vector<ItemRef> items;
      EmptyFolder(g_side_folder, "EACT1");
      if (ParseItems(g_side.data(), static_cast<u32>(g_side.size()), 0xFFFFFFFFu, 0, g_side_folder, &items))
        PlaceItems(g_side_folder, items, 0);
      g_side.clear();
      g_side_folder[0] = 0;
    }
  }
  if (mask & kAreaUser) {
    PutBack(&g_user);
    g_user.held = false;
    g_user.area.clear();
    g_user.area.shrink_to_fit();
  }
  return 0;
}

u32 SysEactFileWorkSize(const u16 *path) {
  std::vector<u8> bytes;
  McsWorkPackEact(&bytes);
  u32 size = static_cast<u32>(bytes.size());
  const i32 h = path != nullptr ? FileOpen(path) : -1;
  if (h < 0) {
    size += 96;
  } else {
    FileClose(h);
  }
  return size;
}
