// Key input end to end: the simulated display's scripted events, collected by the
// real driver DLL on BrlTimer, arrive as text in a focused field, as virtual keys,
// and as chords on a stdcall callback that may call back into the driver.
// Usage: input_e2e_test [main|exports|chords]; needs a display (with-xvfb).
// exports and chords are the i686 calling-convention proofs: every export called
// as cdecl, and sixty chords on the stdcall callback, each call checked.
#include <string.h>

#include <vector>

#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"
#include "CheckedCall.h"
#include "KeyRecorder.h"
#include "SimFiles.h"

namespace {

DriverModule driver;
std::vector<unsigned> chords;
// What the callback does after recording a chord (once, on the first chord).
enum Reaction { kNothing, kDisplay, kSleep, kTerminate } reaction = kNothing;

int __stdcall OnChord(int code, int param) {
  chords.push_back(static_cast<unsigned>(code));
  chords.push_back(static_cast<unsigned>(param));
  Reaction now = reaction;
  reaction = kNothing;
  const unsigned char row[2] = {0x07, 0x38};
  if (now == kDisplay) driver.Display(row, 2);
  if (now == kSleep) driver.Sleep(1);
  if (now == kTerminate) driver.Terminate();
  return 0;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  printf("crashed: exception %08lX at %p\n", info->ExceptionRecord->ExceptionCode,
         info->ExceptionRecord->ExceptionAddress);
  fflush(stdout);
  ExitProcess(3);
}

// One BrlTimer through the convention check; a broken convention is named, so
// that a negative control can tell it from any other failure.
void Timer() {
  if (CheckedCall(driver.Timer) != 0) {
    printf("calling convention broken: stack pointer or saved registers changed\n");
    fflush(stdout);
    CHECK(false);
  }
}

// Polls like a host timer until the script has had time to play.
void RunTimer(DWORD ms) {
  KeyRecorder::RunTimer(Timer, ms);
}

void TypedTextArrives() {
  TextField field;
  CHECK(field.Focused());
  WriteKeys("input-typing.txt", TypingScript("Bonjour \xE9").c_str());
  CHECK_EQ(40, driver.Init("keys=input-typing.txt", OnChord));
  RunTimer(400);
  driver.Terminate();
  CHECK(field.Text() == L"Bonjour \u00E9");
}

void VirtualKeysArrive() {
  KeyRecorder recorder;
  WriteKeys("input-enter.txt", "0 2 0x02 0x0D\n5 2 0x01 0x0D\n");
  CHECK_EQ(40, driver.Init("keys=input-enter.txt", OnChord));
  RunTimer(200);
  driver.Terminate();
  CHECK(KeyRecorder::Same({Down(VK_RETURN, 0x1C), Up(VK_RETURN, 0x1C)}));
}

// Two chords and a character in one poll; the callback of the first calls back
// into the driver, and the rest of the poll is still decoded.
void CallbackCallsBackIn(Reaction what, bool portSurvives) {
  SimLog log("input-reentry.log");
  WriteKeys("input-reentry.txt", "0 3 0x03 1\n0 3 0x03 2\n0 3 0x03 3\n");
  CHECK_EQ(40, driver.Init("keys=input-reentry.txt;log=input-reentry.log", OnChord));
  chords.clear();
  reaction = what;
  AlignToTick();
  Timer();
  CHECK_EQ(6, chords.size());
  if (chords.size() == 6) CHECK(chords[0] == 0x80000001u && chords[4] == 0x80000003u);
  std::string calls = log.Since();
  size_t closed = calls.find("Fermeture\n");
  CHECK(portSurvives == (closed == std::string::npos));
  if (closed != std::string::npos) {
    CHECK(closed + strlen("Fermeture\n") == calls.size());
    CHECK(GetModuleHandleA("VELT.DLL") == nullptr);
    Timer();
    CHECK(log.Since().empty());
  }
  // Asleep stays asleep across Terminate and Init; wake to leave a clean state.
  if (what == kSleep) driver.Sleep(0);
  driver.Terminate();
}

void ManyChordsOnTheStdcallCallback() {
  std::string script;
  for (int code = 1; code <= 60; ++code) {
    char line[32];
    snprintf(line, sizeof line, "0 3 0x03 %d\n", code);
    script += line;
  }
  WriteKeys("input-chords.txt", script.c_str());
  CHECK_EQ(40, driver.Init("keys=input-chords.txt", OnChord));
  // Only past this line can a failure be the callback's convention.
  printf("session open\n");
  fflush(stdout);
  chords.clear();
  RunTimer(400);
  driver.Terminate();
  CHECK_EQ(120, chords.size());
  for (size_t i = 0; i + 1 < chords.size(); i += 2) {
    CHECK_EQ(0x80000000u + i / 2 + 1, chords[i]);
    CHECK_EQ(0, chords[i + 1]);
  }
}

// Every export called as a cdecl host calls it, with its arguments pushed and
// popped by the caller; each must leave the stack and saved registers as found.
void ExportsAreCdecl() {
  const unsigned char row[3] = {1, 2, 3};
  const INT_PTR cells = reinterpret_cast<INT_PTR>(row);
  const INT_PTR settings = reinterpret_cast<INT_PTR>("cells=40");
  CHECK_EQ(0, CheckedCall(driver.Init, settings, 0));
  CHECK_EQ(40, checkedResult);
  CHECK_EQ(0, CheckedCall(driver.Display, cells, 3));
  CHECK_EQ(1, checkedResult);
  CHECK_EQ(0, CheckedCall(driver.DisplayStatus, cells, 3));
  CHECK_EQ(0, CheckedCall(driver.Refresh));
  CHECK_EQ(1, checkedResult);
  CHECK_EQ(0, CheckedCall(driver.Clear));
  CHECK_EQ(0, CheckedCall(driver.Sleep, 1));
  CHECK_EQ(0, CheckedCall(driver.Sleep, 0));
  CHECK_EQ(0, CheckedCall(driver.Timer));
  CHECK_EQ(0, CheckedCall(driver.Terminate));
}

}  // namespace

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(OnCrash);
  const char* mode = argc > 1 ? argv[1] : "main";
  CHECK(driver.Load(L"brlvelt.dll"));
  if (strcmp(mode, "main") == 0) {
    TypedTextArrives();
    VirtualKeysArrive();
    CallbackCallsBackIn(kDisplay, true);
    CallbackCallsBackIn(kSleep, false);
    CallbackCallsBackIn(kTerminate, false);
  }
  if (strcmp(mode, "exports") == 0) {
    ExportsAreCdecl();
  } else {
    ManyChordsOnTheStdcallCallback();
  }
  driver.Unload();
  return check::Finish(mode);
}
