// The conic sections application's screens and key loops.
#include "graph/conics/conic_app.h"

#include <cstring>
#include <string>

#include "graph/conics/conic_model.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

constexpr u32 kErrMa = 3;
constexpr u8 kSq[] = "\xE5\xC2";

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }

const FkeyItem kEditorPage[6] = {B, B, B, B, B, K(759, kKeyExe)};
const FkeyItem kBlank[6] = {B, B, B, B, B, B};

// The analyses a form offers, in page order.
const FkeyItem kParabola[12] = {K(85, kConicFocus), K(86, kConicSymmetry), K(87, kConicDirectrix),
                                K(88, kConicVertex), K(89, kConicLength), {0, kFkeySubMenu, 2},
                                K(92, kConicXIcpt), K(93, kConicYIcpt), K(273, kConicEccentricity), B, B, B};
const FkeyItem kCircle[6] = {K(90, kConicCenter), K(91, kConicRadius), K(92, kConicXIcpt), K(93, kConicYIcpt), B, B};
const FkeyItem kEllipse[12] = {K(85, kConicFocus), K(92, kConicXIcpt), K(93, kConicYIcpt), K(88, kConicVertex),
                               K(90, kConicCenter), {0, kFkeySubMenu, 2},
                               K(273, kConicEccentricity), B, B, B, B, B};
const FkeyItem kHyperbola[12] = {K(85, kConicFocus), K(92, kConicXIcpt), K(93, kConicYIcpt), K(88, kConicVertex),
                                 K(94, kConicAsymptotes), {0, kFkeySubMenu, 2},
                                 K(90, kConicCenter), K(273, kConicEccentricity), B, B, B, B};

const FkeyItem *AnalysisPages(u32 form) {
  if (form <= 4) return kParabola;
  if (form <= 6) return kCircle;
  return form == 7 ? kEllipse : kHyperbola;
}

// The equation of a form, as text with the square sign.
std::string Equation(u32 form) {
  static const char *const kForms[kConicForms] = {
      "X=A(Y-K)#+H", "X=AY#+BY+C", "Y=A(X-H)#+K", "Y=AX#+BX+C", "(X-H)#+(Y-K)#=R#",
      "AX#+AY#+BX+CY+D=0", "(X-H)#/A#+(Y-K)#/B#=1", "(X-H)#/A#-(Y-K)#/B#=1", "(Y-K)#/A#-(X-H)#/B#=1"};
  std::string s;
  for (const char *p = kForms[form - 1]; *p; ++p) {
    if (*p == '#') {
      s += reinterpret_cast<const char *>(kSq);
    } else {
      s += *p;
    }
  }
  return s;
}

void ReverseRows(i32 first, i32 last) { LcdReverseArea(0, (first - 1) * 8, 127, last * 8 - 1); }

// The equation on a pair of text rows (the second left blank).
void DrawForm(u32 form, i32 row, bool selected) {
  TextLocate(1, row);
  TextPrintField(Equation(form).c_str(), 21);
  TextLocate(1, row + 1);
  TextPrintField("", 21);
  if (selected) ReverseRows(row, row + 1);
}

BcdReal VarValue(char letter) {
  Value v;
  std::memset(&v, 0, sizeof v);
  SysReadVariable(static_cast<u8>(letter), &v);
  return v.re;
}

void ShowLine(const ConicResult &r) {
  GraphClearReadout();
  const char *label = r.kind == kConicLineX ? "X=" : "Y=";
  GraphShowValue(1, 8, label, &r.value, false);
}

// Draws a line across the graph (X = v or Y = v) into the planes and the
// display.
void DrawLine(GraphContext *ctx, const ConicResult &r) {
  i32 at = 0;
  if (r.kind == kConicLineX) {
    if (GraphXToColumn(&r.value, &at, &ctx->view, ctx->runFlags) != 0) return;
    GraphDrawLine(at, 1, at, kGraphLastRow, ctx->planes, kGraphStyleNormal, ctx->runFlags);
  } else {
    if (GraphYToRow(&r.value, &at, &ctx->view) != 0) return;
    GraphDrawLine(1, at, kGraphLastColumn, at, ctx->planes, kGraphStyleNormal, ctx->runFlags);
  }
}

