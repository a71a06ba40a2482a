#include "Keystrokes.h"

void Keystrokes::Press(const Stroke& stroke) {
  if (!stroke.vk) {
    if (stroke.unicode) UnicodeEvent(stroke.unicode, 0);
    return;
  }
  if (!ShiftAfterAltGr(stroke.shiftState)) Shift(stroke.shiftState, 0);
  AltGr(stroke.shiftState, 0);
  if (ShiftAfterAltGr(stroke.shiftState)) Shift(stroke.shiftState, 0);
  KeyEvent(stroke.vk, stroke.scan, 0);
}

void Keystrokes::Release(const Stroke& stroke) {
  if (!stroke.vk) {
    if (stroke.unicode) UnicodeEvent(stroke.unicode, KEYEVENTF_KEYUP);
    return;
  }
  KeyEvent(stroke.vk, stroke.scan, KEYEVENTF_KEYUP);
  if (ShiftAfterAltGr(stroke.shiftState)) Shift(stroke.shiftState, KEYEVENTF_KEYUP);
  AltGr(stroke.shiftState, KEYEVENTF_KEYUP);
  if (!ShiftAfterAltGr(stroke.shiftState)) Shift(stroke.shiftState, KEYEVENTF_KEYUP);
}

void Keystrokes::Shift(BYTE shiftState, DWORD flags) {
  if (shiftState & 1) KeyEvent(VK_SHIFT, modifiers.shift, flags);
}

// Ctrl then Alt going down, Alt then Ctrl coming up.
void Keystrokes::AltGr(BYTE shiftState, DWORD flags) {
  bool up = flags & KEYEVENTF_KEYUP;
  if ((shiftState & 2) && !up) KeyEvent(VK_CONTROL, modifiers.ctrl, flags);
  if (shiftState & 4) KeyEvent(VK_MENU, modifiers.alt, flags);
  if ((shiftState & 2) && up) KeyEvent(VK_CONTROL, modifiers.ctrl, flags);
}

void Keystrokes::VirtualKey(BYTE vk, bool up) {
  DWORD flags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  KeyEvent(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), flags);
}

void Keystrokes::KeyEvent(BYTE vk, BYTE scan, DWORD flags) {
  keybd_event(vk, scan, flags, 0);
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
