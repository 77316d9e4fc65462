// The file interface: path classes, handle tags, the card device and host files.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "storage_fixture.h"

namespace storage_test {
namespace {

class FileApi : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    MountFresh();
  }
  std::string Host(const std::string &rel) { return dir_ + "/host/" + rel; }
};

TEST(FileClassify, PathClasses) {
  struct Case {
    const char *path;
    i32 want;
  };
  const Case cases[] = {
      {"\\\\fls0\\A.TXT", 1}, {"fls0\\A.TXT", 1}, {"\\\\fls0", 1},  {"\\\\crd0\\A.TXT", 2}, {"crd0\\X", 2},
      {"C:\\A.TXT", 3},       {"z:\\dir\\f", 3},  {"\\\\FLS0\\A", -1}, {"ab", -1},          {"", -1},
      {"\\\\usb0\\A", -1},
  };
  for (const auto &c : cases) EXPECT_EQ(FileClassifyPath(W(c.path).data()), c.want) << c.path;
}

TEST_F(FileApi, CardDeviceAnswersWrongDeviceToEverything) {
  auto p = W("\\\\crd0\\A.TXT");
  FileFindInfo info;
  u32 bytes;
  i32 h;
  u16 name[13];
  EXPECT_EQ(FileOpen(p.data()), FlsErrWrongDevice);
  EXPECT_EQ(FileCreate(p.data(), 10), FlsErrWrongDevice);
  EXPECT_EQ(FileDelete(p.data()), FlsErrWrongDevice);
  EXPECT_EQ(FileCheckCreate(p.data(), 10), FlsErrWrongDevice);
  EXPECT_EQ(FileCreateEntry(p.data(), 1), FlsErrWrongDevice);
  EXPECT_EQ(FileRename(p.data(), W("\\\\crd0\\B.TXT").data()), FlsErrWrongDevice);
  EXPECT_EQ(FileSetAttribute(p.data(), 1), FlsErrWrongDevice);
  EXPECT_EQ(FileGetInfo(p.data(), &info), FlsErrWrongDevice);
  EXPECT_EQ(FileFindFirst(W("\\\\crd0\\*").data(), &h, name, &info), FlsErrWrongDevice);
  EXPECT_EQ(FileFormatStorage(W("crd0").data(), 1), FlsErrWrongDevice);
  EXPECT_EQ(FileResetStorage(W("crd0").data()), FlsErrWrongDevice);
  EXPECT_EQ(FileGetFreeSpace(W("crd0").data(), &bytes), FlsErrWrongDevice);
  EXPECT_EQ(FileOptimizeStorage(W("crd0").data()), FlsErrWrongDevice);
  // Handles tagged with the card device, or with no device at all.
  u8 buf[4] = {};
  for (i32 handle : {0x2000000, 0x0000001, 0x5000000}) {
    EXPECT_EQ(FileClose(handle), FlsErrWrongDevice);
    EXPECT_EQ(FileSeek(handle, 0), FlsErrWrongDevice);
    EXPECT_EQ(FileRead(handle, buf, 4, 0), FlsErrWrongDevice);
    EXPECT_EQ(FileWriteAt(handle, buf, 4, 0), FlsErrWrongDevice);
    EXPECT_EQ(FileWrite(handle, buf, 4), FlsErrWrongDevice);
    EXPECT_EQ(FileGetSize(handle), FlsErrWrongDevice);
    EXPECT_EQ(FileCommit(handle), FlsErrWrongDevice);
    EXPECT_EQ(FileFindNext(handle, name, &info), FlsErrWrongDevice);
    EXPECT_EQ(FileFindClose(handle), FlsErrWrongDevice);
  }
}

