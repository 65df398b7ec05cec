// The program's entry procedure: the start-up list of the runtime facilities in its fixed order,
// the main window, the event loop with its dispatch, and the teardown list.
#pragma once

// Entry: starts every facility, runs the tool until the user quits, tears down and ends the
// process with exit code 0 (1 when the main window could not be opened). Reads no command line.
[[noreturn]] void AppMain();
// The teardown list, steps 1 to 8: the settings store first, the MemoryHeap last.
void RuntimeShutdown();
// Asks the system to take as many pages as it can out of the working set; after every return
// of EventWait.
void TrimWorkingSet();
