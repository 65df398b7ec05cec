#include "prefs/prefs_load.h"

#include <cstring>

#include "prefs/prefs_encoding.h"
#include "prefs/prefs_scan.h"
#include "runtime/memory.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

char* PrefsTextAlloc(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) - 2 - kPrefsTextHeadRoom) return nullptr;
  auto* block = static_cast<char*>(RuntimeAlloc(kPrefsTextHeadRoom + size + 2));
  return block ? block + kPrefsTextHeadRoom : nullptr;
}

void PrefsTextFree(char* text) {
  if (text) RuntimeFree(text - kPrefsTextHeadRoom);
}

bool PrefsTextAdopt(PrefsContent* content, char* buffer, std::size_t size, bool hadMark) {
  if (!hadMark) {
    const std::size_t extra = Latin1ExtraBytes(buffer, size);
    if (extra) {
      auto* grown = static_cast<char*>(RuntimeRealloc(buffer - kPrefsTextHeadRoom, kPrefsTextHeadRoom + size + extra + 2));
      if (!grown) {
        PrefsTextFree(buffer);
        return false;
      }
      buffer = grown + kPrefsTextHeadRoom;
      size = Latin1ToUtf8InPlace(buffer, size);
    }
  }
  buffer[size] = '\0';
  buffer[size + 1] = '\0';
  content->text = buffer;
  content->textLength = size;
  if (PrefsParse(content)) return true;
  PrefsContentRelease(content);
  return false;
}

bool PrefsParse(PrefsContent* content) {
  char* const text = content->text;
  const std::size_t end = content->textLength;
  ListLinks* last = nullptr;
  std::size_t at = 0;
  while (at < end) {
    while (at < end && IsBlank(text[at])) ++at;
    const std::size_t lineEnd = at + PrefsFindLineEnd(text + at, end - at);
    std::size_t next = lineEnd;
    while (next < end && IsLineEnd(text[next])) ++next;
    if (lineEnd > at) {
      if (lineEnd - at >= kPrefsPieceLimit) return false;
      PrefsLine* line = PrefsLineAppendParsed(content, last);
      if (!line) return false;
      last = ListLinksOf(line);
      char* start = text + at;
      const std::size_t length = lineEnd - at;
      if (start[0] == ';') {
        std::size_t from = 1;
        if (length > 1 && start[1] == ' ') from = 2;
        line->kind = PrefsLineKind::Comment;
        line->text = start + from;
        line->textLength = static_cast<std::uint32_t>(length - from);
      } else if (start[0] == '[') {
        line->kind = PrefsLineKind::Group;
        line->text = start + 1;
        // up to "]", or the whole rest
        line->textLength = static_cast<std::uint32_t>(PrefsFindByte(start + 1, length - 1, ']'));
      } else {
        const std::size_t equalsAt = PrefsFindByte(start, length, '=');
        const bool equals = equalsAt < length;
        std::size_t keyLength = equalsAt;
        line->kind = PrefsLineKind::Key;
        line->key = start;
        if (equals) {
          std::size_t from = keyLength + 1;
          while (from < length && IsBlank(start[from])) ++from;
          line->text = start + from;
          line->textLength = static_cast<std::uint32_t>(length - from);
        }
        while (keyLength > 0 && IsBlank(start[keyLength - 1])) --keyLength;
        line->keyLength = static_cast<std::uint32_t>(keyLength);
        start[keyLength] = '\0';
        // No "=": the empty value shares the key's terminator.
        if (!equals) line->text = start + keyLength;
      }
      line->text[line->textLength] = '\0';
      line->textCapacity = line->textLength;
    }
    at = next;
  }
  return true;
}

bool PrefsLoadBytes(PrefsContent* content, const char* bytes, std::size_t size) {
  *content = PrefsContent{};
  const bool hadMark = PrefsHasUtf8Mark(bytes, size);
  if (hadMark) {
    bytes += 3;
    size -= 3;
  }
  if (size == 0) return true;
  char* buffer = PrefsTextAlloc(size);
  if (!buffer) return false;
  std::memcpy(buffer, bytes, size);
  return PrefsTextAdopt(content, buffer, size, hadMark);
}
