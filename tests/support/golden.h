// Golden text files for tests: compares a text with the file's content, or
// writes the file when CORVANTA_UPDATE_GOLDEN is set in the environment.
#pragma once
#include <gtest/gtest.h>

#include <string>

// Returns success when text equals the file at path (or the file was just
// written); on a mismatch the message shows both texts.
::testing::AssertionResult MatchesGolden(const std::string &path, const std::string &text);

// The file `name` of the "golden" folder beside the source file `file`
// (pass __FILE__). The compiler may name the source relative to the build
// folder while a system test runs two folders below it; both are found.
std::string GoldenBeside(const std::string &file, const std::string &name);
