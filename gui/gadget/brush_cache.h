// BrushCache: solid brushes shared by colour. Gadgets with the same back colour hold one GDI
// brush, reference-counted, deleted when its last holder releases it. Guarded by its own
// critical section, held only while the list is walked or changed.
#pragma once

#include <windows.h>

#include <cstdint>

// Start-up (GadgetInit): the lock. The cache lives until process exit.
void BrushCacheInit();
// A solid brush of `color` (a COLORREF), shared with every other holder of that colour; null
// when no brush can be created. Each successful get needs one release.
HBRUSH BrushCacheGet(std::uint32_t color);
// Drops one reference to a brush from BrushCacheGet; the last one deletes it. A brush not in
// the cache is ignored.
void BrushCacheRelease(HBRUSH brush);
