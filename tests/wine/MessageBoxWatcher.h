// Watches this thread's message boxes from outside: a WH_CBT hook reads caption,
// text, owner and buttons when a dialog box activates, then closes it with OK.
#pragma once

#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

struct SeenMessageBox {
  std::string caption;
  std::string text;
  bool owned;
  bool onlyOk;
  DWORD shownAt;  // GetTickCount()
};

class MessageBoxWatcher {
 public:
  MessageBoxWatcher() {
    seen().clear();
    hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxWatcher() { UnhookWindowsHookEx(hook); }
  bool Installed() const { return hook != nullptr; }

  static std::vector<SeenMessageBox>& seen() {
    static std::vector<SeenMessageBox> boxes;
    return boxes;
  }

 private:
  static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char windowClass[16] = {};
    if (code == HCBT_ACTIVATE) GetClassNameA(box, windowClass, sizeof windowClass);
    if (strcmp(windowClass, "#32770") == 0) {
      char caption[256] = {}, text[256] = {};
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      bool onlyOk = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDYES);
      seen().push_back(
          {caption, text, GetWindow(box, GW_OWNER) != nullptr, onlyOk, GetTickCount()});
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HHOOK hook;
};
