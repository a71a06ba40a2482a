#include "KeyState.h"

bool KeyState::CapsLockOn() {
  return GetKeyState(VK_CAPITAL) & 1;
}
