#include "shell/calc_link.h"

#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "ui/keycodes.h"
#include "ui/lcd_shadow.h"

void CalcLinkCopyShadow(u8 *out) { ShellCopyShadow(out); }

bool CalcLinkPostKey(const ShellKeyEvent &e) {
  u16 code = e.code;
  if (e.letter == kLetterAlphaOnce) code = static_cast<u16>((code & 0xFF) | kKeyTypedAlphaOnce);
  if (e.letter == kLetterAlphaStay) code = static_cast<u16>((code & 0xFF) | kKeyTypedAlphaStay);
  return HostPushKeyEvent(e.column, e.row, code, 0) != 0;
}

u8 CalcLinkKeyModifier() { return ShellHandedKeyState(); }

bool CalcLinkRunning() { return SysThreadRunning(); }
u64 CalcLinkIdleCount() { return HostIdleCount(); }
u32 CalcLinkQueueCount() { return HostKeyQueueCount(); }
void CalcLinkHoldQueue(bool hold) {
  if (hold) {
    HostHoldKeyQueue();
  } else {
    HostReleaseKeyQueue();
  }
}
// HostFormatAnswer makes the texts from a whole copy of the Ans the
// calculator thread published last.
void CalcLinkAnswer(std::string *real, std::string *imag) {
  const char *re = nullptr, *im = nullptr;
  HostFormatAnswer(&re, &im);
  real->assign(re != nullptr ? re : "");
  imag->assign(im != nullptr ? im : "");
}
// The calculator's own copy and paste keys, posted as codes: the calculator
// thread does the work and reaches the PC clipboard through its bridge.
bool CalcLinkRequestCopy() { return SysThreadRunning() && HostPushKeyEvent(-1, -1, kKeyCopy, 0) != 0; }
bool CalcLinkInMainMenu() { return SysThreadRunning() && SysInMainMenu() == 1; }

bool CalcLinkRequestBackup(bool restore) {
  return SysThreadRunning() && SysInMainMenu() == 1 &&
         HostPushKeyEvent(-1, -1, restore ? kKeyRestoreMain : kKeyBackupMain, 0) != 0;
}
bool CalcLinkRequestPaste() { return SysThreadRunning() && HostPushKeyEvent(-1, -1, kKeyPaste, 0) != 0; }

void CalcLinkWriteShadow(i32 offset, const u8 *bytes, i32 count) { ShellWriteShadow(offset, bytes, count); }
