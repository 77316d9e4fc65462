// Format, mount check, records and the flash rule.
#include <sys/stat.h>

#include <cstring>

#include "graph/progress_bar.h"
#include "storage/fls_file.h"
#include "storage/fls_record.h"
#include "storage_fixture.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace storage_test {
namespace {

using FlsMount = StorageTest;

u32 Word(u32 offset) {
  u8 b[4];
  EXPECT_EQ(FlsRawRead(offset, b, 4), 4);
  return FlsGet32(b);
}

TEST_F(FlsMount, FreshImageIsNotFormattedAndFullFormatMountsIt) {
  GraphProgressBarResetState();
  MountFresh();
  struct stat st;
  ASSERT_EQ(::stat(image_.c_str(), &st), 0);
  EXPECT_GE(st.st_size, 0x2E0000);
  // The progress bar was started and then moved once per sector.
  EXPECT_EQ(GraphProgressBarState()->calls, 7u);
  EXPECT_EQ(GraphProgressBarState()->done, 6);
  EXPECT_EQ(GraphProgressBarState()->total, 6);
  EXPECT_EQ(g_fls_entry_count, 6u);
  for (u32 i = 0; i < 6; ++i) {
    u32 at = FlsSectorAddress(0) + 32 * i;
    EXPECT_EQ(Word(at), 0x2000000 + i + 1);
    EXPECT_EQ(Word(at + 4), 0x280000 + i * 0x10000);
    EXPECT_EQ(Word(at + 8), i == 0 ? 0x00FFFFFFu : 0xFFFFFFFFu);
    EXPECT_EQ(Word(at + 12), i == 1 ? 0x0FFFFFFFu : 0xFFFFFFFFu);
    EXPECT_EQ(Word(at + 16), 0xFFFFFFFFu);
  }
  EXPECT_EQ(Word(0x28FFE0), 0x1000001u);
  // Everything else reads erased.
  const u8 *img = FlsImageBytes(kFlsImageBase, kFlsCapacity);
  ASSERT_NE(img, nullptr);
  for (u32 i = 6 * 32; i < kFlsCapacity; ++i) {
    if (i >= 0xFFE0 && i < 0xFFE4) continue;
    ASSERT_EQ(img[i], 0xFF) << std::hex << i;
  }
  // It stays formatted when mounted again from the file.
  Remount();
  EXPECT_EQ(FlsCheck(), 0);
  EXPECT_EQ(g_fls_entry_count, 6u);
}

TEST_F(FlsMount, FormatShowsItsProgressInAPopUpAndPutsTheScreenBack) {
  LcdClearVram();
  LcdDrawLine(0, 0, 127, 63);
  std::vector<u8> before(1024);
  LcdCopyVram(before.data());
  ASSERT_EQ(FileFormatStorage(W("fls0").data(), 1), 0);
  std::vector<u8> after(1024);
  LcdCopyVram(after.data());
  EXPECT_EQ(after, before);
  EXPECT_EQ(PopupOpenMask() & 2u, 0u);
}

TEST_F(FlsMount, FormatWithoutEraseNeedsABlankFirstSector) {
  // An empty image cannot even be read.
  EXPECT_EQ(FileFormatStorage(W("fls0").data(), 0), FlsErrShortIo);
  MountFresh();
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\A.TXT").data(), 1), 0);
  EXPECT_EQ(FileFormatStorage(W("fls0").data(), 0), FlsErrNoBlankSector);
  // A full format clears it; other devices are refused.
  EXPECT_EQ(FileFormatStorage(W("\\\\fls0").data(), 1), 0);
  EXPECT_EQ(FileFormatStorage(W("crd0").data(), 1), FlsErrWrongDevice);
  EXPECT_EQ(FileResetStorage(W("C:\\").data()), FlsErrWrongDevice);
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(W("\\\\fls0\\A.TXT").data(), &info), FlsErrMissing);
}

