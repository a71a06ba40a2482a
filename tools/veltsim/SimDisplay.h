// A VELT display without hardware: answers the device library's five calls from
// its settings, shows cells as Unicode braille and logs every call it receives.
// Its power switch and cable (key script lines, window controls) take it away
// and bring it back; while it is away, the library keeps itself loaded, so that
// a fresh start of the driver's finds the switch and cable as they were, and the
// key script goes on across Initialisation as the person at the display does.
#pragma once

#include <stdio.h>

#include "FaultDice.h"
#include "KeyQueue.h"
#include "KeyScript.h"
#include "PowerAndCable.h"
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
  int Start(bool resume);
  void CloseFiles(bool keepWindow);
  // Applies what the switch, the cable and the script did by tick; drops keys
  // due while the display is away.
  void Advance(unsigned long tick);
  void Apply(KeyScript::Action action);
  void Follow(PowerAndCable::State now);
  void KeepLoaded(bool away);
  void Log(const char* format, ...);
  void FlushQuietPolls();
  void WriteRow(const unsigned char* cells, int count);
  int ShownCells() const;
  bool NextKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick);
  bool OddKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick);

  SimSettings settings;
  KeyScript script;
  KeyQueue windowKeys;
  PowerAndCable link;
  PowerAndCable::State followed = {true, PowerAndCable::kIn};
  HMODULE kept = nullptr;
  SimWindow window{&windowKeys, &link};
  FaultDice faults;
  FILE* log = nullptr;
  FILE* braille = nullptr;
  int nextEvent = 0;
  unsigned long nextDue = 0;
  unsigned long quietPolls = 0;
  unsigned char lastRow[kCells] = {};
  bool rowShown = false;
};
