#include "runtime/linked_list.h"

#include "runtime/memory.h"

void* ListAlloc(ListLinks** head, std::size_t size) {
  if (size < sizeof(ListLinks)) size = sizeof(ListLinks);
  auto* block = static_cast<ListLinks*>(RuntimeAlloc(size));
  if (!block) return nullptr;
  block->next = *head;
  if (*head) (*head)->previous = block;
  *head = block;
  return ListItemOf(block);
}

void ListFree(ListLinks** head, void* item) {
  if (!item) return;
  ListLinks* block = ListLinksOf(item);
  if (*head == block) {
    *head = block->next;
    if (block->next) block->next->previous = nullptr;
  } else {
    if (block->previous) block->previous->next = block->next;
    if (block->next) block->next->previous = block->previous;
  }
  RuntimeFree(block);
}

void* ListAllocAfterHead(ListLinks* headRecord, std::size_t size) {
  if (size < sizeof(ListLinks)) size = sizeof(ListLinks);
  auto* block = static_cast<ListLinks*>(RuntimeAlloc(size));
  if (!block) return nullptr;
  block->next = headRecord->next;
  if (headRecord->next) headRecord->next->previous = block;
  block->previous = headRecord;
  headRecord->next = block;
  return ListItemOf(block);
}
