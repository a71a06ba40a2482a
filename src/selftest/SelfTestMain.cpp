// brlvelt-selftest.exe [--bridge] [KLID...]: see SelfTest.h.
#include <stdio.h>

#include "SelfTest.h"
#include "SystemFacts.h"

namespace {

// Started from Explorer, the console is the self-test's own and closes with it:
// it waits for Enter so that the output can be read and copied first. Under Wine
// the console is the terminal it was started from, which stays.
void WaitInOwnConsole() {
  DWORD processes[2], mode;
  if (SystemFacts::UnderWine() || GetConsoleProcessList(processes, 2) != 1) return;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return;
  printf("\nPress Enter to close this window.\n");
  fflush(stdout);
  getchar();
}

}  // namespace

int main(int argc, char** argv) {
  static SelfTest selfTest;
  int result = selfTest.Configure(argc, argv) ? selfTest.Run() : 2;
  if (!selfTest.Stuck()) WaitInOwnConsole();
  return result;
}
