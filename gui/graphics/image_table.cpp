#include "gui/graphics/image_table.h"

namespace {

constexpr std::uint32_t kImageTableGrowth = 10;

ObjectTable* imageTable = nullptr;

}  // namespace

void ImagesInit() { imageTable = ObjectTableCreate(sizeof(ImageRecord), kImageTableGrowth, ImageFree); }

void ImagesEnd() { ObjectTableReleaseAll(imageTable); }

std::int64_t ImageStore(ObjectNumber number, HANDLE image, std::int32_t kind) {
  if (!image || (kind != ImageBitmap && kind != ImageIcon)) return 0;
  auto* record = static_cast<ImageRecord*>(ObjectTableAllocate(imageTable, number));
  if (!record) return 0;
  record->handle = image;
  record->kind = kind;
  return number == AnyNumber ? ObjectIdentity(record) : reinterpret_cast<std::int64_t>(image);
}

HANDLE ImageHandle(ObjectNumber number) {
  auto* record = static_cast<ImageRecord*>(ObjectTableLookup(imageTable, number));
  return record ? record->handle : nullptr;
}

void ImageFree(ObjectNumber number) {
  if (number == AnyNumber) {
    ObjectTableReleaseAll(imageTable);
    return;
  }
  auto* record = static_cast<ImageRecord*>(ObjectTableLookup(imageTable, number));
  if (!record) return;
  if (record->kind == ImageIcon) {
    DestroyIcon(static_cast<HICON>(record->handle));
  } else {
    DeleteObject(record->handle);
  }
  ObjectTableRelease(imageTable, number);
}
