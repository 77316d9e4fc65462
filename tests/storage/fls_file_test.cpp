// Storage files and folders: create, write, read, seek, rename, attributes,
// searches, delete, full storage and full directory.
#include <cstring>
#include <numeric>

#include "storage/fls_file.h"
#include "storage/fls_record.h"
#include "storage_fixture.h"

namespace storage_test {
namespace {

class FlsFile : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    MountFresh();
  }
};

std::vector<u8> Pattern(size_t n, u32 seed) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<u8>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
  return v;
}

i32 Open(const char *path) { return FileOpen(W(path).data()); }

std::vector<u8> ReadAll(const char *path) {
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(W(path).data(), &info), 0);
  i32 h = Open(path);
  EXPECT_GE(h, 0);
  std::vector<u8> out(info.size);
  if (info.size) {
    EXPECT_EQ(FileRead(h, out.data(), static_cast<i32>(out.size()), 0), static_cast<i32>(out.size()));
  }
  EXPECT_EQ(FileClose(h), 0);
  return out;
}

std::vector<std::string> Find(const char *pattern) {
  std::vector<std::string> names;
  i32 h = -1;
  u16 name[13];
  FileFindInfo info;
  i32 r = FileFindFirst(W(pattern).data(), &h, name, &info);
  while (r == 0) {
    names.push_back(Narrow(name));
    r = FileFindNext(h, name, &info);
  }
  EXPECT_EQ(r, FlsErrNotFound);
  if (h >= 0) {
    EXPECT_EQ(FileFindClose(h), 0);
  }
  return names;
}

TEST_F(FlsFile, WritesInSeveralPartsReadBackAcrossFragmentsAndSectors) {
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\DOCS").data(), 5), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\DOCS\\LOG.TXT").data(), 1), 0);
  // A text file takes one run per write; an .MCS file is split over free runs
  // and so crosses from one data sector into the next.
  struct Case {
    const char *path;
    std::vector<size_t> parts;
  };
  const Case cases[] = {
      {"\\\\fls0\\DOCS\\LOG.TXT", {1, 4095, 20000, 17, 30000}},
      {"\\\\fls0\\BIG.MCS", {60000, 60000, 9}},
  };
  for (const auto &c : cases) {
    if (std::string(c.path).find("BIG") != std::string::npos) {
      ASSERT_EQ(FileCreateEntry(W(c.path).data(), 1), 0);
    }
    i32 h = Open(c.path);
    ASSERT_EQ(FileHandleDevice(h), FileDeviceStorage);
    std::vector<u8> all;
    for (size_t k = 0; k < c.parts.size(); ++k) {
      auto part = Pattern(c.parts[k], static_cast<u32>(k));
      ASSERT_EQ(FileWrite(h, part.data(), static_cast<i32>(part.size())), static_cast<i32>(part.size()));
      all.insert(all.end(), part.begin(), part.end());
    }
    EXPECT_EQ(FileGetSize(h), static_cast<i32>(all.size()));
    // Reads at positions that straddle fragment borders, and sequential reads.
    for (size_t pos : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, all.size() - 20, size_t{24090}}) {
      std::vector<u8> got(20);
      ASSERT_EQ(FileRead(h, got.data(), 20, static_cast<i32>(pos)), 20) << c.path << " at " << pos;
      EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + static_cast<long>(pos))) << pos;
    }
    std::vector<u8> seq(all.size());
    ASSERT_EQ(FileRead(h, seq.data(), 5, 0), 5);
    ASSERT_EQ(FileRead(h, seq.data() + 5, static_cast<i32>(all.size() - 5), -1), static_cast<i32>(all.size() - 5));
    EXPECT_EQ(seq, all);
    ASSERT_EQ(FileClose(h), 0);
    // The data is in the image file itself.
    Remount();
    EXPECT_EQ(ReadAll(c.path), all);
  }
  FileFindInfo info;
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\BIG.MCS").data(), &info), 0);
  EXPECT_EQ(info.type, 3);
  EXPECT_EQ(info.size, 120009u);
  EXPECT_GE(FlsDataSectorIndex(2), 0);  // it needed a second data sector
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\DOCS").data(), &info), 0);
  EXPECT_EQ(info.type, 0);
  EXPECT_EQ(info.attribute, 1u);
}

