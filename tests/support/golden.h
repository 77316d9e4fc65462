// Golden text files for tests: compares a text with the file's content, or
// writes the file when CORVANTA_UPDATE_GOLDEN is set in the environment.
#pragma once
#include <gtest/gtest.h>

#include <string>

// Returns success when text equals the file at path (or the file was just
// written); on a mismatch the message shows both texts.
::testing::AssertionResult MatchesGolden(const std::string &path, const std::string &text);
