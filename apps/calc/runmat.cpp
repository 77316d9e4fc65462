// The run-and-matrix application: the key loop of the calculation screen,
// EXE through the program interpreter, the result right-aligned under the
// line, the Ans prefix, Base-N input and the conversions of the shown result.
#include "apps/calc/runmat.h"

#include <cstring>

#include "apps/calc/mat_edit.h"
#include "apps/calc/runmat_glue.h"
#include "apps/calcdoc/calcdoc.h"
#include "kernel/keyqueue.h"
#include "number/numtext.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/sysvar.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kErrMemory = 4;
constexpr u16 kTokAns = 0xC0;

// The seven function-key pages of the calculation screen.
constexpr FkeyItem B{0, 0, 0};
constexpr FkeyItem T(i16 icon, u32 token) { return {icon, kFkeyInput, token}; }
constexpr FkeyItem M(i16 icon, u32 menu) { return {icon, kFkeySubMenu, menu}; }
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }

const FkeyItem kPages[7][6] = {
    {B, B, B, B, B, B},
    {K(768, 1), B, B, B, B, B},
    {M(330, 3), M(331, 4), M(512, 5), B, B, B},
    {T(332, 0x94), T(333, 0x84), T(334, 0xB4), T(335, 0xA4), B, B},
    {T(336, 0xB7), T(256, 0xA7), T(337, 0xBA), T(338, 0xAA), T(339, 0x9A), T(340, 0x8A)},
    {T(676, 0xF901), T(677, 0xF902), T(678, 0xF903), T(679, 0xF904), B, B},
    {T(398, 0x27), T(399, 0x22), T(400, 0x7E), T(401, 0x2A), T(402, 0x2F), T(403, 0x23)},
};

u32 TextRows(const char *text) { return std::strchr(text, 13) ? 2 : 1; }

// Prints the result text from row `first`: one row, or the two parts around
// its code 13 on two rows, each right-aligned. Returns the last row used.
u32 PrintRows(RunScreen *rs, u32 first, const char *text) {
  const char *brk = std::strchr(text, 13);
  if (!brk) {
    RunScreenPrintRight(rs, first, text);
    return first;
  }
  char part[kNumTextSize];
  const size_t n = static_cast<size_t>(brk - text);
  std::memcpy(part, text, n);
  part[n] = 0;
  RunScreenPrintRight(rs, first, part);
  RunScreenPrintRight(rs, first + 1, brk + 1);
  return first + 1;
}

// A new empty line on the row after the last result row (row 7 holds the
// result when it stands at the bottom: the next input scrolls first).
void LineAfterResult(RunScreen *rs, u32 last) {
  const u32 bottom = last >= kRunScreenRows;
  rs->row = bottom ? kRunScreenRows : last + 1;
  rs->result_shown = 1;
  RunScreenResetLine(rs);
  rs->result_on_bottom = bottom;
  RunScreenShowCursor(rs);
}

// Clears the screen and starts an empty line on row 1 with every flag off.
void ClearAll(RunScreen *rs) {
  LcdClearVram();
  for (auto &row : rs->screen) std::memset(row, ' ', kRunScreenRowBytes);
  std::memset(rs->result_text, 0, sizeof rs->result_text);
  rs->recall_allowed = rs->browsing = rs->history_index = rs->selecting = 0;
  rs->result_shown = rs->error = rs->pause = rs->batch = rs->result_on_bottom = 0;
  rs->output_kind = rs->quiet_delete = 0;
  rs->result_rows = 1;
  rs->row = 1;
  RunScreenResetLine(rs);
  RunScreenShowCursor(rs);
}

// The conversions of the shown result.
void ConvertResult(u32 key, RunScreen *rs) {
  if (!rs->result_shown || rs->output_kind != 0) return;
  char text[kNumTextSize];
  const bool fraction = key == kKeyFracDec || key == kKeyFracForm;
  if (fraction && rs->base_n) return;
  KeyConvertValue(key, &rs->last_result, text);
  // The fraction keys change the value itself: it is Ans from now on.
  if (fraction) SysStoreVariable(kTokAns, &rs->last_result);
  std::strncpy(rs->result_text, text, sizeof rs->result_text - 1);
  rs->result_text[sizeof rs->result_text - 1] = 0;
  RunScreenPrintResult(rs, 1);
}

}  // namespace

