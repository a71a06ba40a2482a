#include "InjectedKeys.h"

#include <windows.h>

void InjectedKeys::Note(InputCall call, const ForwardedKey& key) {
  int at = Find(key);
  if (key.flags & KEYEVENTF_KEYUP) {
    if (at < 0) return;
    for (int i = at; i + 1 < count; ++i) held[i] = held[i + 1];
    --count;
  } else if (at < 0 && count < kMost) {
    held[count++] = {call, key};
  }
}

void InjectedKeys::ReleaseAll() {
  while (count > 0) Release(held[--count]);
}

// A key as Windows tells keys apart: its virtual key, its scan code, and
// whether it is extended (right Ctrl, not left) or Unicode input.
int InjectedKeys::Find(const ForwardedKey& key) const {
  const DWORD kind = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_UNICODE;
  for (int i = 0; i < count; ++i) {
    const ForwardedKey& down = held[i].key;
    if (down.vk == key.vk && down.scan == key.scan && (down.flags & kind) == (key.flags & kind)) {
      return i;
    }
  }
  return -1;
}

void InjectedKeys::Release(const Held& down) {
  const ForwardedKey& key = down.key;
  DWORD flags = key.flags | KEYEVENTF_KEYUP;
  if (down.call == kKeybdEvent) {
    keybd_event(static_cast<BYTE>(key.vk), static_cast<BYTE>(key.scan), flags, 0);
    return;
  }
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key.vk;
  input.ki.wScan = key.scan;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}
