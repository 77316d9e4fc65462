// Keys for the key reader in the tests of screens that read many keys.
//
// The key queue holds 20 entries, and a calculation empties it when it polls
// for the break key, so keys wait in a list and a feeder thread posts them one
// at a time, each only when the calculator waits for a key with an empty
// queue (as a user types). The key hook keeps, when asked, the screen text as
// it was when each key arrived (before the key acts).
#pragma once
#include <atomic>
#include <chrono>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace keyfeed {
inline std::mutex lock;
inline std::deque<u32> pending;
inline bool record = false;  // calculator thread only
inline std::vector<std::string> seen;
inline std::atomic<bool> running{false};
inline std::thread feeder;

inline void Feed() {
  u64 last = ~u64{0};
  while (running.load()) {
    const u64 idle = HostIdleCount();
    if (idle != last) {
      std::lock_guard g(lock);
      if (!pending.empty()) {
        KeyPost(pending.front());
        pending.pop_front();
        // The wait counts itself idle again only after it took this key.
        last = HostIdleCount();
        continue;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
}

inline u32 Hook(i32 *, i32 *) {
  if (record) seen.push_back(ScreenText());
  return 1;
}
}  // namespace keyfeed

inline void Post(u32 code) {
  std::lock_guard g(keyfeed::lock);
  keyfeed::pending.push_back(code);
}

inline void Press(std::initializer_list<u32> codes) {
  std::lock_guard g(keyfeed::lock);
  for (u32 c : codes) keyfeed::pending.push_back(c);
}

inline void PressText(const char *text) {
  std::lock_guard g(keyfeed::lock);
  for (const char *p = text; *p; ++p) keyfeed::pending.push_back(static_cast<u8>(*p));
}

// Empties the queue and the waiting keys and stops recording.
inline void ClearKeys() {
  std::lock_guard g(keyfeed::lock);
  HostClearKeyQueue();
  keyfeed::pending.clear();
  keyfeed::record = false;
  keyfeed::seen.clear();
}

// Starts the feeder and the recording hook; StopKeyFeed ends them.
inline void StartKeyFeed() {
  ClearKeys();
  HostSetKeyHook(keyfeed::Hook);
  keyfeed::running.store(true);
  keyfeed::feeder = std::thread(keyfeed::Feed);
}
// The start of a screen test: SET UP and the language at their defaults,
// the key feeder running, no function-key menus or mask, a clear screen and
// the text cursor off.
inline void StartScreenTest() {
  SetupResetAll();
  MsgSelectDefaultLanguage();
  StartKeyFeed();
  FkeyClearAll();
  FkeyClearStack();
  KeySetMenuMask(0);
  LcdClearVram();
  TextCursorOff();
}

inline void StopKeyFeed() {
  keyfeed::running.store(false);
  if (keyfeed::feeder.joinable()) keyfeed::feeder.join();
  HostSetKeyHook(nullptr);
  ClearKeys();
}
