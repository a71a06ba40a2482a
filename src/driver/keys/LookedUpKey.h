// The key of a character found with VkKeyScanEx and MapVirtualKeyEx alone,
// plain lookups in the layout's tables that leave a pending dead key as it is:
// how characters go by their own keys where ToUnicodeEx cannot look at a key
// without taking the user's accent (before Windows 10 1607). Only where the
// key cannot type something else:
// - Space, letters and digits where the layout has them at the plain or Shift
//   level;
// - other characters at the plain level of a key that MapVirtualKeyEx says is
//   not dead there (it cannot tell the other levels: those go as Unicode);
// - with Caps Lock on, Space only: whether Caps Lock changes a key is in the
//   layout's tables but no lookup tells it (a letter's two cases on one key
//   do not: some layouts leave their letters alone).
#pragma once

#include "KeyboardLayout.h"

class LookedUpKey {
 public:
  // The key, or vk 0 where the character has no safe key.
  static Stroke For(unsigned char ch, HKL layout, bool capsLock);

 private:
  static Stroke Key(SHORT found, HKL layout, BYTE shiftState);
  static bool PlainAndNotDead(unsigned char ch, SHORT found, HKL layout);
};