// The two asymptotes as temporary entries: Y = K +- s (X - H).
u32 DrawAsymptotes(GraphContext *ctx, const ConicResult &r) {
  static u8 texts[2][96];
  for (int k = 0; k < 2; ++k) {
    u8 *p = texts[k];
    auto put = [&](const BcdReal &v) {
      u8 tokens[22];
      NumRealToTokens(&v, tokens);
      for (u8 *t = tokens; *t; ++t) *p++ = *t;
    };
    *p++ = '(';
    put(r.y[0]);
    *p++ = ')';
    *p++ = k == 0 ? 0x89 : 0x99;
    *p++ = '(';
    put(r.value);
    *p++ = ')';
    *p++ = 0xA9;
    *p++ = '(';
    *p++ = 'X';
    *p++ = 0x99;
    *p++ = '(';
    put(r.x[0]);
    *p++ = ')';
    *p++ = ')';
    *p = 0;
  }
  GraphEntry lines[3] = {};
  for (int k = 0; k < 2; ++k) {
    lines[k].text = texts[k];
    lines[k].type = kGraphTypeX | kGraphTypeFunc;
    lines[k].style = ctx->lineStyle ? ctx->lineStyle : u8{kGraphStyleNormal};
  }
  GraphEntry *keep = ctx->entries;
  ctx->entries = lines;
  const u32 e = GraphPlotAll(ctx);
  ctx->entries = keep;
  return e;
}

// The coefficients a picture was drawn with, kept beside it in a work item:
// a picture whose coefficients have changed since (in RUN-MAT, say) is
// drawn again rather than shown.
constexpr const char *kDrawnCoefs = "CONICCF";
constexpr const char kLetters[] = "ABCDHKR";

void CurrentCoefs(BcdReal out[7]) {
  for (int i = 0; i < 7; ++i) out[i] = VarValue(kLetters[i]);
}

void KeepCoefs() {
  BcdReal c[7];
  CurrentCoefs(c);
  McsDeleteByKind(kMcsKindWork, kDrawnCoefs);
  McsCreateByKind(kMcsKindWork, kDrawnCoefs, sizeof c, c);
}

bool CoefsUnchanged() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kMcsKindWork, kDrawnCoefs, &size, &data) != 0 || data == nullptr) return false;
  BcdReal c[7];
  CurrentCoefs(c);
  return size == sizeof c && std::memcmp(data, c, sizeof c) == 0;
}

}  // namespace

i32 ConicGSolve(u32 code, u32 form, GraphContext *ctx) {
  FkeyBackToLevelRoot();
  GraphPrepareScreen(ctx);
  ConicResult r;
  const u32 e = ConicAnalyze(code, form, &r);
  if (e == 2) return 0;
  if (e != 0) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitExit;
  }
  GraphPointer cursor{};
  u32 at = 0;
  for (;;) {
    GraphPrepareScreen(ctx);
    switch (r.kind) {
      case kConicPoints: {
        GraphStoreVar('X', &r.x[at]);
        GraphStoreVar('Y', &r.y[at]);
        if (ctx->optionFlags & kGraphOptCoord) GraphShowTwoValues(&r.x[at], &r.y[at]);
        i32 col = 0, row = 0;
        const bool onScreen = GraphXToColumn(&r.x[at], &col, &ctx->view, ctx->runFlags) == 0 &&
                              GraphYToRow(&r.y[at], &row, &ctx->view) == 0;
        cursor.col = col;
        cursor.row = row;
        cursor.hidden = onScreen ? 0 : 1;
        break;
      }
      case kConicLineX:
      case kConicLineY:
        DrawLine(ctx, r);
        GraphPrepareScreen(ctx);
        ShowLine(r);
        cursor.hidden = 1;
        break;
      case kConicValue: {
        const u8 var = r.name == 'L' ? 'L' : r.name == 'r' ? 'R' : 'E';
        GraphStoreVar(var, &r.value);
        const char label[3] = {r.name, '=', 0};
        GraphClearReadout();
        GraphShowValue(1, 8, label, &r.value, false);
        cursor.hidden = 1;
        break;
      }
      default:
        if (const u32 de = DrawAsymptotes(ctx, r)) {
          ErrBox(static_cast<i32>(de));
          GmemDeleteGraphRecord();
          return kGraphExitShown;
        }
        GraphPrepareScreen(ctx);
        cursor.hidden = 1;
        break;
    }
    u32 typed = 0;
    const u32 key = GraphCursorKey(&cursor, kCursorPointer, &typed);
    if (r.count > 1 && (key == kKeyRight || key == kKeyDown)) {
      at = (at + 1) % r.count;
      continue;
    }
    if (r.count > 1 && (key == kKeyLeft || key == kKeyUp)) {
      at = (at + r.count - 1) % r.count;
      continue;
    }
    if (key == kKeyExit) return kGraphExitExit;
    if (key == kKeyQuit) return kGraphExitQuit;
    if (key == kKeyAc) return kGraphExitAc;
    if (key == kKeyGraphTable) return kGraphExitShown;
    if (key == kKeyVWindow) {
      if (GraphOpenVwinScreen(0) != 0) return kGraphExitChanged;
      continue;
    }
    if (key == kKeySetup) {
      if (GraphRunSetup() != 0) return kGraphExitChanged;
      continue;
    }
    if (key >= 30000 && key < 30200) continue;
    return static_cast<i32>(key);
  }
}

