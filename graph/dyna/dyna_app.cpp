// The dynamic graph application's screens and key loops.
#include "graph/dyna/dyna_app.h"

#include <cstdio>
#include <cstring>

#include "graph/app/graph_funcs.h"
#include "graph/app/graph_list.h"
#include "graph/dyna/dyna_cond.h"
#include "graph/dyna/dyna_mem.h"
#include "graph/dyna/dyna_play.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/heap.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

enum DynaCmd : u32 {
  kCmdSelect = 1,
  kCmdDelete = 2,
  kCmdVar = 3,
  kCmdBuiltIn = 4,
  kCmdRecall = 5,
  kCmdTypeY = 6,
  kCmdTypeR = 7,
  kCmdTypeParam = 8,
};
enum VarCmd : u32 { kVarSelect = 1, kVarSet = 2, kVarSpeed = 3, kVarDyna = 4 };

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }

const FkeyItem kListPage[6] = {K(55, kCmdSelect), K(56, kCmdDelete), {57, kFkeySubMenu, 1},
                               K(341, kCmdVar),   K(342, kCmdBuiltIn), K(70, kCmdRecall)};
const FkeyItem kTypePage[6] = {K(61, kCmdTypeY), K(62, kCmdTypeR), K(63, kCmdTypeParam), B, B, B};
const FkeyItem kVarPage[6] = {K(55, kVarSelect), K(972, kVarSet), K(344, kVarSpeed), B, B, K(346, kVarDyna)};
const FkeyItem kSpeedPage[6] = {K(347, 1), K(348, 2), K(349, 3), K(350, 4), B, B};
const FkeyItem kPausePage[6] = {K(347, 1), K(348, 2), K(349, 3), K(350, 4), K(69, 5), B};
const FkeyItem kBlank[6] = {B, B, B, B, B, B};

// The built-in forms: shown names and stored texts.
struct BuiltIn {
  const char *name;
  const char *text;
};
const BuiltIn kBuiltIns[7] = {
    {"Y=AX+B", "AX\x89" "B"},
    {"Y=A(X-B)\xE5\xC2+C", "A(X\x99" "B)\x8B\x89" "C"},
    {"Y=AX\xE5\xC2+BX+C", "AX\x8B\x89" "BX\x89" "C"},
    {"Y=AX^3+BX\xE5\xC2+CX+D", "AX^3\x89" "BX\x8B\x89" "CX\x89" "D"},
    {"Y=Asin (BX+C)", "A\x81(BX\x89" "C)"},
    {"Y=Acos (BX+C)", "A\x82(BX\x89" "C)"},
    {"Y=Atan (BX+C)", "A\x83(BX\x89" "C)"},
};

// The application's frames and whether they show the current settings;
// whether the screen shows a recalled memory nothing has changed since.
MemHandle g_frames = 0;
bool g_framesValid = false;
bool g_recalled = false;

void DropFrames() {
  DynaFreeFrames(&g_frames);
  g_framesValid = false;
  g_recalled = false;
}

void PrintMsg(i32 id, i32 col, i32 row) {
  char text[64];
  if (!MsgText(id, text)) return;
  TextLocate(col, row);
  TextPrint(text);
}

void Title(char *out) {
  MsgText(171, out, 32);
  static const char *const kTypes[3] = {":Y=", ":r=", ":Parm"};
  const u8 t = SetupGetItem(kSetupFuncType);
  std::strcat(out, t < 3 ? kTypes[t] : kTypes[0]);
}

const char *SpeedMark(u16 speed) {
  static const char *const kMarks[5] = {"", "\xE6\xD7\xE6\x9F", " >", " \xE6\x9F", " \xE5\xA4"};
  return kMarks[speed <= 4 ? speed : 0];
}

void CellOf(const BcdReal &v, char *out) {
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = v;
  char cell[32];
  NumFormatCell10(&value, cell);
  const char *p = cell;
  while (*p == ' ') ++p;
  std::strcpy(out, p);
}

// Start, End and Step on rows 4-6 (the line `cur` reversed when not -1).
void DrawRange(const DynaCond &cond, i32 cur) {
  static const char *const kPrompts[3] = {" Start:", " End  :", " Step :"};
  const BcdReal *v[3] = {&cond.start, &cond.end, &cond.pitch};
  for (i32 i = 0; i < 3; ++i) {
    char cell[32];
    CellOf(*v[i], cell);
    TextLocate(1, 4 + i);
    char line[48];
    std::strcpy(line, kPrompts[i]);
    std::strcat(line, cell);
    TextPrintField(line, 21);
    if (i == cur) LcdReverseArea(0, (3 + i) * 8, 127, (4 + i) * 8 - 1);
  }
}

