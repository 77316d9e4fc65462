// The image file behind the storage memory and its in-memory copy.
#include "storage/fls_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "storage/fls_error.h"
#include "storage/fls_file.h"

namespace {

i32 PosixOpen(const char *path) {
  int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  return fd < 0 ? -1 : fd;
}

i32 PosixReadAt(i32 fd, u32 offset, void *buf, u32 len) {
  u32 done = 0;
  while (done < len) {
    ssize_t n = ::pread(fd, static_cast<u8 *>(buf) + done, len - done, static_cast<off_t>(offset) + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done ? static_cast<i32>(done) : -1;
    if (n == 0) break;
    done += static_cast<u32>(n);
  }
  return static_cast<i32>(done);
}

i32 PosixWriteAt(i32 fd, u32 offset, const void *buf, u32 len) {
  u32 done = 0;
  while (done < len) {
    ssize_t n = ::pwrite(fd, static_cast<const u8 *>(buf) + done, len - done, static_cast<off_t>(offset) + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done ? static_cast<i32>(done) : -1;
    done += static_cast<u32>(n);
  }
  return static_cast<i32>(done);
}

i32 PosixClose(i32 fd) { return ::close(fd); }

const FlsPlatform kPosix = {PosixOpen, PosixReadAt, PosixWriteAt, PosixClose};

const FlsPlatform *g_platform = &kPosix;
i32 g_fd = -1;
bool g_owned = false;
// The storage area as the file holds it; g_present bytes of it exist in the file.
u8 g_image[kFlsCapacity];
u32 g_present = 0;

bool InArea(u32 offset, u32 len) {
  return offset >= kFlsImageBase && len <= kFlsCapacity && offset - kFlsImageBase <= kFlsCapacity - len;
}

// Writes through to the file and mirrors what was written.
i32 WriteThrough(u32 offset, const void *buf, u32 len) {
  if (g_fd < 0) return -1;
  i32 n = g_platform->write_at(g_fd, offset, buf, len);
  if (n <= 0) return n < 0 ? -1 : 0;
  u32 rel = offset - kFlsImageBase;
  // A write past the end of the file leaves a gap that the file reads as zeros.
  if (rel > g_present) std::memset(g_image + g_present, 0, rel - g_present);
  std::memcpy(g_image + rel, buf, static_cast<u32>(n));
  if (rel + static_cast<u32>(n) > g_present) g_present = rel + static_cast<u32>(n);
  return n;
}

}  // namespace

const FlsPlatform *FlsPosixPlatform() { return &kPosix; }
void FlsSetPlatform(const FlsPlatform *platform) { g_platform = platform ? platform : &kPosix; }
const FlsPlatform *FlsGetPlatform() { return g_platform; }

i32 FlsImageAttach(i32 fd) {
  FlsImageDetach();
  if (fd < 0) return FlsErrShortIo;
  i32 n = g_platform->read_at(fd, kFlsImageBase, g_image, kFlsCapacity);
  if (n < 0) return FlsErrShortIo;
  g_fd = fd;
  g_present = static_cast<u32>(n);
  std::memset(g_image + g_present, 0xFF, kFlsCapacity - g_present);
  FlsResetSlots();
  return 0;
}

i32 FlsImageOpen(const char *path) {
  i32 fd = g_platform->open(path);
  if (fd < 0) return FlsErrShortIo;
  i32 r = FlsImageAttach(fd);
  if (r < 0) {
    g_platform->close(fd);
    return r;
  }
  g_owned = true;
  return 0;
}

void FlsImageDetach() {
  g_fd = -1;
  g_owned = false;
  g_present = 0;
  FlsResetSlots();
}

void FlsImageClose() {
  if (g_fd >= 0 && g_owned) g_platform->close(g_fd);
  FlsImageDetach();
}

bool FlsImageAttached() { return g_fd >= 0; }

i32 FlsRawRead(u32 offset, void *buf, u32 len) {
  if (!InArea(offset, len)) return -1;
  u32 rel = offset - kFlsImageBase;
  if (rel >= g_present) return 0;
  u32 n = len < g_present - rel ? len : g_present - rel;
  std::memcpy(buf, g_image + rel, n);
  return static_cast<i32>(n);
}

bool FlsRawWritable(u32 offset, const void *buf, u32 len) {
  if (!InArea(offset, len)) return false;
  u32 rel = offset - kFlsImageBase;
  if (rel > g_present || len > g_present - rel) return false;
  const u8 *src = static_cast<const u8 *>(buf);
  for (u32 i = 0; i < len; ++i)
    if ((src[i] & g_image[rel + i]) != src[i]) return false;
  return true;
}

i32 FlsRawWrite(u32 offset, const void *buf, u32 len) {
  if ((offset | len) & 1) return 0;
  if (!InArea(offset, len)) return -1;
  u32 rel = offset - kFlsImageBase;
  if (rel > g_present || len > g_present - rel) return -1;
  if (!FlsRawWritable(offset, buf, len)) return FlsErrFlashRule;
  if (len == 0) return 0;
  return WriteThrough(offset, buf, len);
}

i32 FlsWriteBytes(u32 offset, const void *buf, u32 len) {
  if (len == 0) return 0;
  if (!FlsImageBytes(offset, len)) return FlsErrShortIo;
  if (!FlsRawWritable(offset, buf, len)) return FlsErrFlashRule;
  u32 start = offset & ~1u;
  u32 end = (offset + len + 1) & ~1u;
  if (!FlsImageBytes(start, end - start)) return FlsErrShortIo;
  const u8 *src = static_cast<const u8 *>(buf);
  u8 edge[2];
  u32 at = start;
  if (offset & 1) {
    edge[0] = g_image[start - kFlsImageBase];
    edge[1] = src[0];
    if (FlsRawWrite(start, edge, 2) != 2) return FlsErrShortIo;
    ++src;
    --len;
    at += 2;
  }
  u32 body = len & ~1u;
  if (body && FlsRawWrite(at, src, body) != static_cast<i32>(body)) return FlsErrShortIo;
  if (len & 1) {
    edge[0] = src[body];
    edge[1] = g_image[at + body + 1 - kFlsImageBase];
    if (FlsRawWrite(at + body, edge, 2) != 2) return FlsErrShortIo;
  }
  return 0;
}

i32 FlsEraseSector(u32 offset) {
  if (!InArea(offset, kFlsSectorSize) || (offset - kFlsImageBase) % kFlsSectorSize) return 0;
  static u8 blank[kFlsSectorSize];
  std::memset(blank, 0xFF, sizeof blank);
  return WriteThrough(offset, blank, kFlsSectorSize) == static_cast<i32>(kFlsSectorSize) ? 1 : 0;
}

i32 FlsBlankTest(u32 offset, u32 *blank_bytes) {
  u32 count = 0;
  i32 blank = 0;
  if (InArea(offset, 0) && offset < kFlsImageBase + kFlsCapacity) {
    u32 end = offset - (offset - kFlsImageBase) % kFlsSectorSize + kFlsSectorSize;
    blank = 1;
    for (u32 at = offset; at < end; at += 16) {
      u32 step = end - at < 16 ? end - at : 16;
      u32 rel = at - kFlsImageBase;
      bool ok = rel + step <= g_present;
      for (u32 i = 0; ok && i < step; ++i) ok = g_image[rel + i] == 0xFF;
      if (!ok) {
        blank = 0;
        break;
      }
      count += step;
    }
  }
  if (blank_bytes) *blank_bytes = count;
  return blank;
}

i32 FlsEraseWithRetry(u32 offset) {
  for (int i = 0; i < 3; ++i) {
    FlsEraseSector(offset);
    if (FlsBlankTest(offset, nullptr)) return 1;
  }
  return 0;
}

i32 FlsSectorCopy(u32 dst, u32 src, u32 len) {
  if (len > kFlsSectorSize) return FlsErrBadArg;
  len = (len + 15) & ~15u;
  static u8 buf[kFlsSectorSize];
  if (FlsRawRead(src, buf, len) != static_cast<i32>(len)) return FlsErrShortIo;
  if (FlsRawWrite(dst, buf, len) != static_cast<i32>(len)) return FlsErrShortIo;
  return 0;
}

const u8 *FlsImageBytes(u32 offset, u32 len) {
  if (!InArea(offset, len)) return nullptr;
  u32 rel = offset - kFlsImageBase;
  if (rel > g_present || len > g_present - rel) return nullptr;
  return g_image + rel;
}
