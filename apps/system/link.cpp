// The link application "@LINK": the menus of data communication. This
// system has no port: a transmission ends in Transmit ERROR after about two
// seconds, a reception in Receive ERROR after about six minutes, unless AC
// ends the wait first. The three settings live in SET UP items 88-90.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "apps/system/browse.h"
#include "apps/system/memmgr.h"
#include "kernel/apps.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem kBlank = {0, kFkeyBlank, 0};

constexpr i32 kMenuMain = 40;
constexpr i32 kMenuSub = 41;
constexpr i32 kMenuTransType = 42;

// Data types as the data-type page gives them.
enum : u32 { kTypeMain = 20, kTypeStorage = 21, kTypeCard = 22 };

const FkeyItem kMainPage[6] = {K(101, 1), K(102, 2), K(168, 6), K(1002, 3), K(1003, 4), K(103, 5)};
const FkeyItem kDataTypePage[6] = {K(791, kTypeMain), K(1000, kTypeStorage), K(681, kTypeCard),
                                   kBlank, kBlank, kBlank};
const FkeyItem kTransTypePage[6] = {K(55, 1), K(104, 2), kBlank, kBlank, kBlank, kBlank};
const FkeyItem kCablePage[6] = {K(1008, 1), K(1009, 2), kBlank, kBlank, kBlank, kBlank};
const FkeyItem kWakeupPage[6] = {K(480, 1), K(422, 2), kBlank, kBlank, kBlank, kBlank};
const FkeyItem kImagePage[6] = {K(422, 1), K(492, 2), kBlank, kBlank, kBlank, kBlank};
const FkeyItem kBrowserPage[6] = {K(55, kBrowseSel), K(949, kBrowseAll), kBlank, kBlank, kBlank, K(141, kBrowseTran)};

constexpr i32 kScreenMain[7] = {356, 0, 553, 554, 555, 0, 0};
constexpr i32 kScreenReceiving[7] = {390, 0, 381, 0, 0, 0, 0};
constexpr i32 kScreenTransmitting[7] = {365, 0, 381, 0, 0, 0, 0};
constexpr i32 kScreenDataType[7] = {556, 0, 501, 657, 658, 0, 0};
constexpr i32 kScreenCable[7] = {563, 564, 565, 566, 0, 0, 0};
constexpr i32 kScreenWakeup[7] = {567, 568, 569, 570, 0, 0, 0};
constexpr i32 kScreenImage[7] = {571, 572, 573, 574, 0, 0, 0};
constexpr i32 kScreenTransType[7] = {583, 584, 585, 586, 0, 0, 0};

BrowseList g_chosen;
u16 g_result[kBrowsePathMax];

void PopupMsg(i32 id, i32 row) {
  char text[64];
  if (!MsgText(id, text)) return;
  TextLocate(1, row);
  TextPrint(text);
}

// Draws seven rows of messages; the main screen adds each setting.
void LinkDrawLines(const i32 *ids) {
  LcdClearVram();
  for (i32 r = 0; r < 7; ++r) {
    char text[64] = "";
    if (ids[r]) MsgText(ids[r], text);
    if (ids == kScreenMain) {
      const size_t n = std::strlen(text);
      if (r == 2) std::snprintf(text + n, sizeof text - n, "%s", SetupGetItem(kSetupCableType) ? "3pin" : "USB");
      if (r == 3) std::snprintf(text + n, sizeof text - n, "%s", SetupGetItem(kSetupWakeup) ? "Off" : "On");
      if (r == 4) std::snprintf(text + n, sizeof text - n, "%s", SetupGetItem(kSetupImageSet) == 1 ? "Off" : "Auto");
    }
    TextLocate(1, r + 1);
    TextPrintField(text, 21);
  }
  ShellUpdateDisplay();
}

u32 ReadKeyCode() {
  for (;;) {
    FkeyDrawRow();
    u32 key = 0;
    if (!KeyGetKey(&key)) return key;
  }
}

struct Level {
  explicit Level(i32 id, const FkeyItem *page) {
    FkeySetPage(id, page);
    FkeyPushLevel(static_cast<u32>(id));
    KeyForgetDrawnRow();
  }
  ~Level() {
    FkeyPopLevel();
    KeyForgetDrawnRow();
  }
};

