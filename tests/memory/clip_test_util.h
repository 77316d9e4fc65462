// Helpers shared by the tests of the calculator's clipboard items.
#pragma once
#include <string>
#include <vector>

#include "kernel/host.h"
#include "tests/memory/mcs_test_util.h"

// The bytes of a clipboard item of "@REV2", empty when it does not exist.
inline std::vector<u8> ClipTestItem(const char *name) { return McsTestItemBytes("@REV2", name); }

// A text as a clipboard item holds it: zeros after it up to size bytes.
inline std::vector<u8> ClipTestPadded(const std::string &text, size_t size) {
  std::vector<u8> v(text.begin(), text.end());
  v.resize(size, 0);
  return v;
}

// The host clipboard's text.
inline std::string ClipTestPcClipboard() {
  char buf[1024];
  const u32 n = HostClipboardGet(buf, sizeof buf);
  return std::string(buf, n);
}
