#include "runtime/linked_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Entry {
  int value;
};

std::vector<int> Values(ListLinks* head) {
  std::vector<int> values;
  ListLinks* previous = nullptr;
  for (ListLinks* links = head; links; links = links->next) {
    EXPECT_EQ(links->previous, previous) << "backward link of entry " << values.size();
    values.push_back(static_cast<Entry*>(ListItemOf(links))->value);
    previous = links;
  }
  return values;
}

Entry* Push(ListLinks** head, int value) {
  auto* entry = static_cast<Entry*>(ListAlloc(head, sizeof(ListLinks) + sizeof(Entry)));
  entry->value = value;
  return entry;
}

TEST(LinkedList, NewBlocksAreZeroedAndGoToTheFront) {
  ListLinks* head = nullptr;
  auto* first = static_cast<Entry*>(ListAlloc(&head, sizeof(ListLinks) + sizeof(Entry)));
  EXPECT_EQ(first->value, 0);
  first->value = 1;
  Push(&head, 2);
  Push(&head, 3);
  EXPECT_EQ(Values(head), (std::vector<int>{3, 2, 1}));
  while (head) ListFree(&head, ListItemOf(head));
}

struct FreeCase {
  int removed;
  std::vector<int> left;
};

TEST(LinkedList, FreeUnlinksFirstMiddleAndLast) {
  const FreeCase cases[] = {{3, {2, 1}}, {2, {3, 1}}, {1, {3, 2}}};
  for (const auto& c : cases) {
    ListLinks* head = nullptr;
    Entry* entries[4] = {};
    for (int v = 1; v <= 3; ++v) entries[v] = Push(&head, v);
    ListFree(&head, entries[c.removed]);
    EXPECT_EQ(Values(head), c.left) << "after freeing " << c.removed;
    while (head) ListFree(&head, ListItemOf(head));
  }
}

TEST(LinkedList, AllocAfterHeadLinksBackToTheHeadRecord) {
  ListLinks headRecord{nullptr, nullptr};
  auto* first = static_cast<Entry*>(ListAllocAfterHead(&headRecord, sizeof(ListLinks) + sizeof(Entry)));
  auto* second = static_cast<Entry*>(ListAllocAfterHead(&headRecord, sizeof(ListLinks) + sizeof(Entry)));
  EXPECT_EQ(headRecord.next, ListLinksOf(second));
  EXPECT_EQ(ListLinksOf(second)->previous, &headRecord);
  EXPECT_EQ(ListLinksOf(second)->next, ListLinksOf(first));
  EXPECT_EQ(ListLinksOf(first)->previous, ListLinksOf(second));
  ListLinks* head = headRecord.next;
  ListFree(&head, first);
  EXPECT_EQ(ListLinksOf(second)->next, nullptr);
  ListFree(&head, second);
}

}  // namespace
