#include <gtest/gtest.h>

#include <stdexcept>

#include "SystemTestSupport.h"
#include "system/CallbackGuard.h"
#include "system/Win32Handles.h"

namespace kavrix {
namespace {

using testing::ProcessHandleCount;

UniqueHandle NewEvent() { return UniqueHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr)); }

TEST(Win32Handles, MovedGuardsReleaseTheirHandleExactlyOnce) {
  const unsigned before = ProcessHandleCount();
  {
    UniqueHandle first = NewEvent();
    ASSERT_TRUE(first);
    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    UniqueHandle third = NewEvent();
    third = std::move(second);  // the event third held is closed here
    EXPECT_EQ(ProcessHandleCount(), before + 1);
    UniqueHandle& alias = third;
    third = std::move(alias);
    EXPECT_TRUE(third) << "self-assignment must keep the handle";
    UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS)
        << "Put releases the key it held";
    EXPECT_EQ(ProcessHandleCount(), before + 2);
    const HANDLE released = third.Release();
    EXPECT_FALSE(third);
    ::CloseHandle(released);
  }
  EXPECT_EQ(ProcessHandleCount(), before);
}

TEST(CallbackGuard, KeepsTheFirstExceptionForThePump) {
  EXPECT_EQ(GuardCallback(-1, [] { return 7; }), 7);
  EXPECT_EQ(GuardCallback(-1, []() -> int { throw std::runtime_error("first"); }), -1);
  EXPECT_EQ(GuardCallback(-2, []() -> int { throw std::logic_error("second"); }), -2);
  try {
    RethrowCallbackException();
    ADD_FAILURE() << "nothing was rethrown";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "first");
  }
  EXPECT_NO_THROW(RethrowCallbackException()) << "a rethrown exception is forgotten";
}

}  // namespace
}  // namespace kavrix
