#include <cstring>
#include <mutex>

#include "kernel/keyqueue.h"
#include "number/real.h"

namespace {

constexpr u16 kNegativeWord = 0x5000;
constexpr u16 kMinusInfinityWord = 20481;

constexpr size_t kRealTextSize = 24;
constexpr size_t kImagTextSize = 32;

// The texts published on the calculator thread and the shell's copies.
std::mutex g_answerLock;
char g_publishedReal[kRealTextSize] = "";
char g_publishedImag[kImagTextSize] = "";
char g_answerReal[kRealTextSize] = "";
char g_answerImag[kImagTextSize] = "";

// The text of one part of Ans: an error value or a list or matrix header is
// told by its kind before anything is unpacked.
void PartText(const BcdReal &part, char *dst) {
  if (ValErrorCode(&part) != 0) {
    std::strcpy(dst, "ERROR");
    return;
  }
  BcdWork w;
  RealUnpack(&part, &w);
  HostValueText(&w, dst);
}

char Digit(u8 nibble) { return static_cast<char>('0' + (nibble & 0x0F)); }

}  // namespace

u32 HostValueText(const void *value, char *dst) {
  BcdWork w;
  std::memcpy(w.b, value, sizeof w.b);
  const u8 kind = w.b[0] >> 4;
  switch (kind) {
    case 15:
      std::strcpy(dst, "ERROR");
      return 1;
    case 8:
      std::strcpy(dst, "UNDEF");
      return 0;
    case 9:
      std::strcpy(dst, "TRUE");
      return 0;
    case 10:
      std::strcpy(dst, "FALSE");
      return 0;
    case 4:
      std::strcpy(dst, BcdGetWord(&w) < kMinusInfinityWord ? "INFINITY" : "-INFINITY");
      return 0;
    default:
      break;
  }
  u16 word = BcdGetWord(&w);
  if (word == 0) {
    std::strcpy(dst, "+0.00000000000000E+000");
    return 0;
  }
  char *p = dst;
  if (word >= kNegativeWord) {
    *p++ = '-';
    word = static_cast<u16>(word - kNegativeWord);
  } else {
    *p++ = '+';
  }
  *p++ = Digit(w.b[0]);
  *p++ = '.';
  for (int i = 1; i <= 7; ++i) {
    *p++ = Digit(w.b[i] >> 4);
    *p++ = Digit(w.b[i]);
  }
  *p++ = 'E';
  const int n = (word >> 12 & 0xF) * 1000 + (word >> 8 & 0xF) * 100 + (word >> 4 & 0xF) * 10 + (word & 0xF);
  int e = n - 1000;
  *p++ = e < 0 ? '-' : '+';
  if (e < 0) e = -e;
  *p++ = static_cast<char>('0' + e / 100 % 10);
  *p++ = static_cast<char>('0' + e / 10 % 10);
  *p++ = static_cast<char>('0' + e % 10);
  *p = '\0';
  return 0;
}

void HostPublishAnswer(const Value *value) {
  char re[kRealTextSize] = "", im[kImagTextSize] = "";
  const u8 head = value->re.b[0] & 0x7F;  // 0x20 a list header, 0x30 a matrix header
  if (ValErrorCode(value) != 0) {
    std::strcpy(re, "ERROR");
  } else if (head == 0x20 || head == 0x30) {
    std::strcpy(re, head == 0x20 ? "LIST" : "MATRIX");
  } else {
    CplxPair parts;
    ValSplit(value, &parts);
    PartText(parts.re, re);
    PartText(parts.im, im);
  }
  std::lock_guard lock(g_answerLock);
  std::memcpy(g_publishedReal, re, sizeof re);
  std::memcpy(g_publishedImag, im, sizeof im);
}

char HostFormatAnswer(const char **realText, const char **imagText) {
  {
    std::lock_guard lock(g_answerLock);
    std::memcpy(g_answerReal, g_publishedReal, sizeof g_answerReal);
    std::memcpy(g_answerImag, g_publishedImag, sizeof g_answerImag);
  }
  *realText = g_answerReal;
  *imagText = g_answerImag;
  return 'C';
}
