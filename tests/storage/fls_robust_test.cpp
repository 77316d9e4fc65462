// Randomly corrupted images: the mount accepts them or answers -6, and no
// operation on an accepted one crashes, reads outside the storage area or
// writes against the flash rule. Meant to run under the sanitizers.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"
#include "storage/fls_record.h"

namespace {

// The image file lives in memory; every access is checked against the
// storage area and the flash rule.
std::vector<u8> g_file;
int g_bad_access = 0;

i32 MemOpen(const char *) { return 3; }
i32 MemClose(i32) { return 0; }

bool InStorage(u32 offset, u32 len) { return offset >= kFlsImageBase && offset + len <= kFlsImageBase + kFlsCapacity; }

i32 MemReadAt(i32, u32 offset, void *buf, u32 len) {
  if (!InStorage(offset, len)) ++g_bad_access;
  if (offset >= g_file.size()) return 0;
  u32 n = std::min<u32>(len, static_cast<u32>(g_file.size()) - offset);
  std::memcpy(buf, g_file.data() + offset, n);
  return static_cast<i32>(n);
}

i32 MemWriteAt(i32, u32 offset, const void *buf, u32 len) {
  if (!InStorage(offset, len)) {
    ++g_bad_access;
    return -1;
  }
  const u8 *src = static_cast<const u8 *>(buf);
  bool erase = len == kFlsSectorSize && (offset - kFlsImageBase) % kFlsSectorSize == 0;
  for (u32 i = 0; erase && i < len; ++i) erase = src[i] == 0xFF;
  if (g_file.size() < offset + len) g_file.resize(offset + len, 0);
  for (u32 i = 0; !erase && i < len; ++i)
    if ((src[i] & g_file[offset + i]) != src[i]) {
      ++g_bad_access;
      return -1;
    }
  std::memcpy(g_file.data() + offset, src, len);
  return static_cast<i32>(len);
}

u32 Rand(std::mt19937 &g) { return static_cast<u32>(g()); }

const FlsPlatform kMemory = {MemOpen, MemReadAt, MemWriteAt, MemClose};

std::vector<u16> W(const std::string &s) {
  std::vector<u16> w(s.begin(), s.end());
  w.push_back(0);
  return w;
}

void BuildPristine() {
  g_file.clear();
  ASSERT_EQ(FlsImageOpen("memory"), 0);
  ASSERT_EQ(FlsFormat(2), 0);
  ASSERT_EQ(FlsResetOpenFiles(), 0);
  ASSERT_EQ(FileCreateEntry(W("\\\\fls0\\DIR").data(), 5), 0);
  std::vector<u8> data(40000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<u8>(i * 7);
  const char *files[] = {"\\\\fls0\\A.TXT", "\\\\fls0\\DIR\\B.MCS", "\\\\fls0\\C.G1M", "\\\\fls0\\DIR\\D.TXT"};
  for (int k = 0; k < 4; ++k) {
    ASSERT_EQ(FileCreateEntry(W(files[k]).data(), 1), 0);
    i32 h = FileOpen(W(files[k]).data());
    ASSERT_GE(h, 0);
    for (int part = 0; part < 3; ++part) ASSERT_GT(FileWrite(h, data.data(), 3000 * (k + 1) + part * 777), 0);
    ASSERT_EQ(FileClose(h), 0);
  }
  ASSERT_EQ(FileDelete(W("\\\\fls0\\C.G1M").data()), 0);
  ASSERT_EQ(FileWriteWorkFile(data.data(), 100, 10), 100);
  FlsImageClose();
}

// Runs every kind of operation; only the absence of faults matters.
void Exercise() {
  static u8 buf[0x20000];
  u16 name[13];
  FileFindInfo info;
  std::vector<std::string> files;
  for (const char *pattern : {"\\\\fls0\\*", "\\\\fls0\\*.*", "\\\\fls0\\DIR\\*.*"}) {
    i32 h = -1;
    i32 r = FileFindFirst(W(pattern).data(), &h, name, &info);
    for (int guard = 0; r == 0 && guard < 5000; ++guard) {
      std::string n;
      for (int i = 0; i < 12 && name[i]; ++i) n += static_cast<char>(name[i]);
      std::string dir = std::string(pattern).substr(0, std::string(pattern).rfind('\\') + 1);
      files.push_back(dir + n);
      r = FileFindNext(h, name, &info);
    }
    if (h >= 0) FileFindClose(h);
  }
  for (const auto &f : files) {
    auto p = W(f);
    FileGetInfo(p.data(), &info);
    i32 h = FileOpen(p.data());
    if (h >= 0) {
      i32 size = FileGetSize(h);
      if (size > 0) FileRead(h, buf, std::min<i32>(size, sizeof buf), 0);
      FileRead(h, buf, 100, size / 2);
      FileSeek(h, size / 3);
      FileRead(h, buf, 10, -1);
      FileWriteAt(h, buf, 4, 0);
      FileWrite(h, buf, 50);
      FileClose(h);
    }
  }
  u32 free = 0;
  FileGetFreeSpace(W("fls0").data(), &free);
  FileCreate(W("\\\\fls0\\NEW.MCS").data(), 1000);
  i32 h = FileOpen(W("\\\\fls0\\NEW.MCS").data());
  if (h >= 0) {
    FileWrite(h, buf, 500);
    FileWriteAt(h, buf, 100, 950);
    FileClose(h);
  }
  if (!files.empty()) {
    FileSetAttribute(W(files[0]).data(), 0);
    FileRename(W(files.back()).data(), W("\\\\fls0\\RENAMED").data());
  }
  FileDelete(W("\\\\fls0\\NEW.MCS").data());
  FileCreateEntry(W("\\\\fls0\\F2").data(), 5);
  FileReadWorkFile(buf, 100, 10);
  FileWriteWorkFile(buf, 10, 0x1FFF0);
  FileOptimizeStorage(W("fls0").data());
  FlsCheck();
}

TEST(FlsRobust, CorruptedImagesAreAcceptedOrRefusedWithoutFaults) {
  FlsSetPlatform(&kMemory);
  BuildPristine();
  const std::vector<u8> pristine = g_file;
  std::mt19937 rng(20261210);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    g_file = pristine;
    g_bad_access = 0;
    int flips = 1 + static_cast<int>(Rand(rng) % 12);
    for (int k = 0; k < flips; ++k) {
      u32 at;
      switch (Rand(rng) % 4) {
        case 0:  // a byte of the sector descriptors or the first entries
          at = kFlsImageBase + Rand(rng) % (32 * 40);
          break;
        case 1:  // a byte of a block header
          at = kFlsImageBase + kFlsHeaderOffset + Rand(rng) % 32;
          break;
        case 2:  // a whole word of an entry, often a small or an address-like value
          at = kFlsImageBase + 32 * (Rand(rng) % 40) + 4 * (Rand(rng) % 8);
          {
            u32 choices[] = {static_cast<u32>(Rand(rng)), Rand(rng) % 8, 0x280000 + (Rand(rng) % 8) * 0x10000, 0xFFFFFFFF,
                             0x1300000 + Rand(rng) % 4, 0xFFF0 + Rand(rng) % 16};
            u32 v = choices[Rand(rng) % 6];
            g_file[at] = static_cast<u8>(v >> 24);
            g_file[at + 1] = static_cast<u8>(v >> 16);
            g_file[at + 2] = static_cast<u8>(v >> 8);
            g_file[at + 3] = static_cast<u8>(v);
          }
          continue;
        default:  // anywhere in the storage area
          at = kFlsImageBase + Rand(rng) % kFlsCapacity;
          break;
      }
      g_file[at] ^= static_cast<u8>(1u << (Rand(rng) % 8));
    }
    if (Rand(rng) % 8 == 0) g_file.resize(kFlsImageBase + Rand(rng) % kFlsCapacity);  // a short file
    ASSERT_EQ(FlsImageOpen("memory"), 0);
    ASSERT_EQ(FlsResetOpenFiles(), 0);
    i32 r = FlsCheck();
    ASSERT_TRUE(r == 0 || r == FlsErrNotFormatted) << "round " << round << ": " << r;
    if (r == 0) {
      ++accepted;
      Exercise();
    } else {
      ++refused;
    }
    FlsImageClose();
    ASSERT_EQ(g_bad_access, 0) << "round " << round;
  }
  FlsSetPlatform(nullptr);
  // Both outcomes occur, so both paths were exercised.
  EXPECT_GT(accepted, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