void DrawHead(const DynaCond &cond, const DynaScanState &scan) {
  TextLocate(1, 1);
  if (scan.selected == 1) {
    char line[64] = "Y";
    const char *text = GmemFuncDataPtr(scan.lastSlot);
    char slot[8];
    std::snprintf(slot, sizeof slot, "%d", scan.lastSlot);
    std::strcat(line, slot);
    std::strcat(line, "=");
    char shown[2 * 21 + 1];
    StrExpandTokens(text ? text : "", shown, 21 - static_cast<i32>(std::strlen(line)));
    std::strcat(line, shown);
    TextPrintField(line, 21);
  } else {
    char text[40];
    MsgText(172, text);
    TextPrintField(text, 21);
  }
  (void)cond;
}

// The range: Start, End, Step edited line by line. 0 EXE, -2 EXIT, -1
// SHIFT+EXIT.
i32 SettingScreen(DynaCond *cond, bool *changed) {
  FkeySetPage(3, kBlank);
  FkeyPushLevel(3);
  i32 cur = 0, result = -2;
  for (;;) {
    TextClearRows(1, 7);
    PrintMsg(174, 1, 2);
    char letter[4] = {static_cast<char>('A' + cond->var - 1), 0};
    TextLocate(1, 3);
    TextPrint(letter);
    DrawRange(*cond, cur);
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    if (isChar || key == kKeyRight) {
      static const char *const kPrompts[3] = {" Start:", " End  :", " Step :"};
      BcdReal *target = cur == 0 ? &cond->start : cur == 1 ? &cond->end : &cond->pitch;
      BcdReal v = *target;
      const i32 r = EditReadNumber(isChar ? 1 : 0, &key, 4 + cur, &v, kPrompts[cur]);
      if (r == -1) {
        result = -1;
        break;
      }
      if (r != 0) continue;
      *target = v;
      *changed = true;
      if (DynaWriteCond(cond) != 0) ErrBox(4);
      if (cur < 2) ++cur;
      continue;
    }
    if (key == kKeyUp && cur > 0) --cur;
    if (key == kKeyDown && cur < 2) ++cur;
    if (key == kKeyExe) {
      result = 0;
      break;
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

i32 SpeedScreen(DynaCond *cond) {
  FkeySetPage(3, kSpeedPage);
  FkeyPushLevel(3);
  i32 result = 0;
  for (;;) {
    TextClearRows(1, 7);
    PrintMsg(175, 1, 1);
    char line[40];
    MsgText(176, line);
    std::strcat(line, ":  ");
    std::strcat(line, SpeedMark(cond->speed));
    TextLocate(1, 2);
    TextPrintField(line, 21);
    for (i32 i = 0; i < 4; ++i) PrintMsg(518 + i, 1, 3 + i);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key >= 1 && key <= 4) {
      cond->speed = static_cast<u16>(key);
      cond->frame = cond->cycles = 0;
      DynaWriteCond(cond);
      continue;
    }
    if (key == kKeyExe || key == kKeyExit) {
      DynaWriteCond(cond);
      result = key == kKeyExe ? 0 : -2;
      break;
    }
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

// "Store In Dynamic Memory": F1 stores the animation (the frames of the
// block when it is played; a played memory keeps its stored frames).
void MemStorePopup(const DynaCond &cond, const u8 *frames, u32 count) {
  constexpr i32 kKind = 5;
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kKind);
  PopupDrawWindow(kKind);
  static const i32 kLines[5][2] = {{4, 2}, {16, 3}, {17, 4}, {2, 5}, {3, 6}};
  for (const auto &line : kLines) PrintMsg(line[0], 3, line[1]);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupClose(kKind);
  PopupRestoreCursor(saved);
  if (key == kKeyF1 && DynaMemStore(frames, count, &cond) != 0) ErrBox(4);
}

// The pause screen: 0 play on, -11 play on paused, -2 EXIT, -1 SHIFT+EXIT.
// frames: what STO keeps (nullptr keeps the stored frames).
i32 PauseScreen(DynaCond *cond, const DynaScanState &scan, const u8 *frames, u32 count) {
  FkeySetPage(3, kPausePage);
  FkeyPushLevel(3);
  i32 result = -2;
  for (;;) {
    TextClearRows(1, 7);
    DrawHead(*cond, scan);
    PrintMsg(174, 1, 2);
    char letter[4] = {static_cast<char>('A' + cond->var - 1), 0};
    TextLocate(1, 3);
    TextPrint(letter);
    DrawRange(*cond, -1);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key >= 1 && key <= 4) {
      cond->speed = static_cast<u16>(key);
      cond->frame = cond->cycles = 0;
      DynaWriteCond(cond);
      result = 0;
      break;
    }
    if (key == 5) {
      MemStorePopup(*cond, frames, count);
      continue;
    }
    if (key == kKeyExe) {
      result = 0;
      break;
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
    if (key == kKeyGraphTable) {
      result = -11;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

// Plays until the pause screen is left: -2 back, -1 SHIFT+EXIT, -11 error.
i32 PlayLoop(int mode, u32 count, DynaCond *cond, const DynaScanState &scan) {
  const bool stored = mode == kDynaPlayStored;
  for (;;) {
    const i32 r = DynaRun(mode, count, cond, &g_frames);
    if (r == -11 || r == -1) return r;
    const u8 *frames = !stored && g_frames != 0 ? MemDeref(g_frames) : nullptr;
    const i32 p = PauseScreen(cond, scan, frames, count);
    if (p == -2 || p == -1) return p;
    if (stored) {
      mode = p == -11 ? kDynaPlayStoredPaused : kDynaPlayStored3;
    } else {
      mode = p == -11 ? kDynaPlayBlockPaused : kDynaPlayBlock;
    }
  }
}

}  // namespace

i32 DynaBuiltInList() {
  FkeySetPage(3, kBlank);
  FkeyPushLevel(3);
  i32 cur = 0, result = -2;
  for (;;) {
    TextClearRows(1, 7);
    for (i32 i = 0; i < 7; ++i) {
      TextLocate(1, 1 + i);
      TextPrintField(kBuiltIns[i].name, 21);
      if (i == cur) LcdReverseArea(0, i * 8, 127, i * 8 + 7);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyUp && cur > 0) --cur;
    if (key == kKeyDown && cur < 6) ++cur;
    if (key == kKeyExe || key == kKeyF1) {
      result = cur + 1;
      break;
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

i32 DynaVarScreen(i32 recall) {
  if (recall) {
    // A stored animation: its functions, settings and condition come back
    // and its frames play without computing.
    DynaCond stored;
    const u32 e = DynaMemRecall(&stored);
    if (e != 0) {
      if (e != kDynaMemMissing) ErrBox(4);
      return -2;
    }
    DropFrames();
    if (DynaWriteCond(&stored) != 0) {
      ErrBox(4);
      return -2;
    }
    g_recalled = true;
  }
  DynaScanState scan;
  DynaScanFuncs(&scan);
  if (const u32 e = DynaScanError(&scan)) {
    ErrBox(static_cast<i32>(e));
    return -2;
  }
  DynaCond cond;
  if (DynaReadCondOrDefault(&cond) != 0 || DynaFixVar(&cond, &scan) != 0) {
    ErrBox(4);
    return -2;
  }
  // The letters the functions use, in alphabetical order.
  char letters[26];
  i32 count = 0;
  for (i32 k = 0; k < 26; ++k)
    if (scan.marks[k]) letters[count++] = static_cast<char>('A' + k);
  FkeySetPage(2, kVarPage);
  FkeyPushLevel(2);
  i32 cur = 0, top = 0, result = -2;
  bool playRecalled = g_recalled;
  for (;;) {
    if (cur < top) top = cur;
    if (cur >= top + 5) top = cur - 4;
    TextClearRows(1, 7);
    DrawHead(cond, scan);
    char line[48];
    MsgText(173, line);
    const char tail[6] = {':', static_cast<char>('A' + cond.var - 1), ' ', ' ', '/', 0};
    std::strcat(line, tail);
    std::strcat(line, SpeedMark(cond.speed));
    TextLocate(1, 2);
    TextPrintField(line, 21);
    for (i32 i = top; i < count && i < top + 5; ++i) {
      Value v;
      std::memset(&v, 0, sizeof v);
      SysReadVariable(static_cast<u8>(letters[i]), &v);
      char cell[32];
      CellOf(v.re, cell);
      char text[48] = {' ', letters[i], '=', 0};
      std::strcat(text, cell);
      const i32 row = 3 + i - top;
      TextLocate(1, row);
      TextPrintField(text, 20);
      if (i == cur) LcdReverseArea(0, (row - 1) * 8, 119, row * 8 - 1);
    }
    if (top > 0) {
      TextLocate(21, 3);
      TextPrint("\xE6\x92");
    }
    if (top + 5 < count) {
      TextLocate(21, 7);
      TextPrint("\xE6\x93");
    }
    FkeyDrawRow();
    u32 key = 0;
    // A recalled memory plays at once.
    u32 isChar = 0;
    if (playRecalled) {
      key = kVarDyna;
      playRecalled = false;
    } else {
      isChar = KeyGetKey(&key);
    }
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    if (isChar || key == kKeyRight) {
      Value v;
      std::memset(&v, 0, sizeof v);
      SysReadVariable(static_cast<u8>(letters[cur]), &v);
      BcdReal x = v.re;
      const char prompt[4] = {' ', letters[cur], '=', 0};
      const i32 r = EditReadNumber(isChar ? 1 : 0, &key, 3 + cur - top, &x, prompt);
      if (r == -1) {
        result = -1;
        break;
      }
      if (r != 0) continue;
      std::memset(&v, 0, sizeof v);
      RealFracToDecimal(&x, &v.re);
      SysStoreVariable(static_cast<u8>(letters[cur]), &v);
      DropFrames();
      cur = (cur + 1) % count;
      continue;
    }
    if (key == kKeyUp) cur = cur == 0 ? count - 1 : cur - 1;
    if (key == kKeyDown) cur = cur + 1 == count ? 0 : cur + 1;
    if (key == kVarSelect) {
      cond.var = static_cast<u16>(letters[cur] - 'A' + 1);
      DynaWriteCond(&cond);
      DropFrames();
    }
    if (key == kVarSet) {
      bool changed = false;
      if (SettingScreen(&cond, &changed) == -1) {
        result = -1;
        break;
      }
      if (changed) DropFrames();
    }
    if (key == kVarSpeed && SpeedScreen(&cond) == -1) {
      result = -1;
      break;
    }
    if (key == kKeyVWindow && GraphOpenVwinScreen(0) != 0) DropFrames();
    if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen("@DYNA", &changed);
      if (changed) DropFrames();
    }
    if (key == kVarDyna || key == kKeyExe) {
      u32 frames = 0;
      if (const u32 e = DynaFrameCount(&cond, &frames)) {
        ErrBox(static_cast<i32>(e));
        continue;
      }
      int mode = kDynaPlayBlock;
      if (!g_framesValid && g_recalled) {
        mode = kDynaPlayStored;
      } else if (!g_framesValid) {
        if (const u32 e = DynaAllocFrames(frames, &g_frames)) {
          ErrBox(static_cast<i32>(e));
          continue;
        }
        g_framesValid = true;
        mode = kDynaComputePlay;
      }
      cond.frame = cond.cycles = 0;
      const i32 r = PlayLoop(mode, frames, &cond, scan);
      if (r == -11) g_framesValid = false;
      if (r == -1) {
        result = -1;
        break;
      }
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  return result;
}

u32 DynaAppMain(u32, u16) {
  DropFrames();
  KeySetMenuMask(68);
  FkeySetPage(0, kListPage);
  FkeySetPage(1, kTypePage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  const u8 t = SetupGetItem(kSetupFuncType);
  if (t >= 3 && t <= 7) GraphSelectFuncType(0);
  GraphListCursor c;
  GraphListCursorHome(&c);
  for (;;) {
    char title[40];
    Title(title);
    GraphDrawFuncList(title, &c);
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    const u16 type = GmemReadFuncType(c.slot);
    const bool drawable = type == 0 || DynaFuncTypeOk(type);
    if (isChar || key == kKeyRight) {
      if (!drawable) continue;
      if (GraphEditFuncLine(key, isChar, title, &c) == 0) DropFrames();
      continue;
    }
    switch (key) {
      case kKeyUp:
      case kKeyDown: GraphFuncListKeys(&c, key); break;
      case kKeyDel:
      case kCmdDelete:
        if (GmemFuncDataPtr(c.slot) != nullptr && GraphDeleteFuncConfirm(c.slot) == 0) DropFrames();
        break;
      case kCmdSelect: {
        const char *text = GmemFuncDataPtr(c.slot);
        if (!drawable || text == nullptr || std::strlen(text) <= 1) break;
        GmemSetFuncFlags(c.slot, (GraphFuncAttr(c.slot) & kDynaSelectBit) ? 0 : 1, kDynaSelectBit);
        DropFrames();
        break;
      }
      case kCmdTypeY:
      case kCmdTypeR:
      case kCmdTypeParam:
        GraphSelectFuncType(key - kCmdTypeY);
        DropFrames();
        FkeyBackToLevelRoot();
        break;
      case kCmdBuiltIn: {
        const i32 r = DynaBuiltInList();
        if (r > 0) {
          const u8 head[4] = {static_cast<u8>(kGraphFuncY & 0xFF), static_cast<u8>(kGraphFuncY >> 8), kDynaSelectBit,
                              2};
          if (GmemWriteFuncItem(c.slot, head, kBuiltIns[r - 1].text) != 0) ErrBox(4);
          DropFrames();
        } else if (r == -1) {
          GraphListCursorHome(&c);
        }
        break;
      }
      case kCmdVar:
      case kKeyExe:
        FkeyBackToLevelRoot();
        if (DynaVarScreen(0) == -1) GraphListCursorHome(&c);
        break;
      case kCmdRecall:
        g_framesValid = false;
        if (DynaVarScreen(1) == -1) GraphListCursorHome(&c);
        break;
      case kKeyQuit: GraphListCursorHome(&c); break;
      case kKeyVWindow:
        if (GraphOpenVwinScreen(0) != 0) DropFrames();
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@DYNA", &changed);
        if (changed) DropFrames();
        break;
      }
      default: break;
    }
  }
}
