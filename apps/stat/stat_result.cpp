// Result screens of the statistics commands: the result list (name, equals
// sign, value), the ANOVA table and the list of a list-mode distribution.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "apps/calc/mat_edit.h"
#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_real.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "graph/screen/vwin_screen.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"

using namespace statreal;

namespace {

#define MU "\xE6\x4B"
#define SIGMA "\xE6\x51"
#define XBAR "\xC2"
#define PHAT "\x7F\xC7"
#define SUBN "\xE5\xDE"
#define SUBM1 "\xE5\xDA"

struct Name {
  u32 id;
  const char *label;
};
const Name kNames[] = {
    {1, MU},           {2, MU "1"},          {3, "Prop"},         {4, "z"},         {5, "p"},
    {6, XBAR},         {7, XBAR "1"},        {8, XBAR "2"},       {9, "x" SIGMA SUBN SUBM1},
    {10, "x1" SIGMA SUBN SUBM1},             {11, "x2" SIGMA SUBN SUBM1},           {12, "n"},
    {13, "n1"},        {14, "n2"},           {15, PHAT},          {16, PHAT "1"},   {17, PHAT "2"},
    {18, "x"},         {19, "Left"},         {20, "Right"},       {21, "df"},       {22, SIGMA "1"},
    {23, "F"},         {24, "\xE6\x56\xE5\xC2"},                  {25, "\xE6\x41"}, {26, "t"},
    {27, "a"},         {28, "b"},            {29, "s"},           {30, "r"},        {31, "r\xE5\xC2"},
    {32, "p1"},        {33, "z:Low"},        {34, "z:Up"},        {35, "t:Low"},    {36, "t:Up"},
    {37, "xp" SIGMA SUBN SUBM1},             {38, "x:Low"},       {39, "x:Up"},
};

const char *Label(u32 id) {
  for (const Name &n : kNames)
    if (n.id == id) return n.label;
  return "";
}

// Display columns of a text in the calculator's codes (two-byte characters
// count once).
u32 Columns(const char *s) {
  u32 n = 0;
  for (const u8 *p = reinterpret_cast<const u8 *>(s); *p; ++p, ++n)
    if ((*p == 0x7F || *p == 0xE5 || *p == 0xE6 || *p == 0xE7 || *p == 0xF7 || *p == 0xF9) && p[1]) ++p;
  return n;
}

constexpr i32 kMenu = 0;
constexpr u16 kScreenMask = 7;
constexpr FkeyItem kBlank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem kBlankPage[6] = {kBlank, kBlank, kBlank, kBlank, kBlank, kBlank};

// Menu state of a result screen, restored on the way out.
struct MenuState {
  u16 mask;
  const FkeyItem *saved[1];
};

void MenuEnter(MenuState *m, const FkeyItem page[6]) {
  m->mask = KeyGetMenuMask();
  KeySetMenuMask(kScreenMask);
  FkeySavePages(kMenu, kMenu, m->saved);
  FkeySetPage(kMenu, page);
  FkeyPushLevel(kMenu);
  KeyForgetDrawnRow();
}

void MenuLeave(MenuState *m) {
  FkeyPopLevel();
  FkeyRestorePages(kMenu, kMenu, m->saved);
  KeyForgetDrawnRow();
  KeySetMenuMask(m->mask);
}

void ValueText(const BcdReal &r, char *out) {
  Value v{};
  StatRoundForDisplay(&r, &v.re);
  NumFormatCell10(&v, out);
}

const char *Sign(i32 cond) { return cond == 0 ? "\x11" : cond == 1 ? "<" : ">"; }

void ResultRowText(const StatResultBlock *b, u32 row, u32 indent, char *out, u32 size) {
  const u32 id = b->id[row];
  i32 cond = b->cond;
  if (cond < -1 || cond > 1) cond = 0;
  char pad[24] = "";
  for (u32 i = 0; i < indent && i < 20; ++i) pad[i] = ' ';
  if (id == kStatResBeta) {
    std::snprintf(out, size, "%s\xE6\x41%s0 & \xE6\x50%s0", pad, Sign(cond), Sign(cond));
    return;
  }
  char head[48];
  std::snprintf(head, sizeof head, "%s%s", pad, Label(id));
  for (u32 c = Columns(head); c < 5; ++c) std::strcat(head, " ");
  char v[40];
  switch (id) {
    case kStatResMu:
    case kStatResProp:
      ValueText(b->value[row], v);
      std::snprintf(out, size, "%s%s%s", head, Sign(cond), v);
      return;
    case kStatResMu1: std::snprintf(out, size, "%s%s" MU "2", head, Sign(cond)); return;
    case kStatResSigma1: std::snprintf(out, size, "%s%s" SIGMA "2", head, Sign(cond)); return;
    case kStatResP1: std::snprintf(out, size, "%s%sp2", head, Sign(cond)); return;
    default:
      ValueText(b->value[row], v);
      std::snprintf(out, size, "%s=%s", head, v);
  }
}

// The View Window and SET UP from a result screen: 3 when the caller should
// go back to the parameters.
bool SideScreen(u32 key) {
  if (key == kKeyVWindow) return VwinScreen(0) == 0;
  if (key == kKeySetup) {
    u32 changed = 0;
    SetupScreen("@STAT", &changed);
    return changed != 0;
  }
  return false;
}

}  // namespace

