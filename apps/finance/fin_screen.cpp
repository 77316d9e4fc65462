// The financial application's entry, its menu pages, and the list, input
// and result screens every sub-application runs through.
#include "apps/finance/fin_screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apps/calc/runmat_glue.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/apps.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
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

// Function-key menus of the application's screens.
constexpr i32 kMenuPages = 20;
constexpr i32 kListMenu = 21;
constexpr i32 kInputMenu = 22;
constexpr i32 kResultMenu = 23;

// Menu-key masks: the menu pages leave the SHIFT group's keys to the key
// reader; the screens keep every group and the catalog off.
constexpr u16 kMenuMask = 199;
constexpr u16 kScreenMask = 231;

constexpr u32 kRows = 6;  // variable lines on rows 2-7

constexpr FkeyItem Blank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

const FkeyItem kPage1[6] = {Code(777, 1), Code(778, 2), Code(779, 3), Code(780, 4), Code(781, 5), Code(6, 6)};
const FkeyItem kPage2[6] = {Code(782, 1), Code(783, 2), Blank, Blank, Blank, Code(6, 6)};
const FkeyItem kBlankPage[6] = {Blank, Blank, Blank, Blank, Blank, Blank};

// Sets a page as the only level of the menu stack.
void UsePage(i32 id, const FkeyItem *page) {
  FkeySetPage(id, page);
  FkeyClearStack();
  FkeyPushLevel(static_cast<u32>(id));
  KeyForgetDrawnRow();
}

void RunSetup() {
  u32 changed = 0;
  SetupScreen("@FINANCE", &changed);
}

// ---- the list screen ----

u32 LineIndex(const FinScreenState *st) { return static_cast<u32>(st->row - 2 + st->top - 1); }

void TitleText(const FinSubApp &app, char *out, u32 size) {
  char msg[32];
  FinMessage(app.title_msg, msg, sizeof msg);
  const char *suffix = nullptr;
  if (app.title_suffix == kFinTitlePayment) {
    const u8 v = SetupGetItem(kSetupPayment);
    suffix = v == 0 ? "Bgn" : v == 1 ? "End" : "???";
  } else if (app.title_suffix == kFinTitleDateMode) {
    const u8 v = SetupGetItem(kSetupDateMode);
    suffix = v == 0 ? "365" : v == 1 ? "360" : "???";
  }
  if (suffix) {
    std::snprintf(out, size, "%s:%s", msg, suffix);
  } else {
    std::snprintf(out, size, "%s", msg);
  }
}

void ValueText(const BcdReal &r, char *out) {
  Value v{};
  v.re = r;
  NumToText(&v, out);
}

void LineText(const FinLine &line, const FinMem &mem, char *out, u32 size) {
  char value[kNumTextSize];
  switch (line.kind) {
    case kFinLineList:
      std::snprintf(value, sizeof value, "List %u", static_cast<unsigned>(mem.list));
      break;
    case kFinLineDate1:
      FinFormatDate(mem.d1, value);
      break;
    case kFinLineDate2:
      FinFormatDate(mem.d2, value);
      break;
    default: {
      BcdReal r;
      std::memcpy(&r, reinterpret_cast<const u8 *>(&mem) + line.offset, sizeof r);
      ValueText(r, value);
      break;
    }
  }
  std::snprintf(out, size, "%s%s", line.label, value);
}

void DrawList(const FinSubApp &app, const FinScreenState *st) {
  FinMem mem;
  const bool have = FinReadMem(&mem) == 0;
  LcdClearVram();
  char text[64];
  TitleText(app, text, sizeof text);
  FinPrintLine(1, 0, text);
  const bool arrows = app.count > kRows;
  for (u32 r = 0; r < kRows; ++r) {
    const u16 row = static_cast<u16>(r + 2);
    const u32 idx = st->top - 1 + r;
    if (idx >= app.count || !have) {
      FinPrintLine(row, 0, "");
      continue;
    }
    LineText(app.lines[idx], mem, text, sizeof text);
    if (!arrows) {
      FinPrintLine(row, st->row, text);
      continue;
    }
    FinPrintLine20(row, st->row, text);
    const char *arrow = " ";
    if (r == 0 && st->top > 1) arrow = "\xE6\x92";
    if (r == kRows - 1 && st->top - 1 + kRows < app.count) arrow = "\xE6\x93";
    TextLocate(21, row);
    if (row == st->row) {
      TextPutCharRev(arrow);
    } else {
      TextPutChar(arrow);
    }
  }
}

