// The self-test's command line: brlvelt-selftest [--bridge] [KLID...].
#pragma once

class CommandLine {
 public:
  // False, with the usage printed, for a command line it does not understand.
  bool Parse(int argc, char** argv);
  // Through the bridge and its helper, as a 64-bit screen reader types.
  bool Bridge() const { return bridge; }
  // The KLIDs named; none for every layout installed for the user.
  int KlidCount() const { return klidCount; }
  char** Klids() const { return klids; }

 private:
  static void PrintUsage();

  bool bridge = false;
  int klidCount = 0;
  char** klids = nullptr;
};
