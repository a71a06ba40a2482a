// The simulated display's configuration, read from the settings string the
// driver passes to Initialisation: "key=value" pairs separated by ';'.
#pragma once

class SimSettings {
 public:
  static const int kPathSize = 80;
  static const int kErrorSize = 160;

  int cellCount = 40;                // cells=N (0: no answer, negative: switched off)
  bool initialisationFails = false;  // init=fail
  char keysPath[kPathSize] = {};     // keys=FILE, scripted key events
  char braillePath[kPathSize] = {};  // braille=FILE, or braille=- for the console
  char logPath[kPathSize] = {};      // log=FILE, every call received
  char error[kErrorSize] = {};       // why Parse failed

  // False, with error set, for a malformed string.
  bool Parse(const char* settings);

 private:
  bool Apply(const char* key, int keyLength, const char* value, int valueLength);
  bool Fail(const char* what, const char* item, int itemLength);
};
