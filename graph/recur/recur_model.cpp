// The recursion engine.
#include "graph/recur/recur_model.h"

#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "eval/token_len.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

namespace {

constexpr const char *kFolder = "@RECUR";
constexpr const char *kRangeItem = "RECRG";
constexpr u32 kRangeValues = 14;
constexpr u32 kRangeBytes = kRangeValues * sizeof(BcdReal);
constexpr u32 kWorkValues = 14;

constexpr u32 kErrBreak = 1;
constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMa = 3;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrNonReal = 17;
constexpr u32 kErrRange = 28;
constexpr u32 kErrCondition = 30;

// The work record of one generation: an an+1 an+2, bn.., cn.., n, the three
// sums and the index of the term being produced.
struct RecurWork {
  BcdReal v[kWorkValues];
};

RecurWork g_work;
bool g_alive = false;

BcdReal *Work(RecurWork *w, u32 id) { return &w->v[id - kRecurWorkAn]; }

// "RECRG", made with its defaults (all 0, End 5) when missing or shorter
// than its 14 values. nullptr when it cannot be made.
u8 *RangeItem() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFolder, kRangeItem, &size, &data) == 0 && data != nullptr && size >= kRangeBytes) return data;
  u8 fresh[kRangeBytes];
  BcdReal zero, five;
  RealSetZero(&zero);
  RealSetFive(&five);
  for (u32 k = 0; k < kRangeValues; ++k) std::memcpy(fresh + 12 * k, k == 1 ? &five : &zero, 12);
  McsDeleteInFolder(kFolder, kRangeItem);
  if (McsCreateInFolder(kFolder, kRangeItem, kRangeBytes, fresh) != 0) return nullptr;
  if (McsOpenInFolderPtr(kFolder, kRangeItem, &size, &data) != 0) return nullptr;
  return data;
}

// Whether a work id is a value of the type.
bool WorkIdAllowed(u32 type, u32 id) {
  if (id >= kRecurWorkN && id <= kRecurWorkIndex) return true;
  if (type == 0) return false;
  const u32 k = id - kRecurWorkAn;  // 0..8
  const u32 pos = k % 3;            // 0 xn, 1 xn+1, 2 xn+2
  if (k >= 9) return false;
  if (pos == 0) return true;
  return pos == 1 && type >= 3;
}

bool Less(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpLt, a, b) != 0; }

bool IsZero(const BcdReal *v) {
  BcdReal zero;
  RealSetZero(&zero);
  return RealCompare(kRealCmpEq, v, &zero) != 0;
}

bool IsInteger(const BcdReal *v) {
  BcdReal f;
  RealFrac(v, &f);
  return RealErrorCode(&f) == 0 && IsZero(&f);
}

BcdReal Int(i32 n) {
  BcdReal r;
  NumFromInt32(n, &r);
  return r;
}

// The work index's next value, idx + 1 as RealAddDecimal makes it: a
// whole number from 1 below 1E15 whose digits do not all turn to 0 is
// stepped in its packed digits (bytes 0 and 9-11 kept, as the sum keeps
// them); anything else is added.
void NextIndex(const BcdReal *idx, const BcdReal *one, BcdReal *out) {
  const u8 *b = idx->b;
  u64 w;
  std::memcpy(&w, b + 1, 8);
  constexpr u64 kLow = 0x0F0F0F0F0F0F0F0Full, kSix = 0x0606060606060606ull, kCarry = 0x1010101010101010ull;
  const bool digits = !((((w & kLow) + kSix) | (((w >> 4) & kLow) + kSix)) & kCarry);
  const u32 tens = b[0] & 0x0F;
  const u32 e = tens * 10 + (b[1] >> 4);
  if ((b[0] >> 4) == 1 && tens <= 9 && (b[1] & 0x0F) != 0 && e <= 14 && digits) {
    // Bytes 1-8 high nibble first: the exponent's units digit, then d1-d15.
    const u64 word = __builtin_bswap64(w);
    constexpr u64 kExpNibble = u64{0xF} << 60;
    const u64 m = word & ~kExpNibble;
    const u64 unit = u64{1} << (4 * (14 - e));
    if ((m & (unit - 1)) == 0) {
      // Packed decimal m + unit: 6 added to every digit first, taken back
      // from the digits that did not carry.
      const u64 t1 = m + 0x0666666666666666ull;
      const u64 t2 = t1 + unit;
      const u64 t5 = ~(t2 ^ t1 ^ unit) & 0x1111111111111110ull;
      const u64 sum = t2 - ((t5 >> 2) | (t5 >> 3));
      if ((sum & kExpNibble) == 0) {
        const u64 back = __builtin_bswap64(sum | (word & kExpNibble));
        out->b[0] = b[0];
        std::memcpy(out->b + 1, &back, 8);
        return;
      }
    }
  }
  RealAddDecimal(idx, one, out);
}

