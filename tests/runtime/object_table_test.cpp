#include "runtime/object_table.h"

#include "runtime/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

// The free procedure of a test owner: records what it was asked to free and releases the
// number as a real owner does.
ObjectTable* freeingTable = nullptr;
std::vector<ObjectNumber> freed;

void RecordingFree(ObjectNumber number) {
  freed.push_back(number);
  ObjectTableRelease(freeingTable, number);
}

// Tables live until the process ends; the tests give their memory back so that the leak checker
// sees only real leaks.
void DestroyTable(ObjectTable* table) {
  for (std::int64_t n = 0; n < table->slotCount; ++n) RuntimeFree(table->slots[n]);
  while (table->dynamicList) ListFree(&table->dynamicList, ListItemOf(table->dynamicList));
  RuntimeFree(table->slots);
  RuntimeFree(table);
}

void MarkAlive(void* record, std::uint64_t mark = 0x1234) { std::memcpy(record, &mark, sizeof mark); }

class ObjectTableTest : public testing::Test {
 protected:
  void SetUp() override {
    freed.clear();
    table = ObjectTableCreate(16, 50, RecordingFree);
    freeingTable = table;
  }
  void TearDown() override { DestroyTable(table); }
  ObjectTable* table = nullptr;
};

TEST_F(ObjectTableTest, CreateGivesGrowthStepSlotsAllEmpty) {
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->slotCount, 50);
  for (ObjectNumber n = 0; n < 50; ++n) EXPECT_EQ(table->slots[n], nullptr) << "slot " << n;
}

TEST_F(ObjectTableTest, AllocatingBeyondTheSlotsGrowsByTheGrowthStep) {
  void* record = ObjectTableAllocate(table, 60);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(table->slotCount, 110);
  for (ObjectNumber n = 50; n < 110; ++n) {
    if (n == 60) continue;
    EXPECT_EQ(table->slots[n], nullptr) << "slot " << n << " should stay empty";
  }
}

TEST_F(ObjectTableTest, ReallocatingALiveNumberFreesItFirstAndGivesTheSameZeroedRecord) {
  void* first = ObjectTableAllocate(table, 3);
  MarkAlive(first);
  void* second = ObjectTableAllocate(table, 3);
  EXPECT_EQ(second, first);
  ASSERT_EQ(freed.size(), 1u);
  EXPECT_EQ(freed[0], 3);
  EXPECT_EQ(ObjectTableLookup(table, 3), nullptr) << "the owner's free zeroed the record";
}

TEST_F(ObjectTableTest, ReleasedSlotIsDeadAndComesBackZeroFilledAtTheSameAddress) {
  auto* record = static_cast<unsigned char*>(ObjectTableAllocate(table, 7));
  MarkAlive(record);
  record[15] = 0xAB;
  EXPECT_EQ(ObjectTableLookup(table, 7), record);
  ObjectTableRelease(table, 7);
  EXPECT_EQ(ObjectTableLookup(table, 7), nullptr);
  EXPECT_EQ(ObjectTableIsValid(table, 7), nullptr);
  auto* again = static_cast<unsigned char*>(ObjectTableAllocate(table, 7));
  EXPECT_EQ(again, record);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(again[i], 0) << "byte " << i;
  EXPECT_EQ(freed, std::vector<ObjectNumber>{7}) << "a used slot always goes through the owner's free procedure";
}

TEST_F(ObjectTableTest, AnyNumberGivesDistinctIdentitiesOutsideTheSlotRange) {
  void* a = ObjectTableAllocate(table, AnyNumber);
  void* b = ObjectTableAllocate(table, AnyNumber);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_GE(ObjectIdentity(a), table->slotCount);
  EXPECT_GE(ObjectIdentity(b), table->slotCount);
  EXPECT_TRUE(freed.empty()) << "AnyNumber does not involve the free procedure";
}

TEST_F(ObjectTableTest, EnumerationGivesLiveSlotsAscendingThenDynamicOldestFirst) {
  for (ObjectNumber n : {9, 2, 5}) MarkAlive(ObjectTableAllocate(table, n));
  ObjectTableAllocate(table, 4);  // allocated but never marked: not alive
  void* older = ObjectTableAllocate(table, AnyNumber);
  void* newer = ObjectTableAllocate(table, AnyNumber);
  MarkAlive(older);
  MarkAlive(newer);

  std::vector<ObjectNumber> got;
  ObjectTableFirst(table);
  ObjectNumber identity = 0;
  while (ObjectTableNext(table, &identity)) got.push_back(identity);
  const std::vector<ObjectNumber> expected{2, 5, 9, ObjectIdentity(older), ObjectIdentity(newer)};
  EXPECT_EQ(got, expected);
}

TEST_F(ObjectTableTest, ReleaseAllFreesEverySlotAndDynamicRecord) {
  for (ObjectNumber n : {1, 0, 30}) MarkAlive(ObjectTableAllocate(table, n));
  void* dynamic = ObjectTableAllocate(table, AnyNumber);
  MarkAlive(dynamic);
  ObjectTableReleaseAll(table);
  const std::vector<ObjectNumber> expected{0, 1, 30, ObjectIdentity(dynamic)};
  EXPECT_EQ(freed, expected);
  EXPECT_EQ(table->dynamicList, nullptr);
}

