// The main-memory item store.
#include "memory/mcs_store.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr u32 kAreaEnd = kMcsAreaSize;

// The change count (McsChangeCount). Only the calculator thread changes the
// store; the count is atomic all the same, so that a reader elsewhere never
// races with it.
std::atomic<u64> g_changeCount{1};

void AdvanceChangeCount() { g_changeCount.store(g_changeCount.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }

u8 *Area() { return CalcRamArea(); }
McsAreaHeader *Hdr() { return reinterpret_cast<McsAreaHeader *>(Area()); }
u32 Addr(u32 off) { return kMcsAreaAddr + off; }
u32 Off(u32 addr) { return addr - kMcsAreaAddr; }

McsFolderRecord *Folder(u32 index) {
  return reinterpret_cast<McsFolderRecord *>(Area() + 2592 - (index - 1) * 16);
}
u32 FolderIndexOfOffset(u32 off) { return (2592 - off) / 16 + 1; }
u32 BlockOff(u32 index) { return Off(Folder(index)->block); }
u32 FolderEnd(u32 index) { return index == 1 ? Off(Hdr()->data_top) : BlockOff(index - 1); }
McsItemRecord *Item(u32 index, u32 pos) {
  return reinterpret_cast<McsItemRecord *>(Area() + BlockOff(index) + 20 * pos);
}
u8 *ItemData(u32 index, u32 pos) { return Area() + BlockOff(index) + Item(index, pos)->offset; }
McsBlockEntry *Entry(u32 off) { return reinterpret_cast<McsBlockEntry *>(Area() + off); }

u32 FreeBytes() { return Hdr()->block_bottom - Hdr()->data_top; }
bool Fits(u64 need) { return need <= FreeBytes(); }

// The one routine every shift of the store goes through: a move that copies
// from the far end when moving up and from the near end when moving down,
// carrying the tracked address along when it lies in the moved range.
void MoveBytes(u32 from, u32 to, u32 len) {
  if (len == 0 || from == to) return;
  std::memmove(Area() + to, Area() + from, len);
  McsAreaHeader *h = Hdr();
  if (h->tracked >= Addr(from) && h->tracked - Addr(from) < len) h->tracked += to - from;
}

// Opens n bytes at x inside folder `index`'s block: everything from x to the
// data top moves up, and so do the blocks of every higher folder.
void ShiftUp(u32 index, u32 x, u32 n) {
  McsAreaHeader *h = Hdr();
  MoveBytes(x, x + n, Off(h->data_top) - x);
  h->data_top += n;
  for (u32 i = 1; i < index; ++i) Folder(i)->block += n;
}

// Closes the n bytes at x inside folder `index`'s block.
void ShiftDown(u32 index, u32 x, u32 n) {
  McsAreaHeader *h = Hdr();
  MoveBytes(x + n, x, Off(h->data_top) - (x + n));
  h->data_top -= n;
  for (u32 i = 1; i < index; ++i) Folder(i)->block -= n;
}

void Name8(const char *text, char out[8]) {
  std::memset(out, 0, 8);
  for (u32 i = 0; i < 8 && text[i]; ++i) out[i] = text[i];
}

u64 Word8(const char *p) {
  u64 w;
  std::memcpy(&w, p, 8);
  return w;
}

// An 8-byte name as a number that sorts as its bytes do, unsigned.
u64 SortKey(const char *p) { return __builtin_bswap64(Word8(p)); }

// Folder index of an 8-byte name, 0 when absent.
u32 FindFolder8(const char name[8]) {
  const u64 want = Word8(name);
  for (u32 i = 1; i <= kMcsFolderCount; ++i)
    if (Word8(Folder(i)->name) == want) return i;
  return 0;
}

// Binary search of folder `index` for an 8-byte name: true and its position,
// or false and the position where it would go.
bool SearchItem(u32 index, const char name[8], u32 *pos) {
  const McsItemRecord *items = Item(index, 0);
  const u64 want = SortKey(name);
  i32 low = 0, high = static_cast<i32>(Folder(index)->count) - 1;
  while (low <= high) {
    const i32 probe = (low + high) / 2;
    const u64 have = SortKey(items[probe].name);
    if (want == have) {
      *pos = static_cast<u32>(probe);
      return true;
    }
    if (want > have)
      low = probe + 1;
    else
      high = probe - 1;
  }
  *pos = static_cast<u32>(low);
  return false;
}

// A folder looked up by name, and an item in it.
struct Where {
  u32 folder;    // folder index
  u32 pos;       // item position (or insertion point)
  bool found;    // the item exists
  char name[8];  // the item's 8-byte name
};

u32 LocateFolder(const char *folder, u32 *index) {
  if (!Area()) return kMcsInconsistent;
  char f[8];
  if (McsNormaliseName(folder, 2, f)) return kMcsEmptyName;
  *index = FindFolder8(f);
  return *index ? 0 : kMcsNoFolder;
}

u32 Locate(const char *folder, const char *name, Where *w) {
  if (!Area()) return kMcsInconsistent;
  char f[8];
  if (McsNormaliseName(folder, 2, f) || McsNormaliseName(name, 2, w->name)) return kMcsEmptyName;
  w->folder = FindFolder8(f);
  if (!w->folder) return kMcsNoFolder;
  w->found = SearchItem(w->folder, w->name, &w->pos);
  return 0;
}

u32 LocateItem(const char *folder, const char *name, Where *w) {
  if (u32 r = Locate(folder, name, w)) return r;
  return w->found ? 0 : kMcsNoItem;
}

u32 FlagError(const McsItemRecord *r) { return McsFlagError(r->flags); }

void FillFrom(u8 *dst, u32 n, const void *src, u32 src_count) {
  if (src_count > n) src_count = n;
  if (src && src_count) std::memcpy(dst, src, src_count);
  else src_count = 0;
  std::memset(dst + src_count, 0, n - src_count);
}

// Opens n bytes at `at` inside item `pos` of folder `index`.
void OpenInItem(u32 index, u32 pos, u32 at, u32 n) {
  McsItemRecord *r = Item(index, pos);
  ShiftUp(index, BlockOff(index) + r->offset + at, n);
  r = Item(index, pos);
  r->size += n;
  for (u32 j = pos + 1, count = Folder(index)->count; j < count; ++j) r[j - pos].offset += n;
}

void CloseInItem(u32 index, u32 pos, u32 at, u32 n) {
  McsItemRecord *r = Item(index, pos);
  ShiftDown(index, BlockOff(index) + r->offset + at, n);
  r = Item(index, pos);
  r->size -= n;
  for (u32 j = pos + 1, count = Folder(index)->count; j < count; ++j) r[j - pos].offset -= n;
}

// Adds a record and size data bytes at position pos of folder `index`;
// the caller has checked the room.
void AddItem(u32 index, u32 pos, const char name[8], u8 type, u32 size) {
  McsFolderRecord *f = Folder(index);
  const u32 count = f->count;
  const u32 block = BlockOff(index);
  const u32 data_at = pos < count ? block + Item(index, pos)->offset : FolderEnd(index);
  const u32 rec_at = block + 20 * pos;
  ShiftUp(index, data_at, size + 20);
  MoveBytes(rec_at, rec_at + 20, data_at - rec_at);
  f->count = static_cast<u16>(count + 1);
  McsItemRecord *items = Item(index, 0);
  for (u32 j = 0; j < pos; ++j) items[j].offset += 20;
  for (u32 j = pos + 1; j <= count; ++j) items[j].offset += size + 20;
  McsItemRecord *r = &items[pos];
  std::memcpy(r->name, name, 8);
  r->offset = data_at + 20 - block;
  r->size = size;
  r->type = type;
  r->flags = 0;
  r->zero = 0;
  r->folder = static_cast<u8>(index);
}

void RemoveItem(u32 index, u32 pos) {
  McsFolderRecord *f = Folder(index);
  const u32 count = f->count;
  const u32 block = BlockOff(index);
  const u32 rec_at = block + 20 * pos;
  const u32 data_at = block + Item(index, pos)->offset;
  const u32 size = Item(index, pos)->size;
  MoveBytes(rec_at + 20, rec_at, data_at - (rec_at + 20));
  ShiftDown(index, data_at - 20, size + 20);
  f->count = static_cast<u16>(count - 1);
  McsItemRecord *items = Item(index, 0);
  for (u32 j = 0; j < pos; ++j) items[j].offset -= 20;
  for (u32 j = pos; j + 1 < count; ++j) items[j].offset -= size + 20;
}

u32 CreateAt(const Where &w, u8 type, u32 size, const void *src, u32 src_count) {
  if (size == 0 || size % 4) return kMcsBadSize;
  if (src_count > size) src_count = size;
  if (w.found) {
    McsItemRecord *r = Item(w.folder, w.pos);
    if (u32 e = FlagError(r)) return e;
    if (r->type & 0x40) return kMcsTypeFixed;
    const u32 old = r->size;
    if (size > old && !Fits(size - old)) return kMcsNoRoomInsert;
    u8 *staged = McsStageSource(src, src_count);
    if (staged) src = staged;
    McsMarkAllChanged();
    if (size > old) OpenInItem(w.folder, w.pos, 0, size - old);
    if (size < old) CloseInItem(w.folder, w.pos, 0, old - size);
    Item(w.folder, w.pos)->type = type;
    FillFrom(ItemData(w.folder, w.pos), size, src, src_count);
    std::free(staged);
    return 0;
  }
  if (!Fits(u64{size} + 20)) return kMcsNoRoom;
  if (Folder(w.folder)->count >= 65535) return kMcsFolderFull;
  u8 *staged = McsStageSource(src, src_count);
  if (staged) src = staged;
  McsMarkAllChanged();
  AddItem(w.folder, w.pos, w.name, type, size);
  FillFrom(ItemData(w.folder, w.pos), size, src, src_count);
  std::free(staged);
  return 0;
}

u32 SetFlagBits(const char *folder, const char *name, u8 bits, bool on, bool refuse_protected) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  McsItemRecord *r = Item(w.folder, w.pos);
  if (refuse_protected && (r->flags & (kMcsProtected | kMcsMarked))) return kMcsProtectedItem;
  r->flags = static_cast<u8>(on ? r->flags | bits : r->flags & ~bits);
  return 0;
}

