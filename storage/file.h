// The file interface: the one entry point for files of the storage memory
// ("\\fls0\..."), the card ("\\crd0\...", which has no back end and answers
// -5 to everything) and host files (a path that begins with a drive letter).
// Handles carry their device in bits 24-27. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "storage/fls_error.h"
#include "storage/fls_file.h"

enum FileDevice : i32 {
  FileDeviceNone = -1,
  FileDeviceStorage = 1,
  FileDeviceCard = 2,
  FileDeviceHost = 3,
};

constexpr i32 kFileTagStorage = 0x1000000;
constexpr i32 kFileTagHost = 0x3000000;
constexpr u32 kFileDeviceMask = 0x0F000000;
constexpr i32 kFileHostPathMax = 260;   // bytes of a host path with its terminator

// 1 storage, 2 card, 3 host file, -1 anything else.
i32 FileClassifyPath(const u16 *path);
// Device of a handle (bits 24-27).
inline i32 FileHandleDevice(i32 handle) { return static_cast<i32>((static_cast<u32>(handle) & kFileDeviceMask) >> 24); }

// Opens an existing file read-write (mode is not read): a handle or negative
// (storage: -1 missing, -8 no slot or open; host: -16 missing).
i32 FileOpen(const u16 *path, i32 mode = 0);
i32 FileClose(i32 handle);
// Moves to position: storage answers the bytes left in that fragment.
i32 FileSeek(i32 handle, i32 position);
// Reads size bytes at position (< 0: the current position).
i32 FileRead(i32 handle, void *buf, i32 size, i32 position);
// Writes size bytes at position.
i32 FileWriteAt(i32 handle, const void *buf, i32 size, i32 position);
// Appends size bytes to a storage file (host files: -5).
i32 FileWrite(i32 handle, const void *buf, i32 size);
// Makes a file of size bytes: storage answers the bytes reserved, host 0;
// -13 when it exists.
i32 FileCreate(const u16 *path, i32 size);
i32 FileDelete(const u16 *path);
i32 FileCheckCreate(const u16 *path, i32 size);
// Makes a file (kind 1) or folder (kind 5) entry: 0 or negative.
i32 FileCreateEntry(const u16 *path, i32 kind);
i32 FileRename(const u16 *old_path, const u16 *new_path);
// Puts the file src in the place of dst (one folder, one device), replacing
// a file of that name: 0 or negative, src left where it was on failure.
// Host files are replaced in one step; storage removes the old file first.
i32 FileReplace(const u16 *src, const u16 *dst);
// Sets (flag != 0) or clears the attribute bit of a storage file or folder.
i32 FileSetAttribute(const u16 *path, i32 flag);
i32 FileGetInfo(const u16 *path, FileFindInfo *info);
// Data size of an open storage file.
i32 FileGetSize(i32 handle);
// Writes the fragment count of an open storage file.
i32 FileCommit(i32 handle);
// Searches a storage folder; name receives 13 characters (terminated).
i32 FileFindFirst(const u16 *pattern, i32 *find_handle, u16 *name, FileFindInfo *info);
i32 FileFindNext(i32 find_handle, u16 *name, FileFindInfo *info);
i32 FileFindClose(i32 find_handle);
// Whole-device operations, given the device name "fls0".
i32 FileFormatStorage(const u16 *device, i32 full);
i32 FileResetStorage(const u16 *device);
i32 FileGetFreeSpace(const u16 *device, u32 *bytes);
i32 FileOptimizeStorage(const u16 *device);
// The work file "\\fls0\EACTWORK.TMP".
i32 FileReadWorkFile(void *buf, i32 size, i32 position);
i32 FileWriteWorkFile(const void *buf, i32 size, i32 position);
i32 FileEraseWorkArea(i32 n);

// Host files live in one folder of the program's own, one sub-folder per
// drive letter: $XDG_DATA_HOME/corvanta/hostfiles (or
// ~/.local/share/corvanta/hostfiles). A dir sets another folder (tests);
// null goes back to the default.
void FileSetHostRoot(const char *dir);
// Maps a host path "X:\dir\name" to its place in that folder: 0, or -2 when
// the path is refused (no drive letter, an empty, "." or ".." component,
// control characters, '/', characters beyond one byte, over 259 characters).
i32 FileHostPath(const u16 *path, char *out, u32 capacity);
