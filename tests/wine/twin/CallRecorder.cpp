#include "CallRecorder.h"

#include "../../../src/helper/ImportPatch.h"

Transcript* CallRecorder::sink = nullptr;

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
  Patch(module, "MessageBoxW", BoxW);
  return Patch(module, "keybd_event", KeybdEvent) && Patch(module, "SendInput", Input) &&
         Patch(module, "MessageBoxA", BoxA);
}

void WINAPI CallRecorder::KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
  sink->Line("keybd_event %02X %02X %lX %llX", vk, scan, flags,
             static_cast<unsigned long long>(extra));
}

UINT WINAPI CallRecorder::Input(UINT count, INPUT* inputs, int size) {
  sink->Line("SendInput %u size %d", count, size == sizeof(INPUT) ? 0 : size);
  for (UINT i = 0; inputs && size == sizeof(INPUT) && i < count && i < 64; ++i) {
    const KEYBDINPUT& key = inputs[i].ki;
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
