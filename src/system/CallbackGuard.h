#pragma once
// Exceptions cannot unwind through Win32 frames (window procedures and other callbacks
// the system calls): on i686 the unwinder does not cross them. A callback therefore runs
// its body through GuardCallback, which keeps an escaping exception for the thread; every
// message pump calls RethrowCallbackException after DispatchMessage, so the exception
// continues on the pump's own frames as if the callback had thrown there.

#include <exception>
#include <utility>

namespace kavrix {

// Keeps `exception` for the calling thread. While one is kept, later ones are dropped:
// the first failure is the one the pump reports.
void KeepCallbackException(std::exception_ptr exception) noexcept;

// Rethrows the exception kept for the calling thread, if any, and forgets it.
void RethrowCallbackException();

// Runs `body` and returns its result; if it throws, keeps the exception and returns
// `failureResult` to the system instead.
template <typename R, typename F>
R GuardCallback(R failureResult, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    KeepCallbackException(std::current_exception());
    return failureResult;
  }
}

}  // namespace kavrix