bool ValidEntry(u32 handle, u32 *off) {
  if (handle < kMcsAreaAddr) return false;
  const u32 o = Off(handle);
  if (o > kMcsTableTop || o < Off(Hdr()->table_bottom) || (kMcsTableTop - o) % 8) return false;
  *off = o;
  return true;
}

// Adds d to the address of every used entry whose block lies at or below
// `limit` (an area offset).
void AdjustBlocksBelow(u32 limit, u32 d) {
  for (u32 e = Off(Hdr()->table_bottom); e <= kMcsTableTop && e < kAreaEnd; e += 8) {
    McsBlockEntry *x = Entry(e);
    if (x->addr && Off(x->addr) <= limit) x->addr += d;
  }
}

}  // namespace

u8 *McsAreaAddress() { return Area(); }

u32 McsFlagError(u8 flags) {
  if (flags & kMcsReadOnly) return kMcsReadOnlyItem;
  if (flags & (kMcsProtected | kMcsMarked)) return kMcsProtectedItem;
  return 0;
}

u8 *McsStageSource(const void *src, u32 n) {
  if (!src || !McsInArea(src, n)) return nullptr;
  u8 *copy = static_cast<u8 *>(std::malloc(n ? n : 1));
  if (copy) std::memcpy(copy, src, n);
  return copy;
}
McsAreaHeader *McsHeader() { return Hdr(); }

