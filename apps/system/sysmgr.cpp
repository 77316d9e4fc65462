// The system manager's menu and pages.
#include "apps/system/sysmgr.h"

#include "apps/system/browse.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "kernel/boot.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "storage/file.h"
#include "ui/edit.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem kBlank = {0, kFkeyBlank, 0};

constexpr i32 kMenuMain = 30;
constexpr i32 kMenuPage = 31;  // each page's own keys

const FkeyItem kMainPage[6] = {K(988, 1), K(989, 2), K(990, 3), K(991, 4), K(992, 5), kBlank};
const FkeyItem kContrastPage[6] = {K(95, 1), kBlank, kBlank, kBlank, kBlank, kBlank};
const FkeyItem kPowerPage[6] = {K(327, 1), K(993, 2), kBlank, kBlank, kBlank, kBlank};
const FkeyItem kMessageLangPage[6] = {K(55, 1), kBlank, kBlank, kBlank, kBlank, K(396, 2)};
const FkeyItem kMenuLangPage[6] = {K(55, 1), kBlank, kBlank, kBlank, kBlank, K(994, 3)};
const FkeyItem kMenuLangOnePage[6] = {kBlank, kBlank, kBlank, kBlank, kBlank, K(994, 3)};
const FkeyItem kVersionPage[6] = {K(995, 1), kBlank, kBlank, kBlank, kBlank, kBlank};
const FkeyItem kResetPage1[6] = {K(996, 1), K(791, 2), K(997, 3), K(792, 4), K(998, 5), K(348, 9)};
const FkeyItem kResetPage2[6] = {K(999, 6), K(949, 7), K(681, 8), kBlank, kBlank, K(348, 10)};

const char *const kMessageLanguages[] = {"English", "Espanol", "Deutsch", "Francais", "Portugues"};
const char *const kMenuLanguages[] = {"English"};

u32 g_highlight = 0;        // the highlighted row of the language lists
char g_user_name[9] = "";   // the version page's user name

void Row(i32 row, const char *text) {
  TextLocate(1, row);
  TextPrintField(text, 21);
}

void MsgRow(i32 id, i32 row) {
  char text[64] = "";
  MsgText(id, text);
  Row(row, text);
}

void PopupMsg(i32 id, i32 row) {
  char text[64];
  if (!MsgText(id, text)) return;
  TextLocate(1, row);
  TextPrint(text);
}

// A page: its keys on a level of its own, the menu-key mask 231.
struct PageScope {
  u16 mask;
  i32 id;
  explicit PageScope(const FkeyItem *page, i32 menu = kMenuPage) : mask(KeyGetMenuMask()), id(menu) {
    KeySetMenuMask(231);
    FkeySetPage(id, page);
    FkeyPushLevel(static_cast<u32>(id));
    KeyForgetDrawnRow();
  }
  void Set(const FkeyItem *page) {
    FkeySetPage(id, page);
    KeyForgetDrawnRow();
  }
  ~PageScope() {
    FkeyPopLevel();
    KeyForgetDrawnRow();
    KeySetMenuMask(mask);
  }
};

u32 ReadKeyCode() {
  for (;;) {
    FkeyDrawRow();
    u32 key = 0;
    if (!KeyGetKey(&key)) return key;
  }
}

void WaitExit() {
  for (;;) {
    const u32 key = ReadKeyCode();
    if (key == kKeyExit || key == kKeyQuit) return;
  }
}

// ---- contrast and power-off -------------------------------------------------

void ContrastPage() {
  PageScope scope(kContrastPage);
  LcdClearVram();
  MsgRow(330, 1);
  MsgRow(331, 3);
  MsgRow(332, 5);
  // The bar: a frame of 65 x 7 dots at (31, 24), filled half way.
  LcdShape frame = {31, 24, 95, 30, 0, kLcdShapeFrame, 1, kLcdWriteSet, 0, 0};
  LcdDrawShapeVram(frame);
  for (i32 y = 25; y < 30; ++y) LcdDrawLine(32, y, 63, y);
  for (;;) {
    const u32 key = ReadKeyCode();
    if (key == kKeyLeft) SysContrastLighter();
    else if (key == kKeyRight) SysContrastDarker();
    else if (key == 1) SysContrastInit();
    else if (key == kKeyExit || key == kKeyQuit) return;
  }
}

void PowerOffPage() {
  PageScope scope(kPowerPage);
  LcdClearVram();
  MsgRow(333, 1);
  MsgRow(413, 4);
  TextLocate(14, 4);
  TextPrint(":6 Min. ");
  for (;;) {
    const u32 key = ReadKeyCode();
    if (key == 1 || key == 2) {
      TextLocate(14, 4);
      TextPrint(key == 1 ? ":6 Min. " : ":60 Min.");
    } else if (key == kKeyExit || key == kKeyQuit) {
      return;
    }
  }
}

// ---- languages -----------------------------------------------------------------------