TEST_F(FlsMount, ResetKeepsEraseCountersAndTheLowestCounterIsChosenFirst) {
  MountFresh();
  // Counters: sector 2 at 7, sectors 3 and 4 at 1, sector 5 never counted.
  ASSERT_EQ(FlsUpdateEntryField(2, 16, 0x80000007, 4), 0);
  ASSERT_EQ(FlsUpdateEntryField(3, 16, 0x80000001, 4), 0);
  ASSERT_EQ(FlsUpdateEntryField(4, 16, 0x80000001, 4), 0);
  ASSERT_EQ(FileResetStorage(W("fls0").data()), 0);
  EXPECT_EQ(Word(FlsSectorAddress(0) + 2 * 32 + 16), 0x80000007u);
  EXPECT_EQ(Word(FlsSectorAddress(0) + 3 * 32 + 16), 0x80000001u);
  EXPECT_EQ(FlsChooseFreeSector(), 3);
  // The first data sector goes where the choice says.
  i32 h = FileCreate(W("\\\\fls0\\A.TXT").data(), 100);
  ASSERT_EQ(h, 100);
  EXPECT_EQ(FlsDataSectorIndex(1), 3);
  EXPECT_EQ(FlsChooseFreeSector(), 4);
  // A full format leaves no counters behind.
  ASSERT_EQ(FileFormatStorage(W("fls0").data(), 1), 0);
  EXPECT_EQ(Word(FlsSectorAddress(0) + 2 * 32 + 16), 0xFFFFFFFFu);
  EXPECT_EQ(FlsChooseFreeSector(), 2);
}

TEST_F(FlsMount, FieldsAndRecordsObeyTheFlashRule) {
  MountFresh();
  ASSERT_EQ(FlsUpdateEntryField(2, 16, 0x80000010, 4), 0);
  // Setting a bit that is clear leaves the field as it was.
  EXPECT_EQ(FlsUpdateEntryField(2, 16, 0x80000011, 4), FlsErrFlashRule);
  EXPECT_EQ(Word(FlsSectorAddress(0) + 2 * 32 + 16), 0x80000010u);
  // Clearing more bits is fine.
  EXPECT_EQ(FlsUpdateEntryField(2, 16, 0x80000000, 4), 0);
  // A width that is not the field's is ignored.
  ASSERT_EQ(FlsLoadEntry(2), 0);
  FlsSelectReadField(16);
  u16 half = 0;
  EXPECT_EQ(FlsGetField(&half, 2), FlsErrBadArg);
  u32 word = 0;
  EXPECT_EQ(FlsGetField(&word, 4), 0);
  EXPECT_EQ(word, 0x80000000u);
  // A whole record whose bytes would set a bit is refused.
  g_fls_cursor.write[20] = 0x00;
  g_fls_cursor.write[17] = 0xFF;
  EXPECT_EQ(FlsWriteBackEntry(), FlsErrFlashRule);
  FlsReleaseCursor();
  EXPECT_EQ(Word(FlsSectorAddress(0) + 2 * 32 + 16), 0x80000000u);
  // Raw writes take even offsets and lengths only.
  u8 two[2] = {0, 0};
  EXPECT_EQ(FlsRawWrite(0x2A0001, two, 2), 0);
  EXPECT_EQ(FlsRawWrite(0x2A0000, two, 1), 0);
  EXPECT_EQ(FlsRawWrite(0x27FFFE, two, 2), -1);
  EXPECT_EQ(FlsRawWrite(0x2E0000, two, 2), -1);
}

TEST_F(FlsMount, EntryNumbersAndDirectorySectors) {
  MountFresh();
  u32 at = 0;
  ASSERT_EQ(FlsEntryAddress(2046, &at), 0);
  EXPECT_EQ(at, 0x280000u + 2046 * 32);
  // Entry 2047 needs the second directory sector, which does not exist yet,
  // and numbers from 4094 on are no entries at all.
  EXPECT_EQ(FlsEntryAddress(2047, &at), FlsErrBadArg);
  EXPECT_EQ(FlsEntryAddress(4094, &at), FlsErrBadArg);
  EXPECT_EQ(FlsLoadEntry(4094), FlsErrBadArg);
  EXPECT_EQ(FlsLoadEntry(0xFFFFFFFF), FlsErrBadArg);
  EXPECT_EQ(FlsLoadBlockHeader(2), FlsErrBadArg);
  EXPECT_EQ(FlsLoadBlockHeader(3), FlsErrBadArg);
  FlsReleaseCursor();
}

