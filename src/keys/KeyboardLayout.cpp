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
  WCHAR wanted = 0;
  CHAR narrow = static_cast<CHAR>(accent);
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wanted, 1) != 1) return -1;
  SHORT key = KeyFor(accent);
  if (key != -1 && IsDeadKeyFor(key, wanted)) return key;
  // The accent may also be a plain character on another key or level (^ on
  // AltGr+9 in AZERTY, ´ on AltGr+' in US-International), which VkKeyScan finds
  // first: look for the key and shift state whose dead key it is.
  const BYTE shiftStates[] = {0, 1, 6};
  for (UINT vk = 1; vk < 0xFF; ++vk) {
    for (BYTE state : shiftStates) {
      SHORT candidate = static_cast<SHORT>(state << 8 | vk);
      if (IsDeadKeyFor(candidate, wanted)) return candidate;
    }
  }
  return -1;
}

bool KeyboardLayout::IsDeadKeyFor(SHORT key, WCHAR accent) const {
  WCHAR typed = 0;
  return IsDeadKey(key, &typed) && typed == accent;
}

bool KeyboardLayout::IsDeadKey(SHORT key, WCHAR* accent) const {
  BYTE state[256] = {};
  BYTE shiftState = static_cast<BYTE>(key >> 8);
  if (shiftState & 1) state[VK_SHIFT] = 0x80;
  if (shiftState & 2) state[VK_CONTROL] = 0x80;
  if (shiftState & 4) state[VK_MENU] = 0x80;
  UINT vk = key & 0xFF;
  // Flag 4 leaves the thread's keyboard state alone (Windows 10 1607 on).
  const UINT keepState = 4;
  WCHAR text[4] = {};
  if (ToUnicodeEx(vk, ScanCode(static_cast<BYTE>(vk)), state, text, 4, keepState, handle) >= 0) {
    return false;
  }
  // Older Windows keeps the dead key pending for this thread: a space ends it.
  const BYTE none[256] = {};
  WCHAR ignored[4];
  ToUnicodeEx(VK_SPACE, ScanCode(VK_SPACE), none, ignored, 4, keepState, handle);
  if (accent) *accent = text[0];
  return true;
}
