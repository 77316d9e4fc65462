// The directory records and the shared record cursor.
#include "storage/fls_record.h"

#include <cstring>

#include "storage/fls_error.h"
#include "storage/fls_image.h"

FlsCursor g_fls_cursor = {0, 0, 0, {}, {}, 0xFFFF};

namespace {

// Whether the cursor holds a block header, and the image offset it came from.
bool g_cursor_header = false;
u32 g_cursor_address = 0;

// Width of the field that starts at byte `selector` of a record of `kind`;
// 0 when no field starts there.
u32 FieldWidth(u32 kind, u32 selector) {
  if (selector == 0 || selector == 4) return 4;
  switch (kind) {
    case kFlsKindFolder:
      return selector == 8 ? 16 : selector == 24 ? 8 : 0;
    case kFlsKindFile:
      return selector == 8 ? 24 : 0;
    case kFlsKindFragment:
      if (selector >= 8 && selector <= 18 && selector % 2 == 0) return 2;
      return selector == 20 ? 4 : selector == 24 ? 8 : 0;
    case kFlsKindHeader:
      return selector == 8 ? 2 : selector == 10 ? 22 : 0;
    case kFlsKindSector:
      if (selector == 8 || selector == 12 || selector == 16) return 4;
      return selector == 20 ? 2 : selector == 22 ? 10 : 0;
    default:
      return 0;
  }
}

u32 CursorKind(const u8 *record) { return FlsKindOf(FlsGet32(record)); }

i32 LoadAt(u32 address) {
  u8 rec[kFlsRecordSize];
  if (FlsRawRead(address, rec, kFlsRecordSize) != static_cast<i32>(kFlsRecordSize)) return FlsErrShortIo;
  std::memcpy(g_fls_cursor.read, rec, kFlsRecordSize);
  std::memcpy(g_fls_cursor.write, rec, kFlsRecordSize);
  g_cursor_address = address;
  return 0;
}

i32 WriteBack() {
  u32 address = g_cursor_address;
  if (address == 0) return FlsErrBadArg;
  if (!FlsRawWritable(address, g_fls_cursor.write, kFlsRecordSize)) {
    // Past the end of the image the write is short; otherwise a bit would be set.
    return FlsImageBytes(address, kFlsRecordSize) ? FlsErrFlashRule : FlsErrShortIo;
  }
  i32 n = FlsRawWrite(address, g_fls_cursor.write, kFlsRecordSize);
  if (n != static_cast<i32>(kFlsRecordSize)) return n == FlsErrFlashRule ? n : FlsErrShortIo;
  std::memcpy(g_fls_cursor.read, g_fls_cursor.write, kFlsRecordSize);
  return 0;
}

}  // namespace

u32 FlsDirSector2Address() {
  const u8 *h = FlsImageBytes(FlsSectorAddress(0) + kFlsHeaderOffset, kFlsRecordSize);
  if (!h) return 0;
  u32 link = FlsGet32(h + 4);
  for (u32 n = 1; n < kFlsSectorCount; ++n)
    if (link == FlsSectorAddress(n)) return link;
  return 0;
}

i32 FlsEntryAddress(u32 n, u32 *address) {
  if (n >= kFlsMaxEntries) return FlsErrBadArg;
  if (n < kFlsEntriesPerSector) {
    *address = FlsSectorAddress(0) + n * kFlsRecordSize;
    return 0;
  }
  u32 second = FlsDirSector2Address();
  if (second == 0) return FlsErrBadArg;
  *address = second + (n - kFlsEntriesPerSector) * kFlsRecordSize;
  return 0;
}

const u8 *FlsEntryBytes(u32 n) {
  u32 address;
  if (FlsEntryAddress(n, &address) < 0) return nullptr;
  return FlsImageBytes(address, kFlsRecordSize);
}

u32 FlsEntryKindWord(u32 n) {
  const u8 *e = FlsEntryBytes(n);
  return e ? FlsGet32(e) : kFlsBlankWord;
}

i32 FlsLoadEntry(u32 n) {
  u32 address;
  i32 r = FlsEntryAddress(n, &address);
  if (r < 0) return r;
  r = LoadAt(address);
  if (r < 0) return r;
  g_fls_cursor.entry = n;
  g_cursor_header = false;
  return 0;
}

i32 FlsLoadBlockHeader(u32 sector) {
  u32 base;
  if (sector == 1) {
    base = FlsSectorAddress(0);
  } else if (sector == 2) {
    base = FlsDirSector2Address();
    if (base == 0) return FlsErrBadArg;
  } else {
    return FlsErrBadArg;
  }
  i32 r = LoadAt(base + kFlsHeaderOffset);
  if (r < 0) return r;
  g_fls_cursor.entry = sector;
  g_cursor_header = true;
  return 0;
}