// A record left behind the first blank entry of a damaged image: the mount
// takes the directory as ending at the blank entry, and nothing the file
// system writes afterwards pulls the record in, so the image stays mountable
// with every file it had.
TEST_F(FlsMount, ARecordBehindTheFirstBlankEntryNeverJoinsTheDirectory) {
  MountFresh();
  std::vector<u8> data(700);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<u8>(i * 7 + 3);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\KEEP.BIN").data(), 700), 700);
  i32 h = FileOpen(W("\\\\fls0\\KEEP.BIN").data());
  ASSERT_EQ(FileWriteAt(h, data.data(), 700, 0), 700);
  ASSERT_EQ(FileClose(h), 0);
  const u32 end = g_fls_entry_count;
  // Kinds of leftover: a live-looking file record one entry behind the
  // first blank one, then a stray word two entries behind it.
  u32 behind = 1;
  for (u32 kindWord : {0x81200077u, 0x12345678u}) {
    SCOPED_TRACE(kindWord);
    u8 record[32];
    std::memset(record, 0xFF, sizeof record);
    FlsPut32(record, kindWord);
    FlsPut32(record + 4, kFlsRootFolder);
    ASSERT_EQ(FlsRawWrite(FlsSectorAddress(0) + 32 * (end + behind++), record, 32), 32);
    Remount();
    ASSERT_EQ(g_fls_entry_count, end);
    ASSERT_EQ(FlsCheck(), 0);
    // New entries are refused as a full directory, never written so that
    // the record joins.
    EXPECT_EQ(FileCreate(W("\\\\fls0\\NEW1.BIN").data(), 16), FlsErrFull);
    EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\DIR").data(), 5), FlsErrFull);
    EXPECT_EQ(FileRename(W("\\\\fls0\\KEEP.BIN").data(), W("\\\\fls0\\K2.BIN").data()), FlsErrFull);
    EXPECT_EQ(g_fls_entry_count, end);
    Remount();
    EXPECT_EQ(g_fls_entry_count, end);
    EXPECT_EQ(FlsCheck(), 0);
    FileFindInfo info;
    ASSERT_EQ(FileGetInfo(W("\\\\fls0\\KEEP.BIN").data(), &info), 0);
    std::vector<u8> got(700);
    h = FileOpen(W("\\\\fls0\\KEEP.BIN").data());
    ASSERT_GE(h, 0);
    EXPECT_EQ(FileRead(h, got.data(), 700, 0), 700);
    EXPECT_EQ(FileClose(h), 0);
    EXPECT_EQ(got, data);
  }
}

TEST(FlsBits, Dispatcher) {
  u32 w = 0;
  EXPECT_EQ(FlsBitOp(FlsBitSet, &w, 0), 1);
  EXPECT_EQ(w, 0x80000000u);
  EXPECT_EQ(FlsBitOp(FlsBitSet, &w, 31), 1);
  EXPECT_EQ(w, 0x80000001u);
  EXPECT_EQ(FlsBitOp(FlsBitTest, &w, 31), 1);
  EXPECT_EQ(FlsBitOp(FlsBitTest, &w, 30), 0);
  EXPECT_EQ(FlsBitOp(FlsBitToggle, &w, 0), 1);
  EXPECT_EQ(w, 1u);
  EXPECT_EQ(FlsBitOp(FlsBitNotZero, &w, 0), 1);
  EXPECT_EQ(FlsBitOp(FlsBitClearWord, &w, 0), 1);
  EXPECT_EQ(FlsBitOp(FlsBitIsZero, &w, 0), 1);
  EXPECT_EQ(FlsBitOp(FlsBitSet, &w, 32), 0);
  EXPECT_EQ(FlsBitOp(6, &w, 0), 0);
  EXPECT_EQ(w, 0u);
}

}  // namespace
}  // namespace storage_test
