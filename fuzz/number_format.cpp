// The number formatter and the display conversions on arbitrary stored
// values under arbitrary display settings, and the value operations on them:
// no text outgrows its output, and every result is a well-formed value (an
// error value for a malformed operand).
#include <cstring>

#include "fuzz/fuzz_util.h"
#include "number/frac.h"
#include "number/numconv.h"
#include "number/numtext.h"
#include "number/real.h"
#include "number/valop.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

constexpr int kGuard = 32;

struct Out {
  char text[kNumTextSize + kGuard];
  Out() { std::memset(text, 0x5A, sizeof text); }
  // Terminated inside the output, at most `chars` characters (a two-byte
  // character counts once), nothing written behind the output.
  void Check(int chars) const {
    FUZZ_CHECK(std::memchr(text, 0, kNumTextSize) != nullptr, "text not terminated");
    FUZZ_CHECK(NumTextChars(text) <= chars, "%d characters where %d fit", NumTextChars(text), chars);
    for (int i = kNumTextSize; i < kNumTextSize + kGuard; ++i) FUZZ_CHECK(text[i] == 0x5A, "write past the text");
  }
};

bool IsScalar(const Value &v) { return ValKind(&v) == kValKindScalar; }

// Each part of a value is a well-formed real.
void CheckValue(const Value &v, const char *what) {
  if (ValErrorCode(&v) != 0 || !IsScalar(v)) return;
  BcdReal re = v.re;
  re.b[0] &= 0x7F;
  FUZZ_CHECK(RealIsWellFormed(&re), "%s gives a malformed real part", what);
  if (v.re.b[0] & 0x80) FUZZ_CHECK(RealIsWellFormed(&v.im), "%s gives a malformed imaginary part", what);
}

// The value's parts are both well formed.
bool WellFormed(const Value &v) {
  if (!IsScalar(v)) return false;
  BcdReal re = v.re;
  re.b[0] &= 0x7F;
  return RealIsWellFormed(&re) && (!(v.re.b[0] & 0x80) || RealIsWellFormed(&v.im));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::Reader in(data, size);
  SetupResetAll();
  SetupSetItem(kSetupDisplay, in.Byte());
  SetupSetItem(kSetupComplexMode, in.Byte() % 3);
  SetupSetItem(kSetupAngle, in.Byte() % 3);
  static const u8 kBases[] = {0, 0, 0, 1, 7, 9, 15};
  SetupSetItem(kSetupMode, kBases[in.Byte() % sizeof kBases]);
  SetupSetItem(kSetupFracResult, in.Byte() & 1);
  Value v, w;
  in.Bytes(&v, sizeof v);
  in.Bytes(&w, sizeof w);

  // A sequence of keys on the shown value.
  for (int step = 0; step < 24 && !in.Empty(); ++step) {
    const uint8_t key = in.Byte();
    Out out;
    switch (key % 20) {
      case 0: {
        const u16 option = key / 20 % 8;
        NumToTextOpt(&v, out.text, &option);
        out.Check(kNumTextSize - 1);
        break;
      }
      case 1:
        NumFormatFracDec(&v, out.text);
        out.Check(kNumTextSize - 1);
        break;
      case 2:
        NumFormatFracForm(&v, out.text);
        out.Check(kNumTextSize - 1);
        break;
      case 3:
        NumToTextDms(&v, out.text);
        out.Check(kNumTextSize - 1);
        break;
      case 4:
        NumToTextEng(&v, out.text, key & 0x80);
        out.Check(kNumTextSize - 1);
        break;
      case 5:
        NumFormatCell6(&v, out.text);
        out.Check(6);
        NumFormatCell6Polar(&v, out.text);
        out.Check(6);
        break;
      case 6:
        NumFormatCell13(&v, out.text);
        out.Check(13);
        NumFormatCell14(&v, out.text);
        out.Check(14);
        NumFormatCell14Polar(&v, out.text);
        out.Check(14);
        break;
      case 7:
        NumFormatCell10(&v, out.text);
        out.Check(14);
        NumFormatCell10Polar(&v, out.text);
        out.Check(14);
        break;
      case 8:
        NumFormatBaseN(&v, out.text, key / 20 % 5);
        out.Check(kNumTextSize - 1);
        break;
      case 9: {
        Value r = v;
        NumFormatConverted(&r, out.text, key & 0x80);
        out.Check(kNumTextSize - 1);
        break;
      }
      default: {
        // Value operations; the result becomes the shown value.
        if (!IsScalar(v) || !IsScalar(w)) break;
        Value r;
        std::memset(&r, 0, sizeof r);
        const u16 angle = SetupGetAngle();
        switch (key % 20) {
          case 10: ValAdd(&v, &w, &r, 1); break;
          case 11: ValMul(&v, &w, &r, 1); break;
          case 12: ValDiv(&v, &w, &r, 1); break;
          case 13: ValPow(&v, &w, &r, key & 1); break;
          case 14: ValToFraction(&v, &r); break;
          case 15: ValFracToDecimal(&v, &r); break;
          case 16: ValArg(&v, &r, angle); break;
          case 17: ValAbs(&v, &r); break;
          case 18: ValSqrt(&v, &r, 1); break;
          default: ValSin(&v, &r, angle); break;
        }
        // A malformed operand gives an error value; well-formed ones give
        // well-formed results.
        const bool binary = key % 20 <= 13;
        if (!WellFormed(v) || (binary && !WellFormed(w)))
          FUZZ_CHECK(ValErrorCode(&r) != 0, "operation %d on a malformed operand gives no error", key % 20);
        CheckValue(r, "an operation");
        w = v;
        v = r;
        break;
      }
    }
  }
  return 0;
}
