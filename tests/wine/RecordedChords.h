// A host's key callback that records each chord as code, then param.
#pragma once

#include <vector>

inline std::vector<unsigned> chords;

inline int __stdcall OnChord(int code, int param) {
  chords.push_back(static_cast<unsigned>(code));
  chords.push_back(static_cast<unsigned>(param));
  return 0;
}
