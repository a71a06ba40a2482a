#include "SelfTest.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "Interruption.h"
#include "SystemFacts.h"
#include "TypingRun.h"

namespace {

const char kSendTo[] =
    "Please send all of this output, as it is, to whoever gave you the driver,\n"
    "and say which screen reader you use.";
const char kUnderWine[] =
    "Under Wine: the typing thread was given the keyboard's Caps Lock, which Wine\n"
    "does not pass to a thread without windows.";
const char kLogHint[] =
    "For the details support needs, run it again after 'set BRLVELT_LOG=1' in this\n"
    "prompt, and send %LOCALAPPDATA%\\brlvelt\\brlvelt.log as well.";
const wchar_t kScript[] = L"keys.txt";

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool SelfTest::Configure(int argc, char** argv) {
  int first = 1;
  bridge = argc > 1 && strcmp(argv[1], "--bridge") == 0;
  if (bridge) ++first;
  klidCount = argc - first;
  klids = argv + first;
  for (int i = first; i < argc; ++i) {
    if (argv[i][0] != '-') continue;
    printf(
        "Usage: brlvelt-selftest [--bridge] [KLID...]\n"
        "Types through the driver into a window of its own on each keyboard layout\n"
        "installed for you (or each KLID given, such as 0000040C), Caps Lock off and on.\n"
        "--bridge: the 64-bit self-test, through the bridge and its helper.\n");
    return false;
  }
  return true;
}

int SelfTest::Run() {
  DWORD start = GetTickCount();
  PrintHeader();
  if (!FindFiles() || !layouts.Collect(klidCount, klids) || !CheckLayouts() || !WriteScript()) {
    return 2;
  }
  Interruption::Install();
  saved.SaveForeground();
  if (!window.Create()) {
    printf("Could not create the self-test's window.\n");
    return 2;
  }
  // In front, with the activation's messages handled, this thread's key state
  // is the keyboard's.
  window.BringToFront();
  window.Pump(100);
  saved.SaveCapsLock();
  // One driver thread for the whole run, as a screen reader has.
  if (!worker.Start()) {
    printf("Could not start the driver's thread.\n");
    PutBack();
    return 2;
  }
  bool allRight = TypeOnEveryLayout();
  std::string notRestored = PutBack();
  if (verdict.empty()) {
    verdict = allRight ? "everything typed arrived right"
                       : "not all arrived right, or not all could be checked (above)";
  }
  PrintFooter(start, notRestored, allRight);
  return allRight && notRestored.empty() ? 0 : 1;
}

void SelfTest::PrintHeader() const {
  const char* route = sizeof(void*) == 8 ? "x86-64, in this process" : "i686, in this process";
  if (bridge) route = "x86-64, through the bridge and its helper";
  printf(
      "brlvelt-selftest %s, %s\n"
      "Types %d characters and %d sentences through the driver into a window of its own,\n"
      "on each keyboard layout with Caps Lock off and then on. It takes the focus and\n"
      "toggles Caps Lock for a moment: please leave the keyboard and mouse alone until\n"
      "it has finished.\n\n",
      BRLVELT_VERSION, route, sample.Characters(), sample.Sentences());
}

// True only if every layout in both states was typed and arrived right; the
// first run that was stopped ends them all.
bool SelfTest::TypeOnEveryLayout() {
  bool allRight = true;
  TypingRun run(worker, window, sample);
  for (Layout& layout : layouts.All()) {
    for (bool capsLock : {false, true}) {
      if (!verdict.empty()) return false;
      Outcome outcome = run.Run(layout, capsLock);
      PrintLine(layout, capsLock, outcome.text);
      allRight = allRight && outcome.kind == Outcome::kRight;
      if (outcome.kind == Outcome::kStopped || outcome.kind == Outcome::kStuck) {
        verdict = outcome.text;
      }
      stuck = stuck || outcome.kind == Outcome::kStuck;
      if (outcome.kind == Outcome::kStuck) KeepDriverLoaded();
    }
  }
  return allRight;
}

// A thread still inside the driver: the driver stays loaded until the process ends.
void SelfTest::KeepDriverLoaded() const {
  HMODULE pinned;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(driver.Module()), &pinned);
}