bool McsInArea(const void *p, u32 n) {
  if (!Area() || !p) return false;
  const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(Area());
  const std::uintptr_t q = reinterpret_cast<std::uintptr_t>(p);
  return q < a + kAreaEnd && q + (n ? n : 1) > a;
}

u32 McsNormaliseName(const char *text, u32 mode, char out[8]) {
  if (!text || !text[0]) return kMcsEmptyName;
  Name8(text, out);
  for (u32 i = 0; i < 8; ++i) {
    const u8 c = static_cast<u8>(out[i]);
    if (mode == 0 && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
    if (mode == 1 && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
  }
  return 0;
}

u32 McsFindItem(const char *folder, const char *name, u8 *type, McsItemRecord **record, u8 **data, u32 *size) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  McsItemRecord *r = Item(w.folder, w.pos);
  if (type) *type = r->type;
  if (record) *record = r;
  if (data) *data = ItemData(w.folder, w.pos);
  if (size) *size = r->size;
  return 0;
}

u32 McsFindItemPlace(const char *folder, const char *name, McsItemPlace *place, u8 *type, McsItemRecord **record,
                     u8 **data, u32 *size) {
  *place = McsItemPlace{};
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  McsItemRecord *r = Item(w.folder, w.pos);
  place->count = g_changeCount.load(std::memory_order_relaxed);
  place->folder = w.folder;
  place->pos = w.pos;
  std::memcpy(place->name, w.name, 8);
  if (type) *type = r->type;
  if (record) *record = r;
  if (data) *data = ItemData(w.folder, w.pos);
  if (size) *size = r->size;
  return 0;
}

McsItemRecord *McsItemAt(const McsItemPlace *place, u8 **data) {
  u8 *area = Area();
  if (place->count != g_changeCount.load(std::memory_order_relaxed) || area == nullptr) return nullptr;
  // The record itself is checked as well: the place holds even against a
  // writer of the area that did not advance the count.
  if (place->folder < 1 || place->folder > kMcsFolderCount) return nullptr;
  const McsFolderRecord *f = reinterpret_cast<const McsFolderRecord *>(area + 2592 - (place->folder - 1) * 16);
  if (place->pos >= f->count) return nullptr;
  const u32 block = Off(f->block);
  if (u64{block} + 20 * (u64{place->pos} + 1) > kAreaEnd) return nullptr;
  auto *r = reinterpret_cast<McsItemRecord *>(area + block + 20 * place->pos);
  if (Word8(r->name) != Word8(place->name) || r->folder != place->folder) return nullptr;
  if (u64{block} + r->offset + r->size > kAreaEnd) return nullptr;
  *data = area + block + r->offset;
  return r;
}

u32 McsCreateItem(const char *folder, const char *name, u8 type, u32 size, const void *src) {
  return McsCreateItemFrom(folder, name, type, size, src, size);
}

u32 McsCreateItemFrom(const char *folder, const char *name, u8 type, u32 size, const void *src, u32 src_count) {
  Where w;
  if (u32 r = Locate(folder, name, &w)) return r;
  return CreateAt(w, type, size, src, src_count);
}

u32 McsDeleteItem(const char *folder, const char *name) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  if (u32 e = FlagError(Item(w.folder, w.pos))) return e;
  McsMarkAllChanged();
  RemoveItem(w.folder, w.pos);
  return 0;
}

