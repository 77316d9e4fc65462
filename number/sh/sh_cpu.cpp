// Decoder, handlers and run loop of the SuperH interpreter.
#include "number/sh/sh_cpu.h"

#include <initializer_list>

ShCpu g_shCpu;

namespace {

ShCpu &C = g_shCpu;

u32 Op() { return static_cast<u32>(C.opcode[0]) << 8 | C.opcode[1]; }
u32 N() { return C.opcode[0] & 0xFu; }
u32 M() { return C.opcode[1] >> 4; }
u32 Imm8() { return C.opcode[1]; }
u32 SImm8() { return static_cast<u32>(static_cast<i32>(static_cast<i8>(C.opcode[1]))); }
u32 Disp4() { return C.opcode[1] & 0xFu; }
u32 SExt16(u32 v) { return static_cast<u32>(static_cast<i32>(static_cast<i16>(v))); }
u32 SExt8(u32 v) { return static_cast<u32>(static_cast<i32>(static_cast<i8>(v))); }
bool T() { return (C.sr & SH_SR_T) != 0; }
void SetT(bool t) { C.sr = t ? (C.sr | SH_SR_T) : (C.sr & ~SH_SR_T); }
bool GetBit(u32 bit) { return (C.sr & bit) != 0; }
void SetBit(u32 bit, bool on) { C.sr = on ? (C.sr | bit) : (C.sr & ~bit); }
void Next() { C.pc += 2; }
u32 &Rn() { return C.r[N()]; }
u32 &Rm() { return C.r[M()]; }

// ------------------------------------------------------------------ moves

void MovRR() { Rn() = Rm(); Next(); }
void MovImm() { Rn() = SImm8(); Next(); }
void MovWPc() { Rn() = SExt16(ShBusRead16(C.pc + 4 + 2 * Imm8(), 0)); Next(); }
// The literal pools hold emulated addresses, so a literal loads unchanged.
void MovLPc() { Rn() = ShBusRead32((C.pc & ~3u) + 4 + 4 * Imm8(), 0); Next(); }
void Mova() { C.r[0] = (C.pc & ~3u) + 4 + 4 * Imm8(); Next(); }
void Movt() { Rn() = T() ? 1 : 0; Next(); }

// Loads and stores, in size order byte, word, long.
u32 Load(u32 size, u32 address, u32 base) {
  switch (size) {
    case 1: return SExt8(ShBusRead8(address, base));
    case 2: return SExt16(ShBusRead16(address, base));
    default: return ShBusRead32(address, base);
  }
}
void Store(u32 size, u32 address, u32 value, u32 base) {
  switch (size) {
    case 1: return ShBusWrite8(address, value, base);
    case 2: return ShBusWrite16(address, value, base);
    default: return ShBusWrite32(address, value, base);
  }
}

template <u32 S> void StoreAtRn() { Store(S, Rn(), Rm(), N()); Next(); }
template <u32 S> void LoadAtRm() { Rn() = Load(S, Rm(), M()); Next(); }
// @Rm+ with m = n: Rn receives the loaded value and is not incremented.
template <u32 S> void LoadPostInc() {
  const u32 m = M(), n = N();
  const u32 v = Load(S, C.r[m], m);
  if (m != n) C.r[m] += S;
  C.r[n] = v;
  Next();
}
template <u32 S> void StorePreDec() {
  const u32 v = Rm();
  Rn() -= S;
  Store(S, Rn(), v, N());
  Next();
}
template <u32 S> void StoreR0Indexed() { Store(S, C.r[0] + Rn(), Rm(), N()); Next(); }
template <u32 S> void LoadR0Indexed() { Rn() = Load(S, C.r[0] + Rm(), M()); Next(); }
void MovLStoreDisp() { Store(4, Rn() + 4 * Disp4(), Rm(), N()); Next(); }
void MovLLoadDisp() { Rn() = Load(4, Rm() + 4 * Disp4(), M()); Next(); }
// MOV.B/W R0,@(disp,Rn) and @(disp,Rm),R0: the register sits in bits 4-7.
template <u32 S> void StoreR0Disp() { Store(S, Rm() + S * Disp4(), C.r[0], M()); Next(); }
template <u32 S> void LoadR0Disp() { C.r[0] = Load(S, Rm() + S * Disp4(), M()); Next(); }
// The GBR forms go through the bus like every other access.
template <u32 S> void StoreGbr() { Store(S, C.gbr + S * Imm8(), C.r[0], 0); Next(); }
template <u32 S> void LoadGbr() { C.r[0] = Load(S, C.gbr + S * Imm8(), 0); Next(); }

// ------------------------------------------------------ extension and swap

void ExtsB() { Rn() = SExt8(Rm()); Next(); }
void ExtsW() { Rn() = SExt16(Rm()); Next(); }
void ExtuB() { Rn() = Rm() & 0xFFu; Next(); }
void ExtuW() { Rn() = Rm() & 0xFFFFu; Next(); }
void SwapB() {
  const u32 m = Rm();
  Rn() = (m & 0xFFFF0000u) | (m & 0xFFu) << 8 | (m >> 8 & 0xFFu);
  Next();
}
void SwapW() { const u32 m = Rm(); Rn() = m << 16 | m >> 16; Next(); }
void Xtrct() { Rn() = Rm() << 16 | Rn() >> 16; Next(); }

// ---------------------------------------------------- add and subtract

void Add() { Rn() += Rm(); Next(); }
void AddImm() { Rn() += SImm8(); Next(); }
void Addc() {
  const u32 n = Rn(), sum = n + Rm(), r = sum + (T() ? 1 : 0);
  SetT(n > sum || sum > r);
  Rn() = r;
  Next();
}
void Addv() {
  const i32 n = static_cast<i32>(Rn()), m = static_cast<i32>(Rm());
  const i32 r = static_cast<i32>(static_cast<u32>(n) + static_cast<u32>(m));
  SetT((n >= 0) == (m >= 0) && (r >= 0) != (n >= 0));
  Rn() = static_cast<u32>(r);
  Next();
}
void Sub() { Rn() -= Rm(); Next(); }
void Subc() {
  const u32 n = Rn(), diff = n - Rm(), r = diff - (T() ? 1 : 0);
  SetT(n < diff || diff < r);
  Rn() = r;
  Next();
}
void Subv() {
  const i32 n = static_cast<i32>(Rn()), m = static_cast<i32>(Rm());
  const i32 r = static_cast<i32>(static_cast<u32>(n) - static_cast<u32>(m));
  SetT((n >= 0) != (m >= 0) && (r >= 0) != (n >= 0));
  Rn() = static_cast<u32>(r);
  Next();
}
void Neg() { Rn() = 0u - Rm(); Next(); }
void Negc() {
  const u32 t = 0u - Rm(), r = t - (T() ? 1 : 0);
  SetT(0 < t || t < r);
  Rn() = r;
  Next();
}
void Dt() { SetT(--Rn() == 0); Next(); }

// ------------------------------------------------------------- compare

void CmpEq() { SetT(Rn() == Rm()); Next(); }
void CmpEqImm() { SetT(C.r[0] == SImm8()); Next(); }
void CmpHs() { SetT(Rn() >= Rm()); Next(); }
void CmpGe() { SetT(static_cast<i32>(Rn()) >= static_cast<i32>(Rm())); Next(); }
void CmpHi() { SetT(Rn() > Rm()); Next(); }
void CmpGt() { SetT(static_cast<i32>(Rn()) > static_cast<i32>(Rm())); Next(); }
void CmpPl() { SetT(static_cast<i32>(Rn()) > 0); Next(); }
void CmpPz() { SetT(static_cast<i32>(Rn()) >= 0); Next(); }
void CmpStr() {
  const u32 x = Rn() ^ Rm();
  SetT((x & 0xFF000000u) == 0 || (x & 0xFF0000u) == 0 || (x & 0xFF00u) == 0 || (x & 0xFFu) == 0);
  Next();
}

// ------------------------------------------------------------ multiply

void MulL() { C.macl = Rn() * Rm(); Next(); }
void MulsW() {
  C.macl = static_cast<u32>(static_cast<i32>(static_cast<i16>(Rn())) * static_cast<i16>(Rm()));
  Next();
}
void MuluW() { C.macl = (Rn() & 0xFFFFu) * (Rm() & 0xFFFFu); Next(); }
void SetMac(u64 v) {
  C.mach = static_cast<u32>(v >> 32);
  C.macl = static_cast<u32>(v);
}
u64 Mac() { return static_cast<u64>(C.mach) << 32 | C.macl; }
void DmulsL() {
  SetMac(static_cast<u64>(static_cast<i64>(static_cast<i32>(Rn())) * static_cast<i32>(Rm())));
  Next();
}
void DmuluL() { SetMac(static_cast<u64>(Rn()) * Rm()); Next(); }
void Clrmac() { C.mach = C.macl = 0; Next(); }
// MAC.L @Rm+,@Rn+: with S set the sum saturates to 48 bits.
void MacL() {
  const u32 n = N(), m = M();
  const i32 vn = static_cast<i32>(ShBusRead32(C.r[n], n));
  C.r[n] += 4;
  const i32 vm = static_cast<i32>(ShBusRead32(C.r[m], m));
  C.r[m] += 4;
  const i64 product = static_cast<i64>(vn) * vm;
  i64 sum = static_cast<i64>(Mac() + static_cast<u64>(product));
  if (GetBit(SH_SR_S)) {
    constexpr i64 kMax = (static_cast<i64>(1) << 47) - 1, kMin = -(static_cast<i64>(1) << 47);
    const i64 mac48 = static_cast<i64>(Mac() << 16) >> 16;
    sum = mac48 + product;  // both well inside 64 bits
    if (sum > kMax) sum = kMax;
    if (sum < kMin) sum = kMin;
  }
  SetMac(static_cast<u64>(sum));
  Next();
}
// MAC.W @Rm+,@Rn+: with S set only MACL accumulates, saturating at 32 bits,
// and MACH's bit 0 records an overflow.
void MacW() {
  const u32 n = N(), m = M();
  const i16 vn = static_cast<i16>(ShBusRead16(C.r[n], n));
  C.r[n] += 2;
  const i16 vm = static_cast<i16>(ShBusRead16(C.r[m], m));
  C.r[m] += 2;
  const i32 product = static_cast<i32>(vn) * vm;
  if (GetBit(SH_SR_S)) {
    i64 sum = static_cast<i64>(static_cast<i32>(C.macl)) + product;
    if (sum > INT32_MAX || sum < INT32_MIN) {
      sum = sum > 0 ? INT32_MAX : INT32_MIN;
      C.mach |= 1;
    }
    C.macl = static_cast<u32>(static_cast<i32>(sum));
  } else {
    SetMac(Mac() + static_cast<u64>(static_cast<i64>(product)));
  }
  Next();
}

// ------------------------------------------------------ divide steps

void Div0s() {
  const bool q = Rn() >> 31, m = Rm() >> 31;
  SetBit(SH_SR_Q, q);
  SetBit(SH_SR_M, m);
  SetT(q != m);
  Next();
}
void Div0u() { C.sr &= ~(SH_SR_Q | SH_SR_M | SH_SR_T); Next(); }
void Div1() {
  const bool oldQ = GetBit(SH_SR_Q), mFlag = GetBit(SH_SR_M);
  const u32 divisor = Rm();
  u32 &rn = Rn();
  bool q = (rn & 0x80000000u) != 0;
  rn = rn << 1 | (T() ? 1 : 0);
  const u32 before = rn;
  bool carry;
  if (oldQ == mFlag) {
    rn -= divisor;
    carry = rn > before;
  } else {
    rn += divisor;
    carry = rn < before;
  }
  // The new Q: the shifted-out bit combined with the carry or borrow, inverted
  // when M is set.
  q = mFlag ? (q == carry) : (q != carry);
  SetBit(SH_SR_Q, q);
  SetT(q == mFlag);
  Next();
}

// --------------------------------------------------------------- logic

void And() { Rn() &= Rm(); Next(); }
void Or() { Rn() |= Rm(); Next(); }
void Xor() { Rn() ^= Rm(); Next(); }
void Not() { Rn() = ~Rm(); Next(); }
void Tst() { SetT((Rn() & Rm()) == 0); Next(); }
void AndImm() { C.r[0] &= Imm8(); Next(); }
void OrImm() { C.r[0] |= Imm8(); Next(); }
void XorImm() { C.r[0] ^= Imm8(); Next(); }
void TstImm() { SetT((C.r[0] & Imm8()) == 0); Next(); }
template <int Kind> void LogicByteGbr() {
  const u32 address = C.gbr + C.r[0];
  const u32 v = ShBusRead8(address, 0);
  switch (Kind) {
    case 0: SetT((v & Imm8()) == 0); break;
    case 1: ShBusWrite8(address, v & Imm8(), 0); break;
    case 2: ShBusWrite8(address, v ^ Imm8(), 0); break;
    default: ShBusWrite8(address, v | Imm8(), 0); break;
  }
  Next();
}
void TasB() {
  const u32 n = N(), v = ShBusRead8(C.r[n], n);
  SetT(v == 0);
  ShBusWrite8(C.r[n], v | 0x80u, n);
  Next();
}

// ------------------------------------------------ shifts and rotates

void Rotl() { u32 &r = Rn(); SetT(r >> 31); r = r << 1 | r >> 31; Next(); }
void Rotr() { u32 &r = Rn(); SetT(r & 1); r = r >> 1 | r << 31; Next(); }
void Rotcl() { u32 &r = Rn(); const bool t = r >> 31; r = r << 1 | (T() ? 1 : 0); SetT(t); Next(); }
void Rotcr() { u32 &r = Rn(); const bool t = r & 1; r = r >> 1 | (T() ? 1u << 31 : 0); SetT(t); Next(); }
void Shll() { u32 &r = Rn(); SetT(r >> 31); r <<= 1; Next(); }
void Shar() { u32 &r = Rn(); SetT(r & 1); r = static_cast<u32>(static_cast<i32>(r) >> 1); Next(); }
void Shlr() { u32 &r = Rn(); SetT(r & 1); r >>= 1; Next(); }
template <int Bits> void ShiftLeft() { Rn() <<= Bits; Next(); }
template <int Bits> void ShiftRight() { Rn() >>= Bits; Next(); }
void Shad() {
  const i32 m = static_cast<i32>(Rm());
  u32 &r = Rn();
  if (m >= 0) r <<= (m & 31);
  else if ((m & 31) == 0) r = static_cast<i32>(r) < 0 ? 0xFFFFFFFFu : 0;
  else r = static_cast<u32>(static_cast<i32>(r) >> ((~m & 31) + 1));
  Next();
}
void Shld() {
  const i32 m = static_cast<i32>(Rm());
  u32 &r = Rn();
  if (m >= 0) r <<= (m & 31);
  else if ((m & 31) == 0) r = 0;
  else r >>= ((~m & 31) + 1);
  Next();
}

// ------------------------------------------------------------ branches

u32 Disp12() { return static_cast<u32>(static_cast<i32>((Op() & 0xFFFu) << 20) >> 20); }
void Jump(u32 target) {
  const u32 self = C.pc;
  C.pc = target;
  ShExecDelaySlot(self + 2);
}
void Call(u32 target) {
  C.pr = C.pc;
  ++C.callDepth;
  Jump(target);
}
void Bt() { C.pc = T() ? C.pc + 4 + 2 * SImm8() : C.pc + 2; }
void Bf() { C.pc = T() ? C.pc + 2 : C.pc + 4 + 2 * SImm8(); }
void Bts() { if (T()) Jump(C.pc + 4 + 2 * SImm8()); else Next(); }
void Bfs() { if (!T()) Jump(C.pc + 4 + 2 * SImm8()); else Next(); }
void Bra() { Jump(C.pc + 4 + 2 * Disp12()); }
void Bsr() { Call(C.pc + 4 + 2 * Disp12()); }
void Braf() { Jump(C.pc + 4 + Rn()); }
void Bsrf() { Call(C.pc + 4 + Rn()); }
void Jmp() { Jump(Rn()); }
void Jsr() { Call(Rn()); }
void Rts() {
  if (C.callDepth == 0) C.stop = 1;
  else --C.callDepth;
  Jump(C.pr + 4);
}

// --------------------------------------------------------------- status

void Clrt() { SetT(false); Next(); }
void Sett() { SetT(true); Next(); }
void Clrs() { SetBit(SH_SR_S, false); Next(); }
void Sets() { SetBit(SH_SR_S, true); Next(); }
void Nop() { Next(); }

// ---------------------------------------------- control and system registers

// Control registers by the selector in bits 4-7: SR, GBR, VBR, SSR, SPC,
// then the banks at 8-15.
u32 *ControlReg(u32 sel) {
  switch (sel) {
    case 0: return &C.sr;
    case 1: return &C.gbr;
    case 2: return &C.vbr;
    case 3: return &C.ssr;
    case 4: return &C.spc;
    default: return &C.bank[sel & 7];
  }
}
void LoadControl(u32 sel, u32 v) {
  if (sel == 0) v &= SH_SR_LOAD_MASK;
  if (sel == 3) v &= SH_SSR_LOAD_MASK;
  *ControlReg(sel) = v;
}
u32 *SystemReg(u32 sel) { return sel == 0 ? &C.mach : sel == 1 ? &C.macl : &C.pr; }

void Stc() { Rn() = *ControlReg(M()); Next(); }
void Ldc() { LoadControl(M(), Rn()); Next(); }
void StcL() {
  const u32 n = N();
  C.r[n] -= 4;
  ShBusWrite32(C.r[n], *ControlReg(M()), n);
  Next();
}
void LdcL() {
  const u32 n = N(), v = ShBusRead32(C.r[n], n);
  C.r[n] += 4;
  LoadControl(M(), v);
  Next();
}
void Sts() { Rn() = *SystemReg(M()); Next(); }
void Lds() { *SystemReg(M()) = Rn(); Next(); }
void StsL() {
  const u32 n = N();
  C.r[n] -= 4;
  ShBusWrite32(C.r[n], *SystemReg(M()), n);
  Next();
}
void LdsL() {
  const u32 n = N(), v = ShBusRead32(C.r[n], n);
  C.r[n] += 4;
  *SystemReg(M()) = v;
  Next();
}

// Instructions whose register field must be 0: any other value is an
// unassigned code.
template <ShHandler H> void NoOperand() {
  if (N() != 0) return ShUndefinedOpcode();
  H();
}

// ------------------------------------------------------------ the table

// First slot of each (class, field 1) sub-table; -1 where there is none.
struct SlotBases {
  int base[16][16];
};
constexpr SlotBases MakeBases() {
  SlotBases b{};
  for (auto &row : b.base)
    for (int &x : row) x = -1;
  int next = 0;
  auto add = [&](int cls, int f1, int count) {
    b.base[cls][f1] = next;
    next += count;
  };
  add(0, 0, 1);
  add(0, 1, 1);
  add(0, 2, 16);
  add(0, 3, 16);
  add(0, 4, 4);
  for (int f = 8; f <= 11; ++f) add(0, f, 16);
  add(0, 12, 4);
  add(1, 0, 1);
  add(2, 0, 16);
  add(3, 0, 16);
  for (int f = 0; f <= 11; ++f) add(4, f, 16);
  add(4, 14, 16);
  add(4, 12, 1);
  add(4, 13, 1);
  add(4, 15, 1);
  add(5, 0, 1);
  add(6, 0, 16);
  add(7, 0, 1);
  add(8, 0, 16);
  add(9, 0, 1);
  add(10, 0, 1);
  add(11, 0, 1);
  add(12, 0, 16);
  add(13, 0, 1);
  add(14, 0, 1);
  add(15, 0, 1);
  return b;
}
constexpr SlotBases kBases = MakeBases();

// Slots whose instruction takes no register: bits 8-11 must be 0.
bool g_slotWantsZeroN[SH_HANDLER_SLOTS];

struct TableInit {
  TableInit() {
    for (ShHandler &h : ShHandlerTable) h = ShUndefinedOpcode;
    auto at = [](int cls, int f1, int f2) -> ShHandler & { return ShHandlerTable[kBases.base[cls][f1] + f2]; };
    // Class 0.
    at(0, 2, 0) = at(0, 2, 1) = at(0, 2, 2) = at(0, 2, 3) = at(0, 2, 4) = Stc;
    for (int k = 8; k < 16; ++k) at(0, 2, k) = Stc;
    at(0, 3, 0) = Bsrf;
    at(0, 3, 2) = Braf;
    at(0, 4, 0) = StoreR0Indexed<1>;
    at(0, 4, 1) = StoreR0Indexed<2>;
    at(0, 4, 2) = StoreR0Indexed<4>;
    at(0, 4, 3) = MulL;
    at(0, 8, 0) = NoOperand<Clrt>;
    at(0, 8, 1) = NoOperand<Sett>;
    at(0, 8, 2) = NoOperand<Clrmac>;
    at(0, 8, 4) = NoOperand<Clrs>;
    at(0, 8, 5) = NoOperand<Sets>;
    at(0, 9, 0) = NoOperand<Nop>;
    at(0, 9, 1) = NoOperand<Div0u>;
    at(0, 9, 2) = Movt;
    at(0, 10, 0) = at(0, 10, 1) = at(0, 10, 2) = Sts;
    at(0, 11, 0) = NoOperand<Rts>;
    for (int k : {0, 1, 2, 4, 5}) g_slotWantsZeroN[kBases.base[0][8] + k] = true;
    for (int k : {0, 1}) g_slotWantsZeroN[kBases.base[0][9] + k] = true;
    g_slotWantsZeroN[kBases.base[0][11]] = true;
    at(0, 12, 0) = LoadR0Indexed<1>;
    at(0, 12, 1) = LoadR0Indexed<2>;
    at(0, 12, 2) = LoadR0Indexed<4>;
    at(0, 12, 3) = MacL;
    // Classes 1 to 3.
    at(1, 0, 0) = MovLStoreDisp;
    const ShHandler c2[16] = {StoreAtRn<1>,   StoreAtRn<2>,   StoreAtRn<4>,   ShUndefinedOpcode,
                              StorePreDec<1>, StorePreDec<2>, StorePreDec<4>, Div0s,
                              Tst,            And,            Xor,            Or,
                              CmpStr,         Xtrct,          MuluW,          MulsW};
    const ShHandler c3[16] = {CmpEq, ShUndefinedOpcode, CmpHs, CmpGe, Div1,  DmuluL, CmpHi, CmpGt,
                              Sub,   ShUndefinedOpcode, Subc,  Subv,  Add,   DmulsL, Addc,  Addv};
    const ShHandler c6[16] = {LoadAtRm<1>,    LoadAtRm<2>,    LoadAtRm<4>,    MovRR, LoadPostInc<1>,
                              LoadPostInc<2>, LoadPostInc<4>, Not,            SwapB, SwapW,
                              Negc,           Neg,            ExtuB,          ExtuW, ExtsB,
                              ExtsW};
    for (int k = 0; k < 16; ++k) {
      at(2, 0, k) = c2[k];
      at(3, 0, k) = c3[k];
      at(6, 0, k) = c6[k];
    }
    // Class 4.
    at(4, 0, 0) = Shll;
    at(4, 0, 1) = Dt;
    at(4, 0, 2) = Shll;  // SHAL shifts like SHLL
    at(4, 1, 0) = Shlr;
    at(4, 1, 1) = CmpPz;
    at(4, 1, 2) = Shar;
    at(4, 2, 0) = at(4, 2, 1) = at(4, 2, 2) = StsL;
    at(4, 6, 0) = at(4, 6, 1) = at(4, 6, 2) = LdsL;
    at(4, 10, 0) = at(4, 10, 1) = at(4, 10, 2) = Lds;
    for (int k : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15}) {
      at(4, 3, k) = StcL;
      at(4, 7, k) = LdcL;
      at(4, 14, k) = Ldc;
    }
    at(4, 4, 0) = Rotl;
    at(4, 4, 2) = Rotcl;
    at(4, 5, 0) = Rotr;
    at(4, 5, 1) = CmpPl;
    at(4, 5, 2) = Rotcr;
    at(4, 8, 0) = ShiftLeft<2>;
    at(4, 8, 1) = ShiftLeft<8>;
    at(4, 8, 2) = ShiftLeft<16>;
    at(4, 9, 0) = ShiftRight<2>;
    at(4, 9, 1) = ShiftRight<8>;
    at(4, 9, 2) = ShiftRight<16>;
    at(4, 11, 0) = Jsr;
    at(4, 11, 1) = TasB;
    at(4, 11, 2) = Jmp;
    at(4, 12, 0) = Shad;
    at(4, 13, 0) = Shld;
    at(4, 15, 0) = MacW;
    // Classes 5 and above.
    at(5, 0, 0) = MovLLoadDisp;
    at(7, 0, 0) = AddImm;
    at(8, 0, 0) = StoreR0Disp<1>;
    at(8, 0, 1) = StoreR0Disp<2>;
    at(8, 0, 4) = LoadR0Disp<1>;
    at(8, 0, 5) = LoadR0Disp<2>;
    at(8, 0, 8) = CmpEqImm;
    at(8, 0, 9) = Bt;
    at(8, 0, 11) = Bf;
    at(8, 0, 13) = Bts;
    at(8, 0, 15) = Bfs;
    at(9, 0, 0) = MovWPc;
    at(10, 0, 0) = Bra;
    at(11, 0, 0) = Bsr;
    const ShHandler c12[16] = {StoreGbr<1>,     StoreGbr<2>,     StoreGbr<4>,     ShUndefinedOpcode,
                               LoadGbr<1>,      LoadGbr<2>,      LoadGbr<4>,      Mova,
                               TstImm,          AndImm,          XorImm,          OrImm,
                               LogicByteGbr<0>, LogicByteGbr<1>, LogicByteGbr<2>, LogicByteGbr<3>};
    for (int k = 0; k < 16; ++k) at(12, 0, k) = c12[k];
    at(13, 0, 0) = MovLPc;
    at(14, 0, 0) = MovImm;
  }
};

