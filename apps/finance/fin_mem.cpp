// The financial record: defaults, creation, whole-record reads and writes,
// and the variables as the evaluator and programs see them.
#include "apps/finance/fin_mem.h"

#include <cstring>

#include "apps/finance/fin_calc.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"

namespace {

constexpr u8 kFinErrSyntax = 2;
constexpr u8 kFinErrMa = 3;
constexpr u8 kFinErrArgument = 8;

// Creates the item with the defaults: 0, or the item interface's result.
u32 CreateDefault() {
  FinMem mem;
  FinDefaultMem(&mem);
  return McsCreateInFolder(kFinFolder, kFinItem, kFinMemBytes, &mem);
}

// True when the item holds a record of this application.
bool IsOwnRecord(u32 size, const u8 *data) { return size == kFinMemBytes && data && data[250] == 1; }

}  // namespace

void FinDefaultMem(FinMem *out) {
  std::memset(out, 0, sizeof *out);
  NumFromInt16(12, &out->py);
  NumFromInt16(12, &out->cy);
  RealSetOne(&out->d);
  RealSetOne(&out->one);
  NumFromInt16(12, &out->twelve);
  out->d1 = {1, 1, 1997};
  out->d2 = {1, 1, 1997};
  out->list = 1;
  out->byte248 = 0x65;
  out->valid = 1;
}

u32 FinInitMem() {
  const u32 r = CreateDefault();
  if (r == 0) return 0;
  if (r != 37) return kFinErrMemory;
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFinFolder, kFinItem, &size, &data) == 0 && IsOwnRecord(size, data)) return 0;
  // A foreign record: the folder is emptied and a default record made.
  McsDeleteAllInFolder(kFinFolder);
  return CreateDefault() == 0 ? 0 : kFinErrMemory;
}

u32 FinReadMem(FinMem *out) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFinFolder, kFinItem, &size, &data) != 0 || !IsOwnRecord(size, data)) return kFinErrMemory;
  std::memcpy(out, data, kFinMemBytes);
  return 0;
}

u32 FinWriteMem(const FinMem *mem) {
  return McsWriteInFolder(kFinFolder, kFinItem, kFinMemBytes, mem, 0) & 0xFF;
}

u32 FinWriteMemChecked(const FinMem *mem) { return FinWriteMem(mem) <= 2 ? 0 : kFinErrMemory; }

u32 FinDeleteMem() { return McsDeleteAllInFolder(kFinFolder); }

BcdReal *FinTokenField(FinMem *mem, u8 second) {
  switch (second) {
    case 0x64: return &mem->n;
    case 0x65: return &mem->i;
    case 0x66: return &mem->pv;
    case 0x67: return &mem->pmt;
    case 0x68: return &mem->fv;
    case 0xCC: return &mem->py;
    case 0xCD: return &mem->cy;
    default: return nullptr;
  }
}

bool FinIsVariableToken(const u8 *p) {
  FinMem scratch;
  return p && p[0] == 0x7F && FinTokenField(&scratch, p[1]) != nullptr;
}

u8 FinValueAt(u32 offset, BcdReal *out) {
  if (offset > 72 || offset % 12 != 0) return kFinErrArgument;
  FinMem mem;
  if (FinReadMem(&mem) != 0) return kFinErrMemory;
  std::memcpy(out, reinterpret_cast<const u8 *>(&mem) + offset, sizeof *out);
  return 0;
}

u32 FinAssignToken(const u8 **p, const Value *v) {
  if (!FinIsVariableToken(*p)) return kFinErrSyntax;
  const u8 second = (*p)[1];
  if (ValErrorCode(v)) return ValErrorCode(v);
  if (ValKind(v) != 1) return kFinErrSyntax;  // a list or matrix
  if (ValIsComplex(v)) return kFinErrMa;
  BcdReal x;
  RealFracToDecimal(&v->re, &x);
  if (RealErrorCode(&x)) return RealErrorCode(&x);
  if ((second == 0xCC || second == 0xCD) && FinCheckPeriod(&x, nullptr) != 0) return kFinErrArgument;
  if (FinInitMem() != 0) return kFinErrMemory;
  FinMem mem;
  if (FinReadMem(&mem) != 0) return kFinErrMemory;
  RealNormalize(&x, FinTokenField(&mem, second));
  if (FinWriteMemChecked(&mem) != 0) return kFinErrMemory;
  *p += 2;
  return 0;
}
