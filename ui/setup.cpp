#include "ui/setup.h"

#include <array>

namespace {

std::array<u8, kSetupItemCount> g_setup{};

// Default values of the items; items not listed default to 0.
constexpr std::array<u8, kSetupItemCount> MakeDefaults() {
  std::array<u8, kSetupItemCount> d{};
  return d;
}

constexpr std::array<u8, kSetupItemCount> kDefaults = MakeDefaults();

}  // namespace

u8 SetupGetByte(u8 n) { return n < kSetupItemCount ? g_setup[n] : 0; }

void SetupSetByte(u8 n, u8 value) {
  if (n < kSetupItemCount) g_setup[n] = value;
}

u8 SetupGetItem(u8 item) { return SetupGetByte(item); }

void SetupSetItem(u8 item, u8 value) { SetupSetByte(item, value); }

u8 *SetupItemAddress(u8 n) { return n < kSetupItemCount ? &g_setup[n] : nullptr; }

u8 SetupGetAngle() { return g_setup[kSetupAngle]; }

void SetupResetAll() { g_setup = kDefaults; }

u8 SetupDefault(u8 n) { return n < kSetupItemCount ? kDefaults[n] : 0; }