TEST_F(FlsFile, SeekAndReadEdges) {
  i32 r = FileCreate(W("\\\\fls0\\S.TXT").data(), 10);
  ASSERT_EQ(r, 10);
  i32 h = Open("\\\\fls0\\S.TXT");
  auto more = Pattern(30, 1);
  ASSERT_EQ(FileWrite(h, more.data(), 30), 30);
  // Seek answers the bytes left in the fragment that holds the position.
  EXPECT_EQ(FileSeek(h, 0), 10);
  EXPECT_EQ(FileSeek(h, 9), 1);
  EXPECT_EQ(FileSeek(h, 10), 30);
  EXPECT_EQ(FileSeek(h, 39), 1);
  EXPECT_EQ(FileSeek(h, 40), FlsErrSeekPastEnd);
  // A reserved byte reads erased; a read past the data is refused.
  u8 b[64];
  EXPECT_EQ(FileRead(h, b, 1, 3), 1);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(FileRead(h, b, 41, 0), FlsErrBadArg);
  EXPECT_EQ(FileRead(h, b, 0, 0), FlsErrBadArg);
  EXPECT_EQ(FileRead(h, b, 1, 40), FlsErrBadArg);
  ASSERT_EQ(FileClose(h), 0);
  EXPECT_EQ(FileClose(h), FlsErrBadArg);
  EXPECT_EQ(FileClose(kFileTagStorage | 12), FlsErrBadArg);
  EXPECT_EQ(FileClose(kFileTagStorage | 13), FlsErrBadArg);
}

TEST_F(FlsFile, CreateReservesAndWriteAtFillsTheRoom) {
  auto data = Pattern(5000, 3);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\G.MCS").data(), 5000), 5000);
  EXPECT_EQ(FileCreate(W("\\\\fls0\\G.MCS").data(), 10), FlsErrExists);
  i32 h = Open("\\\\fls0\\G.MCS");
  ASSERT_EQ(FileWriteAt(h, data.data(), 3001, 0), 3001);
  ASSERT_EQ(FileWriteAt(h, data.data() + 3001, 1999, 3001), 1999);
  // Writing the same bytes again is allowed; bytes that would set bits are not,
  // and nothing of such a write lands.
  EXPECT_EQ(FileWriteAt(h, data.data(), 10, 0), 10);
  std::vector<u8> ones(10, 0xFF);
  EXPECT_EQ(FileWriteAt(h, ones.data(), 10, 4990), FlsErrFlashRule);
  EXPECT_EQ(FileWriteAt(h, data.data(), 10, 4995), FlsErrBadArg);
  EXPECT_EQ(FileWriteAt(h, data.data(), 10, -1), FlsErrBadArg);
  ASSERT_EQ(FileClose(h), 0);
  EXPECT_EQ(ReadAll("\\\\fls0\\G.MCS"), data);
  // Size 0 is refused and makes nothing.
  EXPECT_EQ(FileCheckCreate(W("\\\\fls0\\Z.TXT").data(), 0), FlsErrBadArg);
  EXPECT_EQ(FileCreate(W("\\\\fls0\\Z.TXT").data(), 0), FlsErrBadArg);
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(W("\\\\fls0\\Z.TXT").data(), &info), FlsErrMissing);
}

