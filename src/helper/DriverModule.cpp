#include "DriverModule.h"

DriverModule::~DriverModule() {
  if (module) FreeLibrary(module);
}

bool DriverModule::Load(const wchar_t* path) {
  module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return false;
  return Resolve(&Init, "BrlInit") && Resolve(&Terminate, "BrlTerminate") &&
         Resolve(&Display, "BrlDisplay") && Resolve(&DisplayStatus, "BrlDisplayStatus") &&
         Resolve(&Clear, "BrlClear") && Resolve(&Refresh, "BrlRefresh") &&
         Resolve(&Sleep, "BrlSleep") && Resolve(&Timer, "BrlTimer");
}
