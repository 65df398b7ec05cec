#include "runtime/memory.h"

#include <windows.h>

namespace {
HANDLE runtimeHeap = nullptr;

HANDLE CurrentHeap() { return runtimeHeap ? runtimeHeap : GetProcessHeap(); }
}  // namespace

void* RuntimeHeapCreate() {
  if (!runtimeHeap) runtimeHeap = HeapCreate(0, 4096, 0);
  return runtimeHeap;
}

void RuntimeHeapDestroy() {
  if (runtimeHeap) HeapDestroy(runtimeHeap);
  runtimeHeap = nullptr;
}

void* RuntimeHeapHandle() { return runtimeHeap; }

void* RuntimeAlloc(std::size_t bytes) { return HeapAlloc(CurrentHeap(), HEAP_ZERO_MEMORY, bytes); }

void* RuntimeRealloc(void* block, std::size_t bytes) {
  if (!block) return RuntimeAlloc(bytes);
  // HEAP_ZERO_MEMORY on HeapReAlloc zero-fills only the bytes beyond the old size.
  return HeapReAlloc(CurrentHeap(), HEAP_ZERO_MEMORY, block, bytes);
}

void RuntimeFree(void* block) {
  if (block) HeapFree(CurrentHeap(), 0, block);
}

void RuntimeFreeWiped(void* block) {
  if (!block) return;
  HANDLE heap = CurrentHeap();
  const SIZE_T size = HeapSize(heap, 0, block);
  if (size != static_cast<SIZE_T>(-1)) SecureZeroMemory(block, size);
  HeapFree(heap, 0, block);
}
