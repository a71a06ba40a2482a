// Which keys Windows would consider down, replayed from the keyboard events the
// Win32 stand-in recorded: keybd_event and SendInput alike, a key by its virtual
// key (its scan code under KEYEVENTF_SCANCODE, its character under
// KEYEVENTF_UNICODE), down or up by KEYEVENTF_KEYUP alone, whatever other flags
// come with it.
#pragma once

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

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
    if (down.empty()) return;
    char name[16];
    Name(down.front(), name, sizeof name);
    fprintf(stderr, "key %s still down %s\n", name, when);
    abort();
  }

 private:
  static const unsigned kScanCode = 0x0008;  // KEYEVENTF_SCANCODE
  // Keys by kind: a virtual key, a scan code (bit 8: E0), a Unicode character.
  enum Kind : unsigned { kVirtualKey = 0, kScan = 1u << 16, kCharacter = 2u << 16 };

  // Hexadecimal digits at text, moved past them and the one separator after.
  static unsigned Hex(const char*& text) {
    unsigned value = 0;
    for (; isxdigit(static_cast<unsigned char>(*text)); ++text) {
      value = value << 4 | (isdigit(static_cast<unsigned char>(*text)) ? *text - '0'
                                                                       : (*text | 0x20) - 'a' + 10);
    }
    if (*text) ++text;
    return value;
  }

  static bool Starts(const char*& text, const char* prefix) {
    size_t length = strlen(prefix);
    if (strncmp(text, prefix, length) != 0) return false;
    text += length;
    return true;
  }

  // One recorded call, as FakeWindows.cpp writes it; other calls are ignored.
  void Read(const char* call) {
    if (Starts(call, "keybd_event(")) {
      unsigned vk = Hex(call), scan = Hex(call), flags = Hex(call);
      Event(vk, scan, flags & ~KEYEVENTF_UNICODE);  // keybd_event knows no Unicode input
    } else if (Starts(call, "SendInput(unicode ")) {
      unsigned ch = Hex(call);
      Event(0, ch, KEYEVENTF_UNICODE | (Starts(call, "up") ? KEYEVENTF_KEYUP : 0));
    } else if (Starts(call, "SendInput(type ")) {
      unsigned type = Hex(call);
      unsigned vk = Starts(call, "vk ") ? Hex(call) : 0;
      unsigned scan = Starts(call, "scan ") ? Hex(call) : 0;
      unsigned flags = Starts(call, "flags ") ? Hex(call) : 0;
      if (type == INPUT_KEYBOARD) Event(vk, scan, flags);
    }
  }

  void Event(unsigned vk, unsigned scan, unsigned flags) {
    unsigned key = kVirtualKey | (vk & 0xFF);
    if (flags & KEYEVENTF_UNICODE) {
      key = kCharacter | (scan & 0xFFFF);
    } else if (flags & kScanCode) {
      key = kScan | (flags & KEYEVENTF_EXTENDEDKEY ? 0x100 : 0) | (scan & 0xFF);
    }
    auto found = std::find(down.begin(), down.end(), key);
    if ((flags & KEYEVENTF_KEYUP) && found != down.end()) {
      down.erase(found);
    } else if (!(flags & KEYEVENTF_KEYUP) && found == down.end()) {
      down.push_back(key);
    }
  }

  static void Name(unsigned key, char* name, size_t size) {
    unsigned code = key & 0xFFFF;
    if ((key & ~0xFFFFu) == kCharacter) {
      snprintf(name, size, "U+%04X", code);
    } else if ((key & ~0xFFFFu) == kScan) {
      snprintf(name, size, "scan %s%02X", code & 0x100 ? "E0 " : "", code & 0xFF);
    } else {
      snprintf(name, size, "vk %02X", code);
    }
  }

  std::vector<unsigned> down;  // a few at a time
};

inline void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "property violated: %s\n", what);
    abort();
  }
}
