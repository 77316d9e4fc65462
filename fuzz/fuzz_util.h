// Helpers of the fuzz targets: a reader that takes bytes off the front of an
// input, and the check that stops the run on a broken rule.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

// Stops the run (libFuzzer then keeps the input) when a rule is broken.
#define FUZZ_CHECK(cond, ...)                                        \
  do {                                                               \
    if (!(cond)) {                                                   \
      std::fprintf(stderr, "%s:%d: %s: ", __FILE__, __LINE__, #cond); \
      std::fprintf(stderr, __VA_ARGS__);                             \
      std::fprintf(stderr, "\n");                                    \
      std::abort();                                                  \
    }                                                                \
  } while (0)

// Takes bytes off the front of the input; past its end every read gives 0.
class Reader {
 public:
  Reader(const uint8_t *data, size_t size) : p_(data), left_(size) {}
  bool Empty() const { return left_ == 0; }
  size_t Left() const { return left_; }
  uint8_t Byte() {
    if (left_ == 0) return 0;
    --left_;
    return *p_++;
  }
  uint16_t Word() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
  uint32_t Long() { return static_cast<uint32_t>(Word()) << 16 | Word(); }
  // Copies n bytes (zeros past the end of the input).
  void Bytes(void *dst, size_t n) {
    uint8_t *d = static_cast<uint8_t *>(dst);
    const size_t k = n < left_ ? n : left_;
    if (k) std::memcpy(d, p_, k);
    if (n > k) std::memset(d + k, 0, n - k);
    p_ += k;
    left_ -= k;
  }
  // Up to n bytes as they stand in the input (fewer at its end).
  const uint8_t *Take(size_t n, size_t *got) {
    *got = n < left_ ? n : left_;
    const uint8_t *at = p_;
    p_ += *got;
    left_ -= *got;
    return at;
  }

 private:
  const uint8_t *p_;
  size_t left_;
};

}  // namespace fuzz
