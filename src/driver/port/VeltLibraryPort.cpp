#include "VeltLibraryPort.h"

#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"
#include "../../shared/log/LogRepeats.h"

VeltBinding VeltLibraryPort::binding;

namespace {

const char kLoadFailure[] = "Impossible de charger le fichier VELT.DLL";

// Results of LectureClavier outside 0-4, which the driver drops.
LogRepeats oddKeyReads("LectureClavier answered");

// GetProcAddress returns a generic function pointer; every entry point is
// stored under its real type.
template <typename Proc>
Proc Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

VeltLibraryPort::~VeltLibraryPort() {
  if (Log::On()) {
    oddKeyReads.End();
    if (binding.Fermeture) LogLine().Text("Fermeture");
    if (binding.module) LogLine().Text("VELT.DLL unloaded");
  }
  if (binding.Fermeture) binding.Fermeture();
  if (binding.module) FreeLibrary(binding.module);
  binding = VeltBinding();
}

int VeltLibraryPort::Open(const char* settings) {
  binding.module = LoadLibraryA("VELT.DLL");
  if (Log::On()) LogLoad();
  if (binding.module) {
    binding.Initialisation = Resolve<InitialisationProc>(binding.module, "Initialisation");
    binding.Fermeture = Resolve<FermetureProc>(binding.module, "Fermeture");
    binding.LectureClavier = Resolve<LectureClavierProc>(binding.module, "LectureClavier");
    binding.Affichage = Resolve<AffichageProc>(binding.module, "Affichage");
    binding.LongueurBarette = Resolve<LongueurBaretteProc>(binding.module, "LongueurBarette");
    if (binding.Initialisation && binding.Fermeture && binding.LectureClavier &&
        binding.Affichage && binding.LongueurBarette) {
      int result = binding.Initialisation(settings);
      if (Log::On()) LogLine().Text("Initialisation -> ").Number(result);
      return result;
    }
  }
  if (!boxes) return 0;
  if (Log::On()) LogLine().Text("box ").Quoted(kLoadFailure);
  MessageBoxA(nullptr, kLoadFailure, "Erreur de chargement", MB_OK);
  return 0;
}

// Which VELT.DLL was loaded, or why none was. Runs right after LoadLibraryA,
// before anything can change the last error.
void VeltLibraryPort::LogLoad() {
  if (!binding.module) {
    long error = static_cast<long>(GetLastError());
    LogLine().Text("VELT.DLL not loaded, error ").Number(error);
    return;
  }
  // One more byte than given: a truncated path stays terminated on Windows XP too.
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(binding.module, path, MAX_PATH);
  LogLine().Text("VELT.DLL loaded from ").Quoted(path);
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
      if (type != 0 && !taken && Log::On()) oddKeyReads.Add(type);
      if (taken) {
        if (Log::On()) oddKeyReads.End();
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