// Evaluates formula k (1..3) on the stored work record: 0 with the term in
// out (an Ma ERROR or Non-Real ERROR cell included), or the code that ends
// the generation.
u32 EvalFormula(BcdReal *out, const u8 *text) {
  if (text == nullptr || text[0] == 0) {
    RealMakeError(kErrSyntax, out);
    return kErrSyntax;
  }
  TokPos pos = text;
  EvalCell tok, result;
  std::memset(&tok, 0, sizeof tok);
  std::memset(&result, 0, sizeof result);
  const u32 ok = EvalArgument(&pos, &tok, &result, 1, kEvalRecurTerms | kEvalAcceptScalar | kEvalAcceptList);
  if (!ok) {
    const u32 code = RealErrorCode(&result.re);
    *out = result.re;
    if (code == kErrMa || code == kErrNonReal) return 0;
    if (code == 0) {
      RealMakeError(kErrSyntax, out);
      return kErrSyntax;
    }
    return code;
  }
  if (EvalIsArrayCell(&result)) {
    EvalFreeCell(&result);
    RealMakeError(kErrSyntax, out);
    return kErrSyntax;
  }
  if (TokByte0(&tok) != kTokEnd) {
    RealMakeError(kErrSyntax, out);
    return kErrSyntax;
  }
  if (result.re.b[0] & 0x80) {
    RealMakeError(kErrNonReal, out);
    return 0;
  }
  *out = result.re;
  return 0;
}

// The generation's state besides the work record.
// The table is gathered here and stored whole at the end. The formulas are
// copied out of main memory once, so no evaluation looks them up (or copies
// them aside) again.
struct Gen {
  u8 texts[3][kGmemFuncTextMax + 1];
  bool hasText[3];
  u32 type;
  u32 flags;
  bool sums;
  BcdReal start;
  u32 rows;
  u32 cols;
  u32 written;
  bool reached;  // the index has reached Start
  bool readsN;   // a formula reads n
  BcdReal one, lag;  // 1, and how far n lags behind the index
  std::vector<BcdReal> cells;  // row-major
};

Gen *g_gen = nullptr;

u32 PutValue(u32 row, u32 col, const BcdReal *v) {
  g_gen->cells[row * g_gen->cols + (col - 1)] = *v;
  return 0;
}

// Stores the gathered cells as "RECURTBL" (made at its size beforehand).
u32 StoreTable(const Gen &g) {
  char name[9];
  ItemMatName(kRecurTableMatrix, name);
  const u32 bytes = static_cast<u32>(g.cells.size() * sizeof(BcdReal));
  return McsWriteByKind(kMcsKindMatrix, name, bytes, g.cells.data(), kItemArrayHeader) <= 2 ? 0u : kErrMemory;
}

// Row r from the terms at offset `at` (0 xn, 1 xn+1) of the record; the sum
// columns hold the terms themselves (firstRow) or the running sums.
u32 PutTerms(const Gen &g, u32 r, const BcdReal *n, u32 at, bool firstRow) {
  if (const u32 e = PutValue(r, 1, n)) return e;
  for (u32 k = 0; k < 3; ++k) {
    const u32 col = RecurColumn(g.flags, k, g.sums);
    if (col == 0) continue;
    const BcdReal *term = Work(&g_work, kRecurWorkAn + 3 * k + at);
    if (const u32 e = PutValue(r, col, term)) return e;
    if (g.sums) {
      const BcdReal *sum = firstRow ? term : Work(&g_work, kRecurWorkSumA + k);
      if (const u32 e = PutValue(r, col + 1, sum)) return e;
    }
  }
  return 0;
}

