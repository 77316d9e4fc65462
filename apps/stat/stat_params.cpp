// The parameter screen of the statistics commands: one row per parameter,
// selectors changed with the function keys and pop-ups, numbers edited in
// place; every change is saved in "STATap" at once.
#include <cstdio>
#include <cstring>

#include "apps/calc/mat_edit.h"
#include "apps/calc/runmat_glue.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "graph/screen/vwin_screen.h"
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
#include "ui/setup_screen.h"
#include "ui/text.h"

using namespace statreal;

namespace {

enum Kind {
  kNumber, kLevel, kData, kPooled, kFreq1, kFreq2, kFactorA, kFactorB, kDependent, kHowMany, kLabel, kCond,
  kList1, kList2, kObserved, kExpected, kSaveRes, kSaveRes22, kExec, kExecNoGraph, kTail,
};

struct Param {
  u32 id;
  const char *label;
  Kind kind;
  BcdReal StatAp::*field;  // number rows
  const char *after;       // condition rows: the text after the sign
};

#define MU "\xE6\x4B"
#define SIGMA "\xE6\x51"
#define XBAR "\xC2"
#define SUBN "\xE5\xDE"
#define SUBM1 "\xE5\xDA"

const Param kParams[] = {
    {1, "Data    :", kData, nullptr, nullptr},
    {2, "p0      :", kNumber, &StatAp::p0, nullptr},
    {3, "p       :", kNumber, &StatAp::p, nullptr},
    {4, "Numtrial:", kNumber, &StatAp::numtrial, nullptr},
    {5, "Lower   :", kNumber, &StatAp::lower, nullptr},
    {6, "Upper   :", kNumber, &StatAp::upper, nullptr},
    {7, "n:df    :", kNumber, &StatAp::ndf, nullptr},
    {8, "d:df    :", kNumber, &StatAp::ddf, nullptr},
    {9, "df      :", kNumber, &StatAp::df, nullptr},
    {10, "Area    :", kNumber, &StatAp::area, nullptr},
    {11, "C-Level :", kLevel, &StatAp::level, nullptr},
    {12, "Pooled  :", kPooled, nullptr, nullptr},
    {13, "x       :", kNumber, &StatAp::x1, nullptr},
    {14, "x1      :", kNumber, &StatAp::x1, nullptr},
    {15, "x2      :", kNumber, &StatAp::x2, nullptr},
    {17, "n       :", kNumber, &StatAp::n1, nullptr},
    {18, "n1      :", kNumber, &StatAp::n1, nullptr},
    {19, "n2      :", kNumber, &StatAp::n2, nullptr},
    {20, SIGMA "       :", kNumber, &StatAp::sigma1, nullptr},
    {21, SIGMA "1      :", kNumber, &StatAp::sigma1, nullptr},
    {22, SIGMA "2      :", kNumber, &StatAp::sigma2, nullptr},
    {23, XBAR "       :", kNumber, &StatAp::mean1, nullptr},
    {24, XBAR "1      :", kNumber, &StatAp::mean1, nullptr},
    {25, XBAR "2      :", kNumber, &StatAp::mean2, nullptr},
    {26, "Freq    :", kFreq1, nullptr, nullptr},
    {40, "Freq(1) :", kFreq1, nullptr, nullptr},
    {41, "Freq(2) :", kFreq2, nullptr, nullptr},
    {27, "Factor A:", kFactorA, nullptr, nullptr},
    {30, "Factor A:", kFactorA, nullptr, nullptr},
    {31, "Factor B:", kFactorB, nullptr, nullptr},
    {28, "Dependnt:", kDependent, nullptr, nullptr},
    {29, "How Many:", kHowMany, nullptr, nullptr},
    {33, "Interact:", kLabel, nullptr, nullptr},
    {34, SIGMA "1      :", kCond, nullptr, SIGMA "2"},
    {35, "List    :", kList1, nullptr, nullptr},
    {36, "List(1) :", kList1, nullptr, nullptr},
    {38, "XList   :", kList1, nullptr, nullptr},
    {37, "List(2) :", kList2, nullptr, nullptr},
    {39, "YList   :", kList2, nullptr, nullptr},
    {43, "x" SIGMA SUBN SUBM1 "    :", kNumber, &StatAp::sx1, nullptr},
    {44, "x1" SIGMA SUBN SUBM1 "   :", kNumber, &StatAp::sx1, nullptr},
    {45, "x2" SIGMA SUBN SUBM1 "   :", kNumber, &StatAp::sx2, nullptr},
    {49, "Observed:", kObserved, nullptr, nullptr},
    {50, "Expected:", kExpected, nullptr, nullptr},
    {51, "\xE6\x41 & \xE6\x50   :", kCond, nullptr, "0"},
    {53, MU "0      :", kNumber, &StatAp::mu0, nullptr},
    {54, MU "1      :", kNumber, &StatAp::mu, nullptr},
    {55, MU "       :", kNumber, &StatAp::mu, nullptr},
    {57, "Prop    :", kCond, nullptr, "p0"},
    {58, "p1      :", kCond, nullptr, "p2"},
    {59, MU "       :", kCond, nullptr, MU "0"},
    {60, MU "1      :", kCond, nullptr, MU "2"},
    {61, "Save Res:", kSaveRes, nullptr, nullptr},
    {65, "Save Res:", kSaveRes22, nullptr, nullptr},
    {62, "Execute", kExec, nullptr, nullptr},
    {63, "Execute", kExecNoGraph, nullptr, nullptr},
    {64, "Tail    :", kTail, nullptr, nullptr},
};

const Param *Find(u32 id) {
  for (const Param &p : kParams)
    if (p.id == id) return &p;
  return nullptr;
}

constexpr i32 kMenu = 0;
constexpr u16 kScreenMask = 231;
constexpr FkeyItem kBlank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

// F-key values of the rows.
enum : u32 {
  kFList = 1, kFVariable, kFNotEqual, kFLess, kFGreater, kFChooseList, kFPooledOn = 9, kFPooledOff,
  kFDependent, kFOne, kFTwo, kFNone, kFSaveList, kFCalc, kFDraw, kFFreqOne = 19, kFFreqList, kFFreq2One,
  kFFreq2List, kFObserved, kFMatEdit, kFExpected, kFLeft, kFRight, kFCentral, kFSaveList22,
};

void PageOf(Kind kind, FkeyItem page[6]) {
  for (int i = 0; i < 6; ++i) page[i] = kBlank;
  switch (kind) {
    case kData: page[0] = Code(876, kFList), page[1] = Code(877, kFVariable); break;
    case kCond: page[0] = Code(878, kFNotEqual), page[1] = Code(879, kFLess), page[2] = Code(880, kFGreater); break;
    case kList1: case kList2: case kFactorA: case kFactorB: page[0] = Code(178, kFChooseList); break;
    case kPooled: page[0] = Code(17, kFPooledOn), page[1] = Code(18, kFPooledOff); break;
    case kDependent: page[0] = Code(178, kFDependent); break;
    case kHowMany: page[0] = Code(47, kFOne), page[1] = Code(364, kFTwo); break;
    case kSaveRes: page[0] = Code(362, kFNone), page[1] = Code(178, kFSaveList); break;
    case kSaveRes22: page[0] = Code(362, kFNone), page[1] = Code(178, kFSaveList22); break;
    case kExec: page[0] = Code(881, kFCalc), page[5] = Code(19, kFDraw); break;
    case kExecNoGraph: page[0] = Code(881, kFCalc); break;
    case kFreq1: page[0] = Code(47, kFFreqOne), page[1] = Code(178, kFFreqList); break;
    case kFreq2: page[0] = Code(47, kFFreq2One), page[1] = Code(178, kFFreq2List); break;
    case kObserved: page[0] = Code(200, kFObserved), page[1] = Code(768, kFMatEdit); break;
    case kExpected: page[0] = Code(200, kFExpected), page[1] = Code(768, kFMatEdit); break;
    case kTail: page[0] = Code(753, kFLeft), page[1] = Code(752, kFRight), page[2] = Code(90, kFCentral); break;
    default: break;
  }
}

bool IsNumber(const Param *p) { return p && (p->kind == kNumber || p->kind == kLevel); }

const char *Sign(StatAp *ap) {
  if (ap->cond < -1 || ap->cond > 1) ap->cond = 0;
  return ap->cond == 0 ? "\x11" : ap->cond == 1 ? "<" : ">";
}

void ListText(i16 n, char *out, u32 size) { std::snprintf(out, size, "List%d", n); }

void RowText(const Param *p, StatAp *ap, char *out, u32 size) {
  char v[40] = "";
  switch (p->kind) {
    case kNumber:
    case kLevel: {
      Value x{};
      x.re = ap->*(p->field);
      NumFormatCell10(&x, v);
      break;
    }
    case kData: std::snprintf(v, sizeof v, "%s", ap->data == 1 ? "List" : "Variable"); break;
    case kPooled: std::snprintf(v, sizeof v, "%s", ap->pooled == 1 ? "On" : "Off"); break;
    case kFreq1:
    case kFreq2: {
      const i16 f = p->kind == kFreq1 ? ap->freq1 : ap->freq2;
      if (f) ListText(f, v, sizeof v);
      else std::snprintf(v, sizeof v, "1");
      break;
    }
    case kFactorA: ListText(ap->factorA, v, sizeof v); break;
    case kFactorB: ListText(ap->factorB, v, sizeof v); break;
    case kDependent: ListText(ap->dependent, v, sizeof v); break;
    case kList1: ListText(ap->list1, v, sizeof v); break;
    case kList2: ListText(ap->list2, v, sizeof v); break;
    case kHowMany: std::snprintf(v, sizeof v, "%d", ap->howMany); break;
    case kCond: std::snprintf(v, sizeof v, "%s%s", Sign(ap), p->after); break;
    case kObserved: std::snprintf(v, sizeof v, "Mat %c", 64 + ap->observed); break;
    case kExpected: std::snprintf(v, sizeof v, "Mat %c", 64 + ap->expected); break;
    case kSaveRes:
    case kSaveRes22:
      if (ap->saveRes) ListText(ap->saveRes, v, sizeof v);
      else std::snprintf(v, sizeof v, "None");
      break;
    case kTail: std::snprintf(v, sizeof v, "%s", ap->tail < 0 ? "Left" : ap->tail > 0 ? "Right" : "Central"); break;
    default: break;
  }
  std::snprintf(out, size, "%s%s", p->label, v);
}

void Draw(i32 first, i32 cursor, StatAp *ap, const u32 *desc) {
  LcdClearVram();
  StatShowTitle(static_cast<u32>(ap->command));
  const i32 count = ap->rows;
  for (i32 r = 0; r < 6; ++r) {
    const i32 row = first + r, y = r + 2;
    const bool rev = row == cursor;
    char text[128] = "";
    if (row <= count)
      if (const Param *p = Find(desc[row - 1])) RowText(p, ap, text, sizeof text);
    TextLocate(1, y);
    if (rev) TextPrintFieldRev(text, 20);
    else TextPrintField(text, 20);
    const char *arrow = " ";
    if (r == 0 && first > 1) arrow = "\xE6\x92";
    if (r == 5 && first + 6 <= count) arrow = "\xE6\x93";
    TextLocate(21, y);
    if (rev) TextPutCharRev(arrow);
    else TextPutChar(arrow);
  }
}

void MoveCursor(i32 *first, i32 *cursor, i32 count, bool down) {
  if (down) {
    if (*cursor >= count) {
      *cursor = 1;
      *first = 1;
      return;
    }
    ++*cursor;
    if (*cursor > *first + 5) *first = *cursor - 5;
  } else {
    if (*cursor <= 1) {
      *cursor = count;
      *first = count > 6 ? count - 5 : 1;
      return;
    }
    --*cursor;
    if (*cursor < *first) *first = *cursor;
  }
}

// Chooses a list into *word: nothing changes when the pop-up is left.
void ChooseList(i16 *word, i32 max) {
  i32 n = 0;
  if (StatSelectListPopup(&n, max) == 0) *word = static_cast<i16>(n);
}

void ChooseMat(i16 *word) {
  i32 n = 0;
  if (StatSelectMatPopup(&n) == 0) *word = static_cast<i16>(n);
}

}  // namespace

