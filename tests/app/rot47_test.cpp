// ROT47: the rotation of the printable ASCII range, the units it leaves alone, and that a second
// application gives the text back.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "app/rot47.h"

namespace {

std::u16string Apply(std::u16string text) {
  Rot47Apply(text.data());
  return text;
}

TEST(Rot47, RotatesThePrintableRangeBy47) {
  struct Case {
    std::u16string in;
    std::u16string out;
  };
  const Case cases[] = {
      {u"!", u"P"},          // 33 -> 80
      {u"~", u"O"},          // 126 -> 79
      {u"O", u"~"},
      {u"P", u"!"},
      {u"Hello", u"w6==@"},
      {u"CORP", u"r~#!"},
      {u"P@ssw0rd!", u"!oDDH_C5P"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.out, Apply(c.in));
  }
}

TEST(Rot47, LeavesEveryUnitOutside33To126) {
  const std::u16string others = u" \t\r\n\x7f\u00e9\u20ac\xd83d\xde00\x01\x20";
  EXPECT_EQ(others, Apply(others));
  EXPECT_EQ(u" w6==@ ", Apply(u" Hello "));
}

TEST(Rot47, TwiceGivesTheTextBack) {
  std::u16string all;
  for (char16_t unit = 1; unit < 300; ++unit) all += unit;
  EXPECT_EQ(all, Apply(Apply(all)));
  // Every printable character moves, and the map is a permutation of the range.
  std::u16string printable;
  for (char16_t unit = 33; unit <= 126; ++unit) printable += unit;
  const std::u16string rotated = Apply(printable);
  for (std::size_t i = 0; i < printable.size(); ++i) EXPECT_NE(printable[i], rotated[i]);
  std::u16string sorted = rotated;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(printable, sorted);
}

TEST(Rot47, StopsAtTheTerminatorAndIgnoresNull) {
  char16_t text[] = {u'a', 0, u'a', 0};
  Rot47Apply(text);
  EXPECT_EQ(u'2', text[0]);
  EXPECT_EQ(u'a', text[2]);
  Rot47Apply(nullptr);
}

}  // namespace
