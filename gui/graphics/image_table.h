// The image table of the graphics support: numbered bitmaps, DIB sections and icons owned by
// the table. A number reused or released gives its image back to the system: DeleteObject for
// bitmaps and DIB sections, DestroyIcon for icons.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object_table.h"

enum ImageKind : std::int32_t {
  ImageBitmap = 1,  // a device-dependent bitmap or a DIB section (HBITMAP)
  ImageIcon = 2,    // an icon or cursor (HICON)
};

struct ImageRecord {
  HANDLE handle;  // first: the table treats a record whose first field is null as free
  std::int32_t kind;
};

// Start-up step: the image table. Teardown step: every image released.
void ImagesInit();
void ImagesEnd();

// Hands `image` of `kind` to the table under `number` (AnyNumber: a dynamic identity),
// releasing an image that held the number. Returns the image handle, the dynamic identity for
// AnyNumber, or 0 (and the image stays the caller's) for an unknown kind or when no record can
// be had.
std::int64_t ImageStore(ObjectNumber number, HANDLE image, std::int32_t kind);
// The image of a number, or null for an unknown one.
HANDLE ImageHandle(ObjectNumber number);
// The table's free procedure: releases the image and frees its record; AnyNumber releases all.
void ImageFree(ObjectNumber number);
