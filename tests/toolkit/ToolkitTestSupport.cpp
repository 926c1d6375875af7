#include "ToolkitTestSupport.h"

namespace kavrix::testing {

ToolkitTest::ToolkitTest()
    : previousHook_(SetErrorBoxHook([this](const std::string& text, const std::string& caption) {
        boxes_.push_back({text, caption});
      })) {
  app_.SetTitle("Toolkit Tests");
}

ToolkitTest::~ToolkitTest() {
  // A quit request left by a test must not end the next test's loops; a failure raised
  // meanwhile is recorded, not shown in a box nobody closes.
  app_.ProcessMessages();
  SetErrorBoxHook(std::move(previousHook_));
}

void ToolkitTest::Settle() { app_.ProcessMessages(); }

}  // namespace kavrix::testing
