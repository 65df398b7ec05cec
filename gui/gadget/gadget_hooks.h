// What the window layer asks of the gadget layer: whose gadget list is current, and offering a
// parent message about a control to that control's gadget kind.
#pragma once

#include <windows.h>

// Makes `window`'s gadget list current; returns the window whose list was current before (null
// if none). A null argument only reports the current window.
HWND GadgetListUse(HWND window);
// Offers a message the window received about `control` to the gadget of that control (its
// kind's ParentMessage operation); NotHandled when the control is no gadget or the kind has no
// such operation.
LRESULT GadgetOfferMessage(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