i32 RunMatBaseNRefuses(u16 token) {
  static const u16 kRefused[] = {0x0F, 0x2C, 0x2E, 0x5B, 0x5D, 0x7B, 0x7D, 0x86, 0x87, 0x8B, 0x91, 0x92, 0x93,
                                 0x96, 0x9B, 0xA5, 0xA8, 0xB5, 0xB8, 0xBB, 0xD0, 0x7F40, 0x7F50, 0x7F51, 0x7F54};
  for (u16 t : kRefused)
    if (t == token) return -1;
  return 0;
}

u16 RunMatBaseNDigit(u16 token) {
  switch (token) {
    case 0x81:
      return 0x1D;
    case 0x82:
      return 0x1E;
    case 0x83:
      return 0x1F;
    case 0x85:
      return 0x1C;
    case 0x95:
      return 0x1B;
    default:
      return token;
  }
}

bool RunMatNeedsAns(u16 token, bool base_n) {
  if (base_n && (token == 0x8B || token == 0x9B || token == 0xA8 || token == 0xB8)) return false;
  if (token > 0xFF) {
    return token == 0x7F54 || token == 0x7FB0 || token == 0x7FB1 || (token >= 0xF901 && token <= 0xF907);
  }
  const u8 t = static_cast<u8>(token);
  const u8 lo = t & 0x0F;
  if (t >= 0x01 && t <= 0x0B) return true;
  if (t == 0x0E || (t >= 0x10 && t <= 0x12) || (t >= 0x3C && t <= 0x3E)) return true;
  if ((t == 0x88 || t == 0x98 || t == 0xA8 || t == 0xB8) || ((t & 0xF0) >= 0x80 && (t & 0xF0) <= 0xB0 && lo >= 0x08 && lo <= 0x0C))
    return true;
  return t == 0xCB || t == 0xCC;
}

void RunMatSetupFkeys() {
  FkeyResetGroups();
  for (i32 id = 0; id < 7; ++id) FkeySetPage(id, kPages[id]);
  FkeyBuildAlphaGroup(1);
  FkeyBuildOptGroup(3);
  FkeyBuildVarsGroup(1);
  FkeyBuildShiftGroup(1);
  if (SetupGetItem(kSetupMode) != 0) {
    FkeyPushLevel(2);
    FkeyBuildShiftVarsGroup(3);
    KeySetMenuMask(163);
  } else {
    FkeyPushLevel(1);
    FkeyBuildShiftVarsGroup(1);
    // Leaving Base-N mode gives the menu keys back.
    KeySetMenuMask(0);
  }
  KeyForgetDrawnRow();
}

u32 RunMatAppMain(u32 from_main_menu, u16 submode) {
  for (;;) {
    if (submode == 1) {
      // The child row with submode 1 opens the matrix editor first.
      MatEditMain();
      submode = 0;
    }
    // Math input outside Base-N: the calculation document.
    if (SetupGetItem(kSetupInputMode) != kInputLinear && SetupGetItem(kSetupMode) == 0) {
      RunMatCalcDocMain(from_main_menu, submode);
      continue;
    }
    RunMatSetupFkeys();
    // A history written in the other calculation mode (Base-N or not) goes
    // on entry: its lines would not run in this one. One of this mode stays.
    const u8 baseN = SetupGetItem(kSetupMode) != 0 ? 1 : 0;
    if (SetupGetByte(kSetupReplayBaseN) != baseN) {
      if (RunMatHistoryExists()) RunMatHistoryDelete();
      SetupSetByte(kSetupReplayBaseN, baseN);
    }
    RunMatCalcLoop(from_main_menu, submode);
    submode = 0;
  }
}

void RunScreenPrintResult(RunScreen *rs, u32 reprint) {
  const u32 rows = TextRows(rs->result_text);
  u32 first;
  if (reprint) {
    first = rs->result_row;
    if (rows == 2 && first + 1 > kRunScreenRows) {
      RunScreenScrollUp(rs);
      --first;
    }
    if (rows == 1 && rs->result_rows == 2) RunScreenPrintRight(rs, first + 1, "");
  } else {
    first = rs->row;
    if (first > kRunScreenRows) {
      RunScreenScrollUp(rs);
      first = kRunScreenRows;
    }
    if (rows == 2 && first + 1 > kRunScreenRows) {
      RunScreenScrollUp(rs);
      --first;
    }
  }
  const u32 last = PrintRows(rs, first, rs->result_text);
  rs->result_row = first;
  rs->result_rows = rows;
  LineAfterResult(rs, last);
}

void RunScreenReprintResult(RunScreen *rs) { RunScreenPrintResult(rs, 1); }

