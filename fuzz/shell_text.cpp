// The shell's text formats: lines of key logs and replay scripts, and the
// answer texts of Ans. A line the parser takes as a key, character or letter
// is written back by the key-log writer as a line that parses to the same;
// an answer text fits its buffer whatever the working form holds.
#include <cstring>
#include <string>

#include "fuzz/fuzz_util.h"
#include "kernel/keyqueue.h"
#include "shell/tools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::Reader in(data, size);
  u8 work[12];
  in.Bytes(work, sizeof work);
  char answer[24 + 16];
  std::memset(answer, 0x5A, sizeof answer);
  HostValueText(work, answer);
  FUZZ_CHECK(std::memchr(answer, 0, 24) != nullptr, "answer text longer than its buffer");
  for (size_t i = 24; i < sizeof answer; ++i) FUZZ_CHECK(answer[i] == 0x5A, "write past the answer text");

  size_t n;
  const u8 *bytes = in.Take(4096, &n);
  const std::string text(reinterpret_cast<const char *>(bytes), n);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const ScriptLine got = ScriptParseLine(line);
    if (got.op == kOpKey || got.op == kOpChar || got.op == kOpLetter) {
      const std::string again = ScriptKeyLine(got.key, got.code, got.letter);
      if (!again.empty()) {
        const ScriptLine back = ScriptParseLine(again);
        FUZZ_CHECK(back.op == got.op && back.key == got.key && back.code == got.code && back.letter == got.letter,
                   "\"%s\" writes back as \"%s\"", line.c_str(), again.c_str());
      }
    }
    start = end + 1;
  }
  return 0;
}