u32 McsInsertBytesFrom(const char *folder, const char *name, u32 offset, u32 count, const void *src, u32 src_count) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  if (count % 4) return kMcsBadSize;
  if (count == 0) return 0;
  McsItemRecord *r = Item(w.folder, w.pos);
  if (u32 e = FlagError(r)) return e;
  if (!Fits(count)) return kMcsNoRoomInsert;
  if (offset > r->size) return kMcsInsertBeyond;
  if (src_count > count) src_count = count;
  u8 *staged = McsStageSource(src, src_count);
  if (staged) src = staged;
  McsMarkAllChanged();
  OpenInItem(w.folder, w.pos, offset, count);
  FillFrom(ItemData(w.folder, w.pos) + offset, count, src, src_count);
  std::free(staged);
  return 0;
}

u32 McsInsertBytes(const char *folder, const char *name, u32 offset, u32 count, const void *src) {
  return McsInsertBytesFrom(folder, name, offset, count, src, count);
}

u32 McsInsertFill(const char *folder, const char *name, u32 offset, u32 count, u8 fill) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  if (u32 r = McsInsertBytesFrom(folder, name, offset, count, nullptr, 0)) return r;
  if (count) std::memset(ItemData(w.folder, w.pos) + offset, fill, count);
  return 0;
}

u32 McsWriteBytes(const char *folder, const char *name, u32 offset, u32 count, const void *src) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  const McsItemRecord *r = Item(w.folder, w.pos);
  if (u32 e = FlagError(r)) return e;
  if (count > r->size) return kMcsWriteTooBig;
  if (offset >= r->size) return kMcsWriteOffset;
  if (u64{offset} + count > r->size) return kMcsWritePastEnd;
  McsMarkChangedInPlace();
  u8 *dst = ItemData(w.folder, w.pos) + offset;
  if (src)
    std::memmove(dst, src, count);
  else
    std::memset(dst, 0, count);
  return 0;
}

u32 McsCutBytes(const char *folder, const char *name, u32 offset, u32 count) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  if (count % 4) return kMcsCutBadCount;
  const McsItemRecord *r = Item(w.folder, w.pos);
  if (u32 e = FlagError(r)) return e;
  if (offset > r->size) return kMcsCutOffset;
  if (u64{offset} + count > r->size) return kMcsCutPastEnd;
  if (count == 0) return 0;
  McsMarkAllChanged();
  if (offset == 0 && count == r->size)
    RemoveItem(w.folder, w.pos);
  else
    CloseInItem(w.folder, w.pos, offset, count);
  return 0;
}

u32 McsReadBytes(const char *folder, const char *name, u32 offset, u32 count, void *dst) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  const McsItemRecord *r = Item(w.folder, w.pos);
  if (r->flags & kMcsProtected) return kMcsProtectedItem;
  if (count > r->size) return kMcsReadTooBig;
  if (offset >= r->size) return kMcsReadOffset;
  if (u64{offset} + count > r->size) return kMcsReadPastEnd;
  if (count) std::memcpy(dst, ItemData(w.folder, w.pos) + offset, count);
  return 0;
}

u32 McsCopyItem(const char *src_folder, const char *src_name, const char *dst_folder, const char *dst_name) {
  Where s, t;
  if (u32 r = LocateItem(src_folder, src_name, &s)) return r;
  const McsItemRecord *r = Item(s.folder, s.pos);
  if (r->flags & (kMcsProtected | kMcsMarked)) return kMcsProtectedItem;
  if (u32 e = Locate(dst_folder, dst_name, &t)) return e;
  // Copying an item onto itself leaves it as it is.
  if (t.folder == s.folder && t.found && t.pos == s.pos) return 0;
  const u8 type = r->type;
  const u32 size = r->size;
  if (u32 e = CreateAt(t, type, size, nullptr, 0)) return e;
  // The create moved data: look both items up again.
  Where s2, t2;
  LocateItem(src_folder, src_name, &s2);
  LocateItem(dst_folder, dst_name, &t2);
  std::memcpy(ItemData(t2.folder, t2.pos), ItemData(s2.folder, s2.pos), size);
  return 0;
}

u32 McsMoveItem(const char *folder, const char *name, const char *dst_folder, const char *dst_name) {
  Where s, t;
  if (u32 r = LocateItem(folder, name, &s)) return r;
  const McsItemRecord *r = Item(s.folder, s.pos);
  if (u32 e = FlagError(r)) return e;
  if (u32 e = Locate(dst_folder, dst_name, &t)) return e;
  if (t.folder == s.folder && t.found && t.pos == s.pos) return 0;
  if (!Fits(u64{r->size} + 20)) return kMcsNoRoomMove;
  if (u32 e = McsCopyItem(folder, name, dst_folder, dst_name)) return e;
  return McsDeleteItem(folder, name);
}

