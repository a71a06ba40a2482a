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
    held[ch] = Type(ch, 1);
  } else if (held[ch].count) {
    Untype(held[ch]);
    held[ch] = TypedCharacter();
  } else {
    Type(ch, down);
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

TypedCharacter Keyboard::Type(unsigned char ch, int down) {
  Keyboard keyboard(KeyboardLayout::Foreground());
  TypedCharacter typed = TypedCharacter();
  typed.layout = keyboard.layout.Handle();
  const char* sequence = DeadKeyTable::Sequence(ch);
  if (sequence && keyboard.layout.IsDeadKey(static_cast<unsigned char>(sequence[0]))) {
    typed.count = keyboard.TypeString(sequence, down, typed.strokes, 2);
  } else {
    typed.strokes[0] = keyboard.TypeChar(ch, down);
    typed.count = 1;
  }
  return typed;
}

void Keyboard::Untype(const TypedCharacter& typed) {
  Keyboard keyboard{KeyboardLayout(typed.layout)};
  for (int i = 0; i < typed.count; ++i) keyboard.SendStroke(typed.strokes[i], 0);
}

int Keyboard::TypeString(const char* s, int down, Stroke* typed, int room) {
  int count = 0;
  for (; *s; ++s) {
    Stroke stroke = TypeChar(static_cast<unsigned char>(*s), down);
    if (count < room) typed[count++] = stroke;
  }
  return count;
}

Stroke Keyboard::TypeChar(unsigned char ch, int down) {
  Stroke stroke = StrokeFor(ch);
  SendStroke(stroke, down);
  return stroke;
}

Stroke Keyboard::StrokeFor(unsigned char ch) const {
  Stroke stroke = Stroke();
  SHORT key = layout.KeyFor(ch);
  if (key != -1) {
    stroke.vk = static_cast<BYTE>(key & 0xFF);
    stroke.shiftState = static_cast<BYTE>((key >> 8) & 0xFF);
    return stroke;
  }
  // No key on this layout: typed as the character itself.
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