namespace {

u32 ResultKeys(const StatResultBlock *b, u32 indent, StatAp *ap) {
  u32 first = 1;
  for (;;) {
    LcdClearVram();
    StatShowTitle(static_cast<u32>(ap->command));
    for (u32 r = 0; r < 6; ++r) {
      const u32 row = first + r;
      char text[128] = "";
      if (row <= b->count) ResultRowText(b, row - 1, indent, text, sizeof text);
      TextLocate(1, static_cast<i32>(r + 2));
      TextPrintField(text, 20);
      const char *arrow = " ";
      if (r == 0 && first > 1) arrow = "\xE6\x92";
      if (r == 5 && first + 6 <= b->count) arrow = "\xE6\x93";
      TextLocate(21, static_cast<i32>(r + 2));
      TextPutChar(arrow);
    }
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    switch (key) {
      case kKeyDown: if (first + 5 < b->count) ++first; break;
      case kKeyUp: if (first > 1) --first; break;
      case kKeyExe:
      case kKeyAc: return 4;
      case kKeyExit: return 3;
      case kKeyQuit: return 2;
      case 1:
        if (ap->command == 59 && b->count >= 6 &&
            StatTestCopyRegToGraphFunc(&b->value[4], &b->value[5]) == -1)
          return 2;
        break;
      case 2:
        if (ap->command == 50) MatEditMain();
        break;
      default:
        if (SideScreen(key)) return 3;
        break;
    }
  }
}

}  // namespace

u32 StatResultScreen(const StatResultBlock *b, u32 indent, StatAp *ap) {
  for (u32 i = 0; i < b->count; ++i) StatKeepResultParams(&b->value[i], ap, b->id[i]);
  FkeyItem page[6] = {kBlank, kBlank, kBlank, kBlank, kBlank, kBlank};
  if (ap->command == 50) page[0] = Code(768, 2);
  if (ap->command == 59) page[0] = Code(52, 1);
  MenuState m;
  MenuEnter(&m, page);
  const u32 r = ResultKeys(b, indent, ap);
  MenuLeave(&m);
  return r;
}

i32 StatTestCopyRegToGraphFunc(const BcdReal *a, const BcdReal *b) {
  // The function b X + a into a graph function slot chosen by number.
  PopupOpenFramed(4);
  TextLocate(3, 3);
  TextPrint("Graph Func");
  TextLocate(3, 5);
  TextPrint("     Y[1~20]:");
  i32 slot = 0;
  const i32 r = TextInputNumber(&slot, 17, 5, 1, 20);
  PopupCloseKind5();
  if (r == -1) return -1;
  if (r != 0) return -2;
  u8 tb[22], ta[22];
  NumRealToTokens(b, tb);
  NumRealToTokens(a, ta);
  char text[64];
  std::snprintf(text, sizeof text, "%sX\x89%s", reinterpret_cast<char *>(tb), reinterpret_cast<char *>(ta));
  SetupSetItem(kSetupFuncType, 0);
  const u8 head[4] = {kGraphFuncY & 0xFF, kGraphFuncY >> 8, kGraphSelGraph, 2};
  if (u32 e = GmemWriteFuncItem(slot, head, text)) ErrBox(static_cast<i32>(e));
  return -2;
}

