// The runtime heap: every table, record, pool, state record and list entry of the runtime is
// taken from it. On Windows it is the private heap the entry procedure creates first of all
// (HeapCreate(0, 4096, 0)); before that, and in the Linux build, the C heap serves instead.
#pragma once

#include <cstddef>

// Creates the runtime heap; returns its native handle (a HANDLE on Windows), or null.
void* RuntimeHeapCreate();
// Destroys the runtime heap and every block still in it.
void RuntimeHeapDestroy();
// The native handle of the runtime heap, or null while none exists.
void* RuntimeHeapHandle();

// A zero-filled block of `bytes` bytes, or null.
void* RuntimeAlloc(std::size_t bytes);
// Resizes a block, zero-filling any bytes it gains; null (and the block untouched) on failure.
void* RuntimeRealloc(void* block, std::size_t bytes);
// Frees a block; null is ignored.
void RuntimeFree(void* block);
// Frees a block that held a secret (a password, in clear or scrambled) after overwriting all of
// it, as allocated, with zeros that the compiler may not leave out as dead stores
// (SecureZeroMemory on Windows): a freed block keeps its bytes for whoever reads the heap next.
// Null is ignored.
void RuntimeFreeWiped(void* block);
