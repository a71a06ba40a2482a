#include "DriverModule.h"

DriverModule::~DriverModule() {
  Unload();
}

bool DriverModule::Load(const wchar_t* path) {
  Unload();
  module = LoadLibraryW(path);
  if (!module) return false;
  return Resolve(&Init, "BrlInit") && Resolve(&Terminate, "BrlTerminate") &&
         Resolve(&Display, "BrlDisplay") && Resolve(&DisplayStatus, "BrlDisplayStatus") &&
         Resolve(&Clear, "BrlClear") && Resolve(&Refresh, "BrlRefresh") &&
         Resolve(&Sleep, "BrlSleep") && Resolve(&Timer, "BrlTimer");
}

void DriverModule::Unload() {
  if (module) FreeLibrary(module);
  module = nullptr;
}
