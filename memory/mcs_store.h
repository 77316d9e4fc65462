// The main-memory item store: one area of 65,536 bytes holding named items
// in named folders, and movable blocks at its top.
//
// Layout (offsets from the area's first byte, numbers in host order):
//   0      header (McsAreaHeader)
//   256    147 folder records of 16 bytes; index 1 is at 2592, 147 at 256
//   2608   the folders' data blocks, one after another, index 147 lowest;
//          each is the folder's item records (sorted by name) then the
//          items' data in the same order
//   ...    free bytes up to the block bottom
//   then   movable block data, then the block table (8-byte entries growing
//          down from 65528)
// Addresses in the header, the folder records and the block table are 32-bit
// calculator addresses (kernel/calc_ram.h); item data positions are offsets
// from the folder's block. The area is written to files whole, so the layout
// is fixed to the byte.
//
// Every operation returns 0 or a McsStoreError code. Names are texts of up to
// 8 bytes, compared on all 8 bytes zero-padded, case kept. A failing
// operation leaves the area exactly as it was.
#pragma once
#include "kernel/calc_ram.h"
#include "kernel/types.h"

struct McsAreaHeader {
  u32 data_top;       // first byte after the last folder data block
  u32 current;        // record of the current folder
  u32 block_bottom;   // lowest byte of movable block data (area end when none)
  u32 table_bottom;   // lowest block-table entry (area end when none)
  u32 tracked;        // moved along with the bytes it points into
  u8 reserved20;
  u8 pad21[3];
  u32 changed[4];     // change flags: bit n is bit n % 32 of word n / 32
  u8 rest[216];
};

struct McsFolderRecord {
  char name[8];       // zero-padded; all zero = free slot
  u32 block;          // where the folder's item records begin
  u16 count;          // number of items
  u8 flags;           // bit 0 locked
  u8 zero;
};

struct McsItemRecord {
  char name[8];       // zero-padded
  u32 offset;         // data offset from the folder's block
  u32 size;           // a non-zero multiple of 4
  u8 type;            // McsItemType; bit 0x40: create cannot replace it
  u8 flags;           // bit 0 read-only, bit 1 protected, bit 2 marked
  u8 zero;
  u8 folder;          // index of the item's folder
};

struct McsBlockEntry {
  u32 addr;           // block address, 0 = free entry
  u32 size;           // non-zero multiple of 4, kept when freed
};

static_assert(sizeof(McsAreaHeader) == 256);
static_assert(sizeof(McsFolderRecord) == 16);
static_assert(sizeof(McsItemRecord) == 20);
static_assert(sizeof(McsBlockEntry) == 8);

inline constexpr u32 kMcsFolderCount = 147;
inline constexpr u32 kMcsFolderBase = 256;
inline constexpr u32 kMcsDataStart = 2608;
inline constexpr u32 kMcsTableTop = 65528;

enum McsItemFlag : u8 { kMcsReadOnly = 1, kMcsProtected = 2, kMcsMarked = 4 };

// Store result codes (McsStoreError).
using McsStoreError = u32;
inline constexpr u32 kMcsBadSize = 16;
inline constexpr u32 kMcsNoRoomInsert = 17;
inline constexpr u32 kMcsInsertBeyond = 18;
inline constexpr u32 kMcsWriteTooBig = 19;
inline constexpr u32 kMcsWritePastEnd = 20;
inline constexpr u32 kMcsWriteOffset = 21;
inline constexpr u32 kMcsCutBadCount = 22;
inline constexpr u32 kMcsCutPastEnd = 23;
inline constexpr u32 kMcsCutOffset = 24;
inline constexpr u32 kMcsReadTooBig = 25;
inline constexpr u32 kMcsReadPastEnd = 26;
inline constexpr u32 kMcsReadOffset = 27;
inline constexpr u32 kMcsNoItem = 48;
inline constexpr u32 kMcsNameTaken = 49;
inline constexpr u32 kMcsReadOnlyItem = 50;
inline constexpr u32 kMcsProtectedItem = 52;
inline constexpr u32 kMcsTypeFixed = 53;
inline constexpr u32 kMcsNoFolder = 64;
inline constexpr u32 kMcsFolderExists = 66;
inline constexpr u32 kMcsNoFolderSlot = 67;
inline constexpr u32 kMcsBadFolderIndex = 68;
inline constexpr u32 kMcsFolderNotEmpty = 69;
inline constexpr u32 kMcsFolderFixed = 70;
inline constexpr u32 kMcsFolderLocked = 71;
inline constexpr u32 kMcsFolderCurrent = 72;
inline constexpr u32 kMcsFolderHasProtected = 73;
inline constexpr u32 kMcsNoRoom = 80;
inline constexpr u32 kMcsFolderFull = 83;
inline constexpr u32 kMcsNoRoomMove = 95;
inline constexpr u32 kMcsEmptyName = 240;
inline constexpr u32 kMcsInconsistent = 255;


