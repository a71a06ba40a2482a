// Which keys Windows would consider down, replayed from the keyboard events the
// Win32 stand-in recorded.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>

#include "FakeWindows.h"

class KeyState {
 public:
  // Applies the recorded calls from index `from` on; returns the new end.
  size_t Apply(size_t from) {
    const std::vector<std::string>& calls = fake::win().calls;
    for (; from < calls.size(); ++from) Apply(calls[from]);
    return from;
  }

  void Apply(const std::string& call) {
    if (call.compare(0, 12, "keybd_event(") == 0) {
      size_t scan = call.find(',');
      size_t flags = call.find(',', scan + 1);
      down[call.substr(12, scan - 12)] = call.compare(flags, 3, ",0,") == 0;
    } else if (call.compare(0, 18, "SendInput(unicode ") == 0) {
      size_t space = call.find(' ', 18);
      down["U+" + call.substr(18, space - 18)] = call.find(" down)") != std::string::npos;
    }
  }

  // Aborts, naming the key, when any key is still down.
  void ExpectAllUp(const char* when) const {
    for (const auto& [key, isDown] : down) {
      if (isDown) {
        fprintf(stderr, "key %s still down %s\n", key.c_str(), when);
        abort();
      }
    }
  }

 private:
  std::map<std::string, bool> down;
};

inline void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "property violated: %s\n", what);
    abort();
  }
}
