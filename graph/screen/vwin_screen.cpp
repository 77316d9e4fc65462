#include "graph/screen/vwin_screen.h"

#include <cstring>

#include "graph/memory/gmem_record.h"
#include "graph/screen_save.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr u16 kScreenMask = 231;  // every menu key off except CLIP
constexpr i32 kPageMenu = 23;
constexpr i32 kInputMenu = 24;
constexpr i32 kLines = 10;
constexpr i32 kShown = 6;  // rows 2-7

constexpr FkeyItem Blank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
const FkeyItem kBlankPage[6] = {Blank, Blank, Blank, Blank, Blank, Blank};

struct Line {
  const char *label;
  u8 field;
};
const Line kLineTable[kLines] = {
    {"Xmin  :", kVwinXmin}, {" max  :", kVwinXmax}, {" scale:", kVwinXscale}, {" dot  :", kVwinXdot},
    {"Ymin  :", kVwinYmin}, {" max  :", kVwinYmax}, {" scale:", kVwinYscale}, {"T\xCEmin :", kVwinTmin},
    {"  max :", kVwinTmax}, {"  ptch:", kVwinTpitch},
};

void UsePage(i32 id, const FkeyItem *page) {
  FkeySetPage(id, page);
  FkeyClearStack();
  FkeyPushLevel(static_cast<u32>(id));
  KeyForgetDrawnRow();
}

// Line 4 holds the half-width dot while the screen is split.
bool HalfDot(i32 mode) { return mode != kVwinModeSingle && SetupGetItem(kSetupDualScreen) != 3; }

u8 FieldOf(i32 line, i32 mode) {
  const u8 f = kLineTable[line - 1].field;
  return f == kVwinXdot && HalfDot(mode) ? static_cast<u8>(kVwinXdotHalf) : f;
}

bool Right(i32 mode) { return mode == kVwinModeRight; }

u32 ReadRecord(i32 mode, VwinRecord *rec) { return Right(mode) ? GmemReadVwinr(rec) : GmemReadVwin(rec); }

void DrawTitle(i32 mode) {
  const i32 id = mode == kVwinModeLeft ? 433 : mode == kVwinModeRight ? 434 : 432;
  char text[32];
  MsgTextPlain(id, text, sizeof text);
  TextLocate(1, 1);
  TextPrintField(text, 21);
}

void UseEditorPage(i32 mode) {
  const FkeyItem f6 = mode == kVwinModeLeft    ? Code(752, 6)
                      : mode == kVwinModeRight ? Code(753, 6)
                                               : Blank;
  static FkeyItem page[6];
  const FkeyItem items[6] = {Code(95, 1), Code(96, 2), Code(97, 3), Code(69, 4), Code(70, 5), f6};
  std::memcpy(page, items, sizeof page);
  UsePage(kPageMenu, page);
}

struct EditState {
  i32 mode;
  i32 top;
  i32 line;
  u32 flags;
  VwinRecord rec;
};

void MoveDown(EditState *st) {
  if (st->line == kLines) {
    st->line = 1;
    st->top = 1;
  } else {
    if (st->line == st->top + kShown - 1) ++st->top;
    ++st->line;
  }
}

void MoveUp(EditState *st) {
  if (st->line == 1) {
    st->line = kLines;
    st->top = kLines - kShown + 1;
  } else {
    if (st->line == st->top) --st->top;
    --st->line;
  }
}

// Edits the current line until a value is stored or the edit is left:
// 0 stored, -2 EXIT, -1 SHIFT+EXIT, -6 another end.
i32 EditField(EditState *st, u32 typed, u32 key) {
  UsePage(kInputMenu, kBlankPage);
  const u8 field = FieldOf(st->line, st->mode);
  for (;;) {
    BcdReal v = st->rec.f[field];
    u32 k = key;
    const i32 r = EditReadNumber(typed, &k, st->line - st->top + 2, &v, kLineTable[st->line - 1].label);
    if (r == -2 || r == -1) return r;
    if (r != 0) return -6;
    RealFracToDecimal(&v, &v);
    const u32 e = Right(st->mode) ? GmemWriteVwinrValue(&v, field) : GmemWriteVwinValue(&v, field);
    if (e == 0) {
      st->flags &= ~kVwinUnchanged;
      ReadRecord(st->mode, &st->rec);
      return 0;
    }
    ErrBox(static_cast<i32>(e));
    // Edited again from the stored value.
    typed = 0;
    key = kKeyRight;
  }
}

// The V-Window memory number (1..6) in a pop-up headed by message id:
// 0 with *n, or a negative end.
i32 AskMemory(i32 id, i32 *n) {
  char text[32];
  PopupOpenFramed(4);
  const i32 row = PopupFirstRow(4);
  MsgTextPlain(id, text, sizeof text);
  TextLocate(3, row);
  TextPrint(text);
  MsgTextPlain(12, text, sizeof text);
  TextLocate(3, row + 1);
  TextPrint(text);
  TextLocate(3, row + 3);
  TextPrint("  V-Win[1~6]:    ");
  const i32 r = TextInputNumber(n, 17, row + 3, 1, 6);
  PopupCloseKind5();
  return r;
}

}  // namespace

void VwinDrawLines(i32 top, i32 line, const VwinRecord *rec, i32 mode) {
  for (i32 row = 2; row <= 7; ++row) {
    const i32 l = top + row - 2;
    char text[40];
    std::strcpy(text, kLineTable[l - 1].label);
    Value v{};
    v.re = rec->f[FieldOf(l, mode)];
    char cell[24];
    NumFormatCell10(&v, cell);
    std::strncat(text, cell, sizeof text - std::strlen(text) - 1);
    TextLocate(1, row);
    if (l == line) {
      TextPrintFieldRev(text, 21);
    } else {
      TextPrintField(text, 21);
    }
  }
}

