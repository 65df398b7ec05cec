// The reboot request's parameter text: ordinary input gives the plain text byte for byte, and
// for every input, hostile ones included, splitting the text by the command-line rules gives
// back exactly the typed fields. The splitter here follows the documented rules of
// CommandLineToArgvW for every argument after the program name; the Windows build runs the same
// table through the real CommandLineToArgvW (reboot_parameters_win_test.cpp).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/reboot_parameters.h"
#include "tests/app/reboot_parameters_cases.h"

namespace {

std::vector<std::u16string> SplitArguments(const std::u16string& text) {
  std::vector<std::u16string> arguments;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    if (i >= text.size()) break;
    std::u16string argument;
    bool quoted = false;
    while (i < text.size()) {
      const char16_t unit = text[i];
      if (!quoted && (unit == u' ' || unit == u'\t')) break;
      if (unit == u'\\') {
        std::size_t run = 0;
        while (i < text.size() && text[i] == u'\\') {
          ++run;
          ++i;
        }
        if (i < text.size() && text[i] == u'"') {
          argument.append(run / 2, u'\\');
          if (run % 2 == 1) {
            argument += u'"';
            ++i;
          }
        } else {
          argument.append(run, u'\\');
        }
        continue;
      }
      if (unit == u'"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
          argument += u'"';  // "" inside quotes: one literal quote
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      argument += unit;
      ++i;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::u16string Build(const std::u16string& name, const std::u16string& timeout, const std::u16string& notice) {
  const std::size_t length = RebootParametersBuild(name.c_str(), timeout.c_str(), notice.c_str(), nullptr);
  std::u16string text(length, u'?');
  EXPECT_EQ(length, RebootParametersBuild(name.c_str(), timeout.c_str(), notice.c_str(), text.data()));
  return text;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else {
      out += "\\u{" + std::to_string(static_cast<unsigned>(unit)) + "}";
    }
  }
  return out;
}

TEST(RebootParameters, OrdinaryInputGivesThePlainText) {
  for (const PlainCase& c : kPlainCases) {
    EXPECT_EQ(Narrow(c.expected), Narrow(Build(c.name, c.timeout, c.notice)))
        << "name \"" << Narrow(c.name) << "\" timeout \"" << Narrow(c.timeout) << "\"";
  }
}

TEST(RebootParameters, EveryFieldArrivesAsTyped) {
  for (const ArgumentCase& c : kArgumentCases) {
    const std::u16string text = Build(c.name, c.timeout, c.notice);
    const std::vector<std::u16string> got = SplitArguments(text);
    const std::vector<std::u16string> expected = ExpectedArguments(c);
    ASSERT_EQ(expected.size(), got.size()) << c.label << ": parameter text [" << Narrow(text) << "]";
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(Narrow(expected[i]), Narrow(got[i]))
          << c.label << ": argument " << i << " of [" << Narrow(text) << "]";
    }
  }
}

TEST(RebootParameters, NullFieldsCountAsEmpty) {
  const std::u16string expected = u"/r /f /m \\\\ /t  -c \"\"";
  const std::size_t length = RebootParametersBuild(nullptr, nullptr, nullptr, nullptr);
  std::u16string text(length, u'?');
  RebootParametersBuild(nullptr, nullptr, nullptr, text.data());
  EXPECT_EQ(Narrow(expected), Narrow(text));
}

// The sizing pass (no buffer) counts exactly the units the write pass writes: a buffer one unit
// longer than announced is filled up to its last unit, which keeps its guard.
TEST(RebootParameters, SizingPassCountsWhatTheWritePassWrites) {
  const std::u16string notice(512, u'"');
  const std::size_t length = RebootParametersBuild(u"pc", u"30", notice.c_str(), nullptr);
  std::u16string buffer(length + 1, u'#');
  EXPECT_EQ(length, RebootParametersBuild(u"pc", u"30", notice.c_str(), buffer.data()));
  EXPECT_EQ(u'#', buffer[length]);
  EXPECT_EQ(std::u16string::npos, buffer.substr(0, length).find(u'#')) << "a unit counted but not written";
  // 512 quotes become 512 \" pairs between the two quotes of the notice.
  EXPECT_EQ(std::u16string(u"/r /f /m \\\\pc /t 30 -c ").size() + 2 + 1024, length);
}

}  // namespace
