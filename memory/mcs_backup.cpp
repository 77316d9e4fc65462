// Writing group and backup files, and reading them back into main memory.
#include <cstring>
#include <vector>

#include "kernel/task_glue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_group_internal.h"
#include "memory/mcs_store.h"
#include "number/real.h"
#include "storage/file.h"
#include "storage/wstr.h"

namespace {

constexpr char kMagic[8] = {'B', 'r', 'i', 'n', 'd', 'l', 'e', 'x'};
constexpr i32 kPathMax = 260;
// The name a file is written under until it is complete.
constexpr char kTempName[] = "_WRITE_.MCS";

constexpr u32 kProgHeader = 10;  // password, mode, zero; then the text

// ---- paths ---------------------------------------------------------------------

// Characters of a 16-bit path before its terminator, at most kPathMax - 1.
i32 PathLength(const u16 *p) {
  i32 n = 0;
  while (n < kPathMax - 1 && !WstrIsEnd(p[n])) ++n;
  return n;
}

// folder (a path ending in "\\" or a drive "C:"/"C:\\") joined with name.
bool JoinPath(const u16 *folder, const char *name, u16 *out) {
  i32 n = PathLength(folder);
  const i32 len = static_cast<i32>(std::strlen(name));
  if (n + len + 2 > kPathMax) return false;
  for (i32 i = 0; i < n; ++i) out[i] = folder[i];
  if (n > 0 && out[n - 1] != '\\') out[n++] = '\\';
  for (i32 i = 0; i < len; ++i) out[n + i] = static_cast<u8>(name[i]);
  out[n + len] = 0;
  return true;
}

// The folder part of a full path (through its last "\\").
bool FolderOf(const u16 *path, u16 *out) {
  const i32 n = PathLength(path);
  i32 cut = -1;
  for (i32 i = 0; i < n; ++i)
    if (path[i] == '\\') cut = i;
  if (cut < 0) return false;
  for (i32 i = 0; i <= cut; ++i) out[i] = path[i];
  out[cut + 1] = 0;
  return true;
}

bool FileExists(const u16 *path) {
  const i32 h = FileOpen(path);
  if (h < 0) return h == FlsErrNoSlot;  // storage: open elsewhere
  FileClose(h);
  return true;
}

// ---- numbers in the file's order -----------------------------------------------

void Put16(u8 *p, u16 v, bool host) {
  if (host) {
    p[0] = static_cast<u8>(v >> 8);
    p[1] = static_cast<u8>(v);
  } else {
    std::memcpy(p, &v, 2);
  }
}
void Put32(u8 *p, u32 v, bool host) {
  if (host) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<u8>(v >> (24 - 8 * i));
  } else {
    std::memcpy(p, &v, 4);
  }
}
u16 Get16(const u8 *p, bool host) {
  if (host) return static_cast<u16>(p[0] << 8 | p[1]);
  u16 v;
  std::memcpy(&v, p, 2);
  return v;
}
u32 Get32(const u8 *p, bool host) {
  if (host) return u32{p[0]} << 24 | u32{p[1]} << 16 | u32{p[2]} << 8 | p[3];
  u32 v;
  std::memcpy(&v, p, 4);
  return v;
}

// ---- the file being written --------------------------------------------------------
//
// The file is built in a buffer and written once, under a temporary name,
// when it is closed: a failure then leaves neither a partial file nor an
// old file deleted.

struct PendingFile {
  bool open = false;
  bool host = false;
  u32 replace = 0;
  i32 error = 0;
  u16 path[kPathMax] = {};
  std::vector<u8> bytes;
};

PendingFile g_file;
constexpr i32 kPendingHandle = 0x4D43;  // the one handle a group file gets

