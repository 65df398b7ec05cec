#include "prefs/prefs_load.h"

#include <cstring>

#include "prefs/prefs_encoding.h"
#include "runtime/memory.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

char* PrefsTextAlloc(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) - 2) return nullptr;
  return static_cast<char*>(RuntimeAlloc(size + 2));
}

bool PrefsTextAdopt(PrefsContent* content, char* buffer, std::size_t size, bool hadMark) {
  if (!hadMark) {
    const std::size_t extra = Latin1ExtraBytes(buffer, size);
    if (extra) {
      // Copied, not reallocated: a reallocation that moves the text frees its old block as it is,
      // and the file's text holds the stored credentials.
      auto* grown = static_cast<char*>(RuntimeAlloc(size + extra + 2));
      if (grown) std::memcpy(grown, buffer, size);
      RuntimeFreeWiped(buffer);
      if (!grown) return false;
      buffer = grown;
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
    std::size_t lineEnd = at;
    while (lineEnd < end && !IsLineEnd(text[lineEnd])) ++lineEnd;
    std::size_t next = lineEnd;
    while (next < end && IsLineEnd(text[next])) ++next;
    if (lineEnd > at) {
      PrefsLine* line = PrefsLineInsert(content, last, 0);
      if (!line) return false;
      last = ListLinksOf(line);
      char* start = text + at;
      const std::size_t length = lineEnd - at;
      if (start[0] == ';') {
        std::size_t from = 1;
        if (length > 1 && start[1] == ' ') from = 2;
        line->kind = PrefsLineKind::Comment;
        line->text = start + from;
        line->textLength = length - from;
      } else if (start[0] == '[') {
        const void* close = std::memchr(start + 1, ']', length - 1);
        line->kind = PrefsLineKind::Group;
        line->text = start + 1;
        line->textLength = close ? static_cast<const char*>(close) - (start + 1) : length - 1;
      } else {
        const void* equals = std::memchr(start, '=', length);
        std::size_t keyLength = equals ? static_cast<const char*>(equals) - start : length;
        line->kind = PrefsLineKind::Key;
        line->key = start;
        if (equals) {
          std::size_t from = keyLength + 1;
          while (from < length && IsBlank(start[from])) ++from;
          line->text = start + from;
          line->textLength = length - from;
        }
        while (keyLength > 0 && IsBlank(start[keyLength - 1])) --keyLength;
        line->keyLength = keyLength;
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