// Seeds the work record from the initial terms of the type.
u32 SeedWork(const Gen &g) {
  std::memset(&g_work, 0, sizeof g_work);
  for (u32 k = 0; k < kWorkValues; ++k) RealSetZero(&g_work.v[k]);
  if (g.type == 0) return 0;
  const u32 first = (g.type == 1 || g.type == 3) ? kRecurIdA0 : kRecurIdA1;
  for (u32 k = 0; k < 3; ++k) {
    BcdReal x0, x1;
    if (RecurReadValue(first + k, &x0)) return kErrMemory;
    *Work(&g_work, kRecurWorkAn + 3 * k) = x0;
    BcdReal *sum = Work(&g_work, kRecurWorkSumA + k);
    *sum = x0;
    if (g.type >= 3) {
      if (RecurReadValue(first + 3 + k, &x1)) return kErrMemory;
      *Work(&g_work, kRecurWorkAn + 3 * k + 1) = x1;
      RealAdd(&x0, &x1, sum);
      RealNormalize(sum, sum);
    }
  }
  return 0;
}

// The rows written from the initial terms, and the index of the first term
// the formulas produce.
u32 FirstRows(Gen *g) {
  BcdReal *idx = Work(&g_work, kRecurWorkIndex);
  *idx = g->start;
  const BcdReal one = Int(1);
  i32 s = -1;
  if (IsZero(&g->start)) {
    s = 0;
  } else {
    const BcdReal ten = Int(10);
    if (!Less(&g->start, &one) && Less(&g->start, &ten)) s = NumToInt32(&g->start);
  }
  const u32 t = g->type;
  if ((t == 1 && s == 0) || (t == 2 && s == 1) || (t == 3 && s == 0) || (t == 4 && s == 1)) {
    if (const u32 e = PutTerms(*g, 0, idx, 0, true)) return e;
    g->written = 1;
    RealAdd(idx, &one, idx);
    if (t >= 3 && g->written < g->rows) {
      if (const u32 e = PutTerms(*g, 1, idx, 1, false)) return e;
      g->written = 2;
      RealAdd(idx, &one, idx);
    }
    return 0;
  }
  if ((t == 3 && s == 1) || (t == 4 && s == 2)) {
    if (const u32 e = PutTerms(*g, 0, idx, 1, false)) return e;
    g->written = 1;
    RealAdd(idx, &one, idx);
    return 0;
  }
  static const i32 kFirstProduced[5] = {0, 1, 2, 2, 3};
  if (t != 0) *idx = Int(kFirstProduced[t]);
  return 0;
}

// Produces the term at the work index; writes it into the next row when
// the index has reached Start.
u32 NextRow(Gen *g) {
  BcdReal idx = *Work(&g_work, kRecurWorkIndex);
  // The index only grows: once at Start it stays in range.
  if (!g->reached) g->reached = !Less(&idx, &g->start);
  const bool inRange = g->reached;
  // The index and n are whole numbers below 1E15: the decimal forms are
  // exact and skip the fraction checks.
  if (g->readsN) RealSubDecimal(&idx, &g->lag, Work(&g_work, kRecurWorkN));
  RecurWork local = g_work;
  const u32 r = g->written;
  BcdReal fresh[3];
  for (u32 k = 0; k < 3; ++k) {
    if (!(g->flags & (1u << k))) continue;
    if (const u32 e = EvalFormula(&fresh[k], g->hasText[k] ? g->texts[k] : nullptr)) return e;
    BcdReal *sum = Work(&local, kRecurWorkSumA + k);
    if (g->sums) {
      RealAdd(sum, &fresh[k], sum);
      RealNormalize(sum, sum);
    }
    const u32 col = RecurColumn(g->flags, k, g->sums);
    if (inRange && col != 0) {
      if (const u32 e = PutValue(r, col, &fresh[k])) return e;
      if (g->sums) {
        if (const u32 e = PutValue(r, col + 1, sum)) return e;
      }
    }
  }
  if (inRange) {
    if (const u32 e = PutValue(r, 1, &idx)) return e;
    ++g->written;
  }
  NextIndex(&idx, &g->one, Work(&local, kRecurWorkIndex));
  for (u32 k = 0; k < 3; ++k) {
    if (!(g->flags & (1u << k))) continue;
    BcdReal *xn = Work(&local, kRecurWorkAn + 3 * k);
    if (g->type >= 3) {
      *xn = xn[1];
      xn[1] = fresh[k];
    } else {
      *xn = fresh[k];
    }
  }
  g_work = local;
  return 0;
}