TEST_F(FlsFile, RenameAttributeAndTheirErrors) {
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\A").data(), 5), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\B").data(), 5), 0);
  auto data = Pattern(300, 5);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\A\\X.TXT").data(), 300), 300);
  i32 h = Open("\\\\fls0\\A\\X.TXT");
  ASSERT_EQ(FileWriteAt(h, data.data(), 300, 0), 300);
  EXPECT_EQ(FileRename(W("\\\\fls0\\A\\X.TXT").data(), W("\\\\fls0\\A\\Y.TXT").data()), FlsErrNoSlot);
  ASSERT_EQ(FileClose(h), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\A\\W.TXT").data(), 1), 0);
  struct Case {
    const char *from;
    const char *to;
    i32 want;
  };
  const Case cases[] = {
      {"\\\\fls0\\A\\NONE.TXT", "\\\\fls0\\A\\Q.TXT", FlsErrMissing},
      {"\\\\fls0\\A\\X.TXT", "\\\\fls0\\A\\W.TXT", FlsErrExists},
      {"\\\\fls0\\A\\X.TXT", "\\\\fls0\\B\\X.TXT", FlsErrFolderDiffers},
      {"\\\\fls0\\A\\X.TXT", "\\\\fls0\\A\\THIRTEENCHARS", FlsErrBadArg},
      {"\\\\fls0\\A", "\\\\fls0\\NINECHARS", FlsErrBadArg},
      {"\\\\fls0\\A\\X.TXT", "\\\\crd0\\A\\X.TXT", FlsErrWrongDevice},
      {"\\\\fls0\\A\\X.TXT", "\\\\fls0\\A\\Y.TXT", 0},
      {"\\\\fls0\\A", "\\\\fls0\\C", 0},
  };
  for (const auto &c : cases) EXPECT_EQ(FileRename(W(c.from).data(), W(c.to).data()), c.want) << c.from << " -> " << c.to;
  // The renamed file, in its renamed folder, keeps its data.
  EXPECT_EQ(ReadAll("\\\\fls0\\C\\Y.TXT"), data);
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(W("\\\\fls0\\C\\X.TXT").data(), &info), FlsErrMissing);
  // Attribute off and on again.
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\C\\Y.TXT").data(), &info), 0);
  EXPECT_EQ(info.attribute, 1u);
  ASSERT_EQ(FileSetAttribute(W("\\\\fls0\\C\\Y.TXT").data(), 0), 0);
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\C\\Y.TXT").data(), &info), 0);
  EXPECT_EQ(info.attribute, 0u);
  EXPECT_EQ(info.size, 300u);
  ASSERT_EQ(FileSetAttribute(W("\\\\fls0\\C\\Y.TXT").data(), 1), 0);
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\C\\Y.TXT").data(), &info), 0);
  EXPECT_EQ(info.attribute, 1u);
  EXPECT_EQ(ReadAll("\\\\fls0\\C\\Y.TXT"), data);
  EXPECT_EQ(FileSetAttribute(W("\\\\fls0\\C\\NONE").data(), 1), FlsErrMissing);
}

TEST_F(FlsFile, SearchesByPattern) {
  for (const char *f : {"\\\\fls0\\A.TXT", "\\\\fls0\\b.txt", "\\\\fls0\\C.MCS", "\\\\fls0\\LONGNAME.TXT", "\\\\fls0\\NOEXT"})
    ASSERT_EQ(FileCreateEntry(W(f).data(), 1), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\DIR").data(), 5), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\DIR\\IN.TXT").data(), 1), 0);
  using V = std::vector<std::string>;
  EXPECT_EQ(Find("\\\\fls0\\*.TXT"), (V{"A.TXT", "b.txt", "LONGNAME.TXT"}));
  EXPECT_EQ(Find("\\\\fls0\\*.txt"), (V{"A.TXT", "b.txt", "LONGNAME.TXT"}));
  EXPECT_EQ(Find("\\\\fls0\\?.*"), (V{"A.TXT", "b.txt", "C.MCS"}));
  EXPECT_EQ(Find("\\\\fls0\\*"), (V{"NOEXT", "DIR"}));
  EXPECT_EQ(Find("\\\\fls0\\*.*"), (V{"A.TXT", "b.txt", "C.MCS", "LONGNAME.TXT"}));
  EXPECT_EQ(Find("\\\\fls0\\DIR\\*.*"), (V{"IN.TXT"}));
  EXPECT_EQ(Find("\\\\fls0\\*.G1M"), V{});
  i32 h = -1;
  u16 name[13];
  FileFindInfo info;
  EXPECT_EQ(FileFindFirst(W("\\\\fls0\\NODIR\\*").data(), &h, name, &info), FlsErrFolderDiffers);
  EXPECT_EQ(FileFindFirst(W("C:\\*").data(), &h, name, &info), FlsErrWrongDevice);
  // Four searches at a time; a fifth is refused; closing a free slot is refused.
  i32 hs[4];
  for (auto &x : hs) ASSERT_EQ(FileFindFirst(W("\\\\fls0\\*.TXT").data(), &x, name, &info), 0);
  EXPECT_EQ(FileFindFirst(W("\\\\fls0\\*.TXT").data(), &h, name, &info), FlsErrNoFindSlot);
  for (auto x : hs) EXPECT_EQ(FileFindClose(x), 0);
  EXPECT_EQ(FileFindClose(hs[0]), FlsErrBadArg);
  EXPECT_EQ(FileFindNext(hs[0], name, &info), FlsErrBadArg);
}

