// The process-wide record of what the display holds down in Windows: for each
// character, the plan its press typed, so that its release undoes exactly that
// even after the layout changed; and the virtual keys pressed and not released.
// One record for the process, like the one display it serves, used only inside
// the host's calls, which never overlap.
#pragma once

#include "TypingPlan.h"

class HeldKeys {
 public:
  // What the character's press typed; not Planned() when it is not held.
  static TypingPlan& Character(unsigned char ch);
  static bool& VirtualKey(BYTE vk);
};
