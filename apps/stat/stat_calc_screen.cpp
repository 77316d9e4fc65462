// The result screens of the statistics calculations: labelled values on six
// scrolling rows, the application's variant with COPY of a regression
// formula into a graph function, and the program-mode variant.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "graph/memory/gmem_func.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/value.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"

namespace {

// Calculator characters of the labels.
#define XBAR "\xC2"
#define YBAR "\xC3"
#define SIGMA_SUM "\xE5\x51"
#define SIGMA "\xE6\x51"
#define SUB_N "\xE5\xDE"
#define SUB_M1 "\xE5\xDA"
#define SQ "\xE5\xC2"
#define CUBE "\xE5\xC3"
#define QUART "\xE5\xC4"
#define DOT "\xE6\xAA"

constexpr const char *kUpMark = "\xE6\x92";
constexpr const char *kDownMark = "\xE6\x93";
constexpr u16 kResultMask = 135;
constexpr u16 kProgramMask = 199;
constexpr u32 kCopyCode = 1;
constexpr u32 kDrawCode = 2;

// One result line: a label and a value code, a text of its own (code 0),
// or a mode value (code -n for mode n).
struct Line {
  const char *label;
  i32 code;
};

enum class Fail { kRead, kMem, kBlank };

struct Layout {
  std::vector<Line> lines;
  i32 lineCount = 0;
  bool regression = false;
  Fail fail = Fail::kRead;
  bool quietMeasures = false;  // r² and MSe lines show the label alone when unavailable
  std::string modeCount;       // the Mod:n line's text
};

const Line kA{"   a =", kValA}, kB{"   b =", kValB}, kC{"   c =", kValC}, kD{"   d =", kValD}, kE{"   e =", kValE},
    kR{"   r =", kValR}, kR2{"   r" SQ "=", kValR2}, kMse{"  MSe=", kValMSe};

Line Text(const char *t) { return {t, 0}; }

Layout LayoutOf(int type) {
  Layout l;
  l.regression = type >= kStatLinear && type <= kStatLogistic;
  l.fail = l.regression ? Fail::kMem : Fail::kRead;
  l.quietMeasures = type == kStatQuad || type == kStatCubic || type == kStatQuart || type == kStatSin ||
                    type == kStatLogistic;
  switch (type) {
    case kStatLinear: l.lines = {kA, kB, kR, kR2, kMse, Text("y=ax+b")}; l.lineCount = 6; break;
    case kStatMedMed: l.lines = {kA, kB, Text("y=ax+b"), Text(""), Text(""), Text("")}; l.lineCount = 3; break;
    case kStatQuad: l.lines = {kA, kB, kC, kR2, kMse, Text("y=ax" SQ "+bx+c")}; l.lineCount = 6; break;
    case kStatCubic: l.lines = {kA, kB, kC, kD, kR2, kMse, Text("y=ax" CUBE "+bx" SQ "+cx+d")}; l.lineCount = 7; break;
    case kStatQuart:
      l.lines = {kA, kB, kC, kD, kE, kR2, kMse, Text("y=ax" QUART "+bx" CUBE "+cx" SQ "+dx+e")};
      l.lineCount = 8;
      break;
    case kStatLog: l.lines = {kA, kB, kR, kR2, kMse, Text("y=a+b" DOT "lnx")}; l.lineCount = 5; break;
    case kStatExp: l.lines = {kA, kB, kR, kR2, kMse, Text("y=a" DOT "e^bx")}; l.lineCount = 5; break;
    case kStatPower: l.lines = {kA, kB, kR, kR2, kMse, Text("y=a" DOT "x^b")}; l.lineCount = 5; break;
    case kStatSin: l.lines = {kA, kB, kC, kD, kMse, Text("y=a" DOT "sin(bx+c)+d")}; l.lineCount = 4; break;
    case kStatLogistic: l.lines = {kA, kB, kC, kMse, Text("y=c/(1+a" DOT "e^(\x87" "bx))"), Text("")}; l.lineCount = 4; break;
    case kStatOneVar: {
      l.lines = {{XBAR "    =", kValMeanX}, {SIGMA_SUM "x   =", kValSumX}, {SIGMA_SUM "x" SQ "  =", kValSumX2},
                 {"x" SIGMA SUB_N "  =", kValSdnX}, {"x" SIGMA SUB_N SUB_M1 " =", kValSdn1X}, {"n    =", kValN},
                 {"minX =", kValMinX}, {"Q1   =", kValQ1}, {"Med  =", kValMed}, {"Q3   =", kValQ3},
                 {"maxX =", kValMaxX}};
      const i32 m = StatResultListSize();
      for (i32 i = 1; i <= m; ++i) l.lines.push_back({"Mod  =", -i});
      l.modeCount = std::to_string(m);
      l.lines.push_back({"Mod:n=", -1000});
      l.lines.push_back({"Mod:F=", kValModF});
      l.lineCount = 13 + m;
      break;
    }
    case kStatTwoVar:
      l.lines = {{XBAR "   =", kValMeanX},      {SIGMA_SUM "x  =", kValSumX},  {SIGMA_SUM "x" SQ " =", kValSumX2},
                 {"x" SIGMA SUB_N " =", kValSdnX}, {"x" SIGMA SUB_N SUB_M1 "=", kValSdn1X}, {"n   =", kValN},
                 {YBAR "   =", kValMeanY},      {SIGMA_SUM "y  =", kValSumY},  {SIGMA_SUM "y" SQ " =", kValSumY2},
                 {"y" SIGMA SUB_N " =", kValSdnY}, {"y" SIGMA SUB_N SUB_M1 "=", kValSdn1Y},
                 {SIGMA_SUM "xy =", kValSumXY}, {"minX=", kValMinX}, {"maxX=", kValMaxX}, {"minY=", kValMinY},
                 {"maxY=", kValMaxY}};
      l.lineCount = 16;
      break;
    case kStatModeList: {
      const i32 m = StatResultListSize();
      for (i32 i = 1; i <= m; ++i) l.lines.push_back({"Mod  =", -i});
      l.lineCount = m;
      break;
    }
    default: break;
  }
  while (l.lines.size() < 6) l.lines.push_back(Text(""));
  return l;
}

i32 MaxTop(const Layout &l) { return l.lineCount - 5 > 1 ? l.lineCount - 5 : 1; }

// The text of one line.
std::string LineText(const Layout &l, const Line &line) {
  if (line.code == 0) return line.label;
  Value v{};
  bool got;
  if (line.code == -1000) {
    return std::string(line.label) + l.modeCount;
  } else if (line.code < 0) {
    got = StatResultListValue(-line.code, &v) == 0;
  } else {
    got = StatCalcValue(line.code, &v) >= 0;
  }
  const bool measure = line.code == kValR2 || line.code == kValMSe;
  if (!got) {
    if (l.fail == Fail::kMem && !(measure && l.quietMeasures)) return std::string(line.label) + "Mem Error";
    if (l.fail == Fail::kMem) return line.label;
    return std::string(line.label) + "Read Error";
  }
  if (ValErrorCode(&v) != 0) return line.label;
  char text[kNumTextSize];
  NumFormatCell10(&v, text);
  std::string t = text;
  t.erase(0, t.find_first_not_of(' '));
  return std::string(line.label) + t;
}

void DrawTitle(int type) {
  static const i32 kTitles[] = {227, 228, 229, 230, 231, 232, 233, 234, 235, 236, 226, 224, 225};
  TextLocate(1, 1);
  char title[40] = "";
  if (type >= kStatLinear && type <= kStatTwoVar) MsgTextPlain(kTitles[type - kStatLinear], title, sizeof title);
  TextPrintField(title, 21);
}

void DrawLines(const Layout &l, i32 top) {
  const i32 maxTop = MaxTop(l);
  for (i32 row = 2; row <= 7; ++row) {
    const size_t i = static_cast<size_t>(top + row - 3);
    const std::string text = i < l.lines.size() ? LineText(l, l.lines[i]) : "";
    TextLocate(1, row);
    TextPrintField(text.c_str(), 20);
    const char *mark = " ";
    if (row == 2 && top > 1) mark = kUpMark;
    if (row == 7 && top < maxTop) mark = kDownMark;
    TextLocate(21, row);
    TextPrint(mark);
  }
}

constexpr FkeyItem B{0, kFkeyBlank, 0};
const FkeyItem kBlankPage[6] = {B, B, B, B, B, B};
const FkeyItem kCopyPage[6] = {B, B, B, B, B, {52, kFkeyKeyCode, kCopyCode}};

// The menu state a screen changes, saved on entry and restored on leaving.
struct MenuSave {
  u16 mask = 0;
  u16 groups[6] = {};
  const FkeyItem *page0 = nullptr;
  void Save(u16 newMask, const FkeyItem *page) {
    mask = KeyGetMenuMask();
    FkeySaveGroups(groups);
    FkeySavePages(0, 0, &page0);
    FkeySetPage(0, page);
    FkeyPushLevel(0);
    KeySetMenuMask(newMask);
    KeyForgetDrawnRow();
  }
  void Restore() {
    FkeyPopLevel();
    FkeyRestoreGroups(groups);
    FkeyRestorePages(0, 0, &page0);
    KeySetMenuMask(mask);
    KeyForgetDrawnRow();
  }
};

bool RunningApp(const char *name) {
  char app[16] = "";
  SysGetAppName(app);
  return std::strcmp(app, name) == 0;
}

// The keys both screens share: a result code, or 0 to stay.
i32 CommonKey(u32 key, const Layout &l, i32 *top) {
  switch (key) {
    case kKeyUp:
      if (*top > 1) --*top;
      return 0;
    case kKeyDown:
      if (*top < MaxTop(l)) ++*top;
      return 0;
    case kKeyExit: return -2;
    case kKeyExe: return -12;
    case kKeyAc: return -13;
    case kKeyQuit: return -1;
    case kKeyVWindow: return VwinScreen(0) == 0 ? -21 : 0;
    case kKeySetup: {
      if (!RunningApp("@STAT")) return 0;
      u32 changed = 0;
      SetupScreen("@STAT", &changed);
      return changed ? -21 : 0;
    }
    default: return 0;
  }
}

// Appends the input tokens of result value `code`.
void PutCoef(std::string *text, i32 code) {
  Value v{};
  StatCalcValue(code, &v);
  u8 tokens[45];
  NumToTokens(&v, tokens);
  *text += reinterpret_cast<const char *>(tokens);
}

}  // namespace

