#pragma once
// A fresh application per test whose error boxes are recorded instead of shown.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ErrorBox.h"
#include "toolkit/Application.h"

namespace kavrix::testing {

class ToolkitTest : public ::testing::Test {
 protected:
  ToolkitTest();
  ~ToolkitTest() override;

  // Handles what is queued, so windows have painted and settled.
  void Settle();

  struct Box {
    std::string text;
    std::string caption;
  };
  std::vector<Box> boxes_;
  TApplication app_;

 private:
  TErrorBoxHook previousHook_;
};

}  // namespace kavrix::testing
