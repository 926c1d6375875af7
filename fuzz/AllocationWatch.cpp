#include "AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace kavrix::fuzz {
namespace {

// Atomic because libFuzzer's memory watchdog thread may allocate at any time; what it
// asks for is small and only ever adds to the measure.
std::atomic<int> watching{0};
std::atomic<size_t> largest{0};

void* Allocate(size_t size) {
  if (watching.load(std::memory_order_relaxed) > 0) {
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {}
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

AllocationWatch::AllocationWatch() noexcept {
  largest.store(0);
  watching.store(1);
}

AllocationWatch::~AllocationWatch() { watching.store(0); }

size_t AllocationWatch::Largest() const noexcept { return largest.load(); }

AllocationWatch::Pause::Pause() noexcept { watching.fetch_sub(1); }

AllocationWatch::Pause::~Pause() { watching.fetch_add(1); }

}  // namespace kavrix::fuzz

// Every form the program may call, so no allocation of the sanitizer runtime or the
// standard library is ever released by the other side.
void* operator new(size_t size) {
  if (void* block = kavrix::fuzz::Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return kavrix::fuzz::Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return kavrix::fuzz::Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
