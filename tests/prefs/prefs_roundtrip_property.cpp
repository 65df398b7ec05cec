#include "tests/prefs/prefs_roundtrip_property.h"

#include <cstring>

#include "prefs/prefs_lines.h"
#include "prefs/prefs_load.h"
#include "prefs/prefs_save.h"
#include "prefs/prefs_value.h"

namespace prefstest {

namespace {

struct Piece {
  PrefsLineKind kind;
  std::string key;
  std::string text;
  bool operator==(const Piece&) const = default;
};

class Content {
 public:
  Content() = default;
  ~Content() { PrefsContentRelease(&content_); }
  Content(const Content&) = delete;
  Content& operator=(const Content&) = delete;
  PrefsContent* get() { return &content_; }

 private:
  PrefsContent content_{};
};

std::vector<Piece> Pieces(const PrefsContent& content) {
  std::vector<Piece> pieces;
  for (ListLinks* links = content.lines; links; links = links->next) {
    const PrefsLine* line = PrefsLineOf(links);
    pieces.push_back({line->kind, line->kind == PrefsLineKind::Key ? std::string(line->key, line->keyLength) : "",
                      std::string(line->text, line->textLength)});
  }
  return pieces;
}

std::string Save(const PrefsContent& content, std::uint32_t options, std::string* why) {
  const std::size_t size = PrefsSavedSize(content, options);
  std::string bytes(size, '\0');
  const std::size_t written = PrefsSaveTo(content, options, bytes.data());
  if (written != size) *why = "the saved size was not worked out exactly";
  return bytes;
}

std::string Expected(const std::string& value) {
  std::string stored = value;
  for (char& c : stored) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return stored;
}

std::string ValueOf(const PrefsContent& content, const std::string& key, bool* found) {
  const PrefsLine* line = PrefsFindKey(content, key);
  *found = line != nullptr;
  return line ? std::string(line->text, line->textLength) : std::string();
}

}  // namespace

std::string CheckRoundTrip(const std::string& bytes, std::uint32_t options, const std::vector<Write>& writes) {
  std::string why;
  Content first;
  if (!PrefsLoadBytes(first.get(), bytes.data(), bytes.size())) return "the first load failed";
  const std::vector<Piece> loaded = Pieces(*first.get());
  const std::string saved = Save(*first.get(), options, &why);
  if (!why.empty()) return why;

  Content second;
  if (!PrefsLoadBytes(second.get(), saved.data(), saved.size())) return "loading the saved file failed";
  if (Pieces(*second.get()) != loaded) return "load -> save -> load changed the lines";
  if (Save(*second.get(), options, &why) != saved) return "save(load(save(x))) differs from save(x)";
  if (!why.empty()) return why;

  for (const Write& write : writes) {
    if (!PrefsStoreValue(first.get(), write.key, write.value)) return "a value could not be stored";
    bool found = false;
    if (ValueOf(*first.get(), write.key, &found) != Expected(write.value) || !found) {
      return "a stored value is not found as stored: key \"" + write.key + "\"";
    }
  }
  if (writes.empty()) return "";
  const std::string changed = Save(*first.get(), options, &why);
  if (!why.empty()) return why;
  Content third;
  if (!PrefsLoadBytes(third.get(), changed.data(), changed.size())) return "loading the changed file failed";
  for (const Write& write : writes) {
    bool found = false;
    const std::string inMemory = ValueOf(*first.get(), write.key, &found);
    const std::string reread = ValueOf(*third.get(), write.key, &found);
    if (!found || reread != std::string(PrefsSkipBlanks(inMemory))) {
      return "a stored value does not read back after a save: key \"" + write.key + "\"";
    }
  }
  // Line for line the same, but for the blanks at the start of values, which the reader skips.
  std::vector<Piece> written = Pieces(*first.get());
  for (Piece& piece : written) {
    if (piece.kind == PrefsLineKind::Key) piece.text = std::string(PrefsSkipBlanks(piece.text));
  }
  if (Pieces(*third.get()) != written) return "the changed file does not read back line for line";
  return why;
}

}  // namespace prefstest