// Host pointer of the area (null before the RAM block exists).
u8 *McsAreaAddress();
McsAreaHeader *McsHeader();
// True when [p, p + n) overlaps the area.
bool McsInArea(const void *p, u32 n);

// The refusal a change meets from an item's flags: 50 read-only, 52
// protected or marked, else 0.
u32 McsFlagError(u8 flags);
// A source that lies inside the area would move under a change that copies
// it, so its bytes are taken aside first: a copy to free with std::free, or
// null when none was needed.
u8 *McsStageSource(const void *src, u32 n);

// Name to its 8-byte form: 240 for a null or empty text; mode 0 upper-cases,
// mode 1 lower-cases, mode 2 keeps the bytes.
u32 McsNormaliseName(const char *text, u32 mode, char out[8]);

// Items. Out pointers may be null.
u32 McsFindItem(const char *folder, const char *name, u8 *type, McsItemRecord **record, u8 **data, u32 *size);

// Where an item stood when it was found: a caller that reaches the same item
// again and again (a program storing into a list element in a loop) keeps
// its place and skips the name search while nothing has moved since.
struct McsItemPlace {
  u64 count = 0;    // the change count when found; 0 for no place
  u32 folder = 0;   // folder index
  u32 pos = 0;      // position of the item's record in the folder
  char name[8] = {};
};
// McsFindItem that also remembers the item's place (an empty place when it
// fails).
u32 McsFindItemPlace(const char *folder, const char *name, McsItemPlace *place, u8 *type, McsItemRecord **record,
                     u8 **data, u32 *size);
// The item of a remembered place: its record, and its data in *data, or null
// when the place may be stale (the change count has moved on, or the record
// there is no longer that item); the caller then finds the item by name.
McsItemRecord *McsItemAt(const McsItemPlace *place, u8 **data);
// Creates an item (size a non-zero multiple of 4); with no source its bytes
// are zero. Over an existing item: resizes it at its start, overwrites it and
// sets the type, keeping name and flags.
u32 McsCreateItem(const char *folder, const char *name, u8 type, u32 size, const void *src);
// As McsCreateItem, but only src_count (<= size) bytes come from the source;
// the rest are zero.
u32 McsCreateItemFrom(const char *folder, const char *name, u8 type, u32 size, const void *src, u32 src_count);
u32 McsDeleteItem(const char *folder, const char *name);
// Opens count bytes at offset and copies them from the source (zeros when
// null) or fills them.
u32 McsInsertBytes(const char *folder, const char *name, u32 offset, u32 count, const void *src);
u32 McsInsertFill(const char *folder, const char *name, u32 offset, u32 count, u8 fill);
// As McsInsertBytes, with only src_count (<= count) bytes from the source and
// zeros after them.
u32 McsInsertBytesFrom(const char *folder, const char *name, u32 offset, u32 count, const void *src, u32 src_count);
u32 McsWriteBytes(const char *folder, const char *name, u32 offset, u32 count, const void *src);
u32 McsCutBytes(const char *folder, const char *name, u32 offset, u32 count);
u32 McsReadBytes(const char *folder, const char *name, u32 offset, u32 count, void *dst);
u32 McsCopyItem(const char *src_folder, const char *src_name, const char *dst_folder, const char *dst_name);
u32 McsMoveItem(const char *folder, const char *name, const char *dst_folder, const char *dst_name);
u32 McsRenameItem(const char *folder, const char *old_name, const char *new_name);

