// The settings file format in both directions, table-driven: bytes in -> lines, lines -> bytes
// out, the agreement of writer and reader, the option bits, sections, key matching, storing
// values, numbers and the encodings.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "prefs/prefs.h"
#include "prefs/prefs_encoding.h"
#include "prefs/prefs_lines.h"
#include "prefs/prefs_load.h"
#include "prefs/prefs_save.h"
#include "prefs/prefs_value.h"
#include "tests/prefs/prefs_test_support.h"

namespace {

using namespace prefstest;
using namespace std::string_literals;

const std::string kMark = "\xEF\xBB\xBF";

struct LoadCase {
  const char* what;
  std::string bytes;
  std::vector<Line> lines;
};

const std::vector<LoadCase>& LoadCases() {
  static const std::vector<LoadCase> cases = {
      {"no mark, no line end", "a=1", {Key("a", "1")}},
      {"blanks around key and value", "  Key  =   value  ", {Key("Key", "value  ")}},
      {"empty key", "=x", {Key("", "x")}},
      {"second = belongs to the value", "k==x", {Key("k", "=x")}},
      {"key without =, LF ends", "novalue\nb=2", {Key("novalue", ""), Key("b", "2")}},
      {"key without = at the very end", "x=1\nlast", {Key("x", "1"), Key("last", "")}},
      {"key without =, trailing blanks", "k \t\r\n", {Key("k", "")}},
      {"tab before =", "k\t=\tv\t", {Key("k", "v\t")}},
      {"value only blanks", "k =   ", {Key("k", "")}},
      {"empty key and value", "=", {Key("", "")}},
      {"comments", ";comment\r\n;  two\r\n   ; x", {Comment("comment"), Comment(" two"), Comment("x")}},
      {"comment keeps a tab", ";\tx", {Comment("\tx")}},
      {"comment alone", ";\n; \n;;", {Comment(""), Comment(""), Comment(";")}},
      {"comment keeps = and [", "; a = [b]", {Comment("a = [b]")}},
      {"group without ]", "[name", {Group("name")}},
      {"text after ] ignored", "[a] junk", {Group("a")}},
      {"group name verbatim", "[ a b ]", {Group(" a b ")}},
      {"empty groups", "[]\n[", {Group(""), Group("")}},
      {"group holding [ and =", "[[x=1]", {Group("[x=1")}},
      {"ISO-8859-1 byte", "k=\xE9", {Key("k", "\xC3\xA9")}},
      {"ISO-8859-1 upper half", "\xFF\x80=\xA0", {Key("\xC3\xBF\xC2\x80", "\xC2\xA0")}},
      {"UTF-8 with the mark used as read", kMark + "k=\xC3\xA9", {Key("k", "\xC3\xA9")}},
      {"invalid UTF-8 after the mark kept", kMark + "k=\xFF\xC3", {Key("k", "\xFF\xC3")}},
      {"two bytes of a mark are ISO-8859-1", "\xEF\xBB", {Key("\xC3\xAF\xC2\xBB", "")}},
      {"a second mark is text", kMark + kMark + "=1", {Key(kMark, "1")}},
      {"empty file", "", {}},
      {"mark alone", kMark, {}},
      {"mark and line end", kMark + "\r\n", {}},
      {"only line ends and blanks", "\r\n\n\r \t\r\n\t", {}},
      {"every line-end mix", "a=1\r\nb=2\rc=3\nd=4\n\r\r\n\n\re=5",
       {Key("a", "1"), Key("b", "2"), Key("c", "3"), Key("d", "4"), Key("e", "5")}},
      {"blank-only lines carry nothing", "   \r\n\t\t\na=1\n  \n", {Key("a", "1")}},
      {"zero bytes are ordinary bytes", "a\0b=c\0d\n\0"s, {Key("a\0b"s, "c\0d"s), Key("\0"s, "")}},
      {"zero byte before =", "\0=\0"s, {Key("\0"s, "\0"s)}},
      {"sections", "x=1\n[g]\ny=2\n;c\n[h]\nz=3",
       {Key("x", "1"), Group("g"), Key("y", "2"), Comment("c"), Group("h"), Key("z", "3")}},
      {"duplicates are kept", "RebootX = 1\nRebootX = 2", {Key("RebootX", "1"), Key("RebootX", "2")}},
      {"the writer's own form", kMark + "\r\n[g]\r\n; c\r\nk = v\r\n", {Group("g"), Comment("c"), Key("k", "v")}},
  };
  return cases;
}

TEST(PrefsFormat, BytesInLinesOut) {
  for (const LoadCase& c : LoadCases()) {
    bool ok = false;
    const std::vector<Line> got = LoadLines(c.bytes, &ok);
    EXPECT_TRUE(ok) << c.what;
    EXPECT_EQ(got, c.lines) << c.what << ": bytes \"" << Shown(c.bytes) << '"';
  }
}

TEST(PrefsFormat, EveryIso88591ByteBecomesItsCodePoint) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b == '\r' || b == '\n' || b == '=' ? 'x' : b);
  ScopedContent content;
  ASSERT_TRUE(PrefsLoadBytes(content.get(), all.data(), all.size()));
  const std::string text((*content).text, (*content).textLength);
  char16_t units[512];
  const std::size_t count = Utf8ToUtf16(text, units);
  ASSERT_EQ(count, all.size());
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(units[i], static_cast<char16_t>(static_cast<unsigned char>(all[i]))) << "byte " << i;
  }
}

