// The display names of tokens (data/token_names.cpp): one table, sorted by
// code, with each name as it reads in Unicode (UTF-8).
#pragma once
#include "kernel/types.h"

struct TokenName {
  u16 code;          // one byte, or lead byte << 8 | second byte
  const char *utf8;  // the name as it reads
};

extern const TokenName kTokenNames[];
extern const int kTokenNameCount;
