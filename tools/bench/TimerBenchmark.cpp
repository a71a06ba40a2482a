// Timing of the real driver DLL under Wine, with the simulated display:
//  - one BrlTimer on a quiet display, in wall time, CPU time and ticks, against
//    the tick period (the driver polls until the tick counter moves on);
//  - how often the driver asks a quiet display its cell count while a host
//    polls every 50 ms;
//  - the delay from the simulated display handing out a key event to the driver
//    injecting its keystroke, against the cost of one keybd_event call, and
//    how many key events a second the driver takes when they all wait.
// Usage: timer_benchmark [DRIVER.DLL], brlvelt.dll by default, so that an older
// build beside it can be timed in the same run. Run with scripts/bench;
// figures in docs/benchmarks.md.
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

// A screen reader's timer: a poll every 50 ms for 10 s, the simulated display's
// log counting the asks.
void AsksOfAQuietDisplay(const DriverModule& driver) {
  remove("bench-asks.log");
  driver.Init("log=bench-asks.log", nullptr);
  const DWORD ms = 10000;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    driver.Timer();
    Sleep(50);
  }
  driver.Terminate();
  std::string log;
  if (FILE* file = fopen("bench-asks.log", "rb")) {
    char line[512];
    while (fgets(line, sizeof line, file)) log += line;
    fclose(file);
  }
  int asks = -1;  // BrlInit's own
  for (size_t at = log.find("LongueurBarette"); at != std::string::npos;
       at = log.find("LongueurBarette", at + 1)) {
    ++asks;
  }
  printf("Quiet display polled every 50 ms for %lu s: asked %d times (%.1f a second)\n", ms / 1000,
         asks, asks * 1000.0 / ms);
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

// Key events all waiting at once: how many a second the driver takes and types.
void KeyThroughput(const DriverModule& driver) {
  const size_t events = 2000;
  FILE* keys = fopen("bench-burst.txt", "wb");
  for (size_t i = 0; i < events; ++i) fprintf(keys, "0 2 0x%02X 0x87\n", i & 1 ? 1 : 2);
  fclose(keys);
  injected.clear();
  driver.Init("keys=bench-burst.txt", nullptr);
  double start = Now(), end = start + 10000;
  while (injected.size() < events && Now() < end) driver.Timer();
  double took = Now() - start;
  driver.Terminate();
  printf("Key events waiting at once: %zu injected in %.1f ms, %.0f a second\n", injected.size(),
         took, injected.size() * 1000.0 / took);
}

}  // namespace

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&frequency);
  const char* name = argc > 1 ? argv[1] : "brlvelt.dll";
  wchar_t path[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, name, -1, path, MAX_PATH);
  DriverModule driver;
  if (!driver.Load(path)) {
    printf("cannot load %s\n", name);
    return 1;
  }
  printf("== %s\n", name);
  QuietTimer(driver, TickPeriodMs());
  AsksOfAQuietDisplay(driver);
  KeyDelay(driver);
  KeyThroughput(driver);
  return 0;
}
