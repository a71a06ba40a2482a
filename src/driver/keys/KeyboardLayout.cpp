#include "KeyboardLayout.h"

#include <stdint.h>

#include "../../shared/facts/WindowsSettings.h"
#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"
#include "DeadKeyTable.h"

namespace {

// VkKeyScan shift states of the four levels: none, Shift, AltGr (Ctrl+Alt), Shift+AltGr.
const BYTE kShiftStates[KeyboardLayout::kLevels] = {0, 1, 6, 7};

// Flag 4 of ToUnicodeEx leaves the keyboard state alone (Windows 10 1607 on); flag
// 1, "a menu is active", leaves Alt+Numpad entry alone. Every call passes flag 1.
const UINT kKeepState = 4;
const UINT kMenuActive = 1;

// Layout handles whose tables are kept: a user switches between a few layouts.
const int kKeptLayouts = 8;

// Keys whose characters a layout table holds: not the modifiers, the locks, the
// numeric keypad, whose characters depend on Num Lock, nor the navigation keys,
// which share the keypad's scan codes: with Alt they would enter a number.
bool HoldsCharacters(UINT vk) {
  if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) return false;
  if (vk == VK_CLEAR || (vk >= VK_PRIOR && vk <= VK_DELETE)) return false;
  if (vk >= VK_LSHIFT && vk <= VK_RMENU) return false;
  return vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU && vk != VK_CAPITAL && vk != VK_PACKET;
}

// One digit for each letter 0xC0-0xFF, 1 where it composes; "none" for none.
const char* ConfirmedLetters(const bool* composes, char* text) {
  bool any = false;
  for (int i = 0; i < 64; ++i) {
    text[i] = composes[i] ? '1' : '0';
    any = any || composes[i];
  }
  text[64] = 0;
  return any ? text : "none";
}

WCHAR Wide(unsigned char ch) {
  WCHAR wide = 0;
  CHAR narrow = static_cast<CHAR>(ch);
  return MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) == 1 ? wide : 0;
}

}  // namespace

const KeyboardLayout& KeyboardLayout::Foreground() {
  HWND window = GetForegroundWindow();
  DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  return Of(GetKeyboardLayout(thread));
}

const KeyboardLayout& KeyboardLayout::Of(HKL handle) {
  static KeyboardLayout kept[kKeptLayouts];
  static int next = 0;
  static KeyboardLayout unlearned;
  bool shiftClears = WindowsSettings::ShiftClearsCapsLock();
  for (const KeyboardLayout& layout : kept) {
    if (layout.learned && layout.handle == handle && layout.shiftClearsCapsLock == shiftClears) {
      return layout;
    }
  }
  bool stateKept = WindowsSettings::AtLeastWindows10Version1607();
  if (!stateKept || !NoDeadKeyPending(handle)) {
    if (Log::On()) LogUnlearned(handle, stateKept);
    unlearned.handle = handle;
    unlearned.lookupOnly = !stateKept;
    unlearned.shiftClearsCapsLock = shiftClears;
    unlearned.LearnModifiers(handle);
    return unlearned;
  }
  // The oldest learned layout makes room.
  KeyboardLayout& layout = kept[next];
  next = (next + 1) % kKeptLayouts;
  layout.Learn(handle);
  if (Log::On()) layout.LogLearned();
  return layout;
}

// Once for each layout in turn that goes unlearned, not at every character.
void KeyboardLayout::LogUnlearned(HKL handle, bool stateKept) {
  static HKL logged = nullptr;
  if (handle == logged) return;
  logged = handle;
  LogLine line;
  line.Text("layout ").Hex(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)), 8);
  line.Text(" not learned: ").Text(stateKept ? "a dead key is pending" : "Windows before 10 1607");
}

