// A stand-in driver that types one character too many: the real driver's eight
// exports, from brlvelt-real.dll beside it, with an "x" typed at the start of
// every session. The self-test must report that character and fail.
#include "../../src/loader/DriverModule.h"

namespace {

DriverModule real;
bool sessionStarts = false;

}  // namespace

extern "C" {

int BrlInit(const char* settings, KeyCallback callback) {
  if (!real.Module() && !real.Load(L"brlvelt-real.dll")) return 0;
  sessionStarts = true;
  return real.Init(settings, callback);
}

int BrlTimer() {
  if (sessionStarts) {
    keybd_event('X', 0x2D, 0, 0);
    keybd_event('X', 0x2D, KEYEVENTF_KEYUP, 0);
    sessionStarts = false;
  }
  return real.Timer();
}

int BrlTerminate() {
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