i32 StatCompare3Way(const BcdReal *a, const BcdReal *b) {
  if (RealIsEqual(a, b) == 1) return 0;
  return RealIsLess(a, b) == 1 ? -1 : 1;
}

void StatStoreParam(StatAp *ap, u32 paramId, const BcdReal *value) {
  const Param *p = Find(paramId);
  if (p && p->field) RealNormalize(value, &(ap->*(p->field)));
  ap->resultValid = 0;
  StatSaveSettings(ap);
}

i32 StatEditParamNumber(u32 typed, u32 firstKey, i32 *first, i32 *cursor, BcdReal *value, const char *label,
                        u32 paramId, StatAp *ap, u32 levelRow) {
  const BcdReal old = *value;
  u32 key = firstKey;
  for (;;) {
    const i32 r = EditReadNumber(typed, &key, *cursor - *first + 2, value, label);
    if (r != 0) {
      if (levelRow) *value = old;
      return r;
    }
    if (levelRow) {
      // A C-Level of 1 up to 100 is read as a percentage.
      const R v = *value;
      if (Ge(v, One()) && Lt(v, Int(100))) {
        *value = Div(v, Int(100));
      } else if (!(Ge(v, Zero()) && Lt(v, One()))) {
        ErrBox(kStatErrMa);
        typed = 0;
        key = kKeyRight;
        continue;
      }
    }
    StatStoreParam(ap, paramId, value);
    MoveCursor(first, cursor, ap->rows, true);
    return 0;
  }
}

