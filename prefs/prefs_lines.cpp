#include "prefs/prefs_lines.h"

#include <cstring>

#include "prefs/prefs_load.h"
#include "runtime/memory.h"

namespace {

char Folded(char c) {
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
  if (item) ++content->blocksApart;
  return static_cast<PrefsLine*>(item);
}

PrefsLine* PrefsLineAppendParsed(PrefsContent* content, ListLinks* after) {
  constexpr std::size_t kRecordSize = sizeof(ListLinks) + sizeof(PrefsLine);
  // A chunk: its capacity and used count, then the records. Each chunk holds twice the records
  // of the one before, up to a limit, so that a large file's lines take few blocks to allocate
  // and to free, and a small file's few lines a small one.
  struct ChunkHeader {
    std::size_t capacity;
    std::size_t used;
  };
  constexpr std::size_t kFirstChunkRecords = 512;
  constexpr std::size_t kLargestChunkRecords = 32768;
  auto* chunk = content->lineChunks ? static_cast<ChunkHeader*>(ListItemOf(content->lineChunks)) : nullptr;
  if (!chunk || chunk->used == chunk->capacity) {
    const std::size_t capacity =
        !chunk ? kFirstChunkRecords : (chunk->capacity < kLargestChunkRecords ? 2 * chunk->capacity : chunk->capacity);
    chunk = static_cast<ChunkHeader*>(
        ListAlloc(&content->lineChunks, sizeof(ListLinks) + sizeof(ChunkHeader) + capacity * kRecordSize));
    if (!chunk) return nullptr;
    chunk->capacity = capacity;
  }
  auto* links = reinterpret_cast<ListLinks*>(reinterpret_cast<char*>(chunk + 1) + chunk->used * kRecordSize);
  ++chunk->used;
  if (after) {
    links->next = after->next;
    if (after->next) after->next->previous = links;
    links->previous = after;
    after->next = links;
  } else {
    links->next = content->lines;
    if (content->lines) content->lines->previous = links;
    content->lines = links;
  }
  auto* line = static_cast<PrefsLine*>(ListItemOf(links));
  line->inChunk = true;
  return line;
}

bool PrefsKeyMatches(std::string_view stored, std::string_view wanted) {
  if (stored.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (Folded(stored[i]) != Folded(wanted[i])) return false;
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
  if (key.size() >= kPrefsPieceLimit || value.size() >= kPrefsPieceLimit) return false;
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
    line->keyLength = static_cast<std::uint32_t>(key.size());
  }
  // Same length as the stored key (only letter case and the line breaks fold), so in place.
  CopyOneLine(line->key, key);
  if (storage) {
    if (line->textOwned) RuntimeFree(line->text);
    if (!line->textOwned) ++content->blocksApart;
    line->text = storage;
    line->textOwned = true;
    line->textCapacity = static_cast<std::uint32_t>(value.size());
  }
  CopyOneLine(line->text, value);
  line->textLength = static_cast<std::uint32_t>(value.size());
  return true;
}

void PrefsContentRelease(PrefsContent* content) {
  // A file only read, or changed in place, has nothing apart: its lines go with their chunks,
  // without a walk over every line.
  for (ListLinks* links = content->blocksApart ? content->lines : nullptr; links;) {
    ListLinks* next = links->next;
    PrefsLine* line = PrefsLineOf(links);
    if (line->textOwned) RuntimeFree(line->text);
    if (!line->inChunk) RuntimeFree(links);
    links = next;
  }
  while (content->lineChunks) ListFree(&content->lineChunks, ListItemOf(content->lineChunks));
  PrefsTextFree(content->text);
  *content = PrefsContent{};
}
