// The driver DLL as a host loads it: LoadLibrary, then the eight exports by
// name. The helper, the test programs, the demo host and the timing hosts all
// load it this way.
#pragma once

#include <windows.h>

#include "../../../include/brlvelt.h"

class DriverModule {
 public:
  DriverModule() = default;
  ~DriverModule();
  DriverModule(const DriverModule&) = delete;
  DriverModule& operator=(const DriverModule&) = delete;

  // False when the DLL or one of its eight exports is missing.
  bool Load(const wchar_t* path);
  void Unload();
  HMODULE Module() const { return module; }

  decltype(&BrlInit) Init = nullptr;
  decltype(&BrlTerminate) Terminate = nullptr;
  decltype(&BrlDisplay) Display = nullptr;
  decltype(&BrlDisplayStatus) DisplayStatus = nullptr;
  decltype(&BrlClear) Clear = nullptr;
  decltype(&BrlRefresh) Refresh = nullptr;
  decltype(&BrlSleep) Sleep = nullptr;
  decltype(&BrlTimer) Timer = nullptr;

 private:
  template <typename Proc>
  bool Resolve(Proc* proc, const char* name) {
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return *proc != nullptr;
  }

  HMODULE module = nullptr;
};
