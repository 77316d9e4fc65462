// The comparison benchmarks' runner of a Python snippet: the snippet prints
// the seconds one of its operations took.
#pragma once
#include <cstdio>
#include <string>

// Seconds the snippet printed, or -1 when /usr/bin/python3 (with mpmath)
// could not run it.
inline double BenchPythonSeconds(const std::string &code) {
  const std::string cmd = "/usr/bin/python3 -c '" + code + "' 2>/dev/null";
  FILE *p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  double s = -1;
  if (std::fscanf(p, "%lf", &s) != 1) s = -1;
  pclose(p);
  return s;
}
