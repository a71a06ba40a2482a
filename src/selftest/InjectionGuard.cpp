#include "InjectionGuard.h"

namespace {

HWND ownWindow = nullptr;
volatile LONG blocked = 0;
volatile LONG typing = 0;
bool letDown[256];  // injected keys let through down, by virtual key

}  // namespace

InjectionGuard::InjectionGuard(HWND own) {
  ownWindow = own;
  InterlockedExchange(&blocked, 0);
  InterlockedExchange(&typing, 1);
  ZeroMemory(letDown, sizeof letDown);
  hook = SetWindowsHookExW(WH_KEYBOARD_LL, OnKey, GetModuleHandleW(nullptr), 0);
}

InjectionGuard::~InjectionGuard() {
  if (hook) UnhookWindowsHookEx(hook);
}

void InjectionGuard::Release() {
  InterlockedExchange(&typing, 0);
}

void InjectionGuard::LeakUntilExit() {
  InterlockedExchange(&typing, 1);
  hook = nullptr;
}

bool InjectionGuard::Blocked() {
  return InterlockedCompareExchange(&blocked, 0, 0) != 0;
}

// Windows waits for this on every key event of the session (LowLevelHooksTimeout):
// a few tests and one call, nothing more. A key that went down in the
// self-test's window may go up anywhere, so that none stays down: a key going
// up types nothing.
LRESULT CALLBACK InjectionGuard::OnKey(int code, WPARAM wParam, LPARAM lParam) {
  const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && (key->flags & LLKHF_INJECTED) &&
      InterlockedCompareExchange(&typing, 0, 0)) {
    bool& down = letDown[key->vkCode & 0xFF];
    bool up = (key->flags & LLKHF_UP) != 0;
    if (GetForegroundWindow() != ownWindow && !(up && down)) {
      InterlockedExchange(&blocked, 1);
      return 1;
    }
    down = !up;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
