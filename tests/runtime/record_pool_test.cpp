#include "runtime/record_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "tests/support/allocation_faults.h"

namespace {

std::int64_t CountBlocks(const PoolBlock* block) {
  std::int64_t count = 0;
  for (; block; block = block->next) ++count;
  return count;
}

std::int64_t Capacity(const PoolBlock* block) {
  std::int64_t items = 0;
  for (; block; block = block->next) items += block->capacity;
  return items;
}

PoolBlock* BlockOf(void* record) {
  PoolBlock* block = nullptr;
  std::memcpy(&block, static_cast<char*>(record) - 8, sizeof block);
  return block;
}

struct ItemSizeCase {
  std::int64_t recordSize;
  std::int64_t itemSize;
};

TEST(RecordPool, ItemSizeIsRecordPlusHeaderRoundedToEight) {
  const ItemSizeCase cases[] = {{56, 64}, {0, 8}, {1, 16}, {8, 16}, {9, 24}, {57, 72}};
  for (const auto& c : cases) {
    RecordPool* pool = PoolCreate(c.recordSize, 16, 256, 2);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->itemSize, c.itemSize) << "record size " << c.recordSize;
    EXPECT_EQ(pool->totalItems, 0);
    PoolDestroy(pool);
  }
}

TEST(RecordPool, FirstBlockHoldsTheMinimumAndGrowsWithThePool) {
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  std::vector<void*> records;
  records.push_back(PoolAlloc(pool));
  EXPECT_EQ(BlockOf(records[0])->capacity, 16u);
  EXPECT_EQ(pool->totalItems, 16);
  // Block sizes: total / 16 rounded down to 16, at least the minimum, at most the maximum.
  std::vector<std::uint32_t> capacities{16};
  for (int i = 1; i < 20000; ++i) {
    void* record = PoolAlloc(pool);
    ASSERT_NE(record, nullptr);
    if (BlockOf(record) != BlockOf(records.back())) capacities.push_back(BlockOf(record)->capacity);
    records.push_back(record);
  }
  std::int64_t total = 0;
  for (std::uint32_t capacity : capacities) {
    std::int64_t expected = total / 16 / 16 * 16;
    if (expected < 16) expected = 16;
    if (expected > 256) expected = 256;
    EXPECT_EQ(capacity, expected) << "block after " << total << " items";
    total += capacity;
  }
  EXPECT_EQ(capacities.back(), 256u);
  EXPECT_EQ(pool->totalItems, total);
  PoolDestroy(pool);
}

TEST(RecordPool, ABlockIsFreedWhenAllItsItemsAreBack) {
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  std::vector<void*> records;
  for (int i = 0; i < 17; ++i) records.push_back(PoolAlloc(pool));
  EXPECT_EQ(CountBlocks(pool->fullBlocks), 1);
  EXPECT_EQ(CountBlocks(pool->partialBlocks), 1);
  EXPECT_EQ(pool->totalItems, 32);
  PoolFree(pool, records[3]);
  EXPECT_EQ(CountBlocks(pool->fullBlocks), 0) << "a full block with an item back becomes partial";
  EXPECT_EQ(CountBlocks(pool->partialBlocks), 2);
  void* reused = PoolAlloc(pool);
  EXPECT_EQ(reused, records[3]) << "items come from the first partial block's free list";
  records[3] = reused;
  for (int i = 0; i < 16; ++i) PoolFree(pool, records[i]);
  EXPECT_EQ(pool->totalItems, 16);
  EXPECT_EQ(CountBlocks(pool->partialBlocks) + CountBlocks(pool->fullBlocks), 1);
  PoolFree(pool, records[16]);
  EXPECT_EQ(pool->totalItems, 0);
  EXPECT_EQ(pool->partialBlocks, nullptr);
  PoolDestroy(pool);
}