u32 McsRenameItem(const char *folder, const char *old_name, const char *new_name) {
  Where s, t;
  if (u32 r = LocateItem(folder, old_name, &s)) return r;
  const McsItemRecord *r = Item(s.folder, s.pos);
  if (u32 e = FlagError(r)) return e;
  if (u32 e = Locate(folder, new_name, &t)) return e;
  if (t.found) return kMcsNameTaken;
  // The item is copied under its new name in its own folder and the old one
  // deleted: every check is done before the first byte moves, so a failure
  // leaves the item where and as it was.
  if (!Fits(u64{r->size} + 20)) return kMcsNoRoomMove;
  const u8 flags = r->flags;
  McsCopyItem(folder, old_name, folder, new_name);
  McsDeleteItem(folder, old_name);
  Where n;
  LocateItem(folder, new_name, &n);
  Item(n.folder, n.pos)->flags = flags;
  return 0;
}

u32 McsSetItemFlags(const char *folder, const char *name, u8 flags) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  Item(w.folder, w.pos)->flags = flags;
  return 0;
}

u32 McsGetItemFlags(const char *folder, const char *name, u8 *flags) {
  Where w;
  if (u32 r = LocateItem(folder, name, &w)) return r;
  *flags = Item(w.folder, w.pos)->flags;
  return 0;
}

u32 McsLockItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsReadOnly, true, true); }
u32 McsUnlockItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsReadOnly, false, true); }
u32 McsProtectItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsProtected, true, false); }
u32 McsUnprotectItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsProtected, false, false); }
u32 McsMarkItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsMarked, true, false); }
u32 McsUnmarkItem(const char *folder, const char *name) { return SetFlagBits(folder, name, kMcsMarked, false, false); }

void McsClearAllMarks() {
  if (!Area()) return;
  for (u32 i = 1; i <= kMcsFolderCount; ++i)
    for (u32 j = 0; j < Folder(i)->count; ++j) Item(i, j)->flags &= static_cast<u8>(~kMcsMarked);
}

u32 McsFindNearest(const char *folder, const char *prefix, u32 n, char out[9]) {
  u32 index;
  if (u32 r = LocateFolder(folder, &index)) return r;
  char p[8] = {};
  if (prefix) Name8(prefix, p);
  if (n > 8) n = 8;
  const i32 count = Folder(index)->count;
  if (count == 0) return kMcsNoItem;
  i32 low = 0, high = count - 1, probe = 0;
  while (low <= high) {
    probe = (low + high) / 2;
    const int c = std::memcmp(p, Item(index, probe)->name, n);
    if (c == 0) break;
    if (c > 0)
      low = probe + 1;
    else
      high = probe - 1;
  }
  std::memcpy(out, Item(index, probe)->name, 8);
  out[8] = 0;
  return 0;
}

u32 McsFindPrefix(const char *folder, const char *prefix, u32 n, McsItemRecord **record) {
  u32 index;
  if (u32 r = LocateFolder(folder, &index)) return r;
  char p[8] = {};
  if (prefix) Name8(prefix, p);
  if (n > 8) n = 8;
  // Records are sorted, so the matches form one run: find its start.
  u32 low = 0, high = Folder(index)->count;
  while (low < high) {
    const u32 mid = (low + high) / 2;
    if (std::memcmp(Item(index, mid)->name, p, n) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  if (low >= Folder(index)->count || std::memcmp(Item(index, low)->name, p, n) != 0) return kMcsNoItem;
  if (record) *record = Item(index, low);
  return 0;
}

u32 McsFindFolder(const char *name, McsFolderRecord **record, u8 *index) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  if (record) *record = Folder(i);
  if (index) *index = static_cast<u8>(i);
  return 0;
}

u32 McsCreateFolder(const char *name) {
  char f[8];
  if (!Area()) return kMcsInconsistent;
  if (McsNormaliseName(name, 2, f)) return kMcsEmptyName;
  if (FindFolder8(f)) return kMcsFolderExists;
  for (u32 i = 3; i <= 102; ++i) {
    McsFolderRecord *r = Folder(i);
    static const char kFree[8] = {};
    if (std::memcmp(r->name, kFree, 8) != 0) continue;
    McsMarkAllChanged();
    std::memcpy(r->name, f, 8);
    r->flags = 0;
    r->zero = 0;
    return 0;
  }
  return kMcsNoFolderSlot;
}

u32 McsDeleteFolder(const char *name) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  McsFolderRecord *r = Folder(i);
  if (i < 3 || i > 102) return kMcsFolderFixed;
  if (r->flags & 1) return kMcsFolderLocked;
  if (r->count) return kMcsFolderNotEmpty;
  if (Hdr()->current == Addr(2592 - (i - 1) * 16)) return kMcsFolderCurrent;
  if (r->block != Folder(i - 1)->block) return kMcsInconsistent;
  McsMarkAllChanged();
  std::memset(r->name, 0, 8);
  r->flags = 0;
  r->zero = 0;
  return 0;
}

