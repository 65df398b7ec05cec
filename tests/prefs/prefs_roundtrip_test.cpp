// The randomized round trip of the settings file format: many generated files (random bytes,
// random lines of every kind, zero bytes, invalid UTF-8, huge lines, with and without the mark,
// every line-end mix) and random writes into them. Native only, under ASan/UBSan. The number of
// cases (200,000 by default) and the seed can be set through REBOOTPC_PREFS_CASES and
// REBOOTPC_PREFS_SEED; a failure names the case's seed so it can be run alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/prefs/prefs_roundtrip_property.h"
#include "tests/prefs/prefs_test_support.h"

namespace {

using prefstest::Write;

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : random_(seed) {}

  std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }

  // A byte as found in settings files, leaning on the ones the format gives meaning to.
  char Byte() {
    static const char kSpecial[] = {' ', '\t', '=', ';', '[', ']', '\r', '\n', '\0', 'a', 'Z', '\xEF', '\xBB', '\xBF',
                                    '\xC3', '\xA9', '\x80', '\xFF', '\xE2', '\x82', '\xAC', '\xF0', '\x9F', '\xED'};
    if (OneIn(3)) return static_cast<char>(Below(256));
    return kSpecial[Below(sizeof kSpecial)];
  }

  std::string Bytes(std::size_t most) {
    std::string bytes(Below(most + 1), '\0');
    for (char& c : bytes) c = Byte();
    return bytes;
  }

  std::string Word(std::size_t most, bool lineBreaks) {
    std::string word = Bytes(most);
    if (!lineBreaks) {
      for (char& c : word) {
        if (c == '\r' || c == '\n') c = 'x';
      }
    }
    return word;
  }

  std::string Blanks() {
    static const char* const kBlanks[] = {"", "", " ", "\t", "  ", " \t "};
    return kBlanks[Below(6)];
  }

  std::string LineEnd() {
    static const char* const kEnds[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n", "\n\n", "\r\n\r\n", " \r\n"};
    return kEnds[Below(8)];
  }

  std::string Line() {
    switch (Below(8)) {
      case 0: return Blanks() + "[" + Word(12, false) + (OneIn(2) ? "]" + Word(4, false) : "");
      case 1: return Blanks() + ";" + Word(12, false);
      case 2: return Blanks();
      case 3: return Word(20, false);
      case 4: return Blanks() + Word(8, false) + Blanks() + (OneIn(4) ? "" : "=") + Blanks() + Word(12, false);
      default: return Blanks() + Key() + Blanks() + "=" + Blanks() + Word(12, false) + Blanks();
    }
  }

  std::string File() {
    std::string file = OneIn(2) ? "\xEF\xBB\xBF" : "";
    if (OneIn(5)) return file + Bytes(64);
    const std::size_t lines = Below(16);
    for (std::size_t i = 0; i < lines; ++i) {
      file += OneIn(20000) ? std::string(Below(70000) + 1, Byte()) + Word(8, true) : Line();
      if (i + 1 < lines || OneIn(2)) file += LineEnd();
    }
    return file;
  }

  // A key the writer can write so that the reader reads it back.
  std::string Key() {
    static const char* const kKeys[] = {"RebootX", "rebootx", "REBOOTY", "FirstRun", "Domain", "a", "k\xC3\xA9", "x y",
                                        "k\0z"};
    if (OneIn(3)) {
      std::string key;
      const std::size_t length = Below(6) + 1;
      for (std::size_t i = 0; i < length; ++i) {
        char c = Byte();
        if (c == '=' || c == '\r' || c == '\n') c = 'q';
        key += c;
      }
      if (key[0] == ' ' || key[0] == '\t' || key[0] == ';' || key[0] == '[') key[0] = 'k';
      while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
      return key;
    }
    const std::size_t pick = Below(9);
    return pick == 8 ? std::string("k\0z", 3) : kKeys[pick];
  }

  std::vector<Write> Writes() {
    std::vector<Write> writes(Below(4));
    for (Write& write : writes) write = {Key(), Blanks() + Word(OneIn(50) ? 300 : 10, true) + Blanks()};
    return writes;
  }

 private:
  std::mt19937_64 random_;
};

TEST(PrefsRoundTrip, RandomFilesLoadSaveAndLoadAgainUnchanged) {
  const std::uint64_t cases = EnvNumber("REBOOTPC_PREFS_CASES", 200000);
  const std::uint64_t seed = EnvNumber("REBOOTPC_PREFS_SEED", 20261207);
  std::uint64_t failures = 0;
  for (std::uint64_t n = 0; n < cases && failures < 5; ++n) {
    Generator generate(seed * 1000003 + n);
    const std::string bytes = generate.File();
    const auto options = static_cast<std::uint32_t>(generate.Below(4));
    const std::vector<Write> writes = generate.Writes();
    const std::string why = prefstest::CheckRoundTrip(bytes, options, writes);
    if (!why.empty()) {
      ++failures;
      ADD_FAILURE() << why << "\n  case " << n << " (REBOOTPC_PREFS_SEED=" << seed << "), options " << options
                    << "\n  bytes \"" << prefstest::Shown(bytes.substr(0, 400)) << '"';
    }
  }
  std::printf("%llu generated files checked\n", static_cast<unsigned long long>(cases));
}

}  // namespace
