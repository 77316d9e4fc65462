// The bus of the SuperH interpreter: every emulated data access goes to the
// region whose address range holds it, or stops the run with a fault.
#include <cstring>

#include "number/sh/sh_cpu.h"

ShBcdUnitState ShBcdUnit;
u8 ShRamArea[SH_RAM_SIZE];
u32 ShStack[SH_STACK_SLOTS];

namespace {

void BusFault(u32 code, u32 address) {
  if (g_shCpu.fault == SH_FAULT_NONE) {
    g_shCpu.fault = code;
    g_shCpu.faultAddress = address;
  }
  g_shCpu.stop = 1;
}

// [address, address + size) lies inside [base, base + length).
bool Inside(u32 address, u32 size, u32 base, u32 length) {
  return address >= base && address - base < length && size <= length - (address - base);
}
// address lies inside [base, base + length) at all.
bool Touches(u32 address, u32 base, u32 length) { return address >= base && address - base < length; }

u32 LoadBig(const u8 *p, u32 size) {
  u32 v = 0;
  for (u32 i = 0; i < size; ++i) v = v << 8 | p[i];
  return v;
}
void StoreBig(u8 *p, u32 size, u32 v) {
  for (u32 i = size; i-- > 0; v >>= 8) p[i] = static_cast<u8>(v);
}

u32 *BcdRegister(u32 index) {
  switch (index) {
    case 0: return &ShBcdUnit.control;
    case 1: return &ShBcdUnit.a;
    case 2: return &ShBcdUnit.b;
    default: return &ShBcdUnit.result;
  }
}

// Reads a register of the adder as four big-endian bytes.
u32 BcdRead(u32 address, u32 size) {
  const u32 offset = address - SH_BCD_CONTROL;
  if ((offset & 3) + size > 4) {
    BusFault(SH_FAULT_BUS, address);
    return 0;
  }
  const u32 shift = 8 * (4 - size - (offset & 3));
  const u32 mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
  return *BcdRegister(offset / 4) >> shift & mask;
}

// Word and long writes at a register's start store the value (a word
// zero-extended); a long write to an operand first clears the control
// register, and any write to the control register runs the unit.
void BcdWrite(u32 address, u32 size, u32 value) {
  const u32 offset = address - SH_BCD_CONTROL;
  if ((offset & 3) != 0 || size == 1) return BusFault(SH_FAULT_BUS, address);
  const u32 index = offset / 4;
  if (size == 4 && (index == 1 || index == 2)) ShBcdUnit.control = 0;
  *BcdRegister(index) = size == 2 ? (value & 0xFFFFu) : value;
  if (index == 0) ShBcdUnitRun();
}

// The window that holds `address`, or nullptr.
ShWindow *WindowAt(u32 address) {
  if (address < SH_WINDOW_BASE) return nullptr;
  const u32 k = (address - SH_WINDOW_BASE) / SH_WINDOW_STRIDE;
  if (k >= SH_WINDOW_COUNT) return nullptr;
  ShWindow *w = &g_shCpu.windows[k];
  if (w->kind == SH_WINDOW_NONE || !Touches(address, ShWindowAddress(k), w->size)) return nullptr;
  return w;
}

// Checks an access to a window; integer windows take whole accesses only.
bool WindowAccessOk(const ShWindow *w, u32 address, u32 size) {
  const u32 start = address - (address - SH_WINDOW_BASE) % SH_WINDOW_STRIDE;
  if (!Inside(address, size, start, w->size)) return false;
  return w->kind != SH_WINDOW_INT || (address == start && size == w->size);
}

u32 WindowOffset(u32 address) { return (address - SH_WINDOW_BASE) % SH_WINDOW_STRIDE; }

u32 Read(u32 address, u32 size, u32 base) {
  if (base == 15) {
    if (address / 4 >= SH_STACK_SLOTS) {
      BusFault(SH_FAULT_BUS, address);
      return 0;
    }
    const u32 slot = ShStack[address / 4];
    return size == 4 ? slot : size == 2 ? (slot & 0xFFFFu) : (slot & 0xFFu);
  }
  if (const ShImageView image = ShCurrentImage(); Inside(address, size, SH_IMAGE_BASE, image.size))
    return LoadBig(image.bytes + (address - SH_IMAGE_BASE), size);
  if (Inside(address, size, SH_RAM_BASE, SH_RAM_SIZE))
    return LoadBig(ShRamArea + (address - SH_RAM_BASE), size);
  if (Touches(address, SH_BCD_CONTROL, 16)) return BcdRead(address, size);
  if (ShWindow *w = WindowAt(address); w && WindowAccessOk(w, address, size)) {
    if (w->kind != SH_WINDOW_INT) return LoadBig(w->host + WindowOffset(address), size);
    if (size == 2) {
      u16 v;
      std::memcpy(&v, w->host, 2);
      return v;
    }
    u32 v;
    std::memcpy(&v, w->host, 4);
    return v;
  }
  BusFault(SH_FAULT_BUS, address);
  return 0;
}

void Write(u32 address, u32 size, u32 value, u32 base) {
  if (base == 15) {
    if (address / 4 >= SH_STACK_SLOTS) return BusFault(SH_FAULT_BUS, address);
    u32 &slot = ShStack[address / 4];
    if (size == 4) slot = value;
    else if (size == 2) slot = (slot & 0xFFFF0000u) | (value & 0xFFFFu);
    else slot = (slot & 0xFFFFFF00u) | (value & 0xFFu);
    return;
  }
  if (Touches(address, SH_IMAGE_BASE, ShCurrentImage().size)) return BusFault(SH_FAULT_READONLY, address);
  if (Inside(address, size, SH_RAM_BASE, SH_RAM_SIZE))
    return StoreBig(ShRamArea + (address - SH_RAM_BASE), size, value);
  if (Touches(address, SH_BCD_CONTROL, 16)) return BcdWrite(address, size, value);
  if (ShWindow *w = WindowAt(address); w && WindowAccessOk(w, address, size)) {
    if (!w->writable) return BusFault(SH_FAULT_READONLY, address);
    if (w->kind != SH_WINDOW_INT) return StoreBig(w->host + WindowOffset(address), size, value);
    if (size == 2) {
      const u16 v = static_cast<u16>(value);
      std::memcpy(w->host, &v, 2);
    } else {
      std::memcpy(w->host, &value, 4);
    }
    return;
  }
  BusFault(SH_FAULT_BUS, address);
}

// Eight packed-decimal digits at their face value (a nibble of 10-15 counts
// as 10-15).
u32 FromPacked(u32 v) {
  u32 n = 0;
  for (int i = 7; i >= 0; --i) n = n * 10 + (v >> (4 * i) & 0xF);
  return n;
}
u32 ToPacked(u32 n) {
  u32 v = 0;
  for (int i = 0; i < 8; ++i, n /= 10) v |= (n % 10) << (4 * i);
  return v;
}

}  // namespace

