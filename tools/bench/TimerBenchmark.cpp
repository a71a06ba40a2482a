// Timing of the real driver DLL under Wine, with the simulated display:
//  - one BrlTimer on a quiet display, in wall time, CPU time and ticks, against
//    the tick period (the driver polls until the tick counter moves on);
//  - the delay from the simulated display handing out a key event to the driver
//    injecting its keystroke, against the cost of one keybd_event call.
// Run with scripts/bench; figures in docs/benchmarks.md.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../src/bridge/helper/ImportPatch.h"
#include "../../src/shared/loader/DriverModule.h"
#include "DeliveryTimes.h"
#include "brlvelt.h"

namespace {

LARGE_INTEGER frequency;

double Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * now.QuadPart / frequency.QuadPart;
}

double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
  ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
  return (k.QuadPart + u.QuadPart) / 10000.0;
}

double TickPeriodMs() {
  const int ticks = 200;
  DWORD tick = GetTickCount();
  while (GetTickCount() == tick) {
  }
  double start = Now();
  for (int i = 0; i < ticks; ++i) {
    tick = GetTickCount();
    while (GetTickCount() == tick) {
    }
  }
  return (Now() - start) / ticks;
}

void QuietTimer(const DriverModule& driver, double tick) {
  driver.Init("cells=40", nullptr);
  const int calls = 300;
  std::vector<double> each;
  double wall = Now(), cpu = ThreadCpuMs();
  for (int i = 0; i < calls; ++i) {
    double start = Now();
    driver.Timer();
    each.push_back(Now() - start);
  }
  wall = (Now() - wall) / calls;
  std::sort(each.begin(), each.end());
  cpu = (ThreadCpuMs() - cpu) / calls;
  driver.Terminate();
  printf("BrlTimer, quiet display, %d calls back to back:\n", calls);
  printf("  wall %.3f ms, CPU %.3f ms per call; tick period %.3f ms (floor)\n", wall, cpu, tick);
  printf("  ratio to floor: wall %.2f, CPU %.2f\n", wall / tick, cpu / tick);
  printf("  per call: shortest %.3f ms, median %.3f ms, longest %.3f ms\n", each.front(),
         each[each.size() / 2], each.back());
}

// The driver's import of keybd_event, replaced to time each injection.
std::vector<double> injected;
void(WINAPI* realKeybdEvent)(BYTE, BYTE, DWORD, ULONG_PTR);

void WINAPI TimedKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
  injected.push_back(Now());
  realKeybdEvent(vk, scan, flags, extra);
}

double KeybdEventCost() {
  const int calls = 1000;
  double start = Now();
  for (int i = 0; i < calls; ++i) keybd_event(VK_F24, 0, i & 1 ? KEYEVENTF_KEYUP : 0, 0);
  return (Now() - start) / calls;
}

void KeyDelay(const DriverModule& driver) {
  realKeybdEvent = keybd_event;
  if (!ImportPatch::Apply(driver.Module(), "user32.dll", "keybd_event",
                          reinterpret_cast<void*>(TimedKeybdEvent))) {
    printf("cannot time keybd_event\n");
    return;
  }
  const int events = 100;
  FILE* keys = fopen("bench-keys.txt", "wb");
  for (int i = 0; i < events; ++i) fprintf(keys, "%d 2 0x%02X 0x87\n", 3 + i % 5, i & 1 ? 1 : 2);
  fclose(keys);
  remove("bench-velt.log");
  driver.Init("keys=bench-keys.txt;log=bench-velt.log", nullptr);
  double end = Now() + 4000;
  while (injected.size() < events && Now() < end) driver.Timer();
  driver.Terminate();
  std::vector<double> delivered = DeliveryTimes("bench-velt.log", 2, frequency);
  size_t n = delivered.size() < injected.size() ? delivered.size() : injected.size();
  std::vector<double> delays;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    delays.push_back(injected[i] - delivered[i]);
    sum += delays.back();
  }
  std::sort(delays.begin(), delays.end());
  double floor = KeybdEventCost();
  printf("Key event to injected keystroke, %zu events, BrlTimer back to back:\n", n);
  if (!n) return;
  printf("  mean %.3f ms, median %.3f ms, 95th percentile %.3f ms, worst %.3f ms\n", sum / n,
         delays[n / 2], delays[n * 95 / 100], delays[n - 1]);
  printf("  one keybd_event %.4f ms (floor); ratio of the mean to the floor %.0f\n", floor,
         sum / n / floor);
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&frequency);
  DriverModule driver;
  if (!driver.Load(L"brlvelt.dll")) {
    printf("cannot load brlvelt.dll\n");
    return 1;
  }
  QuietTimer(driver, TickPeriodMs());
  KeyDelay(driver);
  return 0;
}
