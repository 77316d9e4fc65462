// The storage-memory file system: format and mount, the directory, paths,
// sector and fragment allocation. Calculator thread only.
#pragma once
#include "kernel/types.h"

constexpr u32 kFlsRootFolder = 0xFFFFFFFF;
constexpr i32 kFlsPathMax = 256;        // characters of a storage path
constexpr i32 kFlsFileNameMax = 12;     // name, dot, extension
constexpr i32 kFlsFolderNameMax = 8;
constexpr u32 kFlsUnitSize = 16;        // allocation unit within a data sector
constexpr u32 kFlsUnitsPerSector = 4096;
constexpr u32 kFlsDataSectors = 4;      // data sectors 1..4

// Entries in use (deleted ones included), counted at mount and kept up to date.
extern u32 g_fls_entry_count;

// Format: mode 0 without erase, 1 erase keeping the erase counters, 2 full
// erase. 0 or the first negative code.
i32 FlsFormat(i32 mode);
// Frees every open-file and find slot and counts the entries: 0.
i32 FlsResetOpenFiles();
// Checks the sector descriptors, the kinds of the entries and the block
// headers: 0, or -6 when the image is not a formatted storage memory.
i32 FlsCheck();

// First blank entry (its number becomes the entry count); 4094 when the
// directory is full; a negative code when the scan fails. Adds the second
// directory sector when the first one is full.
i32 FlsNextFreeEntry();
// Lowest free id of kind (kFlsKindFolder, ...) in the first block of 255 ids
// that has room; 0 when all 65535 are used.
u32 FlsAllocId(u32 kind);
// Free sector with the lowest erase counter (lowest index on a tie), or -4.
i32 FlsChooseFreeSector();
// Sector index of data sector n (1..4) / work sector n (1, 2); -1 when none.
i32 FlsDataSectorIndex(u32 n);
i32 FlsWorkSectorIndex(u32 n);

// A resolved storage path.
struct FlsPath {
  i32 found;         // 1 the last component exists, 0 it does not
  u32 entry;         // its entry when found
  u32 folder;        // id word of the folder it lies in (kFlsRootFolder for the root)
  u16 name[12];      // the last component padded with 0xFFFF
  i32 name_length;
};
// Resolves "\\fls0\[folder\]name" (the leading "\\" may be left out): 1 or 0
// in out->found, or -5 another device, -2 a component of 0 or over 12
// characters or a path over 256, -3 a folder part that is no folder.
i32 FlsResolvePath(const u16 *path, FlsPath *out);
// Resolves only the folder part; *last points at the last component.
i32 FlsResolveFolder(const u16 *path, u32 *folder, const u16 **last);
// Live folder or file entry under parent whose name (12 characters, padded
// with 0xFFFF) equals name; -1 when none.
i32 FlsFindName(u32 parent, const u16 *name12);
// Makes a file (kind 1) or folder (kind 5) entry: its entry number, or -13
// exists, -12 directory full, -2 a bad name (a folder name over 8 characters,
// a folder inside a folder, another kind).
i32 FlsMakeEntry(const u16 *path, i32 kind);

// File type code from the three characters behind the last '.' of a name
// (at most n characters): EAC, MCS 3; LNG 4; TMP 7; UFX 2; else 1.
u16 FlsTypeFromExtension(const u16 *name, i32 n);
// Case-blind match of a 12-character name (padded with 0xFFFF, 0 or blanks)
// against a pattern: '*' any run within the name part or the extension part,
// '?' one character. 1 on a match, else 0.
i32 FlsMatchPattern(const u16 *pattern, const u16 *name12);

// Free bytes that files can still be given: the free units of the data
// sectors and the sectors that can still become data sectors.
i32 FlsFreeSpace(u32 *bytes);
// Marks the storage for optimisation, erases the work sectors and deletes
// the work file: 0, or -31 when the mark cannot be written.
i32 FlsOptimize();

// One data fragment as its entry describes it.
struct FlsFragment {
  u32 entry;
  u32 owner;
  u16 type;
  u16 count;
  u16 number;
  u16 sector;
  u16 offset;
  u16 length_m1;
  u32 address;       // image offset of its first data byte
  u32 length() const { return static_cast<u32>(length_m1) + 1; }
};
// Reads fragment entry n: 0, or -1 when it is no live fragment or its data
// would not lie inside its sector.
i32 FlsReadFragment(u32 n, FlsFragment *out);

// The fragments of one file in order: entries of fragments 1..count.
struct FlsFragmentList {
  u32 count;
  u32 size;          // bytes of data in fragments 1..count
  u16 entry[4094];
};
// Collects the live fragments of owner; a gap in the numbering ends the list.
void FlsListFragments(u32 owner, FlsFragmentList *out);

// Appends fragments for n bytes to the file of owner word `owner`, type
// `type`, whose fragments so far are `list`; writes data when data is not
// null. Nothing is written when the room is missing (-4 no free sector, -12
// full); a failed data write deletes the fragments it added. The bytes
// covered, or a negative code.
i32 FlsAppendFragments(u32 owner, u16 type, const FlsFragmentList *list, const u8 *data, u32 n);
// Appends one fragment entry: its entry number or negative.
i32 FlsAddFragmentEntry(u32 owner, u16 type, u16 number, u16 sector, u16 offset, u32 bytes);
// Marks entry n deleted (its id becomes 0).
i32 FlsDeleteEntry(u32 n);
// Fragments a new file of type `type` would need for n bytes, without
// writing anything: the count, or -4 / -12 when there is no room.
i32 FlsTrialFragments(u16 type, u32 n);