u32 McsRenameFolder(const char *old_name, const char *new_name) {
  u32 i;
  if (u32 r = LocateFolder(old_name, &i)) return r;
  McsFolderRecord *r = Folder(i);
  if (i < 3 || i > 102) return kMcsFolderFixed;
  if (r->flags & 1) return kMcsFolderLocked;
  char f[8];
  if (McsNormaliseName(new_name, 2, f)) return kMcsEmptyName;
  if (FindFolder8(f)) return kMcsFolderExists;
  for (u32 j = 0; j < r->count; ++j)
    if (Item(i, j)->flags & (kMcsProtected | kMcsMarked)) return kMcsFolderHasProtected;
  McsMarkAllChanged();
  std::memcpy(r->name, f, 8);
  return 0;
}

u32 McsSelectFolder(const char *name) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  if (i == 1 || i > 102) return kMcsFolderFixed;
  McsMarkAllChanged();
  Hdr()->current = Addr(2592 - (i - 1) * 16);
  return 0;
}

u32 McsSetFolderFlags(const char *name, u8 flags) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  Folder(i)->flags = flags;
  return 0;
}

u32 McsGetFolderFlags(const char *name, u8 *flags) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  *flags = Folder(i)->flags;
  return 0;
}

static u32 LockFolder(const char *name, bool on) {
  u32 i;
  if (u32 r = LocateFolder(name, &i)) return r;
  McsFolderRecord *f = Folder(i);
  f->flags = static_cast<u8>(on ? f->flags | 1 : f->flags & ~1);
  for (u32 j = 0; j < f->count; ++j) {
    McsItemRecord *r = Item(i, j);
    r->flags = static_cast<u8>(on ? r->flags | kMcsReadOnly : r->flags & ~kMcsReadOnly);
  }
  return 0;
}

u32 McsLockFolder(const char *name) { return LockFolder(name, true); }
u32 McsUnlockFolder(const char *name) { return LockFolder(name, false); }

u32 McsFolderByIndex(u32 index, McsFolderRecord **record) {
  if (!Area()) return kMcsInconsistent;
  if (index < 1 || index > kMcsFolderCount) return kMcsBadFolderIndex;
  if (record) *record = Folder(index);
  return 0;
}

McsItemRecord *McsFolderItems(const McsFolderRecord *folder) {
  return reinterpret_cast<McsItemRecord *>(CalcAddrToPtr(folder->block));
}

u8 *McsFolderDataStart(u32 index) {
  if (!Area() || index < 1 || index > kMcsFolderCount) return nullptr;
  return Area() + BlockOff(index) + 20 * Folder(index)->count;
}

McsFolderRecord *McsCurrentFolder() {
  if (!Area()) return nullptr;
  const u32 off = Off(Hdr()->current);
  if (off < kMcsFolderBase || off > 2592 || (off - kMcsFolderBase) % 16) return nullptr;
  return Folder(FolderIndexOfOffset(off));
}

u32 McsCurrentFolderName(char dst[9], u8 *index) {
  McsFolderRecord *r = McsCurrentFolder();
  if (!r) return kMcsNoFolder;
  std::memcpy(dst, r->name, 8);
  dst[8] = 0;
  if (index) *index = static_cast<u8>(FolderIndexOfOffset(Off(Hdr()->current)));
  return 0;
}

u32 McsFreeBytes() { return Area() ? FreeBytes() : 0; }

void McsGetSizes(u32 *total, u32 *used, u32 *free_bytes) {
  const McsAreaHeader *h = Hdr();
  if (total) *total = kMcsAreaSize;
  if (used) *used = h ? Off(h->data_top) + (kAreaEnd - Off(h->block_bottom)) : 0;
  if (free_bytes) *free_bytes = h ? FreeBytes() : 0;
}

void McsMarkAllChanged() {
  AdvanceChangeCount();
  McsMarkChangedInPlace();
}

void McsMarkChangedInPlace() {
  if (Area()) std::memset(Hdr()->changed, 0xFF, sizeof Hdr()->changed);
}

u64 McsChangeCount() { return g_changeCount.load(std::memory_order_relaxed); }

void McsNoteAreaRewritten() { AdvanceChangeCount(); }

void McsClearChanged() {
  if (Area()) std::memset(Hdr()->changed, 0, sizeof Hdr()->changed);
}

i32 McsTestClearChanged(u32 n) {
  if (n > 127 || !Area()) return -1;
  u32 &word = Hdr()->changed[n / 32];
  const u32 bit = 1u << (n % 32);
  const i32 was = (word & bit) ? 1 : 0;
  word &= ~bit;
  return was;
}

