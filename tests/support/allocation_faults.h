// Allocation faults for tests: a test program linked with the rebootpc_allocation_faults object
// library gets the runtime heap's RuntimeAlloc and RuntimeRealloc through this gate, which can
// make them fail. Linked in place of the runtime heap's own entry points (the archive member
// that defines them is then never pulled in), so the shipping program carries none of it.
#pragma once

#include <cstddef>

namespace allocfault {

// From now on `successes` more allocations succeed, then every one fails (negative: no limit).
void FailAfter(long successes);
// Allocations of at least `bytes` bytes fail (0: no limit by size).
void FailFrom(std::size_t bytes);
// Both limits off again.
void Reset();

// Sets the limits for one scope, resetting them when it ends.
class Scope {
 public:
  Scope() = default;
  ~Scope() { Reset(); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
};

}  // namespace allocfault
