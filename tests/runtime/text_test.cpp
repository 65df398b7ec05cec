#include "runtime/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct NumberCase {
  std::int64_t value;
  const wchar_t* text;
};

TEST(NumberToText, DecimalWithMinusNoGroupingNoLeadingZeros) {
  const NumberCase cases[] = {
      {0, L"0"},
      {-1, L"-1"},
      {7, L"7"},
      {512, L"512"},
      {-32000, L"-32000"},
      {1000000, L"1000000"},
      {INT64_MAX, L"9223372036854775807"},
      {INT64_MIN, L"-9223372036854775808"},
  };
  for (const auto& c : cases) {
    const Text text = NumberToText(c.value);
    EXPECT_STREQ(text.c_str(), c.text) << c.value;
    EXPECT_EQ(text.size(), TextLength(c.text));
  }
}

TEST(TextLength, CountsUnitsBeforeTheTerminator) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(L""), 0);
  EXPECT_EQ(TextLength(L"abc"), 3);
  EXPECT_EQ(TextLength(L"\xD83D\xDE00"), 2) << "a surrogate pair counts two units";
}

struct EqualCase {
  const wchar_t* a;
  const wchar_t* b;
  int equal;
};

TEST(TextEqual, UnitForUnitCaseSensitiveNullIsEmpty) {
  const EqualCase cases[] = {
      {nullptr, L"", 1}, {L"", nullptr, 1},   {nullptr, nullptr, 1}, {L"abc", L"abc", 1},
      {L"abc", L"ABC", 0}, {L"abc", L"ab", 0}, {L"ab", L"abc", 0},    {nullptr, L"a", 0},
      {L"\xD83D\xDE00", L"\xD83D\xDE00", 1}, {L"e\x0301", L"\x00E9", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextEqual(c.a, c.b), c.equal) << (c.a ? "a" : "null a") << " / " << (c.b ? "b" : "null b");
  }
}

TEST(FormatText, FormatsTheRuntimeNamesAndNeverWritesPastTheBuffer) {
  struct Case {
    std::size_t capacity;
    const wchar_t* format;
    long long value;
    const wchar_t* text;
    int count;
  };
  const Case cases[] = {
      {64, L"WindowClass_%I64d", -5, L"WindowClass_-5", 14},
      {64, L"Orv_GadgetStack_%I64i", 1234567890123, L"Orv_GadgetStack_1234567890123", 29},
      {15, L"WindowClass_%I64d", -5, L"WindowClass_-5", 14},  // exactly fills, terminator included
      {14, L"WindowClass_%I64d", -5, L"WindowClass_-", -1},
      {1, L"WindowClass_%I64d", -5, L"", -1},
  };
  for (const Case& c : cases) {
    wchar_t buffer[80];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(FormatText(buffer, c.capacity, c.format, c.value), c.count) << "capacity " << c.capacity;
    EXPECT_STREQ(buffer, c.text) << "capacity " << c.capacity;
    EXPECT_TRUE(std::all_of(buffer + c.capacity, std::end(buffer), [](wchar_t unit) { return unit == L'#'; }))
        << "written past a buffer of " << c.capacity << " units";
  }
  wchar_t untouched = L'#';
  EXPECT_EQ(FormatText(&untouched, 0, L"x"), -1);
  EXPECT_EQ(untouched, L'#');
}

TEST(Text, CopiesAndMovesKeepTheirUnits) {
  Text a = L"hello";
  Text b = a;
  Text c = static_cast<Text&&>(a);
  EXPECT_STREQ(b.c_str(), L"hello");
  EXPECT_STREQ(c.c_str(), L"hello");
  EXPECT_STREQ(a.c_str(), L"") << "a moved-from text is empty";
  b = L"x";
  c = b;
  EXPECT_STREQ(c.c_str(), L"x");
  Text empty(nullptr);
  EXPECT_TRUE(empty.empty());
  EXPECT_STREQ(empty.c_str(), L"");
  EXPECT_STREQ(TextJoin({L"User Notification:\r\n(", NumberToText(512).c_str(), L" Chars Left)"}).c_str(),
               L"User Notification:\r\n(512 Chars Left)");
}

TEST(Text, KeepsEmbeddedUnitsBeyondASurrogate) {
  const wchar_t units[] = {L'a', 0xD800, 0xDC00, L'b', 0};
  const Text text(units, 4);
  EXPECT_EQ(text.size(), 4);
  EXPECT_EQ(text.c_str()[1], 0xD800);
}

TEST(TextScratch, GrowsWithSlackAndShrinksBackTowardOneMebibyte) {
  ASSERT_NE(TextScratch(4), nullptr);
  const std::size_t small = TextScratchBytes();
  EXPECT_GE(small, 10u);

  // A result longer than 1 MiB is handed back whole...
  const std::size_t units = 700000;  // 1.4 MB of UTF-16
  std::wstring big(units, L'x');
  big[units - 1] = L'!';
  const Text whole = TextJoin({big.c_str()});
  EXPECT_EQ(whole.size(), static_cast<std::int64_t>(units));
  EXPECT_EQ(whole.c_str()[units - 1], L'!');
  EXPECT_EQ(TextScratchBytes(), (units + 1) * 2 + 16384) << "grown to the need plus 16384 bytes";

  // ...and the scratch buffer shrinks back toward 1 MiB at its next use.
  TextScratch(10);
  EXPECT_EQ(TextScratchBytes(), 1048576u);
  TextScratch(10);
  EXPECT_EQ(TextScratchBytes(), 1048576u) << "1 MiB is kept";
}

// A text that outlives its StringHeap frees nothing when it goes: not into the destroyed heap
// and not into the next one, where its address may well be a live block again.
TEST(Strings, TextsOutliveAStringHeapWithoutFreeingIntoIt) {
  const wchar_t kUnits[] = L"kept across a restart of the texts";
  StringsShutdown();
  StringsInit();
  auto* kept = new Text(kUnits);
  StringsShutdown();  // the heap and every text in it are gone
  StringsInit();
  const Text fresh = kUnits;  // same size as the stale text: perhaps at its address
  SetLastError(ERROR_SUCCESS);
  delete kept;
  // HeapFree of a block the heap does not own fails with an error code.
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "a free of the stale text was attempted";
  const Text next = kUnits;
  EXPECT_NE(next.c_str(), fresh.c_str()) << "the stale text freed a live block of the new heap";
  EXPECT_STREQ(fresh.c_str(), kUnits);
}

}  // namespace