void LanguagePage() {
  i32 set = 0, first = 0;
  PageScope scope(kMessageLangPage);
  for (;;) {
    const i32 count = SysLanguageCount(set);
    if (g_highlight >= static_cast<u32>(count)) g_highlight = 0;
    scope.Set(set == 0 ? kMessageLangPage : count > 1 ? kMenuLangPage : kMenuLangOnePage);
    LcdClearVram();
    MsgRow(set == 0 ? 352 : 641, 1);
    char line[32];
    std::snprintf(line, sizeof line, "[%s]", SysLanguageName(set, SysCurrentLanguage(set)));
    Row(2, line);
    for (i32 r = 0; r < 5 && first + r < count; ++r) {
      std::snprintf(line, sizeof line, " %s", SysLanguageName(set, first + r));
      TextLocate(1, 3 + r);
      if (static_cast<u32>(first + r) == g_highlight) TextPrintFieldRev(line, 21);
      else TextPrintField(line, 21);
    }
    if (count > 5) {
      if (first > 0) {
        TextLocate(21, 3);
        TextPutChar("\xE6\x92");
      }
      if (first + 5 < count) {
        TextLocate(21, 7);
        TextPutChar("\xE6\x93");
      }
    }
    const u32 key = ReadKeyCode();
    const u32 n = static_cast<u32>(count);
    if (key == kKeyUp) {
      g_highlight = g_highlight == 0 ? n - 1 : g_highlight - 1;
    } else if (key == kKeyDown) {
      g_highlight = g_highlight + 1 >= n ? 0 : g_highlight + 1;
    } else if (key == 1 || key == kKeyExe) {
      SysSelectLanguage(set, static_cast<i32>(g_highlight));
      PopupOpen(5);
      PopupDrawWindow(4);
      TextLocate(7, 3);
      TextPrint(SysLanguageName(set, SysCurrentLanguage(set)));
      PopupMsg(1, 5);
      WaitExit();
      PopupClose(5);
    } else if (key == 2 || key == 3) {
      set = key == 2 ? 1 : 0;
      first = 0;
    } else if (key == kKeyExit || key == kKeyQuit) {
      return;
    }
    if (static_cast<i32>(g_highlight) < first) first = static_cast<i32>(g_highlight);
    if (static_cast<i32>(g_highlight) >= first + 5) first = static_cast<i32>(g_highlight) - 4;
  }
}

// ---- version and user name -------------------------------------------------------------

// 0 on EXE (the name kept), or EXIT / SHIFT+EXIT.
u32 UserNamePage() {
  PageScope scope(nullptr, kMenuPage + 1);
  LcdClearVram();
  MsgRow(649, 1);
  u8 text[9] = {};
  std::memcpy(text, g_user_name, 8);
  u32 start = 0, pos = static_cast<u32>(std::strlen(g_user_name));
  KeySetModifier(kModAlphaLock);
  KeyCursorFromState();
  u32 result = 0;
  for (;;) {
    BrowseDrawNameField(text, pos, 2);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) {
      const bool ok = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
      if (ok && std::strlen(reinterpret_cast<char *>(text)) < 8) pos = EditPutChar(text, 8, pos, key);
      continue;
    }
    if (key == kKeyExe) {
      std::memcpy(g_user_name, text, 9);
      break;
    }
    if (key == kKeyExit || key == kKeyQuit) {
      result = key;
      break;
    }
    if (key == kKeyLeft || key == kKeyRight || key == kKeyDel || key == kKeyPaste || key == kKeyClipLeft ||
        key == kKeyClipRight)
      EditMoveCursorIn(text, 8, &start, &pos, key, 2, 2, 8);
  }
  KeySetModifier(kModNone);
  TextCursorOff();
  return result;
}

void VersionPage() {
  PageScope scope(kVersionPage);
  for (;;) {
    LcdClearVram();
    MsgRow(328, 1);
    static const u8 kDigits[8] = {0, 0, 1, 2, 0, 0, 1, 0};
    char version[11];
    u32 at = 0;
    for (u32 i = 0; i < 8; ++i) {
      version[at++] = static_cast<char>('0' + kDigits[i]);
      if (i == 1 || i == 3) version[at++] = '.';
    }
    version[at] = 0;
    Row(2, version);
    const u32 key = ReadKeyCode();
    if (key == 1) {
      if (UserNamePage() == kKeyQuit) return;
    } else if (key == kKeyExit || key == kKeyQuit) {
      return;
    }
  }
}

// ---- resets ---------------------------------------------------------------------------------

enum ResetKind : u32 {
  kResetSetup = 1,
  kResetMain = 2,
  kResetAddIn = 3,
  kResetStorage = 4,
  kResetAddInStorage = 5,
  kResetMainStorage = 6,
  kResetAll = 7,
  kResetCard = 8,
};

