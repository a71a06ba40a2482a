// The five entry points of the device library, stdcall, exported undecorated.
#include "SimDisplay.h"

namespace {

SimDisplay display;

}  // namespace

#define VELT_EXPORT extern "C" __declspec(dllexport) int __stdcall

VELT_EXPORT Initialisation(const char* settings) {
  return display.Initialise(settings);
}

VELT_EXPORT Fermeture() {
  display.Close();
  return 1;
}

VELT_EXPORT LectureClavier(unsigned char* code, unsigned char* flags) {
  return display.ReadKey(code, flags);
}

VELT_EXPORT Affichage(const unsigned char* cells) {
  display.Show(cells);
  return 1;
}

#ifndef VELTSIM_WITHOUT_LONGUEUR_BARETTE
VELT_EXPORT LongueurBarette() {
  return display.CellCount();
}
#endif