// The layouts live outside the screens' frames: a screen left waiting for a
// key when the calculator stops never returns, and its lines must not be
// lost with the frame.
namespace {
Layout g_screenLayout;
Layout g_programLayout;

// The result screen's loop. In STAT (program false) COPY stores the fitted
// line; after a program G<->T shows the graph screen in RUN-MAT and PROG
// and leaves the screen elsewhere.
i32 ResultScreen(int type, Layout *l, bool program) {
  *l = LayoutOf(type);
  MenuSave menu;
  menu.Save(program ? kProgramMask : kResultMask, !program && l->regression ? kCopyPage : kBlankPage);
  i32 top = 1;
  i32 result = 0;
  while (result == 0) {
    LcdClearVram();
    DrawTitle(type);
    DrawLines(*l, top);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (!program && l->regression && (key == kCopyCode || key == kKeyF6)) {
      if (StatCopyRegToGraphFunc(type) == -1) result = -22;
      continue;
    }
    if (program && key == kKeyGraphTable) {
      if (!RunningApp("@RUNMAT") && !RunningApp("@PROG")) {
        result = -11;
        continue;
      }
      // The graph screen as last drawn; its G<->T or EXIT comes back here.
      u32 first = 0;
      if (const u32 e = GraphRedisplay(&first)) {
        ErrBox(static_cast<i32>(e));
        result = -2;
      }
      continue;
    }
    result = CommonKey(key, *l, &top);
  }
  menu.Restore();
  return result;
}

}  // namespace

