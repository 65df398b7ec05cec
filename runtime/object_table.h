// Numbered object tables. An object is named by a small non-negative number chosen by the
// application, which indexes a growable array of record slots, or by AnyNumber (-1), which
// allocates a dynamic record whose address becomes the object's identity. A record is alive
// while its first 8 bytes (the owner's native handle or main pointer) are non-zero.
//
// Unknown values never reach memory: a value that is neither AnyNumber, a slot number nor the
// identity of a dynamic record in the table is ignored (lookups give null), and numbers below
// -1 are unknown. Slot numbers are limited to below kObjectNumberLimit (2^20): a larger number
// cannot be allocated (ObjectTableAllocate returns null) instead of exhausting memory.
#pragma once

#include <cstdint>

#include "runtime/linked_list.h"

using ObjectNumber = std::int64_t;
constexpr ObjectNumber AnyNumber = -1;
constexpr ObjectNumber kObjectNumberLimit = ObjectNumber{1} << 20;

using ObjectFreeProc = void (*)(ObjectNumber numberOrIdentity);

struct ObjectTable {
  std::uint32_t recordSize;
  std::uint32_t growthStep;
  std::int64_t slotCount;
  void** slots;
  ListLinks* dynamicList;  // newest first; each record follows its links in one allocation
  ObjectFreeProc freeProc;
  std::int64_t enumPosition;
  ListLinks* enumCursor;
};

ObjectTable* ObjectTableCreate(std::uint32_t recordSize, std::uint32_t growthStep, ObjectFreeProc freeProc);
void* ObjectTableAllocate(ObjectTable* table, ObjectNumber number);
void* ObjectTableLookup(ObjectTable* table, ObjectNumber value);
void ObjectTableRelease(ObjectTable* table, ObjectNumber value);
void ObjectTableReleaseAll(ObjectTable* table);
void* ObjectTableIsValid(ObjectTable* table, ObjectNumber value);
void ObjectTableFirst(ObjectTable* table);
void* ObjectTableNext(ObjectTable* table, ObjectNumber* identity);

// The number an owner hands back for a record: the slot number for a slot record, the
// record's address for a dynamic one.
inline ObjectNumber ObjectIdentity(const void* record) {
  return static_cast<ObjectNumber>(reinterpret_cast<std::intptr_t>(record));
}
