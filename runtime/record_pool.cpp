#include "runtime/record_pool.h"

#include <cstring>

#include "runtime/memory.h"

namespace {

constexpr std::int64_t kItemHeader = 8;

char* FirstItem(PoolBlock* block) { return reinterpret_cast<char*>(block + 1); }

void Unlink(PoolBlock** list, PoolBlock* block) {
  if (block->previous) {
    block->previous->next = block->next;
  } else {
    *list = block->next;
  }
  if (block->next) block->next->previous = block->previous;
  block->next = block->previous = nullptr;
}

void PushFront(PoolBlock** list, PoolBlock* block) {
  block->previous = nullptr;
  block->next = *list;
  if (*list) (*list)->previous = block;
  *list = block;
}

bool IsFull(const PoolBlock* block) { return block->freeCount == 0 && block->used >= block->capacity; }

PoolBlock* NewBlock(RecordPool* pool, std::uint32_t items) {
  const std::int64_t bytes = static_cast<std::int64_t>(sizeof(PoolBlock)) + pool->itemSize * items;
  auto* block = static_cast<PoolBlock*>(RuntimeAlloc(static_cast<std::size_t>(bytes)));
  if (block) block->capacity = items;
  return block;
}

void* HandOut(PoolBlock* block, char* item) {
  // An item's header holds the address of its block: the pointer's own bytes are copied.
  std::memcpy(item, &block, sizeof block);  // NOLINT(bugprone-sizeof-expression)
  return item + kItemHeader;
}

void FreeList(PoolBlock* block) {
  while (block) {
    PoolBlock* next = block->next;
    RuntimeFree(block);
    block = next;
  }
}

}  // namespace

RecordPool* PoolCreate(std::int64_t recordSize, std::uint32_t minimumPerBlock, std::uint32_t maximumPerBlock,
                       std::uint32_t flags) {
  if (recordSize < 0) return nullptr;
  auto* pool = static_cast<RecordPool*>(RuntimeAlloc(sizeof(RecordPool)));
  if (!pool) return nullptr;
  pool->itemSize = (recordSize + kItemHeader + 7) / 8 * 8;
  pool->minimumPerBlock = minimumPerBlock ? minimumPerBlock : 1;
  pool->maximumPerBlock = maximumPerBlock < pool->minimumPerBlock ? pool->minimumPerBlock : maximumPerBlock;
  pool->flags = flags;
  return pool;
}

void* PoolAlloc(RecordPool* pool) {
  if (!pool) return nullptr;
  if (PoolBlock* block = pool->partialBlocks) {
    char* item = nullptr;
    if (block->freeCount > 0) {
      item = static_cast<char*>(block->freeList);
      std::memcpy(&block->freeList, item, sizeof block->freeList);
      --block->freeCount;
    } else {
      item = FirstItem(block) + pool->itemSize * block->used;
      ++block->used;
    }
    if (IsFull(block)) {
      Unlink(&pool->partialBlocks, block);
      PushFront(&pool->fullBlocks, block);
    }
    return HandOut(block, item);
  }

  std::int64_t items = pool->minimumPerBlock;
  const std::int64_t grown = pool->totalItems / 16 / 16 * 16;
  if (grown >= pool->minimumPerBlock) items = grown < pool->maximumPerBlock ? grown : pool->maximumPerBlock;
  PoolBlock* block = NewBlock(pool, static_cast<std::uint32_t>(items));
  if (!block) block = NewBlock(pool, 1);
  if (!block) return nullptr;
  pool->totalItems += block->capacity;
  block->used = 1;
  PushFront(block->capacity > 1 ? &pool->partialBlocks : &pool->fullBlocks, block);
  return HandOut(block, FirstItem(block));
}

void* PoolAllocZeroed(RecordPool* pool) {
  void* record = PoolAlloc(pool);
  if (record) std::memset(record, 0, static_cast<std::size_t>(pool->itemSize - kItemHeader));
  return record;
}

void PoolFree(RecordPool* pool, void* record) {
  if (!pool || !record) return;
  char* item = static_cast<char*>(record) - kItemHeader;
  PoolBlock* block = nullptr;
  std::memcpy(&block, item, sizeof block);  // NOLINT(bugprone-sizeof-expression)
  const bool wasFull = IsFull(block);
  std::memcpy(item, &block->freeList, sizeof block->freeList);
  block->freeList = item;
  ++block->freeCount;
  if (block->freeCount == block->used) {
    Unlink(wasFull ? &pool->fullBlocks : &pool->partialBlocks, block);
    pool->totalItems -= block->capacity;
    RuntimeFree(block);
  } else if (wasFull) {
    Unlink(&pool->fullBlocks, block);
    PushFront(&pool->partialBlocks, block);
  }
}

void PoolReset(RecordPool* pool) {
  if (!pool) return;
  FreeList(pool->fullBlocks);
  FreeList(pool->partialBlocks);
  pool->fullBlocks = pool->partialBlocks = nullptr;
  pool->totalItems = 0;
}

void PoolDestroy(RecordPool* pool) {
  if (!pool) return;
  PoolReset(pool);
  RuntimeFree(pool);
}
