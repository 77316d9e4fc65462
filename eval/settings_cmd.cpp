// The setting commands of programs and run lines (Deg, Fix 3, GridOff, ...)
// and "Rnd". Each command writes the SET UP item it names.
#include <cstring>

#include "eval/prog_internal.h"
#include "graph/memory/gmem_record.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "ui/fkey.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kEngBit = 0x80;

// What a setting leaves behind besides its item.
enum SettingEffect : u8 {
  kEffectNone = 0,
  kEffectMarks = 1,      // the graph screen's record of what it drew is forgotten
  kEffectStatLists = 2,  // the statistics result lists go (the graph mode marks a list change)
  kEffectRecur = 3,      // the recursion's table and graph record are forgotten
  kEffectSelection = 4,  // the graph functions' table and graph record are forgotten
};

// The graph screen's record of what it last drew: "GRPMODE" and the
// command ring of "@APLWORK" go, so the next graph screen draws afresh.
void ForgetGraphRecord() { GmemDeleteGraphRecord(); }

// The temporary statistics result lists (files 254 and 255).
void ClearStatResultLists() {
  ItemListDelete(254, 0);
  ItemListDelete(254, 1);
  ItemListDelete(255, 0);
  for (u32 g = 0; g < 4; ++g) {
    for (u32 k = 0; k < 3; ++k) ItemListDelete(255, static_cast<u8>(10 * g + k));
  }
}

void Apply(u8 effect) {
  switch (effect) {
    case kEffectMarks:
      ForgetGraphRecord();
      ClearStatResultLists();
      break;
    case kEffectStatLists: {
      u32 size = 0;
      u8 *mode = nullptr;
      if (McsOpenByKindPtr(kMcsKindWork, "GRPMODE", &size, &mode) == 0 && mode && size >= 1) {
        const u8 listChanged = 11;
        McsWriteByKind(kMcsKindWork, "GRPMODE", 1, &listChanged, 0);
      }
      ClearStatResultLists();
      break;
    }
    case kEffectRecur:
      ItemMatDelete(36);
      ForgetGraphRecord();
      break;
    case kEffectSelection:
      // What the graph functions were tabulated or drawn with has changed.
      ItemMatDelete(35);
      ForgetGraphRecord();
      break;
    default: break;
  }
}

bool AtEnd(const u8 *p) { return ProgTokIsEnd(p); }

// One or two digits typed directly after a command: a number 1..limit;
// anything else gives Argument ERROR.
u32 ReadSmallNumber(ProgRunState *run, u32 limit, u32 *out) {
  const u8 *p = run->p;
  if (*p < '0' || *p > '9') return ProgFail(run, kProgErrArgument);
  u32 n = *p++ - '0';
  if (*p >= '0' && *p <= '9') n = n * 10 + (*p++ - '0');
  if (n < 1 || n > limit) return ProgFail(run, kProgErrArgument);
  run->p = p;
  *out = n;
  return 1;
}

}  // namespace

u32 ProgReadListOperand(ProgRunState *run, u32 *out) {
  const u8 *p = run->p;
  if (p[0] == 0x7F && p[1] >= 0x6A && p[1] <= 0x6F) {
    *out = p[1] - 0x6A + 1u;
    run->p = p + 2;
    return 1;
  }
  if (p[0] == 0x7F && p[1] == 0x51) {
    run->p = p + 2;
    return ReadSmallNumber(run, 26, out);
  }
  return ProgFail(run, kProgErrArgument);
}

