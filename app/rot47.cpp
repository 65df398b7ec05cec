#include "app/rot47.h"

void Rot47Apply(char16_t* text) {
  if (text == nullptr) return;
  for (; *text != 0; ++text) {
    if (*text >= 33 && *text <= 126) *text = static_cast<char16_t>(33 + (*text + 14) % 94);
  }
}
