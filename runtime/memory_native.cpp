#include "runtime/memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Each block carries its size ahead of it so that a reallocation can zero the bytes it gains,
// as HEAP_ZERO_MEMORY does on Windows.
namespace {
constexpr std::size_t kHeader = 16;

std::size_t& SizeOf(void* block) { return *reinterpret_cast<std::size_t*>(static_cast<char*>(block) - kHeader); }
}  // namespace

void* RuntimeHeapCreate() { return nullptr; }
void RuntimeHeapDestroy() {}
void* RuntimeHeapHandle() { return nullptr; }

void* RuntimeAlloc(std::size_t bytes) {
  if (bytes > SIZE_MAX - kHeader) return nullptr;
  char* raw = static_cast<char*>(std::calloc(1, bytes + kHeader));
  if (!raw) return nullptr;
  *reinterpret_cast<std::size_t*>(raw) = bytes;
  return raw + kHeader;
}

void* RuntimeRealloc(void* block, std::size_t bytes) {
  if (!block) return RuntimeAlloc(bytes);
  if (bytes > SIZE_MAX - kHeader) return nullptr;
  const std::size_t old = SizeOf(block);
  char* raw = static_cast<char*>(std::realloc(static_cast<char*>(block) - kHeader, bytes + kHeader));
  if (!raw) return nullptr;
  *reinterpret_cast<std::size_t*>(raw) = bytes;
  if (bytes > old) std::memset(raw + kHeader + old, 0, bytes - old);
  return raw + kHeader;
}

void RuntimeFree(void* block) {
  if (block) std::free(static_cast<char*>(block) - kHeader);
}

void RuntimeFreeWiped(void* block) {
  if (!block) return;
  // Stored through a volatile pointer, so the compiler cannot drop the zeros as dead stores
  // before the free (this file is built on any platform, so no explicit_bzero).
  volatile unsigned char* bytes = static_cast<unsigned char*>(block);
  const std::size_t size = SizeOf(block);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
  RuntimeFree(block);
}
