#include "gui/window/event_queue.h"

#include <windows.h>

#include "gui/window/key_message.h"
#include "gui/window/menu.h"
#include "gui/window/navigation.h"
#include "gui/window/shortcut.h"
#include "runtime/facility_state.h"
#include "runtime/memory.h"
#include "runtime/record_pool.h"

namespace {

struct QueuedEvent {
  QueuedEvent* next;  // next-newer entry
  std::int32_t kind;
  std::int64_t object;
  std::int64_t window;
  std::int64_t subtype;
  std::uint64_t extra;
};

// Queue entries are records of the event pool; the record size leaves room to spare.
constexpr std::int64_t kEventRecordSize = 56;
constexpr std::uint32_t kEventsPerBlockMin = 16;
constexpr std::uint32_t kEventsPerBlockMax = 256;
constexpr std::uint32_t kEventPoolPrivate = 2;
static_assert(sizeof(QueuedEvent) <= kEventRecordSize);

// Kinds at and above this value are never merged with the newest entry.
constexpr std::int32_t kFirstUncoalescedKind = 65536;

struct EventState {
  RecordPool* pool;
  void* keptRecord;  // taken at start and never returned, so the pool's first block stays
  QueuedEvent* head;  // oldest
  QueuedEvent* tail;  // newest
  std::int32_t suspended;
  std::int32_t commandsRefused;
  std::int32_t currentKind;
  std::int64_t currentWindow;
  std::int64_t currentObject;
  std::int64_t currentSubtype;
  std::uint64_t currentExtra;
  HWND postWindow;
  UINT postMessage;
};

EventState* eventState = nullptr;

const wchar_t kPostEventClass[] = L"PostEventClass";

void InitEventState(void* record) {
  auto* state = static_cast<EventState*>(record);
  state->pool = PoolCreate(kEventRecordSize, kEventsPerBlockMin, kEventsPerBlockMax, kEventPoolPrivate);
  state->keptRecord = PoolAlloc(state->pool);
}

bool IsCommand(std::int32_t kind, std::int64_t subtype) {
  return kind == MenuEvent || (kind == GadgetEvent && subtype == Clicked);
}

void Append(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype, std::uint64_t extra,
            bool always) {
  EventState* state = eventState;
  if (!state) return;
  if (state->suspended != 0 && !always) return;
  if (state->commandsRefused != 0 && !always && IsCommand(kind, subtype)) return;
  if (QueuedEvent* newest = state->tail; newest && kind < kFirstUncoalescedKind && newest->kind == kind &&
                                         newest->object == object && newest->window == window &&
                                         newest->subtype == subtype) {
    return;
  }
  // With no memory left the event is dropped: the queue never blocks or reports a failure.
  auto* entry = static_cast<QueuedEvent*>(PoolAllocZeroed(state->pool));
  if (!entry) return;
  entry->kind = kind;
  entry->object = object;
  entry->window = window;
  entry->subtype = subtype;
  entry->extra = extra;
  if (state->tail) {
    state->tail->next = entry;
  } else {
    state->head = entry;
  }
  state->tail = entry;
}

// Takes the oldest entry into the current event; 0 when the queue is empty.
std::int32_t Take() {
  EventState* state = eventState;
  if (!state) return 0;
  state->currentKind = 0;
  state->currentSubtype = -1;
  QueuedEvent* entry = state->head;
  if (!entry) return 0;
  state->head = entry->next;
  if (!state->head) state->tail = nullptr;
  state->currentKind = entry->kind;
  state->currentObject = entry->object;
  state->currentWindow = entry->window;
  state->currentSubtype = entry->subtype;
  state->currentExtra = entry->extra;
  PoolFree(state->pool, entry);
  return state->currentKind;
}

template <typename Matches>
void RemoveMatching(Matches matches) {
  EventState* state = eventState;
  if (!state) return;
  QueuedEvent* kept = nullptr;
  QueuedEvent** link = &state->head;
  while (QueuedEvent* entry = *link) {
    if (matches(*entry)) {
      *link = entry->next;
      PoolFree(state->pool, entry);
    } else {
      kept = entry;
      link = &entry->next;
    }
  }
  state->tail = kept;
}

// The heap posted records come from: the runtime heap, or the process heap before one exists.
HANDLE PostedRecordHeap() {
  void* heap = RuntimeHeapHandle();
  return heap ? static_cast<HANDLE>(heap) : GetProcessHeap();
}

// Any process on the desktop can post the registered message to this top-level window, so
// lParam is trusted only when it is a live block of our heap big enough for a record;
// anything else is left alone instead of being read and freed.
bool IsPostedRecord(LPARAM lParam) {
  if (lParam == 0) return false;
  auto* block = reinterpret_cast<void*>(lParam);
  HANDLE heap = PostedRecordHeap();
  if (!HeapValidate(heap, 0, block)) return false;
  const SIZE_T size = HeapSize(heap, 0, block);
  return size != static_cast<SIZE_T>(-1) && size >= sizeof(PostedEventRecord);
}

LRESULT CALLBACK PostEventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EventState* state = eventState;
  if (state && state->postMessage != 0 && message == state->postMessage && IsPostedRecord(lParam)) {
    auto* record = reinterpret_cast<PostedEventRecord*>(lParam);
    Append(static_cast<std::int32_t>(record->kind), record->object, record->window, record->subtype, record->extra,
           true);
    HeapFree(PostedRecordHeap(), 0, record);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void EventLayerInit() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = PostEventWindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kPostEventClass;
  RegisterClassW(&windowClass);
  HWND postWindow =
      CreateWindowExW(0, kPostEventClass, L"", WS_CAPTION, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  const UINT postMessage = RegisterWindowMessageW(L"Orv_PostEventMessage");
  eventState = static_cast<EventState*>(FacilityStateCreate(sizeof(EventState), InitEventState));
  if (!eventState) return;
  eventState->postWindow = postWindow;
  eventState->postMessage = postMessage;
}

void EventLayerEnd() {
  if (!eventState) return;
  // The event state stays: events may still be queued and read until the process ends.
  if (eventState->postWindow) DestroyWindow(eventState->postWindow);
  eventState->postWindow = nullptr;
  UnregisterClassW(kPostEventClass, GetModuleHandleW(nullptr));
}

namespace {

// Waits for the next posted message, as GetMessageW does, but comes back without one when the
// messages sent to this thread meanwhile have queued events. GetMessageW dispatches messages
// sent from other threads and processes while it waits yet returns only for a posted message,
// so an event such a message queued (a move of the window made by another program, say) would
// wait for the next input. MWMO_INPUTAVAILABLE also wakes for input that is already queued.
bool FetchMessage(MSG* message) {
  for (;;) {
    if (PeekMessageW(message, nullptr, 0, 0, PM_REMOVE)) return true;
    if (eventState && eventState->head) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

std::int64_t EventWait() {
  if (const std::int32_t kind = Take()) return kind;
  MenuBarsRedraw();
  MSG message{};
  if (!FetchMessage(&message)) return Take();
  bool translated = false;
  if (AcceleratorCanTranslate(message.message)) {
    HWND active = GetActiveWindow();
    // A button pressed with Enter takes the key: it is pressed once, and no shortcut fires too.
    translated = PressFocusedButton(active, message);
    if (!translated) {
      HACCEL table = AcceleratorsFor(active);
      translated = table && ShortcutTranslate(active, table, &message);
    }
    if (translated && active) KeyboardCues(active, 1);
  } else {
    KeyboardCuesWhileModifierDown();
  }
  if (!translated) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  KeyStateAfterDispatch(message.message);
  return static_cast<std::int32_t>(message.message);
}

std::int64_t EventMenuItem() { return eventState ? eventState->currentObject : 0; }
std::int64_t EventGadgetNumber() { return eventState ? eventState->currentObject : 0; }
std::int64_t EventSubtype() { return eventState ? eventState->currentSubtype : 0; }
std::int64_t EventWindow() { return eventState ? eventState->currentWindow : 0; }
std::uint64_t EventExtra() { return eventState ? eventState->currentExtra : 0; }

void EventPost(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype) {
  Append(kind, object, window, subtype, 0, false);
}

void EventPostAlways(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype) {
  Append(kind, object, window, subtype, 0, true);
}

void EventQueueRemove(std::int32_t kind, std::int64_t object, std::int64_t window, std::int64_t subtype) {
  RemoveMatching([&](const QueuedEvent& entry) {
    return (kind == -1 || entry.kind == kind) && (object == -1 || entry.object == object) &&
           (window == -1 || entry.window == window) && (subtype == -1 || entry.subtype == subtype);
  });
}

void EventQueueRemoveWindow(std::int64_t window) {
  RemoveMatching([&](const QueuedEvent& entry) { return entry.window == window; });
}

void EventSuspend() {
  if (eventState) ++eventState->suspended;
}

void EventResume() {
  if (eventState) --eventState->suspended;
}

void EventRefuseCommands() {
  if (eventState) ++eventState->commandsRefused;
}

void EventAcceptCommands() {
  if (eventState) --eventState->commandsRefused;
}

std::int64_t EventQueueLength() {
  std::int64_t length = 0;
  if (eventState) {
    for (const QueuedEvent* entry = eventState->head; entry; entry = entry->next) ++length;
  }
  return length;
}
