// Linked blocks: zeroed runtime-heap blocks that begin with the forward and backward links of a
// doubly linked list. Callers get the address just behind the links. Used for the modal list,
// the launched-program list, the settings lines and the brush cache. No lock is taken.
#pragma once

#include <cstddef>

struct ListLinks {
  ListLinks* next;
  ListLinks* previous;
};

// Allocates a zeroed block of `size` bytes (links included) and pushes it at the front of the
// list whose first block `*head` points at (a block's address, links first). Returns the
// address behind the links, or null.
void* ListAlloc(ListLinks** head, std::size_t size);
// Unlinks the block whose caller address is `item` from the list and frees it.
void ListFree(ListLinks** head, void* item);
// As ListAlloc, for a list whose head record is itself a link pair: the new block becomes the
// head's first block and its backward link is the head record.
void* ListAllocAfterHead(ListLinks* headRecord, std::size_t size);

// The links of a block, from the caller's address, and back.
inline ListLinks* ListLinksOf(void* item) { return static_cast<ListLinks*>(item) - 1; }
inline void* ListItemOf(ListLinks* links) { return links + 1; }
