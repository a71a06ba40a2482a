// brlvelt-selftest.exe [--bridge] [KLID...]: see SelfTest.h.
#include "SelfTest.h"

int main(int argc, char** argv) {
  static SelfTest selfTest;
  if (!selfTest.Configure(argc, argv)) return 2;
  return selfTest.Run();
}
