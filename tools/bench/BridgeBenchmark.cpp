// Timing of the bridge under Wine, each figure beside its floor from the same
// run (the BridgeSession class linked in, so that its helper is found beside this
// program, in brlvelthost\):
//  - a BrlDisplay with changed content against a bare round trip on the same
//    channel (goal: at most 1.5 times);
//  - a BrlTimer on a quiet display against one tick (goal: one tick + 1 ms);
//  - the delay from the simulated display handing out a chord to the host's
//    callback, through the bridge against the x86-64 driver loaded in-process
//    (goal: at most 1 ms more).
// Run with scripts/bench; figures in docs/benchmarks.md.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "../../src/bridge/BridgeSession.h"
#include "../../src/shared/loader/DriverModule.h"
#include "DeliveryTimes.h"

namespace {

LARGE_INTEGER frequency;
std::vector<double> called;

double Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * now.QuadPart / frequency.QuadPart;
}

double TickPeriodMs() {
  DWORD tick = GetTickCount();
  while (GetTickCount() == tick) {
  }
  double start = Now();
  for (int i = 0; i < 100; ++i) {
    tick = GetTickCount();
    while (GetTickCount() == tick) {
    }
  }
  return (Now() - start) / 100;
}

struct Spread {
  double mean, median, worst;
};

template <typename Call>
Spread Time(int calls, Call call) {
  std::vector<double> each;
  double sum = 0;
  for (int i = 0; i < calls; ++i) {
    double start = Now();
    call(i);
    each.push_back(Now() - start);
    sum += each.back();
  }
  std::sort(each.begin(), each.end());
  return {sum / calls, each[calls / 2], each.back()};
}

void Print(const char* what, const Spread& s) {
  printf("  %-34s mean %.3f ms, median %.3f ms, worst %.3f ms\n", what, s.mean, s.median, s.worst);
}

void RoundTrips(BridgeSession& bridge) {
  bridge.Init("cells=40", nullptr);
  Spread ping = Time(2000, [&](int) { bridge.Ping(); });
  Spread display = Time(2000, [&](int i) {
    unsigned char row[40];
    memset(row, i & 0xFF, sizeof row);
    bridge.Display(row, sizeof row);
  });
  bridge.Terminate();
  printf("BrlDisplay, changed content, 2000 calls:\n");
  Print("bare round trip (floor)", ping);
  Print("forwarded BrlDisplay", display);
  printf("  ratio of the means %.2f (goal <= 1.5)\n", display.mean / ping.mean);
}

void QuietTimer(BridgeSession& bridge) {
  double tick = TickPeriodMs();
  bridge.Init("cells=40", nullptr);
  Spread timer = Time(300, [&](int) { bridge.Timer(); });
  bridge.Terminate();
  printf("BrlTimer through the bridge, quiet display, 300 calls:\n");
  Print("BrlTimer", timer);
  printf("  tick %.3f ms (floor); mean - tick = %.3f ms (goal <= 1 ms)\n", tick, timer.mean - tick);
}

int __stdcall OnChord(int, int) {
  called.push_back(Now());
  return 0;
}

// Chords handed out a few milliseconds apart, BrlTimer called back to back.
template <typename Init, typename Timer, typename Terminate>
Spread ChordDelay(const char* log, Init init, Timer timer, Terminate terminate) {
  const int chords = 100;
  FILE* keys = fopen("bench-chords.txt", "wb");
  for (int i = 0; i < chords; ++i) fprintf(keys, "%d 3 0x03 %d\n", 3 + i % 5, 1 + i % 8);
  fclose(keys);
  remove(log);
  called.clear();
  char settings[80];
  snprintf(settings, sizeof settings, "keys=bench-chords.txt;log=%s", log);
  init(settings, OnChord);
  double end = Now() + 5000;
  while (called.size() < chords && Now() < end) timer();
  terminate();
  std::vector<double> delivered = DeliveryTimes(log, 3, frequency);
  size_t n = std::min(delivered.size(), called.size());
  std::vector<double> delays;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    delays.push_back(called[i] - delivered[i]);
    sum += delays.back();
  }
  std::sort(delays.begin(), delays.end());
  if (n == 0) return {0, 0, 0};
  return {sum / n, delays[n / 2], delays.back()};
}

void Chords(BridgeSession& bridge) {
  SetDllDirectoryW(L"..\\bridge64\\brlvelthost");
  DriverModule driver;
  printf("Chord from LectureClavier to the host's callback, 100 chords:\n");
  if (driver.Load(L"..\\bridge64\\brlvelthost\\brlvelt.dll")) {
    Print("x86-64 driver in-process (floor)",
          ChordDelay("bench-inprocess.log", driver.Init, driver.Timer, driver.Terminate));
    driver.Unload();
  } else {
    printf("  (no in-process floor: ..\\bridge64\\brlvelthost\\brlvelt.dll cannot be loaded)\n");
  }
  SetDllDirectoryW(nullptr);
  Print("through the bridge",
        ChordDelay(
            "bench-bridge.log", [&](const char* s, KeyCallback c) { return bridge.Init(s, c); },
            [&] { return bridge.Timer(); }, [&] { return bridge.Terminate(); }));
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&frequency);
  BridgeSession bridge;
  if (!bridge.Init("cells=40", nullptr)) {
    printf("the bridge cannot start its helper\n");
    return 1;
  }
  bridge.Terminate();
  RoundTrips(bridge);
  QuietTimer(bridge);
  Chords(bridge);
  return 0;
}