void AppendItems(const std::vector<McsGroupDesc> &items) {
  for (const McsGroupDesc &d : items) {
    u8 h[kMcsFileItemSize] = {};
    std::memcpy(h, d.folder, std::strlen(d.folder));
    std::memcpy(h + 8, d.name, std::strlen(d.name));
    h[16] = d.type;
    Put32(h + 17, d.size, g_file.host);
    g_file.bytes.insert(g_file.bytes.end(), h, h + kMcsFileItemSize);
    const size_t at = g_file.bytes.size();
    g_file.bytes.insert(g_file.bytes.end(), d.data, d.data + d.size);
    if (g_file.host) McsConvertItemData(g_file.bytes.data() + at, d.size, d.convert);
  }
  u8 *count = g_file.bytes.data() + 30;
  Put16(count, static_cast<u16>(Get16(count, g_file.host) + items.size()), g_file.host);
}

// Starts the pending file at path: 0, -13 when it exists and may not be
// replaced, or a path error.
i32 BeginFile(const u16 *path) {
  if (FileClassifyPath(path) < 0) return FlsErrWrongDevice;
  if (!g_file.replace && FileExists(path)) return FlsErrExists;
  g_file.open = true;
  g_file.error = 0;
  g_file.host = FileClassifyPath(path) == FileDeviceHost;
  WstrCopy(g_file.path, path);
  // The buffer keeps its room from one file to the next.
  g_file.bytes.assign(kMcsFileHeaderSize, 0);
  u8 *h = g_file.bytes.data();
  std::memcpy(h, kMagic, 8);
  h[8] = '1';
  h[10] = 0x10;
  return 0;
}

// Writes the whole buffer as a new file at path: 0 or negative; a failure
// removes what was made.
i32 WriteNewFile(const u16 *path, const std::vector<u8> &bytes) {
  const i32 size = static_cast<i32>(bytes.size());
  i32 r = FileCreate(path, size);
  if (r == FlsErrExists) {
    // Left behind by a write that never finished.
    FileDelete(path);
    r = FileCreate(path, size);
  }
  if (r < 0) return r;
  const i32 h = FileOpen(path);
  if (h < 0) {
    FileDelete(path);
    return h;
  }
  r = FileWriteAt(h, bytes.data(), size, 0);
  const i32 c = FileClose(h);
  if (r >= 0 && r != size) r = FlsErrShortIo;
  if (r >= 0 && c < 0) r = c;
  if (r < 0) {
    FileDelete(path);
    return r;
  }
  return 0;
}

i32 FinishFile() {
  if (!g_file.open) return FlsErrBadArg;
  g_file.open = false;
  const std::vector<u8> &bytes = g_file.bytes;
  if (g_file.error < 0) return g_file.error;
  u16 folder[kPathMax], temp[kPathMax];
  if (!FolderOf(g_file.path, folder) || !JoinPath(folder, kTempName, temp)) return FlsErrBadArg;
  i32 r = WriteNewFile(temp, bytes);
  if (r < 0) return r;
  r = FileReplace(temp, g_file.path);
  if (r < 0) FileDelete(temp);
  return r;
}

}  // namespace

// ---- writing ---------------------------------------------------------------------

u32 McsCountGroup(const char *group, const char *member, u32 *total) {
  std::vector<McsGroupDesc> items;
  if (!McsGroupCollect(group, member, &items)) return 0;
  for (const McsGroupDesc &d : items) *total += kMcsFileItemSize + d.size;
  return static_cast<u32>(items.size());
}

i32 McsWriteGroupFile(const u16 *folder, const char *group, const char *member, u32 count, u32 total,
                      u32 replace) {
  (void)count;
  (void)total;
  if (g_file.open) return FlsErrNoSlot;
  std::vector<McsGroupDesc> items;
  if (!McsGroupCollect(group, member, &items)) return -1;
  u16 path[kPathMax];
  if (!JoinPath(folder, items[0].file, path)) return FlsErrBadArg;
  g_file.replace = replace;
  const i32 r = BeginFile(path);
  if (r < 0) return r;
  AppendItems(items);
  return kPendingHandle;
}

