// Loads the real driver DLL and checks its exports and what a host sees before
// the display is initialised.
#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"

namespace {

const char* const kExports[] = {"BrlClear",   "BrlDisplay", "BrlDisplayStatus", "BrlInit",
                                "BrlRefresh", "BrlSleep",   "BrlTerminate",     "BrlTimer"};

void ExportsByNameAndOrdinal(HMODULE module) {
  for (int ordinal = 1; ordinal <= 8; ++ordinal) {
    FARPROC byName = GetProcAddress(module, kExports[ordinal - 1]);
    FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    CHECK(byName != nullptr);
    CHECK(byName == byOrdinal);
  }
  CHECK(GetProcAddress(module, MAKEINTRESOURCEA(9)) == nullptr);
  CHECK(GetProcAddress(module, "_BrlInit") == nullptr);
}

void BeforeInit(const DriverModule& driver) {
  const unsigned char cells[4] = {1, 2, 3, 4};
  CHECK_EQ(1, driver.Display(cells, 4));
  CHECK_EQ(1, driver.DisplayStatus(cells, 4));
  CHECK_EQ(1, driver.Clear());
  CHECK_EQ(0, driver.Refresh());
  CHECK_EQ(0, driver.Timer());
  CHECK_EQ(1, driver.Sleep(0));
  CHECK_EQ(0, driver.Terminate());
  CHECK_EQ(0, driver.Init(nullptr, nullptr));
}

}  // namespace

int main() {
  DriverModule driver;
  CHECK(driver.Load(L"brlvelt.dll"));
  if (!driver.Module()) return check::Finish("PreInitTest");
  ExportsByNameAndOrdinal(driver.Module());
  BeforeInit(driver);
  driver.Unload();
  CHECK(GetModuleHandleA("brlvelt.dll") == nullptr);
  return check::Finish("PreInitTest");
}
