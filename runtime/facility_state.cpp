#include "runtime/facility_state.h"

#include "runtime/memory.h"

void* FacilityStateCreate(std::size_t size, FacilityInitProc initialiser) {
  void* record = RuntimeAlloc(size ? size : 1);
  if (record && initialiser) initialiser(record);
  return record;
}

void* FacilityStateGet(void* state) { return state; }

void FacilityStateFree(void* state) { RuntimeFree(state); }
