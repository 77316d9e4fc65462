// The application work areas: what e-activity keeps in its files, what it
// sets aside while it runs, and what its strips carry.
//
// Areas (bit values of the mask the two calls take):
//   2048  the e-activity's own items of a strip application's folder, set
//         aside while the strip runs (host memory)
//   4096  the current strip's data: the items of its application's folder,
//         kept inside the strip entry of "EACT1"
//   8192  the e-activity editor's state (open document, menus, screen) while
//         a strip runs (host memory)
//   16384 the e-activity file: SET UP, the variables and every folder that
//         holds items
//   32768 the user's own main memory (items, variables, SET UP), set aside
//         while e-activity runs (host memory)
//
// E-activity file (little-endian):
//   0   u32 total size: 16 + context + 16 x folders + the folders' data
//   4   u32 context size (796: SET UP 100 bytes, then the 29 variable
//       slots, 696 bytes)
//   8   u16 folder count
//   10  u16 0x0100
//   12  "Pack"
//   16  the context, then per folder a 16-byte header {char[8] name, u8
//       folder flags, u8 0, u16 item count, u32 data size} and its data.
// A folder's data (also a strip's data after its u32 byte count) is each
// item as a 16-byte record {char[8] name, u32 size, u8 type, u8 flags, u16
// 0} and its size bytes.
//
// Files are untrusted: a restore checks all of a file before it changes
// anything, and puts main memory, the variables and SET UP back when a
// change fails part way. A save writes a new file beside the old one, reads
// it back, compares and only then puts it in place.
//
// The Sys calls show their error box themselves and return 0 or its code:
// 101 too large, 102 main memory unreadable, 103 no room for the file, 104
// write failed, 105 read back differs, 106 could not be put in place, 201
// strip data does not fit; 300 unreadable, 301 bad frame, 302 bad context,
// 303 bad folder, 304 bad item, 305 main memory cannot take it, 401 bad
// strip data, 402 main memory cannot take the strip's data.
// Calculator thread only.
#pragma once
#include <vector>

#include "kernel/types.h"

enum McsWorkArea : u32 {
  kAreaEactSide = 2048,
  kAreaStrip = 4096,
  kAreaCarry = 8192,
  kAreaEactFile = 16384,
  kAreaUser = 32768,
};

inline constexpr u32 kEactFileLimit = 32768;  // total + 128 stays below it
inline constexpr u32 kEactContextSize = 796;
inline constexpr u32 kEactFrameHead = 16;

u32 SysSaveAppAreas(u32 mask, const u16 *path);
u32 SysRestoreAppAreas(u32 mask, const u16 *path);
// The e-activity's data size: the packed size of the areas now, 96 more
// when the file cannot be examined.
u32 SysEactFileWorkSize(const u16 *path);

// The parts below show nothing.
// Packs the e-activity areas: 0, or 101 / 102.
u32 McsWorkPackEact(std::vector<u8> *out);
// Checks file bytes and makes them main memory: 0, or 301-305 with main
// memory, the variables and SET UP unchanged.
u32 McsWorkUnpackEact(const u8 *bytes, u32 size);
// Empty e-activity areas: no items but the applications' folders, the
// variables 0, SET UP reset.
void McsWorkEmptyEact();
// The user's main memory aside (kAreaUser) is held.
bool McsWorkUserHeld();
// Runs work(arg) on the user's own main memory and returns its answer:
// while e-activity holds that memory aside, the e-activity's memory steps
// aside for the time of the work, and whatever the work made of the user's
// memory is held again afterwards.
i32 McsWorkOnUserMemory(i32 (*work)(void *), void *arg);
