// Helpers shared by the main-memory tests.
#pragma once
#include <vector>

#include "memory/mcs_store.h"

// The whole item store area as it stands.
inline std::vector<u8> McsTestSnapshot() {
  return std::vector<u8>(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize);
}

// n bytes counting up from `first`.
inline std::vector<u8> McsTestBytes(u32 n, u8 first) {
  std::vector<u8> v(n);
  for (u32 i = 0; i < n; ++i) v[i] = static_cast<u8>(first + i);
  return v;
}

// An item's data, empty when the item does not exist.
inline std::vector<u8> McsTestItemBytes(const char *folder, const char *name) {
  u8 *data;
  u32 size;
  if (McsFindItem(folder, name, nullptr, nullptr, &data, &size)) return {};
  return std::vector<u8>(data, data + size);
}
