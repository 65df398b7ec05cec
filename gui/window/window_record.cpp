#include "gui/window/window_record.h"

namespace {

constexpr std::uint32_t kWindowTableCapacity = 16;

ObjectTable* windowTable = nullptr;

// The last window found by its handle. Every message and every fetched message looks its
// window up, and reading a property is a round trip to the window server on some platforms;
// the entry is trusted only while the record of its number still holds that very handle, so a
// destroyed window or a reused number never gives a wrong answer.
struct HandleCache {
  HWND handle;
  std::int64_t number;
};
HandleCache handleCache{};

WindowRecord* CachedRecord(HWND window) {
  if (!window || window != handleCache.handle) return nullptr;
  WindowRecord* record = WindowRecordOf(handleCache.number);
  return record && record->handle == window ? record : nullptr;
}

std::int64_t NumberFromProperty(HANDLE id) { return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(id)) - 1; }

}  // namespace

void WindowTableCreate(ObjectFreeProc closeWindow) {
  windowTable = ObjectTableCreate(sizeof(WindowRecord), kWindowTableCapacity, closeWindow);
}

WindowRecord* WindowRecordAllocate(std::int64_t number) {
  if (!windowTable) return nullptr;
  return static_cast<WindowRecord*>(ObjectTableAllocate(windowTable, number));
}

void WindowRecordRelease(std::int64_t number) {
  if (windowTable) ObjectTableRelease(windowTable, number);
}

void WindowRecordReleaseAll() {
  if (windowTable) ObjectTableReleaseAll(windowTable);
}

WindowRecord* WindowRecordOf(std::int64_t number) {
  if (!windowTable) return nullptr;
  return static_cast<WindowRecord*>(ObjectTableLookup(windowTable, number));
}

void WindowIdentitySet(HWND window, std::int64_t number) {
  SetPropW(window, WindowIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number + 1)));
}

std::int64_t WindowNumberOf(HWND window) {
  HANDLE id = GetPropW(window, WindowIdProperty);
  return id ? NumberFromProperty(id) : -1;
}

WindowOwner WindowOwnerOf(HWND window) {
  WindowOwner owner;
  if (WindowRecord* record = CachedRecord(window)) {
    owner.number = handleCache.number;
    owner.record = record;
    owner.itself = true;
    return owner;
  }
  for (HWND walk = window; walk; walk = GetParent(walk)) {
    if (HANDLE id = GetPropW(walk, WindowIdProperty)) {
      owner.number = NumberFromProperty(id);
      owner.record = WindowRecordOf(owner.number);
      owner.itself = walk == window;
      if (owner.record && owner.record->handle == walk) handleCache = HandleCache{walk, owner.number};
      break;
    }
  }
  return owner;
}

WindowRecord* WindowRecordFromHandle(HWND window) {
  if (WindowRecord* record = CachedRecord(window)) return record;
  if (!window) return nullptr;
  const std::int64_t number = WindowNumberOf(window);
  if (number == -1) return nullptr;
  WindowRecord* record = WindowRecordOf(number);
  // A window of another process may carry the property too; it names none of ours.
  if (!record || record->handle != window) return nullptr;
  handleCache = HandleCache{window, number};
  return record;
}
