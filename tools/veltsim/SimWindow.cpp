#include "SimWindow.h"

#include <stdio.h>
#include <string.h>

namespace {

const UINT kRedraw = WM_APP + 1;
// The window whose thread the keyboard hook serves; one display per process.
SimWindow* current = nullptr;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

bool SimWindow::Open(int cells) {
  if (thread) return false;
  if (!lockReady) InitializeCriticalSection(&lock);
  lockReady = true;
  cellCount = cells < 0 ? 0 : cells > 128 ? 128 : cells;
  memset(row, 0, sizeof row);
  snprintf(status, sizeof status, "no key sent to the driver yet");
  keys.Reset();
  ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  current = this;
  thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  if (thread) WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
  ready = nullptr;
  if (!window) Close();
  return window != nullptr;
}

void SimWindow::Close() {
  if (!thread) return;
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  thread = nullptr;
  window = nullptr;
  current = nullptr;
  UnregisterClassW(kClassName, ThisModule());
}

void SimWindow::Show(const unsigned char* cells) {
  if (!thread) return;
  EnterCriticalSection(&lock);
  memcpy(row, cells, sizeof row);
  LeaveCriticalSection(&lock);
  PostMessageW(window, kRedraw, 0, 0);
}

void SimWindow::SetStatus(const char* text) {
  if (!thread) return;
  EnterCriticalSection(&lock);
  snprintf(status, sizeof status, "%s", text);
  LeaveCriticalSection(&lock);
  PostMessageW(window, kRedraw, 0, 0);
}

DWORD WINAPI SimWindow::Run(void* self) {
  SimWindow* sim = static_cast<SimWindow*>(self);
  bool created = sim->Create();
  SetEvent(sim->ready);
  if (!created) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  UnhookWindowsHookEx(sim->hook);
  return 0;
}

bool SimWindow::Create() {
  HMODULE module = ThisModule();
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  const int perRow = CellLayout::kCellsPerRow;
  int columns = cellCount < perRow ? (cellCount > 14 ? cellCount : 14) : perRow;
  int rows = cellCount ? (cellCount + perRow - 1) / perRow : 1;
  RECT frame = {0, 0, 2 * CellLayout::kMargin + columns * CellLayout::kCellWidth,
                2 * CellLayout::kMargin +
                    rows * (CellLayout::kCellHeight + CellLayout::kNumberHeight) + kStatusHeight +
                    kControlsHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX;
  AdjustWindowRect(&frame, style, FALSE);
  wchar_t title[64];
  swprintf(title, 64, L"VELT display (simulated), %d cells", cellCount);
  window =
      CreateWindowExW(0, kClassName, title, style | WS_VISIBLE, 0, 400, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, module, this);
  if (!window) return false;
  AddControls(module);
  hook = SetWindowsHookExW(WH_KEYBOARD_LL, OnKey, module, 0);
  return true;
}

void SimWindow::AddControls(HMODULE module) {
  RECT client;
  GetClientRect(window, &client);
  int top = client.bottom - kControlsHeight + 4;
  for (int id = kPowerButton; id <= kCableButton; ++id) {
    int left = CellLayout::kMargin + (id - 1) * 150;
    CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, left, top, 140, 24,
                    window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
  }
  LabelControls();
}

// F9 or the first button work the power switch, F10 or the second the cable.
void SimWindow::Control(int id) {
  if (id == kPowerButton) link->TogglePower();
  if (id == kCableButton) link->ToggleCable();
  LabelControls();
}

// Each button says what it does next.
void SimWindow::LabelControls() {
  PowerAndCable::State now = link->Now();
  SetDlgItemTextW(window, kPowerButton, now.on ? L"Switch off (F9)" : L"Switch on (F9)");
  SetDlgItemTextW(window, kCableButton,
                  now.cable == PowerAndCable::kOut ? L"Plug in (F10)" : L"Unplug (F10)");
}

LRESULT CALLBACK SimWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimWindow* sim = current;
  switch (message) {
    case kRedraw:
      if (sim) sim->LabelControls();
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_COMMAND:
      if (sim) sim->Control(LOWORD(wParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (sim) sim->Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if (sim) sim->Click(lParam, message == WM_LBUTTONUP);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Keys reach the display only while its window is in front, and only from a
// person: see the class comment.
LRESULT CALLBACK SimWindow::OnKey(int code, WPARAM wParam, LPARAM lParam) {
  const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  SimWindow* sim = current;
  bool person = !(key->flags & LLKHF_INJECTED) || key->dwExtraInfo == kPersonMarker;
  if (code == HC_ACTION && sim && person && GetForegroundWindow() == sim->window) {
    bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    if (key->vkCode == VK_F9 || key->vkCode == VK_F10) {
      if (!up) sim->Control(key->vkCode == VK_F9 ? kPowerButton : kCableButton);
      return 1;
    }
    if (sim->keys.Key(key->vkCode, key->scanCode, up)) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void SimWindow::Paint(HDC dc) {
  unsigned char shown[128];
  char line[128];
  EnterCriticalSection(&lock);
  memcpy(shown, row, sizeof shown);
  memcpy(line, status, sizeof line);
  LeaveCriticalSection(&lock);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (int cell = 0; cell < cellCount; ++cell) PaintCell(dc, cell, shown[cell]);
  if (!cellCount) TextOutA(dc, CellLayout::kMargin, CellLayout::kMargin, "no cells", 8);
  TextOutA(dc, CellLayout::kMargin, client.bottom - kControlsHeight - kStatusHeight + 4, line,
           static_cast<int>(strlen(line)));
}

void SimWindow::PaintCell(HDC dc, int cell, unsigned char dots) {
  POINT origin = CellLayout::Origin(cell);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, origin.x + 1, origin.y, origin.x + CellLayout::kCellWidth - 1,
            origin.y + CellLayout::kCellHeight);
  for (int dot = 0; dot < 8; ++dot) {
    POINT c = CellLayout::DotCenter(cell, dot);
    bool raised = (dots >> dot) & 1;
    int r = raised ? 4 : 1;
    SelectObject(dc, GetStockObject(raised ? BLACK_BRUSH : LTGRAY_BRUSH));
    SelectObject(dc, GetStockObject(raised ? BLACK_PEN : NULL_PEN));
    Ellipse(dc, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
  }
  char number[8];
  int length = snprintf(number, sizeof number, "%d", cell + 1);
  RECT below = {origin.x, origin.y + CellLayout::kCellHeight, origin.x + CellLayout::kCellWidth,
                origin.y + CellLayout::kCellHeight + CellLayout::kNumberHeight};
  DrawTextA(dc, number, length, &below, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

// Routing keys: the key of cell n (counted from 1) is display key n of the
// upper bank (type 4, code n), for cells 1 to 127.
void SimWindow::Click(LPARAM position, bool up) {
  if (up) {
    if (pressedCell >= 0) queue->Push(4, 0x01, static_cast<unsigned char>(pressedCell + 1));
    pressedCell = -1;
    ReleaseCapture();
    return;
  }
  int cell = CellLayout::CellAt(static_cast<short>(LOWORD(position)),
                                static_cast<short>(HIWORD(position)), cellCount);
  if (cell < 0 || cell >= 127) return;
  pressedCell = cell;
  SetCapture(window);
  queue->Push(4, 0x02, static_cast<unsigned char>(cell + 1));
}
