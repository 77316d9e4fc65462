#include <atomic>
#include <cstring>
#include <thread>

#include "kernel/keyqueue.h"
#include "number/real.h"

namespace {

constexpr u16 kNegativeWord = 0x5000;
constexpr u16 kMinusInfinityWord = 20481;

constexpr size_t kRealTextSize = 24;
constexpr size_t kImagTextSize = 32;

// The shell's texts of Ans.
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

// Ans as last published, in a sequence lock: the calculator thread writes
// it on every store of Ans (a program storing Ans in a loop pays a compare or
// a few plain stores, no lock), the shell copies it out and makes its texts
// when it asks for them. The sequence is odd while a writer is inside; a
// reader that saw it change copies again. Every shared word is atomic.
std::atomic<u32> g_answerSeq{0};  // 0 until the first Ans
std::atomic<u64> g_answerWords[3] = {};
static_assert(sizeof(Value) == sizeof g_answerWords);

void LoadWords(u64 w[3]) {
  w[0] = g_answerWords[0].load(std::memory_order_relaxed);
  w[1] = g_answerWords[1].load(std::memory_order_relaxed);
  w[2] = g_answerWords[2].load(std::memory_order_relaxed);
}

}  // namespace

void HostPublishAnswer(const Value *value) {
  u64 w[3];
  std::memcpy(w, value, sizeof w);
  u32 seq = g_answerSeq.load(std::memory_order_relaxed);
  if (seq != 0 && (seq & 1) == 0) {
    // The same Ans again (a loop storing one value): nothing to publish.
    u64 old[3];
    LoadWords(old);
    if (old[0] == w[0] && old[1] == w[1] && old[2] == w[2] && g_answerSeq.load(std::memory_order_relaxed) == seq) {
      return;
    }
  }
  // Enter: make the sequence odd (a second writer waits for the first).
  while ((seq & 1) != 0 ||
         !g_answerSeq.compare_exchange_weak(seq, seq + 1, std::memory_order_acquire, std::memory_order_relaxed)) {
    seq = g_answerSeq.load(std::memory_order_relaxed);
  }
  std::atomic_thread_fence(std::memory_order_release);
  g_answerWords[0].store(w[0], std::memory_order_relaxed);
  g_answerWords[1].store(w[1], std::memory_order_relaxed);
  g_answerWords[2].store(w[2], std::memory_order_relaxed);
  g_answerSeq.store(seq + 2, std::memory_order_release);
}

char HostFormatAnswer(const char **realText, const char **imagText) {
  u64 w[3];
  u32 seq;
  for (;;) {
    seq = g_answerSeq.load(std::memory_order_acquire);
    if (seq & 1) {
      // A writer is inside: its few stores end soon.
      std::this_thread::yield();
      continue;
    }
    LoadWords(w);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (g_answerSeq.load(std::memory_order_relaxed) == seq) break;
  }
  const bool any = seq != 0;
  Value v;
  std::memcpy(&v, w, sizeof v);
  std::memset(g_answerReal, 0, sizeof g_answerReal);
  std::memset(g_answerImag, 0, sizeof g_answerImag);
  if (any) AnswerTexts(&v, g_answerReal, g_answerImag);
  *realText = g_answerReal;
  *imagText = g_answerImag;
  return 'C';
}
