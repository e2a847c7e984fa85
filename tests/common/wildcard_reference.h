// A plain reference for the search's wildcards, shared by the native, fuzz
// and Wine tests: whole-string matching with `?` and `*`, and the pattern as
// the search reads it (a `*` at either end stands for the empty run).
#pragma once
#include <cstddef>
#include <string>

// True when the whole of t[0, tn) matches p[0, pn): `?` one byte, `*` any run.
inline bool Glob(const unsigned char* t, size_t tn, const char* p, size_t pn) {
  if (pn == 0) return tn == 0;
  if (p[0] == '*') {
    for (size_t k = 0; k <= tn; ++k)
      if (Glob(t + k, tn - k, p + 1, pn - 1)) return true;
    return false;
  }
  return tn > 0 && (p[0] == '?' || p[0] == char(t[0])) && Glob(t + 1, tn - 1, p + 1, pn - 1);
}

// The pattern without the `*` at its ends, and with each run of `*` made one
// (the same meaning; it keeps Glob from taking exponential time).
inline std::string TrimmedPattern(const std::string& pattern) {
  std::string p = pattern;
  while (!p.empty() && p.front() == '*') p.erase(0, 1);
  while (!p.empty() && p.back() == '*') p.pop_back();
  std::string once;
  for (char c : p)
    if (c != '*' || once.empty() || once.back() != '*') once += c;
  return once;
}
