// The SuperH interpreter of the number core: one CPU state, a memory bus that
// routes every emulated access to the region it belongs to, a decoder with
// its handler table, the delay-slot executor and the decimal adder device
// that the code image drives through four memory-mapped registers.
//
// Registers hold emulated 32-bit addresses only. Every region sits at a fixed
// emulated address and is recognised by range; an access that no region takes
// stops the run and leaves a fault code that the caller of ShRun receives.
// Nothing here ever touches host memory through an address held in a
// register.
//
// Runs on the calculator thread only, one routine at a time.
#pragma once
#include "kernel/types.h"

// Status register bits (this interpreter's own layout).
constexpr u32 SH_SR_T = 1u << 31;
constexpr u32 SH_SR_S = 1u << 30;
constexpr u32 SH_SR_Q = 1u << 23;
constexpr u32 SH_SR_M = 1u << 22;
// A load into SR keeps these bits (the flags and the control fields).
constexpr u32 SH_SR_LOAD_MASK = 0x0FFF0FFFu | SH_SR_T | SH_SR_S;
constexpr u32 SH_SSR_LOAD_MASK = 0x700003F3u;

// Emulated address map.
constexpr u32 SH_IMAGE_BASE = 0xA0010000u;
constexpr u32 SH_IMAGE_LIMIT = 0xA001451Cu;  // the largest image the map allows
constexpr u32 SH_RAM_BASE = 0x80302000u;
constexpr u32 SH_RAM_SIZE = 0x72u;
constexpr u32 SH_STACK_SLOTS = 512;
constexpr u32 SH_STACK_TOP = 0x7FCu;  // R15 at the start of every run
constexpr u32 SH_BCD_CONTROL = 0xA44C0010u;
constexpr u32 SH_BCD_OPERAND_A = 0xA44C0014u;
constexpr u32 SH_BCD_OPERAND_B = 0xA44C0018u;
constexpr u32 SH_BCD_RESULT = 0xA44C001Cu;
// Operand windows: window k starts at SH_WINDOW_BASE + k * SH_WINDOW_STRIDE.
constexpr u32 SH_WINDOW_BASE = 0x88000000u;
constexpr u32 SH_WINDOW_STRIDE = 0x100u;
constexpr u32 SH_WINDOW_COUNT = 5;
constexpr u32 SH_WINDOW_VARIABLE = 4;  // the integer or exponent-word variable

// Why a run stopped early (0: it returned normally).
enum ShFault : u32 {
  SH_FAULT_NONE = 0,
  SH_FAULT_BUS = 1,       // a data access that no region takes
  SH_FAULT_FETCH = 2,     // an instruction fetch outside the image or odd
  SH_FAULT_READONLY = 3,  // a write to the image or to a read-only window
};

// What an operand window shows.
enum ShWindowKind : u32 {
  SH_WINDOW_NONE = 0,
  SH_WINDOW_WORK = 1,  // a BcdWork, 12 bytes, big-endian
  SH_WINDOW_EXT = 2,   // a BcdExt, 14 bytes, big-endian
  SH_WINDOW_INT = 3,   // a host integer of 2 or 4 bytes, whole accesses only
};

struct ShWindow {
  u32 kind;
  u32 size;
  u8 *host;  // the caller's record (never reachable from a register)
  bool writable;
};

struct ShCpu {
  u32 r[16];
  u32 bank[8];
  u32 pc, pr, sr;
  u32 gbr, vbr, ssr, spc;
  u32 mach, macl;
  u32 savedPc;
  u8 opcode[2];
  u32 cls, field1, field2;
  u32 callDepth;
  u32 stop;
  ShWindow windows[SH_WINDOW_COUNT];
  u32 fault;         // ShFault of the last run
  u32 faultAddress;  // the emulated address that caused it
};

// The decimal adder device: control, operands and result registers and the
// one-bit carry latch.
struct ShBcdUnitState {
  u32 control, a, b, result;
  u32 carry;
};

extern ShCpu g_shCpu;
extern ShBcdUnitState ShBcdUnit;
extern u8 ShRamArea[SH_RAM_SIZE];
extern u32 ShStack[SH_STACK_SLOTS];
// The assembled image (number/sh/sh_image.cpp) and its size in bytes.
extern const u8 ShCodeImage[];
extern const u32 ShCodeImageSize;
// The image the interpreter runs: ShCodeImage unless a test has put a
// hand-built run of instruction words in its place (ShUseImage(nullptr, 0)
// goes back to ShCodeImage). A size beyond the image range is cut to it.
struct ShImageView {
  const u8 *bytes;
  u32 size;
};
ShImageView ShCurrentImage();
void ShUseImage(const u8 *bytes, u32 size);

using ShHandler = void (*)();
constexpr u32 SH_HANDLER_SLOTS = 406;
extern ShHandler ShHandlerTable[SH_HANDLER_SLOTS];

// Decodes the opcode in g_shCpu.opcode into class and fields.
void ShDecode();
// The handler slot the current decode selects.
u32 ShHandlerSlot();
void ShExecute();
// Runs the one instruction at `address` as the delay slot of a branch whose
// target is already in PC.
void ShExecDelaySlot(u32 address);
void ShUndefinedOpcode();
// Runs the image routine at the emulated address `entry` until it returns;
// the result is in R0. Returns the ShFault that stopped it (0 normally).
u32 ShRun(u32 entry);
// The slot an opcode decodes to (for tests and tools).
u32 ShSlotOfOpcode(u16 opcode);
bool ShSlotIsUndefined(u32 slot);
// True when the interpreter treats the opcode as undefined (its slot, or a
// register field that the instruction does not take).
bool ShOpcodeIsUndefined(u16 opcode);

// The decimal adder runs on each write to its control register.
void ShBcdUnitRun();

// The bus: `base` is the number of the register that formed the address
// (R15 reaches the stack). A failed access records the fault, stops the run
// and reads as 0.
u32 ShBusRead8(u32 address, u32 base);
u32 ShBusRead16(u32 address, u32 base);
u32 ShBusRead32(u32 address, u32 base);
void ShBusWrite8(u32 address, u32 value, u32 base);
void ShBusWrite16(u32 address, u32 value, u32 base);
void ShBusWrite32(u32 address, u32 value, u32 base);

// Clears the operand windows; sets window k to a host record.
void ShClearWindows();
void ShSetWindow(u32 k, u32 kind, void *host, u32 size, bool writable);
constexpr u32 ShWindowAddress(u32 k) { return SH_WINDOW_BASE + k * SH_WINDOW_STRIDE; }
