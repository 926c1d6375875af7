#pragma once
// Failures are reported by exceptions with fixed texts; tests compare the texts.

#include <gtest/gtest.h>

#include <string>

namespace kavrix::testing {

// Runs `action` and returns the message of the exception of type E it raises; a
// missing exception fails the test.
template <typename E, typename F>
std::string MessageOf(F action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no exception of the expected type";
  return {};
}

}  // namespace kavrix::testing
