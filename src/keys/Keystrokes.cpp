#include "Keystrokes.h"

void Keystrokes::Press(const Stroke& stroke) {
  if (stroke.vk) {
    PressKey(stroke.vk, stroke.shiftState & 1, stroke.shiftState & 2, stroke.shiftState & 4);
  } else if (stroke.unicode) {
    UnicodeEvent(stroke.unicode, 0);
  }
}

void Keystrokes::Release(const Stroke& stroke) {
  if (stroke.vk) {
    ReleaseKey(stroke.vk, stroke.shiftState & 1, stroke.shiftState & 2, stroke.shiftState & 4);
  } else if (stroke.unicode) {
    UnicodeEvent(stroke.unicode, KEYEVENTF_KEYUP);
  }
}

void Keystrokes::PressKey(BYTE vk, int shift, int ctrl, int alt) {
  if (shift) KeyEvent(VK_SHIFT, 0);
  if (ctrl) KeyEvent(VK_CONTROL, 0);
  if (alt) KeyEvent(VK_MENU, 0);
  KeyEvent(vk, 0);
}

void Keystrokes::ReleaseKey(BYTE vk, int shift, int ctrl, int alt) {
  KeyEvent(vk, KEYEVENTF_KEYUP);
  if (alt) KeyEvent(VK_MENU, KEYEVENTF_KEYUP);
  if (ctrl) KeyEvent(VK_CONTROL, KEYEVENTF_KEYUP);
  if (shift) KeyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
}

void Keystrokes::VirtualKey(BYTE vk, bool up) {
  DWORD flags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), flags, 0);
}

void Keystrokes::KeyEvent(BYTE vk, DWORD flags) {
  keybd_event(vk, layout.ScanCode(vk), flags, 0);
}

void Keystrokes::UnicodeEvent(WCHAR ch, DWORD flags) {
  INPUT input = INPUT();
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = ch;
  input.ki.dwFlags = KEYEVENTF_UNICODE | flags;
  SendInput(1, &input, sizeof input);
}

// Keys whose scan code is sent with the E0 prefix; MapVirtualKey gives them the
// scan code they share with a numeric-keypad or left-hand key.
bool Keystrokes::IsExtended(BYTE vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_SNAPSHOT:
      return true;
  }
  return false;
}