TEST_F(FlsFile, MatchPatternAndTypes) {
  struct Match {
    const char *pattern;
    const char *name;
    i32 want;
  };
  const Match matches[] = {
      {"*.*", "A.TXT", 1}, {"*", "A.TXT", 0}, {"A*", "ABC", 1}, {"a?c", "ABC", 1}, {"A?C", "AC", 0},
      {"*.T?T", "X.TXT", 1}, {"*X", "A.X", 0}, {"*", "", 1}, {"AB", "AB   ", 1},
  };
  for (const auto &m : matches) {
    auto name = W(m.name);
    std::vector<u16> name12(12, 0xFFFF);
    for (size_t i = 0; i + 1 < name.size() && i < 12; ++i) name12[i] = name[i];
    EXPECT_EQ(FlsMatchPattern(W(m.pattern).data(), name12.data()), m.want) << m.pattern << " " << m.name;
  }
  struct Type {
    const char *name;
    u16 want;
  };
  const Type types[] = {{"A.MCS", 3}, {"A.eac", 3}, {"A.LNG", 4}, {"A.TMP", 7}, {"A.UFX", 2},
                        {"A.TXT", 1}, {"NODOT", 1}, {"A.EACT", 1}, {"A.B.MCS", 3}, {"A.MC", 1}};
  for (const auto &t : types) EXPECT_EQ(FlsTypeFromExtension(W(t.name).data(), 12), t.want) << t.name;
}

TEST_F(FlsFile, DeleteAndOpenSlots) {
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\D").data(), 5), 0);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\D\\F.TXT").data(), 64), 64);
  EXPECT_EQ(FileDelete(W("\\\\fls0\\D").data()), FlsErrNotEmpty);
  i32 h = Open("\\\\fls0\\D\\F.TXT");
  ASSERT_GE(h, 0);
  EXPECT_EQ(Open("\\\\fls0\\D\\F.TXT"), FlsErrNoSlot);
  EXPECT_EQ(FileDelete(W("\\\\fls0\\D\\F.TXT").data()), FlsErrNoSlot);
  ASSERT_EQ(FileClose(h), 0);
  EXPECT_EQ(Open("\\\\fls0\\D"), FlsErrNotFile);
  EXPECT_EQ(Open("\\\\fls0\\D\\NONE.TXT"), FlsErrMissing);
  EXPECT_EQ(FileDelete(W("\\\\fls0\\D\\F.TXT").data()), 0);
  EXPECT_EQ(FileDelete(W("\\\\fls0\\D\\F.TXT").data()), FlsErrMissing);
  EXPECT_EQ(FileDelete(W("\\\\fls0\\D").data()), 0);
  EXPECT_EQ(Find("\\\\fls0\\*.*"), std::vector<std::string>{});
  // Twelve files open at once; the thirteenth open finds no slot.
  for (int i = 0; i < 13; ++i) ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\F" + std::to_string(i)).data(), 1), 0);
  std::vector<i32> hs;
  for (int i = 0; i < 12; ++i) {
    hs.push_back(FileOpen(W("\\\\fls0\\F" + std::to_string(i)).data()));
    ASSERT_EQ(hs.back(), kFileTagStorage | i);
  }
  EXPECT_EQ(FileOpen(W("\\\\fls0\\F12").data()), FlsErrNoSlot);
  for (auto x : hs) EXPECT_EQ(FileClose(x), 0);
  // Paths the resolver refuses.
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\THIRTEENCHARS").data(), 1), FlsErrBadArg);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\NINECHARS").data(), 5), FlsErrBadArg);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\").data(), 1), FlsErrBadArg);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\F0\\X").data(), 1), FlsErrFolderDiffers);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\F0").data(), 1), FlsErrExists);
  EXPECT_EQ(FileCreateEntry(W("fls0\\NOSLASH").data(), 1), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\E").data(), 5), 0);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\E\\SUB").data(), 5), FlsErrBadArg);
}

