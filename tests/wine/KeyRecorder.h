// Records every key event that reaches the system, with a low-level keyboard
// hook, and provides a focused text field to type into.
#pragma once

#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

struct KeyEvent {
  DWORD vk;
  DWORD scan;
  bool up;
  bool injected;

  bool operator==(const KeyEvent& other) const {
    return vk == other.vk && scan == other.scan && up == other.up && injected == other.injected;
  }
};

inline KeyEvent Down(DWORD vk, DWORD scan) {
  return {vk, scan, false, true};
}
inline KeyEvent Up(DWORD vk, DWORD scan) {
  return {vk, scan, true, true};
}

class KeyRecorder {
 public:
  KeyRecorder() {
    events().clear();
    hook = SetWindowsHookExA(WH_KEYBOARD_LL, OnKey, GetModuleHandleA(nullptr), 0);
  }
  ~KeyRecorder() { UnhookWindowsHookEx(hook); }
  bool Installed() const { return hook != nullptr; }

  static std::vector<KeyEvent>& events() {
    static std::vector<KeyEvent> recorded;
    return recorded;
  }

  // Lets queued input reach its windows.
  static void Pump(DWORD ms = 100) {
    DWORD start = GetTickCount();
    do {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(5);
    } while (GetTickCount() - start < ms);
  }

  // Polls like a host's timer for ms milliseconds, letting input through between
  // polls.
  static void RunTimer(void (*poll)(), DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      poll();
      Pump(10);
    }
  }

  // Prints the two sequences side by side where they differ.
  static bool Same(const std::vector<KeyEvent>& expected) {
    const std::vector<KeyEvent>& actual = events();
    bool same = expected == actual;
    size_t n = expected.size() > actual.size() ? expected.size() : actual.size();
    for (size_t i = 0; !same && i < n; ++i) {
      if (i < expected.size()) Print("  expected", expected[i]);
      if (i < actual.size()) Print("  actual  ", actual[i]);
    }
    return same;
  }

 private:
  static void Print(const char* label, const KeyEvent& e) {
    printf("%s vk %02lX scan %02lX %s%s\n", label, e.vk, e.scan, e.up ? "up" : "down",
           e.injected ? "" : " (not injected)");
  }

  static LRESULT CALLBACK OnKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      // Key-up by the message; Wine leaves LLKHF_UP clear on Unicode key-ups.
      bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
      events().push_back({key->vkCode, key->scanCode, up, (key->flags & LLKHF_INJECTED) != 0});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HHOOK hook;
};

// A focused single-line text field, standing in for the user's application.
class TextField {
 public:
  TextField() {
    window = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 60,
                             nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    KeyRecorder::Pump(200);
  }
  ~TextField() { DestroyWindow(window); }
  bool Focused() const { return GetFocus() == window; }
  HWND Window() const { return window; }
  std::wstring Text() const {
    WCHAR text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
  }

 private:
  HWND window;
};
