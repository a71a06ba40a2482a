// Keyboard layouts of the Win32 stand-in, described by physical key as Windows
// defines them (KBDUS, KBDUSX, KBDFR, KBDGR), the functions that answer from
// them, and the focused application: the text that the injected events type.
// Character codes are Windows-1252.
#include <string.h>

#include <vector>

#include "FakeWindows.h"

namespace fake {

const HKL kUnitedStates = reinterpret_cast<HKL>(0x04090409);
const HKL kFrench = reinterpret_cast<HKL>(0x040C040C);
const HKL kGerman = reinterpret_cast<HKL>(0x04070407);
const HKL kUnitedStatesInternational = reinterpret_cast<HKL>(0xF0010409);

namespace {

enum Level { kNormal = 0, kShift = 1, kAltGr = 2 };

struct Key {
  BYTE scan;
  BYTE vk;
  BYTE chars[3];  // produced with no modifier, with Shift, with AltGr (Ctrl+Alt); 0 = none
  BYTE dead;      // bit per level: that character is a dead key
};

void AddLetters(std::vector<Key>& keys, BYTE firstScan, const char* letters) {
  for (BYTE i = 0; letters[i]; ++i) {
    BYTE upper = static_cast<BYTE>(letters[i] - 'a' + 'A');
    keys.push_back({static_cast<BYTE>(firstScan + i), upper, {(BYTE)letters[i], upper, 0}, 0});
  }
}

void AddDigitsWithShiftedSymbols(std::vector<Key>& keys, const char* shifted) {
  for (BYTE i = 0; i < 10; ++i) {
    BYTE digit = static_cast<BYTE>(i == 9 ? '0' : '1' + i);
    keys.push_back({static_cast<BYTE>(0x02 + i), digit, {digit, (BYTE)shifted[i], 0}, 0});
  }
}

std::vector<Key> UnitedStates() {
  std::vector<Key> keys = {{0x29, 0xC0, {'`', '~', 0}, 0}};
  AddDigitsWithShiftedSymbols(keys, "!@#$%^&*()");
  std::vector<Key> rest = {{0x0C, 0xBD, {'-', '_', 0}, 0},  {0x0D, 0xBB, {'=', '+', 0}, 0},
                           {0x1A, 0xDB, {'[', '{', 0}, 0},  {0x1B, 0xDD, {']', '}', 0}, 0},
                           {0x2B, 0xDC, {'\\', '|', 0}, 0}, {0x27, 0xBA, {';', ':', 0}, 0},
                           {0x28, 0xDE, {'\'', '"', 0}, 0}, {0x33, 0xBC, {',', '<', 0}, 0},
                           {0x34, 0xBE, {'.', '>', 0}, 0},  {0x35, 0xBF, {'/', '?', 0}, 0}};
  keys.insert(keys.end(), rest.begin(), rest.end());
  AddLetters(keys, 0x10, "qwertyuiop");
  AddLetters(keys, 0x1E, "asdfghjkl");
  AddLetters(keys, 0x2C, "zxcvbnm");
  return keys;
}

void SetKey(std::vector<Key>& keys, BYTE vk, const BYTE (&chars)[3], BYTE dead) {
  for (Key& key : keys) {
    if (key.vk == vk) {
      memcpy(key.chars, chars, sizeof chars);
      key.dead = dead;
    }
  }
}

void SetAltGr(std::vector<Key>& keys, BYTE vk, BYTE ch, bool dead = false) {
  for (Key& key : keys) {
    if (key.vk == vk) {
      key.chars[kAltGr] = ch;
      if (dead) key.dead |= 1 << kAltGr;
    }
  }
}

// US-International: ` ' " ~ ^ are dead keys (the apostrophe key's dead
// characters are ' and ", which accent the next letter acute and diaeresis), and
// AltGr gives Latin-1 letters and signs; its Shift+AltGr level is not modelled.
std::vector<Key> UnitedStatesInternational() {
  std::vector<Key> keys = UnitedStates();
  SetKey(keys, 0xC0, {'`', '~', 0}, 1 << kNormal | 1 << kShift);
  SetKey(keys, 0xDE, {'\'', '"', 0xB4}, 1 << kNormal | 1 << kShift);
  SetKey(keys, '6', {'6', '^', 0xBC}, 1 << kShift);
  const char* altGr =
      "1\xA1"
      "2\xB2"
      "3\xB3"
      "4\xA4"
      "5\x80"
      "7\xBD"
      "8\xBE"
      "9\x91"
      "0\x92"
      "Q\xE4"
      "W\xE5"
      "E\xE9"
      "R\xAE"
      "T\xFE"
      "Y\xFC"
      "U\xFA"
      "I\xED"
      "O\xF3"
      "P\xF6"
      "A\xE1"
      "S\xDF"
      "D\xF0"
      "L\xF8"
      "Z\xE6"
      "C\xA9"
      "N\xF1"
      "M\xB5";
  for (const char* p = altGr; *p; p += 2)
    SetAltGr(keys, static_cast<BYTE>(p[0]), static_cast<BYTE>(p[1]));
  const BYTE oem[][2] = {{0xBD, 0xA5}, {0xBB, 0xD7}, {0xDB, 0xAB}, {0xDD, 0xBB},
                         {0xBA, 0xB6}, {0xBC, 0xE7}, {0xBF, 0xBF}, {0xDC, 0xAC}};
  for (const auto& pair : oem) SetAltGr(keys, pair[0], pair[1]);
  return keys;
}

std::vector<Key> German() {
  std::vector<Key> keys = {{0x29, 0xDC, {'^', 0xB0, 0}, 1 << kNormal}};
  AddDigitsWithShiftedSymbols(keys, "!\"\xA7$%&/()=");
  std::vector<Key> rest = {
      {0x0C, 0xDB, {0xDF, '?', '\\'}, 0}, {0x0D, 0xDD, {0xB4, '`', 0}, 1 << kNormal | 1 << kShift},
      {0x1A, 0xBA, {0xFC, 0xDC, 0}, 0},   {0x1B, 0xBB, {'+', '*', '~'}, 0},
      {0x27, 0xC0, {0xF6, 0xD6, 0}, 0},   {0x28, 0xDE, {0xE4, 0xC4, 0}, 0},
      {0x2B, 0xBF, {'#', '\'', 0}, 0},    {0x56, 0xE2, {'<', '>', '|'}, 0},
      {0x33, 0xBC, {',', ';', 0}, 0},     {0x34, 0xBE, {'.', ':', 0}, 0},
      {0x35, 0xBD, {'-', '_', 0}, 0}};
  keys.insert(keys.end(), rest.begin(), rest.end());
  AddLetters(keys, 0x10, "qwertzuiop");
  AddLetters(keys, 0x1E, "asdfghjkl");
  AddLetters(keys, 0x2C, "yxcvbnm");
  SetAltGr(keys, '2', 0xB2);
  SetAltGr(keys, '3', 0xB3);
  SetAltGr(keys, '7', '{');
  SetAltGr(keys, '8', '[');
  SetAltGr(keys, '9', ']');
  SetAltGr(keys, '0', '}');
  SetAltGr(keys, 'Q', '@');
  SetAltGr(keys, 'E', 0x80);
  SetAltGr(keys, 'M', 0xB5);
  return keys;
}

std::vector<Key> French() {
  std::vector<Key> keys = {{0x29, 0xDE, {0xB2, 0, 0}, 0}};
  const BYTE unshifted[] = {'&', 0xE9, '"', '\'', '(', '-', 0xE8, '_', 0xE7, 0xE0};
  for (BYTE i = 0; i < 10; ++i) {
    BYTE digit = static_cast<BYTE>(i == 9 ? '0' : '1' + i);
    keys.push_back({static_cast<BYTE>(0x02 + i), digit, {unshifted[i], digit, 0}, 0});
  }
  std::vector<Key> rest = {{0x0C, 0xDB, {')', 0xB0, ']'}, 0},
                           {0x0D, 0xBB, {'=', '+', '}'}, 0},
                           {0x1A, 0xDD, {'^', 0xA8, 0}, 1 << kNormal | 1 << kShift},
                           {0x1B, 0xBA, {'$', 0xA3, 0xA4}, 0},
                           {0x28, 0xC0, {0xF9, '%', 0}, 0},
                           {0x2B, 0xDC, {'*', 0xB5, 0}, 0},
                           {0x56, 0xE2, {'<', '>', 0}, 0},
                           {0x32, 0xBC, {',', '?', 0}, 0},
                           {0x33, 0xBE, {';', '.', 0}, 0},
                           {0x34, 0xBF, {':', '/', 0}, 0},
                           {0x35, 0xDF, {'!', 0xA7, 0}, 0}};
  keys.insert(keys.end(), rest.begin(), rest.end());
  AddLetters(keys, 0x10, "azertyuiop");
  AddLetters(keys, 0x1E, "qsdfghjklm");
  AddLetters(keys, 0x2C, "wxcvbn");
  SetAltGr(keys, '2', '~', true);
  SetAltGr(keys, '3', '#');
  SetAltGr(keys, '4', '{');
  SetAltGr(keys, '5', '[');
  SetAltGr(keys, '6', '|');
  SetAltGr(keys, '7', '`', true);
  SetAltGr(keys, '8', '\\');
  SetAltGr(keys, '9', '^');
  SetAltGr(keys, '0', '@');
  SetAltGr(keys, 'E', 0x80);
  return keys;
}

// Keys with the same position and meaning on every layout here.
const Key kCommonKeys[] = {{0x39, VK_SPACE, {' ', ' ', 0}, 0}, {0x1C, VK_RETURN, {'\r', 0, 0}, 0},
                           {0x0F, VK_TAB, {'\t', 0, 0}, 0},    {0x0E, VK_BACK, {'\b', 0, 0}, 0},
                           {0x01, VK_ESCAPE, {0x1B, 0, 0}, 0}, {0x2A, VK_SHIFT, {0, 0, 0}, 0},
                           {0x1D, VK_CONTROL, {0, 0, 0}, 0},   {0x38, VK_MENU, {0, 0, 0}, 0},
                           {0x4B, VK_LEFT, {0, 0, 0}, 0},      {0x48, VK_UP, {0, 0, 0}, 0},
                           {0x4D, VK_RIGHT, {0, 0, 0}, 0},     {0x50, VK_DOWN, {0, 0, 0}, 0},
                           {0x47, VK_HOME, {0, 0, 0}, 0},      {0x4F, VK_END, {0, 0, 0}, 0},
                           {0x49, VK_PRIOR, {0, 0, 0}, 0},     {0x51, VK_NEXT, {0, 0, 0}, 0},
                           {0x52, VK_INSERT, {0, 0, 0}, 0},    {0x53, VK_DELETE, {0, 0, 0}, 0}};

const std::vector<Key>* Keys(HKL layout) {
  // Never destroyed, so that a static display can still type while the program exits.
  static const std::vector<Key>* us = new std::vector<Key>(UnitedStates());
  static const std::vector<Key>* fr = new std::vector<Key>(French());
  static const std::vector<Key>* de = new std::vector<Key>(German());
  static const std::vector<Key>* usx = new std::vector<Key>(UnitedStatesInternational());
  if (layout == kUnitedStatesInternational) return usx;
  if (layout == kUnitedStates) return us;
  if (layout == kFrench) return fr;
  if (layout == kGerman) return de;
  return nullptr;
}

const Key* FindVk(HKL layout, UINT vk) {
  for (const Key& key : kCommonKeys) {
    if (key.vk == vk) return &key;
  }
  const std::vector<Key>* keys = Keys(layout);
  if (!keys) return nullptr;
  for (const Key& key : *keys) {
    if (key.vk == vk) return &key;
  }
  return nullptr;
}

// The shift-state byte of VkKeyScan: 1 Shift, 6 Ctrl+Alt (AltGr).
const BYTE kShiftState[] = {0, 1, 6};

SHORT Scan(BYTE ch, HKL layout) {
  const std::vector<Key>* keys = Keys(layout);
  if (!keys) return -1;
  for (const Key& key : kCommonKeys) {
    if (key.chars[kNormal] == ch && ch) return key.vk;
  }
  // Plain characters are found before dead keys that type the same character.
  for (BYTE dead : {0, 1}) {
    for (const Key& key : *keys) {
      for (int level = kNormal; level <= kAltGr; ++level) {
        if (key.chars[level] == ch && ((key.dead >> level) & 1) == dead) {
          return static_cast<SHORT>(kShiftState[level] << 8 | key.vk);
        }
      }
    }
  }
  if (ch >= 1 && ch <= 26) return static_cast<SHORT>(2 << 8 | ('A' + ch - 1));
  return -1;
}

UINT Map(UINT code, UINT mapType, HKL layout) {
  const Key* key = FindVk(layout, code);
  if (!key) return 0;
  if (mapType == MAPVK_VK_TO_VSC) return key->scan;
  if (mapType != MAPVK_VK_TO_CHAR) return 0;
  UINT ch = key->chars[kNormal];
  if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
  return (key->dead & (1 << kNormal)) ? ch | 0x80000000u : ch;
}

HKL ThreadLayout(DWORD thread) {
  auto found = win().threadLayouts.find(thread);
  return found == win().threadLayouts.end() ? nullptr : found->second;
}

HKL ThreadLayout() {
  return ThreadLayout(win().currentThread);
}

// The level that the held modifiers select; -1 for Ctrl or Alt alone (a shortcut).
int Level(bool shift, bool ctrl, bool alt) {
  if (ctrl && alt) return shift ? -1 : kAltGr;
  if (ctrl || alt) return -1;
  return shift ? kShift : kNormal;
}

// Windows-1252 0x80-0x9F; the rest of the code page, and the five unassigned
// bytes here (0), map to the same code point.
const WCHAR kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

WCHAR Wide(BYTE ch) {
  WCHAR high = ch >= 0x80 && ch < 0xA0 ? kHighControls[ch - 0x80] : 0;
  return high ? high : ch;
}

// What a dead key's accent makes of the next character, as the layouts' dead-key
// tables do: the accented letter, or 0 when they do not combine.
WCHAR Compose(WCHAR accent, WCHAR base) {
  struct Row {
    WCHAR accent;
    const char* bases;
    const char* composed;
  };
  static const Row rows[] = {
      {'`', "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
      {0xB4, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
      {'\'', "AEIOUYCaeiouyc", "\xC1\xC9\xCD\xD3\xDA\xDD\xC7\xE1\xE9\xED\xF3\xFA\xFD\xE7"},
      {'^', "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
      {'~', "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
      {0xA8, "AEIOUaeiouy", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF"},
      {'"', "AEIOUaeiouy", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF"},
      {0xB8, "Cc", "\xC7\xE7"}};
  if (base == ' ') return accent;
  for (const Row& row : rows) {
    const char* at = row.accent == accent && base < 0x80 ? strchr(row.bases, base) : nullptr;
    if (at && base) return static_cast<BYTE>(row.composed[at - row.bases]);
  }
  return 0;
}

void Type(WCHAR ch) {
  Windows& w = win();
  if (w.pendingDead) {
    WCHAR composed = Compose(w.pendingDead, ch);
    if (composed) {
      w.typed += composed;
    } else {
      w.typed += w.pendingDead;
      w.typed += ch;
    }
    w.pendingDead = 0;
  } else {
    w.typed += ch;
  }
}

}  // namespace

void DeliverKey(BYTE vk, bool up) {
  Windows& w = win();
  if (up) {
    w.keysDown.erase(vk);
    return;
  }
  w.keysDown.insert(vk);
  HWND window = w.foreground;
  HKL layout = ThreadLayout(window ? w.windowThreads[window] : w.currentThread);
  const Key* key = FindVk(layout, vk);
  int level =
      Level(w.keysDown.count(VK_SHIFT), w.keysDown.count(VK_CONTROL), w.keysDown.count(VK_MENU));
  if (!key || level < 0 || !key->chars[level] || key->chars[level] < 0x20) return;
  WCHAR ch = Wide(key->chars[level]);
  if (!((key->dead >> level) & 1)) {
    Type(ch);
  } else if (w.pendingDead) {
    w.typed += w.pendingDead;
    w.typed += ch;
    w.pendingDead = 0;
  } else {
    w.pendingDead = ch;
  }
}

void DeliverUnicode(WCHAR ch, bool up) {
  if (up) return;
  win().typed += ch;
}

void SetForegroundLayout(HKL layout) {
  HWND window = reinterpret_cast<HWND>(0xF0C5);
  DWORD thread = 77;
  win().foreground = window;
  win().windowThreads[window] = thread;
  win().threadLayouts[thread] = layout;
}

}  // namespace fake

extern "C" {

SHORT WINAPI VkKeyScanExA(CHAR ch, HKL layout) {
  if (fake::win().silentKeyboard) return 'A';
  if (fake::Recording(__func__)) {
    fake::Record("VkKeyScanExA(" + fake::Hex(static_cast<BYTE>(ch)) + ")");
  }
  return fake::Scan(static_cast<BYTE>(ch), layout);
}

UINT WINAPI MapVirtualKeyExA(UINT code, UINT mapType, HKL layout) {
  if (fake::win().silentKeyboard) return mapType == MAPVK_VK_TO_VSC ? 0x1E : 'A';
  if (fake::Recording(__func__)) {
    fake::Record("MapVirtualKeyExA(" + fake::Hex(code) + "," + fake::Hex(mapType) + ")");
  }
  return fake::Map(code, mapType, layout);
}

UINT WINAPI MapVirtualKeyA(UINT code, UINT mapType) {
  if (fake::win().silentKeyboard) return mapType == MAPVK_VK_TO_VSC ? 0x1E : 'A';
  if (fake::Recording(__func__)) {
    fake::Record("MapVirtualKeyA(" + fake::Hex(code) + "," + fake::Hex(mapType) + ")");
  }
  return fake::Map(code, mapType, fake::ThreadLayout());
}

int WINAPI ToUnicodeEx(UINT vk, UINT, const BYTE* keyState, LPWSTR buffer, int size, UINT flags,
                       HKL layout) {
  if (fake::win().silentKeyboard) return 0;
  if (fake::Recording(__func__)) {
    fake::Record("ToUnicodeEx(" + fake::Hex(vk) + "," + fake::Hex(flags) + ")");
  }
  const fake::Key* key = fake::FindVk(layout, vk);
  int level =
      fake::Level(keyState[VK_SHIFT] & 0x80, keyState[VK_CONTROL] & 0x80, keyState[VK_MENU] & 0x80);
  if (!key || level < 0 || !key->chars[level] || size < 1) return 0;
  buffer[0] = fake::Wide(key->chars[level]);
  return (key->dead >> level) & 1 ? -1 : 1;
}

int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR src, int srcLength, LPWSTR dest,
                               int destLength) {
  int length = srcLength < 0 ? static_cast<int>(strlen(src)) + 1 : srcLength;
  if (destLength == 0) return length;
  if (destLength < length) return 0;
  for (int i = 0; i < length; ++i) {
    BYTE ch = static_cast<BYTE>(src[i]);
    dest[i] = fake::Wide(ch);
  }
  return length;
}

}  // extern "C"
