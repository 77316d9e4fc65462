// Native entries into the code image: windows, arguments, run, result.
#include "number/sh/sh_thunk.h"

#include "number/sh/sh_cpu.h"
#include "number/sh/sh_entries.h"

namespace {

// Working numbers take windows 0 and 1, extended numbers 2 and 3, an integer
// or exponent-word variable window 4.
struct Windows {
  u32 nextWork = 0, nextExt = 2;
  u32 Work(const BcdWork *x, bool writable) {
    const u32 k = nextWork++;
    ShSetWindow(k, SH_WINDOW_WORK, const_cast<BcdWork *>(x), sizeof(BcdWork), writable);
    return ShWindowAddress(k);
  }
  u32 Ext(const BcdExt *x, bool writable) {
    const u32 k = nextExt++;
    ShSetWindow(k, SH_WINDOW_EXT, const_cast<BcdExt *>(x), sizeof(BcdExt), writable);
    return ShWindowAddress(k);
  }
  u32 Word(const u16 *w, bool writable) {
    ShSetWindow(SH_WINDOW_VARIABLE, SH_WINDOW_INT, const_cast<u16 *>(w), sizeof(u16), writable);
    return ShWindowAddress(SH_WINDOW_VARIABLE);
  }
};

ShResult Call(u32 entry, u32 r4, u32 r5) {
  g_shCpu.r[4] = r4;
  g_shCpu.r[5] = r5;
  const u32 fault = ShRun(entry);
  // The windows point at the caller's records, which may not outlive the
  // call: none is left open for a later access to reach.
  ShClearWindows();
  return ShResult{static_cast<u16>(g_shCpu.r[0]), fault};
}

// a in the first extended window (written), b in the second.
ShResult Binary(u32 entry, BcdExt *a, const BcdExt *b, bool bWritable) {
  ShClearWindows();
  Windows w;
  const u32 ra = w.Ext(a, true), rb = w.Ext(b, bWritable);
  return Call(entry, ra, rb);
}

}  // namespace

ShResult ShThunkRegAdd(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_REG_ADD, a, b, false); }
ShResult ShThunkRegSub(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_REG_SUB, a, b, false); }

ShResult ShThunkExtAdd(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_EXT_ADD, a, b, false); }
ShResult ShThunkExtAddMaru(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_EXT_ADD_MARU, a, b, false); }
ShResult ShThunkExtSub(BcdExt *a, BcdExt *b) { return Binary(SH_ENTRY_EXT_SUB, a, b, true); }
ShResult ShThunkExtSubMaru(BcdExt *a, BcdExt *b) { return Binary(SH_ENTRY_EXT_SUB_MARU, a, b, true); }

ShResult ShThunkExtMul(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_EXT_MUL, a, b, false); }
ShResult ShThunkExtDiv(BcdExt *a, const BcdExt *b) { return Binary(SH_ENTRY_EXT_DIV, a, b, false); }

ShResult ShThunkExtRound(BcdExt *x) {
  ShClearWindows();
  return Call(SH_ENTRY_EXT_ROUND, Windows{}.Ext(x, true), 0);
}

ShResult ShThunkRegShiftRight(BcdExt *a, u16 n) {
  ShClearWindows();
  return Call(SH_ENTRY_REG_SHR, Windows{}.Ext(a, true), n);
}

ShResult ShThunkRegShiftLeft(BcdExt *a, u16 n) {
  ShClearWindows();
  return Call(SH_ENTRY_REG_SHL, Windows{}.Ext(a, true), n);
}

ShResult ShThunkRegMulDigit(BcdExt *a, u16 digit) {
  ShClearWindows();
  return Call(SH_ENTRY_REG_MULDIGIT, Windows{}.Ext(a, true), digit);
}

ShResult ShThunkWorkCompare(const BcdWork *a, const BcdWork *b) {
  ShClearWindows();
  Windows w;
  const u32 ra = w.Work(a, false), rb = w.Work(b, false);
  return Call(SH_ENTRY_WORK_COMPARE, ra, rb);
}

ShResult ShThunkExpNegate(u16 *word) {
  ShClearWindows();
  return Call(SH_ENTRY_EXP_NEGATE, Windows{}.Word(word, true), 0);
}

ShResult ShThunkExpAbs(u16 *word) {
  ShClearWindows();
  return Call(SH_ENTRY_EXP_ABS, Windows{}.Word(word, true), 0);
}

ShResult ShThunkExpDecimal(const u16 *word) {
  ShClearWindows();
  return Call(SH_ENTRY_EXP_DECIMAL, Windows{}.Word(word, false), 0);
}