ShImageView g_image{nullptr, 0};

// Fetches, decodes and executes the instruction at PC.
void Step() {
  const ShImageView image = ShCurrentImage();
  if (C.pc & 1 || !(C.pc >= SH_IMAGE_BASE && C.pc - SH_IMAGE_BASE < image.size &&
                    image.size - (C.pc - SH_IMAGE_BASE) >= 2)) {
    if (C.fault == SH_FAULT_NONE) {
      C.fault = SH_FAULT_FETCH;
      C.faultAddress = C.pc;
    }
    C.stop = 1;
    return;
  }
  const u32 offset = C.pc - SH_IMAGE_BASE;
  C.opcode[0] = image.bytes[offset];
  C.opcode[1] = image.bytes[offset + 1];
  ShDecode();
  ShExecute();
}

}  // namespace

ShHandler ShHandlerTable[SH_HANDLER_SLOTS];
static TableInit g_tableInit;

void ShUndefinedOpcode() { C.pc += 2; }

ShImageView ShCurrentImage() {
  if (g_image.bytes) return g_image;
  return ShImageView{ShCodeImage, ShCodeImageSize};
}

void ShUseImage(const u8 *bytes, u32 size) {
  constexpr u32 kMax = SH_IMAGE_LIMIT - SH_IMAGE_BASE;
  g_image = ShImageView{bytes, bytes ? (size < kMax ? size : kMax) : 0};
}

