#include "WindowKeys.h"

namespace {

const unsigned char kPress = 0x02;
const unsigned char kRelease = 0x01;

bool IsVirtualKey(DWORD vk) {
  return (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB;
}

bool IsModifier(DWORD vk) {
  return vk >= VK_LSHIFT && vk <= VK_RMENU;
}

}  // namespace

bool WindowKeys::Key(DWORD vk, DWORD scan, bool up) {
  if (vk > 0xFF) return false;
  bool repeat = down[vk] && !up;
  down[vk] = !up;
  unsigned char flags = up ? kRelease : kPress;
  if (vk >= VK_F1 && vk <= VK_F8) {
    if (!repeat) queue->Push(3, flags, static_cast<unsigned char>(vk - VK_F1 + 1));
  } else if (IsVirtualKey(vk)) {
    queue->Push(2, flags, static_cast<unsigned char>(vk));
  } else if (!up && !IsModifier(vk)) {
    Character(vk, scan);
  }
  return true;
}

void WindowKeys::Reset() {
  for (bool& key : down) key = false;
}

void WindowKeys::Character(DWORD vk, DWORD scan) {
  BYTE state[256] = {};
  if (Held(VK_LSHIFT, VK_RSHIFT)) state[VK_SHIFT] = 0x80;
  if (Held(VK_LCONTROL, VK_RCONTROL)) state[VK_CONTROL] = 0x80;
  if (Held(VK_LMENU, VK_RMENU)) state[VK_MENU] = 0x80;
  if (GetKeyState(VK_CAPITAL) & 1) state[VK_CAPITAL] = 0x01;
  WCHAR text[4] = {};
  // Flag 4: the window's thread keeps no dead-key state of its own.
  if (ToUnicodeEx(vk, scan, state, text, 4, 4, GetKeyboardLayout(0)) != 1 || text[0] < 0x20) return;
  char ansi[2];
  BOOL lossy = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, text, 1, ansi, 2, nullptr, &lossy) != 1 || lossy) return;
  queue->Push(1, kPress | kRelease, static_cast<unsigned char>(ansi[0]));
}
