#pragma once
// The one way a fuzz target reports a broken property: a message naming it, then a
// crash, which libFuzzer records with its input and the replay build as a failed test.

#include <cstdio>
#include <cstdlib>

namespace kavrix::fuzz {

[[noreturn]] inline void Violation(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::fflush(stderr);
#ifdef _WIN32
  // Under Wine a trap starts the debugger, which stalls the replay test for minutes;
  // the replay has already named the input, so a failing exit says all there is.
  std::_Exit(3);
#else
  __builtin_trap();
#endif
}

inline void Check(bool holds, const char* what) {
  if (!holds) Violation(what);
}

}  // namespace kavrix::fuzz
