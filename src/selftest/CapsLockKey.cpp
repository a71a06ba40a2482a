#include "CapsLockKey.h"

#include "../shared/facts/KeyState.h"
#include "../shared/facts/WindowsSettings.h"

bool CapsLockKey::Set(bool on) {
  if (KeyState::CapsLockOn() == on) return true;
  if (!window.Focused()) return false;
  if (!Press(on)) return false;
  // This thread's key state changes as it reads the key messages.
  for (int i = 0; i < 40 && KeyState::CapsLockOn() != on; ++i) window.Pump(25);
  return KeyState::CapsLockOn() == on;
}

bool CapsLockKey::Press(bool on) {
  return PressKey(KeyTo(on));
}

BYTE CapsLockKey::KeyTo(bool on) {
  return !on && WindowsSettings::ReadShiftClearsCapsLock() ? VK_SHIFT : VK_CAPITAL;
}

bool CapsLockKey::PressKey(BYTE vk) {
  INPUT press[2] = {};
  for (INPUT& input : press) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  }
  press[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, press, sizeof(INPUT)) == 2;
}