i32 StatSelectListPopup(i32 *out, i32 max) {
  char text[40];
  PopupOpenFramed(4);
  MsgTextPlain(439, text, sizeof text);
  TextLocate(1, 3);
  TextPrint(text);
  MsgTextPlain(440, text, sizeof text);
  TextLocate(1, 4);
  TextPrint(text);
  std::snprintf(text, sizeof text, "  List[1~%d]:%s", static_cast<int>(max), max < 10 ? " " : "");
  TextLocate(3, 5);
  TextPrint(text);
  const i32 r = TextInputNumber(out, 17, 5, 1, max);
  PopupCloseKind5();
  return r;
}

i32 StatReadMatLetter(i32 *out, i32 column, i32 row) {
  static const struct {
    u16 key;
    char letter;
  } kAlpha[] = {{48, 'Z'}, {49, 'U'},  {50, 'V'},  {51, 'W'},  {52, 'P'},  {53, 'Q'},  {54, 'R'},  {55, 'M'},
                {56, 'N'}, {57, 'O'},  {169, 'S'}, {185, 'T'}, {137, 'X'}, {153, 'Y'}, {149, 'B'}, {133, 'C'},
                {129, 'D'}, {130, 'E'}, {131, 'F'}, {139, 'H'}, {14, 'L'},  {40, 'I'},  {41, 'J'},  {44, 'K'},
                {187, 'G'}};
  char letter = 0;
  for (;;) {
    TextLocate(column, row);
    const char shown[2] = {letter ? letter : ' ', 0};
    TextPrint(shown);
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    if (isChar) {
      if (key >= 'A' && key <= 'Z') letter = static_cast<char>(key);
      for (const auto &a : kAlpha)
        if (a.key == key) letter = a.letter;
      continue;
    }
    if (key == kKeyXThetaT) letter = 'A';
    if (key == kKeyAc || key == kKeyDel) letter = 0;
    if (key == kKeyExe && letter) {
      *out = letter - 'A' + 1;
      return 0;
    }
    if (key == kKeyExit) return -2;
    if (key == kKeyQuit) return -1;
  }
}

