// Headless boot check: exercises the calculator system's foundations without
// a window and prints what it finds.
#include <cstdio>

#include "number/real.h"

int main() {
  BcdReal zero;
  RealSetZero(&zero);
  std::printf("Corvanta headless check: number core %s\n", ValErrorCode(&zero) == 0 ? "ok" : "FAILED");
  return 0;
}
