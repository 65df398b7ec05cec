// FacilityState: each facility's process-wide state record, created zero-filled by its start-up
// step. The runtime is single-threaded, so the handle is the record itself.
#pragma once

#include <cstddef>

using FacilityInitProc = void (*)(void* record);

// A zero-filled record of `size` bytes, passed to `initialiser` (if any); null on failure.
void* FacilityStateCreate(std::size_t size, FacilityInitProc initialiser);
void* FacilityStateGet(void* state);
// Frees a state record made by FacilityStateCreate.
void FacilityStateFree(void* state);