i32 McsAppendGroupToFile(i32 handle, const char *group, const char *member) {
  if (handle != kPendingHandle || !g_file.open) return FlsErrBadArg;
  std::vector<McsGroupDesc> items;
  if (!McsGroupCollect(group, member, &items)) {
    if (g_file.error == 0) g_file.error = -1;
    return -1;
  }
  AppendItems(items);
  return 0;
}

i32 McsCloseGroupFile(i32 handle) {
  if (handle != kPendingHandle) return FlsErrBadArg;
  return FinishFile();
}

i32 McsSeekGroupItem(i32 handle, u32 item) {
  if (handle != kPendingHandle || !g_file.open) return -1;
  const std::vector<u8> &b = g_file.bytes;
  if (b.size() < kMcsFileHeaderSize || std::memcmp(b.data(), kMagic, 8) || b[8] != '1') return -1;
  const u32 count = Get16(b.data() + 30, g_file.host);
  if (item == 0xFFFF) item = count;
  u64 at = kMcsFileHeaderSize;
  for (u32 i = 0; i < item; ++i) {
    if (at + kMcsFileItemSize > b.size()) return -1;
    at += kMcsFileItemSize + Get32(b.data() + at + 17, g_file.host);
  }
  return at <= b.size() ? static_cast<i32>(at) : -1;
}

i32 McsCountAndWriteGroup(const u16 *folder, const char *group, const char *member, u32 replace) {
  u32 total = kMcsFileHeaderSize;
  const u32 count = McsCountGroup(group, member, &total);
  if (count == 0) return -1;
  const i32 h = McsWriteGroupFile(folder, group, member, count, total, replace);
  if (h < 0) return h;
  return McsCloseGroupFile(h);
}

i32 McsSaveBackup(const u16 *path, u32 replace) {
  if (g_file.open) return FlsErrNoSlot;
  SysGlueShowProgress(path, 0, 66);
  std::vector<std::vector<McsGroupDesc>> groups(kMcsGroupCount);
  for (u32 g = 0; g < kMcsGroupCount; ++g) {
    McsGroupCollect(McsGroupTitle(g), nullptr, &groups[g]);
    SysGlueShowProgress(path, static_cast<i32>(g + 1), 66);
  }
  g_file.replace = replace;
  i32 r = BeginFile(path);
  if (r < 0) {
    SysGlueCloseProgress();
    return r;
  }
  size_t total = kMcsFileHeaderSize;
  for (const auto &items : groups)
    for (const McsGroupDesc &d : items) total += kMcsFileItemSize + d.size;
  g_file.bytes.reserve(total);
  for (u32 g = 0; g < kMcsGroupCount; ++g) {
    AppendItems(groups[g]);
    SysGlueShowProgress(path, static_cast<i32>(22 + 2 * g), 66);
  }
  r = FinishFile();
  SysGlueShowProgress(path, 66, 66);
  SysGlueCloseProgress();
  return r;
}

// ---- reading -----------------------------------------------------------------------

