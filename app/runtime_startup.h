// The runtime facilities' start-up and teardown lists, in their fixed order: the entry procedure
// runs them around the tool, and the GUI layers' test programs around their tests.
#pragma once

// The start-up list, texts first, the common controls and COM last.
void RuntimeStartup();
// The teardown list, steps 1 to 8: the settings store first, the MemoryHeap last. The texts go
// after it, once their holders have let them go.
void RuntimeShutdown();
