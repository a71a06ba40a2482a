#include "CommandLine.h"

#include <stdio.h>
#include <string.h>

bool CommandLine::Parse(int argc, char** argv) {
  int first = 1;
  bridge = argc > 1 && strcmp(argv[1], "--bridge") == 0;
  if (bridge) ++first;
  klidCount = argc - first;
  klids = argv + first;
  for (int i = first; i < argc; ++i) {
    if (argv[i][0] != '-') continue;
    PrintUsage();
    return false;
  }
  return true;
}

void CommandLine::PrintUsage() {
  printf(
      "Usage: brlvelt-selftest [--bridge] [KLID...]\n"
      "Types through the driver into a window of its own on each keyboard layout\n"
      "installed for you (or each KLID given, such as 0000040C), Caps Lock off and on.\n"
      "--bridge: the 64-bit self-test, through the bridge and its helper.\n");
}