namespace {

// An item of a checked file.
struct FileItem {
  char folder[9];
  char name[9];
  u8 type;
  u32 offset;  // of its data in the file bytes
  u32 size;
};

bool RealOk(const u8 *p) { return RealIsWellFormed(reinterpret_cast<const BcdReal *>(p)) != 0; }

// A scalar value as a variable holds it: no error, no list or matrix.
bool VariableOk(const u8 *v) {
  if ((v[0] >> 4) == 0xF || (v[12] >> 4) == 0xF) return false;
  BcdReal re;
  std::memcpy(&re, v, 12);
  re.b[0] &= 0x7F;
  const u8 kind = re.b[0] & 0x70;
  if (kind == 0x20 || kind == 0x30) return false;
  return RealIsWellFormed(&re) && RealOk(v + 12);
}

bool SetupOk(const u8 *s) {
  struct Range {
    u8 item, lo, hi;
  };
  static const Range kRanges[] = {
      {19, 0, 2},  {21, 1, 2},  {24, 0, 7},  {25, 0, 1},  {26, 0, 1},  {27, 0, 1},  {28, 0, 1},
      {29, 0, 1},  {30, 0, 1},  {32, 0, 1},  {33, 0, 1},  {35, 0, 1},  {37, 0, 1},  {38, 0, 1},
      {39, 0, 1},  {40, 0, 1},  {42, 0, 2},  {44, 0, 20}, {45, 0, 26}, {46, 1, 6},  {78, 0, 1},
      {79, 0, 1},  {80, 0, 1},  {81, 0, 1},  {83, 0, 1},  {84, 0, 1},  {85, 0, 1},  {86, 0, 3},
      {87, 0, 1},
  };
  for (const Range &r : kRanges)
    if (s[r.item] < r.lo || s[r.item] > r.hi) return false;
  switch (s[20]) {
    case 0: case 1: case 2: case 4: case 8: case 132: case 136: break;
    default: return false;
  }
  const u8 d = s[43];
  if (((d >> 4) & 7) > 3 || (d & 0x0F) > 9) return false;
  return true;
}

// A list item (in memory order): header count, size and elements agree.
bool ListOk(const u8 *d, u32 size) {
  if (size < 16) return false;
  u16 n, zero;
  std::memcpy(&n, d + 8, 2);
  std::memcpy(&zero, d + 10, 2);
  if (zero != 0 || n > 999) return false;
  if (size != 16u + 12u * n && size != 16u + 24u * n) return false;
  for (u32 at = 16; at < size; at += 12)
    if (!RealOk(d + at)) return false;
  return true;
}

bool MatrixOk(const u8 *d, u32 size) {
  if (size < 16) return false;
  u16 r, c;
  std::memcpy(&r, d + 8, 2);
  std::memcpy(&c, d + 10, 2);
  if (r == 0 || c == 0 || r > 255 || c > 255) return false;
  const u32 n = u32{r} * c;
  if (size != 16 + 12 * n && size != 16 + 24 * n) return false;
  for (u32 at = 16; at < size; at += 12)
    if (!RealOk(d + at)) return false;
  return true;
}

// A program: the header, then a text that ends inside the item.
bool ProgramOk(const u8 *d, u32 size) {
  if (size <= kProgHeader || d[9] != 0) return false;
  return std::memchr(d + kProgHeader, 0, size - kProgHeader) != nullptr;
}

// Checks the whole file (its data already in memory order): -34 for any
// fault, else 0 with the items.
i32 CheckFile(std::vector<u8> &bytes, bool host, std::vector<FileItem> *items) {
  const u64 len = bytes.size();
  if (len < kMcsFileHeaderSize || std::memcmp(bytes.data(), kMagic, 8) || bytes[8] != '1') return FlsErrNotFile;
  const u32 count = Get16(bytes.data() + 30, host);
  if (count == 0) return FlsErrNotFile;
  u64 at = kMcsFileHeaderSize;
  for (u32 i = 0; i < count; ++i) {
    if (at + kMcsFileItemSize > len) return FlsErrNotFile;
    const u8 *h = bytes.data() + at;
    FileItem it{};
    if (!McsNameFieldOk(h, it.folder) || !McsNameFieldOk(h + 8, it.name)) return FlsErrNotFile;
    it.type = h[16];
    it.size = Get32(h + 17, host);
    it.offset = static_cast<u32>(at + kMcsFileItemSize);
    if (u64{it.offset} + it.size > len) return FlsErrNotFile;
    u8 *data = bytes.data() + it.offset;
    const u32 special = McsGroupSpecial(it.folder, it.name);
    if (special == kMcsSpecialAlphaMem) {
      if (it.size != kMcsAlphaMemSize) return FlsErrNotFile;
      if (host) McsConvertItemDataFromHost(data, it.size, 1);
      for (u32 v = 0; v < kMcsVarSlotCount; ++v)
        if (!VariableOk(data + 24 * v)) return FlsErrNotFile;
    } else if (special == kMcsSpecialSetup) {
      if (it.size != kMcsSetupSize || !SetupOk(data)) return FlsErrNotFile;
    } else if (special == kMcsSpecialAppName) {
      if (it.size != kMcsAppNameSize || !std::memchr(data, 0, kMcsAppNameSize)) return FlsErrNotFile;
    } else if (special == kMcsSpecialNone) {
      if (it.folder[0] == '$' || it.type == 0 || it.size == 0 || it.size % 4 || it.size > kMcsAreaSize)
        return FlsErrNotFile;
      const u16 code = McsItemConvertCode(it.type, it.folder, it.name);
      if (host) McsConvertItemDataFromHost(data, it.size, code);
      if (code == 10 && !ListOk(data, it.size)) return FlsErrNotFile;
      if (code == 19 && !MatrixOk(data, it.size)) return FlsErrNotFile;
      if (!std::strcmp(it.folder, "system") && !ProgramOk(data, it.size)) return FlsErrNotFile;
    }
    items->push_back(it);
    at = u64{it.offset} + it.size;
  }
  if (at != len) return FlsErrNotFile;
  return 0;
}

i32 ReadWholeFile(const u16 *path, std::vector<u8> *out) {
  const i32 h = FileOpen(path);
  if (h < 0) return h;
  i32 r = 0;
  if (FileHandleDevice(h) == FileDeviceStorage) {
    const i32 size = FileGetSize(h);
    if (size < 0) r = size;
    else if (static_cast<u32>(size) > kMcsFileMax) r = FlsErrNotFile;
    else {
      out->resize(static_cast<size_t>(size));
      if (size > 0) {
        const i32 n = FileRead(h, out->data(), size, 0);
        if (n != size) r = n < 0 ? n : FlsErrShortIo;
      }
    }
  } else {
    constexpr i32 kChunk = 65536;
    for (;;) {
      const size_t at = out->size();
      if (at > kMcsFileMax) {
        r = FlsErrNotFile;
        break;
      }
      out->resize(at + kChunk);
      const i32 n = FileRead(h, out->data() + at, kChunk, static_cast<i32>(at));
      if (n < 0) {
        r = n;
        break;
      }
      out->resize(at + static_cast<size_t>(n));
      if (n == 0) break;
    }
  }
  FileClose(h);
  return r;
}

// Main memory, the variables and SET UP as they were before a restore.
struct Snapshot {
  std::vector<u8> area;
  u8 vars[kMcsAlphaMemSize];
  u8 setup[kMcsSetupSize];
};

Value *VarSlots() {
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  return slots;
}

void TakeSnapshot(Snapshot *s) {
  s->area.resize(kMcsAreaSize);
  std::memcpy(s->area.data(), McsAreaAddress(), kMcsAreaSize);
  std::memcpy(s->vars, VarSlots(), kMcsAlphaMemSize);
  std::memcpy(s->setup, SysGlueSetupArray(), kMcsSetupSize);
}

void PutBack(const Snapshot &s) {
  std::memcpy(McsAreaAddress(), s.area.data(), kMcsAreaSize);
  McsNoteAreaRewritten();
  std::memcpy(VarSlots(), s.vars, kMcsAlphaMemSize);
  std::memcpy(SysGlueSetupArray(), s.setup, kMcsSetupSize);
}

// Puts one store item in place: the folder made when missing, an item of
// that name replaced. 0 or the store's code.
u32 PlaceItem(const FileItem &it, const u8 *data) {
  if (McsFindFolder(it.folder, nullptr, nullptr) != 0) {
    if (u32 r = McsCreateFolder(it.folder)) return r;
  }
  if (McsFindItem(it.folder, it.name, nullptr, nullptr, nullptr, nullptr) == 0) {
    if (u32 r = McsDeleteItem(it.folder, it.name)) return r;
  }
  return McsCreateItem(it.folder, it.name, it.type, it.size, data);
}

}  // namespace

