#include "app/reboot_parameters.h"

namespace {

// Appends to an optional output buffer while counting what would be written.
class ParameterWriter {
 public:
  explicit ParameterWriter(char16_t* out) : out_(out) {}

  void Put(char16_t unit) {
    if (out_ != nullptr) out_[length_] = unit;
    ++length_;
  }
  void Put(const char16_t* units) {
    for (; *units != 0; ++units) Put(*units);
  }
  void PutRepeated(char16_t unit, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(unit);
  }
  std::size_t length() const { return length_; }

 private:
  char16_t* out_;
  std::size_t length_ = 0;
};

bool NeedsQuotes(const char16_t* prefix, const char16_t* text) {
  for (const char16_t* parts[] = {prefix, text}; const char16_t* part : parts) {
    for (const char16_t* unit = part; *unit != 0; ++unit) {
      if (*unit == u' ' || *unit == u'\t' || *unit == u'"') return true;
    }
  }
  return false;
}

// One argument in double quotes, by the rules CommandLineToArgvW reads back: a run of n
// backslashes followed by a quote stands for n backslashes only when it is written as 2n, so a
// run before a literal quote is doubled and the quote escaped (2n + 1 and \"), a run before the
// closing quote is doubled, and any other run stays as it is.
void PutQuoted(ParameterWriter& writer, const char16_t* prefix, const char16_t* text) {
  writer.Put(u'"');
  std::size_t backslashes = 0;
  for (const char16_t* parts[] = {prefix, text}; const char16_t* part : parts) {
    for (const char16_t* unit = part; *unit != 0; ++unit) {
      if (*unit == u'\\') {
        ++backslashes;
        continue;
      }
      if (*unit == u'"') {
        writer.PutRepeated(u'\\', backslashes * 2 + 1);
      } else {
        writer.PutRepeated(u'\\', backslashes);
      }
      backslashes = 0;
      writer.Put(*unit);
    }
  }
  writer.PutRepeated(u'\\', backslashes * 2);
  writer.Put(u'"');
}

// An argument written as it is when the splitter would read it back unchanged (no blank, tab or
// quote; backslashes not followed by a quote are taken literally), otherwise quoted.
void PutArgument(ParameterWriter& writer, const char16_t* prefix, const char16_t* text) {
  if (NeedsQuotes(prefix, text)) {
    PutQuoted(writer, prefix, text);
    return;
  }
  writer.Put(prefix);
  writer.Put(text);
}

}  // namespace

std::size_t RebootParametersBuild(const char16_t* name, const char16_t* timeout, const char16_t* notice,
                                  char16_t* out) {
  ParameterWriter writer(out);
  writer.Put(u"/r /f /m ");
  PutArgument(writer, u"\\\\", name != nullptr ? name : u"");
  writer.Put(u" /t ");
  // An empty timeout stays empty: the text then reads " /t  -c ", as the tool always did.
  if (timeout != nullptr && *timeout != 0) PutArgument(writer, u"", timeout);
  writer.Put(u" -c ");
  PutQuoted(writer, u"", notice != nullptr ? notice : u"");
  return writer.length();
}
