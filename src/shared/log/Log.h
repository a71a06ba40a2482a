// The support log's switch. Off unless the environment variable BRLVELT_LOG
// asks for it; read once, when a module starts, and kept. Every log point tests
// the kept level first, so a log switched off costs one compare and branch.
#pragma once

class Log {
 public:
  enum Level { kOff = 0, kEvents = 1, kTyped = 2 };

  // BRLVELT_LOG=1: events; 2: events, typed characters and key codes. Anything
  // else, or no file to write to, leaves the log off.
  static void Start();
  static bool On() { return level != kOff; }
  // The second level: what the user typed may be written.
  static bool Typed() { return level == kTyped; }

 private:
  static int level;
};
