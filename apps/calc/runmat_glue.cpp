// The run-and-matrix application's steps into the shared layers.
#include "apps/calc/runmat_glue.h"

#include <cstring>

#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

u32 RunMatTokenName(u16 token, char *out) {
  // Characters name themselves; the token-name table takes over the rest.
  if (token >= 0x20 && token < 0x7F) {
    out[0] = static_cast<char>(token);
    out[1] = 0;
    return 1;
  }
  if (token >> 8 >= 0xE5 && token >> 8 <= 0xE7) {
    out[0] = static_cast<char>(token >> 8);
    out[1] = static_cast<char>(token & 0xFF);
    out[2] = 0;
    return 2;
  }
  out[0] = 0;
  return 0;
}

namespace {

constexpr const char *kReplay = "REPLAY";
constexpr u32 kReplayMax = 256;

// A copy of the history item's bytes; 0 bytes when it does not exist.
u32 ReadHistory(u8 *out, u32 cap) {
  char folder[16];
  SysGetAppName(folder);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(folder, kReplay, &size, &data) != 0 || !data) return 0;
  if (size > cap) size = cap;
  std::memcpy(out, data, size);
  return size;
}

// Start of line i (1-based) inside bytes, or null.
const u8 *LineAt(const u8 *bytes, u32 size, u32 i, u32 *len) {
  u32 n = 0;
  for (u32 at = 0; at < size;) {
    if (bytes[at] == 0) {
      ++at;
      continue;
    }
    u32 end = at;
    while (end < size && bytes[end]) ++end;
    if (++n == i) {
      *len = end - at;
      return bytes + at;
    }
    at = end;
  }
  return nullptr;
}

}  // namespace

u32 RunMatHistoryCount() {
  u8 bytes[kReplayMax + 8];
  const u32 size = ReadHistory(bytes, sizeof bytes);
  u32 n = 0, len = 0;
  while (LineAt(bytes, size, n + 1, &len)) ++n;
  return n;
}

i32 RunMatHistoryLineSize(u32 i) {
  u8 bytes[kReplayMax + 8];
  const u32 size = ReadHistory(bytes, sizeof bytes);
  u32 len = 0;
  if (!LineAt(bytes, size, i, &len)) return -1;
  return static_cast<i32>(len + 1);
}

void RunMatHistoryLine(u32 i, u8 *out) {
  u8 bytes[kReplayMax + 8];
  const u32 size = ReadHistory(bytes, sizeof bytes);
  u32 len = 0;
  const u8 *line = LineAt(bytes, size, i, &len);
  if (!line) {
    out[0] = 0;
    return;
  }
  std::memcpy(out, line, len);
  out[len] = 0;
}

u32 RunMatHistoryAdd(const u8 *text) {
  u8 bytes[2 * kReplayMax + 8];
  const bool existed = RunMatHistoryExists();
  u32 size = ReadHistory(bytes, kReplayMax + 8);
  // Padding zeros go; lines stay oldest first.
  u32 used = 0;
  for (u32 i = 1, len = 0;; ++i) {
    const u8 *line = LineAt(bytes, size, i, &len);
    if (!line) break;
    std::memmove(bytes + used, line, len);
    used += len;
    bytes[used++] = 0;
  }
  u32 len = 0;
  while (text[len] && len < kReplayMax - 1) ++len;
  std::memcpy(bytes + used, text, len);
  used += len;
  bytes[used++] = 0;
  // The oldest lines go while the lines pass 256 bytes.
  u32 drop = 0;
  while (used - drop > kReplayMax) {
    while (bytes[drop]) ++drop;
    ++drop;
  }
  size = used - drop;
  char folder[16];
  SysGetAppName(folder);
  McsDeleteInFolder(folder, kReplay);
  const u32 code = McsCreateInFolder(folder, kReplay, size, bytes + drop);
  if (code > 2) return code;
  if (!existed) SetupSetByte(kSetupReplayBaseN, SetupGetItem(kSetupMode) != 0 ? 1 : 0);
  return 0;
}

bool RunMatHistoryExists() {
  char folder[16];
  SysGetAppName(folder);
  u32 size = 0;
  return McsOpenInFolder(folder, kReplay, &size) == 0;
}

void RunMatHistoryDelete() {
  char folder[16];
  SysGetAppName(folder);
  McsDeleteInFolder(folder, kReplay);
}

// The interpreter is not part of the system yet: every line fails with the
// error of a missing part, shown by the error box as "Undefinition".
u32 RunMatRunLine(const u8 *, RunMatRunState *run) {
  constexpr u8 kErrNoInterpreter = 99;
  RealMakeError(kErrNoInterpreter, &run->result.re);
  std::memset(&run->result.im, 0, sizeof run->result.im);
  run->stop = 0;
  return 0;
}

// The SET UP screen is not part of the system yet: nothing changes.
void RunMatGlueSetupScreen(u32 *changed) { *changed = 0; }

u16 RunMatGlueGraphVarChar() {
  switch (SetupGetItem(kSetupFuncType)) {
    case 1:
      return 0xCE;  // theta
    case 2:
      return 'T';
    default:
      return 'X';
  }
}
