// The in-memory settings file: its loaded text and its lines (group, comment and key lines) in
// file order, kept as linked blocks. Offers key matching in the leading section, storing a value
// (in place where it fits, else in a block of its own), inserting a new key line at the end of
// the leading section, and releasing everything. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/linked_list.h"

enum class PrefsLineKind : std::uint8_t { Group = 1, Comment = 2, Key = 3 };

// One line. Pieces of a loaded file point into PrefsContent::text, cut out by zero bytes written
// over their separators; lengths are kept because a file's text may hold zero bytes of its own.
struct PrefsLine {
  PrefsLineKind kind;
  bool textOwned;             // `text` is a runtime-heap block of its own, freed with the line
  char* key;                  // key lines only; a new line keeps its key behind the record
  std::size_t keyLength;
  char* text;                 // the group name, the comment text or the value; zero after it
  std::size_t textLength;
  std::size_t textCapacity;   // bytes `text` can hold before its terminator
};

// The content owns its text, a runtime-heap block (RuntimeAlloc) that PrefsContentRelease frees.
struct PrefsContent {
  char* text;                 // the loaded file text, two zero bytes after it
  std::size_t textLength;
  ListLinks* lines;           // first line's links; ListItemOf gives the PrefsLine
};

inline PrefsLine* PrefsLineOf(ListLinks* links) { return static_cast<PrefsLine*>(ListItemOf(links)); }

// A new zeroed line after `after` (at the front when `after` is null) with `extra` bytes behind
// the record; null when it cannot be allocated.
PrefsLine* PrefsLineInsert(PrefsContent* content, ListLinks* after, std::size_t extra);

// Keys match byte for byte except that A-Z and a-z match regardless of case; CR and LF in the
// caller's key stand for blanks, as they are stored (PrefsStoreValue).
bool PrefsKeyMatches(std::string_view stored, std::string_view wanted);
// The first key line of the leading section whose key matches; comment lines are passed over
// and the first group line ends the search. Null when there is none.
PrefsLine* PrefsFindKey(const PrefsContent& content, std::string_view key);

// Stores `value` under `key` in the leading section: a found line keeps its place and takes the
// caller's spelling of the key; otherwise a new key line goes after the section's last line
// (before the first group line). CR and LF in key and value are stored as blanks, so a key
// always stays one line. A value block it replaces is wiped as it is freed. Returns false, with
// nothing changed, when memory runs out.
bool PrefsStoreValue(PrefsContent* content, std::string_view key, std::string_view value);

// Releases every line, the values held apart and the loaded text, and clears the record. The
// values and the text are wiped as they are freed (RuntimeFreeWiped): the store does not know
// which of its values is a secret, and the application keeps a password among them.
void PrefsContentRelease(PrefsContent* content);
