#include "gui/gadget/brush_cache.h"

#include "runtime/linked_list.h"
#include "runtime/scoped.h"

namespace {

struct BrushEntry {
  std::uint32_t color;
  HBRUSH brush;
  std::uint32_t references;
};

struct BrushCacheState {
  CRITICAL_SECTION lock;
  ListLinks* entries;  // newest first
};
BrushCacheState cache{};

}  // namespace

void BrushCacheInit() { InitializeCriticalSection(&cache.lock); }

HBRUSH BrushCacheGet(std::uint32_t color) {
  const ScopedCritSec lock(&cache.lock);
  for (ListLinks* links = cache.entries; links; links = links->next) {
    auto* entry = static_cast<BrushEntry*>(ListItemOf(links));
    if (entry->color == color) {
      ++entry->references;
      return entry->brush;
    }
  }
  // Only entries holding a brush are kept: one whose creation failed could never be released.
  HBRUSH brush = CreateSolidBrush(color);
  if (!brush) return nullptr;
  auto* entry = static_cast<BrushEntry*>(ListAlloc(&cache.entries, sizeof(ListLinks) + sizeof(BrushEntry)));
  if (!entry) {
    DeleteObject(brush);
    return nullptr;
  }
  entry->color = color;
  entry->brush = brush;
  entry->references = 1;
  return brush;
}

void BrushCacheRelease(HBRUSH brush) {
  if (!brush) return;
  const ScopedCritSec lock(&cache.lock);
  for (ListLinks* links = cache.entries; links; links = links->next) {
    auto* entry = static_cast<BrushEntry*>(ListItemOf(links));
    if (entry->brush != brush) continue;
    if (--entry->references == 0) {
      DeleteObject(entry->brush);
      ListFree(&cache.entries, entry);
    }
    return;
  }
}