void LinkTerminatedBox(i32 a, i32 b, i32 c) {
  PopupOpen(5);
  PopupDrawWindow(4);
  PopupMsg(a, 2);
  PopupMsg(b, 3);
  PopupMsg(c, 4);
  PopupMsg(1, 5);
  PopupWaitKey({kKeyExit, kKeyAc, kKeyQuit});
  PopupClose(5);
}

// Waits polls x 100 ms for a partner: true when AC ended the wait.
bool WaitForPartner(u32 polls) {
  KeyBreakArm();
  for (u32 i = 0; i < polls; ++i) {
    if (KeyBreakPoll()) return true;
    ShellSleep(100);
  }
  return KeyBreakPoll() != 0;
}

void Receive() {
  LinkDrawLines(kScreenReceiving);
  if (WaitForPartner(3599)) LinkTerminatedBox(373, 374, 375);
  else ErrBox(12);
}

// A setting: F1 or F2 stores its value and returns.
void LinkSetting(const i32 *screen, const FkeyItem *page, u8 item, u8 f1, u8 f2) {
  Level level(kMenuSub, page);
  for (;;) {
    LinkDrawLines(screen);
    const u32 key = ReadKeyCode();
    if (key == 1 || key == 2) {
      SetupSetItem(item, key == 1 ? f1 : f2);
      return;
    }
    if (key == kKeyExit || key == kKeyQuit) return;
  }
}

i32 LinkTransmitConfirm() {
  PopupOpen(5);
  PopupDrawWindow(5);
  PopupMsg(362, 3);
  PopupMsg(363, 4);
  PopupMsg(2, 5);
  PopupMsg(3, 6);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupClose(5);
  return key == kKeyF1 ? 1 : 0;
}

u32 LinkSelectAndSend(u32 type) {
  for (;;) {
    u32 r;
    if (type == kTypeMain) r = MemMgrItemBrowser(504, kBrowserPage, &g_chosen, g_result);
    else if (type == kTypeStorage) r = BrowseFiles(505, "*.*", kBrowserPage, &g_chosen, g_result, 1);
    else r = BrowseFiles(659, "*.*", kBrowserPage, &g_chosen, g_result, 2);
    if (r != kBrowseTran) return r;
    if (!LinkTransmitConfirm()) continue;
    LinkDrawLines(kScreenTransmitting);
    if (WaitForPartner(19)) LinkTerminatedBox(373, 374, 375);
    else ErrBox(11);
    return kBrowseTran;
  }
}

u32 LinkTransType(u32 type) {
  Level level(kMenuTransType, kTransTypePage);
  const u8 kind = static_cast<u8>(type - kTypeMain);
  for (;;) {
    LinkDrawLines(kScreenTransType);
    const u32 key = ReadKeyCode();
    if (key == kKeyExit || key == kKeyQuit) return key;
    if (key != 1 && key != 2) continue;
    // Select starts a new choice; Current keeps the one made before, when
    // it was made for this data type.
    if (key == 1 || g_chosen.kind != kind) {
      BrowseListFree(&g_chosen);
      BrowseListInit(&g_chosen, kind);
    }
    if (LinkSelectAndSend(type) != kKeyExit) return key;
  }
}

void LinkTransmit() {
  Level level(kMenuSub, kDataTypePage);
  for (;;) {
    LinkDrawLines(kScreenDataType);
    const u32 key = ReadKeyCode();
    if (key == kKeyExit || key == kKeyQuit) return;
    if (key >= kTypeMain && key <= kTypeCard && LinkTransType(key) != kKeyExit) return;
  }
}

}  // namespace

u32 LinkAppMain(u32, u16) {
  BrowseListFree(&g_chosen);
  BrowseListInit(&g_chosen, 0);
  g_result[0] = 0;
  KeySetMenuMask(231);
  FkeyClearStack();
  FkeySetPage(kMenuMain, kMainPage);
  FkeyPushLevel(kMenuMain);
  for (;;) {
    LinkDrawLines(kScreenMain);
    if (SysLinkFlagTest()) {
      Receive();
      continue;
    }
    switch (ReadKeyCode()) {
      case 1: LinkTransmit(); break;
      case 2: Receive(); break;
      case 3: LinkSetting(kScreenCable, kCablePage, kSetupCableType, 0, 1); break;
      case 4: LinkSetting(kScreenWakeup, kWakeupPage, kSetupWakeup, 0, 1); break;
      case 5: LinkSetting(kScreenImage, kImagePage, kSetupImageSet, 1, 0); break;
      default: break;
    }
  }
}
