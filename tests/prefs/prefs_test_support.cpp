#include "tests/prefs/prefs_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "prefs/prefs_load.h"
#include "prefs/prefs_save.h"
#include "runtime/memory.h"

namespace prefstest {

void PrintTo(const Line& line, std::ostream* out) {
  switch (line.kind) {
    case PrefsLineKind::Group: *out << "group \"" << Shown(line.text) << '"'; break;
    case PrefsLineKind::Comment: *out << "comment \"" << Shown(line.text) << '"'; break;
    case PrefsLineKind::Key: *out << "key \"" << Shown(line.key) << "\" = \"" << Shown(line.text) << '"'; break;
    default: *out << "line of kind " << static_cast<int>(line.kind); break;
  }
}

std::vector<Line> LinesOf(const PrefsContent& content) {
  std::vector<Line> lines;
  ListLinks* previous = nullptr;
  for (ListLinks* links = content.lines; links; links = links->next) {
    EXPECT_EQ(links->previous, previous) << "backward link of line " << lines.size();
    previous = links;
    const PrefsLine* line = PrefsLineOf(links);
    Line copy{line->kind, "", std::string(line->text, line->textLength)};
    EXPECT_EQ(line->text[line->textLength], '\0') << "terminator of line " << lines.size();
    EXPECT_LE(line->textLength, line->textCapacity);
    if (line->kind == PrefsLineKind::Key) copy.key.assign(line->key, line->keyLength);
    lines.push_back(copy);
  }
  return lines;
}

std::vector<Line> LoadLines(const std::string& bytes, bool* ok) {
  ScopedContent content;
  const bool loaded = PrefsLoadBytes(content.get(), bytes.data(), bytes.size());
  if (ok) *ok = loaded;
  return LinesOf(*content);
}

namespace {
char* Copy(const std::string& text) {
  auto* block = static_cast<char*>(RuntimeAlloc(text.size() + 1));
  if (!text.empty()) std::memcpy(block, text.data(), text.size());
  return block;
}
}  // namespace

void BuildContent(PrefsContent* content, const std::vector<Line>& lines) {
  *content = PrefsContent{};
  ListLinks* last = nullptr;
  for (const Line& line : lines) {
    PrefsLine* made = PrefsLineInsert(content, last, line.key.size() + 1);
    ASSERT_NE(made, nullptr);
    last = ListLinksOf(made);
    made->kind = line.kind;
    made->key = reinterpret_cast<char*>(made + 1);
    if (!line.key.empty()) std::memcpy(made->key, line.key.data(), line.key.size());
    made->keyLength = line.key.size();
    made->text = Copy(line.text);
    made->textOwned = true;
    made->textLength = made->textCapacity = line.text.size();
  }
}

std::string Saved(const PrefsContent& content, std::uint32_t options) {
  const std::size_t size = PrefsSavedSize(content, options);
  std::string bytes(size, '\x55');
  const std::size_t written = PrefsSaveTo(content, options, bytes.data());
  EXPECT_EQ(written, size) << "the size worked out before the save must be exact";
  bytes.resize(written);
  return bytes;
}

}  // namespace prefstest
