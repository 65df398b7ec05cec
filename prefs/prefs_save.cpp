#include "prefs/prefs_save.h"

#include <cstdint>
#include <cstring>

#include "prefs/prefs.h"

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

std::uintptr_t Address(const char* at) { return reinterpret_cast<std::uintptr_t>(at); }

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

const char* PrefsSaveOverText(PrefsContent* content, std::uint32_t options, std::size_t* size) {
  char* const text = content->text;
  if (!text) return nullptr;
  // Positions count from the block's start. The output begins so that the mark and its line end
  // take the mark's place and the text's first line end, when the text begins with one (as a
  // file this store wrote does): its lines then need not move at all.
  const std::uintptr_t textAt = Address(text);
  const std::size_t blockSize = kPrefsTextHeadRoom + content->textLength + 2;
  const bool leadingLineEnd = content->textLength >= 2 && text[0] == '\r' && text[1] == '\n';
  const std::size_t start = kPrefsTextHeadRoom - kMarkAndLineEndSize + (leadingLineEnd ? 2 : 0);
  // A piece from the text, taken from position p, may go to position o <= p (moving it down
  // overlaps itself only); since the output position only grows, every earlier write then ended
  // at or before p, so nothing still to be taken has been overwritten.
  std::size_t end = start;
  bool fits = true;
  ForEachPiece(*content, options, [&](const char* bytes, std::size_t length) {
    const std::uintptr_t at = Address(bytes);
    if (length && at >= textAt && at < textAt + content->textLength + 2 &&
        end > kPrefsTextHeadRoom + (at - textAt)) {
      fits = false;
    }
    end += length;
  });
  if (!fits || end > blockSize) return nullptr;
  char* const block = text - kPrefsTextHeadRoom;
  char* out = block + start;
  ForEachPiece(*content, options, [&out](const char* bytes, std::size_t length) {
    if (length && bytes != out) std::memmove(out, bytes, length);
    out += length;
  });
  *size = end - start;
  return block + start;
}
