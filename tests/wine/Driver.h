// The driver DLL as a host sees it: loaded with LoadLibraryA, exports by name.
#pragma once

#include <windows.h>

#include "brlvelt.h"

struct Driver {
  HMODULE module = nullptr;
  decltype(&BrlInit) Init = nullptr;
  decltype(&BrlTerminate) Terminate = nullptr;
  decltype(&BrlDisplay) Display = nullptr;
  decltype(&BrlDisplayStatus) DisplayStatus = nullptr;
  decltype(&BrlClear) Clear = nullptr;
  decltype(&BrlRefresh) Refresh = nullptr;
  decltype(&BrlSleep) Sleep = nullptr;
  decltype(&BrlTimer) Timer = nullptr;

  template <typename Proc>
  void Resolve(Proc* proc, const char* name) {
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }

  // False when the DLL or one of its exports is missing.
  bool Load(const char* path = "brlvelt.dll") {
    module = LoadLibraryA(path);
    if (!module) return false;
    Resolve(&Init, "BrlInit");
    Resolve(&Terminate, "BrlTerminate");
    Resolve(&Display, "BrlDisplay");
    Resolve(&DisplayStatus, "BrlDisplayStatus");
    Resolve(&Clear, "BrlClear");
    Resolve(&Refresh, "BrlRefresh");
    Resolve(&Sleep, "BrlSleep");
    Resolve(&Timer, "BrlTimer");
    return Init && Terminate && Display && DisplayStatus && Clear && Refresh && Sleep && Timer;
  }

  void Unload() {
    if (module) FreeLibrary(module);
    module = nullptr;
  }
};