void ShBcdUnitRun() {
  const u32 control = ShBcdUnit.control;
  const u64 a = FromPacked(ShBcdUnit.a), b = FromPacked(ShBcdUnit.b);
  const u64 carryIn = (control & 4) ? 1 : (control & 2) ? ShBcdUnit.carry : 0;
  constexpr i64 kLimit = 100000000;
  i64 r;
  u32 carry;
  if (control & 1) {
    r = static_cast<i64>(a + b + carryIn);
    carry = r >= kLimit;
    if (carry) r -= kLimit;
  } else {
    r = static_cast<i64>(a) - static_cast<i64>(b) - static_cast<i64>(carryIn);
    carry = r < 0;
    if (carry) r += kLimit;
  }
  // Nibbles of 10-15 can take a result beyond one carry's reach: the unit
  // keeps its eight low decimal digits.
  r %= kLimit;
  if (r < 0) r += kLimit;
  ShBcdUnit.result = ToPacked(static_cast<u32>(r));
  ShBcdUnit.carry = carry;
  ShBcdUnit.control = (control & ~(1u << 12)) | (carry << 12);
}

u32 ShBusRead8(u32 address, u32 base) { return Read(address, 1, base); }
u32 ShBusRead16(u32 address, u32 base) { return Read(address, 2, base); }
u32 ShBusRead32(u32 address, u32 base) { return Read(address, 4, base); }
void ShBusWrite8(u32 address, u32 value, u32 base) { Write(address, 1, value, base); }
void ShBusWrite16(u32 address, u32 value, u32 base) { Write(address, 2, value, base); }
void ShBusWrite32(u32 address, u32 value, u32 base) { Write(address, 4, value, base); }

void ShClearWindows() {
  for (ShWindow &w : g_shCpu.windows) w = ShWindow{};
}

void ShSetWindow(u32 k, u32 kind, void *host, u32 size, bool writable) {
  g_shCpu.windows[k] = ShWindow{kind, size, static_cast<u8 *>(host), writable};
}