struct SaveCase {
  const char* what;
  std::vector<Line> lines;
  std::uint32_t options;
  std::string bytes;
};

TEST(PrefsFormat, LinesInBytesOut) {
  const std::vector<SaveCase> cases = {
      {"nothing: the mark and one line end", {}, 0, kMark + "\r\n"},
      {"each kind", {Group("grp"), Comment("x"), Key("a", "1")}, 0, kMark + "\r\n[grp]\r\n; x\r\na = 1\r\n"},
      {"empty pieces", {Group(""), Comment(""), Key("", "")}, 0, kMark + "\r\n[]\r\n; \r\n = \r\n"},
      {"value blanks kept, nothing escaped", {Key("k", " v ;[=\t")}, 0, kMark + "\r\nk =  v ;[=\t\r\n"},
      {"comment with a leading blank", {Comment(" two")}, 0, kMark + "\r\n;  two\r\n"},
      {"zero bytes kept", {Key("a\0"s, "\0b"s)}, 0, kMark + "\r\na\0 = \0b\r\n"s},
      {"bit 0: = alone", {Key("a", "1"), Key("", "")}, PrefsTightEquals, kMark + "\r\na=1\r\n=\r\n"},
      {"bit 1: empty line before groups but the first",
       {Key("x", "1"), Group("a"), Key("k", "v"), Group("b"), Group("c")}, PrefsSpaceBeforeGroups,
       kMark + "\r\nx = 1\r\n[a]\r\nk = v\r\n\r\n[b]\r\n\r\n[c]\r\n"},
      {"bit 1 with a group first", {Group("a"), Group("b")}, PrefsSpaceBeforeGroups, kMark + "\r\n[a]\r\n\r\n[b]\r\n"},
      {"both bits", {Group("a"), Key("k", "v"), Group("b")}, PrefsTightEquals | PrefsSpaceBeforeGroups,
       kMark + "\r\n[a]\r\nk=v\r\n\r\n[b]\r\n"},
  };
  for (const SaveCase& c : cases) {
    ScopedContent content;
    BuildContent(content.get(), c.lines);
    const std::string got = Saved(*content, c.options);
    EXPECT_EQ(Shown(got), Shown(c.bytes)) << c.what;
  }
}

// What the writer writes the reader gives back, line for line, with every option.
TEST(PrefsFormat, WriterAndReaderAgree) {
  const std::vector<Line> lines = {
      Key("FirstRun", "0"), Comment("text"), Comment(" two"), Comment("\tx"), Comment(""), Comment("; a=b"),
      Key("k", "=x"), Key("", "x"), Key("", ""), Key("novalue", ""), Key("trail", "v  \t"),
      Key("k\xC3\xA9", "\xE2\x82\xAC"), Key("z\0"s, "\0"s), Group("grp"), Group(" a b "), Group(""),
      Group("[["), Key("RebootX", "9"), Comment("after"),
  };
  for (std::uint32_t options = 0; options < 4; ++options) {
    ScopedContent content;
    BuildContent(content.get(), lines);
    const std::string bytes = Saved(*content, options);
    EXPECT_EQ(LoadLines(bytes), lines) << "options " << options << ", bytes \"" << Shown(bytes) << '"';
  }
}