TEST_F(FileApi, HostFilesRoundTripInsideTheirFolder) {
  auto p = W("c:\\NOTES\\DAY\\MEMO.TXT");
  ASSERT_EQ(FileCreate(p.data(), 100), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(Host("C/NOTES/DAY/MEMO.TXT")));
  EXPECT_EQ(FileCreate(p.data(), 100), FlsErrExists);
  i32 h = FileOpen(p.data(), 2);
  ASSERT_GE(h, 0);
  EXPECT_EQ(FileHandleDevice(h), FileDeviceHost);
  const char text[] = "hello, host";
  ASSERT_EQ(FileWriteAt(h, text, 11, 4), 11);
  EXPECT_EQ(FileWrite(h, text, 11), FlsErrWrongDevice);
  char got[16] = {};
  ASSERT_EQ(FileRead(h, got, 5, 4), 5);
  EXPECT_EQ(std::string(got, 5), "hello");
  ASSERT_EQ(FileRead(h, got, 6, -1), 6);
  EXPECT_EQ(std::string(got, 6), ", host");
  EXPECT_EQ(FileSeek(h, 2), 2);
  EXPECT_EQ(FileRead(h, got, 4, -1), 4);
  EXPECT_EQ(std::string(got, 4), std::string("\0\0he", 4));
  // Host folders are not searched: closing a host handle as a search closes nothing.
  EXPECT_EQ(FileFindClose(h), FlsErrBadArg);
  EXPECT_EQ(FileRead(h, got, 2, 0), 2);
  ASSERT_EQ(FileClose(h), 0);
  EXPECT_EQ(FileClose(h), FlsErrBadArg);
  // Numbers that are no handle of ours are never closed (here standard error).
  EXPECT_EQ(FileClose(kFileTagHost | 2), FlsErrBadArg);
  EXPECT_EQ(FileFindClose(kFileTagHost | 2), FlsErrBadArg);
  EXPECT_NE(::fcntl(2, F_GETFD), -1);
  std::ifstream in(Host("C/NOTES/DAY/MEMO.TXT"), std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, std::string("\0\0\0\0hello, host", 15));
  EXPECT_EQ(FileDelete(p.data()), 0);
  EXPECT_FALSE(std::filesystem::exists(Host("C/NOTES/DAY/MEMO.TXT")));
  EXPECT_EQ(FileOpen(p.data()), FlsErrNotFound);
  // Operations the host device does not serve.
  FileFindInfo info;
  EXPECT_EQ(FileGetInfo(p.data(), &info), FlsErrWrongDevice);
  EXPECT_EQ(FileCreateEntry(p.data(), 1), FlsErrWrongDevice);
  EXPECT_EQ(FileRename(p.data(), p.data()), FlsErrWrongDevice);
}

TEST_F(FileApi, HostPathsThatCouldLeaveTheFolderAreRefused) {
  const char *refused[] = {
      "C:\\..\\escape.txt", "C:\\a\\..\\..\\escape.txt", "C:\\..", "C:\\.\\x", "C:..\\x",
      "C:\\a/../../x",      "C:\\a\\\\b",                "C:\\a\\",  "C:\\",
      "1:\\x",              "C:\\a\x01" "b",             "C:\\tab\tname", "C:\\a:b", "\\\\C:\\x",
  };
  for (const char *path : refused) {
    EXPECT_EQ(FileCreate(W(path).data(), 1), FlsErrBadArg) << path;
    EXPECT_EQ(FileOpen(W(path).data()), FlsErrBadArg) << path;
    EXPECT_EQ(FileDelete(W(path).data()), FlsErrBadArg) << path;
  }
  // Too long, and characters that would narrow into others.
  std::string longpath = "C:\\" + std::string(257, 'a');
  EXPECT_EQ(FileCreate(W(longpath).data(), 1), FlsErrBadArg);
  EXPECT_EQ(FileCreate(W("C:\\" + std::string(256, 'a')).data(), 1), FlsErrBadArg);
  auto wide = W("C:\\x.txt");
  wide[3] = 0x012E;  // its low byte is '.'
  EXPECT_EQ(FileCreate(wide.data(), 1), FlsErrBadArg);
  // Nothing appeared anywhere beside the sandbox's own folder.
  for (const auto &e : std::filesystem::directory_iterator(dir_))
    EXPECT_TRUE(e.path().filename() == "tz841.fls" || e.path().filename() == "host") << e.path();
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/escape.txt"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/escape.txt"));
  // The longest accepted path.
  std::string ok = "C:\\" + std::string(255, 'b');
  char mapped[1024];
  EXPECT_EQ(FileHostPath(W(ok).data(), mapped, sizeof mapped), 0);
  EXPECT_EQ(std::string(mapped), Host("C/" + std::string(255, 'b')));
}

TEST_F(FileApi, StorageHandlesCarryTheirTag) {
  ASSERT_EQ(FileCreate(W("\\\\fls0\\T.TXT").data(), 8), 8);
  i32 h = FileOpen(W("\\\\fls0\\T.TXT").data());
  EXPECT_EQ(h, kFileTagStorage | 0);
  EXPECT_EQ(FileGetSize(h), 8);
  EXPECT_EQ(FileCommit(h), 0);
  EXPECT_EQ(FileClose(h), 0);
  EXPECT_EQ(FileCheckCreate(W("\\\\fls0\\U.TXT").data(), 8), 0);
  EXPECT_EQ(FileClose(-5), FlsErrBadArg);
}

}  // namespace
}  // namespace storage_test
