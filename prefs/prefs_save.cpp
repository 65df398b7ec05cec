#include "prefs/prefs_save.h"

#include <cstring>

namespace {

constexpr char kMarkAndLineEnd[] = "\xEF\xBB\xBF\r\n";
constexpr std::size_t kMarkAndLineEndSize = 5;

// Calls visit(bytes, size) for every piece of the saved form, in order.
template <typename Visit>
void ForEachPiece(const PrefsContent& content, std::uint32_t options, Visit visit) {
  visit(kMarkAndLineEnd, kMarkAndLineEndSize);
  bool firstGroup = true;
  const bool tight = (options & PrefsTightEquals) != 0;
  for (ListLinks* links = content.lines; links; links = links->next) {
    const PrefsLine* line = PrefsLineOf(links);
    switch (line->kind) {
      case PrefsLineKind::Group:
        if ((options & PrefsSpaceBeforeGroups) && !firstGroup) visit("\r\n", 2);
        firstGroup = false;
        visit("[", 1);
        visit(line->text, line->textLength);
        visit("]", 1);
        break;
      case PrefsLineKind::Comment:
        visit("; ", 2);
        visit(line->text, line->textLength);
        break;
      case PrefsLineKind::Key:
        visit(line->key, line->keyLength);
        if (tight) {
          visit("=", 1);
        } else {
          visit(" = ", 3);
        }
        visit(line->text, line->textLength);
        break;
    }
    visit("\r\n", 2);
  }
}

}  // namespace

std::size_t PrefsSavedSize(const PrefsContent& content, std::uint32_t options) {
  std::size_t size = 0;
  ForEachPiece(content, options, [&size](const char*, std::size_t length) { size += length; });
  return size;
}

std::size_t PrefsSaveTo(const PrefsContent& content, std::uint32_t options, char* out) {
  char* const start = out;
  ForEachPiece(content, options, [&out](const char* bytes, std::size_t length) {
    if (length) std::memcpy(out, bytes, length);
    out += length;
  });
  return static_cast<std::size_t>(out - start);
}
