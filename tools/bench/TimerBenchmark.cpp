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

#include "../../src/helper/ImportPatch.h"
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

template <typename Proc>
Proc Export(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void QuietTimer(HMODULE driver, double tick) {
  auto init = Export<decltype(&BrlInit)>(driver, "BrlInit");
  auto timer = Export<decltype(&BrlTimer)>(driver, "BrlTimer");
  auto terminate = Export<decltype(&BrlTerminate)>(driver, "BrlTerminate");
  init("cells=40", nullptr);
  const int calls = 300;
  std::vector<double> each;
  double wall = Now(), cpu = ThreadCpuMs();
  for (int i = 0; i < calls; ++i) {
    double start = Now();
    timer();
    each.push_back(Now() - start);
  }
  wall = (Now() - wall) / calls;
  std::sort(each.begin(), each.end());
  cpu = (ThreadCpuMs() - cpu) / calls;
  terminate();
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

std::vector<double> DeliveryTimes(const char* log) {
  std::vector<double> times;
  FILE* file = fopen(log, "rb");
  char line[512];
  while (file && fgets(line, sizeof line, file)) {
    const char* at = strchr(line, '@');
    if (strncmp(line, "LectureClavier -> 2", 19) == 0 && at) {
      times.push_back(1000.0 * _atoi64(at + 1) / frequency.QuadPart);
    }
  }
  if (file) fclose(file);
  return times;
}

double KeybdEventCost() {
  const int calls = 1000;
  double start = Now();
  for (int i = 0; i < calls; ++i) keybd_event(VK_F24, 0, i & 1 ? KEYEVENTF_KEYUP : 0, 0);
  return (Now() - start) / calls;
}

void KeyDelay(HMODULE driver) {
  realKeybdEvent = keybd_event;
  if (!ImportPatch::Apply(driver, "user32.dll", "keybd_event",
                          reinterpret_cast<void*>(TimedKeybdEvent))) {
    printf("cannot time keybd_event\n");
    return;
  }
  const int events = 100;
  FILE* keys = fopen("bench-keys.txt", "wb");
  for (int i = 0; i < events; ++i) fprintf(keys, "%d 2 0x%02X 0x87\n", 3 + i % 5, i & 1 ? 1 : 2);
  fclose(keys);
  remove("bench-velt.log");
  auto init = Export<decltype(&BrlInit)>(driver, "BrlInit");
  auto timer = Export<decltype(&BrlTimer)>(driver, "BrlTimer");
  auto terminate = Export<decltype(&BrlTerminate)>(driver, "BrlTerminate");
  init("keys=bench-keys.txt;log=bench-velt.log", nullptr);
  double end = Now() + 4000;
  while (injected.size() < events && Now() < end) timer();
  terminate();
  std::vector<double> delivered = DeliveryTimes("bench-velt.log");
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
  HMODULE driver = LoadLibraryA("brlvelt.dll");
  if (!driver) {
    printf("cannot load brlvelt.dll\n");
    return 1;
  }
  QuietTimer(driver, TickPeriodMs());
  KeyDelay(driver);
  FreeLibrary(driver);
  return 0;
}
