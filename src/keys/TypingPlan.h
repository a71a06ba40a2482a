// How one character from the display is typed on one layout: for an accented
// letter of the dead-key table, the accent's dead key is struck first; then the
// character's own key (or Unicode input) is held while the display holds it. An
// accent whose key is dead is struck, then a space is held.
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
  bool operator!=(const TypingPlan& other) const { return !(*this == other); }

 private:
  static Stroke StrokeOf(SHORT key);
  static Stroke StrokeFor(const KeyboardLayout& layout, unsigned char ch);
  static bool Same(const Stroke& a, const Stroke& b);

  bool planned = false;
  HKL layout = nullptr;
  bool accented = false;
  Stroke accent = {};
  Stroke key = {};
};
