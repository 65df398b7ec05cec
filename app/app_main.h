// The program's entry procedure and its two fixed lists: the runtime facilities' start-up steps
// in order, and their teardown steps in order.
#pragma once

// Entry: starts every facility, runs the tool, tears down and ends the process with exit code 0.
[[noreturn]] void AppMain();
// The start-up list (the main heap must exist already).
void RuntimeStartup();
// The teardown list, settings store first, texts last.
void RuntimeShutdown();
