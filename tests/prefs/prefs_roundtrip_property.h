// The round-trip property of the settings file format, shared by the randomized native test and
// the libFuzzer target: for any bytes x and options, load(x) -> save -> load gives the same lines,
// and save(load(save(x))) equals save(x) byte for byte; values stored into a loaded file are
// found at once and read back after a save and load. No GoogleTest here: the fuzzer uses it too.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace prefstest {

struct Write {
  std::string key;    // a key the file format can hold: no '=', CR or LF, no blank, ';' or '['
                      // at its start and no blank at its end
  std::string value;  // anything
};

// Empty when the property holds for `bytes`, else what went wrong.
std::string CheckRoundTrip(const std::string& bytes, std::uint32_t options, const std::vector<Write>& writes);

}  // namespace prefstest
