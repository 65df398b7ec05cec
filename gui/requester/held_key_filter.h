// Keeps a held Enter or Escape from answering a box that its press brought up: the dialog manager
// answers a box on these keys' key-downs (its default button, Cancel), and a held key would close
// the box before the admin saw it. A key that is down when the filter starts belongs to that
// press until it is let go; what Wine needs beyond that is in README.md's design notes.
#pragma once

#include <windows.h>

class HeldKeyFilter {
 public:
  HeldKeyFilter();
  // Whether `message` is a key-down of Enter or Escape that the box must not see: a repeat, or a
  // key-down of the press held since the filter started. Asked once for every message.
  bool Holds(const MSG& message);

 private:
  struct HeldKey {
    bool held;       // down when the filter started, and not let go since
    bool upTaken;    // a key-up came while held: a release, unless a key-down follows at once
    DWORD lastTime;  // the time of its last message, or the filter's start
  };
  HeldKey* KeyOf(WPARAM virtualKey);

  HeldKey enter_;
  HeldKey escape_;
  DWORD repeatDelay_;  // ms; longer without a message of a held key, and its key-up was lost
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
