#include "shell/storage_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"

namespace {

class StorageImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/corvanta-image-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    folder_ = root_ + "/private";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::string root_, folder_;
};

TEST_F(StorageImageTest, OpensInPrivateFolderAndRemovesAtExit) {
  ShellStorageImage image;
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageOk) << error;
  EXPECT_EQ(image.path, folder_ + "/tz841.fls");
  struct stat st {};
  ASSERT_EQ(stat(folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(image.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);
  ShellDeleteStorageImage(&image);
  EXPECT_EQ(image.fd, -1);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/tz841.fls"));
}

TEST_F(StorageImageTest, SecondInstanceIsRefusedWhileTheFirstHoldsIt) {
  ShellStorageImage first, second;
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(folder_, &first, &error), kShellImageOk) << error;
  EXPECT_EQ(ShellOpenStorageImage(folder_, &second, &error), kShellImageInUse);
  EXPECT_EQ(second.fd, -1);
  EXPECT_NE(error.find("already running"), std::string::npos);
  ShellDeleteStorageImage(&first);
  EXPECT_EQ(ShellOpenStorageImage(folder_, &second, &error), kShellImageOk) << error;
  ShellDeleteStorageImage(&second);
}

TEST_F(StorageImageTest, ImageLeftByEarlierRunIsOpenedAsItStands) {
  ASSERT_EQ(mkdir(folder_.c_str(), 0700), 0);
  FILE *f = fopen((folder_ + "/tz841.fls").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("left over", f);
  fclose(f);
  ShellStorageImage image;
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageOk) << error;
  char buf[16] = {};
  EXPECT_EQ(pread(image.fd, buf, sizeof buf, 0), 9);
  EXPECT_STREQ(buf, "left over");
  ShellCloseStorageImage(&image);
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/tz841.fls"));  // close alone keeps it
}

TEST_F(StorageImageTest, UnsafePlacesAreRefused) {
  std::string error;
  ShellStorageImage image;
  // The image name is a symbolic link: not followed.
  ASSERT_EQ(mkdir(folder_.c_str(), 0700), 0);
  std::string target = root_ + "/elsewhere";
  ASSERT_EQ(symlink(target.c_str(), (folder_ + "/tz841.fls").c_str()), 0);
  EXPECT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageFailed);
  EXPECT_FALSE(std::filesystem::exists(target));
  // The folder is a symbolic link.
  std::string linked = root_ + "/linked";
  ASSERT_EQ(symlink(folder_.c_str(), linked.c_str()), 0);
  EXPECT_EQ(ShellOpenStorageImage(linked, &image, &error), kShellImageFailed);
  // The folder cannot be made.
  EXPECT_EQ(ShellOpenStorageImage(root_ + "/no/such/parent", &image, &error), kShellImageFailed);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(image.fd, -1);
}

TEST_F(StorageImageTest, OpenFolderIsMadePrivate) {
  ASSERT_EQ(mkdir(folder_.c_str(), 0755), 0);
  ShellStorageImage image;
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageOk) << error;
  struct stat st {};
  ASSERT_EQ(stat(folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ShellDeleteStorageImage(&image);
}

std::vector<u16> Wide(const char *s) {
  std::vector<u16> w(s, s + std::strlen(s));
  w.push_back(0);
  return w;
}

// The bytes of the real file at an offset, read past the storage layer.
std::vector<u8> FileBytes(int fd, u32 offset, u32 len) {
  std::vector<u8> out(len);
  const ssize_t n = pread(fd, out.data(), len, offset);
  out.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out;
}

// The window's road: the image opened in its private folder and handed to
// the storage file system. What the file system writes lands in the real
// file, and an image left by an earlier run mounts as it stands.
TEST_F(StorageImageTest, FileSystemWritesThroughToTheImageFile) {
  ShellStorageImage image;
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageOk) << error;
  ASSERT_EQ(FlsImageAttach(image.fd), 0);
  EXPECT_EQ(FlsCheck(), -6);  // a fresh image holds no file system
  const std::vector<u16> device = Wide("fls0"), path = Wide("\\\\fls0\\NOTE.TXT");
  ASSERT_EQ(FileFormatStorage(device.data(), 1), 0);
  EXPECT_EQ(FlsCheck(), 0);
  const char text[] = "written through to the real file";
  const i32 size = static_cast<i32>(sizeof text - 1);
  ASSERT_EQ(FileCreate(path.data(), size), size);
  i32 h = FileOpen(path.data());
  ASSERT_GE(h, 0);
  ASSERT_EQ(FileWriteAt(h, text, size, 0), size);
  ASSERT_EQ(FileClose(h), 0);

  // Every byte of the storage area in the file on disk equals what the file
  // system holds, and the file's text is in it.
  const std::vector<u8> disk = FileBytes(image.fd, kFlsImageBase, kFlsCapacity);
  ASSERT_EQ(disk.size(), kFlsCapacity);
  const u8 *mirror = FlsImageBytes(kFlsImageBase, kFlsCapacity);
  ASSERT_NE(mirror, nullptr);
  EXPECT_EQ(std::memcmp(disk.data(), mirror, kFlsCapacity), 0);
  EXPECT_NE(std::search(disk.begin(), disk.end(), text, text + size), disk.end());
  FlsImageDetach();
  ShellCloseStorageImage(&image);  // as a run that ended without removing it

  // The next run finds the image and mounts it as it stands.
  ASSERT_EQ(ShellOpenStorageImage(folder_, &image, &error), kShellImageOk) << error;
  EXPECT_EQ(FileBytes(image.fd, kFlsImageBase, kFlsCapacity), disk);
  ASSERT_EQ(FlsImageAttach(image.fd), 0);
  EXPECT_EQ(FlsCheck(), 0);
  h = FileOpen(path.data());
  ASSERT_GE(h, 0);
  char back[sizeof text] = {};
  EXPECT_EQ(FileRead(h, back, size, 0), size);
  EXPECT_STREQ(back, text);
  EXPECT_EQ(FileClose(h), 0);
  // A second file goes to the same real file.
  const std::vector<u16> second = Wide("\\\\fls0\\B.TXT");
  ASSERT_EQ(FileCreate(second.data(), 4), 4);
  h = FileOpen(second.data());
  ASSERT_EQ(FileWriteAt(h, "RUN2", 4, 0), 4);
  ASSERT_EQ(FileClose(h), 0);
  const std::vector<u8> after = FileBytes(image.fd, kFlsImageBase, kFlsCapacity);
  EXPECT_EQ(std::memcmp(after.data(), FlsImageBytes(kFlsImageBase, kFlsCapacity), kFlsCapacity), 0);
  EXPECT_NE(std::search(after.begin(), after.end(), "RUN2", "RUN2" + 4), after.end());
  FlsImageDetach();
  ShellDeleteStorageImage(&image);
  EXPECT_FALSE(FlsImageAttached());
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/tz841.fls"));
}

TEST(StorageImageFolder, FollowsTheUsersRuntimeFolder) {
  const char *old = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = old ? old : "";
  setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(ShellStorageImageFolder(), "/run/user/4242/corvanta");
  setenv("XDG_RUNTIME_DIR", "relative", 1);  // not absolute: ignored
  EXPECT_NE(ShellStorageImageFolder(), "relative/corvanta");
  if (old) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1); else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
