#include "prefs/prefs_lines.h"

#include <cstring>

#include "runtime/memory.h"

namespace {

// The byte as keys are matched: A-Z as a-z, and CR and LF as the blanks they are stored as.
char KeyMatchForm(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c == '\r' || c == '\n') return ' ';
  return c;
}

// Copies `from` to `to`, turning CR and LF into blanks: the file format has no escape for them.
void CopyOneLine(char* to, std::string_view from) {
  for (std::size_t i = 0; i < from.size(); ++i) to[i] = (from[i] == '\r' || from[i] == '\n') ? ' ' : from[i];
  to[from.size()] = '\0';
}

// The last line of the leading section, or null when the section is empty.
ListLinks* LeadingSectionEnd(const PrefsContent& content) {
  ListLinks* last = nullptr;
  for (ListLinks* links = content.lines; links; links = links->next) {
    if (PrefsLineOf(links)->kind == PrefsLineKind::Group) break;
    last = links;
  }
  return last;
}

}  // namespace

PrefsLine* PrefsLineInsert(PrefsContent* content, ListLinks* after, std::size_t extra) {
  const std::size_t size = sizeof(ListLinks) + sizeof(PrefsLine) + extra;
  if (size < extra) return nullptr;
  void* item = after ? ListAllocAfterHead(after, size) : ListAlloc(&content->lines, size);
  return static_cast<PrefsLine*>(item);
}

bool PrefsKeyMatches(std::string_view stored, std::string_view wanted) {
  if (stored.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (KeyMatchForm(stored[i]) != KeyMatchForm(wanted[i])) return false;
  }
  return true;
}

PrefsLine* PrefsFindKey(const PrefsContent& content, std::string_view key) {
  for (ListLinks* links = content.lines; links; links = links->next) {
    PrefsLine* line = PrefsLineOf(links);
    if (line->kind == PrefsLineKind::Group) return nullptr;
    if (line->kind == PrefsLineKind::Key && PrefsKeyMatches({line->key, line->keyLength}, key)) return line;
  }
  return nullptr;
}

bool PrefsStoreValue(PrefsContent* content, std::string_view key, std::string_view value) {
  PrefsLine* line = PrefsFindKey(*content, key);
  char* storage = nullptr;
  if (!line || value.size() > line->textCapacity) {
    storage = static_cast<char*>(RuntimeAlloc(value.size() + 1));
    if (!storage) return false;
  }
  if (!line) {
    line = PrefsLineInsert(content, LeadingSectionEnd(*content), key.size() + 1);
    if (!line) {
      RuntimeFree(storage);
      return false;
    }
    line->kind = PrefsLineKind::Key;
    line->key = reinterpret_cast<char*>(line + 1);
    line->keyLength = key.size();
  }
  // Same length as the stored key (only letter case and the line breaks fold), so in place.
  CopyOneLine(line->key, key);
  if (storage) {
    if (line->textOwned) RuntimeFreeWiped(line->text);
    line->text = storage;
    line->textOwned = true;
    line->textCapacity = value.size();
  }
  CopyOneLine(line->text, value);
  line->textLength = value.size();
  return true;
}

void PrefsContentRelease(PrefsContent* content) {
  while (content->lines) {
    PrefsLine* line = PrefsLineOf(content->lines);
    if (line->textOwned) RuntimeFreeWiped(line->text);
    ListFree(&content->lines, line);
  }
  RuntimeFreeWiped(content->text);
  *content = PrefsContent{};
}