u32 Generate() {
  Gen g{};
  g.type = RecurType();
  static const i32 kLag[5] = {0, 1, 1, 2, 2};
  g.one = Int(1);
  g.lag = Int(kLag[g.type]);
  g.sums = SetupGetItem(kSetupSumDisplay) == 0;
  g.flags = RecurDependencyFlags();
  BcdReal end;
  if (RecurReadValue(kRecurIdStart, &g.start) || RecurReadValue(kRecurIdEnd, &end)) return kErrMemory;
  if (const u32 e = RecurCheckRange(g.type, &g.start, &end)) return e;
  if (const u32 e = RecurTableSize(&g.start, &end, g.flags, g.sums, &g.rows, &g.cols)) return e;
  for (u32 k = 0; k < 3; ++k) {
    const u8 *text = RecurFormulaText(static_cast<int>(k) + 1);
    g.hasText[k] = text != nullptr;
    if (text != nullptr) std::memcpy(g.texts[k], text, RecurTextLength(text));
    // n is worked out only for formulas that may read it: n itself, and
    // any two-byte token other than a term (a function memory, a graph
    // function ... may read it in turn).
    for (const u8 *p = g.texts[k]; *p != 0; p += TokLenAt(p)) {
      if (TokLenAt(p) != 2) continue;
      const bool term = (p[0] == 0x7F && p[1] >= 0xA0 && p[1] <= 0xAE && p[1] != 0xA3) ||
                        (p[0] == 0xF9 && p[1] >= 0x10 && p[1] <= 0x18);
      if (!term) g.readsN = true;
    }
  }
  if (ItemMatCreate(kRecurTableMatrix, g.rows, g.cols) != 0) return kErrMemory;
  BcdReal zero;
  RealSetZero(&zero);
  g.cells.assign(static_cast<size_t>(g.rows) * g.cols, zero);
  g_gen = &g;
  if (const u32 e = SeedWork(g)) return e;
  g_alive = true;
  if (const u32 e = FirstRows(&g)) return e;
  while (g.written < g.rows) {
    if (const u32 e = NextRow(&g)) return e;
    if (KeyBreakPoll()) return kErrBreak;
  }
  return StoreTable(g);
}

}  // namespace

u8 RecurType() {
  const u8 t = SetupGetItem(kSetupRecurType);
  return t <= 4 ? t : 0;
}

u32 RecurReadValue(u32 id, BcdReal *out) {
  if (id >= kRecurWorkAn && id <= kRecurWorkIndex) {
    if (!WorkIdAllowed(RecurType(), id)) return 2;
    if (!g_alive) return 4;
    *out = *Work(&g_work, id);
    return 0;
  }
  if (id < 1 || id > kRangeValues) return 2;
  const u8 *data = RangeItem();
  if (data == nullptr) return 4;
  std::memcpy(out, data + 12 * (id - 1), 12);
  // A value that is no real (a damaged item) reads as 0.
  if (!RealIsWellFormed(out) || RealErrorCode(out) != 0) RealSetZero(out);
  return 0;
}

u32 RecurWriteValue(u32 id, const BcdReal *v) {
  if (id >= kRecurWorkAn && id <= kRecurWorkIndex) {
    if (!g_alive) return 4;
    *Work(&g_work, id) = *v;
    return 0;
  }
  if (id < 1 || id > kRangeValues) return 4;
  if (RangeItem() == nullptr) return 4;
  return McsWriteInFolder(kFolder, kRangeItem, 12, v, 12 * (id - 1)) <= 2 ? 0u : 4u;
}

u32 RecurSetType(u32 kind) {
  const u8 t = RecurType();
  const bool fromOne = t == 2 || t == 4;
  const u8 type = kind == 1 ? 0 : kind == 2 ? (fromOne ? 2 : 1) : (fromOne ? 4 : 3);
  SetupSetItem(kSetupRecurType, type);
  RecurResetGraphState();
  return 0;
}

const u8 *RecurFormulaText(int which) { return reinterpret_cast<const u8 *>(RecurFormulaDataPtr(which)); }

