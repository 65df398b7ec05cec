// Reads the modal list for the requester tests: how many entries a thread has in it.
#pragma once

#include <cstdint>

namespace reqtest {

// The number of entries in the modal list that belong to `threadId`.
int ModalEntryCount(std::uint32_t threadId);

}  // namespace reqtest
