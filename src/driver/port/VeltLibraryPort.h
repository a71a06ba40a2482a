// The VELT channel: goes through the display's device library VELT.DLL instead
// of a serial line. Opening loads and initialises the library, reading collects
// key events as three-byte packets, destruction closes and unloads it.
#pragma once

#include "SerialPort.h"

// The device library's entry points, all stdcall.
typedef int(WINAPI* InitialisationProc)(const char* settings);
typedef int(WINAPI* FermetureProc)();
typedef int(WINAPI* LectureClavierProc)(unsigned char* code, unsigned char* flags);
typedef int(WINAPI* AffichageProc)(const unsigned char* cells);
typedef int(WINAPI* LongueurBaretteProc)();

// Process-wide binding to the loaded library; all null when unbound.
struct VeltBinding {
  HMODULE module;
  InitialisationProc Initialisation;
  FermetureProc Fermeture;
  LectureClavierProc LectureClavier;
  AffichageProc Affichage;
  LongueurBaretteProc LongueurBarette;
};

class VeltLibraryPort : public SerialPort {
 public:
  // boxes false: a library that cannot be loaded fails the open without
  // telling the user, for opens the user did not ask for.
  explicit VeltLibraryPort(bool boxes = true) : boxes(boxes) {}
  ~VeltLibraryPort() override;
  int Open(const char* settings) override;
  // Packs key events as type, flags, code while three bytes of room remain,
  // until more than timeoutMs passed; sleeps 1 ms after each read that found
  // nothing, so a quiet display costs no CPU. Sleep ends at a clock interrupt,
  // the same interrupt that moves the tick counter on, so a read of timeout 0
  // still ends within the tick in which it started plus one sleep (1 ms).
  int Read(unsigned char* buffer, int length, DWORD timeoutMs) override;

  static const VeltBinding& Binding() { return binding; }

 private:
  static void LogLoad();
  static VeltBinding binding;
  bool boxes;
};
