// Group files: main memory exchanged with files as memory groups (all
// variables, SET UP, the lists of one list file, one matrix, one program,
// ...). One group, or one member of a numbered group, goes to a ".MCS" file;
// a backup writes every group into one file ("BACKUP.MCS"), and a restore
// reads a group or backup file back into main memory.
//
// File layout: a 32-byte header (McsFileHeader), then each item as a 24-byte
// header (McsFileItem) followed at once by its data. The item count and the
// data sizes are in the machine's order in a storage-memory file and
// big-endian in a host file, whose item data is also converted to its
// big-endian stored form by a conversion code.
//
// The folder "$GLOBAL" exists only in files: "ALPHAMEM" stands for the 29
// variable slots (696 bytes), "SETUP" for the SET UP array (100 bytes) and
// "SYSTEM" for the running application's name (9 bytes).
//
// Writers never leave a partial file and never touch the live items: a file
// is written under a temporary name beside its final one and put in place
// only when complete, and host-file data is converted in a buffer. A restore
// checks the whole file before it changes anything, and puts main memory,
// the variables and SET UP back as they were when a change fails part way.
//
// Results: 0 or a positive count, handle or position on success, negative on
// failure (file interface codes pass through; -34 a file that is refused;
// -1 an unknown group or member). Calculator thread only.
#pragma once
#include "kernel/types.h"

inline constexpr u32 kMcsGroupCount = 21;
inline constexpr u32 kMcsFileHeaderSize = 32;
inline constexpr u32 kMcsFileItemSize = 24;
inline constexpr u32 kMcsAlphaMemSize = 696;
inline constexpr u32 kMcsSetupSize = 100;
inline constexpr u32 kMcsAppNameSize = 9;
// A file longer than this is refused before it is read (main memory holds
// 64 KB; a file may name an item more than once).
inline constexpr u32 kMcsFileMax = 1u << 20;

struct McsFileHeader {
  char magic[8];   // "Brindlex"
  u8 format;       // '1'
  u8 zero9;
  u8 sixteen;      // 0x10
  u8 zero11;
  u8 zero[18];
  u8 count[2];     // items, in the file's order
};

struct McsFileItem {
  char folder[8];  // zero-padded
  char name[8];    // zero-padded
  u8 type;         // the store's type byte
  u8 size[4];      // data bytes, in the file's order (not aligned)
  u8 zero[3];
};

static_assert(sizeof(McsFileHeader) == kMcsFileHeaderSize);
static_assert(sizeof(McsFileItem) == kMcsFileItemSize);

// One item of a group as its writer sees it.
struct McsGroupDesc {
  char file[13];     // file name of the group or member ("ALPHAMEM.MCS")
  char folder[9];
  char name[9];
  u8 type;
  const u8 *data;    // valid until main memory next changes
  u32 size;
  u16 convert;       // conversion code; bit 15 set: no conversion
};

// ---- the group table ----

// Row of a group title ("ALPHA MEM" ... "Y=DATA"), -1 when unknown.
i32 McsGroupRow(const char *group);
// Title of a row, null past the table.
const char *McsGroupTitle(u32 row);
// 1 for a numbered group (its members are listed one by one).
u8 McsGroupNumbered(u32 row);

// The group as a whole: its display title (13 bytes) and the bytes it holds.
// -1 when the group is unknown or holds nothing; 0 for a plain group; for a
// numbered group the number of its first member (1).
i32 McsGroupInfo(const char *group, char *title, u32 *size);
// Member n (from 1) of a numbered group: its title and size. The number of
// the next member, 0 after the last, -1 when there is no member n.
i32 McsGroupItemInfo(const char *group, i32 member, char *title, u32 *size);

// The first item of the group (member null or empty) or of the member with
// that title: 1, the position of the next item, or -1 when there is none.
i32 McsGroupFileDesc(const char *group, const char *member, McsGroupDesc *out);
// The item at position (>= 1): position + 1, or -1 when there is none.
i32 McsGroupItemFileDesc(const char *group, const char *member, i32 position, McsGroupDesc *out);

// ---- conversion ----

// Conversion code of an item read from a host file.
u16 McsItemConvertCode(u8 type, const char *folder, const char *name);
// Converts size bytes of item data in place between memory order and the
// big-endian stored form (one call serves both directions); nothing beyond
// size is touched.
void McsConvertItemData(u8 *data, u32 size, u16 code);
// The stored real and value hold only single bytes (sign-and-exponent
// nibble, exponent and mantissa digits in a fixed order), so their stored
// form is the same in either byte order: both copy.
void SysSwapRealBytes(void *dst, const void *src);
void *SysSwapValueBytes(void *dst, const void *src);

// ---- writing ----

// Writes one group or member (member null: the whole group) as its own
// file in the folder path (ending in "\\", or a drive root "C:\\"): 0 or
// negative; -13 when the file exists and replace is 0.
i32 McsCountAndWriteGroup(const u16 *folder, const char *group, const char *member, u32 replace);
// Starts a group file in the folder, named by the group's (member's) file
// name, for count items and total bytes: an open handle or negative (-13
// when it exists and replace is 0). The items are written at once.
i32 McsWriteGroupFile(const u16 *folder, const char *group, const char *member, u32 count, u32 total, u32 replace);
// Appends a group's (member's) items to the open file: 0 or negative.
i32 McsAppendGroupToFile(i32 handle, const char *group, const char *member);
// Finishes the file: when every write succeeded it takes the final name
// (replacing the old file when asked); otherwise the partial file is
// removed. 0 or the first error.
i32 McsCloseGroupFile(i32 handle);
// Offset of item header `item` (0xFFFF: behind the last) of an open file,
// -1 for a bad header or a failed read.
i32 McsSeekGroupItem(i32 handle, u32 item);
// Counts the items and bytes of one group or member: items, *total += bytes.
u32 McsCountGroup(const char *group, const char *member, u32 *total);

// Every group into one file at path: 0 or negative (-13 when it exists and
// replace is 0).
i32 McsSaveBackup(const u16 *path, u32 replace = 0);
// Reads a group or backup file into main memory: 0 or negative. A file that
// fails any check is refused with -34 and changes nothing; when main memory
// cannot take it all, everything is put back and -12 is returned.
i32 McsRestoreBackup(const u16 *path);
// The same on file bytes already in memory (host: big-endian).
i32 McsRestoreFromBytes(const u8 *bytes, u32 length, u32 host);
