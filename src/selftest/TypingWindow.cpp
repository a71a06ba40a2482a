#include "TypingWindow.h"

namespace {

const wchar_t kClassName[] = L"BrlveltSelfTest";

}  // namespace

TypingWindow::~TypingWindow() {
  if (frame) DestroyWindow(frame);
}

bool TypingWindow::Create() {
  WNDCLASSW type = {};
  type.lpfnWndProc = FrameProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = kClassName;
  RegisterClassW(&type);
  frame = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"brlvelt self-test: typing (Esc stops it)",
                          WS_OVERLAPPEDWINDOW, 60, 60, 640, 120, nullptr, nullptr, type.hInstance,
                          nullptr);
  if (!frame) return false;
  SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Auto-scrolling, so that the control takes text beyond its width.
  edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10,
                         20, 600, 28, frame, nullptr, type.hInstance, nullptr);
  ShowWindow(frame, SW_SHOWNORMAL);
  return edit != nullptr;
}

bool TypingWindow::BringToFront() {
  SetForegroundWindow(frame);
  SetFocus(edit);
  for (int i = 0; i < 20 && !Focused(); ++i) Pump(25);
  return Focused();
}

bool TypingWindow::Focused() const {
  return GetForegroundWindow() == frame && GetFocus() == edit;
}

TypingWindow::State TypingWindow::Pump(DWORD ms, HANDLE until) {
  const DWORD start = GetTickCount();
  const DWORD count = until ? 1 : 0;
  for (;;) {
    HandleMessages();
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) break;
    if (MsgWaitForMultipleObjects(count, &until, FALSE, ms - spent, QS_ALLINPUT) == WAIT_OBJECT_0) {
      HandleMessages();
      break;
    }
  }
  return Now();
}

void TypingWindow::HandleMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    // Esc is the person's way to stop; the driver never types it.
    if (key && msg.wParam == VK_ESCAPE) cancelled = true;
    // The end key is the script's own: the edit control never sees it.
    if (key && msg.wParam == kEndKey) {
      endKey = endKey || msg.message == WM_KEYDOWN;
      continue;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) lastDown = msg.wParam;
    if (msg.message == WM_CHAR && msg.hwnd == edit) {
      arrivals.push_back({static_cast<WCHAR>(msg.wParam), lastDown});
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TypingWindow::State TypingWindow::Now() const {
  if (closed) return kClosed;
  if (cancelled) return kCancelled;
  if (!Focused()) return kFocusLost;
  return endKey ? kEnded : kWaiting;
}

void TypingWindow::Clear() {
  SetWindowTextW(edit, L"");
  endKey = false;
  arrivals.clear();
}

std::wstring TypingWindow::Text() const {
  std::wstring text(GetWindowTextLengthW(edit) + 1, L'\0');
  text.resize(GetWindowTextW(edit, &text[0], static_cast<int>(text.size())));
  return text;
}

LRESULT CALLBACK TypingWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TypingWindow* self = reinterpret_cast<TypingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Closing the window stops the self-test; the window goes once it has
  // put everything back.
  if (message == WM_CLOSE && self) {
    self->closed = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
