#include "shell/storage_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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
