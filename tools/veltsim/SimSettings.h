// The simulated display's configuration, read from the settings string the
// driver passes to Initialisation: "key=value" pairs separated by ';'. Since the
// driver passes at most 79 characters, file=PATH reads more pairs from a text
// file, separated by ';' or line ends.
#pragma once

class SimSettings {
 public:
  static const int kPathSize = 260;
  static const int kErrorSize = 160;

  int cellCount = 40;                // cells=N (0: no answer, negative: switched off)
  bool initialisationFails = false;  // init=fail
  char keysPath[kPathSize] = {};     // keys=FILE, scripted key events
  char braillePath[kPathSize] = {};  // braille=FILE, or braille=- for the console
  char logPath[kPathSize] = {};      // log=FILE, every call received
  bool window = false;               // window=on: the display in a window of its own
  int crashCell = -1;                // crash=N: Affichage of a row starting with N crashes
  int faultSeed = 0;                 // faults=SEED: misbehave at random points (0: never)
  int faultRate = 20;                // faultrate=PERCENT: how often a point misbehaves
  char error[kErrorSize] = {};       // why Parse failed

  // False, with error set, for a malformed string.
  bool Parse(const char* settings);

 private:
  bool Apply(const char* key, int keyLength, const char* value, int valueLength);
  bool ParseFile(const char* path, int pathLength);

  bool inFile = false;
  bool Fail(const char* what, const char* item, int itemLength);
};
