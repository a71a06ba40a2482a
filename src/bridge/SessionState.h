// What the bridge keeps of the driver's state, helper or not: what reopens the
// display in a fresh helper (settings, callback, the row), the sleep flag that
// outlives a helper, and whether a session is open.
#pragma once

#include "../../include/brlvelt.h"
#include "../shared/facts/DriverLimits.h"
#include "channel/Message.h"

class SessionState {
 public:
  // Whether BrlInit's result can be the driver's: a cell count and a
  // status-cell count, each within the driver's row.
  static bool Plausible(int initResult) {
    return (initResult & ~0xFFFF) == 0 && (initResult & 0xFF) <= DriverLimits::kCells &&
           (initResult >> 8) <= DriverLimits::kCells;
  }
  // Copies the row as the driver takes it: a shorter row blanks the rest; no
  // cells with a count keeps the row.
  void NoteRow(const unsigned char* cells, int count);
  bool RowBlank() const;
  // Whether a session or an earlier one left what reopens the display.
  bool Reopenable() const { return session || settings[0] || callback; }
  Message InitRequest() const;
  Message RowRequest() const;

  KeyCallback callback = nullptr;
  char settings[DriverLimits::kSettingsSize] = {};
  int sleeping = 0;
  bool session = false;  // a BrlInit succeeded, and no BrlTerminate since
  int initResult = 0;    // what the last BrlInit that succeeded answered

 private:
  unsigned char row[DriverLimits::kCells] = {};
};
