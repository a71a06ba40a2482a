// A VELT display without hardware: answers the device library's five calls from
// its settings, shows cells as Unicode braille and logs every call it receives.
#pragma once

#include <stdio.h>

#include "FaultDice.h"
#include "KeyQueue.h"
#include "KeyScript.h"
#include "SimSettings.h"
#include "SimWindow.h"

class SimDisplay {
 public:
  static const int kCells = 128;

  int Initialise(const char* settings);
  void Close();
  int ReadKey(unsigned char* code, unsigned char* flags);
  void Show(const unsigned char* cells);
  int CellCount();

 private:
  int Start();
  void CloseFiles();
  void Log(const char* format, ...);
  void FlushQuietPolls();
  void WriteRow(const unsigned char* cells, int count);
  bool NextKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick);
  bool OddKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick);

  SimSettings settings;
  KeyScript script;
  KeyQueue windowKeys;
  SimWindow window{&windowKeys};
  FaultDice faults;
  FILE* log = nullptr;
  FILE* braille = nullptr;
  int nextEvent = 0;
  unsigned long nextDue = 0;
  unsigned long quietPolls = 0;
  unsigned char lastRow[kCells] = {};
  bool rowShown = false;
};
