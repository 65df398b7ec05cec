#include "runtime/object_table.h"

#include <cstring>

#include "runtime/memory.h"

namespace {

bool IsSlotNumber(const ObjectTable* table, ObjectNumber value) { return value >= 0 && value < table->slotCount; }

bool IsAlive(const void* record) {
  std::uint64_t mark = 0;
  std::memcpy(&mark, record, sizeof mark);
  return mark != 0;
}

// The links of the dynamic record whose identity is `value`, found by list membership so that
// a stray value is never dereferenced.
ListLinks* FindDynamic(const ObjectTable* table, ObjectNumber value) {
  if (value < 0) return nullptr;
  for (ListLinks* links = table->dynamicList; links; links = links->next) {
    if (ObjectIdentity(ListItemOf(links)) == value) return links;
  }
  return nullptr;
}

ListLinks* OldestDynamic(const ObjectTable* table) {
  ListLinks* links = table->dynamicList;
  while (links && links->next) links = links->next;
  return links;
}

// The next live slot record at or after the enumeration position, advancing past it.
void* NextLiveSlot(ObjectTable* table, ObjectNumber* number) {
  while (table->enumPosition < table->slotCount) {
    const ObjectNumber position = table->enumPosition++;
    void* record = table->slots[position];
    if (record && IsAlive(record)) {
      *number = position;
      return record;
    }
  }
  return nullptr;
}

}  // namespace

ObjectTable* ObjectTableCreate(std::uint32_t recordSize, std::uint32_t growthStep, ObjectFreeProc freeProc) {
  auto* table = static_cast<ObjectTable*>(RuntimeAlloc(sizeof(ObjectTable)));
  if (!table) return nullptr;
  table->recordSize = recordSize < 8 ? 8 : recordSize;
  table->growthStep = growthStep;
  table->slotCount = growthStep;
  table->slots = static_cast<void**>(RuntimeAlloc(sizeof(void*) * (growthStep ? growthStep : 1)));
  if (!table->slots) {
    RuntimeFree(table);
    return nullptr;
  }
  table->freeProc = freeProc;
  return table;
}

void* ObjectTableAllocate(ObjectTable* table, ObjectNumber number) {
  if (!table) return nullptr;
  if (number == AnyNumber) {
    void* record = ListAlloc(&table->dynamicList, sizeof(ListLinks) + table->recordSize);
    return record;
  }
  if (number < 0 || number >= kObjectNumberLimit) return nullptr;
  if (number >= table->slotCount) {
    const std::int64_t newCount = number + table->growthStep;
    auto* slots = static_cast<void**>(RuntimeRealloc(table->slots, sizeof(void*) * static_cast<std::size_t>(newCount)));
    if (!slots) return nullptr;
    table->slots = slots;
    table->slotCount = newCount;
  }
  if (void* record = table->slots[number]) {
    // The owner's free procedure destroys the old object and zero-fills the record in place.
    if (table->freeProc) table->freeProc(number);
    return record;
  }
  void* record = RuntimeAlloc(table->recordSize);
  table->slots[number] = record;
  return record;
}

void* ObjectTableLookup(ObjectTable* table, ObjectNumber value) {
  if (!table) return nullptr;
  void* record = nullptr;
  if (IsSlotNumber(table, value)) {
    record = table->slots[value];
  } else if (ListLinks* links = FindDynamic(table, value)) {
    record = ListItemOf(links);
  }
  return record && IsAlive(record) ? record : nullptr;
}

void ObjectTableRelease(ObjectTable* table, ObjectNumber value) {
  if (!table) return;
  if (IsSlotNumber(table, value)) {
    if (void* record = table->slots[value]) std::memset(record, 0, table->recordSize);
    return;
  }
  ListLinks* links = FindDynamic(table, value);
  if (!links) return;
  // An enumeration standing on this record moves on to the next newer one.
  if (table->enumCursor == links) table->enumCursor = links->previous;
  ListFree(&table->dynamicList, ListItemOf(links));
}

void ObjectTableReleaseAll(ObjectTable* table) {
  if (!table || !table->freeProc) return;
  table->enumPosition = 0;
  for (;;) {
    ObjectNumber number = 0;
    if (NextLiveSlot(table, &number)) {
      table->freeProc(number);
      continue;
    }
    ListLinks* head = table->dynamicList;
    if (!head) break;
    table->freeProc(ObjectIdentity(ListItemOf(head)));
    // A free procedure that leaves its dynamic record behind would keep this loop going
    // forever; release it here instead.
    if (table->dynamicList == head) ListFree(&table->dynamicList, ListItemOf(head));
  }
}

void* ObjectTableIsValid(ObjectTable* table, ObjectNumber value) {
  if (!table) return nullptr;
  if (IsSlotNumber(table, value)) {
    void* record = table->slots[value];
    return record && IsAlive(record) ? record : nullptr;
  }
  ListLinks* links = FindDynamic(table, value);
  return links ? ListItemOf(links) : nullptr;
}

void ObjectTableFirst(ObjectTable* table) {
  if (!table) return;
  table->enumPosition = 0;
  table->enumCursor = OldestDynamic(table);
}

void* ObjectTableNext(ObjectTable* table, ObjectNumber* identity) {
  if (!table) return nullptr;
  ObjectNumber number = 0;
  if (void* record = NextLiveSlot(table, &number)) {
    if (identity) *identity = number;
    return record;
  }
  ListLinks* links = table->enumCursor;
  if (!links) return nullptr;
  table->enumCursor = links->previous;
  void* record = ListItemOf(links);
  if (identity) *identity = ObjectIdentity(record);
  return record;
}