void ShDecode() {
  const u32 hi = C.opcode[0], lo = C.opcode[1];
  C.cls = hi >> 4;
  C.field1 = 0;
  C.field2 = 0;
  switch (C.cls) {
    case 0: {
      const u32 n = lo & 0xF;
      C.field1 = (n >= 4 && n <= 7) ? 4 : n >= 12 ? 12 : n;
      if (n == 2 || n == 3 || (n >= 8 && n <= 11)) C.field2 = lo >> 4;
      else if (n >= 4) C.field2 = lo & 3;
      break;
    }
    case 2: case 3: case 6: C.field2 = lo & 0xF; break;
    case 4: {
      C.field1 = lo & 0xF;
      if (C.field1 <= 11 || C.field1 == 14) C.field2 = lo >> 4;
      break;
    }
    case 8: case 12: C.field2 = hi & 0xF; break;
    default: break;
  }
}

u32 ShHandlerSlot() {
  const int base = kBases.base[C.cls][C.field1];
  return static_cast<u32>(base) + C.field2;
}

void ShExecute() { ShHandlerTable[ShHandlerSlot()](); }

void ShExecDelaySlot(u32 address) {
  C.savedPc = C.pc;
  C.pc = address;
  Step();
  C.pc = C.savedPc;
}

u32 ShRun(u32 entry) {
  C.r[15] = SH_STACK_TOP;
  C.pc = entry;
  C.stop = 0;
  C.callDepth = 0;
  C.fault = SH_FAULT_NONE;
  C.faultAddress = 0;
  while (C.stop == 0) {
    Step();
    if (C.pc == 4) break;
  }
  return C.fault;
}

u32 ShSlotOfOpcode(u16 opcode) {
  const ShCpu saved = C;
  C.opcode[0] = static_cast<u8>(opcode >> 8);
  C.opcode[1] = static_cast<u8>(opcode);
  ShDecode();
  const u32 slot = ShHandlerSlot();
  C = saved;
  return slot;
}

bool ShSlotIsUndefined(u32 slot) { return ShHandlerTable[slot] == ShUndefinedOpcode; }

bool ShOpcodeIsUndefined(u16 opcode) {
  const u32 slot = ShSlotOfOpcode(opcode);
  return ShSlotIsUndefined(slot) || (g_slotWantsZeroN[slot] && (opcode >> 8 & 0xF) != 0);
}