TEST(PrefsFormat, WhatASaveAndLoadDoesNotKeep) {
  struct Case {
    const char* what;
    Line written;
    std::vector<Line> read;
  };
  const std::vector<Case> cases = {
      {"blanks at the start of a value", Key("k", "  v"), {Key("k", "v")}},
      {"a value of blanks only", Key("k", " \t "), {Key("k", "")}},
      {"blanks at the end of a key", Key("k \t", "v"), {Key("k", "v")}},
  };
  for (const Case& c : cases) {
    ScopedContent content;
    BuildContent(content.get(), {c.written});
    EXPECT_EQ(LoadLines(Saved(*content)), c.read) << c.what;
  }
  // Encoding and line ends: an ISO-8859-1 file with LF ends comes back as UTF-8 with CR LF.
  ScopedContent content;
  const std::string latin = "k=\xE9\nj=2";
  ASSERT_TRUE(PrefsLoadBytes(content.get(), latin.data(), latin.size()));
  EXPECT_EQ(Shown(Saved(*content)), Shown(kMark + "\r\nk = \xC3\xA9\r\nj = 2\r\n"));
}

// --- sections, key matching, storing ---

struct Loaded {
  explicit Loaded(const std::string& bytes) {
    EXPECT_TRUE(PrefsLoadBytes(content.get(), bytes.data(), bytes.size()));
  }
  ScopedContent content;
  PrefsContent& operator*() { return *content; }
};

TEST(PrefsLines, KeyMatchingFoldsOnlyAsciiLetters) {
  struct Case {
    const char* stored;
    const char* wanted;
    bool match;
  };
  const std::vector<Case> cases = {
      {"RebootX", "RebootX", true},  {"REBOOTX", "RebootX", true},  {"rebootx", "REBOOTX", true},
      {"RebootX", "RebootY", false}, {"RebootX", "RebootX ", false}, {"a[", "a{", false},
      {"@", "`", false},             {"^", "~", false},             {"\xC3\xA9", "\xC3\x89", false},
      {"", "", true},                {"a b", "a\nb", true},         {"a b", "a\rb", true},
      {"a_1", "A_1", true},          {"Z", "z", true},              {"a", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrefsKeyMatches(c.stored, c.wanted), c.match) << '"' << c.stored << "\" against \"" << Shown(c.wanted) << '"';
  }
}

std::string ValueOf(const PrefsContent& content, const char* key) {
  const PrefsLine* line = PrefsFindKey(content, key);
  return line ? std::string(line->text, line->textLength) : "<not found>";
}

TEST(PrefsLines, LookupSeesTheLeadingSectionOnly) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* key;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"upper-case key in the file", "REBOOTX = 7", "RebootX", "7"},
      {"first duplicate wins", "RebootX = 1\nRebootX = 2", "RebootX", "1"},
      {"a key after a group is not seen", "[grp]\nRebootX = 9", "RebootX", "<not found>"},
      {"comments are passed over", ";RebootX = 1\n; x\nRebootX = 3", "RebootX", "3"},
      {"the leading section only", "a=1\n[g]\nb=2", "b", "<not found>"},
      {"the empty key", "=x", "", "x"},
      {"a key without =", "novalue\nb=2", "novalue", ""},
      {"lookup keeps the value's trailing blanks", "k = v  ", "k", "v  "},
      {"nothing loaded", "", "k", "<not found>"},
  };
  for (const Case& c : cases) {
    Loaded loaded(c.bytes);
    EXPECT_EQ(ValueOf(*loaded, c.key), c.value) << c.what;
  }
}

struct StoreCase {
  const char* what;
  std::string bytes;
  std::vector<std::pair<std::string, std::string>> writes;
  std::vector<Line> lines;
};

