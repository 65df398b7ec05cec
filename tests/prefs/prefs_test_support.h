// Test helpers for the settings store's platform-free part: a loaded content as plain values
// (kind, key, text) for comparing, building a content from such lines, and saving to a string.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "prefs/prefs_lines.h"
#include "tests/support/byte_dump.h"

namespace prefstest {

struct Line {
  PrefsLineKind kind;
  std::string key;   // key lines only
  std::string text;  // group name, comment text or value
  bool operator==(const Line&) const = default;
};

inline Line Group(std::string name) { return {PrefsLineKind::Group, "", std::move(name)}; }
inline Line Comment(std::string text) { return {PrefsLineKind::Comment, "", std::move(text)}; }
inline Line Key(std::string key, std::string value) { return {PrefsLineKind::Key, std::move(key), std::move(value)}; }

void PrintTo(const Line& line, std::ostream* out);
using bytedump::Shown;

// The content's lines, in order.
std::vector<Line> LinesOf(const PrefsContent& content);
// Loads `bytes` as a file and returns its lines; `ok` tells whether the load succeeded.
std::vector<Line> LoadLines(const std::string& bytes, bool* ok = nullptr);
// A content holding `lines` (each piece in a block of its own).
void BuildContent(PrefsContent* content, const std::vector<Line>& lines);
// The saved form; also checks that PrefsSavedSize was exact.
std::string Saved(const PrefsContent& content, std::uint32_t options = 0);

// Releases the content when it goes out of scope.
class ScopedContent {
 public:
  ScopedContent() = default;
  ~ScopedContent() { PrefsContentRelease(&content_); }
  ScopedContent(const ScopedContent&) = delete;
  ScopedContent& operator=(const ScopedContent&) = delete;
  PrefsContent* get() { return &content_; }
  PrefsContent& operator*() { return content_; }

 private:
  PrefsContent content_{};
};

}  // namespace prefstest
