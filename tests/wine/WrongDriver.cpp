// A stand-in driver that types one character too many: the real driver's eight
// exports, from brlvelt-real.dll beside it, with an "x" typed at the start of
// every session. The self-test must report that character and fail, having
// called the driver from a thread that owns no window. With
// BRLVELT_STANDIN=thief, a window of its own takes the focus first: the "x" must
// not reach it, and the self-test must stop, saying why. With
// BRLVELT_STANDIN=unicode the "x" goes as Unicode input: the self-test must
// also say that a letter did not come by its key.
#include <stdio.h>

#include "../../src/shared/loader/DriverModule.h"

namespace {

DriverModule real;
bool sessionStarts = false;
HWND thief = nullptr;
volatile LONG keysStolen = 0;

DWORD WINAPI RunThief(void*) {
  thief = CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"thief", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                          200, 300, 80, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(thief);
  SetFocus(thief);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN) InterlockedIncrement(&keysStolen);
    DispatchMessageW(&msg);
  }
  return 0;
}

// The thief's window in front, within 2 s.
void TakeFocus() {
  CloseHandle(CreateThread(nullptr, 0, RunThief, nullptr, 0, nullptr));
  for (int i = 0; i < 200 && (!thief || GetForegroundWindow() != thief); ++i) Sleep(10);
}

void Say(const char* line) {
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, lstrlenA(line), &written, nullptr);
}

void ReportStolen() {
  char line[64];
  snprintf(line, sizeof line, "the other window got %ld keys\n", keysStolen);
  Say(line);
}

BOOL CALLBACK FoundWindow(HWND, LPARAM) {
  Say("the driver was called on a thread that owns a window\n");
  return FALSE;
}

}  // namespace

extern "C" {

int BrlInit(const char* settings, KeyCallback callback) {
  if (!real.Module() && !real.Load(L"brlvelt-real.dll")) return 0;
  sessionStarts = true;
  return real.Init(settings, callback);
}

int BrlTimer() {
  if (sessionStarts) {
    EnumThreadWindows(GetCurrentThreadId(), FoundWindow, 0);
    char mode[8] = "";
    GetEnvironmentVariableA("BRLVELT_STANDIN", mode, sizeof mode);
    if (lstrcmpA(mode, "thief") == 0 && !thief) TakeFocus();
    if (lstrcmpA(mode, "unicode") == 0) {
      INPUT x[2] = {};
      for (INPUT& input : x) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = 'x';
        input.ki.dwFlags = KEYEVENTF_UNICODE;
      }
      x[1].ki.dwFlags |= KEYEVENTF_KEYUP;
      SendInput(2, x, sizeof(INPUT));
    } else {
      keybd_event('X', 0x2D, 0, 0);
      keybd_event('X', 0x2D, KEYEVENTF_KEYUP, 0);
    }
    sessionStarts = false;
  }
  return real.Timer();
}

int BrlTerminate() {
  if (thief) ReportStolen();
  return real.Module() ? real.Terminate() : 0;
}
int BrlDisplay(const unsigned char* cells, int count) {
  return real.Module() ? real.Display(cells, count) : 0;
}
int BrlDisplayStatus(const unsigned char* cells, int count) {
  return real.Module() ? real.DisplayStatus(cells, count) : 0;
}
int BrlClear() {
  return real.Module() ? real.Clear() : 0;
}
int BrlRefresh() {
  return real.Module() ? real.Refresh() : 0;
}
int BrlSleep(int sleep) {
  return real.Module() ? real.Sleep(sleep) : 0;
}
}