TEST(PrefsLines, StoringValues) {
  const std::vector<StoreCase> cases = {
      {"a new key goes before the first group line", "[grp]\na=1", {{"RebootX", "5"}},
       {Key("RebootX", "5"), Group("grp"), Key("a", "1")}},
      {"a found key is respelled and stays in place", "a=1\nRebootX = 5\nb=2", {{"rebootx", "6"}},
       {Key("a", "1"), Key("rebootx", "6"), Key("b", "2")}},
      {"new keys in the order first written", "",
       {{"FirstRun", "1"}, {"RebootX", "0"}, {"RebootY", "0"}, {"AdminName", ""}, {"AdminPass", ""}, {"Domain", ""},
        {"FirstRun", "0"}},
       {Key("FirstRun", "0"), Key("RebootX", "0"), Key("RebootY", "0"), Key("AdminName", ""), Key("AdminPass", ""),
        Key("Domain", "")}},
      {"after the section's comments, before the group", "a=1\n;c\n[g]\nx=1", {{"b", "2"}},
       {Key("a", "1"), Comment("c"), Key("b", "2"), Group("g"), Key("x", "1")}},
      {"at the end when there is no group", ";only\n", {{"k", "v"}}, {Comment("only"), Key("k", "v")}},
      {"a key in a later section gets a new line", "[g]\nk=1", {{"k", "2"}}, {Key("k", "2"), Group("g"), Key("k", "1")}},
      {"only the first duplicate changes", "k=1\nk=2", {{"K", "3"}}, {Key("K", "3"), Key("k", "2")}},
      {"five digits, one, then six", "RebootX = 12345", {{"RebootX", "1"}, {"RebootX", "123456"}},
       {Key("RebootX", "123456")}},
      {"CR and LF are stored as blanks", "", {{"k", "a\r\nb\rc\n"}, {"x\ry", "1"}}, {Key("k", "a  b c "), Key("x y", "1")}},
      {"a value with blanks is stored exactly", "", {{"k", "  v  "}}, {Key("k", "  v  ")}},
      {"a key without = takes a value", "novalue\nb=2", {{"novalue", "x"}}, {Key("novalue", "x"), Key("b", "2")}},
      {"the empty value into a key without =", "novalue", {{"NOVALUE", ""}}, {Key("NOVALUE", "")}},
      {"zero bytes in a value", "", {{"k", "a\0b"s}}, {Key("k", "a\0b"s)}},
  };
  for (const StoreCase& c : cases) {
    Loaded loaded(c.bytes);
    for (const auto& [key, value] : c.writes) ASSERT_TRUE(PrefsStoreValue(&*loaded, key, value)) << c.what;
    EXPECT_EQ(LinesOf(*loaded), c.lines) << c.what;
    // And the saved file reads back the same (values beginning with blanks aside).
    if (c.what != std::string("a value with blanks is stored exactly")) {
      EXPECT_EQ(LoadLines(Saved(*loaded)), c.lines) << c.what << ", saved and read again";
    }
  }
}

TEST(PrefsLines, ValueStorageIsReusedWhenTheNewValueFits) {
  Loaded loaded("RebootX = 12345\nk");
  PrefsLine* line = PrefsFindKey(*loaded, "RebootX");
  ASSERT_NE(line, nullptr);
  char* const inText = line->text;
  EXPECT_FALSE(line->textOwned);
  ASSERT_TRUE(PrefsStoreValue(&*loaded, "RebootX", "1"));
  EXPECT_EQ(line->text, inText) << "a shorter value is written over the old one";
  ASSERT_TRUE(PrefsStoreValue(&*loaded, "RebootX", "54321"));
  EXPECT_EQ(line->text, inText) << "a value as long as the first one still fits";
  ASSERT_TRUE(PrefsStoreValue(&*loaded, "RebootX", "123456"));
  EXPECT_NE(line->text, inText);
  EXPECT_TRUE(line->textOwned);
  char* const owned = line->text;
  ASSERT_TRUE(PrefsStoreValue(&*loaded, "RebootX", "-7"));
  EXPECT_EQ(line->text, owned) << "a block of its own is reused as well";
  ASSERT_TRUE(PrefsStoreValue(&*loaded, "RebootX", "12345678"));
  EXPECT_EQ(ValueOf(*loaded, "RebootX"), "12345678");
  EXPECT_EQ(LoadLines(Saved(*loaded)), (std::vector<Line>{Key("RebootX", "12345678"), Key("k", "")}));
}

// --- numbers ---

