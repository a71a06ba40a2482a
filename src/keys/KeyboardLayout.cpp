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

SHORT KeyboardLayout::DeadKeyFor(unsigned char accent) const {
  // MAPVK_VK_TO_CHAR gives a key's unshifted character, with the top bit set for
  // a dead key.
  const UINT dead = 0x80000000u;
  SHORT key = KeyFor(accent);
  if (key != -1 && (MapVirtualKeyExA(key & 0xFF, MAPVK_VK_TO_CHAR, handle) & dead)) return key;
  // The accent may also be a plain character elsewhere (^ on AltGr+9 in AZERTY),
  // found before its dead key: look for a key whose own character it is.
  for (UINT vk = 1; vk < 0xFF; ++vk) {
    if (MapVirtualKeyExA(vk, MAPVK_VK_TO_CHAR, handle) == (dead | accent)) {
      return static_cast<SHORT>(vk);
    }
  }
  return -1;
}
