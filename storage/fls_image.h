// The storage memory inside the host image file: six sectors of 64 KB at
// image offsets 0x280000..0x2DFFFF, reached through a small set of platform
// calls and mirrored in memory (every write goes through to the file).
#pragma once
#include "kernel/types.h"

constexpr u32 kFlsImageBase = 0x280000;
constexpr u32 kFlsSectorSize = 0x10000;
constexpr u32 kFlsSectorCount = 6;
constexpr u32 kFlsCapacity = kFlsSectorSize * kFlsSectorCount;  // 0x60000

// Image offset of sector n (0..5).
constexpr u32 FlsSectorAddress(u32 n) { return kFlsImageBase + n * kFlsSectorSize; }

// The calls through which the image file is reached. Offsets are offsets in
// the file; read and write answer the bytes moved or a negative value.
struct FlsPlatform {
  i32 (*open)(const char *path);
  i32 (*read_at)(i32 fd, u32 offset, void *buf, u32 len);
  i32 (*write_at)(i32 fd, u32 offset, const void *buf, u32 len);
  i32 (*close)(i32 fd);
};

// The default calls: POSIX open (read-write, create, 0600), pread, pwrite, close.
const FlsPlatform *FlsPosixPlatform();
// Chooses the calls used from now on; null restores the POSIX ones.
void FlsSetPlatform(const FlsPlatform *platform);
const FlsPlatform *FlsGetPlatform();

// Opens the image file at path with the platform's open and attaches it.
// 0, or -31 when it cannot be opened or read.
i32 FlsImageOpen(const char *path);
// Attaches an image already open under descriptor fd: the storage area is
// read into memory (a file shorter than the area leaves the rest absent, as
// reads of it are short). The open-file and find slots are freed. 0 or -31.
i32 FlsImageAttach(i32 fd);
// Forgets the attached image (without closing it) / closes what FlsImageOpen opened.
void FlsImageDetach();
void FlsImageClose();
bool FlsImageAttached();

// Raw access by image offset. Reads answer the bytes that the image holds
// (short at the end of the file, -1 outside the storage area). Writes take
// even offsets and even lengths only (else 0 bytes); -1 outside the storage
// area or past the end of the file, -35 when a byte would get a bit set that
// the stored byte has clear (the flash rule), else the bytes written.
i32 FlsRawRead(u32 offset, void *buf, u32 len);
i32 FlsRawWrite(u32 offset, const void *buf, u32 len);
// True when every byte of [offset, offset + len) may be changed into buf
// under the flash rule (and lies in the image).
bool FlsRawWritable(u32 offset, const void *buf, u32 len);
// Writes len bytes at any offset: an odd edge is widened to an even one with
// the byte stored beside it. 0, -35 when a bit would be set (nothing is then
// written), -31 when the write is short or leaves the image.
i32 FlsWriteBytes(u32 offset, const void *buf, u32 len);
// Erases the sector at image offset (writes 0x10000 bytes of 0xFF): 1 done, 0 not.
i32 FlsEraseSector(u32 offset);
// Erases up to three times until the sector reads back blank: 1 blank, 0 not.
i32 FlsEraseWithRetry(u32 offset);
// Blank test from offset to the end of its sector (in 16-byte steps): 1 when
// all of it is 0xFF; *blank_bytes (when given) receives the blank bytes
// counted up to the first step that is not blank.
i32 FlsBlankTest(u32 offset, u32 *blank_bytes);
// Copies up to 0x10000 bytes between image offsets, the length rounded up to
// a multiple of 16: 0, -2 above 0x10000, -31 when the read or write is short.
i32 FlsSectorCopy(u32 dst, u32 src, u32 len);
// The in-memory copy of the storage area (for fast scans), null when the
// image holds nothing at offset.
const u8 *FlsImageBytes(u32 offset, u32 len);