namespace {

u32 ReadListOperand(ProgRunState *run, u32 *out) { return ProgReadListOperand(run, out); }

struct ItemWrite {
  u8 code;   // second byte of the 0xF7 token
  u8 item;   // SET UP item
  u8 value;
  u8 effect;  // SettingEffect
};

// 0xF7 commands that write one fixed value into one item.
constexpr ItemWrite kF7Writes[] = {
    {0x60, kSetupStatWind, 0, 0},  {0x61, kSetupStatWind, 1, 0},  {0x63, kSetupFuncType, 0, 0},
    {0x64, kSetupFuncType, 1, 0},  {0x65, kSetupFuncType, 2, 0},  {0x67, kSetupFuncType, 3, 0},
    {0x6A, kSetupFuncType, 4, 0},  {0x6B, kSetupFuncType, 5, 0},  {0x6C, kSetupFuncType, 6, 0},
    {0x6D, kSetupFuncType, 7, 0},  {0x70, kSetupDrawType, 0, 1},  {0x71, kSetupDrawType, 1, 1},
    {0x76, kSetupResidList, 0, 0}, {0x78, kSetupBackground, 0, 1}, {0x7A, kSetupGrid, 1, 1},
    {0x7D, kSetupGrid, 0, 1},      {0x88, kSetupVariable, 0, 4},  {0x9C, kSetupSketchLine, 0, 1},
    {0x9D, kSetupSketchLine, 1, 1}, {0x9E, kSetupSketchLine, 2, 1}, {0x9F, kSetupSketchLine, 3, 1},
    {0xB2, kSetupVariable, 1, 4},  {0xB3, kSetupVariable, 2, 4},  {0xB4, kSetupVariable, 3, 4},
    {0xB5, kSetupVariable, 4, 4},  {0xB6, kSetupVariable, 5, 4},  {0xB7, kSetupVariable, 6, 4},
    {0xB8, kSetupListFile, 1, 2},  {0xB9, kSetupListFile, 2, 2},  {0xBA, kSetupListFile, 3, 2},
    {0xBB, kSetupListFile, 4, 2},  {0xBC, kSetupListFile, 5, 2},  {0xBD, kSetupListFile, 6, 2},
    {0xBE, kSetupDrawSpeed, 0, 1}, {0xBF, kSetupDrawSpeed, 1, 1}, {0xC0, kSetupGraphFunc, 0, 0},
    {0xD0, kSetupGraphFunc, 1, 0}, {0xC1, kSetupSimulGraph, 0, 1}, {0xD1, kSetupSimulGraph, 1, 1},
    {0xC2, kSetupAxes, 0, 1},      {0xD2, kSetupAxes, 1, 1},      {0xC3, kSetupCoord, 0, 1},
    {0xD3, kSetupCoord, 1, 1},     {0xC4, kSetupLabel, 0, 1},     {0xD4, kSetupLabel, 1, 1},
    {0xC5, kSetupDerivative, 0, 4}, {0xD5, kSetupDerivative, 1, 4}, {0xC6, kSetupLocus, 0, 1},
    {0xD6, kSetupLocus, 1, 1},     {0xC7, kSetupSumDisplay, 0, 3}, {0xD7, kSetupSumDisplay, 1, 3},
    {0xCD, kSetupFracResult, 1, 0}, {0xCE, kSetupFracResult, 0, 0},
};

bool IsOptionWord(u8 code) {
  return (code >= 0x30 && code <= 0x33) || code == 0x35 || (code >= 0x4D && code <= 0x5E) || code == 0x72 ||
         code == 0xCC || code == 0xDC;
}

u32 OneByteCommand(ProgRunState *run, u8 c) {
  ++run->p;
  u8 display = SetupGetItem(kSetupDisplay);
  switch (c) {
    case 0xD4:
    case 0xD5:
    case 0xD6:
    case 0xD7: {
      if (SetupGetItem(kSetupMode) == 0) return ProgFail(run, kProgErrSyntax);
      static const u8 kBase[] = {9, 15, 1, 7};
      SetupSetItem(kSetupMode, kBase[c - 0xD4]);
      return 1;
    }
    case 0xDA:
    case 0xDB:
    case 0xDC:
      SetupSetItem(kSetupAngle, static_cast<u8>(c - 0xDA));
      Apply(kEffectMarks);
      return 1;
    case 0xD9: {
      const u8 eng = display & kEngBit;
      if (*run->p == '1' || *run->p == '2') {
        SetupSetItem(kSetupDisplay, static_cast<u8>((*run->p == '1' ? 0x00 : 0x10) | eng));
        ++run->p;
        return 1;
      }
      if (!AtEnd(run->p)) return ProgFail(run, kProgErrArgument);
      SetupSetItem(kSetupDisplay, static_cast<u8>(((display & 0x70) == 0x00 ? 0x10 : 0x00) | eng));
      return 1;
    }
    case 0xE3:
    case 0xE4: {
      const u8 d = *run->p;
      if (d < '0' || d > '9') return ProgFail(run, kProgErrArgument);
      ++run->p;
      SetupSetItem(kSetupDisplay, static_cast<u8>((c == 0xE3 ? 0x20 : 0x30) + (d - '0') + (display & kEngBit)));
      return 1;
    }
    case 0xDD: SetupSetItem(kSetupDisplay, static_cast<u8>(display ^ kEngBit)); return 1;
    case 0xEA: return ProgFactor(run);
    case 0xEB: return ProgViewWindow(run);
    default: return 1;
  }
}

}  // namespace

