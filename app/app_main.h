// The program's entry procedure: the runtime facilities' start-up (runtime_startup.h), the main
// window, the event loop with its dispatch, and the teardown.
#pragma once

// Entry: starts every facility, runs the tool until the user quits, tears down and ends the
// process with exit code 0 (1 when the main window could not be opened). Reads no command line.
[[noreturn]] void AppMain();
// Asks the system to take as many pages as it can out of the working set; after every return
// of EventWait.
void TrimWorkingSet();
