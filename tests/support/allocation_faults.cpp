#include "tests/support/allocation_faults.h"

#include <atomic>

#include "runtime/memory.h"

// The runtime heap's own entry points, compiled under these names for test programs that link
// this gate (see tests/support/CMakeLists.txt).
void* RealRuntimeAlloc(std::size_t bytes);
void* RealRuntimeRealloc(void* block, std::size_t bytes);

namespace {
std::atomic<long> successesLeft{-1};
std::atomic<std::size_t> failFromBytes{0};

bool Fails(std::size_t bytes) {
  const std::size_t limit = failFromBytes.load();
  if (limit != 0 && bytes >= limit) return true;
  long left = successesLeft.load();
  while (left >= 0) {
    if (left == 0) return true;
    if (successesLeft.compare_exchange_weak(left, left - 1)) return false;
  }
  return false;
}
}  // namespace

namespace allocfault {
void FailAfter(long successes) { successesLeft = successes < 0 ? -1 : successes; }
void FailFrom(std::size_t bytes) { failFromBytes = bytes; }
void Reset() {
  successesLeft = -1;
  failFromBytes = 0;
}
}  // namespace allocfault

void* RuntimeAlloc(std::size_t bytes) { return Fails(bytes) ? nullptr : RealRuntimeAlloc(bytes); }

void* RuntimeRealloc(void* block, std::size_t bytes) {
  return Fails(bytes) ? nullptr : RealRuntimeRealloc(block, bytes);
}
