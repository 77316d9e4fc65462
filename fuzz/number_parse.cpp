// The number parser: any text NumParse takes gives a well-formed stored real,
// the same bytes whatever the stack held, and texts that fit their buffers
// when it is formatted and turned into input tokens again.
#include <cstring>
#include <initializer_list>
#include <string>

#include "fuzz/fuzz_util.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/real.h"
#include "ui/setup.h"

namespace {

// Leaves a pattern on the stack below the caller, so that a byte the parser
// forgets to write differs between two runs.
[[gnu::noinline]] void SoilStack(uint8_t pattern) {
  volatile uint8_t junk[4096];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = pattern;
}

BcdReal ParseWith(const char *text, uint8_t pattern) {
  SoilStack(pattern);
  BcdReal x;
  std::memset(&x, pattern, sizeof x);
  NumParse(text, &x);
  return x;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::Reader in(data, size);
  const uint8_t display = in.Byte();
  size_t n;
  const uint8_t *bytes = in.Take(80, &n);
  const std::string text(reinterpret_cast<const char *>(bytes), n);  // ends at its first zero byte

  const BcdReal a = ParseWith(text.c_str(), 0x00);
  const BcdReal b = ParseWith(text.c_str(), 0xA5);
  FUZZ_CHECK(std::memcmp(a.b, b.b, 9) == 0, "the parse of \"%s\" depends on what the stack held", text.c_str());
  FUZZ_CHECK(RealIsWellFormed(&a), "\"%s\" parses to a malformed real", text.c_str());

  // The fraction reader and the text of the value.
  BcdReal f;
  RealSetZero(&f);
  NumFracFromText(text.c_str(), &f);
  FUZZ_CHECK(RealIsWellFormed(&f), "the fraction of \"%s\" is malformed", text.c_str());

  SetupResetAll();
  SetupSetItem(kSetupDisplay, display);
  for (const BcdReal *x : {&a, static_cast<const BcdReal *>(&f)}) {
    Value v;
    std::memset(&v, 0, sizeof v);
    v.re = *x;
    char out[kNumTextSize + 16];
    std::memset(out, 0x5A, sizeof out);
    NumToText(&v, out);
    FUZZ_CHECK(std::strlen(out) < static_cast<size_t>(kNumTextSize), "text too long");
    for (int i = kNumTextSize; i < kNumTextSize + 16; ++i) FUZZ_CHECK(out[i] == 0x5A, "write past the text");
    u8 tokens[22 + 8];
    std::memset(tokens, 0x5A, sizeof tokens);
    NumRealToTokens(x, tokens);
    FUZZ_CHECK(std::memchr(tokens, 0, 22) != nullptr, "tokens not terminated");
    for (int i = 22; i < 30; ++i) FUZZ_CHECK(tokens[i] == 0x5A, "write past the tokens");
  }
  return 0;
}