void FlsSelectReadField(u32 selector) { g_fls_cursor.read_field = selector; }
void FlsSelectWriteField(u32 selector) { g_fls_cursor.write_field = selector; }
void FlsSetPadChar(u16 pad) { g_fls_cursor.pad = pad; }

i32 FlsGetField(void *dst, u32 width) {
  u32 sel = g_fls_cursor.read_field;
  if (sel >= kFlsRecordSize || FieldWidth(CursorKind(g_fls_cursor.read), sel) != width) return FlsErrBadArg;
  const u8 *p = g_fls_cursor.read + sel;
  if (width == 2) {
    u16 v = FlsGet16(p);
    std::memcpy(dst, &v, 2);
  } else if (width == 4) {
    u32 v = FlsGet32(p);
    std::memcpy(dst, &v, 4);
  } else {
    for (u32 i = 0; i < width / 2; ++i) {
      u16 c = FlsGet16(p + 2 * i);
      if (c == 0xFFFF) c = g_fls_cursor.pad;
      std::memcpy(static_cast<u8 *>(dst) + 2 * i, &c, 2);
    }
  }
  return 0;
}

i32 FlsSetField(const void *src, u32 width) {
  u32 sel = g_fls_cursor.write_field;
  if (sel >= kFlsRecordSize || FieldWidth(CursorKind(g_fls_cursor.write), sel) != width) return FlsErrBadArg;
  u8 bytes[32];
  if (width == 2) {
    u16 v;
    std::memcpy(&v, src, 2);
    FlsPut16(bytes, v);
  } else if (width == 4) {
    u32 v;
    std::memcpy(&v, src, 4);
    FlsPut32(bytes, v);
  } else {
    // The source is read only up to its terminator.
    bool ended = false;
    for (u32 i = 0; i < width / 2; ++i) {
      u16 c = 0xFFFF;
      if (!ended) std::memcpy(&c, static_cast<const u8 *>(src) + 2 * i, 2);
      if (!ended && (c == 0 || c == 0xFFFF || c == g_fls_cursor.pad)) ended = true;
      FlsPut16(bytes + 2 * i, ended ? 0xFFFF : c);
    }
  }
  u8 *field = g_fls_cursor.write + sel;
  for (u32 i = 0; i < width; ++i)
    if ((bytes[i] & field[i]) != bytes[i]) return FlsErrFlashRule;
  std::memcpy(field, bytes, width);
  return 0;
}

i32 FlsWriteBackEntry() {
  if (g_cursor_header) return FlsErrBadArg;
  return WriteBack();
}

i32 FlsWriteBackBlockHeader() {
  if (!g_cursor_header) return FlsErrBadArg;
  return WriteBack();
}

void FlsReleaseCursor() {
  g_fls_cursor.entry = 0;
  g_fls_cursor.read_field = 0;
  g_fls_cursor.write_field = 0;
  std::memset(g_fls_cursor.read, 0xFF, kFlsRecordSize);
  std::memset(g_fls_cursor.write, 0xFF, kFlsRecordSize);
  g_fls_cursor.pad = 0xFFFF;
  g_cursor_header = false;
  g_cursor_address = 0;
}

namespace {

// Sets one number field of the record the cursor holds and writes it back.
i32 UpdateLoaded(i32 loaded, u32 selector, u32 value, u32 width, bool header) {
  i32 r = loaded;
  if (r == 0) {
    FlsSelectWriteField(selector);
    if (width == 2) {
      u16 v = static_cast<u16>(value);
      r = FlsSetField(&v, 2);
    } else {
      r = FlsSetField(&value, 4);
    }
    if (r == 0) r = header ? FlsWriteBackBlockHeader() : FlsWriteBackEntry();
  }
  FlsReleaseCursor();
  return r;
}

}  // namespace

i32 FlsUpdateEntryField(u32 n, u32 selector, u32 value, u32 width) {
  return UpdateLoaded(FlsLoadEntry(n), selector, value, width, false);
}

i32 FlsUpdateHeaderField(u32 sector, u32 selector, u32 value, u32 width) {
  return UpdateLoaded(FlsLoadBlockHeader(sector), selector, value, width, true);
}

i32 FlsBitOp(u32 op, u32 *word, u32 bit) {
  if (bit > 31 || op > FlsBitNotZero) return 0;
  u32 mask = 0x80000000u >> bit;
  switch (op) {
    case FlsBitSet: *word |= mask; return 1;
    case FlsBitClearWord: *word = 0; return 1;
    case FlsBitToggle: *word ^= mask; return 1;
    case FlsBitTest: return (*word & mask) ? 1 : 0;
    case FlsBitIsZero: return *word == 0 ? 1 : 0;
    default: return *word != 0 ? 1 : 0;
  }
}
