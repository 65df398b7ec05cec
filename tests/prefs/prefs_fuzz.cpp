// libFuzzer target for the settings file format: the first byte picks the options and how many
// of the following bytes are the file; the rest become key/value writes. Aborts when the
// round-trip property fails; the sanitizers catch memory faults.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/prefs/prefs_roundtrip_property.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t options = data[0] & 3;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t fileSize = rest.size();
  std::vector<prefstest::Write> writes;
  if (data[0] & 4) {
    // The second half of the input is one write: the first half of it the key (made a key the
    // format can hold), the rest the value.
    fileSize = rest.size() / 2;
    std::string key = rest.substr(fileSize, (rest.size() - fileSize) / 2);
    for (char& c : key) {
      if (c == '=' || c == '\r' || c == '\n') c = 'q';
    }
    if (!key.empty() && (key[0] == ' ' || key[0] == '\t' || key[0] == ';' || key[0] == '[')) key[0] = 'k';
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    writes.push_back({key, rest.substr(fileSize + (rest.size() - fileSize) / 2)});
  }
  const std::string why = prefstest::CheckRoundTrip(rest.substr(0, fileSize), options, writes);
  if (!why.empty()) {
    std::fprintf(stderr, "round trip failed: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}
