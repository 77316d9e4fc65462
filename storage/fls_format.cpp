// Format and mount check of the storage memory.
#include "graph/progress_bar.h"
#include "storage/fls.h"
#include "storage/fls_error.h"
#include "storage/fls_file.h"
#include "storage/fls_image.h"
#include "storage/fls_record.h"
#include "ui/text.h"

namespace {

i32 WriteDescriptor(u32 i, u32 counter) {
  i32 r = FlsLoadEntry(i);
  if (r == 0) {
    u32 words[5] = {kFlsKindSector + i + 1, FlsSectorAddress(i), i == 0 ? kFlsRoleDirectory : kFlsBlankWord,
                    i == 1 ? kFlsSpareMark : kFlsBlankWord, counter | 0x80000000};
    for (u32 k = 0; r == 0 && k < 5; ++k) {
      FlsSelectWriteField(4 * k);
      r = FlsSetField(&words[k], 4);
    }
    if (r == 0) r = FlsWriteBackEntry();
  }
  FlsReleaseCursor();
  return r;
}

}  // namespace

i32 FlsFormat(i32 mode) {
  if (mode < 0 || mode > 2) return FlsErrBadArg;
  FlsResetSlots();
  g_fls_entry_count = 0;
  u32 counter[kFlsSectorCount];
  for (u32 i = 0; i < kFlsSectorCount; ++i) {
    counter[i] = kFlsBlankWord;
    const u8 *e = mode == 1 ? FlsEntryBytes(i) : nullptr;
    if (e && FlsKindOf(FlsGet32(e)) == kFlsKindSector) counter[i] = FlsGet32(e + 16);
  }
  if (mode != 0) {
    // The progress shows in a pop-up over whatever was on the screen.
    PopupOpen(6);
    GraphProgressBar(0, kFlsSectorCount);
    for (u32 i = 0; i < kFlsSectorCount; ++i) {
      // A sector that does not erase is marked as worn out.
      if (!FlsEraseWithRetry(FlsSectorAddress(i))) counter[i] = kFlsBlankWord;
      GraphProgressBar(static_cast<int>(i + 1), kFlsSectorCount);
    }
    PopupClose(6);
  }
  if (!FlsImageBytes(FlsSectorAddress(0), kFlsSectorSize)) return FlsErrShortIo;
  if (!FlsBlankTest(FlsSectorAddress(0), nullptr)) return FlsErrNoBlankSector;
  for (u32 i = 0; i < kFlsSectorCount; ++i) {
    g_fls_entry_count = i + 1;
    i32 r = WriteDescriptor(i, counter[i]);
    if (r < 0) return r;
  }
  return FlsUpdateHeaderField(1, 0, kFlsKindHeader + 1, 4);
}

i32 FlsResetOpenFiles() {
  FlsResetSlots();
  u32 n = 0;
  while (n < kFlsMaxEntries && FlsEntryKindWord(n) != kFlsBlankWord) ++n;
  g_fls_entry_count = n;
  return 0;
}

i32 FlsCheck() {
  for (u32 i = 0; i < kFlsSectorCount; ++i) {
    const u8 *e = FlsEntryBytes(i);
    if (!e || FlsGet32(e) != kFlsKindSector + i + 1 || FlsGet32(e + 4) != FlsSectorAddress(i)) return FlsErrNotFormatted;
  }
  for (u32 n = kFlsFirstEntry; n < g_fls_entry_count; ++n) {
    u32 kind = FlsKindOf(FlsEntryKindWord(n));
    if (kind != kFlsKindFolder && kind != kFlsKindFile && kind != kFlsKindFragment) return FlsErrNotFormatted;
  }
  u32 sectors = g_fls_entry_count / kFlsEntriesPerSector + 1;
  if (sectors > 2) sectors = 2;
  for (u32 s = 1; s <= sectors; ++s) {
    i32 r = FlsLoadBlockHeader(s);
    u32 kind = FlsGet32(g_fls_cursor.read);
    FlsReleaseCursor();
    if (r < 0 || FlsKindOf(kind) != kFlsKindHeader) return FlsErrNotFormatted;
  }
  return 0;
}
