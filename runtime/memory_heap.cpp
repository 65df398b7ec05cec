#include "runtime/memory_heap.h"

#include <windows.h>

namespace {
HANDLE memoryHeap = nullptr;
}

void MemoryHeapInit() {
  if (!memoryHeap) memoryHeap = HeapCreate(0, 4096, 0);
}

void MemoryHeapEnd() {
  if (memoryHeap) HeapDestroy(memoryHeap);
  memoryHeap = nullptr;
}

void* MemoryAlloc(std::int64_t size, std::uint32_t flags) {
  if (size < 1 || !memoryHeap) return nullptr;
  return HeapAlloc(memoryHeap, (flags & MemoryNoZero) ? 0 : HEAP_ZERO_MEMORY, static_cast<SIZE_T>(size));
}

void MemoryFree(void* block) {
  if (block && memoryHeap) HeapFree(memoryHeap, 0, block);
}
