#include "InjectionGuard.h"

namespace {

HWND ownWindow = nullptr;
volatile LONG blocked = 0;

}  // namespace

InjectionGuard::InjectionGuard(HWND own) {
  ownWindow = own;
  InterlockedExchange(&blocked, 0);
  hook = SetWindowsHookExW(WH_KEYBOARD_LL, OnKey, GetModuleHandleW(nullptr), 0);
}

InjectionGuard::~InjectionGuard() {
  if (hook) UnhookWindowsHookEx(hook);
}

bool InjectionGuard::Blocked() {
  return InterlockedCompareExchange(&blocked, 0, 0) != 0;
}

// Windows waits for this on every key event of the session (LowLevelHooksTimeout):
// one flag test and one call, nothing more.
LRESULT CALLBACK InjectionGuard::OnKey(int code, WPARAM wParam, LPARAM lParam) {
  const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && (key->flags & LLKHF_INJECTED) && GetForegroundWindow() != ownWindow) {
    InterlockedExchange(&blocked, 1);
    return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
