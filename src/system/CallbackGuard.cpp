#include "system/CallbackGuard.h"

namespace kavrix {
namespace {

thread_local std::exception_ptr keptException;

}  // namespace

void KeepCallbackException(std::exception_ptr exception) noexcept {
  if (!keptException) keptException = std::move(exception);
}

void RethrowCallbackException() {
  if (std::exception_ptr exception = std::exchange(keptException, nullptr)) std::rethrow_exception(exception);
}

}  // namespace kavrix