i32 RunMatExecLine(u32, RunScreen *rs) {
  u32 len = rs->tok_end - 1;
  if (len == 0 && !rs->result_shown) return 0;
  u8 line[kRunLineMax + 1];
  std::memset(line, 0, sizeof line);
  if (len == 0) {
    // An empty line after a result runs the newest history line again.
    const u32 n = RunMatHistoryCount();
    const i32 size = n ? RunMatHistoryLineSize(n) : -1;
    if (size <= 1 || size > static_cast<i32>(sizeof line)) return 0;
    RunMatHistoryLine(n, line);
    len = static_cast<u32>(size - 1);
  } else {
    if (len > kRunLineMax) len = kRunLineMax;
    std::memcpy(line, rs->tok, len);
  }
  const bool typed = rs->tok_end > 1;
  if (RunMatHistoryAdd(line) != 0) {
    ErrBox(kErrMemory);
    if (typed) {
      RunScreenLayoutFromTop(rs);
      RunScreenMoveTo(rs, 1);
      RunScreenShowCursor(rs);
    }
    return 0;
  }
  if (typed) RunScreenMoveTo(rs, rs->tok_end);
  TextCursorOff();

  RunMatRunState run{};
  std::memcpy(run.text_copy, rs->screen, sizeof run.text_copy);
  run.row = rs->row + (typed ? 1 : 0);
  if (rs->result_on_bottom && run.row == kRunScreenRows) run.row = kRunScreenRows + 1;
  const u32 ok = RunMatRunLine(line, &run);
  if (run.row > kRunScreenRows) {
    run.row = kRunScreenRows + 1;
    rs->result_on_bottom = 1;
  }
  if (ok == 1) {
    rs->last_result = run.result;
    rs->error = 0;
    std::memcpy(rs->screen, run.text_copy, sizeof rs->screen);
    rs->row = run.row;
    rs->browsing = 0;
    rs->history_index = 0;
    switch (run.output_mode) {
      case 0: {
        char text[kNumTextSize];
        const u16 form = static_cast<u16>(run.display_form);
        NumToTextOpt(&rs->last_result, text, &form);
        std::strncpy(rs->result_text, text, sizeof rs->result_text - 1);
        rs->result_text[sizeof rs->result_text - 1] = 0;
        RunScreenPrintResult(rs, 0);
        break;
      }
      case 1:
        std::strcpy(rs->result_text, "Done");
        RunScreenPrintResult(rs, 0);
        break;
      default: {
        // A statement showed its output already.
        const u32 last = run.row > kRunScreenRows ? kRunScreenRows : run.row - 1;
        if (run.row > kRunScreenRows) {
          LineAfterResult(rs, last);
        } else {
          rs->row = run.row;
          rs->result_shown = 1;
          RunScreenResetLine(rs);
          RunScreenShowCursor(rs);
        }
        break;
      }
    }
    rs->output_kind = run.output_mode;
    return 0;
  }
  if (ok != 0) return 0;
  std::memcpy(rs->screen, run.text_copy, sizeof rs->screen);
  const u8 code = ValErrorCode(&run.result) ? ValErrorCode(&run.result) : ValErrorCode(&run.result.im);
  // The AC that broke the run may still wait in the queue: it must not
  // close the Break box at once.
  if (code == 1) HostClearKeyQueue();
  if (code) ErrBox(code);
  rs->error = 1;
  rs->result_shown = 0;
  rs->result_on_bottom = 0;
  // The line stays for correction, alone on the screen from row 1, the
  // cursor on the character before the one where the run stopped.
  if (!typed) RunScreenLoadText(rs, line, len);
  LcdClearVram();
  RunScreenLayoutFromTop(rs);
  u32 at = run.stop + 1;
  if (at > rs->tok_end) at = rs->tok_end;
  if (at > 1) {
    u32 prev = 1;
    for (u32 i = 1; i < at;) {
      prev = i;
      i += RunScreenTokenLen(reinterpret_cast<const u8 *>(rs->tok) + i - 1);
    }
    at = prev;
  }
  RunScreenMoveTo(rs, at);
  rs->error = 1;
  RunScreenShowCursor(rs);
  return 0;
}