TEST_F(FlsFile, ReportedFreeSpaceCanBeWrittenAndAFullStorageLeavesNothingBehind) {
  u32 free = 0;
  ASSERT_EQ(FileGetFreeSpace(W("fls0").data(), &free), 0);
  // Four sectors can hold data: the directory and the spare sector cannot.
  EXPECT_EQ(free, 4u * 0x10000);
  u32 before = g_fls_entry_count;
  EXPECT_EQ(FileCreate(W("\\\\fls0\\TOO.MCS").data(), static_cast<i32>(free + 1)), FlsErrFull);
  EXPECT_EQ(g_fls_entry_count, before);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\ALL.MCS").data(), static_cast<i32>(free)), static_cast<i32>(free));
  ASSERT_EQ(FileGetFreeSpace(W("fls0").data(), &free), 0);
  EXPECT_EQ(free, 0u);
  before = g_fls_entry_count;
  i32 r = FileCreate(W("\\\\fls0\\ONE.TXT").data(), 1);
  EXPECT_TRUE(r == FlsErrFull || r == FlsErrNoBlankSector) << r;
  EXPECT_EQ(g_fls_entry_count, before);
  // A write to an open file that does not fit changes nothing.
  ASSERT_EQ(FlsFormat(2), 0);
  ASSERT_EQ(FlsResetOpenFiles(), 0);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\A.MCS").data(), 3 * 0x10000), 3 * 0x10000);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\B.TXT").data(), 1), 0);
  i32 h = Open("\\\\fls0\\B.TXT");
  auto data = Pattern(0x8000, 9);
  ASSERT_EQ(FileWrite(h, data.data(), 0x8000), 0x8000);
  before = g_fls_entry_count;
  auto big = Pattern(0x9000, 10);
  EXPECT_EQ(FileWrite(h, big.data(), 0x9000), FlsErrFull);
  EXPECT_EQ(g_fls_entry_count, before);
  EXPECT_EQ(FileGetSize(h), 0x8000);
  ASSERT_EQ(FileWrite(h, big.data(), 0x8000), 0x8000);
  ASSERT_EQ(FileClose(h), 0);
  ASSERT_EQ(FileGetFreeSpace(W("fls0").data(), &free), 0);
  EXPECT_EQ(free, 0u);
  // Deleted data stays written until the storage is erased, so it is not free.
  ASSERT_EQ(FileDelete(W("\\\\fls0\\B.TXT").data()), 0);
  ASSERT_EQ(FileGetFreeSpace(W("fls0").data(), &free), 0);
  EXPECT_EQ(free, 0u);
  EXPECT_EQ(FileGetFreeSpace(W("crd0").data(), &free), FlsErrWrongDevice);
}

TEST_F(FlsFile, AFailedDataWriteLeavesTheFileAsItWas) {
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\W.TXT").data(), 1), 0);
  i32 h = Open("\\\\fls0\\W.TXT");
  auto a = Pattern(100, 1), b = Pattern(200, 2);
  ASSERT_EQ(FileWrite(h, a.data(), 100), 100);
  // The next write makes a fragment entry, then writes the data: let the data fail.
  g_fail_write = g_writes + 1;
  EXPECT_EQ(FileWrite(h, b.data(), 200), FlsErrShortIo);
  EXPECT_EQ(FileGetSize(h), 100);
  ASSERT_EQ(FileWrite(h, b.data(), 200), 200);
  ASSERT_EQ(FileClose(h), 0);
  auto want = a;
  want.insert(want.end(), b.begin(), b.end());
  EXPECT_EQ(ReadAll("\\\\fls0\\W.TXT"), want);
  FileFindInfo info;
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\W.TXT").data(), &info), 0);
  EXPECT_EQ(info.occupied, 300u + 2 * 32 + 32);
}

