#include "VeltLibraryPort.h"

VeltBinding VeltLibraryPort::binding;

namespace {

// GetProcAddress returns a generic function pointer; every entry point is
// stored under its real type.
template <typename Proc>
Proc Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

VeltLibraryPort::~VeltLibraryPort() {
  if (binding.Fermeture) binding.Fermeture();
  if (binding.module) FreeLibrary(binding.module);
  binding = VeltBinding();
}

int VeltLibraryPort::Open(const char* settings) {
  binding.module = LoadLibraryA("VELT.DLL");
  if (binding.module) {
    binding.Initialisation = Resolve<InitialisationProc>(binding.module, "Initialisation");
    binding.Fermeture = Resolve<FermetureProc>(binding.module, "Fermeture");
    binding.LectureClavier = Resolve<LectureClavierProc>(binding.module, "LectureClavier");
    binding.Affichage = Resolve<AffichageProc>(binding.module, "Affichage");
    binding.LongueurBarette = Resolve<LongueurBaretteProc>(binding.module, "LongueurBarette");
    if (binding.Initialisation && binding.Fermeture && binding.LectureClavier &&
        binding.Affichage && binding.LongueurBarette) {
      return binding.Initialisation(settings);
    }
  }
  MessageBoxA(nullptr, "Impossible de charger le fichier VELT.DLL", "Erreur de chargement", MB_OK);
  return 0;
}

int VeltLibraryPort::Read(unsigned char* buffer, int length, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  int filled = 0;
  while (filled + 3 <= length) {
    bool taken = false;
    if (binding.LectureClavier) {
      unsigned char code = 0;
      unsigned char flags = 0;
      int type = binding.LectureClavier(&code, &flags);
      taken = type >= 1 && type <= 4;
      if (taken) {
        buffer[filled] = static_cast<unsigned char>(type);
        buffer[filled + 1] = flags;
        buffer[filled + 2] = code;
        filled += 3;
      }
    }
    if (GetTickCount() - start > timeoutMs) break;
    // Nothing waiting: give the processor away until the next read.
    if (!taken) ::Sleep(1);
  }
  return filled;
}
