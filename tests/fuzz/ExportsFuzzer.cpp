// Arbitrary sequences of the eight exports with arbitrary arguments, against a
// device library that fails, answers odd cell counts and delivers random key
// events. Checks, besides memory safety: every load of the library is matched by
// an unload and every Initialisation by a Fermeture once the display is closed;
// unchanged content never reaches Affichage; chord codes have bit 31 set; no key
// stays down in Windows once the display is closed.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "../../include/brlvelt.h"
#include "../unit/FakeVelt.h"
#include "FuzzInput.h"
#include "KeyState.h"

namespace {

int WINAPI OnChord(int code, int) {
  Require((static_cast<unsigned>(code) & 0x80000000u) != 0, "chord code has bit 31");
  return 0;
}

// Reads the input as a stream of small values; zeros once it runs out.
struct Input : FuzzInput {
  int Int() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return static_cast<int>(value);
  }
};

// The device library as this step finds it: missing, lacking an entry point, or
// complete with a scripted answer.
void ScriptLibrary(Input& in) {
  uint8_t how = in.Byte();
  if (fakevelt::References() > 0) return;  // still loaded: leave it be
  fake::win().modules.clear();
  const char* lacking[] = {"Initialisation", "Fermeture", "LectureClavier", "Affichage",
                           "LongueurBarette"};
  if (how % 8 == 1) {
    return;  // no VELT.DLL at all
  } else if (how % 8 == 2) {
    fakevelt::Install({lacking[in.Byte() % 5]});
  } else {
    fakevelt::Install();
  }
  fakevelt::library().initialisationResult = (how & 0x10) ? 0 : 1;
  int8_t cells = static_cast<int8_t>(in.Byte());
  fakevelt::library().cellCount = cells == 127 ? 300 : cells;
}

void Init(Input& in) {
  ScriptLibrary(in);
  uint8_t length = in.Byte();
  std::string settings;
  for (int i = 0; i < length && !in.Done(); ++i) settings += static_cast<char>(in.Byte() | 1);
  KeyCallback callback = (length & 1) ? OnChord : nullptr;
  BrlInit(length == 255 ? nullptr : settings.c_str(), callback);
}

void Display(Input& in, bool status) {
  unsigned char cells[128];
  for (unsigned char& cell : cells) cell = in.Byte() & 0x0F ? 0 : in.Byte();
  int count = in.Byte() & 1 ? in.Int() : in.Byte() % 140;
  const unsigned char* src = in.Byte() == 0xFF ? nullptr : cells;
  auto show = status ? BrlDisplayStatus : BrlDisplay;
  show(src, count);
  size_t shown = fakevelt::library().shown.size();
  show(src, count);
  Require(fakevelt::library().shown.size() == shown, "unchanged content is not sent");
}

void Timer(Input& in) {
  if (fakevelt::References() > 0) {
    for (int n = in.Byte() % 12; n > 0; --n) {
      uint8_t type = in.Byte() % 6;
      uint8_t flags = in.Byte();
      fakevelt::library().events.push_back({type, flags, in.Byte()});
    }
  }
  BrlTimer();
}

// Each Initialisation is followed by one Fermeture before the library is loaded
// again. (A library that lacks an entry point gets a Fermeture without any
// Initialisation, when it has one.)
bool EveryInitialisationClosed() {
  bool open = false;
  for (const std::string& call : fake::win().calls) {
    if (call.compare(0, 15, "Initialisation(") == 0) {
      if (open) return false;
      open = true;
    } else if (call == "Fermeture()") {
      open = false;
    } else if (call.compare(0, 13, "LoadLibraryA(") == 0 && open) {
      return false;
    }
  }
  return !open;
}

void Step(Input& in) {
  switch (in.Byte() % 8) {
    case 0:
      Init(in);
      break;
    case 1:
      BrlTerminate();
      break;
    case 2:
      Display(in, false);
      break;
    case 3:
      Display(in, true);
      break;
    case 4:
      BrlClear();
      break;
    case 5:
      BrlRefresh();
      break;
    case 6:
      BrlSleep(static_cast<int8_t>(in.Byte()) % 3);
      break;
    case 7:
      Timer(in);
      break;
  }
  Require(fakevelt::References() <= 1, "the library is loaded at most once");
  Require(fake::win().heapBlocks <= 1, "at most one port exists");
}

// Leaves the stand-ins as every run finds them, holding as many heap blocks as
// before the run, so that libFuzzer's leak check runs only on a real leak.
void ForgetRun() {
  fake::win().calls.clear();
  fake::win().typed.clear();
  fake::win().modules.clear();
  fakevelt::Install();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    fake::Reset();
    fake::win().recordOnly = {"LoadLibraryA", "Initialisation", "Fermeture"};
    for (const char* call : KeyState::kCalls) fake::win().recordOnly.push_back(call);
    ForgetRun();
    return true;
  }();
  (void)ready;
  fake::win().foreground = nullptr;
  Input in{{data, size}};
  if (size && data[0] % 2)
    fake::SetForegroundLayout(data[0] % 4 == 1 ? fake::kFrench : fake::kGerman);
  while (!in.Done()) Step(in);

  // Closed and awake again, nothing of the library may remain.
  BrlTerminate();
  BrlSleep(0);
  BrlTerminate();
  Require(fakevelt::References() == 0, "every load of the library is matched by an unload");
  Require(EveryInitialisationClosed(), "every Initialisation is matched by a Fermeture");
  Require(fake::win().heapBlocks == 0, "the port is destroyed");
  KeyState keys;
  keys.Apply(0);
  keys.ExpectAllUp("after the display was closed");
  ForgetRun();
  return 0;
}
