// The self-test's comparison: a character lost, doubled or typed as two counts
// once, and the report names the places by code point.
#include <gtest/gtest.h>

#include "../../src/selftest/TextDiff.h"

namespace {

struct DiffCase {
  const char* what;
  const wchar_t* expected;
  const wchar_t* arrived;
  int wrong;
  const char* examples;
};

const DiffCase kCases[] = {
    {"same", L"No\u00EBl", L"No\u00EBl", 0, ""},
    {"one lost, the rest not shifted", L"abcdef", L"abdef", 1, "U+0063 -> (nothing)"},
    {"one extra", L"abc", L"xabc", 1, "(nothing) -> U+0078"},
    {"one replaced", L"a\u00E9c", L"a\u00C9c", 1, "U+00E9 -> U+00C9"},
    {"accent and letter for one", L"l'\u00E9t\u00E9", L"l'\u00B4et\u00E9", 1,
     "U+00E9 -> U+00B4 U+0065"},
    {"three places shown, long ones cut", L"ab-cd-ef-gh-ijklmn", L"-----", 14,
     "U+0061 U+0062 -> (nothing); U+0063 U+0064 -> (nothing); U+0065 U+0066 -> (nothing)"},
    {"nothing arrived", L"abcdef", L"", 6, "U+0061 U+0062 U+0063 U+0064 ... -> (nothing)"},
};

TEST(TextDiffTest, CountsEachPlaceOnceAndNamesTheFirstThree) {
  for (const DiffCase& c : kCases) {
    TextDiff diff(c.expected, c.arrived);
    EXPECT_EQ(c.wrong, diff.Wrong()) << c.what;
    EXPECT_EQ(c.examples, diff.Examples()) << c.what;
  }
}

}  // namespace
