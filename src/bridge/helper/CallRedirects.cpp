#include "CallRedirects.h"

#include "HelperSession.h"
#include "ImportPatch.h"

HelperSession* CallRedirects::session = nullptr;
bool CallRedirects::capsLock = false;

// The driver imports all four: one left unpatched would act in the helper.
bool CallRedirects::Apply(HMODULE driver, HelperSession* to) {
  session = to;
  return ImportPatch::Apply(driver, "user32.dll", "GetKeyState",
                            reinterpret_cast<void*>(HostKeyState)) &&
         ImportPatch::Apply(driver, "user32.dll", "keybd_event",
                            reinterpret_cast<void*>(ForwardKeybdEvent)) &&
         ImportPatch::Apply(driver, "user32.dll", "SendInput",
                            reinterpret_cast<void*>(ForwardSendInput)) &&
         ImportPatch::Apply(driver, "user32.dll", "MessageBoxA",
                            reinterpret_cast<void*>(ForwardMessageBox));
}

void CallRedirects::Clear() {
  session = nullptr;
}

int BRL_CALLBACK CallRedirects::Chord(int code, int param) {
  if (session) session->Chord(code, param);
  return 0;
}

VOID WINAPI CallRedirects::ForwardKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  if (session) session->Input(kKeybdEvent, 1, &input);
}

UINT WINAPI CallRedirects::ForwardSendInput(UINT count, LPINPUT inputs, int size) {
  if (!inputs || size != static_cast<int>(sizeof(INPUT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return session ? session->Input(kSendInput, count, inputs) : 0;
}

int WINAPI CallRedirects::ForwardMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  return session ? session->ShowMessageBox(text, caption, type) : 0;
}

// Caps Lock's toggle bit as the host read it; its key is never reported down.
SHORT WINAPI CallRedirects::HostKeyState(int vk) {
  if (vk == VK_CAPITAL) return capsLock ? 1 : 0;
  return GetKeyState(vk);
}
