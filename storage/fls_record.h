// Directory records of the storage memory: 32-byte big-endian records read
// and written through one shared cursor under the flash rule.
#pragma once
#include "kernel/types.h"

constexpr u32 kFlsRecordSize = 32;
constexpr u32 kFlsEntriesPerSector = 2047;       // entries of one directory sector
constexpr u32 kFlsMaxEntries = 4094;             // entries 0..4093
constexpr u32 kFlsHeaderOffset = 0xFFE0;         // block header within a directory sector
constexpr u32 kFlsFirstEntry = 6;                // entries 0..5 describe the sectors

// Record kinds (the kind word with the id and bit 31 masked off).
constexpr u32 kFlsKindMask = 0x7FFF0000;
constexpr u32 kFlsKindHeader = 0x01000000;
constexpr u32 kFlsKindFolder = 0x01100000;
constexpr u32 kFlsKindFile = 0x01200000;
constexpr u32 kFlsKindFragment = 0x01300000;
constexpr u32 kFlsKindSector = 0x02000000;
constexpr u32 kFlsAttributeBit = 0x80000000;
constexpr u32 kFlsBlankWord = 0xFFFFFFFF;

// Sector descriptor roles.
constexpr u32 kFlsRoleDirectory = 0x00FFFFFF;
constexpr u32 kFlsRoleWork = 0x000F0000;
constexpr u32 kFlsSpareMark = 0x0FFFFFFF;

inline u32 FlsKindOf(u32 word) { return word & kFlsKindMask; }
inline u32 FlsIdOf(u32 word) { return word & 0xFFFF; }

// Big-endian fields.
inline u16 FlsGet16(const u8 *p) { return static_cast<u16>(p[0] << 8 | p[1]); }
inline u32 FlsGet32(const u8 *p) {
  return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 | static_cast<u32>(p[2]) << 8 | p[3];
}
inline void FlsPut16(u8 *p, u16 v) {
  p[0] = static_cast<u8>(v >> 8);
  p[1] = static_cast<u8>(v);
}
inline void FlsPut32(u8 *p, u32 v) {
  p[0] = static_cast<u8>(v >> 24);
  p[1] = static_cast<u8>(v >> 16);
  p[2] = static_cast<u8>(v >> 8);
  p[3] = static_cast<u8>(v);
}

// The cursor: the entry loaded, the fields selected, the record as read and
// as it will be written back, and the character that stands for stored 0xFFFF
// characters when a name is read.
struct FlsCursor {
  u32 entry;
  u32 read_field;
  u32 write_field;
  u8 read[kFlsRecordSize];
  u8 write[kFlsRecordSize];
  u16 pad;
};
extern FlsCursor g_fls_cursor;

// Image offset of directory sector 2 (from the link word of sector 1's block
// header), 0 when there is none or the link names no usable sector.
u32 FlsDirSector2Address();
// Image offset of entry n: -2 for n >= 4094 or when entry n needs a second
// directory sector that does not exist.
i32 FlsEntryAddress(u32 n, u32 *address);
// The stored bytes of entry n in the in-memory image, null when entry n does
// not exist or is not in the image.
const u8 *FlsEntryBytes(u32 n);
// Kind word of entry n, 0xFFFFFFFF when it cannot be read.
u32 FlsEntryKindWord(u32 n);

// Loads entry n into the cursor: 0, -2 out of range, -31 short read.
i32 FlsLoadEntry(u32 n);
// Loads the block header of directory sector 1 or 2: 0, -2, -31.
i32 FlsLoadBlockHeader(u32 sector);
// Field selectors name a byte of the record; the kind of the record picks the
// field's width, and an access with another width is ignored.
void FlsSelectReadField(u32 selector);
void FlsSelectWriteField(u32 selector);
// Widths 2 and 4 are numbers (u16 / u32 in host order); other widths are
// arrays of 16-bit characters. 0, or -2 when the width does not fit.
i32 FlsGetField(void *dst, u32 width);
// A number or character array that would set a bit of the stored value is
// left as it was (-35). A character array is written up to its terminator or
// the pad character and filled with 0xFFFF behind it.
i32 FlsSetField(const void *src, u32 width);
void FlsSetPadChar(u16 pad);
// Writes the whole record back: -35 when a byte would set a bit, -31 short write.
i32 FlsWriteBackEntry();
i32 FlsWriteBackBlockHeader();
// Entry and selectors to 0, both records to 0xFF, pad character to 0xFFFF.
void FlsReleaseCursor();

// Loads entry n, sets the number field at selector to value, writes it back
// and releases the cursor: 0 or the first negative code.
i32 FlsUpdateEntryField(u32 n, u32 selector, u32 value, u32 width);
// The same for the block header of directory sector 1 or 2.
i32 FlsUpdateHeaderField(u32 sector, u32 selector, u32 value, u32 width);

// Bit set of 32-bit words for allocation maps; bit 0 is the most significant.
enum FlsBitOpCode : u32 { FlsBitSet = 0, FlsBitClearWord, FlsBitToggle, FlsBitTest, FlsBitIsZero, FlsBitNotZero };
// 0 for a bit index above 31 or an operation above 5; the tests answer 1 or 0,
// the changes 1.
i32 FlsBitOp(u32 op, u32 *word, u32 bit);
