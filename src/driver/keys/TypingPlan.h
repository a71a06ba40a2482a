// How one character from the display is typed on one layout, with the Caps Lock
// state the user set. A control character or DEL: by the key VkKeyScan gives.
// Any other, in this order: for an accented letter of the dead-key table, its
// accent's dead key and then its base letter, where the layout confirmed that
// they compose to exactly that letter; else the character's own key on any
// level; else, for an accent whose only key is dead, that dead key and a space;
// on a layout that could not be learned before Windows 10 1607, the key plain
// lookups find where it cannot type something else (LookedUpKey). Failing
// these, Unicode input. Caps Lock never changes the text: each key and
// level is the one that types the character with Caps Lock as it is, and while
// Caps Lock is on none needs Shift where Windows is set to let Shift turn Caps
// Lock off. The dead key is struck before the held key, which stays down while
// the display holds it.
#pragma once

#include "Keystrokes.h"

class TypingPlan {
 public:
  TypingPlan() = default;
  // The plan on the layout of the foreground window.
  static TypingPlan For(unsigned char ch);

  bool Planned() const { return planned; }
  // Strikes the accent's dead key completely, its modifiers up again, so that
  // they cannot change the letter; then presses the letter with its modifiers.
  void Press() const;
  // Releases what Press holds: the letter's key and its modifiers.
  void Release() const;
  bool operator==(const TypingPlan& other) const;
  // How the character goes, for the log; the character itself only where typed
  // text is logged.
  void LogRoute(unsigned char ch) const;
  bool operator!=(const TypingPlan& other) const { return !(*this == other); }

 private:
  bool ThroughDeadKey(const KeyboardLayout& layout, unsigned char ch, bool capsLock);
  bool AccentAlone(const KeyboardLayout& layout, WCHAR ch, bool capsLock);
  static Stroke ControlKey(const KeyboardLayout& layout, unsigned char ch, bool capsLock);
  static bool Same(const Stroke& a, const Stroke& b);

  // The ways a character is typed; the default zero, so that the held keys'
  // table of plans stays in zero-initialised memory.
  enum Route : BYTE { kUnicode, kControlKey, kDeadKeyAndLetter, kKey, kDeadKeyAndSpace };

  bool planned = false;
  Route route = kUnicode;
  HKL layout = nullptr;
  ModifierScans modifiers = {};
  bool accented = false;
  Stroke accent = {};
  Stroke key = {};
};
