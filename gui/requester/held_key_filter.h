// A box that a key press brought up (an error box after Enter, say) must not be answered by the
// same key held down: its repeats would close the box before the admin saw it. While a
// HeldKeyFilter lives, the thread's message-filter hook (WH_MSGFILTER) keeps the repeated
// key-downs of Enter and Escape, the keys with which the dialog manager answers a box (its
// default button, Cancel), from the box. IsDialogMessageW passes each message to the hook
// (MSGF_DIALOGBOX) before anything else, and takes it as handled when the hook says so: in the
// system's message box, whose modal loop asks IsDialogMessageW first, and in the input
// requester, whose loop asks the hook itself (CallMsgFilterW) before its accelerators.
// A key that is down when the box comes belongs to the press that brought it up until it is let
// go: even a key-down of it without the repeat bit is kept from the box, and a key-up followed
// at once by a key-down is no letting go. A system may resynchronise its key state when the
// focus moves to the box (Wine does, from the display's keyboard: Wine 8 then gives the held
// key's next repeat as a new press, Wine 10 a key-up just before it). A new press of a key after
// that, and the repeats of every other key (typing in a field), pass.
#pragma once

class HeldKeyFilter {
 public:
  HeldKeyFilter();
  ~HeldKeyFilter();
  HeldKeyFilter(const HeldKeyFilter&) = delete;
  HeldKeyFilter& operator=(const HeldKeyFilter&) = delete;
};