namespace {

// Buffers kept from one restore to the next (calculator thread only), so a
// restore does not fault in fresh pages each time.
std::vector<u8> g_read;
Snapshot g_snapshot;

// Checks the file bytes (converted in place) and applies them.
i32 RestoreInPlace(std::vector<u8> &file, u32 host) {
  std::vector<FileItem> items;
  if (i32 r = CheckFile(file, host != 0, &items)) return r;
  Snapshot &snap = g_snapshot;
  TakeSnapshot(&snap);
  const i32 total = static_cast<i32>(items.size());
  i32 result = 0;
  for (i32 i = 0; i < total && result == 0; ++i) {
    const FileItem &it = items[static_cast<size_t>(i)];
    const u8 *data = file.data() + it.offset;
    switch (McsGroupSpecial(it.folder, it.name)) {
      case kMcsSpecialAlphaMem:
        std::memcpy(VarSlots(), data, kMcsAlphaMemSize);
        break;
      case kMcsSpecialSetup:
        std::memcpy(SysGlueSetupArray(), data, kMcsSetupSize);
        break;
      case kMcsSpecialNone:
        if (PlaceItem(it, data) != 0) result = FlsErrFull;
        break;
      default:
        // The application name is the running application's own; other
        // "$GLOBAL" items stand for nothing here.
        break;
    }
    SysGlueShowProgress(nullptr, i + 1, total);
  }
  u8 folder_index = 0;
  if (result == 0 && McsCheckArea(&folder_index) != 0) result = FlsErrFull;
  if (result != 0) PutBack(snap);
  return result;
}

}  // namespace