// After a value was stored: the highlight moves down, scrolling on row 7.
void MoveAfterStore(const FinSubApp &app, FinScreenState *st) {
  if (LineIndex(st) + 1 >= app.count) return;
  if (st->row < kRows + 1) {
    ++st->row;
  } else {
    ++st->top;
  }
}

void MoveHighlight(const FinSubApp &app, FinScreenState *st, bool down) {
  const u32 last_row = 1 + (app.count < kRows ? app.count : kRows);
  if (down) {
    if (st->row < last_row) {
      ++st->row;
    } else if (st->top - 1 + kRows < app.count) {
      ++st->top;
    }
  } else {
    if (st->row > 2) {
      --st->row;
    } else if (st->top > 1) {
      --st->top;
    }
  }
}

// The input line (or the date pop-ups) on the highlighted line.
void Input(const FinSubApp &app, FinScreenState *st) {
  FinMem mem;
  if (FinReadMem(&mem) != 0) {
    ErrBox(kFinErrMemory);
    return;
  }
  const FinLine &line = app.lines[LineIndex(st)];
  if (line.kind == kFinLineList) return;
  if (line.kind == kFinLineDate1 || line.kind == kFinLineDate2) {
    FinDate d;
    const i32 r = FinReadDate(&d);
    if (r > 0) ErrBox(r);
    if (r != 0) return;
    (line.kind == kFinLineDate1 ? mem.d1 : mem.d2) = d;
  } else {
    UsePage(kInputMenu, kBlankPage);
    BcdReal *field = reinterpret_cast<BcdReal *>(reinterpret_cast<u8 *>(&mem) + line.offset);
    BcdReal v = *field;
    const bool period = line.kind == kFinLinePY || line.kind == kFinLineCY;
    if (FinReadNumberChecked(st->typed, &st->key, st->row, &v, line.label, period) != 0) return;
    if (line.kind == kFinLineDays && FinCheckWhole(&v, 1, static_cast<i32>(kFinSerialLast), nullptr) != 0) {
      ErrBox(kFinErrArg);
      return;
    }
    *field = v;
    if (line.kind == kFinLinePY) mem.cy = v;
  }
  if (FinWriteMemChecked(&mem) != 0) {
    ErrBox(kFinErrMemory);
    return;
  }
  MoveAfterStore(app, st);
}

// The result screen of a solve code: 0, or the jump code of F4.
u32 ResultScreen(const FinSubApp &app, FinScreenState *st) {
  FinMem mem;
  FinAnswer a;
  std::memset(&a, 0, sizeof a);
  a.field = -1;
  if (FinReadMem(&mem) != 0) {
    FinShowError(st, kFinErrMemory);
    return 0;
  }
  app.solve(st->code, &mem, &a);
  if (a.err) {
    FinShowError(st, a.err);
    return 0;
  }
  if (a.field >= 0) {
    RealNormalize(&a.value, reinterpret_cast<BcdReal *>(reinterpret_cast<u8 *>(&mem) + a.field));
    if (FinWriteMemChecked(&mem) != 0) {
      FinShowError(st, kFinErrMemory);
      return 0;
    }
  }
  if (a.to_ans) FinStoreAns(&a.value);
  FkeyItem page[6] = {Code(697, 1), Blank, Blank, Blank, Blank, Blank};
  if (app.result_jump) page[3] = Code(app.result_jump == kFinAmortList ? 780 : 778, 4);
  if (app.graph) page[5] = Code(784, 6);
  for (;;) {
    UsePage(kResultMenu, page);
    LcdClearVram();
    char text[64];
    TitleText(app, text, sizeof text);
    FinPrintLine(1, 0, text);
    char value[kNumTextSize];
    if (a.text[0]) {
      std::snprintf(value, sizeof value, "%s", a.text);
    } else {
      ValueText(a.value, value);
    }
    std::snprintf(text, sizeof text, "%s%s", a.label, value);
    FinPrintLine(2, 0, text);
    FinClearLines(3);
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    switch (key) {
      case 1:
        st->key = kKeyExit;
        return 0;
      case 4:
        if (!app.result_jump) break;
        st->key = kKeyQuit;
        return app.result_jump;
      case 6: {
        if (!app.graph) break;
        FinBusyStart(st);
        const u32 err = app.graph(st);
        if (err) FinShowError(st, err);
        return 0;
      }
      case kKeyExit:
      case kKeyQuit:
        st->key = key;
        st->row = 2;
        st->top = 1;
        return 0;
      case kKeySetup:
        RunSetup();
        st->key = kKeyExit;
        st->row = 2;
        st->top = 1;
        return 0;
      default:
        break;
    }
  }
}