TEST_F(FlsFile, FullDirectoryRefusesAndRenameNeverLosesTheFile) {
  ASSERT_EQ(FileCreate(W("\\\\fls0\\KEEP.TXT").data(), 40), 40);
  u32 n = g_fls_entry_count;
  // Fill the directory; the second directory sector appears at entry 2047.
  for (u32 i = 0; n < kFlsMaxEntries; ++i, ++n) {
    ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\E" + std::to_string(i)).data(), 1), 0) << i;
    if (n == kFlsEntriesPerSector) {
      u32 link = FlsDirSector2Address();
      ASSERT_NE(link, 0u);
      u8 header[4];
      ASSERT_EQ(FlsRawRead(link + 0xFFE0, header, 4), 4);
      EXPECT_EQ(FlsGet32(header), 0x1000002u);
      i32 idx = static_cast<i32>((link - kFlsImageBase) / kFlsSectorSize);
      u8 role[4];
      ASSERT_EQ(FlsRawRead(FlsSectorAddress(0) + 32 * static_cast<u32>(idx) + 8, role, 4), 4);
      EXPECT_EQ(FlsGet32(role), kFlsRoleDirectory);
    }
  }
  EXPECT_EQ(g_fls_entry_count, kFlsMaxEntries);
  EXPECT_EQ(FileCreateEntry(W("\\\\fls0\\MORE").data(), 1), FlsErrFull);
  EXPECT_EQ(FileCreate(W("\\\\fls0\\MORE").data(), 10), FlsErrFull);
  EXPECT_EQ(FileRename(W("\\\\fls0\\KEEP.TXT").data(), W("\\\\fls0\\NEW.TXT").data()), FlsErrFull);
  EXPECT_EQ(FileSetAttribute(W("\\\\fls0\\KEEP.TXT").data(), 0), FlsErrFull);
  FileFindInfo info;
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\KEEP.TXT").data(), &info), 0);
  EXPECT_EQ(info.size, 40u);
  EXPECT_EQ(info.attribute, 1u);
  // The mount counts the same and accepts the full directory.
  Remount();
  EXPECT_EQ(g_fls_entry_count, kFlsMaxEntries);
  EXPECT_EQ(FlsCheck(), 0);
}

// The work file keeps its name: renamed, its data would stay in the work
// sectors and the next work-file write would overwrite it.
TEST_F(FlsFile, TheWorkFileIsNeverRenamed) {
  // No other file takes the work file's name (and its place) either.
  ASSERT_EQ(FileCreate(W("\\\\fls0\\OTHER.TXT").data(), 40), 40);
  EXPECT_EQ(FileRename(W("\\\\fls0\\OTHER.TXT").data(), W("\\\\fls0\\EACTWORK.TMP").data()), FlsErrBadArg);
  auto a = Pattern(3000, 8);
  ASSERT_EQ(FileWriteWorkFile(a.data(), 3000, 100), 3000);
  const struct {
    const char *from;
    const char *to;
  } refused[] = {
      {"\\\\fls0\\EACTWORK.TMP", "\\\\fls0\\SAVED.TMP"},
      {"\\\\fls0\\EACTWORK.TMP", "\\\\fls0\\SAVED.TXT"},
  };
  for (const auto &c : refused)
    EXPECT_EQ(FileRename(W(c.from).data(), W(c.to).data()), FlsErrBadArg) << c.from << " -> " << c.to;
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(W("\\\\fls0\\SAVED.TMP").data(), &info), FlsErrMissing);
  // The next work-file write finds the work file where it was, and every
  // byte written before is still there beside the new ones.
  auto b = Pattern(500, 9);
  ASSERT_EQ(FileWriteWorkFile(b.data(), 500, 70000), 500);
  std::vector<u8> got(3000);
  ASSERT_EQ(FileReadWorkFile(got.data(), 3000, 100), 3000);
  EXPECT_EQ(got, a);
  got.resize(500);
  ASSERT_EQ(FileReadWorkFile(got.data(), 500, 70000), 500);
  EXPECT_EQ(got, b);
  EXPECT_EQ(ReadAll("\\\\fls0\\OTHER.TXT").size(), 40u);
  // Ordinary renames still work, in the root as in a folder.
  EXPECT_EQ(FileRename(W("\\\\fls0\\OTHER.TXT").data(), W("\\\\fls0\\EACTWORK.TXT").data()), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\F").data(), 5), 0);
  ASSERT_EQ(FileCreate(W("\\\\fls0\\F\\EACTWORK.TMP").data(), 40), 40);
  EXPECT_EQ(FileRename(W("\\\\fls0\\F\\EACTWORK.TMP").data(), W("\\\\fls0\\F\\X.TMP").data()), 0);
}