void McsGetChanged(u32 out[4]) {
  if (Area()) std::memcpy(out, Hdr()->changed, 16);
}

void McsSetChanged(const u32 in[4]) {
  if (Area()) std::memcpy(Hdr()->changed, in, 16);
}

u32 McsBlockAlloc(u32 size) {
  if (!Area() || size == 0 || size % 4 || !Fits(u64{size} + 8)) return 0;
  McsAreaHeader *h = Hdr();
  const u32 bottom = Off(h->block_bottom);
  const u32 table = Off(h->table_bottom);
  u32 entry = 0, at = 0, new_bottom = 0;
  if (table >= kAreaEnd) {
    // The first block: the table begins at the top.
    entry = kMcsTableTop;
    h->table_bottom = Addr(entry);
    at = kMcsTableTop - size;
    new_bottom = at;
  } else {
    u32 above = table;  // lower end of the nearest used block above the free entry
    for (u32 e = kMcsTableTop; e >= table; e -= 8) {
      if (Entry(e)->addr == 0) {
        entry = e;
        break;
      }
      above = Off(Entry(e)->addr);
    }
    if (entry) {
      // A free entry: the blocks below its place make room for the new one.
      MoveBytes(bottom, bottom - size, above - bottom);
      AdjustBlocksBelow(above - 1, static_cast<u32>(-size));
      at = above - size;
      new_bottom = bottom - size;
    } else {
      // No free entry: the table grows by one at its bottom.
      MoveBytes(bottom, bottom - 8, table - bottom);
      AdjustBlocksBelow(kAreaEnd, static_cast<u32>(-8));
      entry = table - 8;
      h->table_bottom = Addr(entry);
      at = bottom - 8 - size;
      new_bottom = at;
    }
  }
  *Entry(entry) = {Addr(at), size};
  h->block_bottom = Addr(new_bottom);
  std::memset(Area() + at, 0, size);
  return Addr(entry);
}

u32 McsBlockRealloc(u32 handle, u32 size) {
  u32 e;
  if (!Area()) return 0;
  if (!ValidEntry(handle, &e) || Entry(e)->addr == 0) return McsBlockAlloc(size);
  if (size == 0 || size % 4) return 0;
  McsBlockEntry *x = Entry(e);
  const u32 old = x->size;
  if (size == old) return handle;
  McsAreaHeader *h = Hdr();
  const u32 bottom = Off(h->block_bottom);
  const u32 at = Off(x->addr);
  if (size < old) {
    const u32 d = old - size;
    MoveBytes(bottom, bottom + d, at + size - bottom);
    AdjustBlocksBelow(at, d);
    h->block_bottom += d;
  } else {
    const u32 d = size - old;
    if (d > FreeBytes()) return 0;
    MoveBytes(bottom, bottom - d, at + old - bottom);
    AdjustBlocksBelow(at, static_cast<u32>(-d));
    h->block_bottom -= d;
    std::memset(Area() + at - d + old, 0, d);
  }
  x->size = size;
  return handle;
}

void McsBlockFree(u32 handle) {
  u32 e;
  if (!Area() || !ValidEntry(handle, &e) || Entry(e)->addr == 0) return;
  McsAreaHeader *h = Hdr();
  McsBlockEntry *x = Entry(e);
  const u32 at = Off(x->addr);
  const u32 bottom = Off(h->block_bottom);
  x->addr = 0;
  if (at != bottom) {
    // A block with others below it: they move up over it.
    MoveBytes(bottom, bottom + x->size, at - bottom);
    AdjustBlocksBelow(at, x->size);
    h->block_bottom += x->size;
    return;
  }
  // The lowest block: its bytes are released, and every free entry at the
  // bottom of the table goes with it.
  h->block_bottom += x->size;
  while (Off(h->table_bottom) < kAreaEnd && Entry(Off(h->table_bottom))->addr == 0) {
    const u32 b = Off(h->block_bottom), t = Off(h->table_bottom);
    MoveBytes(b, b + 8, t - b);
    AdjustBlocksBelow(kAreaEnd, 8);
    h->block_bottom += 8;
    h->table_bottom += 8;
  }
}

void McsBlockFreeAll() {
  if (!Area()) return;
  Hdr()->block_bottom = Addr(kAreaEnd);
  Hdr()->table_bottom = Addr(kAreaEnd);
}

u32 McsBlockRegionSize() { return Area() ? kAreaEnd - Off(Hdr()->block_bottom) : 0; }