i32 ConicGraphScreen(u32 form, i32 mode) {
  static GraphContext ctx;
  static GraphEntry entries[3];
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  // A single screen.
  ctx.screenFlags = static_cast<u8>(ctx.screenFlags & ~kGraphScreenModeMask);
  if (SetupGetItem(kSetupSlope) == 0) ctx.optionFlags |= kGraphOptDerivative;
  if (GmemEnsureGraphMode() != 0) {
    ErrBox(4);
    return kGraphExitShown;
  }
  if (mode == kGraphShowLast && GmemReadGraphMode() != form) return kGraphExitNothing;
  if (const u32 e = GraphLoadVwin(&ctx, 1)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitShown;
  }
  ConicSetupEntry(form, entries);
  ctx.entries = entries;
  if (mode == kGraphDrawFuncs && GmemReadGraphMode() == form) mode = kGraphShowLast;
  if (mode == kGraphShowLast && !CoefsUnchanged()) mode = kGraphDrawFuncs;
  if (mode == kGraphShowLast && GmemReadScreen(ctx.planes) == 0) {
    GraphPrepareScreen(&ctx);
  } else {
    GraphClearBuffer(&ctx);
    if (const u32 e = GraphPlotAll(&ctx)) {
      ErrBox(static_cast<i32>(e));
      GmemDeleteGraphRecord();
      return kGraphExitShown;
    }
    GmemWriteGraphMode(static_cast<u8>(form));
    KeepCoefs();
  }
  GmemWriteScreen(ctx.planes);
  // The analyses on the application's pages, the graph tools on SHIFT.
  const u16 mask = KeyGetMenuMask();
  const FkeyItem *saved[3];
  FkeySavePages(0, 2, saved);
  const FkeyItem *pages = AnalysisPages(form);
  FkeySetPage(0, pages);
  FkeySetPage(2, pages == kCircle ? kBlank : pages + 6);
  FkeyPushLevel(0);
  i32 r = 0;
  u32 key = 0;
  for (;;) {
    r = GraphKeyLoop(&ctx, key);
    key = 0;
    if (r >= static_cast<i32>(kConicFocus) && r <= static_cast<i32>(kConicAsymptotes)) {
      const i32 g = ConicGSolve(static_cast<u32>(r), form, &ctx);
      GmemReadScreen(ctx.planes);  // the analysis' lines go with it
      if (g == kGraphExitExit || g == 0) continue;
      if (g < 0) {
        r = g;
        break;
      }
      key = static_cast<u32>(g);
      continue;
    }
    break;
  }
  FkeyPopLevel();
  FkeyRestorePages(0, 2, saved);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return r;
}

i32 ConicSelectForm(u32 *top, u32 *cursor) {
  FkeySetPage(1, kBlank);
  FkeyPushLevel(1);
  i32 result = -2;
  for (;;) {
    TextClearRows(1, 7);
    char title[40];
    MsgText(283, title);
    TextLocate(1, 1);
    TextPrintField(title, 21);
    for (u32 i = 0; i < 3; ++i) DrawForm(*top + i, 2 + 2 * static_cast<i32>(i), *top + i == *cursor);
    if (*top > 1) {
      TextLocate(21, 2);
      TextPrint("\xE6\x92");
    }
    if (*top + 2 < kConicForms) {
      TextLocate(21, 7);
      TextPrint("\xE6\x93");
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyDown) {
      if (*cursor == kConicForms) {
        *cursor = 1;
        *top = 1;
      } else {
        ++*cursor;
        if (*cursor > *top + 2) ++*top;
      }
    } else if (key == kKeyUp) {
      if (*cursor == 1) {
        *cursor = kConicForms;
        *top = kConicForms - 2;
      } else {
        --*cursor;
        if (*cursor < *top) --*top;
      }
    } else if (key == kKeyExe) {
      result = static_cast<i32>(*cursor);
      break;
    } else if (key == kKeyQuit) {
      *top = *cursor = 1;
    } else if (key == kKeyVWindow) {
      GraphOpenVwinScreen(0);  // a change forgets the drawn graph
    } else if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen("@CONICS", &changed);
      if (changed) GmemDeleteGraphRecord();
    }
  }
  FkeyPopLevel();
  ConicWriteMem(*cursor);
  return result;
}

