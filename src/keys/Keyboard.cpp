#include "Keyboard.h"

#include "DeadKeyTable.h"

namespace {

// What each character's last press typed; count 0 when it is not held.
TypedCharacter held[256];
// Virtual keys the display pressed and has not released.
bool heldVirtualKeys[256];

}  // namespace

void Keyboard::TypeCharacter(unsigned char ch, int down) {
  if (down == 1) {
    TypedCharacter typed = Plan(ch);
    // Pressed again on another layout: let go of what the first press holds.
    if (held[ch].count && !Same(held[ch], typed)) Send(held[ch], 0);
    Send(typed, 1);
    held[ch] = typed;
  } else if (held[ch].count) {
    Send(held[ch], down);
    held[ch] = TypedCharacter();
  } else {
    Send(Plan(ch), down);
  }
}

void Keyboard::PressVirtualKey(BYTE vk) {
  VirtualKeyEvent(vk, 0);
  heldVirtualKeys[vk] = true;
}

void Keyboard::ReleaseVirtualKey(BYTE vk) {
  VirtualKeyEvent(vk, KEYEVENTF_KEYUP);
  heldVirtualKeys[vk] = false;
}

void Keyboard::ReleaseHeldKeys() {
  for (int ch = 0; ch < 256; ++ch) {
    if (held[ch].count) TypeCharacter(static_cast<unsigned char>(ch), 0);
  }
  for (int vk = 0; vk < 256; ++vk) {
    if (heldVirtualKeys[vk]) ReleaseVirtualKey(static_cast<BYTE>(vk));
  }
}

void Keyboard::VirtualKeyEvent(BYTE vk, DWORD flags) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), flags, 0);
}

TypedCharacter Keyboard::Plan(unsigned char ch) {
  KeyboardLayout layout = KeyboardLayout::Foreground();
  Keyboard keyboard(layout);
  TypedCharacter typed = TypedCharacter();
  typed.layout = layout.Handle();
  const char* sequence = DeadKeyTable::Sequence(ch);
  SHORT deadKey = sequence ? layout.DeadKeyFor(static_cast<unsigned char>(sequence[0])) : -1;
  if (deadKey != -1) {
    typed.strokes[typed.count++] = StrokeOf(deadKey);
    typed.strokes[typed.count++] = keyboard.StrokeFor(static_cast<unsigned char>(sequence[1]));
  } else {
    typed.strokes[typed.count++] = keyboard.StrokeFor(ch);
  }
  return typed;
}

void Keyboard::Send(const TypedCharacter& typed, int down) {
  Keyboard keyboard{KeyboardLayout(typed.layout)};
  for (int i = 0; i < typed.count; ++i) keyboard.SendStroke(typed.strokes[i], down);
}

bool Keyboard::Same(const TypedCharacter& a, const TypedCharacter& b) {
  if (a.layout != b.layout || a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    const Stroke& x = a.strokes[i];
    const Stroke& y = b.strokes[i];
    if (x.vk != y.vk || x.shiftState != y.shiftState || x.unicode != y.unicode) return false;
  }
  return true;
}

Stroke Keyboard::StrokeOf(SHORT key) {
  Stroke stroke = Stroke();
  stroke.vk = static_cast<BYTE>(key & 0xFF);
  stroke.shiftState = static_cast<BYTE>((key >> 8) & 0xFF);
  return stroke;
}

Stroke Keyboard::StrokeFor(unsigned char ch) const {
  SHORT key = layout.KeyFor(ch);
  if (key != -1) return StrokeOf(key);
  // No key on this layout: typed as the character itself.
  Stroke stroke = Stroke();
  CHAR narrow = static_cast<CHAR>(ch);
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &stroke.unicode, 1) != 1) stroke.unicode = 0;
  return stroke;
}

void Keyboard::SendStroke(const Stroke& stroke, int down) {
  if (stroke.vk) {
    SendKey(stroke.vk, down, stroke.shiftState & 1, stroke.shiftState & 2, stroke.shiftState & 4);
  } else if (stroke.unicode) {
    UnicodeEvent(stroke.unicode, down == 1 ? 0 : KEYEVENTF_KEYUP);
  }
}

void Keyboard::SendKey(BYTE vk, int down, int shift, int ctrl, int alt) {
  if (down == 1) {
    PressKey(vk, shift, ctrl, alt);
  } else {
    ReleaseKey(vk, shift, ctrl, alt);
  }
}

void Keyboard::PressKey(BYTE vk, int shift, int ctrl, int alt) {
  if (shift) KeyEvent(VK_SHIFT, 0);
  if (ctrl) KeyEvent(VK_CONTROL, 0);
  if (alt) KeyEvent(VK_MENU, 0);
  KeyEvent(vk, 0);
}

void Keyboard::ReleaseKey(BYTE vk, int shift, int ctrl, int alt) {
  KeyEvent(vk, KEYEVENTF_KEYUP);
  if (alt) KeyEvent(VK_MENU, KEYEVENTF_KEYUP);
  if (ctrl) KeyEvent(VK_CONTROL, KEYEVENTF_KEYUP);
  if (shift) KeyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
}

void Keyboard::KeyEvent(BYTE vk, DWORD flags) {
  keybd_event(vk, layout.ScanCode(vk), flags, 0);
}

void Keyboard::UnicodeEvent(WCHAR ch, DWORD flags) {
  INPUT input = INPUT();
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = ch;
  input.ki.dwFlags = KEYEVENTF_UNICODE | flags;
  SendInput(1, &input, sizeof input);
}