TEST(RecordPool, FallsBackToOneItemBlocksWhenALargeBlockCannotBeHad) {
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  void* a;
  void* b;
  {
    const allocfault::Scope faults;
    allocfault::FailFrom(sizeof(PoolBlock) + 2 * static_cast<std::size_t>(pool->itemSize));
    a = PoolAlloc(pool);
    b = PoolAlloc(pool);
  }
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(BlockOf(a)->capacity, 1u);
  EXPECT_EQ(CountBlocks(pool->fullBlocks), 2) << "one-item blocks go to the full list";
  EXPECT_EQ(pool->totalItems, 2);
  PoolFree(pool, a);
  EXPECT_EQ(CountBlocks(pool->fullBlocks), 1);
  EXPECT_EQ(pool->totalItems, 1);
  PoolFree(pool, b);
  EXPECT_EQ(pool->totalItems, 0);
  PoolDestroy(pool);
}

TEST(RecordPool, AllocZeroedClearsARecycledRecord) {
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  void* keep = PoolAlloc(pool);  // keeps the block alive
  auto* record = static_cast<unsigned char*>(PoolAlloc(pool));
  std::memset(record, 0xCD, 56);
  PoolFree(pool, record);
  auto* again = static_cast<unsigned char*>(PoolAllocZeroed(pool));
  ASSERT_EQ(again, record);
  for (int i = 0; i < 56; ++i) ASSERT_EQ(again[i], 0) << "byte " << i;
  PoolFree(pool, keep);
  PoolDestroy(pool);
}

TEST(RecordPool, ResetEmptiesBothLists) {
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  for (int i = 0; i < 100; ++i) PoolAlloc(pool);
  PoolReset(pool);
  EXPECT_EQ(pool->fullBlocks, nullptr);
  EXPECT_EQ(pool->partialBlocks, nullptr);
  EXPECT_EQ(pool->totalItems, 0);
  EXPECT_NE(PoolAlloc(pool), nullptr);
  PoolDestroy(pool);
}

// Random allocate/free sequences against a model: every live record keeps its contents, no
// two live records overlap, and the pool's total equals the capacity of its blocks.
TEST(RecordPoolModel, RandomSequencesKeepRecordsAndCounts) {
  std::mt19937_64 random(7);
  RecordPool* pool = PoolCreate(56, 16, 256, 2);
  std::map<unsigned char*, std::uint64_t> live;
  std::vector<unsigned char*> order;
  for (int step = 0; step < 100000; ++step) {
    const bool allocate = order.empty() || random() % 100 < (step % 20000 < 10000 ? 60 : 40);
    if (allocate) {
      auto* record = static_cast<unsigned char*>(PoolAlloc(pool));
      ASSERT_NE(record, nullptr);
      ASSERT_EQ(live.count(record), 0u) << "a live record was handed out twice";
      const std::uint64_t stamp = random();
      std::memcpy(record, &stamp, sizeof stamp);
      std::memcpy(record + 48, &stamp, sizeof stamp);
      live[record] = stamp;
      order.push_back(record);
    } else {
      const std::size_t index = static_cast<std::size_t>(random() % order.size());
      unsigned char* record = order[index];
      std::uint64_t head = 0, tail = 0;
      std::memcpy(&head, record, sizeof head);
      std::memcpy(&tail, record + 48, sizeof tail);
      ASSERT_EQ(head, live[record]);
      ASSERT_EQ(tail, live[record]);
      PoolFree(pool, record);
      live.erase(record);
      order[index] = order.back();
      order.pop_back();
    }
    if (step % 997 == 0) {
      ASSERT_EQ(pool->totalItems, Capacity(pool->fullBlocks) + Capacity(pool->partialBlocks));
      ASSERT_GE(pool->totalItems, static_cast<std::int64_t>(live.size()));
    }
  }
  for (unsigned char* record : order) PoolFree(pool, record);
  EXPECT_EQ(pool->totalItems, 0) << "every block is freed once all items are back";
  EXPECT_EQ(pool->fullBlocks, nullptr);
  EXPECT_EQ(pool->partialBlocks, nullptr);
  PoolDestroy(pool);
}

}  // namespace
