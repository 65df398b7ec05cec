// MemoryHeap: a second private heap for the graphics support's buffers, created by its start-up
// step and destroyed by its teardown step.
#pragma once

#include <cstdint>

constexpr std::uint32_t MemoryNoZero = 1;  // MemoryAlloc flag: leave the block uninitialised

void MemoryHeapInit();
void MemoryHeapEnd();
// Null for a size below 1; otherwise a block, zero-filled unless MemoryNoZero is set.
void* MemoryAlloc(std::int64_t size, std::uint32_t flags);
void MemoryFree(void* block);
