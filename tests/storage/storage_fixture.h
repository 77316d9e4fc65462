// Shared fixture of the storage tests: a temporary image file reached through
// a platform wrapper that refuses (and counts) every write that would set a
// bit the file holds clear, other than the erase of a whole sector; host
// files go to a temporary folder.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"

namespace storage_test {

inline int g_flash_violations = 0;
inline int g_writes = 0;          // writes that reached the wrapper
inline int g_fail_write = -1;     // the number of the one write that fails

inline i32 CheckedWriteAt(i32 fd, u32 offset, const void *buf, u32 len) {
  if (g_writes++ == g_fail_write) return -1;
  const u8 *src = static_cast<const u8 *>(buf);
  bool erase = len == kFlsSectorSize && offset >= kFlsImageBase && (offset - kFlsImageBase) % kFlsSectorSize == 0;
  for (u32 i = 0; erase && i < len; ++i) erase = src[i] == 0xFF;
  if (!erase) {
    std::vector<u8> old(len);
    ssize_t n = ::pread(fd, old.data(), len, offset);
    bool ok = n == static_cast<ssize_t>(len);
    for (u32 i = 0; ok && i < len; ++i) ok = (src[i] & old[i]) == src[i];
    if (!ok) {
      ++g_flash_violations;
      ADD_FAILURE() << "write at 0x" << std::hex << offset << " of " << std::dec << len << " bytes sets a bit";
      return -1;
    }
  }
  return FlsPosixPlatform()->write_at(fd, offset, buf, len);
}

inline i32 PlainOpen(const char *path) { return FlsPosixPlatform()->open(path); }
inline i32 PlainReadAt(i32 fd, u32 offset, void *buf, u32 len) { return FlsPosixPlatform()->read_at(fd, offset, buf, len); }
inline i32 PlainClose(i32 fd) { return FlsPosixPlatform()->close(fd); }

inline const FlsPlatform kFlashChecked = {PlainOpen, PlainReadAt, CheckedWriteAt, PlainClose};

// A 16-bit string from 8-bit text.
inline std::vector<u16> W(const std::string &s) {
  std::vector<u16> w(s.begin(), s.end());
  for (auto &c : w) c = static_cast<u8>(c);
  w.push_back(0);
  return w;
}

inline std::string Narrow(const u16 *s) {
  std::string out;
  while (*s && *s != 0xFFFF) out += static_cast<char>(*s++);
  return out;
}

class StorageTest : public ::testing::Test {
 protected:
  std::string dir_;
  std::string image_;

  void SetUp() override {
    char tmpl[] = "/tmp/corvanta-storage-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    image_ = dir_ + "/tz841.fls";
    g_flash_violations = 0;
    g_writes = 0;
    g_fail_write = -1;
    FlsSetPlatform(&kFlashChecked);
    ASSERT_EQ(FlsImageOpen(image_.c_str()), 0);
    FileSetHostRoot((dir_ + "/host").c_str());
  }

  void TearDown() override {
    FlsImageClose();
    FlsSetPlatform(nullptr);
    FileSetHostRoot(nullptr);
    EXPECT_EQ(g_flash_violations, 0);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Mounts a fresh (empty) image the way the boot does: -6, then a full format.
  void MountFresh() {
    ASSERT_EQ(FlsResetOpenFiles(), 0);
    ASSERT_EQ(FlsCheck(), FlsErrNotFormatted);
    ASSERT_EQ(FileFormatStorage(W("fls0").data(), 1), 0);
    ASSERT_EQ(FlsResetOpenFiles(), 0);
    ASSERT_EQ(FlsCheck(), 0);
  }

  // Detaches and mounts the image file again from disk.
  void Remount() {
    FlsImageClose();
    ASSERT_EQ(FlsImageOpen(image_.c_str()), 0);
    ASSERT_EQ(FlsResetOpenFiles(), 0);
  }
};

}  // namespace storage_test