TEST(PrefsValue, ReadsIntegersAsI64d) {
  const std::int64_t max = std::numeric_limits<std::int64_t>::max();
  const std::int64_t min = std::numeric_limits<std::int64_t>::min();
  const std::vector<std::pair<std::string, std::int64_t>> cases = {
      {"12abc", 12}, {"abc", 0}, {"-5", -5}, {" +7", 7}, {"0x10", 0}, {"", 0}, {"+", 0}, {"-", 0}, {"- 5", 0},
      {"007", 7}, {"\t\v\f\r\n 42", 42}, {"-32000", -32000}, {"1 2", 1}, {"+-1", 0}, {"3.9", 3},
      {"9223372036854775807", max}, {"9223372036854775808", max}, {"99999999999999999999999", max},
      {"-9223372036854775808", min}, {"-9223372036854775809", min}, {"-99999999999999999999", min},
      {"00000000000000000000000000001", 1}, {"\0" "5"s, 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(PrefsParseInteger(text), expected) << '"' << Shown(text) << '"';
}

TEST(PrefsValue, FormatsIntegersAsI64i) {
  const std::vector<std::pair<std::int64_t, std::string>> cases = {
      {0, "0"}, {-1, "-1"}, {7, "7"}, {-32000, "-32000"}, {1000000, "1000000"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& [value, expected] : cases) {
    char digits[20];
    EXPECT_EQ(std::string(digits, PrefsFormatInteger(value, digits)), expected);
    EXPECT_EQ(PrefsParseInteger(expected), value);
  }
}

TEST(PrefsValue, SkipsBlanksAtTheStartOnly) {
  EXPECT_EQ(PrefsSkipBlanks(" \t v \t"), "v \t");
  EXPECT_EQ(PrefsSkipBlanks("   "), "");
  EXPECT_EQ(PrefsSkipBlanks("\nv"), "\nv");
}

// --- encodings ---

TEST(PrefsEncoding, Utf8ToUtf16) {
  const std::vector<std::pair<std::string, std::u16string>> cases = {
      {"abc", u"abc"},
      {"\xC3\xA9", u"\u00E9"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\0b"s, u"a\0b"s},
      {"\xC3", u"\uFFFD"},
      {"\xE2\x82", u"\uFFFD"},
      {"\xE2\x82x", u"\uFFFDx"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
      {"\x80", u"\uFFFD"},
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& [utf8, utf16] : cases) {
    char16_t units[16] = {};
    const std::size_t count = Utf8ToUtf16(utf8, nullptr);
    EXPECT_EQ(Utf8ToUtf16(utf8, units), count);
    EXPECT_EQ(std::u16string(units, count), utf16) << '"' << Shown(utf8) << '"';
  }
}

TEST(PrefsEncoding, Utf16ToUtf8) {
  const std::vector<std::pair<std::u16string, std::string>> cases = {
      {u"abc", "abc"},
      {u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string(1, char16_t{0xD800}), "\xEF\xBF\xBD"},
      {std::u16string(1, char16_t{0xDC00}) + u"a", "\xEF\xBF\xBD" "a"},
      {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
  };
  for (const auto& [utf16, utf8] : cases) {
    char bytes[16] = {};
    const std::size_t count = Utf16ToUtf8(utf16, nullptr);
    EXPECT_EQ(Utf16ToUtf8(utf16, bytes), count);
    EXPECT_EQ(Shown(std::string(bytes, count)), Shown(utf8));
  }
}

TEST(PrefsEncoding, MarkAndLatin1Expansion) {
  EXPECT_TRUE(PrefsHasUtf8Mark("\xEF\xBB\xBF", 3));
  EXPECT_FALSE(PrefsHasUtf8Mark("\xEF\xBB", 2));
  EXPECT_FALSE(PrefsHasUtf8Mark("\xEF\xBB\xBE", 3));
  char buffer[16] = "a\xE9" "b\xFF";
  const std::size_t size = 4;
  EXPECT_EQ(Latin1ExtraBytes(buffer, size), 2u);
  EXPECT_EQ(Latin1ToUtf8InPlace(buffer, size), 6u);
  EXPECT_EQ(Shown(std::string(buffer, 6)), Shown("a\xC3\xA9" "b\xC3\xBF"));
}


}  // namespace