namespace {

// One ANOVA row's five cells (df, SS, MS, F, p); the error row has three.
const BcdReal *Cell(const StatAnovaRow &r, u32 c) {
  const BcdReal *cells[5] = {&r.df, &r.ss, &r.ms, &r.f, &r.p};
  return cells[c - 1];
}


u32 AnovaKeys(u32 howMany, const StatAnova1Rec *one, const StatAnova2Rec *two) {
  const StatAnovaRow *rows[4];
  const char *names[4];
  u32 count = 0;
  if (howMany == 1) {
    rows[0] = &one->a, names[0] = "A  ";
    rows[1] = &one->err, names[1] = "ERR";
    count = 2;
  } else {
    rows[count] = &two->a, names[count++] = "A  ";
    rows[count] = &two->b, names[count++] = "B  ";
    if (two->single == 0) rows[count] = &two->ab, names[count++] = "AB ";
    rows[count] = &two->err, names[count++] = "ERR";
  }
  u32 r = 1, c = 1, v = 1;
  const u32 last = count;
  for (;;) {
    LcdClearVram();
    StatShowTitle(52);
    LcdDrawLine(0, 16, 124, 16);
    for (i32 x : {12, 40, 68, 96, 124}) LcdDrawLine(x, 8, x, static_cast<i32>(count * 8 + 15));
    static const char *const kHeadAtDf[4] = {"  df  ", "  ss  ", " ms  ", "  F \xE6\x91"};
    static const char *const kHeadAtSs[4] = {"\xE6\x90ss  ", " ms  ", "  F   ", "  P   "};
    for (u32 k = 0; k < 4; ++k)
      TextPrintMini(static_cast<i32>(14 + 28 * k), 9, v == 1 ? kHeadAtDf[k] : kHeadAtSs[k], 16);
    for (u32 i = 0; i < count; ++i) {
      const i32 y = static_cast<i32>(17 + 8 * i);
      TextPrintMini(0, y, names[i], 16);
      for (u32 k = 0; k < 4; ++k) {
        const u32 col = v + k;
        if (i + 1 == last && col > 3) continue;
        Value val{};
        val.re = *Cell(*rows[i], col);
        char text[24];
        NumFormatCell6(&val, text);
        if (strcasecmp(text, "error") == 0) std::snprintf(text, sizeof text, " ERROR");
        TextPrintMini(static_cast<i32>(14 + 28 * k), y, text, i + 1 == r && col == c ? 18 : 16);
      }
    }
    Value full{};
    full.re = *Cell(*rows[r - 1], c);
    char text[40];
    NumToText(&full, text);
    TextLocate(1, 7);
    TextPrintField(text, 21);
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    const u32 maxCol = r == last ? 3 : 5;
    switch (key) {
      case kKeyUp:
        if (r >= 2) --r;
        else r = c < 4 ? last : last - 1;
        break;
      case kKeyDown:
        if (r == last || (c >= 4 && r == last - 1)) r = 1;
        else ++r;
        break;
      case kKeyLeft:
        if (c > v) --c;
        else if (v == 2) --v, --c;
        else if (r > 1) --r, c = 5, v = 2;
        else r = last, c = 3, v = 1;
        break;
      case kKeyRight:
        if (r == last && c == 3) r = 1, c = 1, v = 1;
        else if (c < v + 3 && c < maxCol) ++c;
        else if (v == 1 && c < maxCol) ++v, ++c;
        else if (r < last) ++r, c = 1, v = 1;
        break;
      case kKeyExit:
      case kKeyAc: return 3;
      case kKeyExe: return 4;
      case kKeyQuit: return 2;
      default:
        if (SideScreen(key)) return 3;
        break;
    }
  }
}

u32 WorkListKeys(u32 code) {
  const u32 n = ItemListSize(0, 0);
  u32 sel = 1, top = 1;
  for (;;) {
    LcdClearVram();
    StatShowTitle(code);
    for (u32 i = 0; i < 5; ++i) {
      const u32 e = top + i;
      if (e > n) break;
      Value v{};
      ItemListGet(0, 0, e, &v);
      char num[8], cell[24];
      std::snprintf(num, sizeof num, "%u", static_cast<unsigned>(e));
      NumFormatCell6(&v, cell);
      const i32 y = static_cast<i32>(10 + 8 * i);
      TextPrintMini(4, y, num, 16);
      TextPrintMini(24, y, cell, e == sel ? 18 : 16);
    }
    if (n > 0) {
      Value v{};
      ItemListGet(0, 0, sel, &v);
      char text[40];
      NumToText(&v, text);
      TextLocate(1, 7);
      TextPrintField(text, 21);
    }
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    switch (key) {
      case kKeyUp:
      case kKeyLeft: sel = sel > 1 ? sel - 1 : n; break;
      case kKeyDown:
      case kKeyRight: sel = sel < n ? sel + 1 : 1; break;
      case kKeyExit:
      case kKeyAc: return 3;
      case kKeyExe: return 4;
      case kKeyQuit: return 2;
      default:
        if (SideScreen(key)) return 3;
        break;
    }
    if (sel < top) top = sel;
    if (sel >= top + 5) top = sel - 4;
  }
}

}  // namespace

u32 StatAnovaScreen(u32 howMany, const StatAnova1Rec *one, const StatAnova2Rec *two) {
  MenuState m;
  MenuEnter(&m, kBlankPage);
  const u32 r = AnovaKeys(howMany, one, two);
  MenuLeave(&m);
  return r;
}

u32 StatWorkListScreen(u32 code) {
  MenuState m;
  MenuEnter(&m, kBlankPage);
  const u32 r = WorkListKeys(code);
  MenuLeave(&m);
  return r;
}