void RunMatSetupKey(u32, RunScreen *rs) {
  u32 changed = 0;
  const u8 before = SetupGetItem(kSetupMode);
  RunMatGlueSetupScreen(&changed);
  const u8 after = SetupGetItem(kSetupMode);
  if (changed && (before == 0) != (after == 0)) {
    rs->base_n = after != 0;
    SetupSetByte(kSetupReplayBaseN, after != 0 ? 1 : 0);
    RunMatHistoryDelete();
    ClearAll(rs);
    return;
  }
  RunScreenRedraw(rs);
  if (!rs->result_shown && !rs->browsing) RunScreenShowCursor(rs);
}

namespace {
// The calculation screen's record. It lives outside the loop's frame: the
// kernel leaves an application by a jump, never through its return, so the
// buffers of a screen left that way are found and freed when the loop
// starts again.
RunScreen g_screen;
}  // namespace

u32 RunMatCalcLoop(u32, u32) {
  RunScreenFree(&g_screen);
  RunScreen &rs = g_screen;
  if (RunScreenInit(&rs) != 0) return 0;
  for (;;) {
    FkeyDrawRow();
    u32 key = 0;
    const u32 isToken = KeyGetKey(&key);
    if (isToken) {
      if (key == 0) continue;
      const u16 token = static_cast<u16>(key);
      if (rs.result_shown && !rs.selecting && RunMatNeedsAns(token, rs.base_n)) RunScreenInsertToken(kTokAns, &rs);
      RunScreenInsertToken(token, &rs);
      continue;
    }
    if (rs.selecting) {
      const bool kept = key == kKeyDel || key == kKeyCopy || key == kKeyClipShift ||
                        (key >= kKeyClipUp && key <= kKeyClipDown) || key == kKeyCut;
      if (!kept) {
        RunScreenEndSelection(&rs);
        continue;
      }
    }
    switch (key) {
      case 1:  // F1 "MAT": the matrix editor over the screen, then back
        TextCursorOff();
        MatEditMain();
        RunMatSetupFkeys();
        RunScreenRedraw(&rs);
        if (rs.browsing) TextCursorOff();
        break;
      case kKeyXThetaT:
        if (rs.selecting) {
          RunScreenEndSelection(&rs);
        } else if (rs.base_n) {
          RunScreenInsertToken(0x1A, &rs);
        } else {
          RunScreenInsertToken(RunMatGlueGraphVarChar(), &rs);
        }
        break;
      case kKeyExe:
        RunMatExecLine(key, &rs);
        break;
      case kKeyAc:
        ClearAll(&rs);
        break;
      case kKeyUp:
      case kKeyLeft:
      case kKeyRight:
      case kKeyDown:
      case kKeyUpLeft:
      case kKeyUpRight:
      case kKeyDownLeft:
      case kKeyDownRight:
        RunScreenCursorKey(key, &rs, 0);
        break;
      case kKeyDel:
        if (rs.selecting) {
          RunScreenDeleteSelection(&rs);
        } else {
          RunScreenDeleteChar(key, &rs);
        }
        break;
      case kKeyFracForm:
      case kKeyFracDec:
      case kKeyDms:
      case kKeyEngDown:
      case kKeyEngUp:
        ConvertResult(key, &rs);
        break;
      case kKeyQuit:
        FkeyRestoreLevelRoot();
        break;
      case kKeyCopy:
        RunScreenCopySelection(&rs);
        RunScreenEndSelection(&rs);
        break;
      case kKeyPaste:
        RunScreenPaste(&rs);
        break;
      case kKeySetup:
        RunMatSetupKey(key, &rs);
        // Math input outside Base-N leaves for the calculation document.
        if (SetupGetItem(kSetupInputMode) != kInputLinear && SetupGetItem(kSetupMode) == 0) return 1;
        RunMatSetupFkeys();
        break;
      case kKeyVWindow:
        TextCursorOff();
        RunMatGlueVwinScreen();
        RunMatSetupFkeys();
        RunScreenRedraw(&rs);
        if (rs.browsing) TextCursorOff();
        break;
      case kKeyGraphTable:
        TextCursorOff();
        RunMatGlueGraphScreen();
        RunMatSetupFkeys();
        RunScreenRedraw(&rs);
        if (rs.browsing) TextCursorOff();
        break;
      case kKeyClipShift:
        if (rs.selecting) TextSetCursorShape(11);
        break;
      case kKeyClipUp:
      case kKeyClipLeft:
      case kKeyClipRight:
      case kKeyClipDown:
        RunScreenSelectKey(key, &rs);
        break;
      case kKeyCut:
        RunScreenCutSelection(&rs);
        RunScreenEndSelection(&rs);
        break;
      default:
        break;
    }
  }
}