void VwinStoreMem(const VwinRecord *rec) {
  i32 n = 0;
  if (AskMemory(4, &n) != 0) return;
  if (const u32 e = GmemStoreVwinMem(n, rec)) ErrBox(static_cast<i32>(e));
}

i32 VwinRecallMem(VwinRecord *rec, i32 mode) {
  i32 n = 0;
  if (AskMemory(5, &n) != 0) return 0;
  VwinRecord mem;
  if (GmemRecallVwinMem(n, &mem) != 0) return 0;  // an empty memory changes nothing
  const u32 e = Right(mode) ? GmemWriteVwinr(&mem) : GmemWriteVwin(&mem);
  if (e != 0) {
    ErrBox(4);
    return 0;
  }
  GmemDeletePrevVwin();
  *rec = mem;
  return 1;
}

u32 VwinEditor(i32 mode) {
  EditState st{mode, 1, 1, kVwinUnchanged, {}};
  ReadRecord(mode, &st.rec);
  for (;;) {
    UseEditorPage(mode);
    DrawTitle(mode);
    VwinDrawLines(st.top, st.line, &st.rec, mode);
    u32 key = 0;
    const u32 is_char = KeyGetKey(&key);
    u32 typed = 0;
    if (is_char) {
      if (key == kChrArrow || key == kChrComma) continue;
      typed = 1;
    } else if (key == kKeyXThetaT) {
      typed = 1;
      const u8 type = SetupGetItem(kSetupFuncType);
      key = type == 2 ? 'T' : type == 1 ? 0xCE : 'X';
    } else if (key == kKeyRight) {
      typed = 0;
    } else {
      switch (key) {
        case kKeyExit:
        case kKeyExe:
        case kKeyQuit:
          return st.flags;
        case kKeyUp:
          MoveUp(&st);
          continue;
        case kKeyDown:
          MoveDown(&st);
          continue;
        case 1:
        case 2:
        case 3: {
          const i32 toVwin = Right(mode) ? 0 : 1;
          const u32 e = key == 1 ? GmemResetVwin(toVwin) : key == 2 ? GmemResetVwinTrig(toVwin) : GmemResetVwinStd(toVwin);
          if (e != 0) ErrBox(static_cast<i32>(e));
          ReadRecord(mode, &st.rec);
          st.flags &= ~kVwinUnchanged;
          continue;
        }
        case 4:
          VwinStoreMem(&st.rec);
          continue;
        case 5:
          VwinRecallMem(&st.rec, mode);
          st.flags &= ~kVwinUnchanged;
          continue;
        case 6:
          if (mode == kVwinModeLeft) return st.flags | kVwinSwitchPage;
          if (mode == kVwinModeRight) return st.flags | kVwinSwitchPage | kVwinToLeft;
          continue;
        default:
          continue;
      }
    }
    const i32 r = EditField(&st, typed, key);
    if (r == -1) return st.flags;  // SHIFT+EXIT leaves the screen
    if (r == 0 && st.line != kLines) MoveDown(&st);
  }
}

i32 VwinScreen(i32 mode) {
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kScreenMask);
  TextCursorState cursor;
  TextGetCursor(&cursor);
  TextCursorOff();
  i32 result = 1;
  VwinRecord rec;
  const bool needRight = mode != kVwinModeSingle;
  if ((needRight && GmemReadVwinr(&rec) != 0 && GmemResetVwin(0) != 0) ||
      (GmemReadVwin(&rec) != 0 && GmemResetVwin(1) != 0)) {
    ErrBox(4);
    GmemDeleteGraphRecord();
    result = 0;
  } else {
    for (;;) {
      const u32 flags = VwinEditor(mode);
      if ((flags & kVwinUnchanged) == 0) {
        GmemDeleteGraphRecord();
        result = 0;
      }
      if ((flags & kVwinSwitchPage) == 0) break;
      mode = (flags & kVwinToLeft) ? kVwinModeLeft : kVwinModeRight;
    }
  }
  FkeyClearStack();
  TextSetCursor(&cursor);
  KeySetMenuMask(mask);
  return result;
}

i32 GraphOpenVwinScreen() {
  const u8 dual = SetupGetItem(kSetupDualScreen);
  // The screen builds menus of its own; the caller's come back after.
  FkeyStackState menus;
  FkeySaveStack(&menus);
  const KeyRootRow hook = KeySetRootRowHook({nullptr, nullptr});
  const i32 result = VwinScreen(dual >= 3 ? i32{kVwinModeSingle} : i32{dual});
  KeySetRootRowHook(hook);
  FkeyRestoreStack(&menus);
  KeyForgetDrawnRow();
  return result;
}

i32 GraphOpenVwinScreen(i8 which) {
  u8 screen[1024];
  GraphSaveScreen(screen);
  // The screen builds menus of its own; the graph screen's come back after.
  FkeyStackState menus;
  FkeySaveStack(&menus);
  const KeyRootRow hook = KeySetRootRowHook({nullptr, nullptr});
  const i32 mode = which == 0 ? i32{kVwinModeSingle} : which == 1 ? i32{kVwinModeLeft} : i32{kVwinModeSplit};
  const i32 unchanged = VwinScreen(mode);
  KeySetRootRowHook(hook);
  FkeyRestoreStack(&menus);
  KeyForgetDrawnRow();
  if (unchanged != 0) {
    GraphRestoreScreen(screen);
    return 0;
  }
  GmemDeleteGraphRecord();
  return 1;
}
