// Native benchmarks of the driver's hot paths, each beside the floor it is
// compared with. Run: build/native/tools/bench/driver_benchmark
// (see docs/benchmarks.md). The Win32 stand-in's keyboard calls are silent.
#include <benchmark/benchmark.h>
#include <string.h>

#include <vector>

#include "../../include/brlvelt.h"
#include "../../src/driver/display/BrailleDisplay.h"
#include "FakeWindows.h"

namespace {

int WINAPI Ready(const char*) {
  return 1;
}
int WINAPI Done() {
  return 1;
}
int WINAPI NoKey(unsigned char*, unsigned char*) {
  return 0;
}
int WINAPI Show(const unsigned char* cells) {
  benchmark::DoNotOptimize(cells);
  return 1;
}
int WINAPI FortyCells() {
  return 40;
}
int WINAPI OnChord(int code, int param) {
  benchmark::DoNotOptimize(code + param);
  return 0;
}

// Opens the library's display on a device library that does nothing.
void OpenDisplay() {
  fake::Reset();
  fake::win().silentKeyboard = true;
  fake::Module module;
  module.name = "VELT.DLL";
  module.exports = {{"Initialisation", fake::Export(Ready)},
                    {"Fermeture", fake::Export(Done)},
                    {"LectureClavier", fake::Export(NoKey)},
                    {"Affichage", fake::Export(Show)},
                    {"LongueurBarette", fake::Export(FortyCells)}};
  fake::win().modules.push_back(module);
  BrlTerminate();
  BrlInit("bench", OnChord);
}

unsigned char row[2][40];

void DisplayUnchanged(benchmark::State& state) {
  OpenDisplay();
  memset(row[0], 0x2D, sizeof row[0]);
  BrlDisplay(row[0], 40);
  for (auto _ : state) benchmark::DoNotOptimize(BrlDisplay(row[0], 40));
}

void FloorCompare(benchmark::State& state) {
  unsigned char a[128], b[128];
  memset(a, 0x2D, sizeof a);
  memset(b, 0x2D, sizeof b);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(memcmp(a, b, 128));
  }
}

void DisplayChanged(benchmark::State& state) {
  OpenDisplay();
  memset(row[0], 0x2D, sizeof row[0]);
  memset(row[1], 0x1B, sizeof row[1]);
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(BrlDisplay(row[i ^= 1], 40));
}

void FloorCompareAndCopy(benchmark::State& state) {
  unsigned char a[128], b[128];
  memset(a, 0x2D, sizeof a);
  memset(b, 0x1B, sizeof b);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    if (memcmp(a, b, 128)) memcpy(b, a, 128);
    benchmark::DoNotOptimize(b);
    b[0] ^= 1;
  }
}

// Press and release packets of types 1 (a letter), 2 (Enter) and 3 (a display key).
std::vector<unsigned char> PacketStream() {
  std::vector<unsigned char> bytes;
  const unsigned char packets[][3] = {{1, 2, 'a'},  {1, 1, 'a'}, {2, 2, 0x0D},
                                      {2, 1, 0x0D}, {3, 2, 7},   {3, 1, 7}};
  for (int i = 0; i < 100; ++i) {
    for (const auto& packet : packets) bytes.insert(bytes.end(), packet, packet + 3);
  }
  return bytes;
}

void Decode(benchmark::State& state) {
  OpenDisplay();
  std::vector<unsigned char> bytes = PacketStream();
  for (auto _ : state) {
    for (unsigned char byte : bytes) theDisplay->HandleInputByte(byte);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void FloorReadBytes(benchmark::State& state) {
  std::vector<unsigned char> bytes = PacketStream();
  for (auto _ : state) {
    unsigned sum = 0;
    for (unsigned char byte : bytes) {
      sum += byte;
      benchmark::DoNotOptimize(sum);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void ReportChord(benchmark::State& state) {
  OpenDisplay();
  for (int key = 0; key < state.range(0); ++key) theDisplay->PressDisplayKey(1 + key * 37);
  for (auto _ : state) theDisplay->ReportChord();
  for (int key = 0; key < state.range(0); ++key) theDisplay->ReleaseDisplayKey(1 + key * 37);
}

void FloorScanKeys(benchmark::State& state) {
  unsigned char keys[512] = {};
  for (int key = 0; key < state.range(0); ++key) keys[1 + key * 37] = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(keys);
    unsigned held = 0;
    for (unsigned char down : keys) held += down;
    benchmark::DoNotOptimize(held);
  }
}

}  // namespace

BENCHMARK(DisplayUnchanged);
BENCHMARK(FloorCompare);
BENCHMARK(DisplayChanged);
BENCHMARK(FloorCompareAndCopy);
BENCHMARK(Decode);
BENCHMARK(FloorReadBytes);
BENCHMARK(ReportChord)->Arg(1)->Arg(4)->Arg(10);
BENCHMARK(FloorScanKeys)->Arg(1)->Arg(4)->Arg(10);
BENCHMARK_MAIN();
