#include "prefs/prefs_save.h"

#include <cstring>

#include "prefs/prefs.h"

namespace {

constexpr char kMarkAndLineEnd[] = "\xEF\xBB\xBF\r\n";

char* Put(char* out, const char* bytes, std::size_t size) {
  if (size) std::memcpy(out, bytes, size);
  return out + size;
}

}  // namespace

std::size_t PrefsSavedSize(const PrefsContent& content, std::uint32_t options) {
  std::size_t size = 5;
  bool firstGroup = true;
  const std::size_t separator = (options & PrefsTightEquals) ? 1 : 3;
  for (ListLinks* links = content.lines; links; links = links->next) {
    const PrefsLine* line = PrefsLineOf(links);
    switch (line->kind) {
      case PrefsLineKind::Group:
        size += line->textLength + 4;
        if ((options & PrefsSpaceBeforeGroups) && !firstGroup) size += 2;
        firstGroup = false;
        break;
      case PrefsLineKind::Comment:
        size += line->textLength + 4;
        break;
      case PrefsLineKind::Key:
        size += line->keyLength + separator + line->textLength + 2;
        break;
    }
  }
  return size;
}

std::size_t PrefsSaveTo(const PrefsContent& content, std::uint32_t options, char* out) {
  char* const start = out;
  out = Put(out, kMarkAndLineEnd, 5);
  bool firstGroup = true;
  for (ListLinks* links = content.lines; links; links = links->next) {
    const PrefsLine* line = PrefsLineOf(links);
    switch (line->kind) {
      case PrefsLineKind::Group:
        if ((options & PrefsSpaceBeforeGroups) && !firstGroup) out = Put(out, "\r\n", 2);
        firstGroup = false;
        out = Put(out, "[", 1);
        out = Put(out, line->text, line->textLength);
        out = Put(out, "]", 1);
        break;
      case PrefsLineKind::Comment:
        out = Put(out, "; ", 2);
        out = Put(out, line->text, line->textLength);
        break;
      case PrefsLineKind::Key:
        out = Put(out, line->key, line->keyLength);
        out = (options & PrefsTightEquals) ? Put(out, "=", 1) : Put(out, " = ", 3);
        out = Put(out, line->text, line->textLength);
        break;
    }
    out = Put(out, "\r\n", 2);
  }
  return static_cast<std::size_t>(out - start);
}
