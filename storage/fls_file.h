// Open files, searches and file operations of the storage memory.
// Calculator thread only.
#pragma once
#include "kernel/types.h"

constexpr i32 kFlsOpenSlots = 13;   // 0..11 for open, 12 for the fit check
constexpr i32 kFlsUserSlots = 12;
constexpr i32 kFlsFindSlots = 4;
constexpr u16 kFlsFindFree = 4094;
constexpr u32 kFlsNoPosition = 0xFFFFFFFF;

// Information on a folder or file, also the result of FileGetInfo.
struct FileFindInfo {
  u16 entry;          // entry number
  u16 type;           // 0 folder, else the type code of the extension
  u32 occupied;       // data size + 32 per fragment + 32
  u32 size;           // data size
  u32 attribute;      // 1 when the attribute bit is set
  u32 data_address;   // image offset of the first data byte (0x280000 when none)
};

struct FlsOpenSlot {
  u32 entry;          // the file entry
  u32 kind;           // its kind word
  u32 parent;
  u16 name[12];
  u16 type;
  u32 position;       // byte of the file read or written next, kFlsNoPosition when none
  u8 state;           // 255 free, 0 open
  u8 commit;          // commit on close
};

struct FlsFindSlot {
  u16 last;           // last entry examined; kFlsFindFree marks a free slot
  u16 pattern[13];
  u32 folder;
};

extern FlsOpenSlot g_fls_open[kFlsOpenSlots];
extern FlsFindSlot g_fls_find[kFlsFindSlots];

// Frees every open-file slot (without commit) and every find slot.
void FlsResetSlots();

// Opens an existing file: slot 0..11, or -8 no free slot / already open,
// -1 missing, -34 not a file, or a path error.
i32 FlsOpen(const u16 *path);
// Commits when asked and frees the slot: 0 or -2.
i32 FlsClose(i32 slot);
// Writes the fragment count into the fragments that lack it: 0 or negative.
i32 FlsCommit(i32 slot);
// Reads size bytes at position (< 0: the current position): the bytes read,
// -2 bad slot or size or the data ends first, -34 not a file, -1 fragment missing.
i32 FlsRead(i32 slot, void *buf, i32 size, i32 position);
// Appends size bytes at the end of the file: the bytes written or negative.
i32 FlsWrite(i32 slot, const void *buf, i32 size);
// Overwrites size bytes of the file's data from position: the bytes written,
// -2 when the range passes the end of the data, -35 when a bit would be set.
i32 FlsWriteAt(i32 slot, const void *buf, i32 size, i32 position);
// Reserves size more bytes (erased, 0xFF) and commits: bytes reserved or negative.
i32 FlsReserve(i32 slot, i32 size);
// Moves to position: the bytes left in its fragment, -19 past the end.
i32 FlsSeek(i32 slot, i32 position);
// Data size / occupied size of an open file, or -2.
i32 FlsFileSize(i32 slot);
i32 FlsOccupiedSize(i32 slot);

// Whether a file of size bytes can be made: 0, -2 size 0, -12 no room.
i32 FlsCheckCreate(const u16 *path, i32 size);
// Makes a file of size bytes (reserved): the bytes reserved or negative.
i32 FlsCreate(const u16 *path, i32 size);
// Deletes a file or an empty folder: 0, -1 missing, -8 open, -35 folder not
// empty, -34 neither.
i32 FlsDelete(const u16 *path);
// Renames within one folder: 0, -1, -8, -13, -3, -12 (the old entry is kept
// when the directory has no room), -2 a name too long, or the work file (by
// its name or its data in the work sectors) renamed or another file renamed
// to the work file's name.
i32 FlsRename(const u16 *old_path, const u16 *new_path);
// Sets (flag != 0) or clears the attribute bit: 0 or as rename.
i32 FlsSetAttribute(const u16 *path, i32 flag);
// Information on a folder or file: 0, or -1 when missing.
i32 FlsGetInfo(const u16 *path, FileFindInfo *info);

// Searches a folder: the slot in *slot; 0 with the first match's name (13
// characters with the terminator) and info, -16 none (the slot stays taken),
// -30 no free find slot.
i32 FlsFindFirst(const u16 *pattern, i32 *slot, u16 *name, FileFindInfo *info);
i32 FlsFindNext(i32 slot, u16 *name, FileFindInfo *info);
i32 FlsFindClose(i32 slot);

// The work file "\\fls0\EACTWORK.TMP" over two work sectors.
i32 FlsWriteWorkFile(const void *buf, i32 size, i32 position);
i32 FlsReadWorkFile(void *buf, i32 size, i32 position);
// Erases work sector n, or sectors 2 and 1 when n is 0: 0.
i32 FlsEraseWorkArea(i32 n);
