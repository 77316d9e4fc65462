#include "shell/storage_image.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kImageName = "tz841.fls";

std::string EnvFolder(const char *name, const char *suffix) {
  const char *v = std::getenv(name);
  if (v == nullptr || v[0] != '/') return std::string();
  return std::string(v) + suffix;
}

// Makes sure `folder` is a private folder of this user: created 0700 when
// missing, never a symbolic link, owned by the caller, no access for others.
bool MakePrivateFolder(const std::string &folder, std::string *error) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = "Cannot create the folder " + folder + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) {
    *error = "Cannot read the folder " + folder + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
    *error = "The folder " + folder + " is not a private folder of this user.";
    return false;
  }
  if ((st.st_mode & 0077) != 0 && chmod(folder.c_str(), 0700) != 0) {
    *error = "Cannot make the folder " + folder + " private: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

std::string ShellStorageImageFolder() {
  std::string folder = EnvFolder("XDG_RUNTIME_DIR", "/corvanta");
  if (folder.empty()) folder = EnvFolder("XDG_CACHE_HOME", "/corvanta");
  if (folder.empty()) {
    std::string home = EnvFolder("HOME", "/.cache");
    if (!home.empty()) {
      mkdir(home.c_str(), 0700);
      folder = home + "/corvanta";
    }
  }
  if (folder.empty()) folder = "/tmp/corvanta-" + std::to_string(geteuid());
  return folder;
}

ShellImageStatus ShellOpenStorageImage(const std::string &folder, ShellStorageImage *image,
                                       std::string *error) {
  image->fd = -1;
  image->path = folder + "/" + kImageName;
  if (!MakePrivateFolder(folder, error)) return kShellImageFailed;
  int fd = open(image->path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "Cannot open the storage image " + image->path + ": " + std::strerror(errno);
    return kShellImageFailed;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    *error = "The storage image " + image->path + " is not a regular file of this user.";
    return kShellImageFailed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int e = errno;
    close(fd);
    if (e == EWOULDBLOCK) {
      *error = "Corvanta is already running: its storage image " + image->path +
               " is in use by another instance.";
      return kShellImageInUse;
    }
    *error = "Cannot lock the storage image " + image->path + ": " + std::strerror(e);
    return kShellImageFailed;
  }
  image->fd = fd;
  return kShellImageOk;
}

void ShellCloseStorageImage(ShellStorageImage *image) {
  if (image->fd >= 0) close(image->fd);
  image->fd = -1;
}

void ShellDeleteStorageImage(ShellStorageImage *image) {
  if (image->fd < 0) return;
  // Removed while the lock is still held, so no other instance can take
  // the file over between the removal and the close.
  unlink(image->path.c_str());
  ShellCloseStorageImage(image);
}