void Subjects(u32 kind, i32 row) {
  switch (kind) {
    case kResetSetup: PopupMsg(340, row); break;
    case kResetMain: PopupMsg(341, row); break;
    case kResetAddIn: PopupMsg(343, row); break;
    case kResetStorage: PopupMsg(344, row); break;
    case kResetAddInStorage: PopupMsg(343, row); PopupMsg(344, row + 1); break;
    case kResetMainStorage: PopupMsg(341, row); PopupMsg(344, row + 1); break;
    case kResetAll: PopupMsg(345, row); break;
    default: PopupMsg(346, row); break;
  }
}

void FormatStorage() {
  const u16 device[] = {'f', 'l', 's', '0', 0};
  FileFormatStorage(device, 1);
}

void Confirm(u32 kind) {
  PopupOpen(5);
  PopupDrawWindow(5);
  PopupMsg(kind == kResetMain ? 32 : 527, 2);
  Subjects(kind, 3);
  PopupMsg(2, 5);
  PopupMsg(3, 6);
  u32 key = 0;
  for (;;) {
    key = ReadKeyCode();
    if (key == kKeyF1 || key == kKeyF6 || key == kKeyExit || key == kKeyQuit) break;
  }
  PopupClose(5);
  if (key != kKeyF1) return;
  // There are no add-ins, and no card: those resets say so and change
  // nothing; the others do what they name.
  if (kind == kResetAddIn || kind == kResetCard) {
    PopupOpen(5);
    PopupDrawWindow(5);
    Subjects(kind, 2);
    if (kind == kResetCard) {
      PopupMsg(655, 3);
    } else {
      char text[64] = "";
      MsgText(185, text);
      TextLocate(2, 3);
      TextPrint(text);
    }
    PopupMsg(1, 6);
    WaitExit();
    PopupClose(5);
    return;
  }
  u32 busy = 0;
  LcdBusySave(&busy);
  KeyBreakArm();
  LcdShowBusyIndicator();
  switch (kind) {
    case kResetSetup: SetupResetAll(); break;
    case kResetMain: SysResetMainMemory(); break;
    case kResetStorage:
    case kResetAddInStorage: FormatStorage(); break;
    case kResetMainStorage:
      SysResetMainMemory();
      FormatStorage();
      break;
    case kResetAll: SysInitializeAll(); break;
    default: break;
  }
  LcdBusyRestore(&busy);
  PopupOpen(5);
  PopupDrawWindow(5);
  PopupMsg(531, 2);
  Subjects(kind, 3);
  PopupMsg(1, 6);
  WaitExit();
  PopupClose(5);
  if (kind == kResetAll) SysInitializeAllHook();
}

void ResetPage() {
  PageScope scope(kResetPage1);
  u32 page = 1;
  for (;;) {
    LcdClearVram();
    if (page == 1) {
      const i32 ids[7] = {334, 335, 336, 337, 338, 525, 526};
      for (i32 r = 0; r < 7; ++r) MsgRow(ids[r], r + 1);
    } else {
      const i32 ids[7] = {334, 650, 651, 652, -1, -1, 653};
      for (i32 r = 0; r < 7; ++r) {
        if (ids[r] < 0) Row(r + 1, "");
        else MsgRow(ids[r], r + 1);
      }
    }
    const u32 key = ReadKeyCode();
    if (key >= 1 && key <= 8) {
      Confirm(key);
    } else if (key == 9 || key == 10) {
      page = key == 9 ? 2 : 1;
      scope.Set(page == 1 ? kResetPage1 : kResetPage2);
    } else if (key == kKeyExit || key == kKeyQuit) {
      return;
    }
  }
}

}  // namespace

i32 SysLanguageCount(i32 set) { return set == 0 ? MsgLanguageCount() : MsgAltLanguageCount(); }

const char *SysLanguageName(i32 set, i32 n) {
  if (n < 0 || n >= SysLanguageCount(set)) return nullptr;
  return set == 0 ? kMessageLanguages[n] : kMenuLanguages[n];
}

i32 SysSelectLanguage(i32 set, i32 n) { return set == 0 ? MsgSelectLanguage(n) : MsgSelectAltLanguage(n); }

i32 SysCurrentLanguage(i32 set) {
  const i32 n = set == 0 ? MsgGetLanguage() : MsgGetAltLanguage();
  return n >= 0 && n < SysLanguageCount(set) ? n : 0;
}

const char *SysUserName() { return g_user_name; }

void SysContrastInit() {}
void SysContrastLighter() {}
void SysContrastDarker() {}

u32 SysMgrAppMain(u32, u16) {
  KeySetMenuMask(231);
  FkeyClearStack();
  FkeySetPage(kMenuMain, kMainPage);
  FkeyPushLevel(kMenuMain);
  McsDeleteByKind(3, "FNAME");
  for (;;) {
    LcdClearVram();
    for (i32 r = 0; r < 7; ++r) MsgRow(310 + r, r + 1);
    switch (ReadKeyCode()) {
      case 1: ContrastPage(); break;
      case 2: PowerOffPage(); break;
      case 3: LanguagePage(); break;
      case 4: VersionPage(); break;
      case 5: ResetPage(); break;
      default: break;
    }
  }
}