// The handle, its KLID where the handle holds it (not for layouts whose KLID
// only the registry knows, handles 0xF...), the keys, the dead keys' accents
// with Caps Lock off, the letters 0xC0-0xFF confirmed to compose through their
// dead key (one digit each, off then on), and the Shift setting.
void KeyboardLayout::LogLearned() const {
  LogLine line;
  unsigned long value = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle));
  unsigned long device = value >> 16 & 0xFFFF;
  line.Text("layout ").Hex(value, 8).Text(" learned, KLID ");
  if (device >= 0xF000) {
    line.Text("not known");
  } else {
    line.Hex(device >= 0xE000 ? value : device, 8);
  }
  line.Text(", ").Number(keyCount).Text(" keys, dead keys");
  char letters[65];
  int dead = 0;
  for (int i = 0; i < keyCount; ++i) {
    for (int level = 0; level < kLevels; ++level) {
      if (!((keys[i].dead[0] >> level) & 1)) continue;
      line.Text(" ").Hex(keys[i].chars[0][level]);
      ++dead;
    }
  }
  if (!dead) line.Text(" none");
  line.Text(", compositions off ").Text(ConfirmedLetters(composes[0], letters));
  line.Text(" on ").Text(ConfirmedLetters(composes[1], letters));
  line.Text(", Shift turns Caps Lock off: ").Text(shiftClearsCapsLock ? "yes" : "no");
}

bool KeyboardLayout::Composes(unsigned char letter, bool capsLock) const {
  return letter >= 0xC0 && composes[capsLock][letter - 0xC0];
}

// A space with the keyboard state kept types exactly a space unless a dead key is
// pending in the keyboard state that the focused application shares.
bool KeyboardLayout::NoDeadKeyPending(HKL layout) {
  const BYTE none[256] = {};
  WCHAR typed[4] = {};
  UINT scan = MapVirtualKeyExA(VK_SPACE, MAPVK_VK_TO_VSC, layout);
  UINT flags = kKeepState | kMenuActive;
  return ToUnicodeEx(VK_SPACE, scan, none, typed, 4, flags, layout) == 1 && typed[0] == ' ';
}

// MapVirtualKeyEx leaves the dead-key state alone: safe on every version.
void KeyboardLayout::LearnModifiers(HKL layout) {
  modifiers.shift = static_cast<BYTE>(MapVirtualKeyExA(VK_SHIFT, MAPVK_VK_TO_VSC, layout));
  modifiers.ctrl = static_cast<BYTE>(MapVirtualKeyExA(VK_CONTROL, MAPVK_VK_TO_VSC, layout));
  modifiers.alt = static_cast<BYTE>(MapVirtualKeyExA(VK_MENU, MAPVK_VK_TO_VSC, layout));
}

void KeyboardLayout::Learn(HKL layout) {
  handle = layout;
  learned = true;
  shiftClearsCapsLock = WindowsSettings::ReadShiftClearsCapsLock();
  keyCount = 0;
  LearnModifiers(layout);
  spaceScan = static_cast<BYTE>(MapVirtualKeyExA(VK_SPACE, MAPVK_VK_TO_VSC, layout));
  for (UINT vk = 1; vk < 0xFF && keyCount < kMaxKeys; ++vk) {
    if (!HoldsCharacters(vk)) continue;
    UINT scan = MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout);
    if (scan) LearnKey(static_cast<BYTE>(vk), static_cast<BYTE>(scan));
  }
  LearnCompositions();
}

void KeyboardLayout::LearnKey(BYTE vk, BYTE scan) {
  Key& key = keys[keyCount];
  key = Key();
  key.vk = vk;
  key.scan = scan;
  bool any = false;
  for (int caps = 0; caps < 2; ++caps) {
    for (int level = 0; level < kLevels; ++level) {
      WCHAR ch = 0;
      Stroke stroke = {vk, scan, kShiftStates[level], 0};
      int length = Translate(stroke, caps, kKeepState, &ch);
      if (length < 0) {
        key.dead[caps] = static_cast<BYTE>(key.dead[caps] | 1 << level);
        EndDeadKey(kKeepState);
        if (LearnAccentAlone(stroke, caps, ch)) {
          key.accentAlone[caps] = static_cast<BYTE>(key.accentAlone[caps] | 1 << level);
        }
      }
      // Two or more characters from one key are not one character's key.
      if (length == 1 || length < 0) key.chars[caps][level] = ch;
      any = any || key.chars[caps][level];
    }
  }
  if (any) ++keyCount;
}

