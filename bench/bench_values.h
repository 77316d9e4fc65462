// Values for the benchmarks, built from number texts.
#pragma once
#include <cstring>

#include "number/numparse.h"
#include "number/value.h"

// A real, or a complex value when im is given (a zero im gives a real).
inline Value BenchValue(const char *re, const char *im = nullptr) {
  Value v;
  std::memset(&v, 0, sizeof v);
  NumParse(re, &v.re);
  if (im) {
    BcdReal i;
    RealSetZero(&i);
    NumParse(im, &i);
    ValFromParts(&v.re, &i, &v);
  }
  return v;
}
