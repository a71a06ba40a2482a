// A Windows keyboard layout, learned once from its handle: the key and level
// (none, Shift, AltGr, Shift+AltGr) that types each character with Caps Lock off
// and on, its dead keys, and which of the dead-key table's letters its dead keys
// compose with Caps Lock off and on. Later questions are answered from what was
// learned, without Win32 calls. Where Windows is set so that Shift turns Caps
// Lock off, only the levels without Shift are offered while Caps Lock is on:
// Shift would change the user's lock and, until the burst ends, every letter
// after it. The setting is read again when a layout is learned, and a layout
// learned under the other setting is learned again.
#pragma once

#include <windows.h>

// One key with its VkKeyScan shift state (bit 0 Shift, 1 Ctrl, 2 Alt) and the scan
// code it is sent with; or, when vk is 0, a Unicode code unit typed as such.
struct Stroke {
  BYTE vk;
  BYTE scan;
  BYTE shiftState;
  WCHAR unicode;
};

// The scan codes of Shift, Ctrl and Alt on a layout.
struct ModifierScans {
  BYTE shift;
  BYTE ctrl;
  BYTE alt;
};

class KeyboardLayout {
 public:
  // The layout of the thread that owns the foreground window, since that is where
  // keystrokes land; the calling thread's layout when no window has the focus.
  static const KeyboardLayout& Foreground();
  // The layout with that handle, learned the first time it is seen; the last few
  // handles seen are kept. While a dead key struck on the PC keyboard is pending,
  // learning would consume it and learn compositions with it: the layout then
  // has no keys, so that everything goes as Unicode input, and is learned later.
  // Where Windows cannot look for a pending dead key without taking it (before
  // Windows 10 1607), no layout is ever learned.
  static const KeyboardLayout& Of(HKL handle);

  HKL Handle() const { return handle; }
  // Not learned since this Windows cannot look at a key without taking a
  // pending accent: only plain lookups may find keys (LookedUpKey).
  bool LookupOnly() const { return lookupOnly; }
  // Whether Shift turns Caps Lock off, as read when the layout was learned.
  bool ShiftClearsCapsLock() const { return shiftClearsCapsLock; }
  const ModifierScans& Modifiers() const { return modifiers; }
  // The key that types ch as a character of its own (not a dead key) with Caps
  // Lock as given; vk 0 when the layout has none.
  Stroke KeyFor(WCHAR ch, bool capsLock) const { return Find(ch, capsLock, false, false); }
  // The dead key whose accent is ch; vk 0 when the layout has none.
  Stroke DeadKeyFor(WCHAR accent, bool capsLock) const {
    return Find(accent, capsLock, true, false);
  }
  // The dead key that, followed by a space, types accent itself; vk 0 when none.
  Stroke AccentKeyFor(WCHAR accent, bool capsLock) const {
    return Find(accent, capsLock, true, true);
  }
  // Whether the dead key of the letter's accent followed by its base letter, as
  // DeadKeyFor and KeyFor give them with Caps Lock as given, types exactly that
  // letter of the dead-key table on this layout.
  bool Composes(unsigned char letter, bool capsLock) const;

  static const int kLevels = 4;

 private:
  struct Key {
    BYTE vk;
    BYTE scan;
    WCHAR chars[2][kLevels];  // by Caps Lock off/on and level; 0 = none
    BYTE dead[2];             // bit per level: that character is a dead key
    BYTE accentAlone[2];      // bit per level: that dead key and a space type its accent
  };
  static const int kMaxKeys = 128;

  void Learn(HKL layout);
  void LearnModifiers(HKL layout);
  void LogLearned() const;
  static void LogUnlearned(HKL handle, bool stateKept);
  void LearnKey(BYTE vk, BYTE scan);
  static bool NoDeadKeyPending(HKL layout);
  void LearnCompositions();
  bool LearnComposition(unsigned char letter, bool capsLock);
  bool LearnAccentAlone(const Stroke& dead, bool capsLock, WCHAR accent);
  int Translate(const Stroke& stroke, bool capsLock, UINT flags, WCHAR* ch) const;
  void EndDeadKey(UINT flags) const;
  Stroke Find(WCHAR ch, bool capsLock, bool dead, bool alone) const;

  HKL handle = nullptr;
  bool learned = false;
  bool lookupOnly = false;
  bool shiftClearsCapsLock = false;
  ModifierScans modifiers = {};
  BYTE spaceScan = 0;
  int keyCount = 0;
  Key keys[kMaxKeys] = {};
  bool composes[2][64] = {};  // by Caps Lock off/on and letter - 0xC0
};