namespace {
Layout g_graphLayout;
}  // namespace

i32 StatCalcResultMenu(int type) {
  Layout *l = &g_graphLayout;
  *l = LayoutOf(type);
  const bool copy = type != kStatModeList && type != kStatOneVar && type != kStatTwoVar;
  const FkeyItem page[6] = {B, B, B, B, copy ? FkeyItem{56, kFkeyKeyCode, kCopyCode} : B, {19, kFkeyKeyCode, kDrawCode}};
  MenuSave menu;
  menu.Save(kResultMask, page);
  i32 top = 1;
  i32 result = 0;
  while (result == 0) {
    LcdClearVram();
    DrawTitle(type);
    DrawLines(*l, top);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyF6 || key == kKeyExe || key == kDrawCode) {
      result = -28;
    } else if (copy && (key == kKeyF5 || key == kCopyCode)) {
      if (StatCopyRegToGraphFunc(type) == -1) result = -22;
    } else if (key == kKeyGraphTable) {
      result = -23;
    } else if (key == kKeyExit) {
      result = -21;
    } else if (key == kKeyAc) {
      continue;
    } else {
      const i32 r = CommonKey(key, *l, &top);
      result = r == -1 ? -22 : r == -21 ? -27 : r == -2 ? -21 : r;
    }
  }
  menu.Restore();
  return result;
}

