// Key events the simulated display delivers, read from a text file. Each line:
//   delay type flags code
// delay: milliseconds after the previous event (the first: after Initialisation);
// type 1-4, flags and code: numbers, decimal or hex after 0x (a leading zero is
// still decimal); code may also be one character in single quotes ('A', 'é',
// '#'), the file being UTF-8 and the character sent in the ANSI code page. '#'
// outside quotes starts a comment. Instead of a key, a line may work the
// display's power switch or cable: "delay power off", "power on", "unplug",
// "plug in".
#pragma once

class KeyScript {
 public:
  static const int kMaxEvents = 4096;
  static const int kErrorSize = 160;

  enum Action { kKey, kPowerOff, kPowerOn, kUnplug, kPlugIn };

  struct Event {
    unsigned delay;
    Action action;
    int type;
    unsigned char flags;
    unsigned char code;
  };

  // False, with error set, when the file is missing or a line is malformed.
  bool Load(const char* path);
  int Count() const { return count; }
  const Event& At(int index) const { return events[index]; }
  const char* Error() const { return error; }

 private:
  bool ParseLine(char* line, Event* event);
  static bool ParseAction(const char* text, Event* event);

  Event events[kMaxEvents] = {};
  int count = 0;
  char error[kErrorSize] = {};
};
