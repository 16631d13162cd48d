// Every form of operator new and delete that the programs use, over malloc
// and free as the library's own are, so that each allocation is counted.
#include "allocation_seam.h"

#include <stdlib.h>

#include <atomic>
#include <new>

namespace {

// Constant-initialised: allocations begin before any constructor runs.
std::atomic<unsigned long> count{0};
std::atomic<unsigned long> failing{0};  // the number to fail; 0: none

void* Allocate(size_t size) {
  const unsigned long number = ++count;
  if (number == failing.load()) return nullptr;
  return malloc(size != 0 ? size : 1);
}

void* AllocateOrThrow(size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

namespace seams {

unsigned long AllocationCount() { return count.load(); }

void FailAllocation(unsigned long n) {
  failing.store(n == 0 ? 0 : count.load() + n);
}

}  // namespace seams

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept {
  free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  free(block);
}