// Starts a sub-application, following its jumps to another.
void RunSubApp(const FinSubApp *app) {
  while (app) {
    const u32 code = FinListMain(*app);
    app = code == kFinAmortList ? &kFinAmort : code == kFinCmpdList ? &kFinCompound : nullptr;
  }
}

// A menu page visit: draws the page, reads keys until one is handled.
void MenuPage(u32 *page, bool first) {
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kMenuMask);
  char text[32], line[40];
  for (;;) {
    UsePage(kMenuPages, first ? kPage1 : kPage2);
    LcdClearVram();
    FinMessage(first ? 284 : 285, text, sizeof text);
    FinPrintLine(1, 0, text);
    static const i32 kFirst[6] = {286, 287, 288, 289, 290, 291};
    static const i32 kSecond[6] = {292, 293, 0, 0, 0, 291};
    for (u32 k = 0; k < 6; ++k) {
      const i32 id = first ? kFirst[k] : kSecond[k];
      if (!id) continue;
      FinMessage(id, text, sizeof text);
      std::snprintf(line, sizeof line, "F%u:%s", static_cast<unsigned>(k + 1), text);
      FinPrintLine(static_cast<u16>(k + 2), 0, line);
    }
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key >= 1 && key <= 5 && (first || key <= 2)) {
      if (FinInitMem() != 0) {
        ErrBox(kFinErrMemory);
        continue;
      }
      static const FinSubApp *const kApps1[5] = {&kFinSimple, &kFinCompound, &kFinCash, &kFinAmort, &kFinConversion};
      static const FinSubApp *const kApps2[2] = {&kFinCost, &kFinDays};
      RunSubApp(first ? kApps1[key - 1] : kApps2[key - 1]);
      break;
    }
    if (key == 6) {
      *page = first ? 2 : 1;
      break;
    }
    if (key == kKeyVWindow) {
      GraphOpenVwinScreen();
      break;
    }
    if (key == kKeySetup) {
      RunSetup();
      break;
    }
  }
  FkeyClearStack();
  KeySetMenuMask(mask);
}

}  // namespace

u32 FinAppMain(u32 from_main_menu, u16 submode) {
  SetupSetItem(kSetupComplexMode, 0);
  u8 display = SetupGetItem(kSetupDisplay) & 0x7F;
  if ((display & 0x30) == 0x30) display = 0;
  SetupSetItem(kSetupDisplay, display);
  ItemMatDelete(41);
  u32 page = from_main_menu || submode == 1 ? 1 : 0;
  for (;;) {
    if (page == 2) {
      FinMenuPage2(&page);
    } else {
      page = 1;
      FinMenuPage1(&page);
    }
  }
}

void FinMenuPage1(u32 *page) { MenuPage(page, true); }
void FinMenuPage2(u32 *page) { MenuPage(page, false); }

u32 FinListMain(const FinSubApp &app) {
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kScreenMask);
  FinScreenState st{};
  st.row = 2;
  st.top = 1;
  u32 result = 0;
  for (;;) {
    UsePage(kListMenu, app.list_page);
    DrawList(app, &st);
    u32 key = 0;
    const u32 is_char = KeyGetKey(&key);
    const FinLine &line = app.lines[LineIndex(&st)];
    const bool editable = line.kind != kFinLineList;
    if (is_char) {
      if (key == kChrArrow || key == kChrComma || !editable) continue;
      st.typed = 1;
      st.key = key;
      Input(app, &st);
      continue;
    }
    if (key == kKeyXThetaT || key == kKeyRight) {
      if (!editable) continue;
      st.typed = key == kKeyXThetaT;
      st.key = key == kKeyXThetaT ? RunMatGlueGraphVarChar() : key;
      Input(app, &st);
      continue;
    }
    if (key == kKeyDown || key == kKeyUp) {
      MoveHighlight(app, &st, key == kKeyDown);
      continue;
    }
    if (key == kKeyExit || key == kKeyQuit) break;
    if (key == kKeySetup) {
      RunSetup();
      continue;
    }
    if (key == kKeyVWindow) {
      GraphOpenVwinScreen();
      continue;
    }
    if (key >= 1 && key <= 6 && app.codes[key - 1]) {
      FinBusyStart(&st);
      st.code = app.codes[key - 1];
      const u32 jump = ResultScreen(app, &st);
      if (jump) {
        result = jump;
        break;
      }
      if (st.key == kKeyQuit) break;
      continue;
    }
    if (key == 6 && app.list_jump) {
      result = app.list_jump;
      break;
    }
    if (app.list_key) app.list_key(key, &st);
  }
  FkeyClearStack();
  KeySetMenuMask(mask);
  return result;
}

