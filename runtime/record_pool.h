// RecordPool: a fixed-size record allocator for many small records (the queued events). Items
// come from blocks whose capacity grows with the pool (a sixteenth of the pool's total capacity,
// in multiples of 16, between a minimum and a maximum per block); a block is freed as soon as
// every item it handed out is back. Takes no lock.
#pragma once

#include <cstdint>

struct PoolBlock {
  PoolBlock* next;
  PoolBlock* previous;
  void* freeList;          // items handed back, linked through their headers
  std::uint32_t capacity;  // items in the block
  std::uint32_t used;      // items ever handed out from the fresh area
  std::uint32_t freeCount; // items on the free list
};

struct RecordPool {
  PoolBlock* fullBlocks;
  PoolBlock* partialBlocks;  // new items come from the first one
  std::int64_t totalItems;
  std::int64_t itemSize;     // record size + 8-byte item header, a multiple of 8
  std::uint32_t minimumPerBlock;
  std::uint32_t maximumPerBlock;
  std::uint32_t flags;
};

RecordPool* PoolCreate(std::int64_t recordSize, std::uint32_t minimumPerBlock, std::uint32_t maximumPerBlock,
                       std::uint32_t flags);
void* PoolAlloc(RecordPool* pool);
void* PoolAllocZeroed(RecordPool* pool);
void PoolFree(RecordPool* pool, void* record);
void PoolReset(RecordPool* pool);
void PoolDestroy(RecordPool* pool);
