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