i32 McsRestoreFromBytes(const u8 *bytes, u32 length, u32 host) {
  if (!bytes || length > kMcsFileMax || !McsAreaAddress() || !VarSlots()) return FlsErrNotFile;
  std::vector<u8> file(bytes, bytes + length);
  return RestoreInPlace(file, host);
}

i32 McsRestoreBackup(const u16 *path) {
  if (!path) return FlsErrBadArg;
  SysGlueBusyStart();
  if (!McsAreaAddress() || !VarSlots()) return FlsErrNotFile;
  g_read.clear();
  i32 r = ReadWholeFile(path, &g_read);
  if (r == 0) {
    SysGlueShowProgress(path, 0, 1);
    r = RestoreInPlace(g_read, FileClassifyPath(path) == FileDeviceHost);
    SysGlueCloseProgress();
  }
  return r;
}

bool McsSetupBytesOk(const u8 *setup) { return SetupOk(setup); }

bool McsNameFieldOk(const u8 *p, char out[9]) {
  u32 n = 0;
  while (n < 8 && p[n]) ++n;
  if (n == 0) return false;
  for (u32 i = 0; i < n; ++i)
    if (p[i] < 0x20 || p[i] == 0x7F || p[i] == 0xFF) return false;
  for (u32 i = n; i < 8; ++i)
    if (p[i]) return false;
  std::memcpy(out, p, 8);
  out[8] = 0;
  return true;
}

bool McsVariableBytesOk(const u8 *slot) { return VariableOk(slot); }

bool McsItemBytesOk(const char *folder, const char *name, u8 type, const u8 *data, u32 size) {
  if (type == 0 || size == 0 || size % 4 || size > kMcsAreaSize) return false;
  const u16 code = McsItemConvertCode(type, folder, name);
  if (code == 10 && !ListOk(data, size)) return false;
  if (code == 19 && !MatrixOk(data, size)) return false;
  if (!std::strcmp(folder, "system") && !ProgramOk(data, size)) return false;
  return true;
}
