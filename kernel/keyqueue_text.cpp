#include <cstring>
#include <mutex>

#include "kernel/keyqueue.h"
#include "number/real.h"

namespace {

constexpr u16 kNegativeWord = 0x5000;
constexpr u16 kMinusInfinityWord = 20481;

constexpr size_t kRealTextSize = 24;
constexpr size_t kImagTextSize = 32;

// Ans as the calculator thread published it, and the shell's texts of it.
std::mutex g_answerLock;
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

namespace {

// The texts of Ans (a value copied out of calculator memory).
void AnswerTexts(const Value *value, char *re, char *im) {
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
}

// Ans as last published; its texts are made when the shell asks for them,
// so a program storing Ans in a loop pays only for the copy.
Value g_published{};
bool g_anyPublished = false;  // no texts until the first Ans

}  // namespace

void HostPublishAnswer(const Value *value) {
  std::lock_guard lock(g_answerLock);
  g_published = *value;
  g_anyPublished = true;
}

char HostFormatAnswer(const char **realText, const char **imagText) {
  Value v;
  bool any;
  {
    std::lock_guard lock(g_answerLock);
    v = g_published;
    any = g_anyPublished;
  }
  std::memset(g_answerReal, 0, sizeof g_answerReal);
  std::memset(g_answerImag, 0, sizeof g_answerImag);
  if (any) AnswerTexts(&v, g_answerReal, g_answerImag);
  *realText = g_answerReal;
  *imagText = g_answerImag;
  return 'C';
}
