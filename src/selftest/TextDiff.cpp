#include "TextDiff.h"

#include <stdio.h>

#include <vector>

namespace {

const int kExamples = 3;
const size_t kCodePointsShown = 4;
// Bounds the table for text that ran away (a key repeating, say).
const size_t kLongest = 4000;

std::string CodePoints(const std::wstring& text) {
  if (text.empty()) return "(nothing)";
  std::string shown;
  for (size_t i = 0; i < text.size() && i < kCodePointsShown; ++i) {
    char point[12];
    snprintf(point, sizeof point, "%sU+%04X", i ? " " : "", static_cast<unsigned>(text[i]));
    shown += point;
  }
  if (text.size() > kCodePointsShown) shown += " ...";
  return shown;
}

}  // namespace

TextDiff::TextDiff(const std::wstring& expected, const std::wstring& full) {
  const std::wstring arrived = full.substr(0, kLongest);
  const size_t n = expected.size(), m = arrived.size();
  // common[i * (m + 1) + j]: the longest common subsequence of expected[i..] and arrived[j..].
  std::vector<unsigned short> common((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> unsigned short& { return common[i * (m + 1) + j]; };
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m; j-- > 0;) {
      at(i, j) = expected[i] == arrived[j]
                     ? at(i + 1, j + 1) + 1
                     : (at(i + 1, j) > at(i, j + 1) ? at(i + 1, j) : at(i, j + 1));
    }
  }
  std::wstring lost, extra;
  for (size_t i = 0, j = 0; i < n || j < m;) {
    if (i < n && j < m && expected[i] == arrived[j] && at(i, j) == at(i + 1, j + 1) + 1) {
      AddPlace(lost, extra);
      lost.clear();
      extra.clear();
      ++i, ++j;
    } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
      lost += expected[i++];
    } else {
      extra += arrived[j++];
    }
  }
  AddPlace(lost, extra);
}

void TextDiff::AddPlace(const std::wstring& expected, const std::wstring& arrived) {
  if (expected.empty() && arrived.empty()) return;
  wrong += static_cast<int>(expected.empty() ? arrived.size() : expected.size());
  if (++places > kExamples) return;
  if (places > 1) examples += "; ";
  examples += CodePoints(expected) + " -> " + CodePoints(arrived);
}
