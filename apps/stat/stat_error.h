// The calculator's error codes the statistics application raises, carried
// in results and error values and shown by the error box under their
// messages.
#pragma once
#include "kernel/types.h"

inline constexpr i32 kStatErrBreak = 1;
inline constexpr i32 kStatErrSyntax = 2;
inline constexpr i32 kStatErrMa = 3;
inline constexpr i32 kStatErrMemory = 4;
inline constexpr i32 kStatErrArgument = 8;
inline constexpr i32 kStatErrDimension = 9;
inline constexpr i32 kStatErrNonReal = 17;
inline constexpr i32 kStatErrSystem = 23;
inline constexpr i32 kStatErrComplexList = 25;    // a complex number in a list
inline constexpr i32 kStatErrComplexMatrix = 26;  // a complex number in a matrix
inline constexpr i32 kStatErrRange = 28;
inline constexpr i32 kStatErrCondition = 30;
inline constexpr i32 kStatErrNoCondition = 48;    // no histogram window to start from
