#include "ToolkitTestSupport.h"

namespace kavrix::testing {

ToolkitTest::ToolkitTest()
    : previousHook_(SetErrorBoxHook([this](const std::string& text, const std::string& caption) {
        boxes_.push_back({text, caption});
      })) {
  app_.SetTitle("Toolkit Tests");
}

ToolkitTest::~ToolkitTest() {
  SetErrorBoxHook(std::move(previousHook_));
  // A quit request left by a test must not end the next test's loops.
  app_.ProcessMessages();
}

void ToolkitTest::Settle() { app_.ProcessMessages(); }

}  // namespace kavrix::testing
