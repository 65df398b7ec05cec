#include "tests/gui/requester/modal_list_probe.h"

#include "gui/requester/modal_ownership.h"

namespace reqtest {

int ModalEntryCount(std::uint32_t threadId) {
  int count = 0;
  for (ListLinks* links = modalList; links; links = links->next) {
    if (static_cast<const ModalEntry*>(ListItemOf(links))->threadId == threadId) ++count;
  }
  return count;
}

}  // namespace reqtest
