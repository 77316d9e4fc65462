// Keys for the key reader in the tests of screens that read many keys.
//
// The key queue holds 20 entries, so keys wait in a list and go into the
// queue a few at a time: the key hook tops the queue up as each key is taken
// and, when asked, keeps the screen text as it was when each key arrived
// (before the key acts).
#pragma once
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "kernel/keyqueue.h"
#include "tests/support/screen_reader.h"
#include "ui/keys.h"

namespace keyfeed {
inline std::deque<u32> pending;
inline u32 queued = 0;
inline bool record = false;
inline std::vector<std::string> seen;

inline void TopUp() {
  while (queued < 8 && !pending.empty()) {
    KeyPost(pending.front());
    pending.pop_front();
    ++queued;
  }
}

inline u32 Hook(i32 *, i32 *) {
  if (queued > 0) --queued;
  if (record) seen.push_back(ScreenText());
  TopUp();
  return 1;
}
}  // namespace keyfeed

inline void Post(u32 code) {
  keyfeed::pending.push_back(code);
  keyfeed::TopUp();
}

inline void Press(std::initializer_list<u32> codes) {
  for (u32 c : codes) keyfeed::pending.push_back(c);
  keyfeed::TopUp();
}

inline void PressText(const char *text) {
  for (const char *p = text; *p; ++p) keyfeed::pending.push_back(static_cast<u8>(*p));
  keyfeed::TopUp();
}

// Empties the queue and the waiting keys and stops recording.
inline void ClearKeys() {
  HostClearKeyQueue();
  keyfeed::pending.clear();
  keyfeed::queued = 0;
  keyfeed::record = false;
  keyfeed::seen.clear();
}

// Installs the feeding hook (null hook removes it).
inline void StartKeyFeed() {
  ClearKeys();
  HostSetKeyHook(keyfeed::Hook);
}
inline void StopKeyFeed() {
  HostSetKeyHook(nullptr);
  ClearKeys();
}
