#pragma once
// Measures the largest single block the code under test asks operator new for, so a
// target can hold a reader to allocating no more than its input can fill: a length
// field read from damaged data must be checked against the data before it becomes an
// allocation size. Linking AllocationWatch.cpp replaces the global operator new and
// delete of the program (with malloc and free, which the sanitizers still check).

#include <cstddef>

namespace kavrix::fuzz {

// Watches from construction on; watches do not nest.
class AllocationWatch {
 public:
  AllocationWatch() noexcept;
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  // The largest single request so far, in bytes.
  size_t Largest() const noexcept;

  // Not counted while one is alive: the target's own bookkeeping inside callbacks.
  class Pause {
   public:
    Pause() noexcept;
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;
  };
};

}  // namespace kavrix::fuzz
