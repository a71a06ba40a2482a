// Which keys Windows would consider down, replayed from the keyboard events the
// Win32 stand-in recorded: keybd_event and SendInput alike, a key by its virtual
// key (its scan code under KEYEVENTF_SCANCODE, its character under
// KEYEVENTF_UNICODE), down or up by KEYEVENTF_KEYUP alone, whatever other flags
// come with it.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>

#include "FakeWindows.h"

class KeyState {
 public:
  // The calls Apply reads, for fake::Windows::recordOnly.
  static constexpr const char* kCalls[] = {"keybd_event", "SendInput"};

  // Applies the recorded calls from index `from` on; returns the new end.
  size_t Apply(size_t from) {
    const std::vector<std::string>& calls = fake::win().calls;
    for (; from < calls.size(); ++from) Read(calls[from].c_str());
    return from;
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
  // One recorded call; other calls than key events are ignored.
  void Read(const char* call) {
    unsigned type = 0, vk = 0, scan = 0, flags = 0;
    char upOrDown[5] = {};
    if (sscanf(call, "keybd_event(%X,%X,%X,", &vk, &scan, &flags) == 3) {
      Event(vk, scan, flags & ~KEYEVENTF_UNICODE);  // keybd_event knows no Unicode input
    } else if (sscanf(call, "SendInput(unicode %X %4[a-z])", &scan, upOrDown) == 2) {
      Event(0, scan, KEYEVENTF_UNICODE | (upOrDown[0] == 'u' ? KEYEVENTF_KEYUP : 0));
    } else if (sscanf(call, "SendInput(type %X,vk %X,scan %X,flags %X)", &type, &vk, &scan,
                      &flags) == 4 &&
               type == INPUT_KEYBOARD) {
      Event(vk, scan, flags);
    }
  }

  static const unsigned kScanCode = 0x0008;  // KEYEVENTF_SCANCODE

  void Event(unsigned vk, unsigned scan, unsigned flags) {
    char key[24];
    if (flags & KEYEVENTF_UNICODE) {
      snprintf(key, sizeof key, "U+%04X", scan);
    } else if (flags & kScanCode) {
      snprintf(key, sizeof key, "scan %s%02X", flags & KEYEVENTF_EXTENDEDKEY ? "E0 " : "", scan);
    } else {
      snprintf(key, sizeof key, "vk %02X", vk);
    }
    down[key] = !(flags & KEYEVENTF_KEYUP);
  }

  std::map<std::string, bool> down;
};

inline void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "property violated: %s\n", what);
    abort();
  }
}