i32 ConicEditCoefficients(u32 form) {
  const std::string letters = ConicLetters(form);
  const u32 count = static_cast<u32>(letters.size());
  u32 line = 0;
  FkeySetPage(1, kEditorPage);
  FkeyPushLevel(1);
  i32 result = -2;
  for (;;) {
    TextClearRows(1, 7);
    DrawForm(form, 1, false);
    for (u32 i = 0; i < count; ++i) {
      const i32 row = 3 + static_cast<i32>(i);
      Value v;
      std::memset(&v, 0, sizeof v);
      v.re = VarValue(letters[i]);
      char cell[32];
      NumFormatCell10(&v, cell);
      const char *shown = cell;
      while (*shown == ' ') ++shown;
      char text[40] = {letters[i], '=', 0};
      std::strcat(text, shown);
      TextLocate(1, row);
      TextPrintField(text, 21);
      if (i == line) ReverseRows(row, row);
    }
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    if (isChar || key == kKeyRight) {
      BcdReal v = VarValue(letters[line]);
      const char prompt[3] = {letters[line], '=', 0};
      const i32 r = EditReadNumber(isChar ? 1 : 0, &key, 3 + static_cast<i32>(line), &v, prompt);
      if (r == -1) {
        result = -1;
        break;
      }
      if (r != 0) continue;
      Value value;
      std::memset(&value, 0, sizeof value);
      RealFracToDecimal(&v, &value.re);
      SysStoreVariable(static_cast<u8>(letters[line]), &value);
      GmemDeleteGraphRecord();
      if (line + 1 < count) ++line;
      continue;
    }
    if (key == kKeyUp && line > 0) --line;
    if (key == kKeyDown && line + 1 < count) ++line;
    if (key == kKeyExe || key == kKeyGraphTable) {
      if (ConicCheckCoefficients(form) != 0) {
        GmemDeleteGraphRecord();
        ErrBox(static_cast<i32>(kErrMa));
        continue;
      }
      result = key == kKeyExe ? kGraphDrawFuncs : kGraphShowLast;
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

u32 ConicAppMain(u32 fromMainMenu, u16 submode) {
  KeySetMenuMask(231);
  FkeySetPage(0, kBlank);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  u32 top = 1, cursor = 1, form = 1;
  enum State { kList, kEditor, kGraph } state = kList;
  i32 mode = kGraphDrawFuncs;
  if (fromMainMenu == 0 && submode == 0) {
    // Back from another application: the last chosen form's graph at once.
    const u32 mem = ConicReadMem();
    if (mem != 0) {
      form = cursor = mem;
      top = mem <= 3 ? 1 : mem - 2;
      if (top > kConicForms - 2) top = kConicForms - 2;
      state = kGraph;
      mode = kGraphShowLast;
    }
  }
  for (;;) {
    if (state == kList) {
      const i32 r = ConicSelectForm(&top, &cursor);
      if (r > 0) {
        form = static_cast<u32>(r);
        state = kEditor;
      }
      continue;
    }
    if (state == kEditor) {
      const i32 r = ConicEditCoefficients(form);
      if (r == kGraphDrawFuncs || r == kGraphShowLast) {
        mode = r;
        state = kGraph;
      } else {
        if (r == -1) top = cursor = 1;
        state = kList;
      }
      continue;
    }
    if (ConicCheckCoefficients(form) != 0) {
      GmemDeleteGraphRecord();
      ErrBox(static_cast<i32>(kErrMa));
      state = kEditor;
      continue;
    }
    i32 r = ConicGraphScreen(form, mode);
    if (r == kGraphExitNothing && mode == kGraphShowLast) r = ConicGraphScreen(form, kGraphDrawFuncs);
    if (r == kGraphExitQuit) {
      top = cursor = 1;
      state = kList;
    } else {
      state = kEditor;
    }
    mode = kGraphDrawFuncs;
  }
}