bool RecurFormulaInUse(int which) {
  const u8 *text = RecurFormulaText(which);
  return RecurFormulaSelected(which) != 0 && text != nullptr && text[0] != 0;
}

u8 RecurFormulaStyle(int which) {
  if (RecurFormulaDataPtr(which) == nullptr) return 2;
  const u8 s = RecurReadFormulaKind(which);
  return (s == 2 || s == 3 || s == 5 || s == 8) ? s : 2;
}

u32 RecurFormulaRefs(const u8 *text) {
  u32 bits = 0;
  if (text == nullptr) return 0;
  for (const u8 *p = text; *p != 0;) {
    if (p[0] == 0x7F && (p[1] == 0xA0 || p[1] == 0xA1)) bits |= kRecurNeedA;
    if (p[0] == 0x7F && (p[1] == 0xA7 || p[1] == 0xA8)) bits |= kRecurNeedB;
    if (p[0] == 0xF9 && (p[1] == 0x12 || p[1] == 0x13)) bits |= kRecurNeedC;
    p += TokLenAt(p);
  }
  return bits;
}

u32 RecurDependencyFlags() {
  const u32 da = RecurFormulaRefs(RecurFormulaText(1));
  const u32 db = RecurFormulaRefs(RecurFormulaText(2));
  const u32 dc = RecurFormulaRefs(RecurFormulaText(3));
  u32 a = da;
  if (da & kRecurNeedB) a |= db;
  if (da & kRecurNeedC) a |= dc;
  u32 b = db;
  if (db & kRecurNeedA) b |= a;
  if (db & kRecurNeedC) b |= dc;
  u32 c = dc;
  if (dc & kRecurNeedA) c |= a;
  if (dc & kRecurNeedB) c |= b;
  u32 flags = 0;
  if (RecurFormulaInUse(1)) flags |= kRecurSelA | kRecurNeedA | a;
  if (RecurFormulaInUse(2)) flags |= kRecurSelB | kRecurNeedB | b;
  if (RecurFormulaInUse(3)) flags |= kRecurSelC | kRecurNeedC | c;
  return flags;
}

u32 RecurCheckRange(u32 type, const BcdReal *start, const BcdReal *end) {
  const BcdReal zero = Int(0), one = Int(1);
  BcdReal top{};
  NumParse("1E14", &top);
  if ((type == 2 || type == 4) && (Less(start, &one) || Less(end, &one))) return kErrRange;
  if (Less(end, start)) return kErrRange;
  // Terms are numbered by whole numbers from 0.
  if (Less(start, &zero) || Less(end, &zero) || !IsInteger(start) || !IsInteger(end)) return kErrRange;
  if (Less(&top, start) || Less(&top, end)) return kErrRange;
  return 0;
}

u32 RecurTableSize(const BcdReal *start, const BcdReal *end, u32 flags, bool sums, u32 *rows, u32 *cols) {
  BcdReal d;
  RealSub(end, start, &d);
  const BcdReal zero = Int(0), limit = Int(1000);
  if (Less(&d, &zero) || !Less(&d, &limit)) return kErrRange;
  BcdReal whole;
  RealInt(&d, &whole);
  const i32 n = NumToInt32(&whole) + 1;
  if (n > 255) return kErrRange;
  u32 selected = 0;
  for (u32 bit = kRecurSelA; bit <= kRecurSelC; bit <<= 1) selected += (flags & bit) ? 1 : 0;
  *rows = static_cast<u32>(n);
  *cols = 1 + selected * (sums ? 2 : 1);
  return *cols == 1 ? kErrCondition : 0;
}

u32 RecurColumn(u32 flags, u32 k, bool sums) {
  if (!(flags & (kRecurSelA << k))) return 0;
  u32 col = 2;
  for (u32 j = 0; j < k; ++j) {
    if (flags & (kRecurSelA << j)) col += sums ? 2 : 1;
  }
  return col;
}

u32 RecurGenerateTable() {
  KeyBreakArm();
  RecurResetGraphState();
  const u32 code = Generate();
  g_alive = false;
  g_gen = nullptr;
  KeyBreakDisarm();
  if (code != 0) RecurResetGraphState();
  return code;
}

bool RecurGenerating() { return g_alive; }
