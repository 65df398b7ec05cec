// The reboot request's parameter text read back by the real CommandLineToArgvW, the splitter
// shutdown.exe's C runtime follows: the command line the launcher builds (the program in
// quotes, a blank, the parameters) must give the program and then exactly the typed fields.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/reboot_parameters.h"
#include "tests/app/reboot_parameters_cases.h"
#include "tests/support/win_test.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Build(const ArgumentCase& c) {
  const std::size_t length = RebootParametersBuild(c.name.c_str(), c.timeout.c_str(), c.notice.c_str(), nullptr);
  std::u16string text(length, u'?');
  RebootParametersBuild(c.name.c_str(), c.timeout.c_str(), c.notice.c_str(), text.data());
  return Wide(text);
}

TEST(RebootParametersWin, CommandLineToArgvWGivesTheTypedFields) {
  for (const ArgumentCase& c : kArgumentCases) {
    const std::wstring commandLine = L"\"C:\\windows\\system32\\shutdown.exe\" " + Build(c);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    ASSERT_NE(nullptr, argv) << c.label;
    std::vector<std::wstring> got(argv, argv + count);
    LocalFree(argv);
    std::vector<std::wstring> expected = {L"C:\\windows\\system32\\shutdown.exe"};
    for (const std::u16string& argument : ExpectedArguments(c)) expected.push_back(Wide(argument));
    ASSERT_EQ(expected.size(), got.size()) << c.label << ": " << wintest::Narrow(commandLine);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(wintest::Narrow(expected[i]), wintest::Narrow(got[i]))
          << c.label << ": argument " << i << " of " << wintest::Narrow(commandLine);
    }
  }
}

TEST(RebootParametersWin, OrdinaryInputGivesThePlainText) {
  for (const PlainCase& c : kPlainCases) {
    const std::size_t length = RebootParametersBuild(c.name.c_str(), c.timeout.c_str(), c.notice.c_str(), nullptr);
    std::u16string text(length, u'?');
    RebootParametersBuild(c.name.c_str(), c.timeout.c_str(), c.notice.c_str(), text.data());
    EXPECT_EQ(wintest::Narrow(Wide(c.expected)), wintest::Narrow(Wide(text)));
  }
}

}  // namespace
