// The simulated display's power switch and cable, worked from the key script on
// the driver's thread and from the window on the window's thread. Switched off,
// the display answers LongueurBarette with -1 and sends no keys; unplugged, it
// answers 0 and Initialisation fails; plugged in again, it answers 0 until the
// next Initialisation links it again.
#pragma once

#include <windows.h>

class PowerAndCable {
 public:
  enum Cable { kIn, kOut, kBack };
  struct State {
    bool on;
    Cable cable;
  };

  PowerAndCable();
  ~PowerAndCable();
  PowerAndCable(const PowerAndCable&) = delete;
  PowerAndCable& operator=(const PowerAndCable&) = delete;

  void SwitchOn(bool on);
  void PlugIn(bool in);
  void TogglePower();
  void ToggleCable();
  // An Initialisation: false while unplugged; links a display plugged in again.
  bool Initialise();
  State Now();
  // Switched on and linked: keys and cells pass.
  static bool Linked(State state) { return state.on && state.cable == kIn; }
  // What LongueurBarette answers for a display of cells cells.
  static int Answer(State state, int cells);
  // For the window's status line.
  static const char* Describe(State state);

 private:
  CRITICAL_SECTION lock;
  State state = {true, kIn};
};