i32 StatCalcResultScreen(int type, u32 *, int) { return ResultScreen(type, &g_screenLayout, false); }

i32 StatCalcResultScreenProgram(int type, u32 *) { return ResultScreen(type, &g_programLayout, true); }

i32 StatBuildRegFormula(int type, int slot) {
  std::string t;
  const char X = 'X';
  auto add = [&](const char *s) { t += s; };
  switch (type) {
    case kStatLinear: case kStatMedMed: PutCoef(&t, kValA); t += X; add("\x89"); PutCoef(&t, kValB); break;
    case kStatQuad:
      PutCoef(&t, kValA); t += X; add("\x8B\x89"); PutCoef(&t, kValB); t += X; add("\x89"); PutCoef(&t, kValC);
      break;
    case kStatCubic:
      PutCoef(&t, kValA); t += X; add("\xA8" "3\x89"); PutCoef(&t, kValB); t += X; add("\x8B\x89");
      PutCoef(&t, kValC); t += X; add("\x89"); PutCoef(&t, kValD);
      break;
    case kStatQuart:
      PutCoef(&t, kValA); t += X; add("\xA8" "4\x89"); PutCoef(&t, kValB); t += X; add("\xA8" "3\x89");
      PutCoef(&t, kValC); t += X; add("\x8B\x89"); PutCoef(&t, kValD); t += X; add("\x89"); PutCoef(&t, kValE);
      break;
    case kStatLog: PutCoef(&t, kValA); add("\x89"); PutCoef(&t, kValB); add("\x85"); t += X; break;
    case kStatExp: PutCoef(&t, kValA); add("\xA5("); PutCoef(&t, kValB); t += X; add(")"); break;
    case kStatPower: PutCoef(&t, kValA); t += X; add("\xA8"); PutCoef(&t, kValB); break;
    case kStatSin:
      PutCoef(&t, kValA); add("\x81("); PutCoef(&t, kValB); t += X; add("\x89"); PutCoef(&t, kValC);
      add(")\x89"); PutCoef(&t, kValD);
      break;
    case kStatLogistic:
      PutCoef(&t, kValC); add("\xB9(1\x89"); PutCoef(&t, kValA); add("\xA5(\x99"); PutCoef(&t, kValB); t += X;
      add("))");
      break;
    default: return 0;
  }
  const u8 head[4] = {0x08, 0x01, 0x80, 2};
  return static_cast<i32>(GmemWriteFuncItem(slot, head, t.c_str()));
}

i32 StatCopyRegToGraphFunc(int type) {
  MenuSave menu;
  menu.Save(231, kBlankPage);
  SetupSetItem(kSetupFuncType, 0);
  i32 sel = 1;
  i32 first = 1;
  i32 result = 0;
  while (result == 0) {
    LcdClearVram();
    char title[32] = "";
    MsgTextPlain(237, title, sizeof title);
    TextLocate(1, 1);
    TextPrintField(title, 21);
    if (sel < first) first = sel;
    if (sel > first + 5) first = sel - 5;
    for (i32 r = 0; r < 6; ++r) {
      const i32 n = first + r;
      char head[8];
      std::snprintf(head, sizeof head, "Y%d:", n);
      std::string line = head;
      if (const char *f = GmemFuncDataPtr(n)) {
        char wide[64];
        StrExpandTokens(f, wide, 17);
        line += wide;
      }
      TextLocate(1, 2 + r);
      if (n == sel) TextPrintFieldRev(line.c_str(), 21);
      else TextPrintField(line.c_str(), 21);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyUp) sel = sel > 1 ? sel - 1 : kGmemFuncSlots;
    else if (key == kKeyDown) sel = sel < kGmemFuncSlots ? sel + 1 : 1;
    else if (key == kKeyExit) result = -2;
    else if (key == kKeyQuit) result = -1;
    else if (key == kKeyExe) {
      const i32 r = StatBuildRegFormula(type, sel);
      if (r != 0) ErrBox(r);
      result = -2;
    }
  }
  menu.Restore();
  return result;
}