// The user's state first: a console being closed leaves only seconds, and
// unloading the bridge may take some of them. Empty when all is back.
std::string SelfTest::PutBack() {
  std::string notRestored = saved.Restore(window);
  layouts.UnloadAdded();
  Interruption::Restored();
  driver.Unload();
  DeleteFileW(kScript);
  SetCurrentDirectoryW(folder.c_str());
  RemoveDirectoryW(scriptFolder.c_str());
  return notRestored;
}

// The driver, and the simulated display it must load rather than a real one:
// beside this program, or beside the bridge's helper.
bool SelfTest::FindFiles() {
  if (bridge && sizeof(void*) != 8) {
    printf("--bridge is for the 64-bit self-test, in the win64 package.\n");
    return false;
  }
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  folder.assign(path, length);
  folder.erase(folder.find_last_of(L'\\') + 1);
  std::vector<const wchar_t*> needed = {L"brlvelt.dll", L"VELT.DLL"};
  if (bridge) needed = {L"brlvelt.dll", L"brlvelthost\\brlvelthost.exe", L"brlvelthost\\VELT.DLL"};
  for (const wchar_t* name : needed) {
    if (Exists(folder + name)) continue;
    printf("Missing beside brlvelt-selftest.exe: %ls\n", name);
    // The win64 package has the bridge beside the self-test, and no VELT.DLL.
    if (!bridge && sizeof(void*) == 8)
      printf("With the win64 package: brlvelt-selftest --bridge\n");
    return false;
  }
  if (!driver.Load((folder + L"brlvelt.dll").c_str())) {
    printf("Could not load %lsbrlvelt.dll with its eight exports.\n", folder.c_str());
    return false;
  }
  return true;
}

bool SelfTest::CheckLayouts() {
  if (!layouts.All().empty()) return true;
  printf("Windows lists no keyboard layout for you.\n");
  return false;
}

// The key script goes into a folder of its own under the user's temporary
// folder, made the current folder: the settings name it relatively, within the
// 79 characters the driver passes on, and the bridge's helper keeps this folder.
bool SelfTest::WriteScript() {
  wchar_t temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  scriptFolder = std::wstring(temp, length) + L"brlvelt-selftest";
  CreateDirectoryW(scriptFolder.c_str(), nullptr);
  if (SetCurrentDirectoryW(scriptFolder.c_str()) && sample.WriteScript(kScript)) return true;
  printf("Could not write the key script into %ls.\n", scriptFolder.c_str());
  return false;
}

void SelfTest::PrintLine(const Layout& layout, bool capsLock, const std::string& text) const {
  std::string klid = layout.klid.empty() ? "--------" : layout.klid;
  printf("%s  Caps Lock %-3s  %-30.30s  %s\n", klid.c_str(), capsLock ? "on" : "off",
         LayoutList::Name(klid).c_str(), text.c_str());
  fflush(stdout);
}

void SelfTest::PrintFooter(DWORD start, const std::string& notRestored, bool allRight) const {
  printf("\n%s, ANSI code page %u\n%s\n", SystemFacts::WindowsVersion().c_str(), GetACP(),
         SystemFacts::ShiftLockSetting().c_str());
  if (SystemFacts::UnderWine()) printf("%s\n", kUnderWine);
  printf("Took %.1f s. Result: %s.\n", (GetTickCount() - start) / 1000.0, verdict.c_str());
  if (!notRestored.empty()) printf("Could not put back:%s\n", notRestored.c_str());
  printf("%s\n", kSendTo);
  if (!allRight) printf("%s\n", kLogHint);
  fflush(stdout);
}
