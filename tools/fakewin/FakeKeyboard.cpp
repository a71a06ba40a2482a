// The stand-in's keyboard functions, answering from the layouts it knows, and
// the focused application: the text that the injected events type.
#include <string.h>

#include "FakeWindows.h"
#include "Layout.h"

namespace fake {

namespace {

// The shift-state byte of VkKeyScan by level: 1 Shift, 6 Ctrl+Alt (AltGr), 7 both.
const BYTE kShiftState[kLevels] = {0, 1, 6, 7};

HKL ThreadLayout(DWORD thread) {
  auto found = win().threadLayouts.find(thread);
  return found == win().threadLayouts.end() ? nullptr : found->second;
}

HKL ThreadLayout() {
  return ThreadLayout(win().currentThread);
}

// The thread whose queue key messages reach: the foreground window's, or the
// calling thread's when no window has the focus.
DWORD FocusedThread() {
  HWND window = win().foreground;
  return window ? win().windowThreads[window] : win().currentThread;
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

// Not Windows' search, which takes key by key in table order and each key's
// levels in turn, dead keys among them: here plain characters come before dead
// keys, then the fewest modifiers, then the layout's key order, so that a
// character on two keys gets its plain key. Ctrl and a letter for the control
// characters 1-26, Ctrl and Backspace for DEL, as Windows' layout tables have it.
SHORT Scan(WCHAR ch, HKL handle) {
  const Layout* layout = Layout::Find(handle);
  if (!layout || !ch) return -1;
  for (int dead = 0; dead < 2; ++dead) {
    for (int level = kNormal; level < kLevels; ++level) {
      for (const LayoutKey& key : layout->Keys()) {
        if (key.chars[0][level] == ch && ((key.dead[0] >> level) & 1) == dead) {
          return static_cast<SHORT>(kShiftState[level] << 8 | key.vk);
        }
      }
    }
  }
  if (ch >= 1 && ch <= 26) return static_cast<SHORT>(2 << 8 | ('A' + ch - 1));
  if (ch == 0x7F && layout->Key(VK_BACK)) return static_cast<SHORT>(2 << 8 | VK_BACK);
  return -1;
}

UINT Map(UINT code, UINT mapType, HKL handle) {
  const Layout* layout = Layout::Find(handle);
  const LayoutKey* key = layout ? layout->Key(code) : nullptr;
  if (!key) return 0;
  if (mapType == MAPVK_VK_TO_VSC) return key->scan;
  if (mapType != MAPVK_VK_TO_CHAR) return 0;
  UINT ch = key->chars[0][kNormal];
  if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
  return (key->dead[0] & 1) ? ch | 0x80000000u : ch;
}

// The level that the held modifiers select; -1 for Ctrl or Alt alone (a shortcut).
int LevelOf(bool shift, bool ctrl, bool alt) {
  if (ctrl && alt) return shift ? kShiftAltGr : kAltGr;
  if (ctrl || alt) return -1;
  return shift ? kShift : kNormal;
}

// Flag 4 of ToUnicodeEx is honoured from Windows 10 1607 (build 14393) on.
bool KeepsState(UINT flags) {
  const Windows& w = win();
  bool honoured = w.versionMajor > 10 ||
                  (w.versionMajor == 10 && (w.versionMinor > 0 || w.versionBuild >= 14393));
  return (flags & 4) && honoured;
}

// ToUnicodeEx's answer for a key typing ch: a pending dead key composes with it or comes out before
// it; flag 4 reads the pending dead key and leaves it, and a dead key then sets none.
int Translate(const Layout& layout, WCHAR ch, bool dead, bool keepState, LPWSTR buffer) {
  WCHAR& pending = win().translatedDead;
  buffer[0] = ch;
  if (!pending) {
    if (dead && !keepState) pending = ch;
    return dead ? -1 : 1;
  }
  WCHAR composed = layout.Compose(pending, ch);
  buffer[0] = composed ? composed : pending;
  buffer[1] = ch;
  if (!keepState) pending = 0;
  return composed ? 1 : 2;
}

void Type(const Layout& layout, WCHAR ch, bool dead) {
  Windows& w = win();
  if (!w.pendingDead) {
    if (dead) {
      w.pendingDead = ch;
    } else {
      w.typed += ch;
    }
    return;
  }
  WCHAR composed = layout.Compose(w.pendingDead, ch);
  if (composed) {
    w.typed += composed;
  } else {
    w.typed += w.pendingDead;
    w.typed += ch;
  }
  w.pendingDead = 0;
}

}  // namespace

void DeliverKey(BYTE vk, bool up) {
  Windows& w = win();
  if (up) {
    w.keysDown.erase(vk);
    return;
  }
  if (vk == VK_CAPITAL && !w.keysDown.count(vk)) w.capsLock = !w.capsLock;
  if (vk == VK_SHIFT && w.shiftClearsCapsLock) w.capsLock = false;
  w.keysDown.insert(vk);
  const Layout* layout = Layout::Find(ThreadLayout(FocusedThread()));
  const LayoutKey* key = layout ? layout->Key(vk) : nullptr;
  bool shift = w.keysDown.count(VK_SHIFT), ctrl = w.keysDown.count(VK_CONTROL);
  bool alt = w.keysDown.count(VK_MENU);
  int level = LevelOf(shift, ctrl, alt);
  // Ctrl+Backspace types DEL.
  if (key && vk == VK_BACK && ctrl && !shift && !alt) Type(*layout, 0x7F, false);
  if (!key || level < 0) return;
  WCHAR ch = key->chars[w.capsLock][level];
  if (ch >= 0x20) Type(*layout, ch, (key->dead[w.capsLock] >> level) & 1);
}

// A Unicode key is held as 0x10000 plus its code unit.
void DeliverUnicode(WCHAR ch, bool up) {
  unsigned key = 0x10000u | ch;
  if (up) {
    win().keysDown.erase(key);
    return;
  }
  win().keysDown.insert(key);
  win().typed += ch;
}

void SetCapsLock(bool on) {
  win().capsLock = on;
}

HKL ReinstalledLayout(HKL handle) {
  const Layout* layout = Layout::Find(handle);
  return layout ? Layout::Install(new Layout(*layout)) : nullptr;
}

void SetShiftClearsCapsLock(bool on) {
  win().shiftClearsCapsLock = on;
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
  return fake::Scan(fake::Wide(static_cast<BYTE>(ch)), layout);
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
                       HKL handle) {
  if (fake::win().silentKeyboard) return 0;
  if (fake::Recording(__func__)) {
    fake::Record("ToUnicodeEx(" + fake::Hex(vk) + "," + fake::Hex(flags) + ")");
  }
  const fake::Layout* layout = fake::Layout::Find(handle);
  const fake::LayoutKey* key = layout ? layout->Key(vk) : nullptr;
  int level = fake::LevelOf(keyState[VK_SHIFT] & 0x80, keyState[VK_CONTROL] & 0x80,
                            keyState[VK_MENU] & 0x80);
  int caps = keyState[VK_CAPITAL] & 1;
  if (!key || level < 0 || !key->chars[caps][level] || size < 2) return 0;
  bool dead = (key->dead[caps] >> level) & 1;
  return fake::Translate(*layout, key->chars[caps][level], dead, fake::KeepsState(flags), buffer);
}

SHORT WINAPI GetKeyState(int vk) {
  if (fake::win().silentKeyboard) return 0;
  if (fake::Recording(__func__)) {
    fake::Record("GetKeyState(" + fake::Hex(static_cast<unsigned>(vk)) + ")");
  }
  const fake::Windows& w = fake::win();
  int toggled = vk == VK_CAPITAL && w.capsLock ? 1 : 0;
  return static_cast<SHORT>((w.keysDown.count(static_cast<unsigned>(vk)) ? 0x8000 : 0) | toggled);
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
