// The modal wait: the GUI thread waits for a kernel object (a started program, say) the way a
// requester waits for its answer, only without a dialog. Meanwhile the thread's windows keep
// painting and answering the system, so that none is ever marked "Not Responding"; they take
// no input, show the wait cursor, and the events they queue wait for the event loop.
#pragma once

#include <windows.h>

// Returns once `object` is signalled (at once when it is no object to wait on). The owner (the
// foreground window, when it is this process's) and the thread's other windows are disabled
// until then; input given meanwhile is thrown away whatever queue it came through, a command
// raised meanwhile (a click sent to a button) is no event, a WM_QUIT taken meanwhile is posted
// again, and afterwards the owner's focus is where it was.
void ModalWait(HANDLE object);