u32 McsCheckArea(u8 *folder_index) {
  u8 dummy;
  if (!folder_index) folder_index = &dummy;
  *folder_index = 0;
  if (!Area()) return kMcsInconsistent;
  const McsAreaHeader *h = Hdr();
  // Header addresses first: everything below follows them.
  const u64 top = u64{h->data_top} - kMcsAreaAddr;
  const u64 bottom = u64{h->block_bottom} - kMcsAreaAddr;
  const u64 table = u64{h->table_bottom} - kMcsAreaAddr;
  if (h->data_top < kMcsAreaAddr || top < kMcsDataStart || top > kAreaEnd || top % 4) return 210;
  if (h->table_bottom < kMcsAreaAddr || table > kAreaEnd || (table < kAreaEnd && (table > kMcsTableTop || (kMcsTableTop - table) % 8)))
    return 204;
  if (h->block_bottom < kMcsAreaAddr || bottom > table || bottom < top) return 203;
  const u64 current = u64{h->current} - kMcsAreaAddr;
  if (h->current < kMcsAreaAddr || current < kMcsFolderBase || current > 2592 || (current - kMcsFolderBase) % 16) return 207;

  u64 item_bytes = 0;
  u64 last_end = kMcsDataStart;
  u64 prev_block = kMcsDataStart;
  for (u32 i = kMcsFolderCount; i >= 1; --i) {
    *folder_index = static_cast<u8>(i);
    const McsFolderRecord *f = Folder(i);
    const u64 block = u64{f->block} - kMcsAreaAddr;
    const u64 end = i == 1 ? top : u64{Folder(i - 1)->block} - kMcsAreaAddr;
    if (f->block < kMcsAreaAddr || block % 4 || block < kMcsDataStart || block > top) return 207;
    if (end % 4 || end < kMcsDataStart || end > top) return 208;
    if (block < prev_block || end < block) return 195;
    if ((block - prev_block) % 4) return 196;
    prev_block = block;
    const u64 count = f->count;
    if (count == 0) {
      if (block != end) return 194;
      continue;
    }
    if (block + 20 * count > end) return 193;
    u64 expect = 20 * count, sum = 0, prev_off = 0;
    for (u32 j = 0; j < count; ++j) {
      const McsItemRecord *r = reinterpret_cast<const McsItemRecord *>(Area() + block + 20 * j);
      if (r->offset % 4) return 206;
      if (r->offset < prev_off) return 200;
      if (r->offset != expect) return 209;
      if (r->size == 0) return 198;
      if (r->size % 4) return 199;
      prev_off = r->offset;
      expect = u64{r->offset} + r->size;
      sum += u64{r->size} + 20;
      if (block + expect > end) return 192;
    }
    if (sum != end - block) return 192;
    if (block + expect != end) return 197;
    item_bytes += sum;
    last_end = end;
  }
  *folder_index = 0;
  if (top != last_end) return 210;

  u64 used_blocks = 0, entries = 0;
  u64 expect = table;
  for (u64 e = kMcsTableTop; table < kAreaEnd && e >= table; e -= 8) {
    const McsBlockEntry *x = Entry(static_cast<u32>(e));
    ++entries;
    if (x->size == 0) return 201;
    if (x->size % 4) return 202;
    if (!x->addr) continue;
    used_blocks += x->size;
    if (x->addr < kMcsAreaAddr || u64{x->addr} - kMcsAreaAddr + x->size != expect) return 204;
    expect = u64{x->addr} - kMcsAreaAddr;
  }
  if (used_blocks != table - bottom || expect != bottom) return 203;
  u32 used;
  McsGetSizes(nullptr, &used, nullptr);
  if (used != item_bytes + used_blocks + kMcsDataStart + 8 * entries) return 205;
  return 0;
}

u32 McsInitArea() {
  if (!Area()) return kMcsInconsistent;
  AdvanceChangeCount();
  std::memset(Area(), 0, kMcsAreaSize);
  static const char *const kTop[5] = {"system", "library", "@REV3", "@REV2", "@REV1"};
  for (u32 k = 0; k < 5; ++k) Name8(kTop[k], Folder(FolderIndexOfOffset(256 + 16 * k))->name);
  for (u32 k = 0; k < 40; ++k) {
    char text[9];
    std::memcpy(text, "@LOCAL", 6);
    const u32 n = 40 - k;
    if (n >= 10) {
      text[6] = static_cast<char>('0' + n / 10);
      text[7] = static_cast<char>('0' + n % 10);
      text[8] = 0;
    } else {
      text[6] = static_cast<char>('0' + n);
      text[7] = 0;
    }
    Name8(text, Folder(FolderIndexOfOffset(336 + 16 * k))->name);
  }
  Name8("main", Folder(2)->name);
  Name8("@APLWORK", Folder(1)->name);
  for (u32 i = 1; i <= kMcsFolderCount; ++i) Folder(i)->block = Addr(kMcsDataStart);
  McsAreaHeader *h = Hdr();
  h->data_top = Addr(kMcsDataStart);
  const u32 r = McsSelectFolder("main");
  if (r == 0) {
    h->block_bottom = Addr(kAreaEnd);
    h->table_bottom = Addr(kAreaEnd);
    h->tracked = 0;
    h->reserved20 = 0;
    McsClearChanged();
  }
  return r;
}
