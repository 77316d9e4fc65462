// Result codes of the storage file system and the file interface: a
// non-negative result is a count, slot or handle, a negative one is one of these.
#pragma once
#include "kernel/types.h"

enum FlsError : i32 {
  FlsErrMissing = -1,          // missing entry or fragment
  FlsErrBadArg = -2,           // bad handle, slot, size, position or path
  FlsErrFolderDiffers = -3,    // folders differ, or a path component is no folder
  FlsErrNoBlankSector = -4,    // no blank or free sector
  FlsErrWrongDevice = -5,      // not the device this operation serves
  FlsErrNotFormatted = -6,     // storage image not formatted
  FlsErrNoSlot = -8,           // no free open-file slot, or the file is open
  FlsErrFull = -12,            // directory or storage full
  FlsErrExists = -13,          // name exists
  FlsErrNotFound = -16,        // not found, or no further match
  FlsErrSeekPastEnd = -19,     // seek past the end of the data
  FlsErrNoFindSlot = -30,      // no free find slot
  FlsErrShortIo = -31,         // short read or write of the image
  FlsErrNotFile = -34,         // the entry is not a file
  FlsErrNotEmpty = -35,        // folder not empty
  FlsErrFlashRule = -35,       // a write would set a bit
};
