#include "CallRecorder.h"

#include <stdio.h>

#include "../../../src/bridge/helper/ImportPatch.h"

Transcript* CallRecorder::sink = nullptr;
std::set<unsigned> CallRecorder::down;
std::set<unsigned> CallRecorder::downBeforeUnload;
bool CallRecorder::unloading = false;

namespace {

template <typename Function>
bool Patch(HMODULE module, const char* name, Function replacement) {
  return ImportPatch::Apply(module, "USER32.dll", name, reinterpret_cast<void*>(replacement));
}

// A text as the user reads it, in Windows-1252 like the driver's own texts.
std::string Ansi(LPCWSTR text) {
  char bytes[1024] = {};
  if (!text) return "(null)";
  WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text, -1, bytes, sizeof bytes - 1, "?", nullptr);
  return bytes;
}

}  // namespace

bool CallRecorder::Attach(HMODULE module, Transcript* transcript) {
  sink = transcript;
  down.clear();
  Patch(module, "MessageBoxW", BoxW);
  return Patch(module, "keybd_event", KeybdEvent) && Patch(module, "SendInput", Input) &&
         Patch(module, "MessageBoxA", BoxA);
}

void CallRecorder::BeginUnload() {
  downBeforeUnload = down;
  unloading = true;
}

void CallRecorder::EndUnload() {
  unloading = false;
  std::set<unsigned> released;
  for (unsigned key : downBeforeUnload) {
    if (!down.count(key)) released.insert(key);
  }
  sink->Line("keys let go:%s", Keys(released).c_str());
  sink->Line("keys down:%s", Keys(down).c_str());
}

void CallRecorder::Key(unsigned key, bool up) {
  if (up) {
    down.erase(key);
  } else {
    down.insert(key);
  }
}

std::string CallRecorder::Keys(const std::set<unsigned>& keys) {
  std::string text;
  for (unsigned key : keys) {
    char name[16];
    snprintf(name, sizeof name, " %X", key);
    text += name;
  }
  return text;
}

void WINAPI CallRecorder::KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
  Key(vk, flags & KEYEVENTF_KEYUP);
  if (unloading) return;
  sink->Line("keybd_event %02X %02X %lX %llX", vk, scan, flags,
             static_cast<unsigned long long>(extra));
}

UINT WINAPI CallRecorder::Input(UINT count, INPUT* inputs, int size) {
  if (!unloading) sink->Line("SendInput %u size %d", count, size == sizeof(INPUT) ? 0 : size);
  for (UINT i = 0; inputs && size == sizeof(INPUT) && i < count && i < 64; ++i) {
    const KEYBDINPUT& key = inputs[i].ki;
    bool unicode = key.dwFlags & KEYEVENTF_UNICODE;
    Key(unicode ? 0x10000u + key.wScan : key.wVk, key.dwFlags & KEYEVENTF_KEYUP);
    if (unloading) continue;
    sink->Line("  type %lu %04X %04X %lX time %lu extra %llX", inputs[i].type, key.wVk, key.wScan,
               key.dwFlags, key.time, static_cast<unsigned long long>(key.dwExtraInfo));
  }
  return inputs && size == sizeof(INPUT) ? count : 0;
}

int WINAPI CallRecorder::BoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  sink->Line("MessageBox \"%s\" \"%s\" %X%s", text ? text : "(null)", caption ? caption : "(null)",
             type, owner ? " owned" : "");
  return IDOK;
}

// Recorded as the same box as MessageBoxA: the user sees the same text.
int WINAPI CallRecorder::BoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  sink->Line("MessageBox \"%s\" \"%s\" %X%s", Ansi(text).c_str(), Ansi(caption).c_str(), type,
             owner ? " owned" : "");
  return IDOK;
}
