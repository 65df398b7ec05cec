// The font table of the graphics support: numbered GDI fonts owned by the table. A number
// reused or released gives its font back to GDI (DeleteObject).
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object_table.h"

struct FontRecord {
  HFONT handle;  // first: the table treats a record whose first field is null as free
};

// Start-up step: the font table. Teardown step: every font released.
void FontsInit();
void FontsEnd();

// Hands `font` to the table under `number` (AnyNumber: a dynamic identity), releasing a font
// that held the number. Returns the font handle, the dynamic identity for AnyNumber, or 0 (and
// the font stays the caller's) when no record can be had.
std::int64_t FontStore(ObjectNumber number, HFONT font);
// The font of a number, or null for an unknown one.
HFONT FontHandle(ObjectNumber number);
// The table's free procedure: deletes the font and frees its record; AnyNumber releases all.
void FontFree(ObjectNumber number);
