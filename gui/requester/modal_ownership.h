// Modal ownership: which window owns a requester, and which of the calling thread's other
// top-level windows are disabled and lifted out of the always-on-top band while it is up.
// ModalBegin records every visible top-level window of the thread in the process-wide modal
// list; ModalEnd restores exactly what ModalBegin changed and removes the thread's entries.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/linked_list.h"

// One visible top-level window of the thread that ran ModalBegin.
struct ModalEntry {
  std::uint32_t threadId;     // the thread that ran ModalBegin
  HWND window;                // the top-level window the entry is about
  std::uint8_t wasTopmost;    // 1: it had WS_EX_TOPMOST
  std::uint8_t disabledHere;  // 1: ModalBegin disabled it (it was enabled before)
};

// The process-wide modal list: one ListAlloc block per ModalEntry, the most recently pushed
// first; empty outside a requester. Unlocked: each thread's ModalEnd handles only its own
// entries.
extern ListLinks* modalList;

// The foreground window if it belongs to this process, otherwise null.
HWND ModalOwner();
// Records the thread's visible top-level windows, disables all enabled ones but the foreground
// window, and makes the topmost ones non-topmost.
void ModalBegin();
// Re-enables the windows ModalBegin disabled, makes topmost again those that were, and frees
// the calling thread's entries; other threads' entries are left alone.
void ModalEnd();

// The paired steps of a modal time, each undone when its holder goes; made in the order listed
// below (wait cursor first), so that they are undone in the reverse order. ModalWindowsDisabled
// can be undone earlier (Restore): a requester enables its owner before its own window goes, so
// that the system activates the owner rather than another program's window.

// The wait cursor (BusyCursorBegin): last undone, so that the shape is asked for once every
// window is enabled again and the pointer shows what the control under it shows.
class WaitCursorShown {
 public:
  WaitCursorShown();
  ~WaitCursorShown();
  WaitCursorShown(const WaitCursorShown&) = delete;
  WaitCursorShown& operator=(const WaitCursorShown&) = delete;
};

// The event queue refuses commands (EventRefuseCommands).
class CommandsRefused {
 public:
  CommandsRefused();
  ~CommandsRefused();
  CommandsRefused(const CommandsRefused&) = delete;
  CommandsRefused& operator=(const CommandsRefused&) = delete;
};

// The owner's focused control, given back once the owner is enabled again: disabling a window
// takes the focus from its controls.
class FocusKept {
 public:
  explicit FocusKept(HWND owner);
  ~FocusKept();
  FocusKept(const FocusKept&) = delete;
  FocusKept& operator=(const FocusKept&) = delete;

 private:
  HWND owner_;
};

// ModalBegin, then `owner` disabled unless it is null or disabled already (ModalBegin leaves the
// owner to its requester; MessageBoxW disables its owner itself and is given none here). A
// disabled window gets no clicks, not even on its caption or close box.
class ModalWindowsDisabled {
 public:
  explicit ModalWindowsDisabled(HWND owner);
  ~ModalWindowsDisabled() { Restore(); }
  ModalWindowsDisabled(const ModalWindowsDisabled&) = delete;
  ModalWindowsDisabled& operator=(const ModalWindowsDisabled&) = delete;
  // The owner enabled again, then ModalEnd; once.
  void Restore();

 private:
  HWND owner_;
  bool ownerDisabled_;
  bool restored_ = false;
};
