// The file interface: device dispatch, storage handles and host files.
#include "storage/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "storage/fls.h"
#include "storage/wstr.h"

namespace {

// ---- Host files ------------------------------------------------------------

std::string g_host_root;   // empty: the default folder
constexpr int kHostFiles = 16;
// Descriptors the interface opened; only these are ever closed or used.
int g_host_fd[kHostFiles] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

std::string HostRoot() {
  if (!g_host_root.empty()) return g_host_root;
  const char *xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/corvanta/hostfiles";
  const char *home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/corvanta/hostfiles";
  return std::string();
}

i32 HostSlotOf(i32 handle) {
  u32 fd = static_cast<u32>(handle) & 0xF0FFFFFF;
  for (int i = 0; i < kHostFiles; ++i)
    if (g_host_fd[i] >= 0 && static_cast<u32>(g_host_fd[i]) == fd) return i;
  return -1;
}

// Creates every folder on the way to the file at path (mode 0700).
void MakeParents(const std::string &path) {
  for (size_t at = 1; (at = path.find('/', at)) != std::string::npos; ++at) {
    std::string dir = path.substr(0, at);
    ::mkdir(dir.c_str(), 0700);
  }
}

i32 HostOpen(const u16 *path) {
  char host[1024];
  i32 r = FileHostPath(path, host, sizeof host);
  if (r < 0) return r;
  int slot = -1;
  for (int i = 0; i < kHostFiles && slot < 0; ++i)
    if (g_host_fd[i] < 0) slot = i;
  if (slot < 0) return FlsErrNoSlot;
  int fd = ::open(host, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FlsErrNotFound : -1;
  if (static_cast<u32>(fd) > 0x00FFFFFF) {
    ::close(fd);
    return -1;
  }
  g_host_fd[slot] = fd;
  return kFileTagHost | fd;
}

i32 HostCreate(const u16 *path) {
  char host[1024];
  i32 r = FileHostPath(path, host, sizeof host);
  if (r < 0) return r;
  MakeParents(host);
  int fd = ::open(host, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? FlsErrExists : -1;
  ::close(fd);
  return 0;
}

i32 HostDelete(const u16 *path) {
  char host[1024];
  i32 r = FileHostPath(path, host, sizeof host);
  if (r < 0) return r;
  return std::remove(host) == 0 ? 0 : -1;
}

i32 HostReplace(const u16 *src, const u16 *dst) {
  char from[1024], to[1024];
  i32 r = FileHostPath(src, from, sizeof from);
  if (r == 0) r = FileHostPath(dst, to, sizeof to);
  if (r < 0) return r;
  return ::rename(from, to) == 0 ? 0 : -1;
}

i32 HostSeekTo(int fd, i32 position) {
  off_t at = position < 0 ? ::lseek(fd, 0, SEEK_CUR) : ::lseek(fd, position, SEEK_SET);
  return at < 0 ? -1 : static_cast<i32>(at);
}

// ---- Dispatch -----------------------------------------------------------------

i32 StorageSlot(i32 handle) { return static_cast<i32>(static_cast<u32>(handle) & 0xF0FFFFFF); }

bool IsStorageDevice(const u16 *device) { return FileClassifyPath(device) == FileDeviceStorage; }

}  // namespace

void FileSetHostRoot(const char *dir) { g_host_root = dir ? dir : ""; }

i32 FileHostPath(const u16 *path, char *out, u32 capacity) {
  i32 len = WstrLength(path);
  if (len < 3 || len >= kFileHostPathMax) return FlsErrBadArg;
  for (i32 i = 0; i < len; ++i)
    if (path[i] > 0xFF) return FlsErrBadArg;
  u8 bytes[kFileHostPathMax];
  WstrToBytes(bytes, path, kFileHostPathMax);
  u8 drive = bytes[0];
  if (drive >= 'a' && drive <= 'z') drive = static_cast<u8>(drive - 'a' + 'A');
  if (drive < 'A' || drive > 'Z' || bytes[1] != ':') return FlsErrBadArg;
  std::string root = HostRoot();
  if (root.empty()) return FlsErrBadArg;
  std::string host = root + "/" + static_cast<char>(drive);
  i32 at = 2;
  if (bytes[at] == '\\') ++at;
  i32 components = 0;
  while (at < len) {
    i32 end = at;
    while (end < len && bytes[end] != '\\') ++end;
    i32 n = end - at;
    if (n == 0 || n > 255) return FlsErrBadArg;
    if ((n == 1 && bytes[at] == '.') || (n == 2 && bytes[at] == '.' && bytes[at + 1] == '.')) return FlsErrBadArg;
    for (i32 i = at; i < end; ++i)
      if (bytes[i] < 0x20 || bytes[i] == 0x7F || bytes[i] == '/' || bytes[i] == ':') return FlsErrBadArg;
    host += '/';
    host.append(reinterpret_cast<const char *>(bytes + at), static_cast<size_t>(n));
    ++components;
    at = end + 1;
    if (end < len && at == len) return FlsErrBadArg;  // a trailing backslash names no file
  }
  if (components == 0 || host.size() + 1 > capacity) return FlsErrBadArg;
  std::memcpy(out, host.c_str(), host.size() + 1);
  return 0;
}

i32 FileClassifyPath(const u16 *path) {
  if (!path || WstrLength(path) < 3) return FileDeviceNone;
  const u16 *p = path;
  if (p[0] == '\\' && p[1] == '\\') p += 2;
  u8 dev[4];
  WstrToBytes(dev, p, 4);
  if (!std::memcmp(dev, "fls0", 4)) return FileDeviceStorage;
  if (!std::memcmp(dev, "crd0", 4)) return FileDeviceCard;
  if (dev[1] == ':' && !WstrIsEnd(p[0]) && !WstrIsEnd(p[1])) return FileDeviceHost;
  return FileDeviceNone;
}

i32 FileOpen(const u16 *path, i32 /*mode*/) {
  switch (FileClassifyPath(path)) {
    case FileDeviceStorage: {
      i32 slot = FlsOpen(path);
      return slot < 0 ? slot : (kFileTagStorage | slot);
    }
    case FileDeviceHost:
      return HostOpen(path);
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileClose(i32 handle) {
  if (handle < 0) return FlsErrBadArg;
  switch (FileHandleDevice(handle)) {
    case FileDeviceStorage:
      return FlsClose(StorageSlot(handle));
    case FileDeviceHost: {
      i32 slot = HostSlotOf(handle);
      if (slot < 0) return FlsErrBadArg;
      int fd = g_host_fd[slot];
      g_host_fd[slot] = -1;
      return ::close(fd) == 0 ? 0 : -1;
    }
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileSeek(i32 handle, i32 position) {
  if (handle < 0) return FlsErrBadArg;
  switch (FileHandleDevice(handle)) {
    case FileDeviceStorage:
      return FlsSeek(StorageSlot(handle), position);
    case FileDeviceHost: {
      i32 slot = HostSlotOf(handle);
      if (slot < 0 || position < 0) return FlsErrBadArg;
      return HostSeekTo(g_host_fd[slot], position);
    }
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileRead(i32 handle, void *buf, i32 size, i32 position) {
  if (handle < 0) return FlsErrBadArg;
  switch (FileHandleDevice(handle)) {
    case FileDeviceStorage:
      return FlsRead(StorageSlot(handle), buf, size, position);
    case FileDeviceHost: {
      i32 slot = HostSlotOf(handle);
      if (slot < 0 || size < 0) return FlsErrBadArg;
      if (HostSeekTo(g_host_fd[slot], position) < 0) return -1;
      ssize_t n = ::read(g_host_fd[slot], buf, static_cast<size_t>(size));
      return n < 0 ? -1 : static_cast<i32>(n);
    }
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileWriteAt(i32 handle, const void *buf, i32 size, i32 position) {
  if (handle < 0) return FlsErrBadArg;
  switch (FileHandleDevice(handle)) {
    case FileDeviceStorage:
      return FlsWriteAt(StorageSlot(handle), buf, size, position);
    case FileDeviceHost: {
      i32 slot = HostSlotOf(handle);
      if (slot < 0 || size < 0 || position < 0) return FlsErrBadArg;
      if (HostSeekTo(g_host_fd[slot], position) < 0) return -1;
      ssize_t n = ::write(g_host_fd[slot], buf, static_cast<size_t>(size));
      return n < 0 ? -1 : static_cast<i32>(n);
    }
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileWrite(i32 handle, const void *buf, i32 size) {
  if (handle >= 0 && FileHandleDevice(handle) == FileDeviceStorage) return FlsWrite(StorageSlot(handle), buf, size);
  return handle < 0 ? FlsErrBadArg : FlsErrWrongDevice;
}

i32 FileCreate(const u16 *path, i32 size) {
  switch (FileClassifyPath(path)) {
    case FileDeviceStorage:
      return FlsCreate(path, size);
    case FileDeviceHost:
      return HostCreate(path);
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileDelete(const u16 *path) {
  switch (FileClassifyPath(path)) {
    case FileDeviceStorage:
      return FlsDelete(path);
    case FileDeviceHost:
      return HostDelete(path);
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileCheckCreate(const u16 *path, i32 size) {
  return FileClassifyPath(path) == FileDeviceStorage ? FlsCheckCreate(path, size) : FlsErrWrongDevice;
}

i32 FileCreateEntry(const u16 *path, i32 kind) {
  if (FileClassifyPath(path) != FileDeviceStorage) return FlsErrWrongDevice;
  i32 r = FlsMakeEntry(path, kind);
  return r < 0 ? r : 0;
}

i32 FileRename(const u16 *old_path, const u16 *new_path) {
  if (FileClassifyPath(old_path) != FileDeviceStorage || FileClassifyPath(new_path) != FileDeviceStorage)
    return FlsErrWrongDevice;
  return FlsRename(old_path, new_path);
}

i32 FileReplace(const u16 *src, const u16 *dst) {
  const i32 device = FileClassifyPath(src);
  if (device != FileClassifyPath(dst)) return FlsErrWrongDevice;
  if (device == FileDeviceHost) return HostReplace(src, dst);
  if (device != FileDeviceStorage) return FlsErrWrongDevice;
  const i32 r = FlsDelete(dst);
  if (r < 0 && r != FlsErrMissing) return r;
  return FlsRename(src, dst);
}

i32 FileSetAttribute(const u16 *path, i32 flag) {
  return FileClassifyPath(path) == FileDeviceStorage ? FlsSetAttribute(path, flag) : FlsErrWrongDevice;
}

i32 FileGetInfo(const u16 *path, FileFindInfo *info) {
  return FileClassifyPath(path) == FileDeviceStorage ? FlsGetInfo(path, info) : FlsErrWrongDevice;
}

i32 FileGetSize(i32 handle) {
  if (handle >= 0 && FileHandleDevice(handle) == FileDeviceStorage) return FlsFileSize(StorageSlot(handle));
  return handle < 0 ? FlsErrBadArg : FlsErrWrongDevice;
}

i32 FileCommit(i32 handle) {
  if (handle >= 0 && FileHandleDevice(handle) == FileDeviceStorage) return FlsCommit(StorageSlot(handle));
  return handle < 0 ? FlsErrBadArg : FlsErrWrongDevice;
}

i32 FileFindFirst(const u16 *pattern, i32 *find_handle, u16 *name, FileFindInfo *info) {
  if (FileClassifyPath(pattern) != FileDeviceStorage) return FlsErrWrongDevice;
  i32 slot = -1;
  i32 r = FlsFindFirst(pattern, &slot, name, info);
  if (slot >= 0) *find_handle = kFileTagStorage | slot;
  return r;
}

i32 FileFindNext(i32 find_handle, u16 *name, FileFindInfo *info) {
  if (find_handle >= 0 && FileHandleDevice(find_handle) == FileDeviceStorage)
    return FlsFindNext(StorageSlot(find_handle), name, info);
  return find_handle < 0 ? FlsErrBadArg : FlsErrWrongDevice;
}

i32 FileFindClose(i32 find_handle) {
  if (find_handle < 0) return FlsErrBadArg;
  switch (FileHandleDevice(find_handle)) {
    case FileDeviceStorage:
      return FlsFindClose(StorageSlot(find_handle));
    case FileDeviceHost:
      // Host folders are never searched, so no host find handle exists; the
      // number is not a descriptor of ours and nothing is closed.
      return FlsErrBadArg;
    default:
      return FlsErrWrongDevice;
  }
}

i32 FileFormatStorage(const u16 *device, i32 full) {
  return IsStorageDevice(device) ? FlsFormat(full ? 2 : 0) : FlsErrWrongDevice;
}

i32 FileResetStorage(const u16 *device) { return IsStorageDevice(device) ? FlsFormat(1) : FlsErrWrongDevice; }

i32 FileGetFreeSpace(const u16 *device, u32 *bytes) {
  return IsStorageDevice(device) ? FlsFreeSpace(bytes) : FlsErrWrongDevice;
}

i32 FileOptimizeStorage(const u16 *device) { return IsStorageDevice(device) ? FlsOptimize() : FlsErrWrongDevice; }

i32 FileReadWorkFile(void *buf, i32 size, i32 position) { return FlsReadWorkFile(buf, size, position); }
i32 FileWriteWorkFile(const void *buf, i32 size, i32 position) { return FlsWriteWorkFile(buf, size, position); }
i32 FileEraseWorkArea(i32 n) { return FlsEraseWorkArea(n); }