// ---- shared pieces ----

namespace {

void PrintLine(u16 row, u16 highlighted, const char *text, i32 width) {
  TextLocate(1, row);
  if (row == highlighted) {
    TextPrintFieldRev(text, width);
  } else {
    TextPrintField(text, width);
  }
}

}  // namespace

void FinPrintLine(u16 row, u16 highlighted, const char *text) { PrintLine(row, highlighted, text, 21); }

void FinPrintLine20(u16 row, u16 highlighted, const char *text) { PrintLine(row, highlighted, text, 20); }

void FinClearLines(u32 row) {
  for (u32 r = row; r <= 7; ++r) FinPrintLine(static_cast<u16>(r), 0, "");
}

void FinBusyStart(FinScreenState *st) {
  LcdBusySave(&st->busy);
  LcdShowBusyIndicator();
  KeyBreakArm();
}

void FinShowError(FinScreenState *st, u32 code) {
  LcdBusyRestore(&st->busy);
  ErrBox(static_cast<i32>(code));
  st->key = kKeyExit;
}

void FinStoreAns(BcdReal *r) {
  RealNormalize(r, r);
  Value v{};
  v.re = *r;
  SysStoreVariable(kVarAns, &v);
}

i32 FinReadNumberChecked(u32 typed, u32 *key, i32 row, BcdReal *value, const char *prompt, u32 whole) {
  for (;;) {
    BcdReal v = *value;
    const i32 r = EditReadNumber(typed, key, row, &v, prompt);
    if (r != 0) return r;
    RealFracToDecimal(&v, &v);
    if (whole && FinCheckPeriod(&v, nullptr) != 0) {
      ErrBox(kFinErrArg);
      // Edited again from the refused text.
      *value = v;
      typed = 0;
      *key = kKeyRight;
      continue;
    }
    *value = v;
    return 0;
  }
}

void FinMessage(i32 id, char *out, u32 size) { MsgTextPlain(id, out, size); }

i32 FinSelectListNo(i32 *out) {
  char text[32];
  PopupOpenFramed(4);
  FinMessage(439, text, sizeof text);
  TextLocate(3, 3);
  TextPrint(text);
  TextLocate(3, 5);
  TextPrint("  List[1~20]:");
  const i32 r = TextInputNumber(out, 17, 5, 1, 20);
  PopupCloseKind5();
  return r;
}

i32 FinReadDate(FinDate *out) {
  char text[32];
  auto frame = [&](i32 msg, const char *prompt) {
    PopupOpenFramed(4);
    FinMessage(686, text, sizeof text);
    TextLocate(3, 2);
    TextPrint(text);
    FinMessage(msg, text, sizeof text);
    TextLocate(3, 3);
    TextPrint(text);
    TextLocate(3, 5);
    TextPrint(prompt);
  };
  i32 month = 0, day = 0, r = 0;
  for (;;) {
    // A month outside 1-12 is Ma ERROR, and asked for again.
    frame(687, "     M[1~12]:");
    char digits[4] = {};
    r = TextInputDigits(digits, 17, 5, 2);
    PopupCloseKind5();
    if (r != 0) return r;
    month = std::atoi(digits);
    if (month >= 1 && month <= 12) break;
    ErrBox(kFinErrMath);
  }
  frame(688, "     D[1~31]:");
  r = TextInputNumber(&day, 17, 5, 1, 31);
  PopupCloseKind5();
  if (r != 0) return r;
  i32 year = 0;
  for (;;) {
    frame(689, "     Y:");
    char digits[8] = {};
    r = TextInputDigits(digits, 10, 5, 4);
    PopupCloseKind5();
    if (r != 0) return r;
    year = std::atoi(digits);
    if (year >= 1901 && year <= 2099) break;
    ErrBox(kFinErrArg);
  }
  const FinDate d{static_cast<u16>(day), static_cast<u16>(month), static_cast<u16>(year)};
  if (!FinDateValid(d)) return kFinErrMath;
  *out = d;
  return 0;
}