void ProgDropMarks() { Apply(kEffectMarks); }

void ProgListsChanged() { Apply(kEffectStatLists); }

// Line styles and selections of graph functions and recursion formulas.
u32 ProgLineStyle(ProgRunState *run, u8 code);
u32 ProgSelectFunc(ProgRunState *run, u8 code);
u32 ProgSetDynaVar(ProgRunState *run);

namespace {

u32 SetFuncByte(u32 n, u32 at, u8 value, u8 bit, bool on);

u32 F7Command(ProgRunState *run, u8 code) {
  run->p += 2;
  for (const ItemWrite &w : kF7Writes) {
    if (w.code == code) {
      SetupSetItem(w.item, w.value);
      Apply(w.effect);
      return 1;
    }
  }
  if (IsOptionWord(code)) return ProgFail(run, kProgErrSyntax);
  switch (code) {
    case 0x77: {  // Resid-List
      u32 n = 0;
      if (!ReadListOperand(run, &n)) return 0;
      SetupSetItem(kSetupResidList, static_cast<u8>(n));
      return 1;
    }
    case 0x3C:
    case 0x3D:
    case 0x3E:
    case 0x3F: return ProgLineStyle(run, code);
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
    case 0xD8:
    case 0xD9:
    case 0xDA:
    case 0xDB: return ProgSelectFunc(run, code);
    case 0x80: return ProgSetDynaVar(run);
    case 0x90:
    case 0x91:
    case 0x92: {
      // Recursion type: kind 1 is type 0; kinds 2 and 3 are types 1 and 3,
      // or 2 and 4 when the start term was a1 (types 2 and 4). The three
      // formulas are deselected.
      const u8 t = SetupGetItem(kSetupRecurType);
      const bool fromOne = t == 2 || t == 4;
      const u8 type = code == 0x90 ? 0 : code == 0x91 ? (fromOne ? 2 : 1) : (fromOne ? 4 : 3);
      SetupSetItem(kSetupRecurType, type);
      for (u32 r = 0; r < 3; ++r) {
        if (SetFuncByte(100 + r, 2, 0, 0x10, false)) return ProgFail(run, kProgErrMemory);
      }
      return 1;
    }
    case 0x34:
    case 0x36:
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
    case 0x44:
    case 0x45:
    case 0x46:
    case 0x47:
    case 0x48:
    case 0x49: {
      // A shown result takes a following display-stop as a newline.
      const u32 r = ProgStatCommand(run, code);
      return r == 1 ? kProgSetEndAsNewline : r == 2 ? 1 : 0;
    }
    case 0x4A:
    case 0x4B:
    case 0x4C: return ProgSetStatGraph(run, code);
    case 0x95: return ProgStoreGmem(run);
    case 0x96: return ProgRecallGmem(run);
    case 0x97: return ProgStoreVwinMem(run);
    case 0x98: return ProgRecallVwinMem(run);
    case 0x79: {  // BG-Pict
      u32 n = 0;
      if (!ReadSmallNumber(run, 20, &n)) return 0;
      SetupSetItem(kSetupBackground, static_cast<u8>(n));
      Apply(kEffectMarks);
      return 1;
    }
    default:
      // The StatGraph settings need the statistics graphs.
      return ProgFail(run, kProgErrSystem);
  }
}

u32 F9Command(ProgRunState *run, u8 code) {
  run->p += 2;
  switch (code) {
    case 0x08:
    case 0x09:
    case 0x0A: SetupSetItem(kSetupComplexMode, static_cast<u8>(code - 0x08)); return 1;
    case 0x0B: SetupSetItem(kSetupDisplay, SetupGetItem(kSetupDisplay) | kEngBit); return 1;
    case 0x0C: SetupSetItem(kSetupDisplay, SetupGetItem(kSetupDisplay) & ~kEngBit & 0xFF); return 1;
    case 0x10:
    case 0x11: {
      const u8 t = SetupGetItem(kSetupRecurType);
      u8 n = t;
      if (code == 0x10 && t == 4) n = 3;
      if (code == 0x10 && t == 2) n = 1;
      if (code == 0x11 && t == 3) n = 4;
      if (code == 0x11 && t == 1) n = 2;
      SetupSetItem(kSetupRecurType, n);
      return 1;
    }
    case 0x1C: {  // File n
      u32 n = 0;
      if (!ProgEvalIntArg(&run->p, run->result, &n, 6)) return 0;
      SetupSetItem(kSetupListFile, static_cast<u8>(n));
      Apply(kEffectStatLists);
      return 1;
    }
    case 0x1D: {  // VarList
      u32 n = 0;
      if (!ReadListOperand(run, &n)) return 0;
      SetupSetItem(kSetupVariable, static_cast<u8>(n));
      Apply(kEffectSelection);
      return 1;
    }
    default: return 1;
  }
}

}  // namespace

