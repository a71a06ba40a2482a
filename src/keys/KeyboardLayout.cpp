#include "KeyboardLayout.h"

KeyboardLayout KeyboardLayout::Foreground() {
  HWND window = GetForegroundWindow();
  DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  return KeyboardLayout(GetKeyboardLayout(thread));
}

SHORT KeyboardLayout::KeyFor(unsigned char ch) const {
  SHORT key = VkKeyScanExA(static_cast<CHAR>(ch), handle);
  return (key & 0xFF) == 0xFF ? -1 : key;
}

BYTE KeyboardLayout::ScanCode(BYTE vk) const {
  return static_cast<BYTE>(MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, handle));
}

bool KeyboardLayout::IsDeadKey(unsigned char ch) const {
  SHORT key = KeyFor(ch);
  if (key == -1) return false;
  // The unshifted character of the key, with the top bit set for a dead key.
  return (MapVirtualKeyExA(key & 0xFF, MAPVK_VK_TO_CHAR, handle) & 0x80000000u) != 0;
}
