#include "ui/setup.h"

#include <array>

namespace {

std::array<u8, kSetupItemCount> g_setup{};

// Default values of the items. Every setting whose first choice is 0 starts
// at 0: Angle Deg, Mode Comp, Func Type Y=, Draw Type Connect, Derivative,
// Coord, Grid, Axes, Label, Simul Graph, Locus and Sum display On, Stat Wind
// Auto, Graph Func On, Background and Resid List none,
// Complex Mode Real, Dual Screen Off (3: a fresh graph is one whole screen), Display Norm 1, Variable Range, Sketch Line normal,
// Y=Draw Speed Norm, Payment Bgn, Date Mode 365, Auto Calc On, Show Cell
// formula, Move down, Sub Name shown, Input Mode natural, Frac Result d/c,
// cable USB, wakeup On, image set Auto, no key modifier, and the working
// bytes (random generator, evaluator and display state) clear.
constexpr std::array<u8, kSetupItemCount> MakeDefaults() {
  std::array<u8, kSetupItemCount> d{};
  d[kSetupInsertMode] = 2;  // insert
  d[kSetupListFile] = 1;    // list file 1 (0 would name no file)
  d[kSetupDualScreen] = 3;  // Off; 0 would split every graph screen
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
