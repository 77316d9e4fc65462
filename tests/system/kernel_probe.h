// A probe application for the kernel's system tests: it counts its starts
// and the keys it reads, shows them on its screen and acts on a few digit
// keys, so a test can see which application runs, on which task, and whether
// it was restarted.
#pragma once
#include <atomic>

#include "kernel/apps.h"
#include "kernel/types.h"

struct ProbeState {
  std::atomic<int> starts[16];
  std::atomic<int> keys[16];
  std::atomic<int> task[16];           // task flag seen at the start
  std::atomic<int> from_menu[16];
  std::atomic<int> main_callback_task{-1};
  std::atomic<int> child_callback_task{-1};
  std::atomic<int> main_callbacks{0};
  std::atomic<int> child_callbacks{0};
  std::atomic<u32> unused_start{0};
  std::atomic<u32> unused_deep{0};
  std::atomic<u32> unused_later{0};
  std::atomic<u32> filled{0};
  std::atomic<int> strip_result{-1};
  std::atomic<u32> block[16];  // a handle-heap block taken on key 3
};

extern ProbeState g_probe;

// The probe entry. Its id is the running MAIN id, or the running CHLD id when
// it runs as the CHLD task (child ids are offset so they do not collide).
u32 ProbeAppMain(u32 from_main_menu, u16 submode);
// Puts the probe in place of every main-menu application.
void ProbeInstallEverywhere();
