#include "runtime/memory_heap.h"

#include <gtest/gtest.h>

#include "runtime/facility_state.h"

namespace {

TEST(MemoryHeap, SizesBelowOneGiveNullOthersAreZeroFilledUnlessAsked) {
  MemoryHeapInit();
  EXPECT_EQ(MemoryAlloc(0, 0), nullptr);
  EXPECT_EQ(MemoryAlloc(-5, 0), nullptr);
  auto* zeroed = static_cast<unsigned char*>(MemoryAlloc(4096, 0));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(zeroed[i], 0) << "byte " << i;
  void* raw = MemoryAlloc(64, MemoryNoZero);
  EXPECT_NE(raw, nullptr);
  MemoryFree(raw);
  MemoryFree(zeroed);
  MemoryHeapEnd();
  EXPECT_EQ(MemoryAlloc(16, 0), nullptr) << "no heap after its teardown step";
  MemoryFree(nullptr);
}

struct Counter {
  int initialised;
  int padding[15];
};

TEST(FacilityState, RecordIsZeroFilledThenInitialisedOnce) {
  static int calls = 0;
  void* state = FacilityStateCreate(sizeof(Counter), [](void* record) {
    ++calls;
    auto* counter = static_cast<Counter*>(record);
    EXPECT_EQ(counter->padding[14], 0);
    counter->initialised = 1;
  });
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(static_cast<Counter*>(FacilityStateGet(state))->initialised, 1);
  EXPECT_EQ(FacilityStateGet(state), FacilityStateGet(state));
  FacilityStateFree(state);
}

}  // namespace