TEST(ObjectTableNoFree, ReleaseAllWithoutFreeProcedureDoesNothing) {
  ObjectTable* table = ObjectTableCreate(8, 4, nullptr);
  MarkAlive(ObjectTableAllocate(table, 1));
  void* dynamic = ObjectTableAllocate(table, AnyNumber);
  MarkAlive(dynamic);
  ObjectTableReleaseAll(table);
  EXPECT_NE(ObjectTableLookup(table, 1), nullptr);
  EXPECT_EQ(ObjectTableLookup(table, ObjectIdentity(dynamic)), dynamic);
  DestroyTable(table);
}

TEST_F(ObjectTableTest, IsValidFindsDynamicRecordsByMembershipWithoutTheMark) {
  void* dynamic = ObjectTableAllocate(table, AnyNumber);
  EXPECT_EQ(ObjectTableIsValid(table, ObjectIdentity(dynamic)), dynamic) << "membership, mark not tested";
  EXPECT_EQ(ObjectTableLookup(table, ObjectIdentity(dynamic)), nullptr) << "lookup tests the mark";
  ObjectTableRelease(table, ObjectIdentity(dynamic));
  EXPECT_EQ(ObjectTableIsValid(table, ObjectIdentity(dynamic)), nullptr);
}

// Values that are no slot number and no identity of a record in the table are unknown: never
// dereferenced, never released, never allocated into a huge slot array.
TEST_F(ObjectTableTest, UnknownValuesAreIgnored) {
  MarkAlive(ObjectTableAllocate(table, 1));
  int onTheStack = 0;
  const ObjectNumber unknown[] = {-2, -1000, INT64_MIN, 50, 1 << 20, ObjectIdentity(&onTheStack), INT64_MAX};
  for (ObjectNumber value : unknown) {
    EXPECT_EQ(ObjectTableLookup(table, value), nullptr) << value;
    EXPECT_EQ(ObjectTableIsValid(table, value), nullptr) << value;
    ObjectTableRelease(table, value);
  }
  EXPECT_NE(ObjectTableLookup(table, 1), nullptr);
}

TEST_F(ObjectTableTest, NumbersAtOrAboveTheLimitCannotBeAllocated) {
  const ObjectNumber tooLarge[] = {kObjectNumberLimit, ObjectNumber{1} << 40, INT64_MAX, -2, INT64_MIN};
  for (ObjectNumber number : tooLarge) {
    EXPECT_EQ(ObjectTableAllocate(table, number), nullptr) << number;
  }
  EXPECT_EQ(table->slotCount, 50);
  EXPECT_NE(ObjectTableAllocate(table, kObjectNumberLimit - 1), nullptr);
  EXPECT_EQ(table->slotCount, kObjectNumberLimit - 1 + 50);
}

// A model of the table: which numbers and identities are alive. Random allocate / mark /
// release sequences must agree with it, and reuse of a slot must give the same record.
TEST(ObjectTableModel, RandomSequencesAgreeWithAModel) {
  std::mt19937_64 random(20261207);
  ObjectTable* table = ObjectTableCreate(24, 4, nullptr);
  std::map<ObjectNumber, void*> slotRecords;  // every slot record ever made, by number
  std::set<ObjectNumber> alive;
  std::vector<ObjectNumber> dynamics;
  for (int step = 0; step < 20000; ++step) {
    const int action = static_cast<int>(random() % 4);
    if (action == 0) {
      const ObjectNumber number = static_cast<ObjectNumber>(random() % 300);
      void* record = ObjectTableAllocate(table, number);
      ASSERT_NE(record, nullptr);
      if (slotRecords.count(number)) {
        ASSERT_EQ(record, slotRecords[number]) << "slot " << number << " moved";
      }
      slotRecords[number] = record;
      MarkAlive(record, static_cast<std::uint64_t>(number) + 1);
      alive.insert(number);
    } else if (action == 1) {
      void* record = ObjectTableAllocate(table, AnyNumber);
      ASSERT_NE(record, nullptr);
      MarkAlive(record);
      dynamics.push_back(ObjectIdentity(record));
      alive.insert(ObjectIdentity(record));
    } else if (action == 2 && !alive.empty()) {
      auto it = alive.begin();
      std::advance(it, static_cast<long>(random() % alive.size()));
      const ObjectNumber value = *it;
      ObjectTableRelease(table, value);
      alive.erase(it);
      if (value >= 300) dynamics.erase(std::find(dynamics.begin(), dynamics.end(), value));
    } else {
      const ObjectNumber probe = static_cast<ObjectNumber>(random() % 310);
      ASSERT_EQ(ObjectTableLookup(table, probe) != nullptr, alive.count(probe) == 1) << "number " << probe;
    }
  }
  std::vector<ObjectNumber> expected;
  for (ObjectNumber value : alive) {
    if (value < 300) expected.push_back(value);
  }
  for (ObjectNumber identity : dynamics) expected.push_back(identity);
  std::vector<ObjectNumber> got;
  ObjectTableFirst(table);
  ObjectNumber identity = 0;
  while (ObjectTableNext(table, &identity)) got.push_back(identity);
  EXPECT_EQ(got, expected);
  DestroyTable(table);
}

}  // namespace