TEST_F(FlsFile, WorkFileAndOptimisation) {
  auto a = Pattern(1000, 4);
  ASSERT_EQ(FileWriteWorkFile(a.data(), 1000, 70000), 1000);
  std::vector<u8> got(1000);
  ASSERT_EQ(FileReadWorkFile(got.data(), 1000, 70000), 1000);
  EXPECT_EQ(got, a);
  FileFindInfo info;
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\EACTWORK.TMP").data(), &info), 0);
  EXPECT_EQ(info.size, 0x20000u);
  i32 w1 = FlsWorkSectorIndex(1), w2 = FlsWorkSectorIndex(2);
  ASSERT_GE(w1, 0);
  ASSERT_GE(w2, 0);
  // Rewriting needs the work area erased first.
  auto b = Pattern(1000, 5);
  EXPECT_EQ(FileWriteWorkFile(b.data(), 1000, 70000), FlsErrFlashRule);
  ASSERT_EQ(FileEraseWorkArea(2), 0);
  ASSERT_EQ(FileWriteWorkFile(b.data(), 1000, 70000), 1000);
  ASSERT_EQ(FileOptimizeStorage(W("fls0").data()), 0);
  u8 mark[2];
  ASSERT_EQ(FlsRawRead(0x28FFE8, mark, 2), 2);
  EXPECT_EQ(FlsGet16(mark), 0x0FFF);
  EXPECT_EQ(FileGetInfo(W("\\\\fls0\\EACTWORK.TMP").data(), &info), FlsErrMissing);
  EXPECT_EQ(FileOptimizeStorage(W("crd0").data()), FlsErrWrongDevice);
  // A new work file takes the same two sectors again.
  ASSERT_EQ(FileWriteWorkFile(a.data(), 1000, 0), 1000);
  EXPECT_EQ(FlsWorkSectorIndex(1), w1);
  EXPECT_EQ(FlsWorkSectorIndex(2), w2);
  EXPECT_EQ(FlsDataSectorIndex(1), -1);
  ASSERT_EQ(FileOptimizeStorage(W("fls0").data()), 0);
  // Another .TMP file is an ordinary file in the data sectors.
  ASSERT_EQ(FileCreate(W("\\\\fls0\\OTHER.TMP").data(), 1000), 1000);
  i32 h = FileOpen(W("\\\\fls0\\OTHER.TMP").data());
  ASSERT_EQ(FileWriteAt(h, a.data(), 1000, 0), 1000);
  ASSERT_EQ(FileWrite(h, b.data(), 1000), 1000);
  ASSERT_EQ(FileClose(h), 0);
  auto both = a;
  both.insert(both.end(), b.begin(), b.end());
  EXPECT_EQ(ReadAll("\\\\fls0\\OTHER.TMP"), both);
  EXPECT_GE(FlsDataSectorIndex(1), 0);
  ASSERT_EQ(FileGetInfo(W("\\\\fls0\\OTHER.TMP").data(), &info), 0);
  EXPECT_EQ(info.type, 7);
}

}  // namespace
}  // namespace storage_test