u32 ProgSetCommand(ProgRunState *run) {
  const u8 *p = run->p;
  switch (p[0]) {
    case 0x7F:
      if (p[1] == 0xB8) {
        run->p += 2;
        return ProgFail(run, kProgErrSyntax);
      }
      // Colour words: the rest of the statement changes nothing.
      run->p += 2;
      while (!AtEnd(run->p)) run->p += ProgTokLen(run->p);
      return 1;
    case 0xF7: return F7Command(run, p[1]);
    case 0xF9: return F9Command(run, p[1]);
    default: return OneByteCommand(run, p[0]);
  }
}

u32 ProgRnd(ProgRunState *run) {
  Value v;
  SysReadVariable(kVarAns, &v);
  const u8 kindBits = v.re.b[0] & 0x70;
  if ((kindBits == 0x20 || kindBits == 0x30) && (v.re.b[0] & 0x0F) == 0) return 1;
  const u8 display = SetupGetItem(kSetupDisplay);
  const int digits = display & 0x0F;
  switch (display & 0x70) {
    case 0x20: NumRoundFix(&v, digits); break;
    case 0x30: NumRoundSci(&v, digits); break;
    default: NumRoundNorm(&v, 0); break;
  }
  SysStoreVariable(kVarAns, &v);
  run->ctx->last = v;
  return 1;
}

// ---- graph function selection and line styles ---------------------------------

namespace {

constexpr u8 kKindGraphFunc = 2;

// The item name of graph function n or of recursion formula 0-2 ("AN" "BN" "CN").
void FuncName(u32 n, char *name) {
  if (n >= 100) {
    static const char *const kRecur[] = {"AN", "BN", "CN"};
    std::strcpy(name, kRecur[n - 100]);
  } else if (n >= 10) {
    name[0] = static_cast<char>('0' + n / 10);
    name[1] = static_cast<char>('0' + n % 10);
    name[2] = 0;
  } else {
    name[0] = static_cast<char>('0' + n);
    name[1] = 0;
  }
}

// Byte `at` of a graph function item (2 the selection flags, 3 the line
// style): set to `value`, or its `bit` set or cleared. A missing item or one
// with an empty text is left alone (0); a store failure gives Memory ERROR.
u32 SetFuncByte(u32 n, u32 at, u8 value, u8 bit, bool on) {
  char name[4];
  FuncName(n, name);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kKindGraphFunc, name, &size, &data) != 0 || !data || size <= 4 || data[4] == 0) return 0;
  u8 b = data[at];
  if (bit) {
    b = on ? static_cast<u8>(b | bit) : static_cast<u8>(b & ~bit);
  } else {
    b = value;
  }
  return McsWriteByKind(kKindGraphFunc, name, 1, &b, at) <= 2 ? 0 : u32{kProgErrMemory};
}

