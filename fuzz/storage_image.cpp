// The storage image: a formatted image holding folders, files and the work
// file, damaged by the input's patches, is mounted; an accepted image is
// listed and read whole, a short sequence of file operations runs on it, and
// it must then mount again. No access leaves the storage area or sets a bit
// the flash holds clear.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_util.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"

namespace {

// The image file, in memory: only its storage area is kept (g_file[0] is the
// byte at kFlsImageBase); the file's length is kFlsImageBase + g_file.size().
std::vector<u8> g_file;
std::vector<u8> g_pristine;
int g_bad_access = 0;

bool InStorage(u32 offset, u32 len) {
  return offset >= kFlsImageBase && offset + len <= kFlsImageBase + kFlsCapacity;
}

i32 MemOpen(const char *) { return 3; }
i32 MemClose(i32) { return 0; }

i32 MemReadAt(i32, u32 offset, void *buf, u32 len) {
  if (!InStorage(offset, len)) {
    ++g_bad_access;
    return -1;
  }
  const u32 at = offset - kFlsImageBase;
  if (at >= g_file.size()) return 0;
  const u32 n = std::min<u32>(len, static_cast<u32>(g_file.size()) - at);
  std::memcpy(buf, g_file.data() + at, n);
  return static_cast<i32>(n);
}

i32 MemWriteAt(i32, u32 offset, const void *buf, u32 len) {
  if (!InStorage(offset, len)) {
    ++g_bad_access;
    return -1;
  }
  const u32 at = offset - kFlsImageBase;
  const u8 *src = static_cast<const u8 *>(buf);
  bool erase = len == kFlsSectorSize && at % kFlsSectorSize == 0;
  for (u32 i = 0; erase && i < len; ++i) erase = src[i] == 0xFF;
  // A file grows with zeros below what is written, as a file system fills a
  // hole.
  if (g_file.size() < at + len) g_file.resize(at + len, 0);
  for (u32 i = 0; !erase && i < len; ++i)
    if ((src[i] & g_file[at + i]) != src[i]) {
      ++g_bad_access;
      return -1;
    }
  std::memcpy(g_file.data() + at, src, len);
  return static_cast<i32>(len);
}

const FlsPlatform kMemory = {MemOpen, MemReadAt, MemWriteAt, MemClose};

std::vector<u16> W(const std::string &s) {
  std::vector<u16> w(s.begin(), s.end());
  w.push_back(0);
  return w;
}

std::vector<u8> Pattern(size_t n, u32 seed) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<u8>(i * 7 + seed * 13 + (i >> 9));
  return v;
}

// A formatted image with a folder, files in the root and in the folder, a
// deleted file and the work file.
void BuildPristine() {
  g_file.clear();
  FUZZ_CHECK(FlsImageOpen("memory") == 0, "open");
  FUZZ_CHECK(FlsFormat(2) == 0, "format");
  FlsResetOpenFiles();
  FUZZ_CHECK(FileCreateEntry(W("\\\\fls0\\DIR").data(), 5) == 0, "folder");
  const char *files[] = {"\\\\fls0\\A.TXT", "\\\\fls0\\DIR\\B.MCS", "\\\\fls0\\C.G1M", "\\\\fls0\\DIR\\D.TXT"};
  for (int k = 0; k < 4; ++k) {
    const auto data = Pattern(2000u * static_cast<u32>(k + 1), static_cast<u32>(k));
    FUZZ_CHECK(FileCreateEntry(W(files[k]).data(), 1) == 0, "file");
    const i32 h = FileOpen(W(files[k]).data());
    FileWrite(h, data.data(), static_cast<i32>(data.size()) / 2);
    FileWrite(h, data.data() + data.size() / 2, static_cast<i32>(data.size() - data.size() / 2));
    FileClose(h);
  }
  FileDelete(W("\\\\fls0\\C.G1M").data());
  const auto work = Pattern(300, 9);
  FileWriteWorkFile(work.data(), 300, 40);
  FlsImageClose();
  g_pristine = g_file;
}

// Every file and folder name of the root and of its folders.
std::vector<std::string> ListAll() {
  std::vector<std::string> out, folders;
  u16 name[13];
  FileFindInfo info;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::string> dirs = pass == 0 ? std::vector<std::string>{"\\\\fls0\\"} : folders;
    for (const auto &dir : dirs) {
      i32 h = -1;
      i32 r = FileFindFirst(W(dir + "*").data(), &h, name, &info);
      for (int guard = 0; r == 0 && guard < 5000; ++guard) {
        std::string n;
        for (int i = 0; i < 12 && name[i]; ++i) n += static_cast<char>(name[i]);
        out.push_back(dir + n);
        if (pass == 0 && info.type == 0) folders.push_back(dir + n + "\\");
        r = FileFindNext(h, name, &info);
      }
      if (h >= 0) FileFindClose(h);
    }
  }
  return out;
}

