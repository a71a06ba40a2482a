// Where the text that arrived differs from the text expected. The two are lined
// up on their longest common subsequence, so that a character lost or typed
// twice counts once rather than shifting everything after it.
#pragma once

#include <string>

class TextDiff {
 public:
  TextDiff(const std::wstring& expected, const std::wstring& arrived);
  // Characters wrong: those expected that did not arrive as themselves, and
  // those that arrived where nothing was lost.
  int Wrong() const { return wrong; }
  // The first places that differ, as code points: "U+00E9 -> U+00B4 U+0065; ...".
  const std::string& Examples() const { return examples; }

 private:
  void AddPlace(const std::wstring& expected, const std::wstring& arrived);

  int wrong = 0;
  int places = 0;
  std::string examples;
};
