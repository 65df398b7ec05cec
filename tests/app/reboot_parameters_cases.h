// The table of reboot-request inputs shared by the parameter-text tests (native and Windows):
// ordinary input with the exact text it must give, and hostile input with the arguments
// shutdown.exe must receive.
#pragma once

#include <string>
#include <vector>

struct PlainCase {
  std::u16string name;
  std::u16string timeout;
  std::u16string notice;
  std::u16string expected;
};

// Ordinary input: the plain concatenation, byte for byte.
inline const std::vector<PlainCase> kPlainCases = {
    {u"pc01", u"30", u"Maintenance", u"/r /f /m \\\\pc01 /t 30 -c \"Maintenance\""},
    {u"10.0.0.7", u"5", u"Back in five minutes.", u"/r /f /m \\\\10.0.0.7 /t 5 -c \"Back in five minutes.\""},
    {u"srv", u"999999", u"x", u"/r /f /m \\\\srv /t 999999 -c \"x\""},
    {u"srv", u"", u"x", u"/r /f /m \\\\srv /t  -c \"x\""},
    {u"srv", u"30", u"C:\\temp is full", u"/r /f /m \\\\srv /t 30 -c \"C:\\temp is full\""},
    {u"srv\\", u"30", u"x", u"/r /f /m \\\\srv\\ /t 30 -c \"x\""},
    {u"h\u00f6st", u"30", u"Gr\u00fc\u00dfe \u20ac", u"/r /f /m \\\\h\u00f6st /t 30 -c \"Gr\u00fc\u00dfe \u20ac\""},
    // Hostile input quoted as it must be.
    {u"srv", u"30", u"say \"hi\"", u"/r /f /m \\\\srv /t 30 -c \"say \\\"hi\\\"\""},
    {u"srv", u"30", u"ends in \\", u"/r /f /m \\\\srv /t 30 -c \"ends in \\\\\""},
    {u"srv", u"30", u"a\\\"b", u"/r /f /m \\\\srv /t 30 -c \"a\\\\\\\"b\""},
    {u" ", u"30", u"x", u"/r /f /m \"\\\\ \" /t 30 -c \"x\""},
    {u"my pc", u"3 0", u"x", u"/r /f /m \"\\\\my pc\" /t \"3 0\" -c \"x\""},
};

struct ArgumentCase {
  const char* label;
  std::u16string name;
  std::u16string timeout;
  std::u16string notice;
};

// What shutdown.exe must receive after its program name.
inline std::vector<std::u16string> ExpectedArguments(const ArgumentCase& c) {
  std::vector<std::u16string> arguments = {u"/r", u"/f", u"/m", u"\\\\" + c.name, u"/t"};
  if (!c.timeout.empty()) arguments.push_back(c.timeout);
  arguments.push_back(u"-c");
  arguments.push_back(c.notice);
  return arguments;
}

inline const std::vector<ArgumentCase> kArgumentCases = {
    {"ordinary", u"pc01", u"30", u"Maintenance tonight"},
    {"empty timeout", u"pc01", u"", u"x"},
    {"name of one blank", u" ", u"30", u"x"},
    {"quotes in the notice", u"pc", u"30", u"say \"hi\" now"},
    {"only a quote", u"pc", u"30", u"\""},
    {"backslash before a quote", u"pc", u"30", u"a\\\"b"},
    {"two backslashes before a quote", u"pc", u"30", u"a\\\\\"b"},
    {"trailing backslash", u"pc", u"30", u"ends in \\"},
    {"trailing backslashes", u"pc", u"30", u"ends in \\\\\\"},
    {"only backslashes", u"pc", u"30", u"\\\\"},
    {"tabs", u"pc", u"30", u"a\tb\t"},
    {"switches in the notice", u"pc", u"30", u"\" /s /m \\\\other"},
    {"switches in the name", u"\" /s /m \\\\other", u"30", u"x"},
    {"name with blanks and quotes", u"a \"b\" c\\", u"30", u"x"},
    {"name ending in backslashes", u"pc\\\\", u"30", u"x"},
    {"name with a tab", u"p\tc", u"30", u"x"},
    {"pasted timeout with a blank", u"pc", u"30 /s", u"x"},
    {"pasted timeout with a quote", u"pc", u"3\"0", u"x"},
    {"leading and trailing blanks", u"pc", u"30", u"  padded  "},
    {"notice of 512 quotes", u"pc", u"30", std::u16string(512, u'"')},
    {"notice of 512 backslashes", u"pc", u"30", std::u16string(512, u'\\')},
    {"notice of 512 mixed", u"pc", u"30", [] {
       std::u16string text;
       while (text.size() < 512) text += u"\\\" \t";
       return text.substr(0, 512);
     }()},
    {"non-ASCII", u"h\u00f6st", u"30", u"\u00e9t\u00e9 \U0001F600 \"q\""},
};