void KeyboardLayout::LearnCompositions() {
  for (int caps = 0; caps < 2; ++caps) {
    for (int letter = 0xC0; letter <= 0xFF; ++letter) {
      composes[caps][letter - 0xC0] = LearnComposition(static_cast<unsigned char>(letter), caps);
    }
  }
}

// Types the accent's dead key then the base letter's key into the thread's own
// keyboard state, as the focused application would, and compares the result.
bool KeyboardLayout::LearnComposition(unsigned char letter, bool capsLock) {
  const char* sequence = DeadKeyTable::Sequence(letter);
  if (!sequence) return false;
  Stroke dead = DeadKeyFor(Wide(static_cast<unsigned char>(sequence[0])), capsLock);
  Stroke base = KeyFor(static_cast<unsigned char>(sequence[1]), capsLock);
  if (!dead.vk || !base.vk) return false;
  WCHAR typed = 0;
  if (Translate(dead, capsLock, 0, &typed) >= 0) return false;
  int length = Translate(base, capsLock, 0, &typed);
  if (length < 0) EndDeadKey(0);
  return length == 1 && typed == Wide(letter);
}

// Types the dead key then a space into the thread's own keyboard state: most
// layouts then type the accent, a few something else (" for ¨ on Swiss French).
bool KeyboardLayout::LearnAccentAlone(const Stroke& dead, bool capsLock, WCHAR accent) {
  WCHAR typed = 0;
  if (Translate(dead, capsLock, 0, &typed) >= 0) return false;
  int length = Translate({VK_SPACE, spaceScan, 0, 0}, false, 0, &typed);
  if (length < 0) EndDeadKey(0);
  return length == 1 && typed == accent;
}

int KeyboardLayout::Translate(const Stroke& stroke, bool capsLock, UINT flags, WCHAR* ch) const {
  BYTE state[256] = {};
  if (stroke.shiftState & 1) state[VK_SHIFT] = 0x80;
  if (stroke.shiftState & 2) state[VK_CONTROL] = 0x80;
  if (stroke.shiftState & 4) state[VK_MENU] = 0x80;
  if (capsLock) state[VK_CAPITAL] = 0x01;
  WCHAR text[4] = {};
  int length = ToUnicodeEx(stroke.vk, stroke.scan, state, text, 4, flags | kMenuActive, handle);
  *ch = text[0];
  return length;
}

// A dead key stays pending in the keyboard state where it was struck without
// flag 4: a space ends it, or a second space where the first was taken by a
// chained dead key.
void KeyboardLayout::EndDeadKey(UINT flags) const {
  const BYTE none[256] = {};
  WCHAR ignored[4];
  for (int tries = 0; tries < 3; ++tries) {
    if (ToUnicodeEx(VK_SPACE, spaceScan, none, ignored, 4, flags | kMenuActive, handle) >= 0) {
      return;
    }
  }
}

// Levels in order, so that the fewest modifiers win, and with Caps Lock on where
// Shift turns it off only those without Shift; a key's plain character before
// another key's dead one.
Stroke KeyboardLayout::Find(WCHAR ch, bool capsLock, bool dead, bool alone) const {
  int caps = capsLock ? 1 : 0;
  int step = capsLock && shiftClearsCapsLock ? 2 : 1;
  for (int level = 0; ch && level < kLevels; level += step) {
    for (int i = 0; i < keyCount; ++i) {
      const Key& key = keys[i];
      if (key.chars[caps][level] == ch && ((key.dead[caps] >> level) & 1) == dead &&
          (!alone || ((key.accentAlone[caps] >> level) & 1))) {
        return {key.vk, key.scan, kShiftStates[level], 0};
      }
    }
  }
  return {};
}