void ReadAll(const std::vector<std::string> &names) {
  static u8 buf[0x20000];
  for (const auto &n : names) {
    const auto p = W(n);
    FileFindInfo info;
    FileGetInfo(p.data(), &info);
    const i32 h = FileOpen(p.data());
    if (h < 0) continue;
    const i32 size = FileGetSize(h);
    if (size > 0) FileRead(h, buf, std::min<i32>(size, static_cast<i32>(sizeof buf)), 0);
    FileClose(h);
  }
  FileReadWorkFile(buf, 1000, 0);
}

const char *const kNames[] = {"\\\\fls0\\A.TXT", "\\\\fls0\\DIR\\B.MCS", "\\\\fls0\\N.TXT", "\\\\fls0\\DIR\\M.BIN",
                              "\\\\fls0\\EACTWORK.TMP", "\\\\fls0\\DIR", "\\\\fls0\\E", "\\\\fls0\\E\\F.TXT"};
constexpr int kNameCount = sizeof kNames / sizeof kNames[0];

i32 Mount() {
  FlsImageClose();
  FUZZ_CHECK(FlsImageOpen("memory") == 0, "reopen");
  FlsResetOpenFiles();
  return FlsCheck();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool built = false;
  FlsSetPlatform(&kMemory);
  if (!built) {
    BuildPristine();
    built = true;
  }
  g_file = g_pristine;
  g_bad_access = 0;
  fuzz::Reader in(data, size);

  // Damage: patches of a few bytes, most of them in the directory sector.
  const int patches = in.Byte() % 16;
  for (int k = 0; k < patches; ++k) {
    const u8 where = in.Byte();
    u32 offset = in.Long();
    offset = (where & 0x80) ? offset % kFlsCapacity : offset % 0x2000 + ((where & 0x40) ? 0xFFE0 : 0);
    const u32 len = (where & 7) + 1;
    for (u32 i = 0; i < len; ++i) {
      const u32 at = (offset + i) % kFlsCapacity;
      if (at < g_file.size()) g_file[at] = in.Byte();
    }
  }

  if (Mount() != 0) {
    FlsImageClose();
    FUZZ_CHECK(g_bad_access == 0, "a refused image was touched outside the rules");
    return 0;
  }
  ReadAll(ListAll());

  // A short sequence of file operations.
  static u8 buf[0x4000];
  for (int step = 0; step < 12 && !in.Empty(); ++step) {
    const u8 op = in.Byte();
    const auto a = W(kNames[in.Byte() % kNameCount]);
    const auto b = W(kNames[in.Byte() % kNameCount]);
    const i32 n = static_cast<i32>(in.Word() % 0x3000) + 1;
    const i32 pos = static_cast<i32>(in.Word());
    for (i32 i = 0; i < n; ++i) buf[i] = static_cast<u8>(op + i);
    switch (op % 12) {
      case 0: FileCreate(a.data(), n); break;
      case 1: FileCreateEntry(a.data(), (op & 0x10) ? 5 : 1); break;
      case 2: {
        const i32 h = FileOpen(a.data());
        if (h >= 0) {
          FileWriteAt(h, buf, n, pos % 0x4000);
          FileClose(h);
        }
        break;
      }
      case 3: {
        const i32 h = FileOpen(a.data());
        if (h >= 0) {
          FileWrite(h, buf, n);
          FileCommit(h);
          FileClose(h);
        }
        break;
      }
      case 4: FileRename(a.data(), b.data()); break;
      case 5: FileDelete(a.data()); break;
      case 6: FileSetAttribute(a.data(), op & 0x10); break;
      case 7: FileWriteWorkFile(buf, n, pos * 2); break;
      case 8: FileEraseWorkArea(op % 3); break;
      case 9: {
        u32 free = 0;
        FileGetFreeSpace(W("fls0").data(), &free);
        FileCheckCreate(a.data(), n * 8);
        break;
      }
      case 10: FileOptimizeStorage(W("fls0").data()); break;
      default: ReadAll(ListAll()); break;
    }
  }
  FUZZ_CHECK(g_bad_access == 0, "an access outside the storage area or against the flash rule");
  // What the file system wrote keeps the image mountable.
  FUZZ_CHECK(Mount() == 0, "an accepted image no longer mounts after file operations");
  ReadAll(ListAll());
  FlsImageClose();
  FUZZ_CHECK(g_bad_access == 0, "an access outside the storage area or against the flash rule");
  return 0;
}
