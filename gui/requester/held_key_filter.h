// Keeps a held Enter or Escape from answering a box that its press brought up: the dialog manager
// answers a box on these keys' key-downs (its default button, Cancel), and a held key would close
// the box before the admin saw it: its repeats are kept from the box. What Wine needs beyond that
// is in README.md's design notes.
#pragma once

#include <windows.h>

class HeldKeyFilter {
 public:
  HeldKeyFilter();
  // Whether `message` is a key-down of Enter or Escape that the box must not see. Asked once for
  // every message.
  bool Holds(const MSG& message);

 private:
  struct HeldKey {
    bool held;       // down when the filter started, and not pressed anew since
    DWORD lastTime;  // the time of its last message, or the filter's start
  };
  HeldKey* KeyOf(WPARAM virtualKey);

  HeldKey enter_;
  HeldKey escape_;
};

// A HeldKeyFilter asked by the thread's message-filter hook (WH_MSGFILTER, MSGF_DIALOGBOX), which
// IsDialogMessageW asks before anything else: for a loop of the system's, the message box's. While
// several live, the latest is asked, and the others keep their state for when it goes.
class HeldKeyHook {
 public:
  HeldKeyHook();
  ~HeldKeyHook();
  HeldKeyHook(const HeldKeyHook&) = delete;
  HeldKeyHook& operator=(const HeldKeyHook&) = delete;

 private:
  static LRESULT CALLBACK FilterMessage(int code, WPARAM wParam, LPARAM lParam);

  HeldKeyFilter filter_;
  HeldKeyHook* outer_;
  HHOOK hook_;
};