// A recursion formula token: 0 an, 1 bn, 2 cn; -1 for any other.
int RecurFormula(const u8 *p) {
  if (p[0] == 0x7F && p[1] >= 0xA0 && p[1] <= 0xA2) return 0;
  if (p[0] == 0x7F && p[1] >= 0xA7 && p[1] <= 0xA9) return 1;
  if (p[0] == 0xF9 && p[1] >= 0x12 && p[1] <= 0x14) return 2;
  return -1;
}

// One or two digits 1..20 directly at run->p: 1 with *n; 0 when no digit
// stands there (*n = 0), or Argument ERROR raised (result -1).
int FuncNumber(ProgRunState *run, u32 *n) {
  *n = 0;
  if (*run->p < '0' || *run->p > '9') return 0;
  u32 v = *run->p++ - '0';
  if (*run->p >= '0' && *run->p <= '9') v = v * 10 + (*run->p++ - '0');
  if (v < 1 || v > 20) {
    ProgFail(run, kProgErrArgument);
    return -1;
  }
  *n = v;
  return 1;
}

}  // namespace

u32 ProgLineStyle(ProgRunState *run, u8 code) {
  static const u8 kStyle[] = {2, 3, 5, 8};
  const u8 style = kStyle[code - 0x3C];
  u32 e = 0;
  const int recur = RecurFormula(run->p);
  if (recur >= 0) {
    run->p += 2;
    e = SetFuncByte(100 + static_cast<u32>(recur), 3, style, 0, false);
  } else {
    u32 n = 0;
    const int got = FuncNumber(run, &n);
    if (got < 0) return 0;
    if (got == 0) return ProgFail(run, kProgErrArgument);
    e = SetFuncByte(n, 3, style, 0, false);
  }
  if (!AtEnd(run->p)) return ProgFail(run, kProgErrSyntax);
  return e ? ProgFail(run, e) : 1;
}

u32 ProgSelectFunc(ProgRunState *run, u8 code) {
  const bool on = code < 0xD0;
  const u8 which = on ? code : static_cast<u8>(code - 0x10);
  if (which == 0xCB) {  // R SelOn / R SelOff: the recursion formulas
    const int recur = RecurFormula(run->p);
    if (recur >= 0) {
      run->p += 2;
      const u32 e = SetFuncByte(100 + static_cast<u32>(recur), 2, 0, 0x10, on);
      return e ? ProgFail(run, e) : 1;
    }
    if (!AtEnd(run->p)) return ProgFail(run, kProgErrSyntax);
    for (u32 r = 0; r < 3; ++r) {
      if (const u32 e = SetFuncByte(100 + r, 2, 0, 0x10, on)) return ProgFail(run, e);
    }
    return 1;
  }
  const u8 bit = which == 0xC8 ? 0x80 : which == 0xC9 ? 0x20 : 0x10;
  u32 n = 0;
  const int got = FuncNumber(run, &n);
  if (got < 0) return 0;
  for (u32 f = got ? n : 1; f <= (got ? n : 20); ++f) {
    if (const u32 e = SetFuncByte(f, 2, 0, bit, on)) return ProgFail(run, e);
  }
  return 1;
}

// ---- the dynamic graph's variable --------------------------------------------

// "D Var" letter: the moving coefficient of the dynamic graph's condition.
u32 ProgSetDynaVar(ProgRunState *run) {
  const u8 c = *run->p;
  if (c < 'A' || c > 'Z' || c == 'T' || c == 'X' || c == 'Y') return ProgFail(run, kProgErrSyntax);
  ++run->p;
  return ProgGlueSetDynaVar(static_cast<u16>(c - 'A' + 1)) == 0 ? 1 : ProgFail(run, kProgErrMemory);
}