i32 StatSelectMatPopup(i32 *out) {
  char text[40];
  PopupOpenFramed(4);
  MsgTextPlain(700, text, sizeof text);
  TextLocate(1, 3);
  TextPrint(text);
  MsgTextPlain(701, text, sizeof text);
  TextLocate(1, 4);
  TextPrint(text);
  TextLocate(3, 5);
  TextPrint("    Mat[A~Z]:");
  const i32 r = StatReadMatLetter(out, 17, 5);
  PopupCloseKind5();
  return r;
}

i32 StatParamScreen(i32 *first, i32 *cursor, StatAp *ap, const u32 *desc) {
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kScreenMask);
  const FkeyItem *saved[1];
  FkeySavePages(kMenu, kMenu, saved);
  // A menu level of our own on top of the caller's, taken off on return.
  FkeyPushLevel(kMenu);
  const i32 count = ap->rows;
  if (*cursor < 1 || *cursor > count) *cursor = 1;
  if (*first < 1 || *first > *cursor) *first = 1;
  if (*cursor > *first + 5) *first = *cursor - 5;
  i32 result = 0;
  while (result == 0) {
    const Param *p = Find(desc[*cursor - 1]);
    FkeyItem page[6];
    PageOf(p ? p->kind : kLabel, page);
    FkeySetPage(kMenu, page);
    FkeyBackToLevelRoot();
    KeyForgetDrawnRow();
    Draw(*first, *cursor, ap, desc);
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    const u32 id = p ? p->id : 0;
    auto edit = [&](u32 typed, u32 firstKey) {
      BcdReal v = ap->*(p->field);
      if (StatEditParamNumber(typed, firstKey, first, cursor, &v, p->label, id, ap, p->kind == kLevel) == -1)
        result = 2;
    };
    if (isChar) {
      if (IsNumber(p)) edit(1, key);
      continue;
    }
    switch (key) {
      case kKeyExit: result = 3; continue;
      case kKeyExe: result = 4; continue;
      case kKeyQuit: result = 2; continue;
      case kKeyGraphTable: result = 6; continue;
      case kKeyUp: MoveCursor(first, cursor, count, false); continue;
      case kKeyDown: MoveCursor(first, cursor, count, true); continue;
      case kKeyRight: if (IsNumber(p)) edit(0, kKeyRight); continue;
      case kKeyXThetaT: if (IsNumber(p)) edit(1, RunMatGlueGraphVarChar()); continue;
      case kKeyVWindow: GraphOpenVwinScreen(); continue;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@STAT", &changed);
        continue;
      }
      default: break;
    }
    if (!p) continue;
    switch (key) {
      case kFList: ap->data = 1; result = 1; break;
      case kFVariable: ap->data = 0; result = 1; break;
      case kFNotEqual: ap->cond = 0; break;
      case kFLess: ap->cond = 1; break;
      case kFGreater: ap->cond = -1; break;
      case kFChooseList:
        ChooseList(p->kind == kList1 ? &ap->list1 : p->kind == kList2 ? &ap->list2
                   : p->kind == kFactorA ? &ap->factorA : &ap->factorB, 26);
        break;
      case kFPooledOn: ap->pooled = 1; break;
      case kFPooledOff: ap->pooled = 0; break;
      case kFDependent: ChooseList(&ap->dependent, 26); break;
      case kFOne: ap->howMany = 1; result = 1; break;
      case kFTwo: ap->howMany = 2; result = 1; break;
      case kFNone: ap->saveRes = 0; break;
      case kFSaveList: ChooseList(&ap->saveRes, 26); break;
      case kFSaveList22: ChooseList(&ap->saveRes, 22); break;
      case kFCalc: result = 4; break;
      case kFDraw: result = 5; break;
      case kFFreqOne: ap->freq1 = 0; break;
      case kFFreqList: ChooseList(&ap->freq1, 26); break;
      case kFFreq2One: ap->freq2 = 0; break;
      case kFFreq2List: ChooseList(&ap->freq2, 26); break;
      case kFObserved: ChooseMat(&ap->observed); break;
      case kFExpected: ChooseMat(&ap->expected); break;
      case kFMatEdit: MatEditMain(); break;
      case kFLeft: ap->tail = -1; break;
      case kFRight: ap->tail = 1; break;
      case kFCentral: ap->tail = 0; break;
      default: continue;
    }
    if (result == 4 || result == 5) break;
    ap->resultValid = 0;
    StatSaveSettings(ap);
  }
  FkeyPopLevel();
  FkeyRestorePages(kMenu, kMenu, saved);
  KeyForgetDrawnRow();
  KeySetMenuMask(mask);
  return result;
}