u32 McsSetItemFlags(const char *folder, const char *name, u8 flags);
u32 McsGetItemFlags(const char *folder, const char *name, u8 *flags);
u32 McsLockItem(const char *folder, const char *name);
u32 McsUnlockItem(const char *folder, const char *name);
u32 McsProtectItem(const char *folder, const char *name);
u32 McsUnprotectItem(const char *folder, const char *name);
u32 McsMarkItem(const char *folder, const char *name);
u32 McsUnmarkItem(const char *folder, const char *name);
void McsClearAllMarks();

// Binary search comparing n bytes; the name (8 bytes and a terminator) at the
// last probe. 48 for an empty folder.
u32 McsFindNearest(const char *folder, const char *prefix, u32 n, char out[9]);
// First record whose first n bytes match the prefix; 48 when none.
u32 McsFindPrefix(const char *folder, const char *prefix, u32 n, McsItemRecord **record);

// Folders.
u32 McsFindFolder(const char *name, McsFolderRecord **record, u8 *index);
u32 McsCreateFolder(const char *name);
u32 McsDeleteFolder(const char *name);
u32 McsRenameFolder(const char *old_name, const char *new_name);
u32 McsSelectFolder(const char *name);
u32 McsSetFolderFlags(const char *name, u8 flags);
u32 McsGetFolderFlags(const char *name, u8 *flags);
u32 McsLockFolder(const char *name);
u32 McsUnlockFolder(const char *name);
u32 McsFolderByIndex(u32 index, McsFolderRecord **record);
// Host pointer of a folder's first item record.
McsItemRecord *McsFolderItems(const McsFolderRecord *folder);
// Host pointer of the first item data of folder `index` (null when out of range).
u8 *McsFolderDataStart(u32 index);
McsFolderRecord *McsCurrentFolder();
// Name (8 bytes and a terminator) and index of the current folder.
u32 McsCurrentFolderName(char dst[9], u8 *index);

// Space.
u32 McsFreeBytes();
void McsGetSizes(u32 *total, u32 *used, u32 *free_bytes);

// Change flags. McsMarkAllChanged also advances the change count: every
// operation that changes items or folders calls it before it changes them.
void McsMarkAllChanged();
// The change flags of a write into an item's bytes that moves nothing: every
// flag is set as McsMarkAllChanged does, the change count stays.
void McsMarkChangedInPlace();
void McsClearChanged();
// Bit n, cleared afterwards; -1 for n above 127.
i32 McsTestClearChanged(u32 n);
void McsGetChanged(u32 out[4]);
void McsSetChanged(const u32 in[4]);

// The change count: advanced by every operation that can move, remove,
// rename or retype an item or change a folder, by a fresh area and by a
// restore of the whole area. Never 0.
u64 McsChangeCount();
// Advances the change count, the change flags untouched: for code that
// writes the whole area (a restore from a snapshot or a file).
void McsNoteAreaRewritten();

// Movable blocks. A handle is the calculator address of the block's table
// entry (MemDeref reaches the block); 0 on failure.
u32 McsBlockAlloc(u32 size);
u32 McsBlockRealloc(u32 handle, u32 size);
void McsBlockFree(u32 handle);
void McsBlockFreeAll();
u32 McsBlockRegionSize();

// Consistency walk: 0 or the first failure code (192-210), the failing
// folder's index (0 when none) in *folder_index. Every address, count and
// offset is checked against the area before it is followed.
u32 McsCheckArea(u8 *folder_index);
// Clears the area to its fresh layout; "main" becomes the current folder.
u32 McsInitArea();
