// The simulated display's window with the real driver: it shows the row the
// driver sent (read back from the screen), and a click, a typed character and a
// function-key chord reach the driver as a chord callback and typed text. After
// the display is closed no window or thread is left. Needs a display (with-xvfb).
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <vector>

#include "../../src/shared/loader/DriverModule.h"
#include "../../tools/demohost/WindowCapture.h"
#include "../../tools/veltsim/SimWindow.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "RecordedChords.h"

namespace {

DriverModule driver;

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

void RunTimer(DWORD ms) {
  KeyRecorder::RunTimer([] { driver.Timer(); }, ms);
}

// A key pressed or released by a person at the window (see SimWindow).
void PersonKey(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0,
              SimWindow::kPersonMarker);
  KeyRecorder::Pump(50);
}

void ShowsTheRowItWasSent(HWND window) {
  const unsigned char row[3] = {0x01, 0xFF, 0x5A};
  CHECK_EQ(1, driver.Display(row, 3));
  SetForegroundWindow(window);
  KeyRecorder::Pump(500);
  WindowCapture capture;
  CHECK(capture.Take(window));
  for (int cell = 0; cell < 4; ++cell) {
    for (int dot = 0; dot < 8; ++dot) {
      POINT at = CellLayout::DotCenter(cell, dot);
      bool raised = ((cell < 3 ? row[cell] : 0) >> dot) & 1;
      bool dark = (capture.At(at.x, at.y) & 0xFF) < 0x40;
      if (raised != dark)
        printf("  cell %d dot %d: expected %s\n", cell + 1, dot + 1, raised ? "raised" : "lowered");
      CHECK(raised == dark);
    }
  }
}

void InputReachesTheDriver(HWND window, TextField& field) {
  chords.clear();
  POINT cell5 = CellLayout::CellCenter(4);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell5.x, cell5.y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(cell5.x, cell5.y));
  SetForegroundWindow(window);
  KeyRecorder::Pump(200);
  PersonKey('B', false);
  PersonKey('B', true);
  PersonKey(VK_F1, false);
  PersonKey(VK_F2, false);
  PersonKey(VK_F2, true);
  PersonKey(VK_F1, true);
  // The driver types into the field, now in front.
  SetForegroundWindow(field.Window());
  SetFocus(field.Window());
  KeyRecorder::Pump(200);
  RunTimer(300);
  CHECK(field.Text() == L"b");
  CHECK_EQ(4, chords.size());
  if (chords.size() == 4) {
    CHECK_EQ(0x80000081u, chords[0]);  // routing key of cell 5
    CHECK_EQ(5, chords[1]);
    CHECK_EQ(0x80000102u, chords[2]);  // F1 held, F2 pressed
  }
}

}  // namespace

int main() {
  CHECK(driver.Load(L"brlvelt.dll"));
  TextField field;
  int threadsBefore = ThreadsOfThisProcess();
  CHECK_EQ(40, driver.Init("window=on", OnChord));
  HWND window = FindWindowW(SimWindow::kClassName, nullptr);
  CHECK(window != nullptr);
  wchar_t title[80] = {};
  GetWindowTextW(window, title, 80);
  CHECK(wcsstr(title, L"40 cells") != nullptr);
  if (window) {
    ShowsTheRowItWasSent(window);
    InputReachesTheDriver(window, field);
  }
  driver.Terminate();
  CHECK(FindWindowW(SimWindow::kClassName, nullptr) == nullptr);
  CHECK(GetModuleHandleA("VELT.DLL") == nullptr);
  CHECK_EQ(threadsBefore, ThreadsOfThisProcess());
  driver.Unload();
  return check::Finish("SimWindowTest");
}
