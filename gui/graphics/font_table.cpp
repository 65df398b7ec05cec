#include "gui/graphics/font_table.h"

namespace {

constexpr std::uint32_t kFontTableGrowth = 10;

ObjectTable* fontTable = nullptr;

}  // namespace

void FontsInit() { fontTable = ObjectTableCreate(sizeof(FontRecord), kFontTableGrowth, FontFree); }

void FontsEnd() { ObjectTableReleaseAll(fontTable); }

std::int64_t FontStore(ObjectNumber number, HFONT font) {
  if (!font) return 0;
  auto* record = static_cast<FontRecord*>(ObjectTableAllocate(fontTable, number));
  if (!record) return 0;
  record->handle = font;
  return number == AnyNumber ? ObjectIdentity(record) : reinterpret_cast<std::int64_t>(font);
}

HFONT FontHandle(ObjectNumber number) {
  auto* record = static_cast<FontRecord*>(ObjectTableLookup(fontTable, number));
  return record ? record->handle : nullptr;
}

void FontFree(ObjectNumber number) {
  if (number == AnyNumber) {
    ObjectTableReleaseAll(fontTable);
    return;
  }
  auto* record = static_cast<FontRecord*>(ObjectTableLookup(fontTable, number));
  if (!record) return;
  DeleteObject(record->handle);
  ObjectTableRelease(fontTable, number);
}
