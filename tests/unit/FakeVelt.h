// A scriptable VELT.DLL for the unit tests: registered with the Win32 stand-in so
// that LoadLibraryA("VELT.DLL") finds it, recording every call it receives.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "FakeWindows.h"

namespace fakevelt {

struct Event {
  int type;
  unsigned char flags;
  unsigned char code;
  unsigned long long dueUs = 0;  // handed out once the stand-in's clock reaches it
};

struct Library {
  int initialisationResult = 1;
  int cellCount = 40;
  std::deque<Event> events;        // LectureClavier hands out one per call
  std::vector<std::string> shown;  // the 128 bytes of every Affichage
  int initialisations = 0;         // calls, successful or not
  int fermetures = 0;
  // A cable plugged in again: LongueurBarette answers 0 until an Initialisation succeeds.
  bool awaitingInitialisation = false;
  // How long LongueurBarette and Initialisation take, on the stand-in's tick counter.
  DWORD askMs = 0;
  DWORD initialisationMs = 0;
  // The tick counter as each call began.
  std::vector<DWORD> askedAt;
  std::vector<DWORD> initialisedAt;
  std::vector<DWORD> shownAt;
};

Library& library();

// Registers the library with every entry point except those named in missing.
void Install(std::initializer_list<const char*> missing = {});

// How often the library is loaded right now.
int References();

}  // namespace fakevelt
