// Ctrl+C, Ctrl+Break and closing the console ask the self-test to stop. It stops
// between two polls of the driver and puts the user's keyboard back before it
// exits; a console being closed waits for that.
#pragma once

#include <windows.h>

class Interruption {
 public:
  static void Install();
  // Why the console asked to stop ("stopped: ..."), or null while it has not.
  static const char* Reason();
  // The user's keyboard and foreground window are back as they were.
  static void Restored();

 private:
  static BOOL WINAPI OnConsoleEvent(DWORD event);
};
