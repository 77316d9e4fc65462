// Helpers shared by the build-time table generators of data/.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// Reports a fault of an input file (line 0: the file as a whole) and stops
// the generator, which stops the build.
[[noreturn]] inline void Fail(const std::string &file, int line, const std::string &what) {
  std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, what.c_str());
  std::exit(1);
}

// The lines of a text file, without their line ends (LF or CRLF).
inline std::vector<std::string> ReadLines(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, 0, "cannot open");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}
