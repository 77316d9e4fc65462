// The storage image file "tz841.fls": the file that holds the calculator's
// storage memory for one run. It lives in a private per-user folder (mode
// 0700), is opened without following a symbolic link and is locked, so a
// second running instance cannot share it. An image left by an earlier run
// is opened as it stands. It is removed at exit.
#pragma once
#include <string>

#include "kernel/types.h"

enum ShellImageStatus : i32 {
  kShellImageOk = 0,
  kShellImageInUse = 1,   // another running instance holds the lock
  kShellImageFailed = 2,  // the folder or the file cannot be made or opened
};

struct ShellStorageImage {
  i32 fd = -1;
  std::string path;
};

// The private folder: $XDG_RUNTIME_DIR/corvanta when that is set, else
// $XDG_CACHE_HOME/corvanta, else $HOME/.cache/corvanta, else
// /tmp/corvanta-<uid>.
std::string ShellStorageImageFolder();

// Opens (creating when missing) "tz841.fls" in the folder (created with mode
// 0700 when missing; an existing folder must be a real folder owned by this
// user). On failure *error holds a sentence for the user.
ShellImageStatus ShellOpenStorageImage(const std::string &folder, ShellStorageImage *image,
                                       std::string *error);
// Closes the descriptor only.
void ShellCloseStorageImage(ShellStorageImage *image);
// Removes the file (while still holding the lock) and closes the descriptor.
void ShellDeleteStorageImage(ShellStorageImage *image);
